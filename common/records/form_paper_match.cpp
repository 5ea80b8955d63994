#include "common/records/form_paper_match.h"

#include "common/context/settings_context.h"
#include "common/model/model_kinds.h"
#include "common/records/effective_values.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/system/global_block.h"
#include "common/system/spooler_forms.h"

#include <cwchar>
#include <memory>

namespace {

constexpr uint32_t kDmPaperLength = 0x4;
constexpr uint32_t kDmPaperWidth = 0x8;
constexpr int kMatchFailed = 10;

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};

struct SectionHolder {
    ModelSection* section = nullptr;
    ~SectionHolder() { FreeModelSection(&section, kKindOwn); }
};

}  // namespace

int MatchFormToModelPaper(HANDLE printer, void* settingsRecord, void* printerSettingsRecord, uint16_t paperNumber,
                          uint16_t* modelPaper)
{
    return MatchFormToModelPaperOfContext(printer, nullptr, settingsRecord, printerSettingsRecord, paperNumber,
                                          modelPaper);
}

int MatchFormToModelPaperOfContext(HANDLE printer, SettingsContext* openContext, void* settingsRecord,
                                   void* printerSettingsRecord, uint16_t paperNumber, uint16_t* modelPaper)
{
    if (modelPaper == nullptr)
        return kMatchFailed;
    *modelPaper = 0;
    if (paperNumber == kFreeCustomPaperCode && IsCustomPaperEnabled(settingsRecord, printerSettingsRecord)) {
        const uint32_t fields = GetEffectiveValue(settingsRecord, printerSettingsRecord, kFidFields);
        if (fields != 0xFFFFFFFF && (fields & kDmPaperLength) && (fields & kDmPaperWidth)) {
            *modelPaper = kFreeCustomPaperCode;
            return 1;
        }
    }
    GlobalBlockPtr<wchar_t> formName(GetFormNameByNumber(printer, paperNumber));
    if (!formName)
        return kMatchFailed;
    // Opening a context loads the model files again: a caller that holds one
    // for the printer lends it.
    std::unique_ptr<SettingsContext, ContextCloser> owned(openContext ? nullptr : OpenSettingsContext(printer));
    SettingsContext* context = openContext ? openContext : owned.get();
    if (!context)
        return kMatchFailed;

    for (uint16_t n = 1; n != 0; ++n) {
        SectionHolder option;
        uint16_t kind = 0;
        uint16_t status = LoadItemOption(false, context->main, context->linked, kFidPaperSize, n, &kind,
                                         &option.section);
        if (status != kModelOk)
            return status;
        SectionHolder paper;
        uint16_t paperKind = 0;
        status = LoadOptionTarget(false, context->main, context->linked, option.section, &paperKind, &paper.section);
        if (status != kModelOk)
            return status;
        const PaperSection* entry = AsPaper(paper.section);
        if (entry == nullptr || entry->name.empty())
            return 0;
        if (_wcsicmp(entry->name.c_str(), formName.get()) == 0) {
            *modelPaper = entry->id;
            return 1;
        }
    }
    return kModelAbsent;
}
