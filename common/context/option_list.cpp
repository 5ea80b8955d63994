#include "common/context/option_list.h"

#include "common/settings/value_types.h"

#include <cstring>
#include <cwchar>

uint16_t GetOptionListKind(const OptionList* list)
{
    return list != nullptr ? list->listKind : 0;
}

BOOL SetOptionListKind(OptionList* list, uint16_t kind)
{
    if (list == nullptr)
        return FALSE;
    list->listKind = kind;
    return TRUE;
}

int32_t GetOptionCount(const OptionList* list)
{
    return list != nullptr ? list->count : -1;
}

void FreeOptionList(OptionList* list)
{
    if (list == nullptr)
        return;
    if (list->title != nullptr)
        GlobalFree(list->title);
    const bool ownsStrings = list->valueType == kTypeString && list->listKind != kOptionListKindSharedStrings;
    for (int32_t i = 0; list->rows != nullptr && i < list->count; ++i) {
        OptionRow& row = list->rows[i];
        if (row.text != nullptr)
            GlobalFree(row.text);
        if (row.icon != nullptr)
            DestroyIcon(row.icon);
        if (ownsStrings && row.value != 0)
            GlobalFree(reinterpret_cast<void*>(static_cast<uintptr_t>(row.value)));
    }
    if (list->rows != nullptr)
        GlobalFree(list->rows);
    GlobalFree(list);
}

BOOL FillOptionText(UINT resourceId, const wchar_t* text, const void* valueHolder, uint32_t valueBytes,
                    OptionTextEntry* entry)
{
    if (entry == nullptr || valueBytes > kValueHolderSize || (valueHolder == nullptr && valueBytes != 0))
        return FALSE;
    wchar_t loaded[kOptionTextChars] = {};
    if (resourceId != 0) {
        if (LoadStringW(entry->module, resourceId + entry->idBase, loaded, kOptionTextChars) <= 0)
            return FALSE;
        text = loaded;
    }
    const size_t length = text != nullptr ? wcslen(text) : 0;
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, (length + 1) * sizeof(wchar_t)));
    if (copy == nullptr)
        return FALSE;
    if (length != 0)
        wmemcpy(copy, text, length);
    ClearOptionText(entry);
    entry->text = copy;
    entry->value = 0;
    if (valueBytes != 0)
        std::memcpy(&entry->value, valueHolder, valueBytes);
    return TRUE;
}

void ClearOptionText(OptionTextEntry* entry)
{
    if (entry != nullptr && entry->text != nullptr) {
        GlobalFree(entry->text);
        entry->text = nullptr;
    }
}
