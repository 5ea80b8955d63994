#include "ui/support/paper_geometry.h"

#include "common/conflicts/conflict_messages.h"
#include "common/constraints/constraint_engine.h"
#include "common/context/paper_list.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/devmode/devmode_merge.h"
#include "common/model/model_format.h"
#include "common/model/model_section.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/positional_format.h"
#include "common/system/system_utilities.h"
#include "ui/support/text_pieces.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include <windows.h>

namespace {

constexpr uint16_t kFirstListedPaper = 512;
constexpr uint16_t kFidMarginShift = 1283;
constexpr uint16_t kFidBindingMargin = 268;
constexpr uint16_t kFidFullSizeScale = 383;
constexpr uint16_t kSameAsDocumentPaper = 267;
constexpr uint16_t kGridOneByTwo = 0x0102;
constexpr uint16_t kTiling = 1;
constexpr uint16_t kBookletFeed = 2;
constexpr int kSummaryChars = 512;

uint16_t InUnit(uint32_t tenths, int unit)
{
    const int32_t value = unit == kUnitHundredthInch ? TenthMmToHundredthInch(static_cast<int32_t>(tenths))
                                                     : static_cast<int32_t>(tenths);
    return static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF));
}

// Paper 256 carries its own size only when the DEVMODE says so.
bool HasDevmodeSizeFields(const void* settingsRecord)
{
    DEVMODEW head;
    std::memcpy(&head, settingsRecord, sizeof head);
    return (head.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH)) == (DM_PAPERLENGTH | DM_PAPERWIDTH);
}

PaperGeometryPair Pair(uint32_t width, uint32_t height, int unit) { return {InUnit(width, unit), InUnit(height, unit)}; }

bool Read(const ConstraintContext& s, uint16_t id, uint32_t* value)
{
    return ReadSettingNumber(id, s.settingsRecord, s.printerSettingsRecord, value) == 1;
}

// Which margin the binding margin replaces on each binding side, and which
// extent it shortens.
struct BindingRow {
    uint16_t side;
    int margin;  // 0 left, 1 top, 2 right, 3 bottom
    bool width;
};
constexpr BindingRow kBindingRows[] = {
    {1, 0, true}, {3, 0, true}, {2, 2, true}, {7, 2, true},
    {4, 1, false}, {8, 1, false}, {5, 3, false}, {6, 3, false},
};

}  // namespace

int GetUserPaperSize(void* settingsRecord, void* printerSettingsRecord, uint16_t paper, uint16_t* width,
                     uint16_t* height)
{
    uint16_t widthId = 0, lengthId = 0, nameId = 0;
    wchar_t name[40] = {};
    if (!width || !height || !FindCustomPaperSlot(paper, &widthId, &lengthId, &nameId, name))
        return 0;
    uint32_t w = 0, h = 0;
    if (!ReadSettingNumber(widthId, settingsRecord, printerSettingsRecord, &w) ||
        !ReadSettingNumber(lengthId, settingsRecord, printerSettingsRecord, &h))
        return 0;
    *width = static_cast<uint16_t>(w);
    *height = static_cast<uint16_t>(h);
    return 1;
}

int GetPaperGeometry(const ConstraintContext& settings, uint16_t paper, int unit, PaperGeometryPair* size,
                     PaperGeometryPair* printable, PaperGeometryPair* leftTop, PaperGeometryPair* rightBottom)
{
    if (!settings.settings || !size)
        return 0;
    if (paper >= kFirstListedPaper && HasPaperList(settings.settings)) {
        int32_t full[2] = {}, extent[2] = {}, leftBottom[2] = {}, rightTop[2] = {};
        if (GetPaperEntryGeometry(settings.settings, paper, full, extent, leftBottom, rightTop) != 1)
            return 0;
        *size = Pair(full[0], full[1], unit);
        if (printable)
            *printable = Pair(extent[0], extent[1], unit);
        if (leftTop)
            *leftTop = Pair(leftBottom[0], rightTop[1], unit);
        if (rightBottom)
            *rightBottom = Pair(rightTop[0], leftBottom[1], unit);
        return 1;
    }
    SectionHolder holder;
    if (LoadModelTableWithOption(false, settings.settings->main, settings.settings->linked, kKindPaper, paper, 0,
                                 holder.out()) != kModelOk)
        return 0;
    const PaperSection* record = AsPaper(holder.section);
    if (!record)
        return 0;
    uint32_t width = record->size.x, height = record->size.y;
    const bool user = IsUserDefinedPaperCode(paper);
    if (paper == kFreeCustomPaperCode) {
        if (HasDevmodeSizeFields(settings.settingsRecord)) {
            int16_t w = 0, h = 0;
            if (!GetCustomPaperSize(settings.settingsRecord, settings.printerSettingsRecord, &w, &h))
                return 0;
            width = static_cast<uint16_t>(w);
            height = static_cast<uint16_t>(h);
        }
    } else if (user) {
        uint16_t w = 0, h = 0;
        if (!GetUserPaperSize(settings.settingsRecord, settings.printerSettingsRecord, paper, &w, &h))
            return 0;
        width = w;
        height = h;
    }
    uint32_t printWidth = record->minUser.x, printHeight = record->minUser.y;
    if (user) {
        // A user size is of the sheet; its printable part keeps within the
        // record's user limits.
        const uint32_t marginX = uint32_t{record->margin1.x} + record->margin2.x;
        const uint32_t marginY = uint32_t{record->margin1.y} + record->margin2.y;
        printWidth = width > marginX ? width - marginX : 0;
        printHeight = height > marginY ? height - marginY : 0;
        printWidth = std::clamp<uint32_t>(printWidth, record->minUser.x, std::max(record->minUser.x, record->maxUser.x));
        printHeight =
            std::clamp<uint32_t>(printHeight, record->minUser.y, std::max(record->minUser.y, record->maxUser.y));
    }
    *size = Pair(width, height, unit);
    if (printable)
        *printable = Pair(printWidth, printHeight, unit);
    if (leftTop)
        *leftTop = Pair(record->margin1.x, record->margin1.y, unit);
    if (rightBottom)
        *rightBottom = Pair(record->margin2.x, record->margin2.y, unit);
    return 1;
}

int GetPaperDimension(const ConstraintContext& settings, uint16_t paper, int unit, bool fullSize, uint16_t* width,
                      uint16_t* height)
{
    PaperGeometryPair size{}, printable{};
    if (!width || !height || !GetPaperGeometry(settings, paper, unit, &size, &printable, nullptr, nullptr))
        return 0;
    *width = fullSize ? size.width : printable.width;
    *height = fullSize ? size.height : printable.height;
    return 1;
}

int ComputeOutputExtent(const ConstraintContext& settings, uint16_t paper, int unit, bool fullSize, uint16_t* width,
                        uint16_t* height)
{
    PaperGeometryPair size{}, printable{}, leftTop{}, rightBottom{};
    if (!width || !height || !GetPaperGeometry(settings, paper, unit, &size, &printable, &leftTop, &rightBottom))
        return 0;
    int32_t w = fullSize ? size.width : printable.width;
    int32_t h = fullSize ? size.height : printable.height;
    uint32_t side = 0, shift = 0, binding = 0, tiling = 0, grid = 0;
    if (!Read(settings, kFidEdgeValue, &side) || !Read(settings, kFidMarginShift, &shift) ||
        (shift && !Read(settings, kFidBindingMargin, &binding)) || !Read(settings, kFidPosterBooklet, &tiling) ||
        (tiling == kTiling && !Read(settings, kFidLayoutGrid, &grid)))
        return 0;
    if (shift && side != 0) {
        const int32_t margins[4] = {fullSize ? 0 : leftTop.width, fullSize ? 0 : leftTop.height,
                                    fullSize ? 0 : rightBottom.width, fullSize ? 0 : rightBottom.height};
        const int32_t bind = static_cast<int32_t>(binding);
        for (const BindingRow& row : kBindingRows) {
            if (row.side != side || bind <= margins[row.margin])
                continue;
            const int opposite = (row.margin + 2) % 4;
            if (row.width)
                w = size.width - margins[opposite] - bind;
            else
                h = size.height - margins[opposite] - bind;
        }
    }
    if (tiling == kTiling) {
        if (grid == kGridOneByTwo) {
            const int32_t turned = w;
            w = h;
            h = 2 * turned;
        } else {
            w *= static_cast<int32_t>(grid >> 8 & 0xFF);
            h *= static_cast<int32_t>(grid & 0xFF);
        }
    }
    *width = static_cast<uint16_t>(std::clamp(w, 0, 0xFFFF));
    *height = static_cast<uint16_t>(std::clamp(h, 0, 0xFFFF));
    return 1;
}

int ComputeScaleFromGeometry(const ConstraintContext& settings, uint16_t paper, uint16_t outputPaper, int unit,
                             uint32_t* percent)
{
    uint32_t full = 0;
    if (!percent || !Read(settings, kFidFullSizeScale, &full))
        return 0;
    uint16_t sw = 0, sh = 0, ow = 0, oh = 0;
    if (!GetPaperDimension(settings, paper, unit, full == 1, &sw, &sh) ||
        !ComputeOutputExtent(settings, outputPaper, unit, full == 1, &ow, &oh))
        return 0;
    // A paper without extent has no scale; dividing by it would fault.
    if (sw == 0 || sh == 0)
        return 0;
    const uint32_t across = (uint32_t{ow} * 1000 / sw + 5) / 10;
    const uint32_t down = (uint32_t{oh} * 1000 / sh + 5) / 10;
    *percent = std::min(across, down);
    return 1;
}

int ComputeFitScalePercent(const ConstraintContext& settings, uint32_t* percent)
{
    uint32_t byHand = 0, paper = 0, output = 0;
    if (!percent || !Read(settings, kFidLayoutScaleOn, &byHand))
        return 0;
    if (byHand)
        return Read(settings, kFidZoom, percent) ? 1 : 0;
    if (!Read(settings, kFidPaperSize, &paper) || !Read(settings, kFidOutputPaper, &output))
        return 0;
    if (output == kSameAsDocumentPaper)
        output = paper;
    return ComputeScaleFromGeometry(settings, static_cast<uint16_t>(paper), static_cast<uint16_t>(output),
                                    kUnitTenthMm, percent);
}

int FormatLayoutSummaryText(const ConstraintContext& settings, wchar_t** out)
{
    if (!out)
        return 0;
    *out = nullptr;
    uint32_t paper = 0, output = 0, tiling = 0, feed = 0;
    if (!Read(settings, kFidPaperSize, &paper) || !Read(settings, kFidOutputPaper, &output) ||
        !Read(settings, kFidPosterBooklet, &tiling) || !Read(settings, kFidPagesPerSheet, &feed))
        return 0;
    HMODULE module = GetResourceModule();
    const bool listed = HasPaperList(settings.settings);
    const auto optionText = [&](uint32_t code, wchar_t* text) {
        const uint64_t holder = code;
        if (!FormatSettingValueText(false, settings, text, kFidPaperSize, &holder, nullptr, 0))
            return false;
        if (!listed)
            CutOptionNameSuffix(text, kCutSizeTail);
        return true;
    };
    auto text = AllocGlobalBlock<wchar_t>(kSummaryChars * sizeof(wchar_t));
    wchar_t name[kValueTextChars] = {};
    wchar_t piece[kValueTextChars] = {};
    if (!text || !module || !optionText(paper, name))
        return 0;
    lstrcpynW(text.get(), name, kSummaryChars);
    if (output != kSameAsDocumentPaper) {
        if (!optionText(output, name) || LoadStringW(module, kStringSummaryOnto, piece, kValueTextChars) <= 0)
            return 0;
        AppendStringBounded(text.get(), piece, kSummaryChars);
        AppendStringBounded(text.get(), name, kSummaryChars);
    }
    if (tiling == kTiling && feed != kBookletFeed) {
        uint32_t percent = 0;
        wchar_t format[kValueTextChars] = {};
        if (!ComputeFitScalePercent(settings, &percent) ||
            LoadStringW(module, kStringSummaryPercent, format, kValueTextChars) <= 0)
            return 0;
        FormatPositional(piece, kValueTextChars, format, static_cast<int>(percent));
    } else if (LoadStringW(module, kStringSummaryPlain, piece, kValueTextChars) <= 0) {
        return 0;
    }
    AppendStringBounded(text.get(), piece, kSummaryChars);
    *out = text.release();
    return 1;
}

int GetColorModelKind(const SettingsContext* context)
{
    const int kind = context ? QueryModelColorKind(context) : 65535;
    if (kind == 65535)
        return 65535;
    return kind == 1 ? 2 : 1;
}

int GetColorModeImageKind(void* settingsRecord, const SettingsContext* context)
{
    const int kind = GetColorModelKind(context);
    uint32_t mode = 0;
    if (kind == 65535 || !ReadSettingNumber(kFidColorMode, settingsRecord, nullptr, &mode))
        return -1;
    return kind == 2 || mode == 1 ? 1 : 2;
}
