// Setting identifiers that the graphics library's frame reads by name, beyond
// the common ones of common/settings/function_ids.h. The values are the
// identifiers of the setting tables, so they never change.
#pragma once
#include <cstdint>

#include "common/settings/function_ids.h"

inline constexpr uint16_t kFidNupOrder = 264;
inline constexpr uint16_t kFidNupOrientation = 294;
inline constexpr uint16_t kFidFaxCover = 376;
inline constexpr uint16_t kFidFaxCoverMode = 377;
inline constexpr uint16_t kFidFaxSendListOn = 381;
inline constexpr uint16_t kFidNoMargins = 383;           // effective 1: imageable area is the whole paper
inline constexpr uint16_t kFidDefaultDeviceFont = 384;
inline constexpr uint16_t kFidFullColourRange = 464;
inline constexpr uint16_t kFidNoDeviceFonts = 292;
inline constexpr uint16_t kFidDrawingEscapesFeature = 4103;  // kept in the capability record
inline constexpr uint16_t kFidDeviceFontsOff = 1343;
inline constexpr uint16_t kFidKeepDuplexOnReset = 1350;
inline constexpr uint16_t kFidPassThrough = 1358;

inline constexpr uint32_t kSamePaperAsRequested = 267;
