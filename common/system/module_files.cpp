#include "common/system/module_files.h"

#include "common/system/lock_table.h"

#include <cwchar>

namespace {

constexpr UINT kStringUiLanguage = 5146;
constexpr UINT kStringUserDefinedPaper = 16;
constexpr int kMaxUserPaperNameChars = 31;
constexpr WORD kManifestResourceId = 2;  // the isolation-aware manifest of a DLL

HMODULE g_module;
wchar_t g_driverDirectory[kDriverDirectoryChars + 1];
HMODULE g_resourceModule;
uint32_t g_resourceCount;
HANDLE g_activationContext;       // INVALID_HANDLE_VALUE: the module has none
bool g_activationContextChecked;

// Caller holds the Module lock.
bool FillDriverDirectory()
{
    if (g_driverDirectory[0] != L'\0')
        return true;
    wchar_t path[kDriverDirectoryChars + 1];
    const DWORD length = GetModuleFileNameW(g_module, path, kDriverDirectoryChars + 1);
    // A path that fills the whole buffer was cut: no directory is better than a wrong one.
    if (length == 0 || length >= kDriverDirectoryChars + 1)
        return false;
    wchar_t* lastSlash = wcsrchr(path, L'\\');
    if (lastSlash == nullptr)
        return false;
    lastSlash[1] = L'\0';
    if (wcslen(path) >= kDriverDirectoryChars + 1)
        return false;
    wcscpy(g_driverDirectory, path);
    return true;
}

// Caller holds the Module lock.
HANDLE DriverActivationContext()
{
    if (!g_activationContextChecked) {
        g_activationContextChecked = true;
        g_activationContext = INVALID_HANDLE_VALUE;
        wchar_t path[MAX_PATH + 1];
        const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH + 1);
        if (length != 0 && length <= MAX_PATH && g_module != nullptr
            && FindResourceW(g_module, MAKEINTRESOURCEW(kManifestResourceId), MAKEINTRESOURCEW(24)) != nullptr) {
            ACTCTXW context = {};
            context.cbSize = sizeof(context);
            context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
            context.hModule = g_module;
            context.lpSource = path;
            context.lpResourceName = MAKEINTRESOURCEW(kManifestResourceId);
            g_activationContext = CreateActCtxW(&context);
        }
    }
    return g_activationContext;
}

}  // namespace

void SetModuleHandle(HMODULE module)
{
    RoleLock lock(LockRole::Module);
    g_module = module;
    g_driverDirectory[0] = L'\0';
    if (g_activationContextChecked && g_activationContext != INVALID_HANDLE_VALUE)
        ReleaseActCtx(g_activationContext);
    g_activationContextChecked = false;
}

HMODULE GetModuleHandleOfDriver()
{
    RoleLock lock(LockRole::Module);
    return g_module;
}

int GetDriverDirectory(wchar_t* buffer, uint32_t sizeInBytes)
{
    if (buffer == nullptr || sizeInBytes < kDriverDirectoryChars * sizeof(wchar_t))
        return 0;
    RoleLock lock(LockRole::Module);
    if (!FillDriverDirectory())
        return 0;
    const size_t capacity = sizeInBytes / sizeof(wchar_t);
    wcsncpy(buffer, g_driverDirectory, capacity);
    buffer[capacity - 1] = L'\0';
    return 1;
}

bool EnterDriverContext(ULONG_PTR* cookie)
{
    HANDLE context;
    {
        RoleLock lock(LockRole::Module);
        context = DriverActivationContext();
    }
    *cookie = 0;
    return context != INVALID_HANDLE_VALUE && ActivateActCtx(context, cookie);
}

void LeaveDriverContext(bool entered, ULONG_PTR cookie)
{
    if (entered)
        DeactivateActCtx(0, cookie);
}

HMODULE LoadLibraryInDriverContext(const wchar_t* path, DWORD flags)
{
    if (path == nullptr)
        return nullptr;
    ULONG_PTR cookie = 0;
    const bool entered = EnterDriverContext(&cookie);
    HMODULE module = LoadLibraryExW(path, nullptr, flags);
    LeaveDriverContext(entered, cookie);
    return module;
}

void LoadResourceModule()
{
    RoleLock lock(LockRole::Module);
    if (g_resourceCount == 0 && g_resourceModule == nullptr) {
        wchar_t name[MAX_PATH + 1] = {};
        wchar_t directory[kDriverDirectoryChars] = {};
        if (LoadStringW(g_module, kOwnStringResourceFile, name, MAX_PATH + 1) > 0
            && GetDriverDirectory(directory, sizeof(directory))
            && wcslen(directory) + wcslen(name) < MAX_PATH + 1) {
            wchar_t path[MAX_PATH + 1];
            wcscpy(path, directory);
            wcscat(path, name);
            // Mapped for its resources only: the file has no code to run.
            g_resourceModule = LoadLibraryInDriverContext(
                path, DONT_RESOLVE_DLL_REFERENCES | LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    if (g_resourceModule != nullptr)
        ++g_resourceCount;
}

void ReleaseResourceModule()
{
    RoleLock lock(LockRole::Module);
    if (g_resourceCount == 0)
        return;
    if (g_resourceCount == 1) {
        if (g_resourceModule != nullptr)
            FreeLibrary(g_resourceModule);
        g_resourceModule = nullptr;
    }
    --g_resourceCount;
}

HMODULE GetResourceModule()
{
    RoleLock lock(LockRole::Module);
    if (g_resourceModule == nullptr)
        LoadResourceModule();
    return g_resourceModule;
}

uint32_t GetResourceModuleCount()
{
    RoleLock lock(LockRole::Module);
    return g_resourceCount;
}

int GetUiLanguageId(uint16_t* languageId)
{
    if (languageId == nullptr)
        return 0;
    wchar_t text[5] = {};
    if (LoadStringW(GetResourceModule(), kStringUiLanguage, text, 5) <= 0)
        return 0;
    uint32_t value = 0;
    int digits = 0;
    for (; text[digits] >= L'0' && text[digits] <= L'9'; ++digits)
        value = value * 10 + (text[digits] - L'0');
    if (digits == 0)
        return 0;
    *languageId = static_cast<uint16_t>(value);
    return 1;
}

int FormatUserDefinedName(int n, wchar_t* buffer, uint32_t capacityChars)
{
    if (buffer == nullptr || capacityChars == 0 || n < 0)
        return 0;
    wchar_t name[kMaxUserPaperNameChars + 1] = {};
    if (LoadStringW(GetResourceModule(), kStringUserDefinedPaper, name, kMaxUserPaperNameChars + 1) <= 0)
        wcscpy(name, L"\u30E6\u30FC\u30B6\u30FC\u5B9A\u7FA9");
    wchar_t digits[12];
    swprintf(digits, sizeof(digits) / sizeof(digits[0]), L"%d", n + 1);
    const size_t numberLength = wcslen(digits);
    // The name is a spooler form's name as well: SetFormW keeps 31 characters,
    // and a form read back must match the name asked for. The number stays
    // whole so that the twenty names never collide; the text before it is cut.
    size_t room = capacityChars - 1;
    if (room > static_cast<size_t>(kUserFormNameChars))
        room = kUserFormNameChars;
    size_t keep = wcslen(name);
    if (room < numberLength) {
        buffer[0] = L'\0';
        return 0;
    }
    if (keep > room - numberLength)
        keep = room - numberLength;
    // Never end the text inside a surrogate pair.
    if (keep > 0 && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF)
        --keep;
    wmemcpy(buffer, name, keep);
    wmemcpy(buffer + keep, digits, numberLength + 1);
    return 1;
}
