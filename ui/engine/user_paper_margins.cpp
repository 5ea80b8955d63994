#include "ui/engine/user_paper_margins.h"

#include "common/constraints/constraint_engine.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/model/model_section.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/paper_margins.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/positional_format.h"
#include "ui/support/number_fields.h"
#include "ui/support/resource_messages.h"

#include <cstring>
#include <string>

namespace {

constexpr UINT kStringMarginLine = 706;    // paper, default margin
constexpr UINT kStringUserPaper = 729;     // leads a paper's text
constexpr UINT kStringSizeBy = 736;        // between width and height
constexpr UINT kStringMillimetre = 460;
constexpr int kLineChars = 256;

// The model's registry bases of the per-user margins, freed with the holder.
struct MarginStore {
    wchar_t* user = nullptr;
    wchar_t* machine = nullptr;
    PaperMarginList* list = nullptr;
    MarginStore(HANDLE printer, const SettingsContext* context)
    {
        if (context && context->main) {
            GetModelRegistryBase(context->main, 1, &user);
            GetModelRegistryBase(context->main, 0, &machine);
        }
        list = LoadPaperMarginList(printer);
    }
    ~MarginStore()
    {
        if (user)
            GlobalFree(user);
        if (machine)
            GlobalFree(machine);
        if (list)
            FreePaperMarginList(list);
    }
    MarginStore(const MarginStore&) = delete;
    MarginStore& operator=(const MarginStore&) = delete;
};

int Orientation(const ConstraintContext& context)
{
    uint32_t orientation = kOrientationPortrait;
    if (!ReadSettingNumber(kFidOrientation, context.settingsRecord, context.printerSettingsRecord, &orientation))
        return 0;
    return orientation == kOrientationLandscape ? kOrientationLandscape : kOrientationPortrait;
}

int Compare(uint32_t extent, uint32_t sum) { return extent > sum ? 1 : -1; }

int CheckWithStore(HANDLE printer, const ConstraintContext& context, const MarginStore& store, uint16_t paper,
                   int axis, const MarginRecord* margins, const uint16_t* extent, bool perUser, int mode)
{
    const int orientation = Orientation(context);
    if (orientation == 0 || axis < 0 || axis > 1)
        return 0;
    // In landscape the paper's other dimension lies along the axis.
    const bool turned = orientation == kOrientationLandscape;
    if (mode == kMarginEdited) {
        uint16_t width = 0, height = 0;
        if (!margins || !GetPaperSizeById(&context, paper, &width, &height))
            return 0;
        const uint32_t sum = axis == 0 ? margins->left + margins->right : margins->top + margins->bottom;
        const bool alongWidth = (axis == 0) != turned;
        return Compare(alongWidth ? width : height, sum);
    }
    if (!extent)
        return 0;
    uint32_t oriented[4] = {};
    if (GetPaperMargins(printer, store.user, paper, oriented, store.machine, store.list, perUser && store.user,
                        orientation) != kMarginOk)
        return 0;
    const uint32_t r[4] = {oriented[3], oriented[0], oriented[2], oriented[1]};
    const int summed = turned ? 1 - axis : axis;
    return Compare(extent[axis], summed == 0 ? r[0] + r[2] : r[1] + r[3]);
}

// "name (width x height mm)" of a user paper, or the model's name of 256.
bool FormatUserPaperText(const ConstraintContext& context, uint16_t paper, std::wstring* text)
{
    HMODULE module = GetResourceModule();
    wchar_t lead[kLineChars] = {}, by[16] = {}, unit[16] = {};
    if (!module || LoadStringW(module, kStringUserPaper, lead, kLineChars) <= 0 ||
        LoadStringW(module, kStringSizeBy, by, 16) <= 0 || LoadStringW(module, kStringMillimetre, unit, 16) <= 0)
        return false;
    wchar_t name[kLineChars] = {};
    if (paper == kFreeCustomPaperCode) {
        ModelSection* section = nullptr;
        if (LoadModelTableWithOption(false, context.settings->main, context.settings->linked, kKindPaper, paper, 0,
                                     &section) != kModelOk)
            return false;
        if (const PaperSection* record = AsPaper(section))
            lstrcpynW(name, record->name.c_str(), kLineChars);
        FreeModelSection(&section, 0);
    } else {
        const uint16_t index = CustomPaperIndex(paper);
        if (index == kNoUserPaper)
            return false;
        uint32_t width = 0, height = 0;
        const uint64_t pointer = GetFunctionIdValuePointer(context.settingsRecord, context.printerSettingsRecord,
                                                           static_cast<uint16_t>(5929 + index), kTypeString);
        const auto* stored = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(pointer));
        if (!stored ||
            !ReadSettingNumber(static_cast<uint16_t>(5889 + index), context.settingsRecord,
                               context.printerSettingsRecord, &width) ||
            !ReadSettingNumber(static_cast<uint16_t>(5909 + index), context.settingsRecord,
                               context.printerSettingsRecord, &height))
            return false;
        swprintf(name, kLineChars, L"%ls (%u%ls%u%ls)", stored, width / 10, by, height / 10, unit);
    }
    wchar_t line[kLineChars] = {};
    swprintf(line, kLineChars, L"%ls %ls", lead, name);
    *text = line;
    return true;
}

bool FormatDefaultMarginText(std::wstring* text)
{
    wchar_t* number = nullptr;
    wchar_t unit[16] = {};
    HMODULE module = GetResourceModule();
    if (!module || LoadStringW(module, kStringMillimetre, unit, 16) <= 0 ||
        !FormatFixedPoint(&number, 1, false, kFixedPoint | kFixedPointTrimZero, kDefaultPaperMargin))
        return false;
    wchar_t line[kLineChars] = {};
    swprintf(line, kLineChars, L"%ls %ls", number, unit);
    GlobalFree(number);
    *text = line;
    return true;
}

}  // namespace

int CheckMarginsAgainstPaper(HANDLE printer, const ConstraintContext& context, uint16_t paper, int axis,
                             const MarginRecord* margins, const uint16_t* extent, bool perUser, int mode)
{
    MarginStore store(printer, context.settings);
    return CheckWithStore(printer, context, store, paper, axis, margins, extent, perUser, mode);
}

int CheckUserPaperMargins(HANDLE printer, const ConstraintContext& context, bool perUser, CheckedPapers* failed)
{
    if (!failed || !context.settings)
        return 0;
    failed->count = 0;
    MarginStore store(printer, context.settings);
    const uint16_t papers = GetModelTableCount(context.settings->main, kKindPaper);
    int seen = 0;
    for (uint16_t position = 1; position <= papers && seen < kMaxCheckedPapers; ++position) {
        ModelSection* section = nullptr;
        if (LoadModelTable(false, context.settings->main, context.settings->linked, kKindPaper, position, &section) !=
            kModelOk)
            return 0;
        const uint16_t code = section->id;
        ModelSizePair modelSize{};
        if (const PaperSection* record = AsPaper(section))
            modelSize = record->size;
        FreeModelSection(&section, kKindPaper);
        if (!IsUserDefinedPaperCode(code))
            continue;
        ++seen;
        uint16_t size[2] = {};
        if (!GetPaperSizeById(&context, code, &size[0], &size[1]))
            return 0;
        // A paper whose size was never chosen (the free custom size on a
        // printer's defaults) has the model's size, not an empty one whose
        // every margin would be too wide.
        if (size[0] == 0 || size[1] == 0) {
            size[0] = modelSize.x;
            size[1] = modelSize.y;
        }
        if (size[0] == 0 || size[1] == 0)
            continue;  // a slot with no paper in it has no margins to fit
        const int across = CheckWithStore(printer, context, store, code, 0, nullptr, size, perUser, kSizeEdited);
        const int down = CheckWithStore(printer, context, store, code, 1, nullptr, size, perUser, kSizeEdited);
        if (across == 0 || down == 0)
            return 0;
        if (across == -1 || down == -1)
            failed->codes[failed->count++] = code;
    }
    return failed->count > 0 ? -1 : 1;
}

int ResetUserPaperMargins(HANDLE printer, const ConstraintContext& context, const CheckedPapers& papers, bool perUser)
{
    const int orientation = Orientation(context);
    if (orientation == 0)
        return 0;
    MarginStore store(printer, context.settings);
    uint32_t defaults[4] = {};
    if (GetOrientedDefaultMargins(defaults, orientation) != kMarginOk)
        return 0;
    for (int i = 0; i < papers.count; ++i) {
        if (perUser) {
            if (!store.user || WriteCustomPaperMargins(printer, store.user, papers.codes[i], defaults, store.machine,
                                                       orientation) != kMarginOk)
                return 0;
        } else if (!store.list || AddPaperMargins(store.list, papers.codes[i], defaults, orientation) != kMarginOk) {
            return 0;
        }
    }
    if (!perUser && SavePaperMarginList(printer, store.list) != kMarginOk)
        return 0;
    return SetFunctionIdValueArgs(context.settingsRecord, context.printerSettingsRecord, kFidUserPaperMarginsFromUser,
                                  kTypeByte, 1, perUser ? 1 : 0) == 0
               ? 1
               : 0;
}

int BuildMarginResetMessage(const ConstraintContext& context, const CheckedPapers& papers, int messageId,
                            wchar_t** text)
{
    if (!text)
        return 0;
    *text = nullptr;
    std::wstring margin;
    if (!FormatDefaultMarginText(&margin))
        return 0;
    std::wstring lines;
    for (int i = 0; i < papers.count; ++i) {
        std::wstring paper;
        wchar_t* line = nullptr;
        if (!FormatUserPaperText(context, papers.codes[i], &paper) ||
            !LoadFormattedString(&line, 0, kStringMarginLine, paper.c_str(), margin.c_str()))
            return 0;
        if (!lines.empty())
            lines += L"\n";
        lines += line;
        GlobalFree(line);
    }
    if (messageId == kTextGiven) {
        auto block = AllocGlobalBlock<wchar_t>((lines.size() + 1) * sizeof(wchar_t));
        if (!block)
            return 0;
        std::memcpy(block.get(), lines.c_str(), (lines.size() + 1) * sizeof(wchar_t));
        *text = block.release();
        return 1;
    }
    return LoadFormattedString(text, 1024, static_cast<UINT>(messageId), lines.c_str());
}

int CheckSizeValueAgainstRules(HANDLE printer, const ConstraintContext& context, const MarginRecord* margins,
                               uint16_t paper, int axis, uint32_t value, uint16_t singleValue)
{
    uint32_t fromUser = 0;
    if (!ReadSettingNumber(kFidUserPaperMarginsFromUser, context.settingsRecord, context.printerSettingsRecord,
                           &fromUser))
        return 0;
    MarginStore store(printer, context.settings);
    if (!singleValue) {
        if (!margins)
            return 0;
        MarginRecord edited = *margins;
        const uint32_t all[4] = {value, value, value, value};
        if (!SetMarginFields(&edited, axis, all))
            return 0;
        const int across = CheckWithStore(printer, context, store, paper, 0, &edited, nullptr, fromUser == 1,
                                          kMarginEdited);
        const int down = CheckWithStore(printer, context, store, paper, 1, &edited, nullptr, fromUser == 1,
                                        kMarginEdited);
        if (across == 0 || down == 0)
            return 0;
        return across == -1 || down == -1 ? -1 : 1;
    }
    if (axis < 0 || axis > 1)
        return 0;
    uint16_t extent[2] = {};
    extent[axis] = static_cast<uint16_t>(value);
    return CheckWithStore(printer, context, store, paper, axis, nullptr, extent, fromUser == 1, kSizeEdited);
}
