// The paper of an incoming DEVMODE resolved against the spooler's forms and the
// model's papers.
#include "common/context/model_lookups.h"
#include "common/context/paper_list.h"
#include "common/context/context_utilities.h"
#include "common/context/settings_context.h"
#include "common/context/user_paper_limits.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_merge.h"
#include "common/devmode/setting_numbers.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/spooler_forms.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr uint16_t kFidCustomSizeWanted = 1331;
constexpr uint16_t kFidCustomSizeChosen = 1353;
constexpr uint32_t kFormSizeDivisor = 100;  // forms in thousandths of a millimetre

enum PaperKey : int { kKeyName = 1, kKeySize = 2, kKeyCode = 4 };

struct Forms {
    GlobalBlockPtr<FORM_INFO_1W> block;
    DWORD count = 0;
};

bool LoadForms(HANDLE printer, Forms* forms)
{
    FORM_INFO_1W* block = nullptr;
    DWORD bytes = 0;
    DWORD count = 0;
    if (EnumSpoolerForms(printer, &block, &bytes, &count) != kFormsOk)
        return false;
    forms->block.reset(block);
    forms->count = count;
    return true;
}

bool WithinUserLimits(SettingsContext* context, int32_t width, int32_t length)
{
    uint16_t minWidth = 0, minLength = 0, maxWidth = 0, maxLength = 0;
    if (!GetUserPaperSizeLimits(context, kUserPaperLimitsCode, &minWidth, &minLength, &maxWidth, &maxLength))
        return false;
    return width >= minWidth && width <= maxWidth && length >= minLength && length <= maxLength;
}

void SetAnswer(PaperAnswer* answer, uint16_t code, int32_t length, int32_t width, const wchar_t* name)
{
    std::memset(answer, 0, sizeof *answer);
    answer->code = code;
    answer->length = length;
    answer->width = width;
    if (name)
        wcsncpy(answer->name, name, 31);
}

bool FreeCustomAnswer(const PaperRequest& request, PaperAnswer* answer)
{
    SetAnswer(answer, request.code, request.length, request.width, request.name);
    return true;
}

bool MatchFormBySize(SettingsContext* context, HANDLE printer, const PaperRequest& request, int keys,
                     PaperAnswer* answer)
{
    Forms forms;
    if (LoadForms(printer, &forms)) {
        std::vector<uint32_t> candidates;
        for (DWORD i = 0; i < forms.count; ++i) {
            const FORM_INFO_1W& form = forms.block.get()[i];
            if (SizesMatch(request.width, request.length, form.Size.cx / kFormSizeDivisor,
                           form.Size.cy / kFormSizeDivisor))
                candidates.push_back(i);
        }
        OptionRequest byKey = {request.code, 0, 0, const_cast<wchar_t*>(request.name)};
        FormPaperMatch match = {};
        int found = 0;
        if (!candidates.empty() && (keys & kKeyCode))
            found = FindFormPaper(context, forms.block.get(), forms.count, candidates.data(),
                                  static_cast<uint32_t>(candidates.size()), kFormByNumber, &byKey, &match);
        if (!found && !candidates.empty() && (keys & kKeyName) && request.name[0])
            found = FindFormPaper(context, forms.block.get(), forms.count, candidates.data(),
                                  static_cast<uint32_t>(candidates.size()), kFormByName, &byKey, &match);
        for (size_t c = 0; !found && c < candidates.size(); ++c) {
            OptionRequest own = {static_cast<uint16_t>(candidates[c] + 1), 0, 0, nullptr};
            found = FindFormPaper(context, forms.block.get(), forms.count, &candidates[c], 1, kFormByNumber, &own,
                                  &match);
        }
        if (found) {
            SetAnswer(answer, match.formNumber, match.height, match.width, match.name);
            return true;
        }
    }
    if (WithinUserLimits(context, request.width, request.length)) {
        SetAnswer(answer, kFreeCustomPaperCode, request.length, request.width, nullptr);
        return true;
    }
    return false;
}

bool ResolvePaperFromForm(SettingsContext* context, HANDLE printer, void* printerSettingsRecord, int key,
                          const PaperRequest& request, PaperAnswer* answer)
{
    Forms forms;
    if (!LoadForms(printer, &forms))
        return false;
    uint32_t index = forms.count;
    for (DWORD i = 0; i < forms.count; ++i) {
        const FORM_INFO_1W& form = forms.block.get()[i];
        const bool taken = key == kKeyName ? form.pName && request.name[0] && _wcsicmp(form.pName, request.name) == 0
                                           : i + 1 == request.code;
        if (taken) {
            index = i;
            break;
        }
    }
    if (index == forms.count)
        return false;
    const FORM_INFO_1W& form = forms.block.get()[index];
    const int32_t width = form.Size.cx / kFormSizeDivisor;
    const int32_t length = form.Size.cy / kFormSizeDivisor;
    OptionRequest own = {static_cast<uint16_t>(index + 1), 0, 0, nullptr};
    FormPaperMatch match = {};
    if (GetCustomPaperSizeValue(context, printerSettingsRecord) == 0 &&
        !FindFormPaper(context, forms.block.get(), forms.count, &index, 1, kFormByNumber, &own, &match)) {
        if (!WithinUserLimits(context, width, length))
            return false;
        SetAnswer(answer, kFreeCustomPaperCode, length, width, nullptr);
        return true;
    }
    SetAnswer(answer, static_cast<uint16_t>(index + 1), length, width, form.pName);
    return true;
}

bool ReadRequest(void* record, void* printerSettingsRecord, PaperRequest* request)
{
    std::memset(request, 0, sizeof *request);
    uint32_t length = 0, width = 0, code = 0;
    if (!ReadSettingNumber(kFidPaperLength, record, printerSettingsRecord, &length) ||
        !ReadSettingNumber(kFidPaperWidth, record, printerSettingsRecord, &width) ||
        !ReadSettingNumber(kFidPaperSize, record, printerSettingsRecord, &code))
        return false;
    request->length = static_cast<int16_t>(length);
    request->width = static_cast<int16_t>(width);
    request->code = static_cast<uint16_t>(code);
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(kFidFormName, record, printerSettingsRecord, &type, &size, &holder) != kSettingOk ||
        type != kTypeString)
        return false;
    // The name may arrive without its terminator: it is cut at its room.
    wcsncpy(request->name, reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder)), 31);
    return true;
}

bool CustomSizeFlag(SettingsContext* context, void* output, void* input, void* printerSettingsRecord)
{
    void* own = output && IsOwnDevmode(context, output, printerSettingsRecord) ? output
                : IsOwnDevmode(context, input, printerSettingsRecord)      ? input
                                                                           : nullptr;
    if (!own)
        return false;
    if (SettingNumberOr(kFidCustomSizeChosen, own, printerSettingsRecord, 0) != 0)
        return true;
    return SettingNumberOr(kFidCustomSizeWanted, own, printerSettingsRecord, 0) != 0;
}

bool StoreAnswer(void* record, void* printerSettingsRecord, const PaperAnswer& answer, uint32_t fields,
                 bool customSizeFlag)
{
    if (!WriteSettingNumber(kFidPaperLength, record, printerSettingsRecord, static_cast<uint32_t>(answer.length)) ||
        !WriteSettingNumber(kFidPaperWidth, record, printerSettingsRecord, static_cast<uint32_t>(answer.width)) ||
        !WriteSettingNumber(kFidPaperSize, record, printerSettingsRecord, answer.code))
        return false;
    if (answer.name[0]) {
        const uint64_t holder = reinterpret_cast<uintptr_t>(answer.name);
        const auto bytes = static_cast<uint32_t>((wcslen(answer.name) + 1) * sizeof(wchar_t));
        if (SetFunctionIdValue(kFidFormName, record, printerSettingsRecord, kTypeString, bytes, &holder) != kSettingOk)
            return false;
    }
    uint32_t own = 0;
    if (!ReadSettingNumber(kFidFields, record, printerSettingsRecord, &own))
        return false;
    uint32_t merged = own | (fields & (kDmFormName | kDmPaperSize));
    if (customSizeFlag)
        merged |= kDmPaperLength | kDmPaperWidth;
    if (answer.code == kFreeCustomPaperCode)
        merged = (merged & ~kDmFormName) | kDmPaperLength | kDmPaperWidth;
    return WriteSettingNumber(kFidFields, record, printerSettingsRecord, merged);
}

}  // namespace

bool ResolvePaper(SettingsContext* context, HANDLE printer, void* record, void* printerSettingsRecord,
                  const PaperRequest& request, uint32_t fields, bool customSizeFlag, PaperAnswer* answer)
{
    if (!answer || !(fields & kDmPaperFields))
        return false;
    const bool bothSizes = request.length > 0 && request.width > 0;
    int keys = 0;
    if (fields & kDmPaperSize)
        keys |= kKeyCode;
    if (fields & kDmFormName)
        keys |= kKeyName;
    if ((fields & (kDmPaperLength | kDmPaperWidth)) && bothSizes)
        keys |= kKeySize;
    const bool custom = request.code == kFreeCustomPaperCode;
    const bool customEnabled = custom && IsCustomPaperEnabled(record, printerSettingsRecord) != 0;
    if (custom) {
        if (!customEnabled) {
            keys = bothSizes ? kKeySize : kKeyCode;
        } else if ((fields & (kDmPaperLength | kDmPaperWidth)) == (kDmPaperLength | kDmPaperWidth)) {
            return FreeCustomAnswer(request, answer);
        } else {
            keys = kKeyCode;
        }
    }
    static constexpr int kSizeFirst[] = {kKeySize, kKeyCode, kKeyName};
    static constexpr int kCodeFirst[] = {kKeyCode, kKeyName, kKeySize};
    const int* order = !custom && customSizeFlag ? kCodeFirst : kSizeFirst;
    for (int i = 0; i < 3; ++i) {
        const int key = order[i];
        if (!(keys & key))
            continue;
        if (key == kKeySize) {
            if (MatchFormBySize(context, printer, request, keys, answer))
                return true;
        } else if (ResolvePaperFromForm(context, printer, printerSettingsRecord, key, request, answer)) {
            return true;
        } else if (key == kKeyCode && customEnabled) {
            return FreeCustomAnswer(request, answer);
        }
    }
    return false;
}

int MergePaperFields(SettingsContext* context, void* output, void* input, void* printerSettingsRecord,
                     HANDLE printer, uint32_t fields)
{
    if (!input)
        return 0;
    PaperRequest request;
    if (!ReadRequest(input, printerSettingsRecord, &request))
        return 0;
    const bool flag = CustomSizeFlag(context, output, input, printerSettingsRecord);
    void* target = output ? output : input;
    PaperAnswer answer;
    if (ResolvePaper(context, printer, target, printerSettingsRecord, request, fields, flag, &answer))
        return StoreAnswer(target, printerSettingsRecord, answer, fields, flag) ? 1 : 0;
    if (!output)
        return ResetDevmodePaperFromPrinter(context, printer, input);
    return 1;
}

int ResetDevmodePaperFromPrinter(SettingsContext* context, HANDLE printer, void* record)
{
    if (!record)
        return 0;
    std::vector<uint8_t> merged(kSettingsRecordSize, 0);
    int mergedFlag = 0;
    GlobalBlockPtr<uint8_t> info(GetPrinterInfoWithMergedDevmode(printer, context, merged.data(), nullptr,
                                                                 &mergedFlag));
    if (!info)
        return 0;
    for (uint16_t id : {kFidPaperSize, kFidPaperLength, kFidPaperWidth, kFidFormName}) {
        if (!CopySettingValue(record, merged.data(), nullptr, id))
            return 0;
    }
    return 1;
}
