// Printing a document through a host DC: inputs (metafile files or drawing
// routines) become pages, settings come as a DEVMODE.
#pragma once

#include "printhost/metafile_check.h"

#include <windows.h>
#include <winddi.h>

#include <functional>
#include <string>
#include <vector>

namespace printhost {

// Exit codes of the command line, one per kind of failure.
// kHostFault: an exception inside the host, GDI or the driver; the low byte
// of an exception code would otherwise pass for one of the others.
enum ExitCode { kOk = 0, kUsage = 1, kMissingFile = 2, kBadMetafile = 3, kDriverFailed = 4, kSpoolerFailed = 5, kHostFault = 6 };

// Checks metafile bytes and hands them to GDI, rewritten where wine's metafile
// recorder would not copy them faithfully (recorder_input.h); null with kBadMetafile.
HENHMETAFILE MetafileFromBytes(const std::vector<BYTE>& bytes, int* code, std::wstring* error);
// Reads and checks a metafile file; null with kMissingFile or kBadMetafile.
HENHMETAFILE LoadMetafile(const std::wstring& path, int* code, std::wstring* error);

// Draws one page on the DC; info holds the device's capabilities.
using PageDrawer = std::function<bool(HDC dc, const GDIINFO& info)>;
// A metafile drawn at its own size (its frame at the device's resolution).
PageDrawer MetafilePage(HENHMETAFILE metafile);

// A DEVMODE read from a file: its size must be what its own fields declare.
bool LoadDevmodeFile(const std::wstring& path, std::vector<BYTE>* devmode, int* code, std::wstring* error);

struct PrintRequest {
    std::wstring printer;
    std::wstring outputFile;
    std::wstring documentName = L"print host document";
    std::vector<BYTE> devmode;   // empty: the printer's own
};

// CreateDC, StartDoc, each page, EndDoc, DeleteDC. Answers an exit code.
int PrintDocument(const PrintRequest& request, const std::vector<PageDrawer>& pages, std::wstring* error);

} // namespace printhost
