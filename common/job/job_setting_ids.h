// Setting identifiers that the job description reads, beside those of
// common/settings/function_ids.h. 8193, 32784 and 36902 are not stored
// settings: their attribute rows have writers of their own.
#pragma once
#include <cstdint>

inline constexpr uint16_t kJobFidOutputPaper = 262;
inline constexpr uint16_t kJobFidPaperTray = 265;
inline constexpr uint16_t kJobFidBookletPoster = 321;
inline constexpr uint16_t kJobFidPagesPerSheetPoster = 296;
inline constexpr uint16_t kJobFidOneShotText = 329;
inline constexpr uint16_t kJobFidUserCodeSource = 335;
inline constexpr uint16_t kJobFidFilterSwitch = 336;
inline constexpr uint16_t kJobFidFaxAddressFile = 375;
inline constexpr uint16_t kJobFidFaxRecipientCount = 380;
inline constexpr uint16_t kJobFidBypassFeed = 388;
inline constexpr uint16_t kJobFidFeedSelector = 409;
inline constexpr uint16_t kJobFidFirstPaper = 410;
inline constexpr uint16_t kJobFidSecondPaper = 411;
inline constexpr uint16_t kJobFidFeedEdge = 412;
inline constexpr uint16_t kJobFidSecondFeedEdge = 413;
inline constexpr uint16_t kJobFidLeadingZeroText = 435;
inline constexpr uint16_t kJobFidDefaultFeedEdge = 438;
inline constexpr uint16_t kJobFidBookletSource = 446;
inline constexpr uint16_t kJobFidDelayedHour = 451;
inline constexpr uint16_t kJobFidDelayedMinute = 452;
inline constexpr uint16_t kJobFidBookletCount = 465;
inline constexpr uint16_t kJobFidDocMonitorJobs = 1321;
inline constexpr uint16_t kJobFidBookletCountOn = 1328;
inline constexpr uint16_t kJobFidJobHeaderOn = 1333;
inline constexpr uint16_t kJobFidFaxTimer = 1800;
inline constexpr uint16_t kJobFidFaxHour = 1801;
inline constexpr uint16_t kJobFidFaxMinute = 1802;
inline constexpr uint16_t kJobFidUserCodeText = 1831;
inline constexpr uint16_t kJobFidPageListFirst = 1834;
inline constexpr uint16_t kJobFidPageListLast = 1853;
inline constexpr uint16_t kJobFidSubAddressing = 4142;
inline constexpr uint16_t kJobFidFaxSendTime = 4369;
inline constexpr uint16_t kJobFidOwnerText = 5121;
inline constexpr uint16_t kJobFidOwnerKind = 5127;
inline constexpr uint16_t kJobFidOwnerAccountText = 5150;
inline constexpr uint16_t kJobFidAccountMode = 5163;
inline constexpr uint16_t kJobFidPromptAdministrator = 5164;
inline constexpr uint16_t kJobFidPromptUser = 5165;
inline constexpr uint16_t kJobFidPromptText = 5174;
inline constexpr uint16_t kJobFidOwnerKindAccount = 5178;
inline constexpr uint16_t kJobFidPromptUnknown = 5183;
inline constexpr uint16_t kJobFidUserNameAllowed = 5203;
inline constexpr uint16_t kJobFidDocMonitorId = 8201;
inline constexpr uint16_t kJobFidUserName = 8193;
inline constexpr uint16_t kJobFidDelayedTime = 32784;
inline constexpr uint16_t kJobFidUserText = 36902;
