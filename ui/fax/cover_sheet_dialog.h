// The cover-sheet dialog (template 4100): whether and how a fax carries a
// cover sheet, its subject line and message, the sender, a live preview and a
// one-page sample print; and the cover form dialog (template 4200), the list of
// the form files used last. Both are table-driven modal dialogs of the engine.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/job/cover_sheet_layout.h"
#include "common/job/fax_send_list.h"
#include "ui/engine/dialog_tables.h"

inline constexpr int32_t kCoverSheetDialogCode = 30;
inline constexpr int32_t kCoverFormsDialogCode = 33;

inline constexpr UINT kMessageBadCoverText = 5006;
inline constexpr UINT kMessageCoverFormMissing = 5018;
inline constexpr UINT kMessageSampleConfirm = 5029;
inline constexpr UINT kMessageFormUnreadable = 5033;
inline constexpr UINT kStringTitleFirstLanguage = 5093;
inline constexpr UINT kStringTitleOtherLanguage = 5094;
inline constexpr UINT kStringCoverBodyFace = 5096;
inline constexpr UINT kStringCoverTextFace = 5097;
inline constexpr UINT kStringCoverBodyWidth = 4648;

inline constexpr int kCoverLineChars = 40;
inline constexpr int kCoverBodyChars = 670;
inline constexpr int kCoverBodyLineBytes = 40;
inline constexpr int kCoverBodyLines = 16;
inline constexpr int kCoverFormsLimit = 10;
inline constexpr size_t kSampleConfirmationChars = 512;  // 1024 bytes

// The preview's page: 203 x 293 pixels drawn at (5, 5), texts from (7, 7).
inline constexpr int kPreviewPageWidth = 203;
inline constexpr int kPreviewPageHeight = 293;
inline constexpr int kPreviewBitmapAt = 5;
inline constexpr int kPreviewTextOrigin = 7;
inline constexpr UINT kPreviewFormBitmap = 5060;
inline constexpr UINT kPreviewPlainBitmap = 5061;
inline constexpr UINT kPreviewFrameBitmap = 5065;

// The background of the preview: the form page when a form is chosen, else the
// model's frame when it draws one (capability 0xFFFF0040), else a plain page.
UINT ChoosePreviewBitmap(uint32_t coverChoice, bool modelFrame);

// Where a layout text lands in the preview: its tenths of a millimetre at the
// print resolution, scaled so that 202 mm fill the page's 203 pixels.
POINT PreviewTextPosition(uint16_t x, uint16_t y, uint32_t dpi);
// The preview's font height for a size in tenths of a point (negative, as a
// LOGFONT's character height).
int PreviewFontHeight(uint16_t size, uint32_t dpi);

// The cover sheet's texts as the device lays them out (up to
// kCoverSheetMaxItems items, GlobalFree) from the dialog's settings, the
// record's first recipient and the two texts given; null on failure.
CoverSheetItem* BuildCoverPreviewItems(void* settings, void* printerSettings, const FaxRecipientRecord& recipient,
                                       const wchar_t* line, const wchar_t* body, bool x350, uint32_t* count);


// The sample print's settings copy: the dialog's settings with the sample's
// send list written to a fresh temporary file (setting 375, 381 = 1, 380 = 1),
// the first recipient (empty with no recipient) and the printer's name and
// port. 1 ok, 0 failure (the file, once made, is deleted).
int PrepareSampleFaxData(HWND dialog, void* settingsCopy, void* printerSettings, FaxRecipientRecord* recipient,
                         wchar_t* portName, wchar_t* printerName);
// Message 5029 with the port and the recipient's number, name and company.
void FormatSampleConfirmation(const FaxRecipientRecord& recipient, const wchar_t* portName, wchar_t* out);
// The one-page document of the sample: a printer DC on `printerName` with the
// settings copy as its DEVMODE, one page with one blank, the output to
// `portName`. 1 printed.
int PrintSampleDocument(const wchar_t* printerName, const wchar_t* portName, const void* settings);

// Item handlers with a file of their own.
uint32_t OnCoverPreviewItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters);
uint32_t PrintCoverSheetSample(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters);

extern const PageHeader CoverSheetHeader;
extern const PageHeader CoverFormsHeader;
extern const PageDescriptor CoverSheetDialog;
extern const PageDescriptor CoverFormsDialog;
INT_PTR CALLBACK CoverSheetDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CoverSheetFormsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

