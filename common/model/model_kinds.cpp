// Lookups by setting identifier over the model data tables, and typed accessors.
#include "common/model/model_kinds.h"

#include "common/settings/function_ids.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <new>

#include "common/model/model_value_ops.h"
#include "common/system/locale_region.h"
#include "common/system/module_files.h"

namespace {

// Settings whose model defaults follow the user's locale or the model's capabilities.
constexpr uint16_t kFaxPaperSizeSetting = 1824;
constexpr uint16_t kPaperSeriesSetting = 327;
constexpr uint16_t kPaperSetting = 4356;
constexpr uint16_t kPaperSwitchSetting = 4358;
constexpr uint16_t kCoverLanguageSetting = 1804;
constexpr uint32_t kLocalePaperCapability = 0x400000;   // word 0
constexpr CapabilityId kPaperSettingCapability = 0xFFFF0020;
constexpr CapabilityId kRegionConvertCapability = 0xFFFF0027;
constexpr CapabilityId kPaperSwitchCapability = 0xFFFF0021;
constexpr uint16_t kJapaneseLanguage = 1041;
constexpr uint8_t kRegionFlagUnreadable = 254;           // -2 as a signed byte

uint16_t OptionKindOf(uint16_t featureKind) {
    return featureKind == kKindFeature ? uint16_t{kKindOption} : uint16_t{kKindOptionOther};
}

wchar_t* CopyText(const std::wstring& text) {
    auto* block = static_cast<wchar_t*>(GlobalAlloc(GPTR, (text.size() + 1) * sizeof(wchar_t)));
    if (block != nullptr) memcpy(block, text.c_str(), text.size() * sizeof(wchar_t));
    return block;
}

// The header's model name (bytes 96-159, ANSI) as a new global block.
uint16_t CopyModelName(ModelDataRecord* main, wchar_t** name) {
    char ansi[kModelNameFieldSize + 1] = {};
    if (ModelSeek(main, kModelNameOffset) != kModelOk || ModelReadBytes(main, ansi, kModelNameFieldSize) != kModelOk)
        return kModelBad;
    const int chars = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    *name = static_cast<wchar_t*>(GlobalAlloc(GPTR, (chars + 1) * sizeof(wchar_t)));
    if (*name == nullptr) return kModelNoMemory;
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, *name, chars);
    return kModelOk;
}

bool ValueMatches(const ModelValue& option, const void* holder) {
    if (option.count == 0 || option.data == nullptr || holder == nullptr) return false;
    uint32_t number = 0;
    switch (option.type) {
    case kValueFlag: case kValueS32: case kValueU32: case kValueS32b: {
        uint32_t given;
        memcpy(&given, holder, 4);
        return ModelValueNumber(option, &number) && number == given;
    }
    case kValueS16: case kValueU16: {
        uint16_t given;
        memcpy(&given, holder, 2);
        return ModelValueNumber(option, &number) && static_cast<uint16_t>(number) == given;
    }
    case kValueByte: return option.data[0] == *static_cast<const uint8_t*>(holder);
    case kValueFloat: {
        if (option.size < 4) return false;
        float a, b;
        memcpy(&a, option.data, 4);
        memcpy(&b, holder, 4);
        return !std::isnan(a) && !std::isnan(b) && a == b;
    }
    case kValueString: {
        const wchar_t* given = nullptr;
        memcpy(&given, holder, sizeof(given));
        return given != nullptr && wcscmp(reinterpret_cast<const wchar_t*>(option.data), given) == 0;
    }
    default: return false;
    }
}

// Replaces a number value by n, keeping its type.
void SetValueNumber(ModelValue* value, uint32_t n) {
    uint32_t width = 4;
    switch (value->type) {
    case kValueS16: case kValueU16: width = 2; break;
    case kValueByte: width = 1; break;
    case kValueFlag: case kValueS32: case kValueU32: case kValueS32b: break;
    default: return;  // strings and structures have no number to replace
    }
    std::unique_ptr<uint8_t[]> owned(new (std::nothrow) uint8_t[4]{});
    if (owned == nullptr) return;
    memcpy(owned.get(), &n, width);
    value->owned = std::move(owned);
    value->data = value->owned.get();
    value->size = width == 1 ? 1 : (width == 2 ? 2 : 4);
    value->count = 1;
}

const ModelSettingEntry* PresetEntry(const ModelSection* s, uint16_t i) {
    const SettingListSection* l = AsSettingList(s);
    if (l == nullptr || i == 0 || i > l->entries.size()) return nullptr;
    return &l->entries[i - 1];
}

void FillSettingValue(const ModelValue& v, uint16_t id, ModelSettingValue* out) {
    out->settingId = id;
    out->type = v.type;
    out->size = v.size;
    out->data = v.data;
}

}  // namespace

void MapFunctionIdToModelKind(uint16_t id, const void* value, uint16_t* kind, uint16_t* recordId) {
    uint16_t given = 0;
    if (value != nullptr) memcpy(&given, value, 2);
    const ModelKindTarget t = MapSettingToModelKind(id, given);
    if (kind != nullptr) *kind = t.kind;
    if (recordId != nullptr) *recordId = t.recordId;
}

bool GetFeatureBit(uint16_t id, uint32_t* mask) {
    uint32_t bit;
    if (id == 4161) bit = 14;  // shares the bit of 4111
    else if (id >= 4097 && id <= 4128) bit = id - 4097;
    else if (id >= 4129 && id <= 4160) bit = id - 4129;
    else return false;
    if (mask != nullptr) *mask = 1u << bit;
    return true;
}

int IsFeatureInModel(ModelDataRecord* main, ModelDataRecord*, uint16_t id) {
    uint32_t mask = 0;
    if (id < 4097 || id > 4371 || !GetFeatureBit(id, &mask)) return 1;
    return (GetModelSectionNumber(main, kRawFeatureMask, 4, 0) & mask) != 0 ? 0 : 1;
}

uint16_t LoadItemFeature(bool load, ModelDataRecord* main, ModelDataRecord* linked, uint16_t id,
                         const void* value, uint16_t* kind, ModelSection** section, wchar_t** modelName) {
    if (section == nullptr) return kModelBad;
    *section = nullptr;
    uint16_t mapped = 0, recordId = 0;
    MapFunctionIdToModelKind(id, value, &mapped, &recordId);
    if (mapped == kKindHeader) {
        if (modelName == nullptr) return kModelBad;
        *modelName = nullptr;
        if (kind != nullptr) *kind = kKindHeader;
        return CopyModelName(main, modelName);
    }
    if (value != nullptr && (mapped == kKindFeature || mapped == kKindFeatureOther)) {
        ModelSection* feature = nullptr;
        uint16_t status = LoadModelTableWithOption(load, main, linked, mapped, recordId, 0, &feature);
        if (status != kModelOk) return status;
        status = FindOptionByValue(main, linked, feature, value, kind, section);
        FreeModelSection(&feature, kKindOwn);
        return status;
    }
    if (kind != nullptr) *kind = mapped;
    return LoadModelTableWithOption(load, main, linked, mapped, recordId, 0, section);
}

uint16_t LoadItemOption(bool load, ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, uint16_t n,
                        uint16_t* kind, ModelSection** section) {
    if (section == nullptr) return kModelBad;
    *section = nullptr;
    uint16_t mapped = 0, recordId = 0;
    MapFunctionIdToModelKind(id, nullptr, &mapped, &recordId);
    switch (mapped) {
    case kKindFeature: case kKindFeatureOther:
        if (kind != nullptr) *kind = OptionKindOf(mapped);
        return LoadModelTableWithOption(load, main, linked, mapped, recordId, n, section);
    case kKindInputTray: case kKindOutputBin: case kKindPaper:
        if (kind != nullptr) *kind = mapped;
        return LoadModelTable(load, main, linked, mapped, n, section);
    default: return kModelAbsent;
    }
}

uint16_t GetFeatureOption(bool load, ModelDataRecord* main, ModelDataRecord* linked, const ModelSection* feature,
                          uint16_t n, bool useDefault, uint16_t* kind, ModelSection** section) {
    if (section == nullptr) return kModelBad;
    *section = nullptr;
    const FeatureSection* f = AsFeature(feature);
    if (f == nullptr) return kModelBad;
    const uint16_t position = useDefault ? f->defaultOption : n;
    if (position == 0) return kModelBad;
    if (position > f->options.size()) return kModelAbsent;
    const uint16_t optionKind = OptionKindOf(f->kind);
    const uint16_t status =
        LoadModelTableWithOption(load, main, linked, optionKind, f->options[position - 1], 0, section);
    if (status == kModelOk && kind != nullptr) *kind = optionKind;
    // An option list that names a missing record is a fault of the file.
    return status == kModelAbsent ? uint16_t{kModelBad} : status;
}

uint16_t ModelValueClassOf(uint16_t valueType) {
    switch (valueType) {
    case kValueFlag: case kValueS16: case kValueU16: case kValueS32: case kValueU32: case kValueFloat:
    case kValueByte: case kValueS32b: case kValueReference:
        return kValueClassNumber;
    case kValueString: return kValueClassText;
    case kValueStruct: return kValueClassStructure;
    default: return kValueClassNone;
    }
}

uint16_t GetFeatureValueClass(ModelDataRecord* main, ModelDataRecord* linked, const ModelSection* feature,
                              uint16_t* valueClass) {
    if (valueClass == nullptr) return kModelBad;
    *valueClass = kValueClassNone;
    ModelSection* option = nullptr;
    const uint16_t status = GetFeatureOption(true, main, linked, feature, 1, false, nullptr, &option);
    if (status != kModelOk || AsOption(option) == nullptr) {
        FreeModelSection(&option, kKindOwn);
        return kModelBad;
    }
    *valueClass = ModelValueClassOf(AsOption(option)->value.type);
    FreeModelSection(&option, kKindOwn);
    return *valueClass == kValueClassNone ? uint16_t{kModelBad} : uint16_t{kModelOk};
}

uint16_t FindOptionByValue(ModelDataRecord* main, ModelDataRecord* linked, const ModelSection* feature,
                           const void* value, uint16_t* kind, ModelSection** section) {
    if (section == nullptr) return kModelBad;
    *section = nullptr;
    const FeatureSection* f = AsFeature(feature);
    if (f == nullptr || value == nullptr) return kModelBad;
    uint16_t featureClass = kValueClassNone;
    for (uint16_t n = 1; n <= f->options.size(); ++n) {
        ModelSection* option = nullptr;
        const uint16_t status = GetFeatureOption(true, main, linked, feature, n, false, kind, &option);
        if (status != kModelOk) return status;
        if (AsOption(option) == nullptr) {
            FreeModelSection(&option, kKindOwn);
            return kModelBad;
        }
        const ModelValue& optionValue = AsOption(option)->value;
        const uint16_t optionClass = ModelValueClassOf(optionValue.type);
        if (n == 1) featureClass = optionClass;
        if (optionClass != featureClass || optionClass == kValueClassNone) {
            FreeModelSection(&option, kKindOwn);
            return kModelBad;
        }
        if (ValueMatches(optionValue, value)) {
            *section = option;
            return kModelOk;
        }
        FreeModelSection(&option, kKindOwn);
    }
    return kModelAbsent;
}

uint16_t GetItemDisplayName(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, const void* value,
                            wchar_t** name) {
    if (name == nullptr) return kModelBad;
    *name = nullptr;
    ModelSection* s = nullptr;
    uint16_t kind = 0;
    uint16_t status = LoadItemFeature(false, main, linked, id, value, &kind, &s, name);
    if (status != kModelOk || kind == kKindHeader) return status;
    const wchar_t* text = GetSectionDisplayName(s);
    if (text == nullptr) {
        status = kModelBad;
    } else {
        *name = CopyText(text);
        if (*name == nullptr) status = kModelNoMemory;
    }
    FreeModelSection(&s, kKindOwn);
    return status;
}

uint16_t ReadModelDefault(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, ModelValue* value) {
    if (value == nullptr) return kModelBad;
    uint16_t kind = 0, recordId = 0;
    MapFunctionIdToModelKind(id, nullptr, &kind, &recordId);
    if (kind != kKindFeature && kind != kKindFeatureOther) return kModelBad;
    if (recordId == 0) return kModelAbsent;
    ModelSection* feature = nullptr;
    uint16_t status = LoadModelTableWithOption(false, main, linked, kind, recordId, 0, &feature);
    if (status != kModelOk) return status;
    const FeatureSection* f = AsFeature(feature);
    if (f->defaultOption == 0 || f->defaultOption > f->options.size()) {
        FreeModelSection(&feature, kKindOwn);
        return kModelBad;
    }
    ModelSection* option = nullptr;
    status = GetFeatureOption(false, main, linked, feature, 0, true, nullptr, &option);
    FreeModelSection(&feature, kKindOwn);
    if (status != kModelOk) return status;
    status = CopyModelValue(AsOption(option)->value, value);
    FreeModelSection(&option, kKindOwn);
    if (status == kModelOk) ResolveModelDefault(main, id, value);
    return status;
}

void ResolveModelDefault(ModelDataRecord* main, uint16_t id, ModelValue* value) {
    if (main == nullptr || value == nullptr) return;
    if (id == kFidPaperSize || id == kFaxPaperSizeSetting || id == kPaperSeriesSetting) {
        const bool follows = (GetModelSectionNumber(main, kRawCapabilityWord0, 4, 0) & kLocalePaperCapability) != 0;
        if (follows && GetLocalePaperRegion(1) == 1) SetValueNumber(value, id == kPaperSeriesSetting ? 3 : 1);
    } else if (id == kPaperSetting) {
        if (TestModelCapability(main, kPaperSettingCapability)) {
            const uint8_t region = GetLocaleRegionCode(TestModelCapability(main, kRegionConvertCapability) ? 1 : 0);
            if (region != kLocaleUnreadable) SetValueNumber(value, region);
        }
    } else if (id == kPaperSwitchSetting) {
        if (TestModelCapability(main, kPaperSwitchCapability)) {
            const uint8_t flag = GetLocaleRegionFlag();
            if (flag != kRegionFlagUnreadable) SetValueNumber(value, flag);
        }
    } else if (id == kCoverLanguageSetting) {
        uint16_t language = 0;
        if (GetUiLanguageId(&language) && language != kJapaneseLanguage) SetValueNumber(value, 1);
    }
}

uint16_t CopyOptionValue(const ModelSection* section, wchar_t** name, ModelValue* value) {
    if (section == nullptr || name == nullptr || value == nullptr) return kModelBad;
    *name = nullptr;
    const wchar_t* display = GetSectionDisplayName(section);
    switch (section->kind) {
    case kKindOption: case kKindOptionOther: {
        const uint16_t status = CopyModelValue(AsOption(section)->value, value);
        if (status != kModelOk) return status;
        break;
    }
    case kKindInputTray: case kKindOutputBin: case kKindPaper: {
        *value = ModelValue{};
        value->owned.reset(new (std::nothrow) uint8_t[2]);
        if (value->owned == nullptr) return kModelNoMemory;
        memcpy(value->owned.get(), &section->id, 2);
        value->data = value->owned.get();
        value->type = kValueU16;
        value->size = 2;
        value->count = 1;
        break;
    }
    case kKindFeature: case kKindFeatureOther: *value = ModelValue{}; break;
    default: return kModelBad;
    }
    if (display != nullptr) {
        *name = CopyText(display);
        if (*name == nullptr) return kModelNoMemory;
    }
    return kModelOk;
}

namespace {

uint16_t LoadItemRecord(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, uint16_t n,
                        ModelSection** s, wchar_t** modelName) {
    uint16_t kind = 0;
    if (n == 0) return LoadItemFeature(true, main, linked, id, nullptr, &kind, s, modelName);
    return LoadItemOption(true, main, linked, id, n, &kind, s);
}

}  // namespace

uint16_t GetItemOptionCopy(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, uint16_t n,
                           ModelSection** copy) {
    if (copy == nullptr) return kModelBad;
    *copy = nullptr;
    ModelSection* s = nullptr;
    wchar_t* modelName = nullptr;
    uint16_t status = LoadItemRecord(main, linked, id, n, &s, &modelName);
    if (status != kModelOk) return status;
    OptionCopySection* c = new (std::nothrow) OptionCopySection;
    if (c == nullptr) status = kModelNoMemory;
    try {
        if (c != nullptr) {
            c->kind = kKindInternalOptionCopy;
            if (s == nullptr) {
                // Settings 1 and 259: the header's model name.
                c->name = modelName != nullptr ? modelName : L"";
                c->source = main;
                c->fileRole = kModelMainFile;
            } else {
                c->id = s->id;
                c->fileRole = s->fileRole;
                c->source = s->source;
                c->formatVersion = s->formatVersion;
                wchar_t* name = nullptr;
                status = CopyOptionValue(s, &name, &c->value);
                if (name != nullptr) {
                    c->name = name;
                    GlobalFree(name);
                }
                uint16_t block = 0;
                if (const FeatureSection* f = AsFeature(s)) block = f->byteBlock;
                if (const OptionSection* o = AsOption(s)) block = o->byteBlock;
                ModelSection* bytes = nullptr;
                // A missing block is no error.
                if (status == kModelOk && block != 0 &&
                    LoadModelTableWithOption(true, main, linked, kKindByteBlock, block, 0, &bytes) == kModelOk) {
                    c->byteBlock = static_cast<ByteBlockSection*>(bytes)->bytes;
                    c->hasByteBlock = true;
                    FreeModelSection(&bytes, kKindOwn);
                }
            }
        }
    } catch (const std::bad_alloc&) {
        status = kModelNoMemory;
    }
    if (modelName != nullptr) GlobalFree(modelName);
    FreeModelSection(&s, kKindOwn);
    ModelSection* result = c;
    if (status != kModelOk) {
        FreeModelSection(&result, kKindOwn);
        return status;
    }
    *copy = result;
    return kModelOk;
}

uint16_t GetItemOptionValue(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, uint16_t n,
                            wchar_t** name, ModelValue* value) {
    if (name == nullptr || value == nullptr) return kModelBad;
    *name = nullptr;
    ModelSection* s = nullptr;
    uint16_t status = LoadItemRecord(main, linked, id, n, &s, name);
    if (status != kModelOk || s == nullptr) return status;
    status = CopyOptionValue(s, name, value);
    FreeModelSection(&s, kKindOwn);
    return status;
}

uint16_t GetModelStringEntry(ModelDataRecord* main, ModelDataRecord* linked, uint16_t section, uint16_t* a,
                             uint16_t* b, ModelSection** picture) {
    if (picture == nullptr) return kModelBad;
    *picture = nullptr;
    uint16_t id = 0;
    uint16_t status = ReadModelSectionEntry(main, section, 2, 0, &id);
    if (status != kModelOk) return status;
    status = LoadModelTableWithOption(true, main, linked, kKindPicture, id, 0, picture);
    if (status != kModelOk) return status;
    if (a != nullptr) *a = AsPicture(*picture)->number1;
    if (b != nullptr) *b = AsPicture(*picture)->number2;
    return kModelOk;
}

const wchar_t* GetSectionDisplayName(const ModelSection* s) {
    const std::wstring* name = nullptr;
    if (auto* f = AsFeature(s)) name = &f->name;
    else if (auto* t = AsTray(s)) name = &t->name;
    else if (auto* p = AsPaper(s)) name = &p->name;
    else if (auto* f11 = AsFont(s)) name = &f11->name;
    else if (auto* o = AsOption(s)) name = &o->name;
    return name != nullptr && !name->empty() ? name->c_str() : nullptr;
}

uint16_t GetSectionFlags(const ModelSection* s, uint16_t* flags) {
    if (s == nullptr || flags == nullptr) return kModelBad;
    switch (s->kind) {
    case kKindPaper:
        if (s->formatVersion < kModelFormat1280) return kModelBad;
        *flags = AsPaper(s)->flags;
        return kModelOk;
    case kKindFont:
        if (s->formatVersion < kModelFormat256) return kModelBad;
        *flags = AsFont(s)->flags;
        return kModelOk;
    case kKindJobAttribute:
        if (s->formatVersion < kModelFormat1280) return kModelBad;
        *flags = AsJobAttribute(s)->flags;
        return kModelOk;
    case kKindEntrySet:
        if (s->formatVersion < kModelFormat4096) return kModelBad;
        *flags = AsEntrySet(s)->flags;
        return kModelOk;
    default: return kModelBad;
    }
}

uint16_t GetKind9StringInfo(ModelDataRecord* main, ModelDataRecord* linked, const ModelSection* s, uint16_t* a,
                            uint16_t* b, ModelSection** picture) {
    const PictureRefSection* p = AsPictureRef(s);
    if (p == nullptr || picture == nullptr) return kModelBad;
    *picture = nullptr;
    if (a != nullptr) *a = p->number1;
    if (b != nullptr) *b = p->number2;
    return LoadModelTableWithOption(true, main, linked, kKindPicture, p->pictureId, 0, picture);
}

uint16_t GetKind56FirstBlock(const ModelSection* s, ModelSizePair* pair) {
    if (AsTray(s) == nullptr || pair == nullptr) return kModelBad;
    *pair = AsTray(s)->first;
    return kModelOk;
}

uint16_t GetKind56SecondBlock(const ModelSection* s, ModelSizePair* pair) {
    if (AsTray(s) == nullptr || pair == nullptr) return kModelBad;
    *pair = AsTray(s)->second;
    return kModelOk;
}

uint16_t GetSectionEntry24(const ModelSection* s, uint16_t i, uint16_t* entry) {
    const TraySection* t = AsTray(s);
    if (t == nullptr || entry == nullptr) return kModelBad;
    if (i == 0 || i > t->list1.size()) return kModelAbsent;
    *entry = t->list1[i - 1];
    return kModelOk;
}

uint16_t GetSectionEntry24Code(const ModelSection* s, uint16_t i, uint16_t* code) {
    const TraySection* t = AsTray(s);
    if (t == nullptr || code == nullptr) return kModelBad;
    if (i == 0 || i > t->list2.size()) return kModelAbsent;
    *code = t->list2[i - 1];
    return kModelOk;
}

#define MODEL_PAPER_FIELD(Name, field)                               \
    uint16_t Name(const ModelSection* s, ModelSizePair* out) {       \
        if (AsPaper(s) == nullptr || out == nullptr) return kModelBad; \
        *out = AsPaper(s)->field;                                    \
        return kModelOk;                                             \
    }
MODEL_PAPER_FIELD(GetPaperSizeField, size)
MODEL_PAPER_FIELD(GetPaperAreaField, area)
MODEL_PAPER_FIELD(GetPaperMinSizeField, minUser)
MODEL_PAPER_FIELD(GetPaperMaxSizeField, maxUser)
#undef MODEL_PAPER_FIELD

uint16_t GetPaperMarginFields(const ModelSection* s, ModelSizePair* first, ModelSizePair* second) {
    if (AsPaper(s) == nullptr || first == nullptr || second == nullptr) return kModelBad;
    *first = AsPaper(s)->margin1;
    *second = AsPaper(s)->margin2;
    return kModelOk;
}

const wchar_t* GetFontName(const ModelSection* s, uint16_t i) {
    const FontSection* f = AsFont(s);
    if (f == nullptr || i == 0 || i > f->names1.size()) return nullptr;
    return f->names1[i - 1].c_str();
}

uint16_t GetFontSectionList(const ModelSection* s, const uint8_t** data, uint32_t* size) {
    const FontSection* f = AsFont(s);
    if (f == nullptr || data == nullptr || size == nullptr) return kModelBad;
    *data = f->payload.empty() ? nullptr : f->payload.data();
    *size = static_cast<uint32_t>(f->payload.size());
    return kModelOk;
}

namespace {
const std::vector<ModelValue>* SectionValues(const ModelSection* s) {
    if (const FontSection* f = AsFont(s)) return &f->values;
    if (const EntrySetSection* e = AsEntrySet(s)) return &e->values;
    return nullptr;
}
}  // namespace

int GetSectionSettingCount(const ModelSection* s) {
    const std::vector<ModelValue>* values = SectionValues(s);
    return values != nullptr ? static_cast<int>(values->size()) : 0;
}

uint16_t GetSectionSettingEntry(const ModelSection* s, uint16_t i, ModelSettingValue* entry) {
    const std::vector<ModelValue>* values = SectionValues(s);
    if (values == nullptr || entry == nullptr) return kModelBad;
    if (i == 0 || i > values->size()) return kModelAbsent;
    FillSettingValue((*values)[i - 1], 0, entry);
    return kModelOk;
}

uint16_t GetSectionSettingByIndex(const ModelSection* s, uint16_t i, const wchar_t** name) {
    const EntrySetSection* e = AsEntrySet(s);
    if (e == nullptr || name == nullptr || i == 0 || i > e->names.size()) return kModelBad;
    *name = e->names[i - 1].c_str();
    return kModelOk;
}

const wchar_t* GetJobAttributeRowString1(const ModelSection* s) {
    const JobAttributeSection* j = AsJobAttribute(s);
    return j != nullptr && !j->prefix.empty() ? j->prefix.c_str() : nullptr;
}

const wchar_t* GetJobAttributeRowString2(const ModelSection* s) {
    const JobAttributeSection* j = AsJobAttribute(s);
    return j != nullptr && !j->text.empty() ? j->text.c_str() : nullptr;
}

uint16_t GetPresetCount(const ModelSection* s, uint16_t* count) {
    if (s == nullptr || s->kind != kKindPreset || count == nullptr) return kModelBad;
    if (s->formatVersion < kModelFormat7936) return kModelBad;
    *count = static_cast<uint16_t>(AsSettingList(s)->entries.size());
    return kModelOk;
}

uint16_t GetPresetEntry(const ModelSection* s, uint16_t i, ModelSettingValue* entry) {
    if (s == nullptr || s->kind != kKindPreset || entry == nullptr) return kModelBad;
    if (s->formatVersion < kModelFormat7936) return kModelBad;
    const ModelSettingEntry* e = PresetEntry(s, i);
    if (e == nullptr) return kModelAbsent;
    FillSettingValue(e->value, e->settingId, entry);
    return kModelOk;
}
