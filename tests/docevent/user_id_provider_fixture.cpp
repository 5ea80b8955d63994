#include "tests/docevent/user_id_provider_fixture.h"

#include "common/model/user_id_provider.h"

#include <objbase.h>

#include <vector>

namespace {

constexpr wchar_t kStandinName[] = L"userid_provider_standin.dll";

std::wstring ClassKey(const CLSID& id)
{
    wchar_t text[64] = {};
    StringFromGUID2(id, text, 64);
    return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

std::wstring StandinPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    directory.resize(directory.find_last_of(L'\\') + 1);
    return directory + kStandinName;
}

bool Register(const CLSID& id, const std::wstring& path)
{
    HKEY key = nullptr;
    const std::wstring name = ClassKey(id) + L"\\InprocServer32";
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const wchar_t model[] = L"Both";
    const bool ok =
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
        RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof(model)) ==
            ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

void Unregister(const CLSID& id)
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(id).c_str());
}

}  // namespace

RegisteredProvider::RegisteredProvider(bool currentClass, bool olderClass)
    : current_(currentClass), older_(olderClass)
{
    // Neither class may be left from a test that ended early.
    Unregister(kUserIdProviderClass);
    Unregister(kOlderUserIdProviderClass);
    const std::wstring path = StandinPath();
    standin_ = LoadLibraryW(path.c_str());
    ok_ = standin_ != nullptr && (!current_ || Register(kUserIdProviderClass, path)) &&
          (!older_ || Register(kOlderUserIdProviderClass, path));
    Script("");
}

RegisteredProvider::~RegisteredProvider()
{
    if (current_)
        Unregister(kUserIdProviderClass);
    if (older_)
        Unregister(kOlderUserIdProviderClass);
}

void RegisteredProvider::Script(const std::string& answer, int failingSlot) const
{
    using ScriptFn = void (*)(const char*, unsigned, int);
    auto script = standin_ ? reinterpret_cast<ScriptFn>(
                                 reinterpret_cast<void*>(GetProcAddress(standin_, "StandinScript")))
                           : nullptr;
    if (script)
        script(answer.data(), static_cast<unsigned>(answer.size()), failingSlot);
}

std::string RegisteredProvider::Log() const
{
    using LogFn = unsigned (*)(char*, unsigned);
    auto log = standin_ ? reinterpret_cast<LogFn>(reinterpret_cast<void*>(GetProcAddress(standin_, "StandinLog")))
                        : nullptr;
    if (!log)
        return "(no stand-in)";
    std::vector<char> text(log(nullptr, 0) + 1);
    log(text.data(), static_cast<unsigned>(text.size()));
    return text.data();
}
