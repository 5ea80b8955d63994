// The web-page button: the printer's own address, asked of the printer, opened
// in the user's browser.
#pragma once
#include "ui/query/printer_query.h"

// `address` is the stored address (setting 8213) the library tries first.
// 1 when the browser was started.
int OpenPrinterWebPage(const PrinterQueryInput& in, const wchar_t* address);
