// The device options page (template 503, dialog code 6) of the device sheet:
// the installable options of the printer, what paper each paper source holds,
// and the query of the printer that fills both in. Table-driven; the page's
// behaviour lives in its items' handlers and the two row drawers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/engine/dialog_tables.h"

struct CallContext;

inline constexpr int32_t kDeviceOptionsCode = 6;

// Controls of the page.
inline constexpr int32_t kOptionList = 1046;
inline constexpr int32_t kOptionValueBox = 3742;
inline constexpr int32_t kOptionValueLabel = 3741;
inline constexpr int32_t kSourceList = 1739;
inline constexpr int32_t kSourceListLabel = 1740;
inline constexpr int32_t kSourceSizeBox = 1743;
inline constexpr int32_t kSourceFeedBox = 1744;
inline constexpr int32_t kSourceTypeBox = 1741;
inline constexpr int32_t kSourceTypeName = 1752;
inline constexpr int32_t kSourceTypeNameLabel = 1748;
inline constexpr int32_t kSourceSecondBox = 5055;
inline constexpr int32_t kSourceSecondLabel = 5057;
inline constexpr int32_t kSourceSecondName = 5056;
inline constexpr int32_t kQueryButton = 1749;
inline constexpr int32_t kQueryGroup = 1738;
inline constexpr int32_t kQueryAddress = 1750;
inline constexpr int32_t kQueryAddressLabel = 1751;
inline constexpr int32_t kWebPageButton = 1754;
inline constexpr int32_t kKeepSettingsButton = 1753;

// Settings the page reads besides its items' own.
inline constexpr uint16_t kFidSelectedSource = 8208;
inline constexpr uint16_t kFidPrinterAddress = 8213;
inline constexpr uint16_t kFidCommunityName = 8212;
inline constexpr uint16_t kFidFaxCardType = 4369;
inline constexpr uint16_t kFidSipFax = 4142;

// Messages of the page.
inline constexpr int kMessageSecurityKit = 5023;
inline constexpr int kMessageNoFaxLine = 5215;

extern const ItemTableHeader DeviceOptionsPageItemTable;

// The owner-drawn paper source rows (draw hook of a list of the sources of
// setting 8208): the source's name, its paper size and feed, paper type and,
// with second types, second type. Pages with paper source lists share it.
uint32_t DrawPaperSourceRow(CallContext* call, const ItemRecord* item, HWND control, LPARAM data);

// The text cut to `width` pixels in `dc`: whole when it fits, else the longest
// prefix followed by the ellipsis that fits; the ellipsis alone when not even
// a one-character prefix does. At most 255 characters of the text count.
std::wstring FitTextToColumn(HDC dc, const wchar_t* text, int width, const wchar_t* ellipsis);

// Row `index` (1-20) of the user paper size table: its paper code, width,
// length (tenths of a millimetre) and name (64 characters with the
// terminator). Index 0 with every output null answers the count 20. 1, or 0
// for an index outside 1-20 or a failed read.
int GetUserPaperSizeEntry(int index, void* printerSettings, uint16_t* code, uint16_t* width, uint16_t* length,
                          wchar_t* name);

// The printer query run from the page and its answers applied (address,
// options through the change path, other settings, trays). 1 when the query
// ran; 0 with nothing changed.
int ApplyPrinterQueryResult(CallContext* call);
// The printer's own web page in the user's browser, at the address the
// printer gives. 1 when the browser was started.
int OpenDevicePageWebPage(CallContext* call);
