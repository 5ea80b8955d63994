#include "ui/query/printer_query.h"

#include "common/context/section_holder.h"
#include "common/model/model_format.h"
#include "common/model/model_value_ops.h"
#include "common/settings/capability_bits.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_types.h"
#include "common/system/code_pages.h"
#include "common/system/module_files.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr CapabilityId kCapCommunityName = CapabilityBit(0x31);
constexpr CapabilityId kCapSecondTypes = CapabilityBit(0x36);
constexpr CapabilityId kCapAlternateLibrary = CapabilityBit(0x39);
constexpr uint16_t kLibraryFileName = 6, kAlternateLibraryFileName = 24;
constexpr uint16_t kOpenFileFirst = 7, kOpenFileSecond = 8;
constexpr uint16_t kRawSelectText = 37;
constexpr uint16_t kRawCapabilityWord = 26;

std::string Ansi(const wchar_t* text)
{
    if (!text)
        return {};
    char* block = AllocWideToMultiByte(CP_ACP, text);
    if (!block)
        return {};
    std::string s = block;
    GlobalFree(block);
    return s;
}

// A model text as ANSI (a missing one is empty); false when it cannot be read.
bool ModelText(uint16_t status, wchar_t** block, std::string* out)
{
    const bool ok = status == kModelOk;
    if (ok)
        *out = Ansi(*block);
    if (*block)
        GlobalFree(*block);
    *block = nullptr;
    return ok;
}

bool Capable(SettingsContext* s, CapabilityId id)
{
    return TestModelCapability(s->main, id);
}

// Loads every record of a kind in model order; false when the model has none.
template <typename Visit>
bool EachRecord(SettingsContext* s, uint16_t kind, Visit visit)
{
    const uint16_t count = GetModelTableCount(s->main, kind);
    if (count == 0)
        return false;
    for (uint16_t position = 1; position <= count; ++position) {
        SectionHolder holder;
        if (LoadModelTable(true, s->main, s->linked, kind, position, holder.out()) != kModelOk || !holder.section)
            continue;
        if (!visit(holder.section))
            return false;
    }
    return true;
}

}  // namespace

bool BuildPrinterQueryRecord(const PrinterQueryInput& in, PrinterQueryRecord* record)
{
    SettingsContext* s = in.settings;
    if (!s || !record)
        return false;
    *record = {};
    record->portName = Ansi(in.portName);
    record->modelName = Ansi(in.modelName);
    record->deviceName = Ansi(in.deviceName);
    wchar_t directory[kDriverDirectoryChars] = {};
    if (!GetDriverDirectory(directory, sizeof directory))
        return false;
    wchar_t* block = nullptr;
    uint16_t status = 0;
    const uint16_t which = Capable(s, kCapAlternateLibrary) ? kAlternateLibraryFileName : kLibraryFileName;
    std::string file;
    status = GetModelFileName(s->main, which, &block);
    if (!ModelText(status, &block, &file) || file.empty())
        return false;
    record->libraryPath = Ansi(directory) + file;
    if (record->libraryPath.size() > kDeviceLibraryPathChars)
        return false;
    status = GetModelFileName(s->main, kOpenFileFirst, &block);
    if (!ModelText(status, &block, &record->openFirst))
        return false;
    status = GetModelFileName(s->main, kOpenFileSecond, &block);
    if (!ModelText(status, &block, &record->openSecond))
        return false;
    status = ReadModelSectionString(s->main, kRawSelectText, 0, &block);
    return ModelText(status, &block, &record->selectText);
}

bool LoadQueryRules(SettingsContext* settings, std::vector<ModelSection*>* holders, std::vector<QueryRule>* rules)
{
    const bool flagWord = GetCurrentModelFormatVersion() >= kModelFormat4096;
    const uint16_t count = GetModelTableCount(settings->main, kKindEntrySet);
    for (uint16_t position = 1; position <= count; ++position) {
        ModelSection* section = nullptr;
        if (LoadModelTable(true, settings->main, settings->linked, kKindEntrySet, position, &section) != kModelOk ||
            !AsEntrySet(section)) {
            FreeModelSection(&section, 0);
            continue;
        }
        holders->push_back(section);
        rules->push_back(QueryRuleFromSection(*AsEntrySet(section), flagWord));
    }
    return true;
}

bool LoadTrayModel(SettingsContext* s, const AnswerList& options, TrayModel* model)
{
    model->secondTypes = Capable(s, kCapSecondTypes);
    model->feedBit31 = (GetModelSectionNumber(s->main, kRawCapabilityWord, 4, 0) & 0x80000000u) != 0;
    const bool papers = EachRecord(s, kKindPaper, [&](const ModelSection* section) {
        if (const PaperSection* p = AsPaper(section))
            if (!IsCustomPaperCode(p->id))
                model->modelPapers.push_back({p->id, p->size.x, p->size.y});
        return true;
    });
    const bool types = EachRecord(s, kKindSetting32779, [&](const ModelSection* section) {
        if (const auto* t = static_cast<const Setting32779Section*>(section); t->kind == kKindSetting32779)
            model->typeNames.push_back({t->byte, t->name});
        return true;
    });
    bool seconds = true;
    if (model->secondTypes)
        seconds = EachRecord(s, kKindNamedString, [&](const ModelSection* section) {
            if (section->kind == kKindNamedString)
                model->secondNames.push_back({section->id, static_cast<const NamedStringSection*>(section)->name});
            return true;
        });
    // The tray assignment rules, kept for the sources below.
    std::vector<std::pair<std::vector<TrayCondition>, std::vector<ModelTriple>>> rules;
    std::vector<ModelSection*> ruleHolders;
    const uint16_t ruleCount = GetModelTableCount(s->main, kKindRuleTriples);
    for (uint16_t position = 1; position <= ruleCount; ++position) {
        ModelSection* section = nullptr;
        if (LoadModelTable(true, s->main, s->linked, kKindRuleTriples, position, &section) != kModelOk ||
            !section || section->kind != kKindRuleTriples) {
            FreeModelSection(&section, 0);
            continue;
        }
        ruleHolders.push_back(section);
        const auto* r = static_cast<const RuleTriplesSection*>(section);
        std::vector<TrayCondition> rows;
        for (const ModelTerm& t : r->terms)
            rows.push_back({t.settingId, &t.value, t.op, t.d});
        rules.emplace_back(rows, r->triples);
    }
    const bool sources = EachRecord(s, kKindInputTray, [&](const ModelSection* section) {
        const TraySection* t = AsTray(section);
        if (!t)
            return true;
        TrayFeature f;
        f.source = t->id;
        f.minWidth = t->first.x;
        f.minLength = t->first.y;
        f.maxWidth = t->second.x;
        f.maxLength = t->second.y;
        f.papers = t->list2;
        for (const auto& [rows, triples] : rules) {
            bool lists = false;
            uint16_t tray = 0;
            for (const ModelTriple& triple : triples)
                if (triple.a == f.source) {
                    lists = true;
                    tray = triple.b;
                    break;
                }
            if (!lists)
                continue;
            const int holds = EvaluateTrayConditions(rows, options);
            if (holds == kConditionError)
                break;
            if (holds) {
                f.deviceTray = tray;
                break;
            }
        }
        model->features.push_back(f);
        return true;
    });
    for (ModelSection* section : ruleHolders)
        FreeModelSection(&section, 0);
    return papers && types && seconds && sources;
}

void FreePrinterQueryResult(PrinterQueryResult* result)
{
    if (!result)
        return;
    FreeAnswer(&result->address);
    FreeAnswer(&result->community);
    FreeAnswer(&result->snmpVersion);
    FreeAnswers(&result->options);
    FreeAnswers(&result->trays);
    FreeAnswers(&result->others);
}

namespace {

QueryOpenOptions OpenOptions(const PrinterQueryInput& in)
{
    QueryOpenOptions o;
    o.communityName = Capable(in.settings, kCapCommunityName);
    o.communityText = in.communityText;
    o.snmpVersion = Capable(in.settings, kCapAlternateLibrary);
    o.snmpReadable = in.snmpReadable;
    o.snmpValue = in.snmpValue;
    return o;
}

bool ReadText(DeviceHandle h, const char* name, uint16_t setting, SettingAnswer* out)
{
    QueryValue v;
    return ReadQueryAttribute(kTypeString, h, name, 0, &v) && StringAnswer(setting, v.text, out);
}

bool QueryDevice(const PrinterQueryInput& in, DeviceHandle h, PrinterQueryResult* r)
{
    SettingsContext* s = in.settings;
    if (!ReadText(h, "_ZQZADC_NetworkAddress", kQueryAddressSetting, &r->address))
        return false;
    if (Capable(s, kCapCommunityName) && !ReadText(h, "_ZQZADC_CommunityName", kQueryCommunitySetting, &r->community))
        return false;
    if (Capable(s, kCapAlternateLibrary)) {
        QueryValue v;
        if (!ReadQueryAttribute(kTypeS32, h, "_ZQZADC_SNMPVersion", 0, &v))
            return false;
        r->snmpVersion = NumberAnswer(kQuerySnmpSetting, kTypeByte, 1, v.number & 0xFF);
    }
    std::vector<ModelSection*> holders;
    std::vector<QueryRule> rules;
    LoadQueryRules(s, &holders, &rules);
    DeviceAttributeReader reader;
    reader.handle = h;
    for (const QueryRule& rule : rules) {
        SettingAnswer answer;
        if (!EvaluateQueryRule(rule, &reader, &answer))
            continue;
        (rule.ruleClass == kQueryRuleOption ? r->options : r->others).push_back(answer);
    }
    for (ModelSection* section : holders)
        FreeModelSection(&section, 0);

    TrayModel model;
    model.userPapers = in.userPapers;
    if (!LoadTrayModel(s, r->options, &model))
        return false;
    std::vector<DeviceTrayRecord> trays;
    if (!ReadDeviceTrays(h, model.secondTypes, &trays))
        return false;
    return BuildTrayAnswers(trays, model, &r->trays);
}

}  // namespace

int RunPrinterQuery(const PrinterQueryInput& in, PrinterQueryResult* result)
{
    if (!result || !in.settings)
        return 0;
    *result = {};
    PrinterQueryRecord record;
    if (!BuildPrinterQueryRecord(in, &record))
        return 0;
    const DeviceHandle h = OpenPrinterQuery(in.window, record, kQueryModePrinter, nullptr, OpenOptions(in));
    if (!h)
        return 0;
    const bool ok = QueryDevice(in, h, result);
    ClosePrinterQuery(h);
    if (!ok) {
        FreePrinterQueryResult(result);
        return 0;
    }
    return 1;
}

int QueryPrinterAddress(const PrinterQueryInput& in, const wchar_t* address, wchar_t* out)
{
    if (!out || !in.settings)
        return 0;
    PrinterQueryRecord record;
    if (!BuildPrinterQueryRecord(in, &record))
        return 0;
    const DeviceHandle h = OpenPrinterQuery(in.window, record, kQueryModeAddress, address, OpenOptions(in));
    if (!h)
        return 0;
    QueryValue v;
    const bool ok = ReadQueryAttribute(kTypeString, h, "_ZQZADC_NetworkAddress", 0, &v);
    ClosePrinterQuery(h);
    if (!ok)
        return 0;
    std::wcscpy(out, v.text);
    return 1;
}
