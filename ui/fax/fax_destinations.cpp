#include "ui/fax/fax_destinations.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_value_ops.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"
#include "common/system/global_block.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_setting_ids.h"

#include <cstring>
#include <cwchar>
#include <iterator>
#include <vector>

namespace {

// The recipients from the newest on; false when an entry is missing.
bool CollectNewestFirst(KeyedList* list, int count, std::vector<const void*>& out)
{
    out.clear();
    KeyedListNode* next = nullptr;
    void* data = GetFirstKeyedListData(list, &next);
    for (int i = 0; i < count; ++i) {
        if (!data)
            return false;
        out.push_back(data);
        data = next ? GetNextKeyedListData(next, &next) : nullptr;
    }
    return true;
}

void FreeAllRecipients(KeyedList* list)
{
    for (int32_t i = GetKeyedListCount(list) - 1; i >= 0; --i) {
        if (void* data = GetKeyedListDataAt(list, i))
            GlobalFree(data);
        RemoveKeyedListNodeAt(list, i);
    }
}

struct SenderField {
    uint16_t setting;
    size_t offset;  // in SenderEntry
    uint32_t bytes;
};
// In the order CompareSenderSettings answers at the first difference.
constexpr SenderField kSenderFields[] = {
    {kFidSenderName, offsetof(SenderEntry, sender) + offsetof(SenderRecord, name), 82},
    {kFidSenderText2, offsetof(SenderEntry, sender) + offsetof(SenderRecord, text2), 82},
    {kFidSenderLines, offsetof(SenderEntry, sender) + offsetof(SenderRecord, lines), 418},
    {kFidSenderText4, offsetof(SenderEntry, sender) + offsetof(SenderRecord, text4), 62},
    {kFidSenderText5, offsetof(SenderEntry, sender) + offsetof(SenderRecord, text5), 62},
    {kFidSenderMail, offsetof(SenderEntry, mail), 258},
};

const wchar_t* SettingText(void* settings, void* printerSettings, uint16_t id)
{
    return reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(settings, printerSettings, id, kTypeString)));
}

}  // namespace

int CopyFaxDestinations(FaxDestinations* target, const FaxDestinations* source)
{
    if (!target || !source)
        return 0;
    std::wmemcpy(target->headerText1, source->headerText1, 41);
    std::wmemcpy(target->headerText2, source->headerText2, 671);
    const int32_t count = GetKeyedListCount(source->recipients);
    if (count < 0)
        return 0;
    if (target->recipients)
        FreeAllRecipients(target->recipients);
    else if (!(target->recipients = CreateKeyedList()))
        return 0;
    std::vector<const void*> newestFirst;
    if (!CollectNewestFirst(source->recipients, count, newestFirst))
        return 0;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
        GlobalBlockPtr<uint8_t> copy = AllocGlobalBlock<uint8_t>(kFaxRecipientBytes);
        if (!copy)
            return 0;
        std::memcpy(copy.get(), *it, kFaxRecipientBytes);
        if (!InsertKeyedListNode(target->recipients, 0, kAnyKey2, copy.get()))
            return 0;
        copy.release();
    }
    return 1;
}

int WriteFaxSendListFile(HANDLE printer, void*, const wchar_t* fileName, FaxDestinations* record)
{
    if (!record || !record->recipients)
        return 0;
    const int32_t count = GetKeyedListCount(record->recipients);
    if (count < 0 || count > 0xFFFF)
        return 0;
    const uint32_t size = FaxSendListBytes(static_cast<uint32_t>(count));
    GlobalBlockPtr<uint8_t> block = AllocGlobalBlock<uint8_t>(size);
    if (!block || !PackFaxSendList(count, record, block.get()))
        return 0;
    WriteFaxSendList(printer, fileName, block.get(), size);
    return 1;
}

int GetFaxCardKindOf(ModelDataRecord* model, void* settings, void* printerSettings, uint16_t* kind)
{
    if (!kind)
        return 0;
    if (TestModelCapability(model, kCapFaxLineKind1)) {
        *kind = 1;
        return 1;
    }
    uint32_t card = 0;
    if (!ReadSettingNumber(kFidFaxCardType, settings, printerSettings, &card))
        return 0;
    // Card type to line kind; the card values have no other meaning here.
    constexpr uint16_t kKindByCard[] = {3, 2, 0};
    if (card >= std::size(kKindByCard))
        return 0;
    *kind = kKindByCard[card];
    return 1;
}

int GetFaxCardKind(HWND dialog, uint16_t* kind)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    UiContext* ui = GetWindowUiContext(dialog);
    SettingsContext* context = GetUiSettingsContext(ui);
    if (!context || !GetDialogSettings(dialog, &settings, &printerSettings))
        return 0;
    return GetFaxCardKindOf(context->main, settings, printerSettings, kind);
}

bool IsFourDigitSpeedDial(uint16_t lineKind, bool ipFax)
{
    return lineKind == 2 || ipFax;
}

int GetSenderSettings(void* settings, void* printerSettings, SenderEntry* out)
{
    if (!out)
        return 0;
    auto* bytes = reinterpret_cast<uint8_t*>(out);
    for (const SenderField& field : kSenderFields) {
        const wchar_t* text = SettingText(settings, printerSettings, field.setting);
        if (!text)
            return 0;
        auto* slot = reinterpret_cast<wchar_t*>(bytes + field.offset);
        const size_t chars = field.bytes / sizeof(wchar_t);
        std::wmemset(slot, L'\0', chars);
        std::wmemcpy(slot, text, wcsnlen(text, chars - 1));
    }
    return 1;
}

int PutSenderSettings(void* settings, void* printerSettings, const SenderEntry* entry)
{
    if (!entry)
        return 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(entry);
    for (const SenderField& field : kSenderFields) {
        wchar_t text[209] = {};
        const size_t chars = field.bytes / sizeof(wchar_t);
        std::wmemcpy(text, reinterpret_cast<const wchar_t*>(bytes + field.offset), chars - 1);
        if (SetFunctionIdValueArgs(settings, printerSettings, field.setting, kTypeString, field.bytes,
                                   static_cast<const wchar_t*>(text)) != 0)
            return 0;
    }
    return 1;
}

int CompareSenderSettings(void* settings, void* printerSettings, const SenderEntry* entry)
{
    if (!entry)
        return -1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(entry);
    for (const SenderField& field : kSenderFields) {
        const wchar_t* text = SettingText(settings, printerSettings, field.setting);
        if (!text)
            return -1;
        const size_t chars = field.bytes / sizeof(wchar_t);
        if (std::wcsncmp(text, reinterpret_cast<const wchar_t*>(bytes + field.offset), chars) != 0)
            return 1;
    }
    return 0;
}
