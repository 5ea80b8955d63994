#include "printhost/print_job.h"

#include "printhost/host_dc.h"
#include "printhost/recorder_input.h"

#include <fstream>
#include <iterator>

namespace printhost {

namespace {

bool ReadFile(const std::wstring& path, std::vector<BYTE>* bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1ll << 30);
    if (ok) {
        bytes->resize(size_t(size.QuadPart));
        DWORD read = 0;
        ok = bytes->empty() || (::ReadFile(file, bytes->data(), DWORD(bytes->size()), &read, nullptr) && read == bytes->size());
    }
    CloseHandle(file);
    return ok;
}

} // namespace

HENHMETAFILE MetafileFromBytes(const std::vector<BYTE>& bytes, int* code, std::wstring* error)
{
    if (!CheckMetafileBytes(bytes.data(), bytes.size(), error)) {
        *code = kBadMetafile;
        return nullptr;
    }
    // The frame places the page: GDI scales by its extents, which must not overflow.
    const RECTL& frame = reinterpret_cast<const ENHMETAHEADER*>(bytes.data())->rclFrame;
    for (LONG v : {frame.left, frame.top, frame.right, frame.bottom}) {
        if (v < -kMaxCoordinate || v > kMaxCoordinate) {
            *code = kBadMetafile;
            *error = L"bad metafile: record 1 (EMR_HEADER): the frame is outside GDI's range";
            return nullptr;
        }
    }
    const std::vector<BYTE> prepared = PrepareForRecorder(bytes.data(), bytes.size());
    HENHMETAFILE emf = SetEnhMetaFileBits(UINT(prepared.size()), prepared.data());
    if (!emf) {
        *code = kBadMetafile;
        *error = L"GDI refused the metafile";
    }
    return emf;
}

HENHMETAFILE LoadMetafile(const std::wstring& path, int* code, std::wstring* error)
{
    std::vector<BYTE> bytes;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES || !ReadFile(path, &bytes)) {
        *code = kMissingFile;
        *error = L"cannot read " + path;
        return nullptr;
    }
    std::wstring why;
    HENHMETAFILE emf = MetafileFromBytes(bytes, code, &why);
    if (!emf) *error = path + L": " + why;
    return emf;
}

PageDrawer MetafilePage(HENHMETAFILE metafile)
{
    return [metafile](HDC dc, const GDIINFO& info) {
        ENHMETAHEADER header{};
        if (!GetEnhMetaFileHeader(metafile, sizeof(header), &header)) return false;
        const LONG dpiX = info.ulLogPixelsX ? LONG(info.ulLogPixelsX) : 300;
        const LONG dpiY = info.ulLogPixelsY ? LONG(info.ulLogPixelsY) : 300;
        // The frame is in hundredths of a millimetre.
        RECT place{MulDiv(header.rclFrame.left, dpiX, 2540), MulDiv(header.rclFrame.top, dpiY, 2540),
                   MulDiv(header.rclFrame.right, dpiX, 2540), MulDiv(header.rclFrame.bottom, dpiY, 2540)};
        // An empty or inverted frame has no room to draw in (GDI would divide by its extent).
        if (header.rclFrame.right <= header.rclFrame.left || header.rclFrame.bottom <= header.rclFrame.top) return true;
        return PlayEnhMetaFile(dc, metafile, &place) != FALSE;
    };
}

bool LoadDevmodeFile(const std::wstring& path, std::vector<BYTE>* devmode, int* code, std::wstring* error)
{
    if (!ReadFile(path, devmode)) {
        *code = kMissingFile;
        *error = L"cannot read " + path;
        return false;
    }
    const size_t minimum = offsetof(DEVMODEW, dmFields) + sizeof(DWORD);
    const auto* dm = reinterpret_cast<const DEVMODEW*>(devmode->data());
    if (devmode->size() < minimum || dm->dmSize < minimum || size_t(dm->dmSize) + dm->dmDriverExtra != devmode->size()) {
        *code = kUsage;
        *error = path + L": not a DEVMODE (its size fields do not match the file's " + std::to_wstring(devmode->size()) +
                 L" bytes)";
        return false;
    }
    return true;
}

int PrintDocument(const PrintRequest& request, const std::vector<PageDrawer>& pages, std::wstring* error)
{
    const DEVMODEW* devmode = request.devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(request.devmode.data());
    HDC dc = CreatePrinterDc(request.printer, devmode, error);
    if (!dc) return error->find(L"no printer") == 0 ? kSpoolerFailed : kDriverFailed;
    GDIINFO info{};
    HostDcGdiInfo(dc, &info);
    DOCINFOW doc{sizeof(doc), request.documentName.c_str(), request.outputFile.empty() ? nullptr : request.outputFile.c_str(),
                 nullptr, 0};
    int code = kOk;
    if (HostStartDocW(dc, &doc) <= 0) {
        *error = HostDcLastError(dc);
        HostDeleteDC(dc);
        return kSpoolerFailed;
    }
    for (size_t i = 0; i < pages.size() && code == kOk; ++i) {
        if (HostStartPage(dc) <= 0) {
            *error = HostDcLastError(dc);
            code = kDriverFailed;
            break;
        }
        if (!pages[i](CurrentDrawingDc(dc), info)) {
            *error = L"page " + std::to_wstring(i + 1) + L" could not be drawn";
            code = kBadMetafile;
        }
        if (HostEndPage(dc) <= 0 && code == kOk) {
            *error = L"page " + std::to_wstring(i + 1) + L": " + HostDcLastError(dc);
            code = kDriverFailed;
        }
    }
    if (code == kOk) {
        if (HostEndDoc(dc) <= 0) {
            *error = HostDcLastError(dc);
            code = kDriverFailed;
        }
    } else {
        HostAbortDoc(dc);
    }
    HostDeleteDC(dc);
    return code;
}

} // namespace printhost
