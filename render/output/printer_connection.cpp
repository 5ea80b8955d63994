// The stream's own connection to a printer: a second spooler job beside the
// one GDI gives, used where the job's bytes must go out on a handle of ours.
#include "render/output/output_stream.h"

#include <winspool.h>

#include <memory>

int OpenStreamOnNewPrinterJob(OutputStream* stream, HANDLE printer, const wchar_t* documentName)
{
    if (stream == nullptr || printer == nullptr)
        return -1;
    DWORD needed = 0;
    GetPrinterW(printer, 1, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_1W))
        return -1;
    std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[needed]);
    if (!info || !GetPrinterW(printer, 1, info.get(), needed, &needed))
        return -1;
    const auto* level1 = reinterpret_cast<const PRINTER_INFO_1W*>(info.get());
    HANDLE own = nullptr;
    if (level1->pName == nullptr || !OpenPrinterW(level1->pName, &own, nullptr))
        return -1;
    DOC_INFO_1W doc = {const_cast<LPWSTR>(documentName), nullptr, const_cast<LPWSTR>(L"RAW")};
    if (StartDocPrinterW(own, 1, reinterpret_cast<BYTE*>(&doc)) == 0) {
        ClosePrinter(own);
        return -1;
    }
    if (!StartPagePrinter(own)) {
        EndDocPrinter(own);
        ClosePrinter(own);
        return -1;
    }
    stream->channel = own;
    stream->ownConnection = true;
    stream->mode = kStreamSpooler;
    stream->fill = 0;
    return 0;
}

BOOL ClosePrinterStream(OutputStream* stream)
{
    // Only a connection of our own is ended here; the caller's handle is theirs.
    if (stream == nullptr || stream->channel == nullptr || !stream->ownConnection)
        return FALSE;
    const int flushed = FlushStreamBuffer(stream);
    HANDLE own = stream->channel;
    stream->mode = kStreamClosed;
    stream->channel = nullptr;
    stream->ownConnection = false;
    const BOOL pageEnded = EndPagePrinter(own);
    const BOOL docEnded = EndDocPrinter(own);
    const BOOL closed = ClosePrinter(own);
    return pageEnded && docEnded && closed && flushed == 0;
}
