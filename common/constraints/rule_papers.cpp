#include "common/constraints/rule_papers.h"

#include "common/constraints/constraint_values.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/model/model_kinds.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/context/value_by_type.h"
#include "common/system/form_paper_match.h"

#include <algorithm>

namespace {

constexpr uint16_t kSameAsDocument = 267;
constexpr uint16_t kPrinterDefaultSource = 258;
constexpr uint32_t kOwnDefaultSourceBit = 1u << 16;  // capability word 0: 258 is a source of its own
constexpr uint16_t kFixedTray = 4;
constexpr uint16_t kLargeTray = 264;

bool Within(uint16_t w, uint16_t h, const TrayLimits& l)
{
    return w >= l.minWidth && w <= l.maxWidth && h >= l.minHeight && h <= l.maxHeight;
}

bool Read16(const ConstraintContext* c, const SettingChange* change, uint16_t id, uint16_t* out)
{
    uint32_t v = 0;
    if (!ReadChangeOrSetting(c, change, id, &v))
        return false;
    *out = static_cast<uint16_t>(v);
    return true;
}

// One row of the tray fit of the rule kinds.
struct KindFit {
    uint16_t kind;
    uint16_t recordKind;
    uint16_t keptBits;
};
constexpr KindFit kKindFits[] = {
    {1024, kKindInputTray, 0x0F},   // the output paper in the paper source
    {2048, kKindInputTray, 0x13},   // ... in the second source, when 1313 is set
    {3072, kKindOutputBin, 0x23},    // ... in the output bin
    {5120, kKindInputTray, 0x40},   // 410 in the fixed tray 4
    {6144, kKindInputTray, 0x80},   // 411 in the large tray 264
    {7168, kKindOutputBin, 0xA0},    // 411 in the output bin
    {8192, kKindOutputBin, 0x60},    // 410 in the output bin
    {9216, kKindInputTray, 0x803},  // the output paper in the cover tray 333, when 332 is set
};

// The model's paper record of a paper code, held by `holder`; null when absent.
const PaperSection* LoadPaperRecord(const SettingsContext* settings, uint16_t paper, SectionHolder& holder)
{
    if (!settings || LoadModelTableWithOption(true, settings->main, settings->linked, kKindPaper, paper, 0,
                                              holder.out()) != kModelOk)
        return nullptr;
    return AsPaper(holder.section);
}

}  // namespace

bool GatherPaperContext(const ConstraintContext* c, const SettingChange* change, PaperContext* p)
{
    *p = {};
    uint16_t source = 0;
    if (!Read16(c, change, kFidPaperSource, &source))
        return false;
    p->mask = kInvolvesPaperSource;
    if (source == kPrinterDefaultSource) {
        CapabilityBits bits{};
        GetModelCapabilityBits(c->settings->main, &bits);
        if (!(bits.words[0] & kOwnDefaultSourceBit)) {
            if (!Read16(c, change, kFidDefaultSource, &source))
                return false;
            p->mask = kInvolvesDefaultSource;
        }
    }
    p->source = source;
    uint16_t output = 0;
    if (!Read16(c, change, kFidOutputBin, &p->bin) || !Read16(c, change, kFidSecondSource, &p->secondSource) ||
        !Read16(c, change, kFidOutputPaper, &output))
        return false;
    p->mask |= kInvolvesOutputBin | kInvolvesSecondSource;
    if (output == kSameAsDocument) {
        if (!Read16(c, change, kFidPaperSize, &output))
            return false;
        p->mask |= kInvolvesDocumentPaper;
    } else {
        p->mask |= kInvolvesOutputPaper;
    }
    p->outputPaper = output;
    if (!ReadChangeOrSetting(c, change, kFidSecondSourceOn, &p->secondSourceOn) ||
        !Read16(c, change, kFidInsertPaper1, &p->paper410) || !Read16(c, change, kFidInsertPaper2, &p->paper411) ||
        !Read16(c, change, kFidCoverTray, &p->tray333) || !Read16(c, change, kFidCovers, &p->covers332))
        return false;
    p->mask |= kInvolves410 | kInvolves411 | kInvolves333;
    return true;
}

int GetPaperSizeById(const ConstraintContext* c, uint16_t paper, uint16_t* width, uint16_t* height)
{
    if (!c || !width || !height)
        return 0;
    const uint16_t index = CustomPaperIndex(paper);
    if (index != kNoUserPaper) {
        uint32_t w = 0, h = 0;
        if (!ReadSettingNumber(kFidUserPaperWidthFirst + index, c->settingsRecord, c->printerSettingsRecord, &w) ||
            !ReadSettingNumber(kFidUserPaperLengthFirst + index, c->settingsRecord, c->printerSettingsRecord, &h))
            return 0;
        *width = static_cast<uint16_t>(w);
        *height = static_cast<uint16_t>(h);
        return 1;
    }
    if (paper == kFreeCustomPaperCode) {
        int16_t w = 0, h = 0;
        if (!GetCustomPaperSize(c->settingsRecord, c->printerSettingsRecord, &w, &h))
            return 0;
        *width = static_cast<uint16_t>(w);
        *height = static_cast<uint16_t>(h);
        return 1;
    }
    SectionHolder record;
    const PaperSection* p = LoadPaperRecord(c->settings, paper, record);
    if (!p)
        return 0;
    *width = p->size.x;
    *height = p->size.y;
    return 1;
}

uint16_t GetOutputPaperCode(HANDLE printer, const ConstraintContext* c)
{
    uint32_t output = 0, document = 0;
    if (!c || !ReadSettingNumber(kFidOutputPaper, c->settingsRecord, c->printerSettingsRecord, &output))
        return 0;
    if (output != kSameAsDocument)
        return static_cast<uint16_t>(output);
    if (!ReadSettingNumber(kFidPaperSize, c->settingsRecord, c->printerSettingsRecord, &document))
        return 0;
    uint16_t model = 0;
    if (MatchFormToModelPaper(printer, c->settingsRecord, c->printerSettingsRecord, static_cast<uint16_t>(document),
                              &model) != 1)
        return 0;
    return model;
}

uint16_t GetPrintableSize(const ConstraintContext* c, uint16_t paper, uint16_t* width, uint16_t* height)
{
    if (!c || !c->settings || !width || !height)
        return 1;
    SectionHolder record;
    const PaperSection* p = LoadPaperRecord(c->settings, paper, record);
    if (!p)
        return 1;
    if (!IsUserDefinedPaperCode(paper)) {
        // A model paper is printable over its printable area.
        *width = p->area.x;
        *height = p->area.y;
        return 0;
    }
    uint16_t w = 0, h = 0;
    if (!GetPaperSizeById(c, paper, &w, &h))
        return 1;
    const int pw = int{w} - p->margin1.x - p->margin2.x;
    const int ph = int{h} - p->margin1.y - p->margin2.y;
    *width = static_cast<uint16_t>(std::clamp<int>(pw, p->minUser.x, std::max(p->minUser.x, p->maxUser.x)));
    *height = static_cast<uint16_t>(std::clamp<int>(ph, p->minUser.y, std::max(p->minUser.y, p->maxUser.y)));
    return 0;
}

uint16_t GetTrayPaperLimits(const SettingsContext* settings, uint16_t kind, uint16_t tray, TrayLimits* limits)
{
    if (!settings || !limits || (kind != kKindInputTray && kind != kKindOutputBin))
        return 1;
    SectionHolder record;
    const uint16_t status =
        LoadModelTableWithOption(true, settings->main, settings->linked, kind, tray, 0, record.out());
    // A source the model does not describe sets no limits of its own.
    if (status == kModelAbsent)
        return kTrayNoLimits;
    const TraySection* t = AsTray(record.section);
    if (status != kModelOk || !t)
        return 1;
    if (std::find(t->list1.begin(), t->list1.end(), kFidOutputPaper) == t->list1.end())
        return kTrayNoLimits;
    *limits = {t->first.x, t->first.y, t->second.x, t->second.y};
    return 0;
}

int LoadSizeRule(const SettingsContext* settings, uint16_t rule, TrayLimits* limits)
{
    SectionHolder record;
    if (rule == 0 || LoadModelTableWithOption(true, settings->main, settings->linked, kKindSizePairs, rule, 0,
                                              record.out()) != kModelOk)
        return 0;
    const SizePairsSection* s = AsSizePairs(record.section);
    if (!s)
        return 0;
    *limits = {s->first.x, s->first.y, s->second.x, s->second.y};
    return 1;
}

uint16_t TestPaperFitRow(const ConstraintContext* c, const SettingChange* change, uint8_t op, uint16_t* bits)
{
    PaperContext p;
    if (!GatherPaperContext(c, change, &p))
        return kRuleError;
    if (!IsUserDefinedPaperCode(p.outputPaper))
        return 0;
    uint16_t w = 0, h = 0;
    if (!GetPaperSizeById(c, p.outputPaper, &w, &h))
        return kRuleError;
    const bool second = op == 8;
    TrayLimits limits{};
    const uint16_t status = GetTrayPaperLimits(c->settings, kKindInputTray, second ? p.secondSource : p.source, &limits);
    if (status != 0 && status != kTrayNoLimits)
        return kRuleError;
    bool fits = false;
    if (status == 0) {
        if (op == 11)
            fits = Within(h, w, limits);
        else if (op == 12)
            fits = Within(w, h, limits) || Within(h, w, limits);
        else
            fits = Within(w, h, limits);
    }
    if (fits)
        return 0;
    *bits = p.mask & (second ? 0x13 : 0x0F);
    return 1;
}

uint16_t TestSizeRuleRow(const ConstraintContext* c, const SettingChange* change, const ModelTerm* row,
                         const ModelSection* feature, uint16_t* bits)
{
    // The size rule: the checked setting's own record when the row concerns it,
    // else the record of the row's setting and value.
    uint16_t rule = 0;
    bool decided = false;
    uint64_t rowHolder = 0;
    const bool rowHasValue = ModelElementHolder(row->value, 0, &rowHolder);
    if (feature && change && row->settingId == change->id) {
        if (const FeatureSection* f = AsFeature(feature); f && !rowHasValue) {
            rule = f->sizeRule;
            decided = true;
        } else if (const OptionSection* o = AsOption(feature); o && rowHasValue && change->value &&
                   CompareTypedValues(1, row->value.type, &rowHolder, change->type, change->value) == kCompareTrue) {
            rule = o->sizeRule;
            decided = true;
        }
    }
    if (!decided) {
        SectionHolder record;
        uint16_t kind = 0;
        if (LoadItemFeature(true, c->settings->main, c->settings->linked, row->settingId,
                            rowHasValue ? &rowHolder : nullptr, &kind, record.out(), nullptr) != kModelOk)
            return 0;
        if (const FeatureSection* f = AsFeature(record.section))
            rule = f->sizeRule;
        else if (const OptionSection* o = AsOption(record.section))
            rule = o->sizeRule;
    }
    if (rule == 0)
        return 0;
    uint16_t paper = 0;
    if (row->op == 9) {
        if (!Read16(c, change, kFidOutputPaper, &paper))
            return kRuleError;
        if (paper == kSameAsDocument && !Read16(c, change, kFidPaperSize, &paper))
            return kRuleError;
    } else if (!Read16(c, change, kFidPaperSize, &paper)) {
        return kRuleError;
    }
    if (!IsUserDefinedPaperCode(paper))
        return 0;
    uint16_t w = 0, h = 0;
    TrayLimits limits{};
    if (!GetPaperSizeById(c, paper, &w, &h))
        return kRuleError;
    if (!LoadSizeRule(c->settings, rule, &limits))
        return 0;
    if (Within(w, h, limits))
        return 0;
    *bits = row->op == 9 ? kInvolvesOutputPaper : kInvolvesDocumentPaper;
    return 1;
}

uint16_t TestRuleKindFit(const ConstraintContext* c, const SettingChange* change, uint16_t kind, bool* fires,
                         uint16_t* bits)
{
    *fires = false;
    PaperContext p;
    if (!GatherPaperContext(c, change, &p))
        return kRuleError;
    uint16_t w = 0, h = 0;
    if (kind == 4096) {
        // A user size within the range of its paper record: size pair to area pair.
        if (!IsUserDefinedPaperCode(p.outputPaper))
            return 0;
        SectionHolder record;
        const PaperSection* paper = LoadPaperRecord(c->settings, p.outputPaper, record);
        if (!paper || !GetPaperSizeById(c, p.outputPaper, &w, &h))
            return kRuleError;
        *fires = !Within(w, h, {paper->size.x, paper->size.y, paper->area.x, paper->area.y});
        return 0;
    }
    const KindFit* fit = nullptr;
    for (const KindFit& k : kKindFits)
        if (k.kind == kind)
            fit = &k;
    if (!fit)
        return 0;  // a kind the engine does not know tests nothing
    uint16_t source = 0, paper = p.outputPaper;
    bool active = true;
    switch (kind) {
    case 1024: source = p.source; break;
    case 2048: source = p.secondSource; active = p.secondSourceOn != 0; break;
    case 3072: source = p.bin; break;
    case 5120: source = kFixedTray; paper = p.paper410; break;
    case 6144: source = kLargeTray; paper = p.paper411; break;
    case 7168: source = p.bin; paper = p.paper411; break;
    case 8192: source = p.bin; paper = p.paper410; break;
    case 9216: source = p.tray333; active = p.covers332 != 0; break;
    }
    if (!active) {
        *bits = 0;
        return 0;
    }
    TrayLimits limits{};
    if (!GetPaperSizeById(c, paper, &w, &h))
        return kRuleError;
    const uint16_t status = GetTrayPaperLimits(c->settings, fit->recordKind, source, &limits);
    if (status == kTrayNoLimits || (status == 0 && Within(w, h, limits))) {
        // A source that names no limits takes any paper.
        *bits = 0;
        return 0;
    }
    if (status != 0)
        return kRuleError;
    *fires = true;
    *bits |= p.mask & fit->keptBits;
    if (kind == 5120 || kind == 6144) {
        const uint16_t fixed = kind == 5120 ? kFixedTray : kLargeTray;
        for (uint16_t i = 0; i < 3; ++i) {
            uint16_t tray = 0;
            if (!Read16(c, change, kFidFixedTrayFirst + i, &tray))
                return kRuleError;
            if (tray == fixed)
                *bits |= static_cast<uint16_t>(kInvolvesFixedTray407 << i);
        }
    }
    return 0;
}

uint16_t CheckCustomPaperSizeRule(HANDLE printer, const ConstraintContext* c, const ModelTerm* condition)
{
    if (!c || !c->settings || !condition || condition->op != 9)
        return 2;
    uint64_t holder = 0;
    const bool hasValue = ModelElementHolder(condition->value, 0, &holder);
    SectionHolder record;
    uint16_t kind = 0;
    if (LoadItemFeature(true, c->settings->main, c->settings->linked, condition->settingId,
                        hasValue ? &holder : nullptr, &kind, record.out(), nullptr) != kModelOk)
        return 2;
    uint16_t rule = 0;
    if (const FeatureSection* f = AsFeature(record.section))
        rule = f->sizeRule;
    else if (const OptionSection* o = AsOption(record.section))
        rule = o->sizeRule;
    TrayLimits limits{};
    if (rule == 0 || !LoadSizeRule(c->settings, rule, &limits))
        return 2;
    const uint16_t paper = GetOutputPaperCode(printer, c);
    if (!IsUserDefinedPaperCode(paper))
        return 0;
    uint16_t w = 0, h = 0;
    if (!GetPaperSizeById(c, paper, &w, &h))
        return 0;
    return Within(w, h, limits) ? 0 : 1;
}
