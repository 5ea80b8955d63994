#include "common/system/config_readers.h"

#include "common/system/global_block.h"

#include <windows.h>

#include <cwchar>

namespace {

constexpr int kMaxShortKeyChars = 46;

wchar_t* CopyToGlobal(const wchar_t* text, size_t length)
{
    auto block = AllocGlobalBlock<wchar_t>((length + 1) * sizeof(wchar_t));
    if (block)
        wmemcpy(block.get(), text, length);
    return block.release();
}

bool BeginsWithKey(const wchar_t* line, const wchar_t* key, size_t keyLength)
{
    return _wcsnicmp(line, key, keyLength) == 0;
}

// Whole list of section names of the file; null when there is nothing.
GlobalBlockPtr<wchar_t> ReadSectionNames(const wchar_t* path, uint32_t fileChars)
{
    if (fileChars == 0)
        return nullptr;
    auto names = AllocGlobalBlock<wchar_t>((static_cast<size_t>(fileChars) + 2) * sizeof(wchar_t));
    if (names)
        GetPrivateProfileSectionNamesW(names.get(), fileChars + 1, path);
    return names;
}

bool NameListHas(const wchar_t* names, const wchar_t* name)
{
    for (const wchar_t* at = names; *at != L'\0'; at += wcslen(at) + 1) {
        if (_wcsicmp(at, name) == 0)
            return true;
    }
    return false;
}

}  // namespace

uint32_t GetConfigFileChars(const wchar_t* path)
{
    if (path == nullptr)
        return 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD size = GetFileSize(file, nullptr);
    CloseHandle(file);
    // A profile file of gigabytes is not one of ours.
    return size == INVALID_FILE_SIZE || size > 0x10000000 ? 0 : size;
}

wchar_t* ChooseConfigSection(const wchar_t* path, uint32_t fileChars, const wchar_t* modelName)
{
    if (path != nullptr && modelName != nullptr) {
        const size_t length = wcslen(modelName);
        auto wanted = AllocGlobalBlock<wchar_t>((length + 1) * sizeof(wchar_t));
        if (!wanted)
            return nullptr;
        for (size_t i = 0; i < length; ++i) {
            const wchar_t c = modelName[i];
            wanted.get()[i] = (c == L' ' || c == L'/' || c == L'-') ? L'_' : c;
        }
        auto names = ReadSectionNames(path, fileChars);
        if (names && NameListHas(names.get(), wanted.get()))
            return wanted.release();
    }
    return CopyToGlobal(L"default", 7);
}

int FindSectionKey(int occurrence, int last, const wchar_t* section, const wchar_t* key, wchar_t** value)
{
    if (value != nullptr)
        *value = nullptr;
    if (section == nullptr || key == nullptr || key[0] == L'\0')
        return 0;
    const size_t keyLength = wcslen(key);
    int found = 0;
    const wchar_t* foundLine = nullptr;
    int number = 1;
    for (const wchar_t* line = section; *line != L'\0'; line += wcslen(line) + 1, ++number) {
        if (number < occurrence || !BeginsWithKey(line, key, keyLength))
            continue;
        found = number;
        foundLine = line;
        if (!last)
            break;
    }
    if (found != 0 && value != nullptr) {
        const wchar_t* text = foundLine + keyLength;
        *value = CopyToGlobal(text, wcslen(text));
    }
    return found;
}

int FindShortKeyValue(const wchar_t* section, const wchar_t* key, wchar_t* value)
{
    if (section == nullptr || key == nullptr || value == nullptr || wcslen(key) > kMaxShortKeyChars)
        return 0;
    const size_t keyLength = wcslen(key);
    for (const wchar_t* line = section; *line != L'\0'; line += wcslen(line) + 1) {
        if (BeginsWithKey(line, key, keyLength)) {
            wcsncpy(value, line + keyLength, kShortValueChars - 1);
            value[kShortValueChars - 1] = L'\0';
            return 1;
        }
    }
    return 0;
}

wchar_t* ReadConfigString(const wchar_t* modelName, const wchar_t* path, const wchar_t* key)
{
    const uint32_t fileChars = GetConfigFileChars(path);
    if (fileChars == 0 || key == nullptr)
        return nullptr;
    GlobalBlockPtr<wchar_t> section(ChooseConfigSection(path, fileChars, modelName));
    auto value = AllocGlobalBlock<wchar_t>((static_cast<size_t>(fileChars) + 1) * sizeof(wchar_t));
    if (!section || !value)
        return nullptr;
    GetPrivateProfileStringW(section.get(), key, L"", value.get(), fileChars + 1, path);
    return value.release();
}

wchar_t* ReadConfigSection(const wchar_t* path, const wchar_t* section)
{
    const uint32_t fileChars = GetConfigFileChars(path);
    if (fileChars == 0 || section == nullptr || !ConfigSectionExists(path, section))
        return nullptr;
    // Zero-filled one beyond the size given, so the list always ends in an empty line.
    auto text = AllocGlobalBlock<wchar_t>((static_cast<size_t>(fileChars) + 2) * sizeof(wchar_t));
    if (!text)
        return nullptr;
    GetPrivateProfileSectionW(section, text.get(), fileChars + 1, path);
    return text.release();
}

int ConfigSectionExists(const wchar_t* path, const wchar_t* section)
{
    if (path == nullptr || section == nullptr)
        return 0;
    auto names = ReadSectionNames(path, GetConfigFileChars(path));
    return names && NameListHas(names.get(), section) ? 1 : 0;
}

int ParseConfiguredValue(const ConfigKeyword* table, int count, const wchar_t* text, uint32_t* value)
{
    if (value == nullptr)
        return 0;
    *value = 0;
    if (text == nullptr)
        return 0;
    for (int i = 0; table != nullptr && i < count; ++i) {
        if (_wcsicmp(table[i].name, text) == 0) {
            *value = table[i].value;
            return 1;
        }
    }
    if (text[0] < L'0' || text[0] > L'9')
        return 0;
    uint32_t number = 0;
    for (const wchar_t* at = text; *at >= L'0' && *at <= L'9'; ++at)
        number = number * 10 + static_cast<uint32_t>(*at - L'0');
    *value = number;
    return 1;
}
