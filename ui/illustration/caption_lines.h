// The caption lines of the settings illustration: six lines naming the
// current choices that the illustration's small pictures show, each the
// tooltip of one 32 x 32 square of the picture.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_context.h"
#include "ui/illustration/illustration_state.h"

inline constexpr int kCaptionLineChars = 256;
inline constexpr int kCaptionLineCount = 6;
inline constexpr UINT kCaptionFirstTool = 7000;

struct CaptionLine {
    uint32_t shown;
    wchar_t text[kCaptionLineChars];
};
static_assert(sizeof(CaptionLine) == 4 + 2 * kCaptionLineChars);

// Strings of the lines.
inline constexpr UINT kCaptionStampLabel = 481;
inline constexpr UINT kCaptionWatermarkLabel = 5122;
inline constexpr UINT kCaptionNameSeparator = 5314;
inline constexpr UINT kCaptionPartSeparator = 5315;
inline constexpr UINT kCaptionWatermarkOn = 5316;

// Appends "name<5314>option text" of the option of `setting` whose value is
// `value` (a number of the setting's type): the label string, or the
// setting's display name for label 0. The option text is cut at its last CR.
// 1 ok; 0 without a feature or an option of the value.
int AppendSettingCaption(const SettingsContext* context, uint16_t setting, UINT label, wchar_t* text,
                         uint64_t value);

// What the lines are built from besides the snapshot.
struct CaptionSources {
    const SettingsContext* context;
    bool faxJob;
    bool outputUnits;  // model capability 0x8000000
};
// 1 ok; 0 when a line failed (it and the lines after it are left empty).
int BuildCaptionLinesFrom(const IllustrationState* state, const CaptionSources* sources,
                          CaptionLine lines[kCaptionLineCount]);
// The same from the dialog's settings.
int BuildCaptionLines(HWND dialog, void* settings, CaptionLine lines[kCaptionLineCount]);

// The square of line i in the illustration control's rectangle; empty for a
// line that is not shown.
RECT CaptionToolRect(const RECT& control, int line, bool shown);

int SetUpCaptionTooltips(CallContext* call);
int RefreshCaptionTooltips(CallContext* call, int controlId);
// Frees the caption buffer of the sheet.
int FreeSummaryLayout(UiContext* ui);
