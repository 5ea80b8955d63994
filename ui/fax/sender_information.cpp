#include "ui/fax/sender_information.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_user_lists.h"
#include "ui/support/resource_messages.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <memory>
#include <vector>

namespace {

bool SameName(const wchar_t* a, const wchar_t* b)
{
    return std::wcsncmp(a, b, std::size(SenderRecord{}.name)) == 0;
}

std::wstring NoSenderText()
{
    wchar_t text[kCaptionChars] = {};
    HMODULE resources = GetResourceModule();
    if (resources)
        LoadStringW(resources, kStringNoSender, text, kCaptionChars);
    return text;
}

int ItemCount(HWND list)
{
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

}  // namespace

int BuildSenderKeyPathFor(ModelDataRecord* model, wchar_t* out, size_t chars)
{
    if (!model || !out || chars == 0)
        return 0;
    wchar_t* base = nullptr;
    GetModelRegistryBase(model, 0, &base);
    GlobalBlockPtr<wchar_t> owner(base);
    if (!base || base[0] == L'\0')
        return 0;
    const int written = std::swprintf(out, chars, L"%ls%ls", base, kSenderInfoKey);
    return written > 0 && static_cast<size_t>(written) < chars ? 1 : 0;
}

int BuildSenderKeyPath(HWND dialog, wchar_t* out, size_t chars)
{
    SettingsContext* context = GetUiSettingsContext(GetWindowUiContext(dialog));
    return context ? BuildSenderKeyPathFor(context->main, out, chars) : 0;
}

int FindSenderEntry(const SenderEntry* entries, int count, const wchar_t* name)
{
    if (!entries || !name)
        return -1;
    for (int i = 0; i < count; ++i)
        if (SameName(entries[i].sender.name, name))
            return i;
    return -1;
}

SenderEntry* SenderListEntry(HWND list, int index)
{
    if (index < 0 || index >= ItemCount(list))
        return nullptr;
    const LRESULT data = SendMessageW(list, CB_GETITEMDATA, index, 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<SenderEntry*>(data);
}

int InsertSenderListItem(HWND list, int index, const SenderEntry& entry, const wchar_t* text)
{
    auto copy = std::make_unique<SenderEntry>(entry);
    // The name slot is not terminated when a stored value fills it whole.
    const std::wstring shown(text, wcsnlen(text, std::size(copy->sender.name)));
    const LRESULT at = SendMessageW(list, CB_INSERTSTRING, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(shown.c_str()));
    if (at == CB_ERR || at == CB_ERRSPACE)
        return -1;
    SendMessageW(list, CB_SETITEMDATA, at, reinterpret_cast<LPARAM>(copy.release()));
    return static_cast<int>(at);
}

void RemoveSenderListItem(HWND list, int index)
{
    delete SenderListEntry(list, index);
    SendMessageW(list, CB_DELETESTRING, index, 0);
}

void FreeSenderList(HWND list)
{
    for (int i = ItemCount(list) - 1; i >= 0; --i)
        RemoveSenderListItem(list, i);
}

int FillSenderListFrom(HWND list, int mode, const wchar_t* keyPath, void* settings, void* printerSettings)
{
    if (!list || !keyPath)
        return -1;
    std::vector<SenderEntry> stored(kSenderReadLimit);
    int count = ReadSenderEntries(keyPath, kSenderPrefix, stored.data(), kSenderReadLimit);
    if (count < 0)
        return -1;
    count = std::min(count, kFaxListLimit);
    SenderEntry current{};
    if (!GetSenderSettings(settings, printerSettings, &current))
        return -1;

    FreeSenderList(list);
    for (int i = 0; i < count; ++i)
        if (InsertSenderListItem(list, -1, stored[i], stored[i].sender.name) < 0)
            return -1;
    const SenderEntry none{};
    const int last = InsertSenderListItem(list, -1, none, NoSenderText().c_str());
    if (last < 0)
        return -1;

    const int found = current.sender.name[0] ? FindSenderEntry(stored.data(), count, current.sender.name) : -1;
    if (found < 0) {
        SendMessageW(list, CB_SETCURSEL, last, 0);
        PutSenderSettings(settings, printerSettings, &none);
        if (current.sender.name[0])
            ShowResourceMessageBox(GetParent(list), kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                                   mode == kSenderListInSenderDialog ? kMessageSenderGoneDialog
                                                                     : kMessageSenderGoneCover,
                                   nullptr);
        return 0;
    }
    int selected = found;
    if (mode == kSenderListInSenderDialog && found > 0) {
        RemoveSenderListItem(list, found);
        selected = InsertSenderListItem(list, 0, stored[found], stored[found].sender.name);
        if (selected < 0)
            return -1;
    }
    SendMessageW(list, CB_SETCURSEL, selected, 0);
    if (CompareSenderSettings(settings, printerSettings, &stored[found]) != 0)
        PutSenderSettings(settings, printerSettings, &stored[found]);
    return mode == kSenderListInSenderDialog ? 1 : 0;
}

int FillSenderList(HWND dialog, int listId, int mode)
{
    wchar_t path[kFaxKeyPathChars];
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!BuildSenderKeyPath(dialog, path, kFaxKeyPathChars) ||
        !GetDialogSettings(dialog, &settings, &printerSettings))
        return -1;
    return FillSenderListFrom(GetDlgItem(dialog, listId), mode, path, settings, printerSettings);
}

int VerifyCurrentSenderIn(HWND owner, const wchar_t* keyPath, void* settings, void* printerSettings)
{
    SenderEntry current{};
    if (!keyPath || !GetSenderSettings(settings, printerSettings, &current))
        return kSenderCheckFailed;
    if (current.sender.name[0] == L'\0')
        return kSenderUsable;
    std::vector<SenderEntry> stored(kSenderReadLimit);
    const int count = ReadSenderEntries(keyPath, kSenderPrefix, stored.data(), kSenderReadLimit);
    if (count < 0)
        return kSenderCheckFailed;
    const int found = FindSenderEntry(stored.data(), count, current.sender.name);
    if (found < 0) {
        const SenderEntry none{};
        PutSenderSettings(settings, printerSettings, &none);
        return kSenderNotStored;
    }
    SenderEntry& entry = stored[found];
    if (entry.confirmed) {
        if (CompareSenderSettings(settings, printerSettings, &entry) != 0)
            PutSenderSettings(settings, printerSettings, &entry);
        return kSenderUsable;
    }
    const std::wstring name(entry.sender.name, wcsnlen(entry.sender.name, std::size(entry.sender.name)));
    const std::wstring mail(entry.mail, wcsnlen(entry.mail, std::size(entry.mail)));
    wchar_t* text = nullptr;
    if (!LoadFormattedString(&text, 0, kMessageConfirmSender, name.c_str(), mail.c_str()))
        return kSenderCheckFailed;
    GlobalBlockPtr<wchar_t> textOwner(text);
    const int answer = ShowResourceMessageBox(owner, kCaptionSettings, nullptr, MB_YESNOCANCEL | MB_ICONINFORMATION,
                                              kTextGiven, text);
    if (answer == IDNO)
        return kSenderDeclined;
    if (answer != IDYES)
        return kSenderCancelled;
    PutSenderSettings(settings, printerSettings, &entry);
    entry.confirmed = 1;
    WriteSenderEntries(keyPath, kSenderPrefix, stored.data(), std::min(count, kFaxListLimit));
    return kSenderConfirmedNow;
}

int VerifyCurrentSender(HWND dialog)
{
    wchar_t path[kFaxKeyPathChars];
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!BuildSenderKeyPath(dialog, path, kFaxKeyPathChars) ||
        !GetDialogSettings(dialog, &settings, &printerSettings))
        return kSenderCheckFailed;
    return VerifyCurrentSenderIn(dialog, path, settings, printerSettings);
}

int WriteSenderListTo(HWND list, const wchar_t* keyPath)
{
    std::vector<SenderEntry> named;
    const int count = ItemCount(list);
    for (int i = 0; i < count; ++i) {
        const SenderEntry* entry = SenderListEntry(list, i);
        if (entry && entry->sender.name[0])
            named.push_back(*entry);
    }
    FreeSenderList(list);
    if (!keyPath)
        return 0;
    if (named.size() > static_cast<size_t>(kFaxListLimit))
        named.resize(kFaxListLimit);
    return WriteSenderEntries(keyPath, kSenderPrefix, named.data(), static_cast<int>(named.size()));
}

int WriteSenderList(HWND dialog, int listId)
{
    wchar_t path[kFaxKeyPathChars];
    HWND list = GetDlgItem(dialog, listId);
    if (!BuildSenderKeyPath(dialog, path, kFaxKeyPathChars)) {
        FreeSenderList(list);
        return 0;
    }
    return WriteSenderListTo(list, path);
}

void DrawSenderListItem(const DRAWITEMSTRUCT* draw)
{
    if (!draw || draw->CtlType != ODT_COMBOBOX)
        return;
    HDC dc = draw->hDC;
    const RECT row = draw->rcItem;
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (static_cast<int>(draw->itemID) < 0)
        return;
    const SenderEntry* entry = SenderListEntry(draw->hwndItem, static_cast<int>(draw->itemID));
    const int rowHeight = row.bottom - row.top;
    if (entry && entry->sender.name[0] && !entry->confirmed && GetResourceModule()) {
        const int side = rowHeight < 16 ? rowHeight : 16;
        HICON icon = static_cast<HICON>(LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(kIconUnconfirmedSender),
                                                   IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
        if (icon) {
            DrawIconEx(dc, row.left + 2, row.top + (rowHeight - side) / 2, icon, side, side, 0, nullptr, DI_NORMAL);
            DestroyIcon(icon);
        }
    }
    const LRESULT length = SendMessageW(draw->hwndItem, CB_GETLBTEXTLEN, draw->itemID, 0);
    std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    if (length > 0)
        SendMessageW(draw->hwndItem, CB_GETLBTEXT, draw->itemID, reinterpret_cast<LPARAM>(text.data()));
    RECT textRow = row;
    textRow.left += kSenderTextIndent;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), -1, &textRow, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (draw->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &row);
}
