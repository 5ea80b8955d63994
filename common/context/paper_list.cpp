#include "common/context/paper_list.h"

#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/context/user_paper_limits.h"
#include "common/model/model_format.h"
#include "common/context/value_by_type.h"
#include "common/config/config_field_overrides.h"
#include "common/system/global_block.h"
#include "common/system/spooler_forms.h"

#include <cstring>
#include <cwchar>

namespace {

// Raw section 41: how many entries the list may hold.
constexpr uint16_t kSectionPaperListRoom = 41;
// Printer setting that switches the paper list on.
constexpr uint16_t kFidCustomPaperSupport = 5201;

constexpr int32_t kThousandthsPerTenth = 100;

void CopyName(wchar_t (&to)[kPaperNameChars], const wchar_t* from)
{
    const size_t length = from != nullptr ? wcsnlen(from, kPaperNameChars - 1) : 0;
    wmemcpy(to, from != nullptr ? from : L"", length);
    to[length] = L'\0';
}

void TakeForm(PaperListEntry* entry, const FORM_INFO_1W& form, DWORD position)
{
    entry->formNumber = static_cast<uint16_t>(position + 1);
    entry->width = form.Size.cx;
    entry->height = form.Size.cy;
    entry->left = form.ImageableArea.left;
    entry->top = form.ImageableArea.top;
    entry->right = form.ImageableArea.right;
    entry->bottom = form.ImageableArea.bottom;
}

// The first form whose name equals the name without regard to case; -1 when none.
int FindFormByName(const FORM_INFO_1W* forms, DWORD count, const wchar_t* name)
{
    for (DWORD i = 0; i < count; ++i) {
        if (forms[i].pName != nullptr && _wcsicmp(forms[i].pName, name) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

bool NamesModelPaper(const PaperListEntry* entries, uint16_t modelCount, const wchar_t* name)
{
    for (uint16_t i = 0; i < modelCount; ++i) {
        if (_wcsicmp(entries[i].name, name) == 0)
            return true;
    }
    return false;
}

// One model paper record into its entry. False when the record cannot be read,
// or when a paper other than the free custom size has no form of its name.
bool FillModelPaper(SettingsContext* context, uint16_t position, const FORM_INFO_1W* forms, DWORD formCount,
                    PaperListEntry* entry)
{
    SectionHolder holder;
    if (LoadModelTable(false, context->main, context->linked, kKindPaper, position, holder.out()) != kModelOk)
        return false;
    const PaperSection* paper = AsPaper(holder.section);
    if (paper == nullptr)
        return false;
    CopyName(entry->name, paper->name.c_str());
    entry->paperNumber = paper->id;
    if (paper->id == kFreeCustomPaperCode) {
        // The custom size is no form: its area is the size less the record's margins.
        entry->formNumber = 0;
        entry->width = paper->size.x * kThousandthsPerTenth;
        entry->height = paper->size.y * kThousandthsPerTenth;
        entry->left = paper->margin1.x * kThousandthsPerTenth;
        entry->top = paper->margin1.y * kThousandthsPerTenth;
        entry->right = (paper->size.x - paper->margin2.x) * kThousandthsPerTenth;
        entry->bottom = (paper->size.y - paper->margin2.y) * kThousandthsPerTenth;
        return true;
    }
    const int form = FindFormByName(forms, formCount, paper->name.c_str());
    if (form < 0)
        return false;
    TakeForm(entry, forms[form], static_cast<DWORD>(form));
    return true;
}

// Sizes in tenths of a millimetre, the way every lookup answers them.
int32_t Tenths(int32_t thousandths)
{
    return thousandths / kThousandthsPerTenth;
}

int CheckList(const SettingsContext* context)
{
    if (context == nullptr)
        return kPaperListNoContext;
    if (context->paperList == nullptr || context->paperList->entries == nullptr)
        return kPaperListNone;
    return kPaperListOk;
}

uint32_t EntryCount(const PaperList* list)
{
    return static_cast<uint32_t>(list->modelCount) + list->userCount;
}

int PutEntry(const PaperListEntry& entry, int outKind, void* out)
{
    if (out == nullptr)
        return kPaperListBadArgument;
    switch (outKind) {
    case kPaperOutPaperNumber:
        *static_cast<uint16_t*>(out) = entry.paperNumber;
        return kPaperListOk;
    case kPaperOutFormNumber:
        *static_cast<uint16_t*>(out) = entry.formNumber;
        return kPaperListOk;
    case kPaperOutName:
        *static_cast<const wchar_t**>(out) = entry.name;
        return kPaperListOk;
    case kPaperOutSize: {
        const int32_t size[2] = {Tenths(entry.width), Tenths(entry.height)};
        std::memcpy(out, size, sizeof size);
        return kPaperListOk;
    }
    default:
        return kPaperListBadArgument;
    }
}

size_t ElementSize(int kind)
{
    switch (kind) {
    case kPaperOutPaperNumber:
    case kPaperOutFormNumber: return sizeof(uint16_t);
    case kPaperOutName: return kPaperNameChars * sizeof(wchar_t);
    case kPaperOutSize: return 2 * sizeof(int32_t);
    default: return 0;
    }
}

void PutElement(const PaperListEntry& entry, int kind, uint8_t* at)
{
    if (kind == kPaperOutName) {
        std::memcpy(at, entry.name, sizeof entry.name);
        return;
    }
    PutEntry(entry, kind, at);
}

}  // namespace

uint32_t GetCustomPaperSizeValue(const SettingsContext* context, void* printerSettingsRecord)
{
    if (context == nullptr || IsFormDatabaseMode(context->overrides) != 1)
        return 0;
    uint32_t value = 0;
    return ReadSettingNumber(kFidCustomPaperSupport, nullptr, printerSettingsRecord, &value) ? value : 0;
}

int BuildPaperList(HANDLE printer, SettingsContext* context, void* printerSettingsRecord)
{
    if (context == nullptr)
        return kPaperListNoContext;
    FreePaperList(context);
    if (printer == nullptr || printerSettingsRecord == nullptr)
        return 0;
    if (GetCustomPaperSizeValue(context, printerSettingsRecord) == 0)
        return 1;

    const uint32_t room = GetModelSectionNumber(context->main, kSectionPaperListRoom, 2, 0);
    const uint16_t paperCount = GetModelTableCount(context->main, kKindPaper);
    if (room < paperCount || room == 0)
        return 0;
    auto entries = AllocGlobalBlock<PaperListEntry>(room * sizeof(PaperListEntry));
    auto list = AllocGlobalBlock<PaperList>(sizeof(PaperList));
    if (!entries || !list)
        return 0;
    FORM_INFO_1W* formBlock = nullptr;
    DWORD formBytes = 0;
    DWORD formCount = 0;
    if (EnumSpoolerForms(printer, &formBlock, &formBytes, &formCount) != kFormsOk)
        return 0;
    GlobalBlockPtr<FORM_INFO_1W> forms(formBlock);

    PaperListEntry* entry = entries.get();
    for (uint16_t position = 1; position <= paperCount; ++position) {
        if (!FillModelPaper(context, position, forms.get(), formCount, &entry[position - 1]))
            return 0;
    }

    uint16_t minWidth = 0, minLength = 0, maxWidth = 0, maxLength = 0;
    uint16_t userCount = 0;
    if (GetUserPaperSizeLimits(context, kUserPaperLimitsCode, &minWidth, &minLength, &maxWidth, &maxLength)) {
        for (DWORD i = 0; i < formCount && paperCount + userCount < room; ++i) {
            const FORM_INFO_1W& form = forms.get()[i];
            if (form.pName == nullptr || NamesModelPaper(entry, paperCount, form.pName))
                continue;
            const bool fits = form.Size.cx >= minWidth * kThousandthsPerTenth &&
                              form.Size.cx <= maxWidth * kThousandthsPerTenth &&
                              form.Size.cy >= minLength * kThousandthsPerTenth &&
                              form.Size.cy <= maxLength * kThousandthsPerTenth;
            if (!fits)
                continue;
            PaperListEntry* user = &entry[paperCount + userCount];
            TakeForm(user, form, i);
            CopyName(user->name, form.pName);
            user->paperNumber = static_cast<uint16_t>(kFirstUserFormNumber + userCount);
            ++userCount;
        }
    }

    list->entries = entries.release();
    list->modelCount = paperCount;
    list->userCount = userCount;
    context->paperList = list.release();
    return 1;
}

int FreePaperList(SettingsContext* context)
{
    if (context == nullptr)
        return kPaperListNoContext;
    if (context->paperList != nullptr) {
        if (context->paperList->entries != nullptr)
            GlobalFree(context->paperList->entries);
        GlobalFree(context->paperList);
        context->paperList = nullptr;
    }
    return kPaperListOk;
}

int HasPaperList(const SettingsContext* context)
{
    return CheckList(context) == kPaperListOk ? 1 : 0;
}

int GetPaperListCount(const SettingsContext* context, uint16_t* count, int kind)
{
    const int check = CheckList(context);
    if (check != kPaperListOk)
        return check;
    if (count == nullptr)
        return kPaperListBadArgument;
    const PaperList* list = context->paperList;
    switch (kind) {
    case kPaperCountModel: *count = list->modelCount; return kPaperListOk;
    case kPaperCountUser: *count = list->userCount; return kPaperListOk;
    case kPaperCountAll: *count = static_cast<uint16_t>(EntryCount(list)); return kPaperListOk;
    case kPaperCountAllButCustom: {
        uint32_t n = EntryCount(list);
        for (uint32_t i = 0; i < EntryCount(list); ++i) {
            if (list->entries[i].formNumber == 0) {
                --n;
                break;
            }
        }
        *count = static_cast<uint16_t>(n);
        return kPaperListOk;
    }
    default:
        return kPaperListBadArgument;
    }
}

int FindPaperListEntry(const SettingsContext* context, int keyKind, const void* key, int outKind, void* out)
{
    const int check = CheckList(context);
    if (check != kPaperListOk)
        return check;
    if (key == nullptr || out == nullptr || keyKind < kPaperKeyPaperNumber || keyKind > kPaperKeyName)
        return kPaperListBadArgument;
    const PaperList* list = context->paperList;
    for (uint32_t i = 0; i < EntryCount(list); ++i) {
        const PaperListEntry& entry = list->entries[i];
        bool match = false;
        if (keyKind == kPaperKeyPaperNumber)
            match = entry.paperNumber == *static_cast<const uint16_t*>(key);
        else if (keyKind == kPaperKeyFormNumber)
            match = entry.formNumber == *static_cast<const uint16_t*>(key);
        else
            match = wcscmp(entry.name, static_cast<const wchar_t*>(key)) == 0;
        if (match)
            return PutEntry(entry, outKind, out);
    }
    return kPaperListNotFound;
}

int GetPaperListEntry(const SettingsContext* context, int index, int outKind, void* out)
{
    const int check = CheckList(context);
    if (check != kPaperListOk)
        return check;
    if (out == nullptr)
        return kPaperListBadArgument;
    if (index < 0 || static_cast<uint32_t>(index) >= EntryCount(context->paperList))
        return kPaperListNotFound;
    return PutEntry(context->paperList->entries[index], outKind, out);
}

int GetPaperListArray(const SettingsContext* context, int kind, void** block, uint32_t* bytes, int includeCustom,
                      void** customSlot)
{
    const int check = CheckList(context);
    if (check != kPaperListOk)
        return check;
    const size_t elementSize = ElementSize(kind);
    if (block == nullptr || elementSize == 0)
        return kPaperListBadArgument;
    *block = nullptr;
    if (customSlot != nullptr)
        *customSlot = nullptr;
    const PaperList* list = context->paperList;
    uint32_t count = 0;
    for (uint32_t i = 0; i < EntryCount(list); ++i) {
        if (includeCustom || list->entries[i].formNumber != 0)
            ++count;
    }
    auto array = AllocGlobalBlock<uint8_t>(count * elementSize + 1);
    if (!array)
        return kPaperListNoMemory;
    uint8_t* at = array.get();
    for (uint32_t i = 0; i < EntryCount(list); ++i) {
        const PaperListEntry& entry = list->entries[i];
        if (entry.formNumber == 0) {
            if (!includeCustom)
                continue;
            if (customSlot != nullptr)
                *customSlot = at;
        }
        PutElement(entry, kind, at);
        at += elementSize;
    }
    if (bytes != nullptr)
        *bytes = static_cast<uint32_t>(count * elementSize);
    *block = array.release();
    return kPaperListOk;
}

int GetPaperEntryGeometry(const SettingsContext* context, uint16_t paperNumber, int32_t size[2], int32_t extent[2],
                          int32_t leftBottom[2], int32_t rightTop[2])
{
    const int check = CheckList(context);
    if (check != kPaperListOk)
        return check;
    const PaperList* list = context->paperList;
    for (uint32_t i = 0; i < EntryCount(list); ++i) {
        const PaperListEntry& e = list->entries[i];
        if (e.paperNumber != paperNumber)
            continue;
        if (size != nullptr) {
            size[0] = Tenths(e.width);
            size[1] = Tenths(e.height);
        }
        if (extent != nullptr) {
            extent[0] = Tenths(e.right - e.left);
            extent[1] = Tenths(e.bottom - e.top);
        }
        if (leftBottom != nullptr) {
            leftBottom[0] = Tenths(e.left);
            leftBottom[1] = Tenths(e.height - e.bottom);
        }
        if (rightTop != nullptr) {
            rightTop[0] = Tenths(e.width - e.right);
            rightTop[1] = Tenths(e.top);
        }
        return kPaperListOk;
    }
    return kPaperListNotFound;
}

int CreateServiceRequest(void* a, void* b, void* c, void* d)
{
    if (a == nullptr || b == nullptr || c == nullptr || d == nullptr)
        return kPaperListNoContext;
    void* request = GlobalAlloc(GPTR, sizeof(ServiceRequest));
    if (request == nullptr)
        return kPaperListNoMemory;
    GlobalFree(request);
    return kPaperListBadArgument;
}

int ReturnNotAvailable(void*)
{
    return kPaperListBadArgument;
}

int ReturnNotSupported(void*, void*)
{
    return kPaperListNotSupported;
}

int FreeServiceRequest(ServiceRequest* request)
{
    if (request == nullptr)
        return kPaperListNoContext;
    if (request->buffer != nullptr)
        GlobalFree(request->buffer);
    GlobalFree(request);
    return kPaperListOk;
}
