// The common property-sheet library as a printer interface library meets it:
// CommonPropertySheetUIW calls the caller's sheet callback to collect pages,
// shows them in one modal PropertySheetW, relays the results the pages report
// through CPSFUNC_SET_RESULT back to the callback, and ends with DESTROY.
// One group per sheet: the caller's callback is the only PFNPROPSHEETUI.
#include <windows.h>

#include <commctrl.h>
#include <compstui.h>

#include <memory>
#include <vector>

namespace {

// The limit of pages one sheet takes; comctl32 shows at most this many tabs.
constexpr size_t kMaxPages = 64;
constexpr DWORD kSheetTag = 0x54454853;  // "SHET"
constexpr DWORD kPageTag = 0x45474150;   // "PAGE"

struct Sheet;

// What CPSFUNC_ADD_* hands back: a handle of ours, never the HPROPSHEETPAGE.
struct PageEntry {
    DWORD tag = kPageTag;
    Sheet* sheet = nullptr;
    HPROPSHEETPAGE page = nullptr;
};

struct Sheet {
    DWORD tag = kSheetTag;
    PFNPROPSHEETUI callback = nullptr;
    PROPSHEETUI_INFO info{};
    std::vector<std::unique_ptr<PageEntry>> pages;
    size_t startPage = 0;
    HWND window = nullptr;     // while PropertySheetW runs
    bool shown = false;        // the pages belong to comctl32 from PropertySheetW on
    bool closedByButton = false;
};

// The sheets open on this thread, innermost last (a page may open a sheet of its own).
thread_local std::vector<Sheet*> openSheets;

Sheet* SheetFromHandle(HANDLE handle)
{
    for (Sheet* sheet : openSheets)
        if (sheet == handle)
            return sheet;
    return nullptr;
}

PageEntry* PageFromHandle(Sheet* sheet, HANDLE handle)
{
    for (auto& entry : sheet->pages)
        if (entry.get() == handle)
            return entry.get();
    return nullptr;
}

LONG_PTR AddPage(Sheet* sheet, HPROPSHEETPAGE page)
{
    if (!page || sheet->pages.size() >= kMaxPages)
        return 0;
    if (sheet->window && !PropSheet_AddPage(sheet->window, page))
        return 0;
    auto entry = std::make_unique<PageEntry>();
    entry->sheet = sheet;
    entry->page = page;
    sheet->pages.push_back(std::move(entry));
    return reinterpret_cast<LONG_PTR>(sheet->pages.back().get());
}

// SET_RESULT goes to the callbacks of the page's group and its parents, the
// innermost first, for as long as each answers 1 or more. With one group the
// chain is the caller's callback alone.
LONG_PTR RelayResult(Sheet* sheet, HANDLE target, LPARAM result)
{
    if (target && target != sheet && !PageFromHandle(sheet, target))
        return -1;
    SETRESULT_INFO setResult{sizeof(SETRESULT_INFO), 0, target ? target : sheet, result};
    sheet->info.Reason = PROPSHEETUI_REASON_SET_RESULT;
    sheet->callback(&sheet->info, reinterpret_cast<LPARAM>(&setResult));
    return 1;
}

LONG_PTR CALLBACK ComPropSheet(HANDLE handle, UINT function, LPARAM first, LPARAM second)
{
    Sheet* sheet = SheetFromHandle(handle);
    if (!sheet)
        return -1;
    switch (function) {
    case CPSFUNC_ADD_HPROPSHEETPAGE:
        return AddPage(sheet, reinterpret_cast<HPROPSHEETPAGE>(first));
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
        const auto* description = reinterpret_cast<const PROPSHEETPAGEW*>(first);
        if (!description)
            return 0;
        HPROPSHEETPAGE page = CreatePropertySheetPageW(description);
        const LONG_PTR added = AddPage(sheet, page);
        if (!added && page)
            DestroyPropertySheetPage(page);
        return added;
    }
    case CPSFUNC_SET_RESULT:
        return RelayResult(sheet, reinterpret_cast<HANDLE>(first), second);
    case CPSFUNC_GET_PAGECOUNT:
        return static_cast<LONG_PTR>(sheet->pages.size());
    case CPSFUNC_SET_HSTARTPAGE: {
        for (size_t i = 0; i < sheet->pages.size(); ++i)
            if (sheet->pages[i].get() == reinterpret_cast<PageEntry*>(first)) {
                sheet->startPage = i;
                if (sheet->window)
                    PropSheet_SetCurSel(sheet->window, nullptr, static_cast<int>(i));
                return 1;
            }
        return 0;
    }
    case CPSFUNC_GET_HPSUIPAGES: {
        auto* out = reinterpret_cast<HANDLE*>(first);
        const size_t capacity = second > 0 ? static_cast<size_t>(second) : 0;
        size_t n = 0;
        for (; out && n < capacity && n < sheet->pages.size(); ++n)
            out[n] = sheet->pages[n].get();
        return static_cast<LONG_PTR>(n);
    }
    case CPSFUNC_SET_FUSION_CONTEXT:
        // The pages are created by the caller in its own activation context.
        return 1;
    default:
        return 0;
    }
}

// The sheet window is known once comctl32 has built it.
int CALLBACK SheetCallback(HWND window, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED && !openSheets.empty())
        openSheets.back()->window = window;
    return 0;
}

// The sheet's own icon: a handle from the header, or an icon of the header's module.
HICON HeaderIcon(const PROPSHEETUI_INFO_HEADER& header)
{
    if (header.Flags & PSUIHDRF_USEHICON)
        return header.hIcon;
    if (!header.IconID || !header.hInst)
        return nullptr;
    return static_cast<HICON>(LoadImageW(header.hInst, MAKEINTRESOURCEW(header.IconID), IMAGE_ICON, 0, 0,
                                         LR_DEFAULTSIZE | LR_SHARED));
}

LONG ShowSheet(Sheet* sheet, HWND owner)
{
    PROPSHEETUI_INFO_HEADER header{};
    header.cbSize = sizeof(header);
    header.hWndParent = owner;
    sheet->info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
    if (sheet->callback(&sheet->info, reinterpret_cast<LPARAM>(&header)) <= 0)
        return ERR_CPSUI_GETLASTERROR;
    if (sheet->pages.empty())
        return ERR_CPSUI_NO_PROPSHEETPAGE;

    std::vector<HPROPSHEETPAGE> pages;
    for (auto& entry : sheet->pages)
        pages.push_back(entry->page);
    PROPSHEETHEADERW sheetHeader{};
    sheetHeader.dwSize = sizeof(sheetHeader);
    sheetHeader.dwFlags = PSH_USECALLBACK;
    if (header.Flags & PSUIHDRF_PROPTITLE)
        sheetHeader.dwFlags |= PSH_PROPTITLE;
    if (header.Flags & PSUIHDRF_NOAPPLYNOW)
        sheetHeader.dwFlags |= PSH_NOAPPLYNOW;
    if (HICON icon = HeaderIcon(header)) {
        sheetHeader.dwFlags |= PSH_USEHICON;
        sheetHeader.hIcon = icon;
    }
    sheetHeader.hwndParent = header.hWndParent;
    sheetHeader.hInstance = header.hInst;
    sheetHeader.pszCaption = header.pTitle;
    sheetHeader.nPages = static_cast<UINT>(pages.size());
    sheetHeader.nStartPage = static_cast<UINT>(sheet->startPage < pages.size() ? sheet->startPage : 0);
    sheetHeader.phpage = pages.data();
    sheetHeader.pfnCallback = SheetCallback;

    sheet->shown = true;
    const INT_PTR shown = PropertySheetW(&sheetHeader);
    // Without a display comctl32 answers as if the sheet had been cancelled;
    // a sheet that never came up is a failure.
    const bool cameUp = sheet->window != nullptr;
    sheet->window = nullptr;
    if (shown < 0 || !cameUp)
        return ERR_CPSUI_CREATEPROPPAGE_FAILED;
    sheet->closedByButton = true;
    if (shown == ID_PSREBOOTSYSTEM)
        return CPSUI_REBOOTSYSTEM;
    if (shown == ID_PSRESTARTWINDOWS)
        return CPSUI_RESTARTWINDOWS;
    return CPSUI_OK;
}

}  // namespace

extern "C" LONG APIENTRY CommonPropertySheetUIW(HWND owner, PFNPROPSHEETUI callback, LPARAM lParam, LPDWORD result)
{
    if (!callback)
        return ERR_CPSUI_GETLASTERROR;
    auto sheet = std::make_unique<Sheet>();
    sheet->callback = callback;
    sheet->info.cbSize = sizeof(PROPSHEETUI_INFO);
    sheet->info.Version = PROPSHEETUI_INFO_VERSION;
    sheet->info.Flags = PSUIINFO_UNICODE;
    sheet->info.hComPropSheet = sheet.get();
    sheet->info.pfnComPropSheet = ComPropSheet;
    sheet->info.lParamInit = lParam;
    openSheets.push_back(sheet.get());

    sheet->info.Reason = PROPSHEETUI_REASON_INIT;
    LONG answer = CPSUI_CANCEL;
    if (sheet->callback(&sheet->info, lParam) > 0)
        answer = ShowSheet(sheet.get(), owner);

    // DESTROY follows INIT whatever INIT answered, with the UserData it left
    // (null after a failed INIT), as the platform's library does.
    sheet->info.Reason = PROPSHEETUI_REASON_DESTROY;
    sheet->callback(&sheet->info, sheet->closedByButton ? 1 : 0);
    if (!sheet->shown)
        for (auto& entry : sheet->pages)
            DestroyPropertySheetPage(entry->page);
    openSheets.pop_back();
    if (result)
        *result = static_cast<DWORD>(sheet->info.Result);
    return answer;
}

// Pages made from option items keep the caller's data here; pages of the
// caller's own templates keep theirs in DWLP_USER and never ask.
extern "C" ULONG_PTR APIENTRY GetCPSUIUserData(HWND dialog)
{
    return reinterpret_cast<ULONG_PTR>(GetPropW(dialog, L"CpsuiUserData"));
}

extern "C" BOOL APIENTRY SetCPSUIUserData(HWND dialog, ULONG_PTR data)
{
    return SetPropW(dialog, L"CpsuiUserData", reinterpret_cast<HANDLE>(data));
}
