#include "ui/fax/fax_user_lists.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/store/printer_id.h"
#include "common/store/user_store.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/os_version.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_setting_ids.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kStringClearHistoryItem = 5223;
constexpr int kValueNameChars = 64;

struct KeyCloser {
    HKEY key = nullptr;
    ~KeyCloser()
    {
        if (key)
            RegCloseKey(key);
    }
};

bool OpenUserKey(const wchar_t* path, REGSAM access, KeyCloser& out)
{
    return path && RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &out.key) == ERROR_SUCCESS;
}

bool CreateUserKey(const wchar_t* path, KeyCloser& out)
{
    return path && RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &out.key,
                                   nullptr) == ERROR_SUCCESS;
}

// The whole stored value; false when it cannot be read.
bool ReadValueBytes(HKEY key, const wchar_t* name, std::vector<uint8_t>& out)
{
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    out.assign(size, 0);
    return RegQueryValueExW(key, name, nullptr, nullptr, out.data(), &size) == ERROR_SUCCESS &&
           (out.resize(size), true);
}

// A stored text into a slot of `chars` characters, cut and terminated.
bool ReadTextValue(HKEY key, const wchar_t* name, wchar_t* slot, int chars)
{
    std::vector<uint8_t> bytes;
    if (!ReadValueBytes(key, name, bytes))
        return false;
    std::wmemset(slot, L'\0', chars);
    const size_t units = std::min(bytes.size() / sizeof(wchar_t), static_cast<size_t>(chars - 1));
    std::memcpy(slot, bytes.data(), units * sizeof(wchar_t));
    slot[wcsnlen(slot, chars - 1)] = L'\0';
    return true;
}

bool WriteText(HKEY key, const wchar_t* name, const wchar_t* text)
{
    const DWORD bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
}

using NameFormatter = void (*)(const wchar_t* prefix, int index, wchar_t* out, size_t chars);

void NumberedName(const wchar_t* prefix, int index, wchar_t* out, size_t chars)
{
    FormatNumberedValueName(prefix, index, out, chars);
}

void HistoryName(const wchar_t*, int index, wchar_t* out, size_t chars)
{
    FormatHistoryValueName(index, out, chars);
}

// Values first..10 deleted, stopping at the first that is not there; the ones
// above 10 are never touched.
void DeleteSurplus(HKEY key, const wchar_t* prefix, int first, NameFormatter format)
{
    for (int i = first; i <= kFaxListLimit; ++i) {
        wchar_t name[kValueNameChars];
        format(prefix, i, name, kValueNameChars);
        if (RegDeleteValueW(key, name) != ERROR_SUCCESS)
            break;
    }
}

bool WriteTexts(HKEY key, const wchar_t* prefix, const wchar_t* const* strings, int count, NameFormatter format)
{
    for (int i = 1; i <= count; ++i) {
        wchar_t name[kValueNameChars];
        format(prefix, i, name, kValueNameChars);
        if (!strings[i - 1] || !WriteText(key, name, strings[i - 1]))
            return false;
    }
    if (count < kFaxListLimit)
        DeleteSurplus(key, prefix, count + 1, format);
    return true;
}

std::wstring SecondSenderKey(const wchar_t* keyPath)
{
    return std::wstring(keyPath) + L"2";
}

bool LoadResourceText(UINT id, wchar_t* out, int chars)
{
    HMODULE resources = GetResourceModule();
    return resources && LoadStringW(resources, id, out, chars) > 0;
}

}  // namespace

void FormatNumberedValueName(const wchar_t* prefix, int index, wchar_t* out, size_t chars)
{
    std::swprintf(out, chars, L"%ls%d", prefix, index);
}

void FormatHistoryValueName(int index, wchar_t* out, size_t chars)
{
    std::swprintf(out, chars, L"%ls%2d", kAddressHistoryPrefix, index);
}

int ReadNumberedStrings(const wchar_t* keyPath, const wchar_t* prefix, wchar_t* slots, int slotChars, int max)
{
    KeyCloser key;
    if (!slots || slotChars < 1 || !OpenUserKey(keyPath, KEY_READ, key))
        return 0;
    int read = 0;
    for (int i = 1; i <= max; ++i) {
        wchar_t name[kValueNameChars];
        FormatNumberedValueName(prefix, i, name, kValueNameChars);
        if (!ReadTextValue(key.key, name, slots + static_cast<size_t>(i - 1) * slotChars, slotChars))
            break;
        ++read;
    }
    return read;
}

int WriteNumberedStrings(const wchar_t* keyPath, const wchar_t* prefix, const wchar_t* const* strings, int count)
{
    if (IsProtectedModeProcess())
        return 1;
    KeyCloser key;
    if (count < 0 || (count > 0 && !strings) || !CreateUserKey(keyPath, key))
        return 0;
    return WriteTexts(key.key, prefix, strings, count, NumberedName) ? 1 : 0;
}

int ReadSenderEntries(const wchar_t* keyPath, const wchar_t* prefix, SenderEntry* out, int max)
{
    KeyCloser first;
    if (!out || max < 1 || !OpenUserKey(keyPath, KEY_READ, first))
        return 0;
    std::vector<SenderRecord> records;
    for (int i = 1; i <= max; ++i) {
        wchar_t name[kValueNameChars];
        FormatNumberedValueName(prefix, i, name, kValueNameChars);
        std::vector<uint8_t> bytes;
        if (!ReadValueBytes(first.key, name, bytes))
            break;
        SenderRecord record{};
        std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
        records.push_back(record);
    }
    std::vector<SenderEntry> second;
    KeyCloser secondKey;
    if (OpenUserKey(SecondSenderKey(keyPath).c_str(), KEY_READ, secondKey)) {
        for (int i = 1; i <= max; ++i) {
            wchar_t name[kValueNameChars];
            FormatNumberedValueName(prefix, i, name, kValueNameChars);
            std::vector<uint8_t> bytes;
            if (!ReadValueBytes(secondKey.key, name, bytes))
                continue;
            SenderEntry entry{};
            std::memcpy(&entry, bytes.data(), std::min(bytes.size(), sizeof entry));
            second.push_back(entry);
        }
    }
    const int count = static_cast<int>(records.size());
    for (int i = 0; i < count; ++i) {
        SenderEntry& entry = out[i];
        entry = SenderEntry{};
        entry.sender = records[i];
        entry.confirmed = 1;
        for (const SenderEntry& other : second) {
            if (std::wcsncmp(other.sender.name, entry.sender.name, 41) != 0)
                continue;
            std::wmemset(entry.mail, L'\0', 129);
            std::wmemcpy(entry.mail, other.mail, wcsnlen(other.mail, 127));
            if (entry.mail[0] == L'\0')
                continue;
            if (std::memcmp(&other.sender, &records[i], sizeof(SenderRecord)) != 0 || other.confirmed == 0)
                entry.confirmed = 0;
        }
    }
    return count;
}

int WriteSenderEntries(const wchar_t* keyPath, const wchar_t* prefix, const SenderEntry* entries, int count)
{
    if (IsProtectedModeProcess())
        return 1;
    KeyCloser first;
    KeyCloser second;
    if (count < 0 || (count > 0 && !entries) || !CreateUserKey(keyPath, first) ||
        !CreateUserKey(SecondSenderKey(keyPath).c_str(), second))
        return 0;
    for (int i = 1; i <= count; ++i) {
        wchar_t name[kValueNameChars];
        FormatNumberedValueName(prefix, i, name, kValueNameChars);
        const SenderEntry& entry = entries[i - 1];
        if (RegSetValueExW(first.key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&entry.sender),
                           sizeof(SenderRecord)) != ERROR_SUCCESS ||
            RegSetValueExW(second.key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&entry),
                           sizeof(SenderEntry)) != ERROR_SUCCESS)
            return 0;
    }
    for (int i = count + 1; i <= kFaxListLimit; ++i) {
        wchar_t name[kValueNameChars];
        FormatNumberedValueName(prefix, i, name, kValueNameChars);
        const bool inFirst = RegDeleteValueW(first.key, name) == ERROR_SUCCESS;
        const bool inSecond = RegDeleteValueW(second.key, name) == ERROR_SUCCESS;
        if (!inFirst && !inSecond)
            break;
    }
    return 1;
}

int ReadAddressHistory(const wchar_t* keyPath, wchar_t (*slots)[kAddressHistoryChars], int max)
{
    KeyCloser key;
    if (!slots || !OpenUserKey(keyPath, KEY_READ, key))
        return 0;
    int read = 0;
    for (int i = 1; i <= std::min(max, kFaxListLimit); ++i) {
        wchar_t name[kValueNameChars];
        FormatHistoryValueName(i, name, kValueNameChars);
        if (!ReadTextValue(key.key, name, slots[i - 1], kAddressHistoryChars))
            break;
        ++read;
    }
    return read;
}

int ReadAddressHistoryFlag(const wchar_t* keyPath, uint32_t* flag)
{
    KeyCloser key;
    if (!flag || !OpenUserKey(keyPath, KEY_READ, key))
        return 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (RegQueryValueExW(key.key, kUseAddressHistoryValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value)
        value = 0;
    *flag = value;
    return 1;
}

int WriteAddressHistory(const wchar_t* keyPath, const wchar_t* const* strings, int count, uint32_t flag)
{
    if (IsProtectedModeProcess())
        return 1;
    KeyCloser key;
    if (count < 0 || (count > 0 && !strings) || !CreateUserKey(keyPath, key))
        return 0;
    count = std::min(count, kFaxListLimit);
    if (!WriteTexts(key.key, kAddressHistoryPrefix, strings, count, HistoryName))
        return 0;
    const DWORD value = flag;
    return RegSetValueExW(key.key, kUseAddressHistoryValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS
               ? 1
               : 0;
}

int BuildAddressHistoryKeyPathFor(HANDLE printer, ModelDataRecord* model, wchar_t* out, size_t chars)
{
    if (!out || !model)
        return 0;
    wchar_t* base = nullptr;
    GetModelRegistryBase(model, 1, &base);
    GlobalBlockPtr<wchar_t> owner(base);
    uint8_t id[kPrinterIdBytes] = {};
    if (!base || base[0] == L'\0' || !EnsurePrinterId(printer, id))
        return 0;
    return BuildUserSettingsKeyPath(base, id, kAddressHistoryKey, out, chars);
}

int LoadAddressHistoryFlagFrom(const wchar_t* keyPath, void* settings, void* printerSettings)
{
    KeyCloser key;
    if (!OpenUserKey(keyPath, KEY_READ, key))
        return 1;
    uint32_t flag = 0;
    if (!ReadAddressHistoryFlag(keyPath, &flag) || flag > 1)
        return 0;
    return WriteSettingNumber(kFidUseAddressHistory, settings, printerSettings, flag);
}

int BuildAddressHistoryKeyPath(HWND dialog, wchar_t* out)
{
    UiContext* ui = GetWindowUiContext(dialog);
    SettingsContext* context = GetUiSettingsContext(ui);
    if (!ui || !context)
        return 0;
    return BuildAddressHistoryKeyPathFor(ui->printer, context->main, out, kFaxKeyPathChars);
}

int LoadAddressHistoryFlag(HWND dialog)
{
    wchar_t path[kFaxKeyPathChars];
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!BuildAddressHistoryKeyPath(dialog, path) || !GetDialogSettings(dialog, &settings, &printerSettings))
        return 0;
    return LoadAddressHistoryFlagFrom(path, settings, printerSettings);
}

int LoadAddressHistory(HWND dialog, wchar_t (*slots)[kAddressHistoryChars])
{
    wchar_t path[kFaxKeyPathChars];
    if (!BuildAddressHistoryKeyPath(dialog, path))
        return -1;
    return ReadAddressHistory(path, slots, kFaxListLimit);
}

int SaveAddressHistory(HWND dialog, int comboId)
{
    wchar_t lastItem[kAddressHistoryChars];
    void* settings = nullptr;
    void* printerSettings = nullptr;
    wchar_t path[kFaxKeyPathChars];
    if (!LoadResourceText(kStringClearHistoryItem, lastItem, kAddressHistoryChars) ||
        !GetDialogSettings(dialog, &settings, &printerSettings) || !BuildAddressHistoryKeyPath(dialog, path))
        return 0;
    if (IsProtectedModeProcess())
        return 1;
    const uint32_t on = SettingNumberOr(kFidUseAddressHistory, settings, printerSettings, 0);
    HWND combo = GetDlgItem(dialog, comboId);
    if (!on) {
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lastItem));
        return WriteAddressHistory(path, nullptr, 0, 0);
    }
    const LRESULT items = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    const int count = items > 1 ? static_cast<int>(std::min<LRESULT>(items - 1, kFaxListLimit)) : 0;
    std::vector<std::wstring> texts;
    std::vector<const wchar_t*> pointers;
    for (int i = 0; i < count; ++i) {
        wchar_t text[kAddressHistoryChars] = {};
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        if (length >= 0 && length < kAddressHistoryChars)
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    for (const std::wstring& text : texts)
        pointers.push_back(text.c_str());
    return WriteAddressHistory(path, pointers.data(), count, 1);
}

int WrapAnsiLines(const char* text, UINT codePage, int lineBytes, int maxLines, char* out, size_t outBytes)
{
    if (!text || !out || outBytes == 0 || lineBytes < 1 || maxLines < 1)
        return 1;
    const size_t inputLimit = static_cast<size_t>(lineBytes + 2) * maxLines * 2 - 3;
    const size_t outputLimit = static_cast<size_t>(lineBytes + 2) * maxLines * 2 - 2;
    const size_t length = std::strlen(text);
    if (length > inputLimit)
        return 1;
    std::string wrapped;
    int lines = 1;
    int lineLength = 0;
    for (size_t i = 0; i < length;) {
        if (text[i] == '\r' && text[i + 1] == '\n') {
            wrapped += "\r\n";
            i += 2;
            ++lines;
            lineLength = 0;
            continue;
        }
        const size_t charBytes =
            (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i])) && text[i + 1] != '\0') ? 2 : 1;
        if (lineLength + static_cast<int>(charBytes) > lineBytes) {
            wrapped += "\r\n";
            ++lines;
            lineLength = 0;
        }
        wrapped.append(text + i, charBytes);
        lineLength += static_cast<int>(charBytes);
        i += charBytes;
    }
    if (lines > maxLines || wrapped.size() > outputLimit || wrapped.size() + 1 > outBytes)
        return 1;
    std::memcpy(out, wrapped.c_str(), wrapped.size() + 1);
    return 0;
}

int LimitEditLines(HWND dialog, int editId, int lineBytes, int maxLines)
{
    HWND edit = GetDlgItem(dialog, editId);
    if (!edit)
        return 1;
    const LRESULT lineCount = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    bool fits = lineCount <= maxLines;
    for (LRESULT line = 0; fits && line < lineCount; ++line) {
        const LRESULT start = SendMessageW(edit, EM_LINEINDEX, line, 0);
        fits = SendMessageW(edit, EM_LINELENGTH, start, 0) <= lineBytes;
    }
    if (fits)
        return 0;
    const int chars = GetWindowTextLengthW(edit);
    std::vector<wchar_t> wide(static_cast<size_t>(chars) + 1, L'\0');
    GetWindowTextW(edit, wide.data(), chars + 1);
    const int ansiBytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (ansiBytes <= 0)
        return 1;
    std::vector<char> ansi(static_cast<size_t>(ansiBytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, ansi.data(), ansiBytes, nullptr, nullptr);
    std::vector<char> wrapped(static_cast<size_t>(lineBytes + 2) * maxLines * 2, '\0');
    if (WrapAnsiLines(ansi.data(), CP_ACP, lineBytes, maxLines, wrapped.data(), wrapped.size()) != 0)
        return 1;
    const int back = MultiByteToWideChar(CP_ACP, 0, wrapped.data(), -1, nullptr, 0);
    if (back <= 0)
        return 1;
    std::vector<wchar_t> result(static_cast<size_t>(back), L'\0');
    MultiByteToWideChar(CP_ACP, 0, wrapped.data(), -1, result.data(), back);
    DWORD caretStart = 0;
    DWORD caretEnd = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&caretStart), reinterpret_cast<LPARAM>(&caretEnd));
    SetWindowTextW(edit, result.data());
    SendMessageW(edit, EM_SETSEL, caretStart, caretEnd);
    return 0;
}

void UndoEditOverflow(HWND dialog, int editId, int overflow)
{
    if (!overflow)
        return;
    HWND edit = GetDlgItem(dialog, editId);
    if (SendMessageW(edit, EM_CANUNDO, 0, 0))
        SendMessageW(edit, EM_UNDO, 0, 0);
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
}

int CALLBACK BreakAnywhereWordProc(LPWSTR, int current, int, int action)
{
    switch (action) {
    case WB_LEFT:
        return current;
    case WB_RIGHT:
        return current - 1;
    default:
        return FALSE;
    }
}
