#include "ui/entry/preferences_host.h"

#include "common/system/module_files.h"
#include "common/system/os_version.h"

#include <cwchar>

namespace {

constexpr int kTitleChars = 260;
constexpr UINT kOwnHostTitleString = 751;
constexpr UINT kPlatformHostTitleString = 15380;

// The platform's "Printing Preferences" window titles as its language versions
// show them, some languages in more than one form. Searched in this order.
constexpr const wchar_t* kPrintingPreferencesTitles[] = {
    L"印刷設定",                              // Japanese
    L"Printing Preferences",                  // English
    L"Printing preferences",
    L"打印首选项",                            // Simplified Chinese
    L"打印首選項",
    L"列印喜好設定",                          // Traditional Chinese
    L"列印喜好设定",
    L"인쇄 기본 설정",                        // Korean
    L"Voorkeursinstellingen voor afdrukken",  // Dutch
    L"Voorkeuren voor afdrukken",
    L"Options d'impression",                  // French
    L"Préférences d'impression",
    L"Druckeinstellungen",                    // German
    L"Preferenze stampa",                     // Italian
    L"Preferenze di stampa",
    L"Preferências de impressão",             // Portuguese
    L"Preferências de Impressão",
    L"Preferencias de impresión",             // Spanish
    L"Preferencias de impresion",
    L"Utskriftsinställningar",                // Swedish
    L"Utskriftsinnstillinger",                // Norwegian
    L"Udskriftsindstillinger",                // Danish
    L"Tulostusmääritykset",                   // Finnish
    L"Tulostusasetukset",
    L"Настройка печати",                      // Russian
    L"Настройки печати",
    L"Preferencje drukowania",                // Polish
    L"Nyomtatási beállítások",                // Hungarian
    L"Preferințe imprimare",                  // Romanian
    L"Preferinţe imprimare",
    L"Předvolby tisku",                       // Czech
    L"Προτιμήσεις εκτύπωσης",                 // Greek
    L"Yazdırma Tercihleri",                   // Turkish
    L"Yazdırma tercihleri",
    L"تفضيلات الطباعة",                       // Arabic
    L"העדפות הדפסה",                          // Hebrew
    L"Предпочитания за печат",                // Bulgarian
    L"Настройки за печат",
    L"Параметри друку",                       // Ukrainian
    L"Настройки друку",
    nullptr,
};

bool OsIsXpOrLater() { return IsOsVersion51OrLater() != 0; }

// The title that the platform's printer dialog module carries in the user's
// interface language; empty when the module or string is missing.
void LoadPlatformHostTitle(wchar_t* title)
{
    title[0] = L'\0';
    wchar_t path[MAX_PATH] = {};
    wchar_t language[kTitleChars] = {};
    DWORD bytes = sizeof language - sizeof(wchar_t);
    HKEY desktop = nullptr;
    bool haveLanguage = false;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_READ, &desktop) == ERROR_SUCCESS) {
        DWORD type = 0;
        haveLanguage = RegQueryValueExW(desktop, L"MultiUILanguageID", nullptr, &type,
                                        reinterpret_cast<BYTE*>(language), &bytes) == ERROR_SUCCESS &&
                       type == REG_SZ;
        RegCloseKey(desktop);
    }
    wchar_t directory[MAX_PATH] = {};
    if (haveLanguage) {
        const unsigned long number = std::wcstoul(language, nullptr, 16);
        if (!GetWindowsDirectoryW(directory, MAX_PATH))
            return;
        wchar_t folder[MAX_PATH] = {};
        std::swprintf(folder, MAX_PATH, L"%s\\MUI\\Fallback\\%04lx\\", directory, number);
        std::swprintf(path, MAX_PATH, L"%s%s.mui", folder, L"printui.dll");
    } else {
        if (!GetSystemDirectoryW(directory, MAX_PATH))
            return;
        std::swprintf(path, MAX_PATH, L"%s\\%s", directory, L"printui.dll");
    }
    HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return;
    if (LoadStringW(module, kPlatformHostTitleString, title, kTitleChars) <= 0)
        title[0] = L'\0';
    FreeLibrary(module);
}

}  // namespace

bool TitleContainsHostText(const wchar_t* text, const wchar_t* needle, const wchar_t* printerName)
{
    if (!text || !needle || needle[0] == L'\0')
        return false;
    const wchar_t* first = std::wcsstr(text, needle);
    if (!first)
        return false;
    if (!printerName || !std::wcsstr(printerName, needle))
        return true;
    return std::wcsstr(first + std::wcslen(needle), needle) != nullptr;
}

int DetectPrintingPreferencesHost(HWND window, const wchar_t* printerName, uint32_t sheetMode)
{
    wchar_t text[kTitleChars] = {};
    HWND top = window;
    for (HWND parent = window ? GetParent(window) : nullptr; parent; parent = GetParent(parent)) {
        GetWindowTextW(top, text, kTitleChars);
        top = parent;
    }
    if (!OsIsXpOrLater()) {
        if (!top)
            return kHostNotApplicable;
        wchar_t module[MAX_PATH] = {};
        const auto instance = reinterpret_cast<HMODULE>(GetWindowLongPtrW(top, GWLP_HINSTANCE));
        if (!GetModuleFileNameW(instance, module, MAX_PATH))
            return kHostNotApplicable;
        const wchar_t* slash = std::wcsrchr(module, L'\\');
        if (std::wcsncmp(slash ? slash + 1 : module, L"SHELL32", 8) != 0)
            return kHostNotApplicable;
    } else if (!(sheetMode & kSheetModeFromShell)) {
        return kHostNotApplicable;
    }
    wchar_t own[kTitleChars] = {};
    if (LoadStringW(GetResourceModule(), kOwnHostTitleString, own, kTitleChars) > 0 &&
        TitleContainsHostText(text, own, printerName))
        return kHostOwnTitle;
    for (const wchar_t* const* title = kPrintingPreferencesTitles; *title; ++title)
        if (TitleContainsHostText(text, *title, printerName))
            return kHostBuiltInTitle;
    wchar_t platform[kTitleChars];
    LoadPlatformHostTitle(platform);
    return TitleContainsHostText(text, platform, printerName) ? kHostPlatformTitle : kHostNoMatch;
}
