#include "ui/sheets/sheet_pages.h"

#include "common/context/model_lookups.h"
#include "common/system/global_block.h"
#include "ui/engine/ui_context.h"

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

constexpr CapabilityId kAccountingAloneCapability = 0x2000000;
constexpr int kColourKindPlain = 1;
constexpr int kDriverKindWithPage52 = 4;

constexpr const PageDescriptor* kDocumentPages[] = {&JobTypePage, &ColourModePage, &StampsPage, &SettingsListPage};
constexpr const PageDescriptor* kDevicePages[] = {&AccountingPage, &DeviceOptionsPage};
constexpr const PageDescriptor* kPrintTimePages[] = {&FaxRecipientsPage};

// Rows {page kind, page placed before it}.
struct PageInsertRow {
    uint32_t pageKind;
    const PageDescriptor* page;
};
constexpr PageInsertRow kPageInsertTable[] = {{static_cast<uint32_t>(kPageJobType), &FaxRecipientsPage}};

// The exact texts of the message a list of too many pages shows.
constexpr wchar_t kTooManyPagesText[] = L"Tab's number is too large.\n";
constexpr wchar_t kTooManyPagesCaption[] = L"local_SetWndInfoList error!";

// Walks a sheet's table list, handing each entry to `take`; false when the
// list has more pages than a sheet may show.
template <typename Take>
bool WalkSheetTables(const SheetTableRequest& request, const PageDescriptor* const* list, size_t n, Take take)
{
    size_t pages = 0;
    auto takeWithSubDialogs = [&](const PageDescriptor* page) {
        take(page);
        ++pages;
        const PageHeader* header = page->header;
        for (uint64_t i = 0; header && header->subDialogs && i < header->subDialogCount; ++i)
            take(header->subDialogs[i]);
    };
    for (size_t i = 0; i < n; ++i) {
        const PageDescriptor* page = list[i];
        if (!page || (page->pageKind == kPageDriverKind4 && request.driverKind != kDriverKindWithPage52))
            continue;
        size_t inserted = 0;
        const PageDescriptor* const* before =
            FindInsertedPages(page->pageKind, request.sheetKind, request.insertFlag, &inserted);
        for (size_t k = 0; k < inserted; ++k)
            takeWithSubDialogs(before[k]);
        takeWithSubDialogs(SelectPageAlternative(page, request.ui, request.colourKind));
        if (pages > kMaxSheetPages)
            return false;
    }
    return true;
}

}  // namespace

int SelectPageList(int sheetKind, int, const PageDescriptor* const** list, size_t* count)
{
    if (!list || !count)
        return 0;
    switch (sheetKind) {
    case kSheetKindDevice:
        *list = kDevicePages;
        *count = std::size(kDevicePages);
        return 1;
    case kSheetKindDocument:
        *list = kDocumentPages;
        *count = std::size(kDocumentPages);
        return 1;
    case kSheetKindPrintTime:
        *list = kPrintTimePages;
        *count = std::size(kPrintTimePages);
        return 1;
    default:
        *list = nullptr;
        *count = 0;
        return 0;
    }
}

const PageDescriptor* SelectPageAlternative(const PageDescriptor* page, const UiContext* ui, int colourKind)
{
    if (page == &ColourModePage && colourKind == kColourKindPlain)
        return &ColourModePlainPage;
    if (page == &AccountingPage && ui && TestCapabilityBit(&ui->capabilities, kAccountingAloneCapability))
        return &AccountingAlonePage;
    return page;
}

const PageDescriptor* const* FindInsertedPages(uint64_t pageKind, int sheetKind, int insertFlag, size_t* count)
{
    *count = 0;
    if (sheetKind != kSheetKindDocument || !insertFlag)
        return nullptr;
    for (const PageInsertRow& row : kPageInsertTable)
        if (row.pageKind == pageKind) {
            *count = 1;
            return &row.page;
        }
    return nullptr;
}

namespace {

size_t CountFromList(const SheetTableRequest& request, const PageDescriptor* const* list, size_t n, bool* fits)
{
    size_t entries = 0;
    *fits = WalkSheetTables(request, list, n, [&](const PageDescriptor*) { ++entries; });
    return entries;
}

}  // namespace

size_t CountSheetTables(const SheetTableRequest& request)
{
    const PageDescriptor* const* list = nullptr;
    size_t n = 0;
    if (!SelectPageList(request.sheetKind, request.driverKind, &list, &n))
        return 0;
    bool fits = true;
    const size_t entries = CountFromList(request, list, n, &fits);
    return fits ? entries : 0;
}

const PageDescriptor** FillSheetTablesFromList(const SheetTableRequest& request, const PageDescriptor* const* list,
                                               size_t n, size_t* count)
{
    *count = 0;
    bool fits = true;
    const size_t entries = CountFromList(request, list, n, &fits);
    if (!fits) {
        MessageBoxW(nullptr, kTooManyPagesText, kTooManyPagesCaption, MB_OK);
        return nullptr;
    }
    if (entries == 0)
        return nullptr;
    auto tables = AllocGlobalBlock<const PageDescriptor*>(entries * sizeof(const PageDescriptor*));
    if (!tables)
        return nullptr;
    size_t filled = 0;
    WalkSheetTables(request, list, n, [&](const PageDescriptor* entry) { tables.get()[filled++] = entry; });
    *count = filled;
    return tables.release();
}

const PageDescriptor** FillSheetTables(const SheetTableRequest& request, size_t* count)
{
    const PageDescriptor* const* list = nullptr;
    size_t n = 0;
    *count = 0;
    if (!SelectPageList(request.sheetKind, request.driverKind, &list, &n))
        return nullptr;
    return FillSheetTablesFromList(request, list, n, count);
}

namespace {

// A copy of the title setting's display name, kept in the sheet's title array.
const wchar_t* KeepSettingTitle(UiContext* ui, uint16_t setting, size_t slot)
{
    uint16_t kind = 0;
    uint16_t options = 0;
    const wchar_t* name = nullptr;
    ModelSection* section = nullptr;
    uint16_t status = 0;
    if (!ui->settings || !GetItemFeature(ui->settings, setting, &kind, &options, &name, &section, &status))
        return nullptr;
    wchar_t* copy = nullptr;
    if (name) {
        const size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
        copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, bytes));
        if (copy)
            std::memcpy(copy, name, bytes);
    }
    FreeItemFeature(section);
    ui->pageTitles[slot] = copy;
    return copy;
}

}  // namespace

size_t BuildPropSheetPages(const PageDescriptor* const* tables, size_t count, UiContext* ui, void* instance,
                           HINSTANCE resources, LPFNPSPCALLBACKW pageCallback, PROPSHEETPAGEW* pages)
{
    if (!tables || !ui || !pages)
        return 0;
    FreePageTitles(ui);
    ui->pageTitles = static_cast<wchar_t**>(GlobalAlloc(GPTR, (count + 1) * sizeof(wchar_t*)));
    if (!ui->pageTitles)
        return 0;
    size_t built = 0;
    size_t titles = 0;
    for (size_t i = 0; i < count; ++i) {
        const PageHeader* header = tables[i] ? tables[i]->header : nullptr;
        if (!header)
            continue;
        PROPSHEETPAGEW& page = pages[built++];
        std::memset(&page, 0, sizeof page);
        page.dwSize = PROPSHEETPAGEW_V2_SIZE;
        page.dwFlags = PSP_HASHELP | PSP_USECALLBACK;
        if (header->titleString != kNoControl) {
            page.dwFlags |= PSP_USETITLE;
            page.pszTitle = MAKEINTRESOURCEW(header->titleString);
        } else if (header->titleSetting != 0) {
            if (const wchar_t* title = KeepSettingTitle(ui, header->titleSetting, titles)) {
                ++titles;
                page.dwFlags |= PSP_USETITLE;
                page.pszTitle = title;
            }
        }
        page.hInstance = resources;
        page.pszTemplate = MAKEINTRESOURCEW(header->templateId);
        page.pfnDlgProc = header->procedure;
        page.lParam = reinterpret_cast<LPARAM>(instance);
        page.pfnCallback = pageCallback;
    }
    return built;
}

void FreePageTitles(UiContext* ui)
{
    if (!ui || !ui->pageTitles)
        return;
    for (wchar_t** title = ui->pageTitles; *title; ++title)
        GlobalFree(*title);
    GlobalFree(ui->pageTitles);
    ui->pageTitles = nullptr;
}
