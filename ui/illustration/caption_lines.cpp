#include "ui/illustration/caption_lines.h"

#include <commctrl.h>

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/model/model_value_ops.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/engine/tooltips.h"
#include "ui/engine/ui_context.h"
#include "ui/support/text_pieces.h"

#include <cwchar>

namespace {

// A resource string of the resource file; empty when missing.
void AppendResourceString(wchar_t* text, UINT id)
{
    wchar_t piece[kCaptionLineChars] = {};
    LoadStringW(GetResourceModule(), id, piece, kCaptionLineChars);
    AppendStringBounded(text, piece, kCaptionLineChars);
}

// The parts of one line, each separated from the one before.
class LineBuilder {
public:
    explicit LineBuilder(const SettingsContext* context) : context_(context) {}

    bool Setting(uint16_t setting, uint64_t value)
    {
        Separate();
        return AppendSettingCaption(context_, setting, 0, text_, value) == 1;
    }
    void Labelled(UINT label, const wchar_t* value)
    {
        Separate();
        AppendResourceString(text_, label);
        AppendResourceString(text_, kCaptionNameSeparator);
        AppendStringBounded(text_, value, kCaptionLineChars);
    }
    void Store(CaptionLine* line) const
    {
        wcsncpy(line->text, text_, kCaptionLineChars - 1);
        line->shown = text_[0] ? 1 : 0;
    }

private:
    void Separate()
    {
        if (text_[0])
            AppendResourceString(text_, kCaptionPartSeparator);
    }
    const SettingsContext* context_;
    wchar_t text_[kCaptionLineChars] = {};
};

}  // namespace

int AppendSettingCaption(const SettingsContext* context, uint16_t setting, UINT label, wchar_t* text,
                         uint64_t value)
{
    if (!context || !text)
        return 0;
    uint16_t listKind = 0, optionCount = 0, status = 0;
    const wchar_t* displayName = nullptr;
    ModelSection* feature = nullptr;
    if (!GetItemFeature(context, setting, &listKind, &optionCount, &displayName, &feature, &status))
        return 0;
    if (label)
        AppendResourceString(text, label);
    else if (displayName)
        AppendStringBounded(text, displayName, kCaptionLineChars);
    FreeItemFeature(feature);
    AppendResourceString(text, kCaptionNameSeparator);
    for (uint16_t n = 1; n <= optionCount; ++n) {
        ModelSection* copy = nullptr;
        if (!GetItemOption(context, setting, n, &copy, &status))
            continue;
        uint64_t optionValue = 0;
        const wchar_t* name = nullptr;
        uint16_t type = 0;
        GetOptionCopyFields(copy, &optionValue, &name, &type, nullptr, nullptr);
        uint64_t mine = 0, theirs = 0;
        bool equal = type != kTypeString && CopyValueByType(&mine, value, type) &&
                     CopyValueByType(&theirs, optionValue, type) && CompareSettingValues(type, &mine, &theirs) == 0;
        if (equal) {
            wchar_t option[kCaptionLineChars] = {};
            if (name)
                wcsncpy(option, name, kCaptionLineChars - 1);
            if (wchar_t* cr = wcsrchr(option, L'\r'))
                *cr = 0;
            AppendStringBounded(text, option, kCaptionLineChars);
            FreeItemOption(&copy);
            return 1;
        }
        FreeItemOption(&copy);
    }
    return 0;
}

int BuildCaptionLinesFrom(const IllustrationState* s, const CaptionSources* sources,
                          CaptionLine lines[kCaptionLineCount])
{
    if (!s || !sources || !lines)
        return 0;
    for (int i = 0; i < kCaptionLineCount; ++i)
        lines[i] = CaptionLine{};
    const SettingsContext* context = sources->context;
    for (int i = 0; i < kCaptionLineCount; ++i) {
        LineBuilder line(context);
        bool ok = true;
        switch (i) {
        case 0:
            ok = line.Setting(7, s->orientation) && (s->setting437 == 0 || line.Setting(437, s->setting437));
            break;
        case 1:
            ok = sources->faxJob || line.Setting(18, s->collate);
            break;
        case 2:
            ok = (!s->setting1313 || line.Setting(1313, s->setting1313));
            if (!sources->outputUnits) {
                ok = ok && (s->setting332 == 0 || line.Setting(332, s->setting332));
            } else {
                ok = ok && (s->setting404 != 1 || line.Setting(404, s->setting404)) &&
                     (s->setting405 != 1 || line.Setting(405, s->setting405)) &&
                     (s->setting406 != 1 || line.Setting(406, s->setting406));
            }
            ok = ok && (s->setting458 != 1 || line.Setting(458, s->setting458));
            break;
        case 3:
            if (s->stampName && *s->stampName)
                line.Labelled(kCaptionStampLabel, s->stampName);
            if (s->annotation) {
                wchar_t on[kCaptionLineChars] = {};
                LoadStringW(GetResourceModule(), kCaptionWatermarkOn, on, kCaptionLineChars);
                line.Labelled(kCaptionWatermarkLabel, on);
            }
            ok = s->setting339 != 1 || line.Setting(339, s->setting339);
            break;
        case 4:
            ok = ((s->setting320 != 9 && s->setting320 != 10) || line.Setting(320, s->setting320)) &&
                 (s->setting341 != 5 || line.Setting(341, s->setting341)) &&
                 (!s->setting1330 || line.Setting(1330, s->setting1330));
            break;
        case 5:
            ok = s->setting448 == 0 || line.Setting(448, s->setting448);
            break;
        }
        if (!ok)
            return 0;
        line.Store(&lines[i]);
    }
    return 1;
}

int BuildCaptionLines(HWND dialog, void* settings, CaptionLine lines[kCaptionLineCount])
{
    IllustrationState state{};
    if (BuildIllustrationState(settings, dialog, &state) != 0)
        return 0;
    UiContext* ui = GetWindowUiContext(dialog);
    SettingsContext* context = GetUiSettingsContext(ui);
    CaptionSources sources{context, context && IsFaxJob(context->main, settings),
                           ui && TestCapabilityBit(&ui->capabilities, 0x8000000)};
    return BuildCaptionLinesFrom(&state, &sources, lines);
}

RECT CaptionToolRect(const RECT& control, int line, bool shown)
{
    if (!shown)
        return RECT{0, 0, 0, 0};
    int left = control.left + 2 + 34 * (line / 4);
    int top = control.top + 32 * (line % 4);
    return RECT{left, top, left + 32, top + 32};
}

namespace {

HWND CaptionTooltip(CallContext* call, bool create)
{
    HWND dialog = GetCallWindow(call);
    UiContext* ui = GetWindowUiContext(dialog);
    if (!ui)
        return nullptr;
    uint16_t type = GetCallDialogType(call);
    HWND tooltip = GetUiTooltipWindow(ui, type);
    if (!tooltip && create) {
        tooltip = CreateTooltipWindow(dialog, kCaptionLineChars);
        if (tooltip)
            SetUiTooltipWindow(ui, type, tooltip);
    }
    return tooltip;
}

CaptionLine* CaptionBuffer(UiContext* ui, bool create)
{
    auto* lines = static_cast<CaptionLine*>(GetUiSummaryBuffer(ui));
    if (!lines && create && ui) {
        lines = static_cast<CaptionLine*>(GlobalAlloc(GPTR, sizeof(CaptionLine) * kCaptionLineCount));
        SetUiSummaryBuffer(ui, lines);
    }
    return lines;
}

}  // namespace

int SetUpCaptionTooltips(CallContext* call)
{
    if (!call)
        return 0;
    HWND dialog = GetCallWindow(call);
    CaptionLine* lines = CaptionBuffer(GetWindowUiContext(dialog), true);
    HWND tooltip = lines ? CaptionTooltip(call, true) : nullptr;
    if (!tooltip)
        return 0;
    for (int i = 0; i < kCaptionLineCount; ++i)
        AddTooltip(dialog, tooltip, static_cast<uint16_t>(kCaptionFirstTool + i), TTF_SUBCLASS, lines[i].text);
    return 1;
}

int RefreshCaptionTooltips(CallContext* call, int controlId)
{
    if (!call)
        return 0;
    HWND dialog = GetCallWindow(call);
    CaptionLine* lines = CaptionBuffer(GetWindowUiContext(dialog), false);
    HWND tooltip = CaptionTooltip(call, false);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetCallSettings(call, &settings, &printerSettings);
    if (!lines || !tooltip)
        return 0;
    int built = BuildCaptionLines(dialog, settings, lines);
    RECT control{};
    HWND illustration = GetDlgItem(dialog, controlId);
    GetWindowRect(illustration, &control);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&control), 2);
    for (int i = 0; i < kCaptionLineCount; ++i) {
        RECT area = CaptionToolRect(control, i, lines[i].shown != 0);
        uint16_t tool = static_cast<uint16_t>(kCaptionFirstTool + i);
        SetTooltipRect(dialog, tooltip, tool, TTF_SUBCLASS, &area);
        UpdateTooltipText(dialog, tooltip, tool, TTF_SUBCLASS, lines[i].text);
    }
    return built;
}

int FreeSummaryLayout(UiContext* ui)
{
    if (void* buffer = GetUiSummaryBuffer(ui)) {
        GlobalFree(buffer);
        SetUiSummaryBuffer(ui, nullptr);
    }
    return 1;
}
