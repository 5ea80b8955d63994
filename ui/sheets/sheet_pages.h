// Which pages a sheet shows and how they become platform property-sheet pages.
// The page lists are data: per sheet kind an ordered list of page descriptors,
// the alternatives a model asks for, and the pages inserted before another.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <cstdint>

#include "ui/engine/dialog_tables.h"

struct UiContext;

// Sheet kinds of the sheet callback.
inline constexpr int kSheetKindDevice = 1;
inline constexpr int kSheetKindDocument = 2;
inline constexpr int kSheetKindPrintTime = 4;

// Page kinds (dialog codes) of the pages.
inline constexpr uint64_t kPageFaxRecipients = 0;
inline constexpr uint64_t kPageJobType = 1;
inline constexpr uint64_t kPageColourMode = 3;
inline constexpr uint64_t kPageAccounting = 5;
inline constexpr uint64_t kPageDeviceOptions = 6;
inline constexpr uint64_t kPageSettingsList = 13;
inline constexpr uint64_t kPageStamps = 17;
inline constexpr uint64_t kPageAccountingAlone = 46;
inline constexpr uint64_t kPageDriverKind4 = 52;

// The most pages one sheet may have.
inline constexpr size_t kMaxSheetPages = 20;

// The pages' dialog templates (resource file).
inline constexpr uint32_t kTemplateFaxRecipients = 4000;
inline constexpr uint32_t kTemplateJobType = 4701;
inline constexpr uint32_t kTemplateColourMode = 505;
inline constexpr uint32_t kTemplateColourModePlain = 537;
inline constexpr uint32_t kTemplateStamps = 524;
inline constexpr uint32_t kTemplateSettingsList = 504;
inline constexpr uint32_t kTemplateAccounting = 4702;
inline constexpr uint32_t kTemplateAccountingAlone = 4703;
inline constexpr uint32_t kTemplateDeviceOptions = 503;

// The list of a sheet kind (device 2 pages, document 4, print-time 1). The
// driver kind does not change the lists: kinds 3 and 4 have none of their own
// and show the plain printer's. 0 for an unknown sheet kind.
int SelectPageList(int sheetKind, int driverKind, const PageDescriptor* const** list, size_t* count);
// The page a model shows in the descriptor's place: the plain colour page when
// the model's colour kind is 1, the accounting page of its own kind when the
// model has capability 0x2000000; else the descriptor itself.
const PageDescriptor* SelectPageAlternative(const PageDescriptor* page, const UiContext* ui, int colourKind);
// The pages inserted before a page of `pageKind`: only in the document sheet
// and only with the insert flag. Null with count 0 when none.
const PageDescriptor* const* FindInsertedPages(uint64_t pageKind, int sheetKind, int insertFlag, size_t* count);

// The whole table list of a sheet: per page of its list the inserted pages
// (each followed by its sub-dialogs), the page after its alternative, then its
// sub-dialogs. A global block the caller frees; null with a message box when
// the list holds more than kMaxSheetPages pages, null when memory runs out.
struct SheetTableRequest {
    int sheetKind;
    int driverKind;
    int colourKind;
    int insertFlag;
    const UiContext* ui;
};
size_t CountSheetTables(const SheetTableRequest& request);
const PageDescriptor** FillSheetTables(const SheetTableRequest& request, size_t* count);
// The same over a list of pages of the caller's.
const PageDescriptor** FillSheetTablesFromList(const SheetTableRequest& request, const PageDescriptor* const* list,
                                               size_t n, size_t* count);

// One PROPSHEETPAGEW per table entry with a page header, into `pages` (room
// for `count` entries); the page titles that come from a setting's display
// name are copied into the sheet's title array. The number of pages built.
size_t BuildPropSheetPages(const PageDescriptor* const* tables, size_t count, UiContext* ui, void* instance,
                           HINSTANCE resources, LPFNPSPCALLBACKW pageCallback, PROPSHEETPAGEW* pages);
// Frees the page title array.
void FreePageTitles(UiContext* ui);

// The page descriptors (sheet_page_tables.cpp).
extern const PageDescriptor FaxRecipientsPage;
extern const PageDescriptor JobTypePage;
extern const PageDescriptor ColourModePage;
extern const PageDescriptor ColourModePlainPage;
extern const PageDescriptor StampsPage;
extern const PageDescriptor SettingsListPage;
extern const PageDescriptor AccountingPage;
extern const PageDescriptor AccountingAlonePage;
extern const PageDescriptor DeviceOptionsPage;
