// Status codes every picture routine answers; the engine events the pictures
// send and answer come from the message engine.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/message_engine.h"

inline constexpr uint16_t kPictureOk = 0;
inline constexpr uint16_t kPictureBadArgument = 1;
inline constexpr uint16_t kPictureNoMemory = 2;        // also a palette that could not be made
inline constexpr uint16_t kPictureSettingUnreadable = 3;
inline constexpr uint16_t kPictureModelError = 4;
inline constexpr uint16_t kPictureResourceMissing = 5;
inline constexpr uint16_t kPictureFailed = 6;

