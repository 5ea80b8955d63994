// The item handlers: the settings whose default or check is not simply the
// model data's. Each handler answers the operations its record's mask names;
// RunFunctionIdHandler sends operation 2 to the model data when the mask does
// not name it, but operation 16 always comes here.
#include "common/defaults/item_handlers.h"

#include "common/context/context_utilities.h"
#include "common/context/model_lookups.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/job/stamp_defaults.h"
#include "common/model/model_section.h"
#include "common/settings/function_ids.h"
#include "common/settings/item_layout.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_types.h"
#include "common/system/config_field_overrides.h"
#include "common/system/module_files.h"
#include "common/system/os_version.h"

#include <cwchar>
#include <initializer_list>

namespace {

// Rooms of the string defaults, in bytes with the terminator.
constexpr uint32_t kNameBlockBytes = 64;
constexpr uint32_t kNameListBlockBytes = 66;    // 298 shares the 66-byte field of 297
constexpr uint32_t kUserPaperNameBytes = 30;

// Resource string of the single choice of an empty name list (setting 298).
constexpr UINT kNoNamesString = 426;

constexpr uint16_t kFidCustomPaperAllowed = 5201;
constexpr uint16_t kModeBitsSupported = 0x3;

// Operating-system codes on which any ICM value is accepted.
constexpr uint16_t kOsAnyIcm1 = 257;
constexpr uint16_t kOsAnyIcm2 = 513;

// Colour values of dmColor.
constexpr uint32_t kDmColorMonochrome = 1;
constexpr uint32_t kDmColorColor = 2;
constexpr uint32_t kColorModeBlackAndWhite = 1;
constexpr uint16_t kFidColorAdjustment = 345;

struct ConstantItem {
    uint16_t id;
    uint16_t value;
    std::initializer_list<uint32_t> accepted;
};

// Stamps and sizes of the records: their defaults are what this driver writes,
// and a stored record that differs is not of this layout.
const ConstantItem kConstantItems[] = {
    {kFidSpecVersion, 1025, {1025}},
    {kFidDriverVersion, 21072, {21072}},
    {kFidSize, 220, {220, 212, 1604}},                 // DEVMODEW, the older DEVMODEA size, the whole form
    {kFidDriverExtra, 1384, {1384, 5704}},             // ordinary and extended form
    {kFidPrivateVersion, 21072, {21072}},
    {kFidCommonVersion, 8705, {8705}},
    {kFidPrivatePartVersion, 21072, {21072}},
    {kFidPrinterCommonVersion, 8705, {8705}},
    {kFidPrinterPrivateVersion, 21072, {21072}},
};

DefaultExchange* DefaultOf(void* exchange) { return static_cast<DefaultExchange*>(exchange); }
CheckExchange* CheckOf(void* exchange) { return static_cast<CheckExchange*>(exchange); }
OptionExchange* OptionsOf(void* exchange) { return static_cast<OptionExchange*>(exchange); }

bool IsCheck(uint16_t operation) { return operation == kItemOpCheck || operation == kItemOpAccept; }

int GiveNumber(DefaultExchange* out, uint16_t type, uint32_t value)
{
    uint32_t size = 0;
    if (!GetTypeHolderSize(0, type, &size))
        return 0;
    out->type = type;
    out->holder = value;
    out->size = size;
    return 1;
}

// A string default in a new zero-filled block of roomBytes, cut to fit.
int GiveText(DefaultExchange* out, const wchar_t* text, uint32_t roomBytes)
{
    auto* block = static_cast<wchar_t*>(GlobalAlloc(GPTR, roomBytes));
    if (block == nullptr)
        return 0;
    const size_t room = roomBytes / sizeof(wchar_t) - 1;
    const size_t length = text != nullptr ? wcsnlen(text, room) : 0;
    if (length != 0)
        wmemcpy(block, text, length);
    out->type = kTypeString;
    out->holder = reinterpret_cast<uintptr_t>(block);
    out->size = static_cast<uint32_t>((length + 1) * sizeof(wchar_t));
    return 1;
}

int Absent(DefaultExchange* out)
{
    out->status = kDefaultAbsent;
    return 0;
}

// The type callers see for the setting, from its layout; 0 when the record
// of its area is missing.
uint16_t ReportedType(uint16_t id, const CheckExchange* check)
{
    ItemLayout layout{};
    if (FindItemLayout(id, check->settingsRecord, check->printerSettingsRecord, &layout) != kSettingOk)
        return 0;
    return layout.reportedType != 0 ? layout.reportedType : layout.storedType;
}

bool IsListed(uint16_t id, const CheckExchange* check, std::initializer_list<uint32_t> values)
{
    const uint16_t type = ReportedType(id, check);
    for (uint32_t value : values) {
        const uint64_t listed = value;
        if (CompareSettingValues(type, check->holder, &listed) == 0)
            return true;
    }
    return false;
}

bool IsWithin(uint16_t id, const CheckExchange* check, int32_t lowest, int32_t highest)
{
    const uint16_t type = ReportedType(id, check);
    const uint64_t low = static_cast<uint32_t>(lowest);
    const uint64_t high = static_cast<uint32_t>(highest);
    const int belowLow = CompareSettingValues(type, check->holder, &low);
    const int aboveHigh = CompareSettingValues(type, check->holder, &high);
    return (belowLow == 0 || belowLow == 1) && (aboveHigh == 0 || aboveHigh == -1);
}

bool IsPositive(uint16_t id, const CheckExchange* check)
{
    const uint64_t zero = 0;
    return CompareSettingValues(ReportedType(id, check), check->holder, &zero) == 1;
}

// The check of the model data: the value is one of the setting's options.
int ModelCheck(SettingsContext* context, uint16_t id, const CheckExchange* check)
{
    return HasOptionForValue(context, id, check->holder) ? 1 : 0;
}

bool AnyIcmValueAllowed()
{
    uint16_t code = 0;
    return GetOsVersionCode(&code) == 1 && (code == kOsAnyIcm1 || code == kOsAnyIcm2);
}

// Text of a number for an option entry.
BOOL GiveNumberEntry(OptionExchange* options, uint16_t type, uint32_t value)
{
    wchar_t text[16];
    const uint64_t holder = value;
    FormatValueAsText(type, &holder, text, 16);
    return FillOptionText(0, text, &holder, sizeof holder, &options->entry);
}

// Option list of a setting's strings given by the caller.
int StringListOptions(uint16_t operation, OptionExchange* options, const wchar_t* text)
{
    if (operation == kItemOpOptionKind) {
        options->listKind = 2;
        options->count = options->stringCount > 0 ? options->stringCount : -1;
        return 1;
    }
    const uint64_t holder = reinterpret_cast<uintptr_t>(text);
    return text != nullptr && FillOptionText(0, text, &holder, sizeof holder, &options->entry) ? 1 : 0;
}

// The model paper record of a paper code.
const PaperSection* LoadPaper(SettingsContext* context, uint16_t code, SectionHolder* holder)
{
    if (context == nullptr || context->main == nullptr ||
        LoadModelTableWithOption(false, context->main, context->linked, kKindPaper, code, 0, holder->out()) !=
            kModelOk)
        return nullptr;
    return AsPaper(holder->section);
}

int HandleConstant(SettingsContext*, uint16_t operation, uint16_t id, void* exchange)
{
    for (const ConstantItem& item : kConstantItems) {
        if (item.id != id)
            continue;
        if (operation == kItemOpDefault)
            return GiveNumber(DefaultOf(exchange), kTypeU16, item.value);
        if (IsCheck(operation))
            return IsListed(id, CheckOf(exchange), item.accepted) ? 1 : 0;
        return 0;
    }
    return 0;
}

int HandleDeviceName(SettingsContext*, uint16_t operation, uint16_t, void* exchange)
{
    if (operation == kItemOpDefault)
        return GiveText(DefaultOf(exchange), DefaultOf(exchange)->deviceName, kNameBlockBytes);
    return IsCheck(operation) ? 1 : 0;
}

int HandleFields(SettingsContext* context, uint16_t operation, uint16_t, void* exchange)
{
    if (operation == kItemOpDefault) {
        uint32_t mask = 0;
        if (!BuildSupportedFieldsMask(context, &mask, kModeBitsSupported))
            return 0;
        return GiveNumber(DefaultOf(exchange), kTypeU32, mask);
    }
    return IsCheck(operation) ? 1 : 0;
}

// Defaults from the model; the checks below.
int HandleModelChecked(SettingsContext*, uint16_t operation, uint16_t id, void* exchange)
{
    if (!IsCheck(operation))
        return 0;
    const CheckExchange* value = CheckOf(exchange);
    switch (id) {
    case kFidOrientation: return IsListed(id, value, {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE}) ? 1 : 0;
    case kFidScale: return IsPositive(id, value) ? 1 : 0;
    case kFidTTOption: return IsWithin(id, value, DMTT_BITMAP, DMTT_DOWNLOAD_OUTLINE) ? 1 : 0;
    case kFidICMIntent: return AnyIcmValueAllowed() || IsWithin(id, value, 1, 4) ? 1 : 0;
    default: return 0;
    }
}

int HandlePaperDimension(SettingsContext* context, uint16_t operation, uint16_t id, void* exchange)
{
    if (operation != kItemOpDefault)
        return IsCheck(operation) ? 1 : 0;
    uint16_t width = 0, length = 0, status = 0;
    if (!GetDefaultPaperSize(context, kFidPaperSize, &width, &length, nullptr, nullptr, &status))
        return status == kLookupAbsent ? Absent(DefaultOf(exchange)) : 0;
    return GiveNumber(DefaultOf(exchange), kTypeS16, id == kFidPaperLength ? length : width);
}

int HandleCopies(SettingsContext* context, uint16_t operation, uint16_t id, void* exchange)
{
    const uint16_t most = GetModelMaxCopies(context);
    switch (operation) {
    case kItemOpDefault: return GiveNumber(DefaultOf(exchange), kTypeS16, 1);
    case kItemOpCheck: return IsWithin(id, CheckOf(exchange), 1, most) ? 1 : 0;
    case kItemOpAccept: return IsPositive(id, CheckOf(exchange)) ? 1 : 0;
    case kItemOpOptionKind:
        OptionsOf(exchange)->listKind = 4;  // a range: lowest, highest, step
        OptionsOf(exchange)->count = 3;
        return 1;
    case kItemOpOptionEntry: {
        const uint32_t entries[3] = {1, most, 1};
        const int32_t index = OptionsOf(exchange)->index;
        return index >= 0 && index < 3 && GiveNumberEntry(OptionsOf(exchange), kTypeS16, entries[index]) ? 1 : 0;
    }
    default: return 0;
    }
}

// dmDefaultSource and dmCollate: an administrator may let every value through
// by the DEVMODE field overrides of the site configuration.
int HandleOverridable(SettingsContext* context, uint16_t operation, uint16_t id, void* exchange)
{
    if (!IsCheck(operation))
        return 0;
    const CheckExchange* check = CheckOf(exchange);
    const ConfigFieldOverrides* overrides = context != nullptr ? context->overrides : nullptr;
    uint32_t customAllowed = 0;
    uint16_t merge = 0;
    if (overrides != nullptr && IsOverrideSectionFound(overrides) &&
        ReadSettingNumber(kFidCustomPaperAllowed, check->settingsRecord, check->printerSettingsRecord,
                          &customAllowed) &&
        customAllowed != 0 &&
        GetOverrideMergeValue(overrides, id == kFidDefaultSource ? kOverrideBin : kOverrideCollate, &merge) ==
            kOverrideOk &&
        merge == 1)
        return 1;
    if (id == kFidCollate)
        return IsListed(id, check, {DMCOLLATE_FALSE, DMCOLLATE_TRUE}) ? 1 : 0;
    if (operation == kItemOpCheck)
        return ModelCheck(context, id, check);
    return IsPositive(id, check) ? 1 : 0;
}

// dmColor follows the colour mode and the colour adjustment as the merge maps
// them: monochrome only when both say black and white.
int HandleColor(SettingsContext* context, uint16_t operation, uint16_t id, void* exchange)
{
    if (IsCheck(operation))
        return IsListed(id, CheckOf(exchange), {kDmColorColor, kDmColorMonochrome}) ? 1 : 0;
    if (operation != kItemOpDefault)
        return 0;
    uint32_t values[2] = {};
    const uint16_t ids[2] = {kFidColorMode, kFidColorAdjustment};
    for (int i = 0; i < 2; ++i) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        const int got = GetFunctionIdDefault(context, ids[i], &type, &size, &holder);
        if (got == kFunctionIdDefaultOk) {
            values[i] = ValueToUInt(&holder, type);
            FreeFunctionIdDefault(ids[i], holder, type);
        }
    }
    const bool monochrome = values[0] == kColorModeBlackAndWhite && values[1] == 1;
    return GiveNumber(DefaultOf(exchange), kTypeS16, monochrome ? kDmColorMonochrome : kDmColorColor);
}

int HandleDuplex(SettingsContext*, uint16_t operation, uint16_t id, void* exchange)
{
    if (operation != kItemOpAccept)
        return 0;
    return IsListed(id, CheckOf(exchange), {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL}) ? 1 : 0;
}

int HandleFormName(SettingsContext* context, uint16_t operation, uint16_t, void* exchange)
{
    if (operation != kItemOpDefault)
        return IsCheck(operation) ? 1 : 0;
    uint16_t status = 0;
    wchar_t* name = GetDefaultTargetName(context, kFidPaperSize, &status);
    if (name == nullptr)
        return status == kLookupAbsent ? Absent(DefaultOf(exchange)) : 0;
    const int given = GiveText(DefaultOf(exchange), name, kNameBlockBytes);
    GlobalFree(name);
    return given;
}

int HandleIcmMethod(SettingsContext*, uint16_t operation, uint16_t id, void* exchange)
{
    if (operation == kItemOpDefault)
        return GiveNumber(DefaultOf(exchange), kTypeU32, DMICMMETHOD_NONE);
    if (!IsCheck(operation))
        return 0;
    return AnyIcmValueAllowed() || IsWithin(id, CheckOf(exchange), 1, 4) ? 1 : 0;
}

// Applications put their own media and dither types here: any is taken over.
int HandleMediaDither(SettingsContext*, uint16_t operation, uint16_t, void*)
{
    return operation == kItemOpAccept ? 1 : 0;
}

int HandleModelName(SettingsContext* context, uint16_t operation, uint16_t, void* exchange)
{
    if (operation != kItemOpDefault && !IsCheck(operation))
        return 0;
    uint16_t status = 0;
    wchar_t* name = GetModelName(context, &status);
    if (name == nullptr)
        return 0;
    int result = 0;
    if (operation == kItemOpDefault) {
        result = GiveText(DefaultOf(exchange), name, kNameBlockBytes);
    } else {
        const uint64_t held = reinterpret_cast<uintptr_t>(name);
        result = CompareSettingValues(kTypeString, CheckOf(exchange)->holder, &held) == 0 ? 1 : 0;
    }
    GlobalFree(name);
    return result;
}

// The n-th string of a multi-string list, or null.
const wchar_t* NthString(const wchar_t* list, int32_t n)
{
    for (int32_t i = 0; list != nullptr && *list != L'\0'; ++i, list += wcslen(list) + 1)
        if (i == n)
            return list;
    return nullptr;
}

int HandleNameList(SettingsContext*, uint16_t operation, uint16_t, void* exchange)
{
    if (operation == kItemOpDefault)
        return GiveText(DefaultOf(exchange), nullptr, kNameListBlockBytes);
    if (IsCheck(operation))
        return 1;
    OptionExchange* options = OptionsOf(exchange);
    int32_t count = 0;
    while (NthString(options->multiString, count) != nullptr)
        ++count;
    if (operation == kItemOpOptionKind) {
        options->listKind = 2;
        options->count = count != 0 ? count : 1;
        return 1;
    }
    if (operation != kItemOpOptionEntry)
        return 0;
    if (count == 0) {
        const uint64_t none = 0;
        return options->index == 0 && FillOptionText(kNoNamesString, nullptr, &none, sizeof none, &options->entry)
                   ? 1
                   : 0;
    }
    return StringListOptions(operation, options, NthString(options->multiString, options->index));
}

int HandleFaceName(SettingsContext*, uint16_t operation, uint16_t id, void* exchange)
{
    if (operation == kItemOpDefault) {
        if (id == kFidStampFontFace) {
            LOGFONTW font;
            BuildDefaultStampFont(GetResourceModule(), kDefaultStampFontRow, &font);
            return GiveText(DefaultOf(exchange), font.lfFaceName, kNameBlockBytes);
        }
        return GiveText(DefaultOf(exchange), nullptr, kNameBlockBytes);
    }
    if (IsCheck(operation))
        return 1;
    OptionExchange* options = OptionsOf(exchange);
    if (operation == kItemOpOptionKind)
        return StringListOptions(operation, options, nullptr);
    if (operation != kItemOpOptionEntry || options->strings == nullptr || options->index < 0 ||
        options->index >= options->stringCount)
        return 0;
    return StringListOptions(operation, options, options->strings[options->index]);
}

int HandleStampFont(SettingsContext*, uint16_t operation, uint16_t, void* exchange)
{
    if (operation != kItemOpDefault)
        return IsCheck(operation) ? 1 : 0;
    auto* font = static_cast<LOGFONTW*>(GlobalAlloc(GPTR, kLogFontSize));
    if (font == nullptr)
        return 0;
    BuildDefaultStampFont(GetResourceModule(), kDefaultStampFontRow, font);
    DefaultExchange* out = DefaultOf(exchange);
    out->type = kTypeLogFont;
    out->holder = reinterpret_cast<uintptr_t>(font);
    out->size = kLogFontSize;
    return 1;
}

// Width (5889-5908) or length (5909-5928) of user paper n: the model's size of
// that paper code.
int HandleUserPaperSize(SettingsContext* context, uint16_t operation, uint16_t id, void* exchange)
{
    if (operation != kItemOpDefault)
        return IsCheck(operation) ? 1 : 0;
    const bool width = id < kFidUserPaperLengthFirst;
    const uint16_t index = static_cast<uint16_t>(id - (width ? kFidUserPaperWidthFirst : kFidUserPaperLengthFirst));
    SectionHolder holder;
    const PaperSection* paper = LoadPaper(context, CustomPaperCodeFromIndex(index), &holder);
    if (paper == nullptr)
        return Absent(DefaultOf(exchange));
    return GiveNumber(DefaultOf(exchange), kTypeU16, width ? paper->size.x : paper->size.y);
}

int HandleUserPaperName(SettingsContext*, uint16_t operation, uint16_t id, void* exchange)
{
    if (operation != kItemOpDefault)
        return IsCheck(operation) ? 1 : 0;
    wchar_t name[kUserPaperNameBytes / sizeof(wchar_t)] = {};
    if (!FormatUserDefinedName(id - kFidUserPaperNameFirst, name, kUserPaperNameBytes / sizeof(wchar_t)))
        return 0;
    return GiveText(DefaultOf(exchange), name, kUserPaperNameBytes);
}

constexpr FixedDefaultRow kFixedByteZero = {kFixedRowUsed, kTypeByte, kFixedRowNotString, 0};
constexpr FixedDefaultRow kFixedPrinterRecordSize = {kFixedRowUsed, kTypeU16, kFixedRowNotString,
                                                     kPrinterSettingsRecordSize};

constexpr uint32_t kMaskChecks = kItemMaskCheck | kItemMaskAccept;

}  // namespace

const ItemHandlerRecord kHandlerDeviceName = {nullptr, HandleDeviceName, kItemMaskAll};
const ItemHandlerRecord kHandlerConstant = {nullptr, HandleConstant, kItemMaskAll};
const ItemHandlerRecord kHandlerFields = {nullptr, HandleFields, kItemMaskAll};
const ItemHandlerRecord kHandlerModelChecked = {nullptr, HandleModelChecked, kMaskChecks};
const ItemHandlerRecord kHandlerPaperDimension = {nullptr, HandlePaperDimension, kItemMaskAll};
const ItemHandlerRecord kHandlerCopies = {nullptr, HandleCopies, kItemMaskAll};
const ItemHandlerRecord kHandlerOverridable = {nullptr, HandleOverridable, kMaskChecks};
const ItemHandlerRecord kHandlerColor = {nullptr, HandleColor, kItemMaskAll};
const ItemHandlerRecord kHandlerDuplex = {nullptr, HandleDuplex, kItemMaskAccept};
const ItemHandlerRecord kHandlerFormName = {nullptr, HandleFormName, kItemMaskAll};
const ItemHandlerRecord kHandlerIcmMethod = {nullptr, HandleIcmMethod, kItemMaskAll};
const ItemHandlerRecord kHandlerMediaDither = {nullptr, HandleMediaDither, 0};
const ItemHandlerRecord kHandlerModelName = {nullptr, HandleModelName, kItemMaskAll};
const ItemHandlerRecord kHandlerNameList = {nullptr, HandleNameList, kItemMaskAll};
const ItemHandlerRecord kHandlerFaceName = {nullptr, HandleFaceName, kItemMaskAll};
const ItemHandlerRecord kHandlerStampFont = {nullptr, HandleStampFont, kItemMaskAll};
// The row is there but the mask is 0: default and check come from the model.
const ItemHandlerRecord kHandlerUnusedByte = {&kFixedByteZero, nullptr, 0};
const ItemHandlerRecord kHandlerUserPaperSize = {nullptr, HandleUserPaperSize, kItemMaskAll};
const ItemHandlerRecord kHandlerUserPaperName = {nullptr, HandleUserPaperName, kItemMaskAll};
const ItemHandlerRecord kHandlerPrinterRecordSize = {&kFixedPrinterRecordSize, nullptr, kItemMaskAll};
