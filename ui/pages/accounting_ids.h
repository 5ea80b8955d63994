// Control, string and setting identifiers of the accounting pages (templates
// 4702 and 4703) and the accounting details dialog (3520). The templates in
// resources/accounting_dialogs.rc use the same numbers.
#pragma once
#include <cstdint>

#include "common/settings/function_ids.h"

// Dialog codes.
inline constexpr int32_t kAccountingPageCode = 5;
inline constexpr int32_t kAccountingAlonePageCode = 46;
inline constexpr int32_t kAccountingDetailsCode = 47;
inline constexpr uint32_t kAccountingDetailsTemplate = 3520;

// Controls of the accounting page (and of the alternative page where named).
inline constexpr int32_t kAccountModeBox = 3474;
inline constexpr int32_t kAccountModeLabel = 3473;
inline constexpr int32_t kIdKindBox = 1061;
inline constexpr int32_t kIdKindLabel = 1298;
inline constexpr int32_t kUserIdEdit = 1343;
inline constexpr int32_t kUserIdLabel = 1299;
inline constexpr int32_t kPasswordEdit = 1347;
inline constexpr int32_t kPasswordLabel = 1300;
inline constexpr int32_t kFontListButton = 1064;
inline constexpr int32_t kCustomSizesButton = 1065;
inline constexpr int32_t kResetOwnButton = 1090;
inline constexpr int32_t kJobOwnerBox = 1063;
inline constexpr int32_t kJobOwnerLabel = 1301;
inline constexpr int32_t kSpoolCheck = 3470;
inline constexpr int32_t kFaxLineEdit1 = 4610;
inline constexpr int32_t kFaxLineLabel1 = 4615;
inline constexpr int32_t kFaxLineEdit2 = 4611;
inline constexpr int32_t kFaxLineLabel2 = 4616;
inline constexpr int32_t kOptionNoticeButton = 3477;
inline constexpr int32_t kNoticeCheck = 3478;
inline constexpr int32_t kExtraBox1 = 3481;
inline constexpr int32_t kExtraLabel1 = 3480;
inline constexpr int32_t kExtraBox2 = 3482;
inline constexpr int32_t kExtraLabel2 = 3483;
inline constexpr int32_t kExtraBox3 = 3488;
inline constexpr int32_t kExtraLabel3 = 3487;
// The alternative page.
inline constexpr int32_t kIdentifyCheck = 3479;
inline constexpr int32_t kIdentifyModeBox = 3486;
inline constexpr int32_t kIdentifyModeLabel = 3485;
inline constexpr int32_t kDetailsButton = 3581;
// The details dialog.
inline constexpr int32_t kDetailsPromptCheck = 3521;
inline constexpr int32_t kDetailsCodeEdit = 3523;
inline constexpr int32_t kDetailsCodeLabel = 3522;
inline constexpr int32_t kDetailsDomainEdit = 3537;
inline constexpr int32_t kDetailsDomainLabel = 3536;
inline constexpr int32_t kDetailsUserEdit = 3531;
inline constexpr int32_t kDetailsUserLabel = 3529;
inline constexpr int32_t kDetailsPasswordEdit = 3532;
inline constexpr int32_t kDetailsPasswordLabel = 3530;
inline constexpr int32_t kDetailsLoginGroup = 3528;
inline constexpr int32_t kDetailsPromptCheck2 = 3524;
inline constexpr int32_t kDetailsMask1 = 3525;
inline constexpr int32_t kDetailsMask2 = 3526;
inline constexpr int32_t kDetailsMask3 = 3527;
inline constexpr int32_t kDetailsCloseButton = 3534;
inline constexpr int32_t kDetailsResetButton = 3533;

// Messages.
inline constexpr unsigned kMessageUserIdTooLong = 492;   // %1s: the identification kind
inline constexpr unsigned kMessagePasswordShort = 743;   // %1s name, %2d least, %3d most
inline constexpr unsigned kMessageUserIdMissing = 5191;

// Settings.
// The identity of the two sets under the names this page gives them.
inline constexpr uint16_t kFidAdminIdKind = kFidAdminUserIdKind;     // 5127
inline constexpr uint16_t kFidUserIdKind = kFidOwnerKindAccount;     // 5178
inline constexpr uint16_t kFidAdminUserId = kFidAdminUserName;       // 5121
inline constexpr uint16_t kFidUserUserId = kFidOwnerAccountText;     // 5150
inline constexpr uint16_t kFidAdminPassword = 5152;
inline constexpr uint16_t kFidUserPassword = 5148;
inline constexpr uint16_t kFidAdminPin = 5160;   // digits-only forms of the two passwords
inline constexpr uint16_t kFidUserPin = 5161;
inline constexpr uint16_t kFidOwnerName = 36887;  // shown, never stored: the default owner name
inline constexpr uint16_t kFidNoSetting = 36922;
inline constexpr uint16_t kFidDetailsUserAdmin = 5179;
inline constexpr uint16_t kFidDetailsUserUser = 5180;
inline constexpr uint16_t kFidDetailsPasswordAdmin = 5181;
inline constexpr uint16_t kFidDetailsPasswordUser = 5182;

