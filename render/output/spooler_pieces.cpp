#include "render/output/spooler_pieces.h"

#include <algorithm>

int64_t WriteInSpoolerPieces(HANDLE printer, const uint8_t* bytes, uint32_t length, WritePrinterFn write)
{
    if (write == nullptr || (bytes == nullptr && length != 0))
        return -1;
    uint32_t done = 0;
    while (done < length) {
        const DWORD piece = std::min(length - done, kSpoolerPieceBytes);
        DWORD written = 0;
        // A short last piece is a failure like any other: bytes the spooler did
        // not take are lost from the job.
        if (!write(printer, const_cast<uint8_t*>(bytes + done), piece, &written) || written != piece)
            return -1;
        done += piece;
    }
    return length;
}
