// The private drawing escapes: answered while the capability record is enabled
// (4209 switches it), with answers of their own below -1.
#include "common/settings/function_ids.h"
#include "render/command/page_items.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/frame/escape_overrides.h"
#include "render/frame/escape_records.h"
#include "render/frame/escape_table.h"
#include "render/frame/job_frame.h"
#include "render/image/escape_image.h"

#include <cstring>

namespace {

constexpr uint32_t kSignature = FourCharTag("ZQPE");
constexpr uint32_t kSrcCopy = 0xCC0020;
constexpr uint16_t kFunctionChunkedImage = 0x1102;

bool Enabled(const PDevRecord* pdev)
{
    return pdev->capability.enabled == 1;
}

// Every fact the private function check asks, as the record holds it; the
// capability record's third value is that of setting 4103.
EscapeFunctionConditions PrivateFunctionConditions(PDevRecord* pdev)
{
    EscapeFunctionConditions conditions{};
    conditions.streamVersion = pdev->capability.streamVersion;
    conditions.jobHeaderOn = GetPdevSettingDword(pdev, kFidJobHeaderOn) != 0;
    // The printer reports nothing of these to the driver: nothing is taken away.
    conditions.supportsOption4 = conditions.supportsOption8 = true;
    conditions.pageRecordValue = pdev->pageRecord.paper;
    conditions.capabilityThird = pdev->capability.setting4103;
    conditions.setting5202 = GetPdevSettingDword(pdev, kFidForceColorMode);
    return conditions;
}

// Whether the printer's stream takes the private drawing function.
bool FunctionAllowed(PDevRecord* pdev, uint16_t function)
{
    EscapeFunctionRow row{};
    return LookupEscapeFunction(function, PrivateFunctionConditions(pdev), &row) == 0;
}

void ResetTransfer(ChunkTransfer* transfer)
{
    if (transfer->data)
        GlobalFree(transfer->data);
    transfer->data = nullptr;
    transfer->id = 0;
    transfer->total = 0;
    transfer->received = 0;
}

// The image goes on the page only once the job runs; without a document
// there is no page to draw on and the image is dropped.
int32_t DrawTransferredImage(PDevRecord* pdev, const ChunkTransfer& transfer)
{
    if (!(pdev->pageState & kPageDocumentStarted))
        return kEscDone;
    return EnsurePageOpen(pdev) == 0 && DrawEscapeImageRecord(pdev, transfer.data, transfer.total) == 0
               ? kEscDone
               : kEscFailed;
}

} // namespace

void TakeCapabilityStreamVersion(PDevRecord* pdev)
{
    pdev->capability.streamVersion = GetPdevSettingDword(pdev, kFidStreamVersion);
}

int32_t EscDrawControl(const EscapeCall& call)
{
    EscDrawControlRequest request;
    std::memcpy(&request, call.in, sizeof(request));
    if (request.size != sizeof(request))
        return kEscBadLength;
    switch (request.function) {
    case kDrawControlEnable:
        call.pdev->capability.enabled = 1;
        return kEscDone;
    case kDrawControlDisable:
        call.pdev->capability.enabled = 0;
        return kEscDone;
    case kDrawControlSignature:
        if (!call.out || call.outSize < sizeof(kSignature))
            return kEscFailed;
        std::memcpy(call.out, &kSignature, sizeof(kSignature));
        return kEscDone;
    case kDrawControlFontInfo:
        if (!call.out)
            return kEscFailed;
        if (call.outSize != kDrawControlFontInfoSize)
            return kEscBadLength;
        // Device fonts are numbered from 1.
        if (request.argument == 0 || request.argument > call.pdev->deviceFontCount)
            return kEscBadArgument;
        std::memset(call.out, 0, kDrawControlFontInfoSize);
        return kEscDone;
    default:
        return kEscBadFunction;
    }
}

int32_t EscChunkedImage(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (!Enabled(pdev) || !FunctionAllowed(pdev, kFunctionChunkedImage))
        return kEscUnknown;
    EscChunkRequest request;
    std::memcpy(&request, call.in, sizeof(request));
    // Every length and offset read from the record stays inside the bytes given.
    const uint64_t itemEnd = uint64_t(request.itemOffset) + sizeof(EscChunkHeader);
    if (request.size > call.inSize || request.itemOffset < sizeof(request) || itemEnd > call.inSize)
        return kEscUnknown;
    EscChunkHeader chunk;
    std::memcpy(&chunk, call.in + request.itemOffset, sizeof(chunk));
    if (chunk.rop != kSrcCopy || itemEnd + chunk.chunkLength > call.inSize || chunk.totalLength == 0)
        return kEscUnknown;
    if ((pdev->pageState & kPageDocumentStarted) && EnsurePageOpen(pdev) != 0)
        return kEscFailed;
    ChunkTransfer& transfer = pdev->chunks;
    if (transfer.id == 0) {
        if (chunk.offset != 0 || chunk.transferId != 0) {
            ResetTransfer(&transfer);
            return kEscBadLength;
        }
        if (chunk.totalLength > kChunkTotalLimit)
            return kEscUnknown;
        transfer.data = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, chunk.totalLength));
        if (!transfer.data)
            return kEscFailed;
        transfer.lastId = transfer.lastId >= kChunkIdLimit ? 1 : transfer.lastId + 1;
        transfer.id = transfer.lastId;
        transfer.total = chunk.totalLength;
    } else if (chunk.transferId != transfer.id || chunk.offset != transfer.received) {
        ResetTransfer(&transfer);
        return kEscBadLength;
    }
    if (uint64_t(transfer.received) + chunk.chunkLength > transfer.total) {
        ResetTransfer(&transfer);
        return kEscBadLength;
    }
    std::memcpy(transfer.data + transfer.received, call.in + itemEnd, chunk.chunkLength);
    transfer.received += chunk.chunkLength;
    int32_t answer = static_cast<int32_t>(transfer.id);
    if (transfer.received == transfer.total) {
        if (DrawTransferredImage(pdev, transfer) != kEscDone)
            answer = kEscFailed;
        ResetTransfer(&transfer);
    }
    return answer;
}

int32_t EscDrawMode(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (!Enabled(pdev))
        return kEscUnknown;
    uint16_t code = 0;
    std::memcpy(&code, call.in, sizeof(code));
    CapabilityRecord& record = pdev->capability;
    const bool started = pdev->flags & kPdevDocumentStarted;
    switch (code) {
    case kDrawModeOn:
    case kDrawModeOff:
        if (started)
            return kEscWrongState;
        record.modeWord = code == kDrawModeOn;
        record.subMode = 0;
        return kEscDone;
    case kDrawSubMode1:
    case kDrawSubMode2:
    case kDrawSubMode0:
        if (!record.modeWord)
            return kEscWrongState;
        record.subMode = code == kDrawSubMode1 ? 1 : code == kDrawSubMode2 ? 2 : 0;
        return kEscDone;
    default:
        return kEscBadArgument;
    }
}

int32_t EscJobOverride(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (!Enabled(pdev))
        return kEscUnknown;
    EscJobOverrideRequest request{};
    if (!call.in || call.inSize != sizeof(request))
        return kEscBadLength;
    std::memcpy(&request, call.in, sizeof(request));
    if (request.size != sizeof(request))
        return kEscBadLength;
    CapabilityRecord& record = pdev->capability;
    const bool duplexField = GetPdevSettingDword(pdev, kFidFields) & DM_DUPLEX;
    switch (request.function) {
    case kOverrideQueryDuplex: {
        if (!duplexField)
            return kEscWrongState;
        const uint16_t duplex = GetPdevSettingWord(pdev, kFidDuplex);
        if (duplex < 1 || duplex > 3)
            return kEscBadValue;
        WriteEscapeOutput16(call, static_cast<uint16_t>(kDuplexCodeBase + duplex));
        return kEscDone;
    }
    case kOverrideSetDuplex:
        if (request.argument == kDuplexNoOverride) {
            record.duplex = -1;
            return kEscDone;
        }
        if (request.argument <= kDuplexCodeBase || request.argument > kDuplexCodeBase + 3)
            return kEscBadValue;
        if (!duplexField)
            return kEscWrongState;
        record.duplex = request.argument - kDuplexCodeBase;
        return kEscDone;
    case kOverrideQueryPagesPerSheet:
        WriteEscapeOutput16(call, GetPdevSettingWord(pdev, kFidPosterBooklet) != 0
                                      ? 0 : GetPdevSettingWord(pdev, kFidPagesPerSheet));
        return kEscDone;
    case kOverrideSetPagesPerSheet:
        if (request.argument == 0) {
            record.pagesPerSheet = record.nupOrder = -1;
            return kEscDone;
        }
        if (NupOrderForPages(request.argument) < 0)
            return kEscBadValue;
        record.pagesPerSheet = request.argument;
        record.nupOrder = NupOrderForPages(request.argument);
        return kEscDone;
    default:
        return kEscBadArgument;
    }
}

int32_t EscDrawData(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (!Enabled(pdev))
        return kEscUnknown;
    uint32_t length = 0;
    std::memcpy(&length, call.in, sizeof(length));
    if (length > kDrawDataLimit || uint64_t(length) + sizeof(length) > call.inSize)
        return kEscFailed;
    if (length >= 1 && length <= 3) {
        ReplaceEscapeSlot(pdev, kSlotC, nullptr, 0);
        return kEscFailed;
    }
    return ReplaceEscapeSlot(pdev, kSlotC, call.in + sizeof(length), length);
}
