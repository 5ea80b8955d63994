// The paper queries: from the printer's paper list when its context holds one,
// else from the model's paper table joined to the spooler's forms by name.
#include "common/capabilities/capability_options.h"
#include "common/capabilities/device_capabilities.h"
#include "common/context/paper_list.h"
#include "common/context/settings_context.h"
#include "common/context/user_paper_limits.h"
#include "common/context/value_by_type.h"
#include "common/devmode/devmode_merge.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/model/model_kinds.h"
#include "common/system/global_block.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Options the spooler never sees.
constexpr uint16_t kHiddenPapers[] = {311, 312};

struct PaperEntry {
    uint16_t code;
    wchar_t name[kPaperNameChars];
    POINT size;  // tenths of a millimetre
};

uint32_t Read(uint16_t id, void* settings, void* printer)
{
    uint32_t value = 0;
    return ReadSettingNumber(id, settings, printer, &value) == 1 ? value : 0;
}

// The built custom size when the caller's DEVMODE asks for the custom paper
// with a size the model accepts; false otherwise (the slot keeps its size).
bool BuiltCustomSize(const SettingsContext* context, void* settings, void* printer, POINT* size)
{
    if (!settings || Read(kFidPaperSize, settings, printer) != kFreeCustomPaperCode)
        return false;
    const auto width = static_cast<int32_t>(Read(kFidPaperWidth, settings, printer));
    const auto length = static_cast<int32_t>(Read(kFidPaperLength, settings, printer));
    uint16_t minW = 0, minL = 0, maxW = 0, maxL = 0;
    if (GetUserPaperSizeLimits(context, kUserPaperLimitsCode, &minW, &minL, &maxW, &maxL) != 1)
        return false;
    if (width < minW || width > maxW || length < minL || length > maxL)
        return false;
    *size = {width, length};
    return true;
}

// The spooler's forms (level 1) in a block the caller frees; null on failure.
FORM_INFO_1W* ListForms(HANDLE printer, DWORD* count)
{
    DWORD needed = 0;
    *count = 0;
    EnumFormsW(printer, 1, nullptr, 0, &needed, count);
    if (needed == 0)
        return nullptr;
    auto* forms = static_cast<FORM_INFO_1W*>(GlobalAlloc(GPTR, needed));
    if (forms && !EnumFormsW(printer, 1, reinterpret_cast<BYTE*>(forms), needed, &needed, count)) {
        GlobalFree(forms);
        return nullptr;
    }
    return forms;
}

int FindForm(const FORM_INFO_1W* forms, DWORD count, const wchar_t* name)
{
    for (DWORD i = 0; i < count; ++i)
        if (forms[i].pName && lstrcmpiW(forms[i].pName, name) == 0)
            return static_cast<int>(i);
    return -1;
}

void CopyName(wchar_t* out, const wchar_t* name)
{
    lstrcpynW(out, name ? name : L"", kPaperNameChars);
    out[wcscspn(out, L"\r\n")] = L'\0';
}

// The model paper table: 1 built (possibly empty), 0 when the options or the
// forms cannot be read, -1 when a user paper has no slot.
int BuildModelPaperTable(HANDLE printer, const SettingsContext* context, void* settings, void* printerSettings,
                         std::vector<PaperEntry>& table)
{
    const bool withCustom = Read(kFidCustomPaperEnabled, settings, printerSettings) != 0;
    DWORD formCount = 0;
    GlobalBlockPtr<FORM_INFO_1W> forms(ListForms(printer, &formCount));
    if (!forms)
        return 0;
    bool noSlot = false;
    const int count = ForEachOption(context, kFidPaperSize, [&](uint16_t, uint64_t value, const wchar_t* option) {
        const auto code = static_cast<uint16_t>(value);
        if (std::find(std::begin(kHiddenPapers), std::end(kHiddenPapers), code) != std::end(kHiddenPapers))
            return true;
        if (code == kFreeCustomPaperCode && !withCustom)
            return true;
        PaperEntry entry{};
        entry.code = code;
        uint16_t w = 0, h = 0, aw = 0, ah = 0, status = 0;
        uint16_t widthId = 0, lengthId = 0, nameId = 0;
        wchar_t defaultName[kPaperNameChars + 2] = {};
        const bool user = (code >= 262 && code <= 266) || (code >= 287 && code <= 301);
        if (user) {
            if (!FindCustomPaperSlot(code, &widthId, &lengthId, &nameId, defaultName)) {
                noSlot = true;
                return false;
            }
            uint64_t holder = 0;
            uint16_t type = 0;
            uint32_t size = 0;
            wchar_t name[kPaperNameChars] = {};
            if (GetFunctionIdValue(nameId, settings, printerSettings, &type, &size, &holder) == 0 && holder)
                CopyName(name, reinterpret_cast<const wchar_t*>(holder));
            CopyName(entry.name, name[0] ? name : defaultName);
            const int form = FindForm(forms.get(), formCount, entry.name);
            if (form >= 0) {
                entry.code = static_cast<uint16_t>(form + 1);
                entry.size = {forms.get()[form].Size.cx / 100, forms.get()[form].Size.cy / 100};
            } else {
                // Without a spooler form of its name the paper still has the
                // size the user stored for it.
                entry.size = {static_cast<LONG>(Read(widthId, settings, printerSettings)),
                              static_cast<LONG>(Read(lengthId, settings, printerSettings))};
            }
        } else {
            if (code == kFreeCustomPaperCode) {
                CopyName(entry.name, option);
            } else {
                ModelSection* target = GetOptionTargetForValue(context, kFidPaperSize, &value, &status);
                CopyName(entry.name, target ? GetSectionDisplayName(target) : option);
                FreeItemFeature(target);
            }
            if (GetOptionPaperSize(context, kFidPaperSize, &value, &w, &h, &aw, &ah, &status))
                entry.size = {w, h};
            const int form = code == kFreeCustomPaperCode ? -1 : FindForm(forms.get(), formCount, entry.name);
            if (form >= 0)
                entry.code = static_cast<uint16_t>(form + 1);
        }
        table.push_back(entry);
        return true;
    });
    if (noSlot)
        return -1;
    return count >= 0 ? 1 : 0;
}

uint32_t AnswerFromPaperList(uint16_t index, void* output, void* settings, void* printerSettings,
                             SettingsContext* context)
{
    const bool withCustom = Read(kFidCustomPaperEnabled, settings, printerSettings) != 0;
    uint16_t count = 0;
    if (GetPaperListCount(context, &count, withCustom ? kPaperCountAll : kPaperCountAllButCustom) != kPaperListOk)
        return kCapabilityFailed;
    if (!output)
        return count;
    const int kind = index == DC_PAPERS ? kPaperOutPaperNumber : index == DC_PAPERNAMES ? kPaperOutName : kPaperOutSize;
    void* block = nullptr;
    uint32_t bytes = 0;
    void* custom = nullptr;
    if (GetPaperListArray(context, kind, &block, &bytes, withCustom, &custom) != kPaperListOk)
        return kCapabilityFailed;
    if (custom && index == DC_PAPERS)
        *static_cast<uint16_t*>(custom) = kFreeCustomPaperCode;
    POINT built{};
    if (custom && index == DC_PAPERSIZE && BuiltCustomSize(context, settings, printerSettings, &built))
        std::memcpy(custom, &built, sizeof(built));
    std::memcpy(output, block, bytes);
    GlobalFree(block);
    return count;
}

}  // namespace

uint32_t AnswerPapers(HANDLE printer, uint16_t index, void* output, uint16_t needs, void* settings,
                      void* printerSettings, SettingsContext* context)
{
    if ((needs & 7) != 7 || !context || !settings || !printerSettings)
        return kCapabilityFailed;
    if (BuildPaperList(printer, context, printerSettings) != 1)
        return kCapabilityFailed;
    if (HasPaperList(context)) {
        const uint32_t answer = AnswerFromPaperList(index, output, settings, printerSettings, context);
        FreePaperList(context);
        return answer;
    }
    std::vector<PaperEntry> table;
    const int built = BuildModelPaperTable(printer, context, settings, printerSettings, table);
    if (built < 0)
        return 0;
    if (built == 0)
        return table.empty() ? kCapabilityFailed : static_cast<uint32_t>(table.size());
    if (output) {
        POINT custom{};
        const bool hasCustom = BuiltCustomSize(context, settings, printerSettings, &custom);
        for (size_t i = 0; i < table.size(); ++i) {
            const PaperEntry& e = table[i];
            if (index == DC_PAPERS)
                static_cast<WORD*>(output)[i] = e.code;
            else if (index == DC_PAPERNAMES)
                std::memcpy(static_cast<wchar_t*>(output) + i * kPaperNameChars, e.name, sizeof(e.name));
            else
                static_cast<POINT*>(output)[i] = e.code == kFreeCustomPaperCode && hasCustom ? custom : e.size;
        }
    }
    return static_cast<uint32_t>(table.size());
}

uint32_t AnswerExtent(HANDLE printer, uint16_t index, void*, uint16_t needs, void* settings, void* printerSettings,
                      SettingsContext* context)
{
    if ((needs & 7) != 7 || !context || !settings || !printerSettings)
        return kCapabilityFailed;
    std::vector<PaperEntry> table;
    if (BuildModelPaperTable(printer, context, settings, printerSettings, table) != 1 || table.empty())
        return kCapabilityFailed;
    // A user paper with no size stored and no spooler form of its name has
    // none: it would make the smallest extent zero.
    std::erase_if(table, [](const PaperEntry& e) { return e.size.x <= 0 || e.size.y <= 0; });
    if (table.empty())
        return kCapabilityFailed;
    LONG width = table[0].size.x, length = table[0].size.y;
    for (const PaperEntry& e : table) {
        width = index == DC_MINEXTENT ? std::min(width, e.size.x) : std::max(width, e.size.x);
        length = index == DC_MINEXTENT ? std::min(length, e.size.y) : std::max(length, e.size.y);
    }
    return (static_cast<uint32_t>(length & 0xFFFF) << 16) | static_cast<uint32_t>(width & 0xFFFF);
}
