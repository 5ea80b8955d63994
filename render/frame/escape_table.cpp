#include "render/frame/escape_table.h"

#include "common/context/settings_context.h"
#include "common/job/fax_send_list.h"
#include "common/job/job_header.h"
#include "common/job/job_header_block.h"
#include "common/settings/function_ids.h"
#include "render/device/form_resolution.h"
#include "render/device/overlay_options.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/device/settings_access.h"
#include "render/draw/draw_path.h"
#include "render/frame/annotation_owner.h"
#include "render/frame/escape_records.h"
#include "render/frame/job_frame.h"
#include "render/frame/overlay_areas.h"
#include "render/frame/paper_region.h"
#include "render/frame/settings_checks.h"
#include "render/image/bitblt.h"
#include "render/page/page_geometry.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

template <typename T>
T ReadIn(const EscapeCall& call, size_t at = 0)
{
    T value{};
    std::memcpy(&value, call.in + at, sizeof(T));
    return value;
}

bool BatchLocked(const PDevRecord* pdev)
{
    return pdev->job.escapeFlags & kJobSettingsBatchLock;
}

bool PageSequenceRuns(const PDevRecord* pdev)
{
    return (pdev->pageState & kPageSequenceRuns) == kPageSequenceRuns;
}

// ---- Standard escapes ----

int32_t EscSetCopyCount(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (GetPdevSettingDword(pdev, kFidJobHeaderOn) != 0)
        return kEscFailed;
    uint32_t copies = pdev->copies;
    const uint32_t maximum = GetModelMaxCopies(pdev->settingsContext);
    if (maximum != 0)
        copies = std::min(ReadIn<uint32_t>(call), maximum);
    if (copies == 0)
        copies = 1;
    SetPdevSettingNumber(pdev, kFidCopies, copies);
    pdev->copies = static_cast<int32_t>(copies);
    WriteEscapeOutput32(call, copies);
    return kEscDone;
}

int32_t EscPassThrough(const EscapeCall&)
{
    return kEscUnknown;
}

int32_t EscGetTechnology(const EscapeCall& call)
{
    const char technology[4] = {'R', 'Q', 'D', 0};
    std::memcpy(call.out, technology, sizeof(technology));
    return kEscDone;
}

// ---- Job data from the interface library ----

// Whether the page about to end completes its sheet face (page query) or the
// face is still open (document query), and what the interface library must
// draw on it: the overlay page (f0), the page's watermark (f1), the
// annotations (f2); then the page's rectangles in device pixels.
int32_t EscQueryOverlays(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    EscOverlayAnswer answer{};
    if ((pdev->flags & kPdevDocumentStarted) && pdev->job.begun && PageSequenceRuns(pdev)) {
        const OverlayOptions options = ReadOverlayOptions(pdev);
        const bool documentQuery = call.in && call.inSize >= sizeof(uint32_t) && ReadIn<uint32_t>(call) == 1;
        const bool pageBegun = pdev->pageState & kPageBegun;
        const uint32_t perSheet = pdev->geometry && pdev->geometry->pagesPerSide ? pdev->geometry->pagesPerSide : 1;
        const uint32_t k = pdev->counters.pages + (documentQuery ? 0 : 1);
        const bool pageCounts = !GetPdevSettingDword(pdev, kFidDropEmptyPages) || pageBegun;
        const bool faceComplete = k % perSheet == 0 && pageCounts;
        uint32_t f0 = documentQuery ? !faceComplete : faceComplete;
        uint32_t f1 = documentQuery ? 0 : 1;
        if (!(options.present && !options.ownClip && pageBegun && (!options.firstPageOnly || k == 1)))
            f1 = 0;
        if (!(pdev->pageState & kPageDrawingSeen))
            f0 = 0;
        uint32_t f2 = f0;
        if (f0) {
            if (options.present && options.ownClip && (!options.firstPageOnly || pdev->counters.faces == 0))
                f2 = options.annotationItems;
            else
                f0 = 0;
        }
        answer.overlayPageDue = f0;
        answer.pageWatermarkDue = f1;
        answer.annotationsDue = f2;
        // The page's own overlay lands in its cell of the sheet; what the
        // document end draws goes on a sheet of its own.
        const OverlayAreas areas = ComputeOverlayAreas(pdev, f1 || options.bookletAnnotation, !documentQuery);
        const PlacementRect& i = areas.imageable;
        const PlacementRect& f = areas.form;
        const float imageable[4] = {i.left, i.top, i.right, i.bottom};
        const float whole[4] = {f.left, f.top, f.right, f.bottom};
        std::copy(std::begin(imageable), std::end(imageable), answer.imageable);
        std::copy(std::begin(whole), std::end(whole), answer.form);
    }
    std::memcpy(call.out, &answer, sizeof(answer));
    return kEscDone;
}

int32_t EscGetSettings(const EscapeCall& call)
{
    std::memcpy(call.out, call.pdev->settings, kSettingsRecordSize);
    return kEscDone;
}

// The frame of an overlay drawn across the whole sheet, moved by the two
// offsets (dots): the page is opened, what is held back goes first, then the
// placement and a clip reset, after which the overlay has no clip but its own.
int32_t PlaceOverlayFrame(PDevRecord* pdev, int32_t x, int32_t y)
{
    if (EnsurePageOpen(pdev) != 0 || FlushPdevImages(pdev) != 0 || !pdev->geometry || !pdev->commandLayer)
        return kEscFailed;
    PageFrameState state{};
    state.logicalPage = static_cast<int32_t>(pdev->counters.pages);
    state.slot = static_cast<int32_t>(pdev->counters.facePages);
    state.side = static_cast<int32_t>(pdev->counters.faceIndex);
    state.wholeSheetDrawing = state.overlayPass = 1;
    const PageFrameJob job{pdev->geometry, &state, GetPdevSettingWord(pdev, kFidPosterBooklet) == 2 ? 1u : 0u};
    PlacementMatrix matrix{};
    ClipState* clip = PdevClipState(pdev);
    if (!clip ||
        BuildOverlayFrameRecord(&job, &matrix, x, y, static_cast<uint32_t>(IsSheetLandscape(&job))) != 0 ||
        SendPagePlacement(pdev, matrix) != 0 || EmitClipReset(pdev->commandLayer) != 0)
        return kEscFailed;
    clip->state = kClipNone;
    return kEscDone;
}

// The interface library draws the watermark on the page between 20483 with 1
// and 20483 with another value; the answer says whether that drawing is an
// overlay. An overlay that keeps its own clip sends no clip of its own, so it
// starts from its frame on the sheet with the page's clip reset; the frame
// escape moves it from there.
int32_t EscWatermarkBracket(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (!PageSequenceRuns(pdev))
        return kEscFailed;
    const OverlayOptions options = ReadOverlayOptions(pdev);
    if (ReadIn<uint32_t>(call) == 1) {
        if (!options.present && !options.annotationItems)
            return kEscFailed;
        if (options.present && options.ownClip && PlaceOverlayFrame(pdev, 0, 0) != kEscDone)
            return kEscFailed;
        pdev->watermarkBracket = 1;
    } else {
        pdev->watermarkBracket = 0;
    }
    WriteEscapeOutput32(call, IsOverlayDrawingActive(pdev, options) ? 1 : 0);
    return kEscDone;
}

int32_t EscWatermarkFrame(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (!pdev->job.begun || !PageSequenceRuns(pdev))
        return kEscFailed;
    // Kept for a booklet's annotation, which is placed at the offsets given last.
    pdev->overlayPlacement[0] = ReadIn<int32_t>(call, 0);
    pdev->overlayPlacement[1] = ReadIn<int32_t>(call, 4);
    return PlaceOverlayFrame(pdev, pdev->overlayPlacement[0], pdev->overlayPlacement[1]);
}

int32_t EscSetSettings(const EscapeCall& call)
{
    return TakeSettingsRecord(call.pdev, call.in) == 0 ? kEscDone : kEscFailed;
}

// The annotation record as the job will print it: the items whose option is
// off read as zero.
int32_t EscGetAnnotationData(const EscapeCall& call)
{
    if (!call.pdev->annotation) {
        std::memset(call.out, 0, kAnnotationRecordSize);
        return kEscFailed;
    }
    std::memcpy(call.out, call.pdev->annotation, kAnnotationRecordSize);
    const OverlayOptions options = ReadOverlayOptions(call.pdev);
    for (size_t i = 0; i < std::size(options.items); ++i) {
        if (options.items[i] < 0)
            std::memset(call.out + kAnnotationValuesAt + 2 * i, 0, sizeof(uint16_t));
    }
    return kEscDone;
}

int32_t EscSetAnnotationData(const EscapeCall& call)
{
    auto* copy = static_cast<uint8_t*>(GlobalAlloc(GPTR, kAnnotationRecordSize));
    if (!copy)
        return kEscFailed;
    std::memcpy(copy, call.in, kAnnotationRecordSize);
    ConvertAnnotationOwner(call.pdev, copy);
    if (call.pdev->annotation)
        GlobalFree(call.pdev->annotation);
    call.pdev->annotation = copy;
    return kEscDone;
}

int32_t EscAnnotationBracket(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (!PageSequenceRuns(pdev))
        return kEscFailed;
    const OverlayOptions options = ReadOverlayOptions(pdev);
    if (ReadIn<uint32_t>(call) == 1) {
        // A booklet's annotation is drawn across the whole sheet at the
        // overlay offsets kept last, with the clips of its own drawing.
        if (options.bookletAnnotation &&
            PlaceOverlayFrame(pdev, pdev->overlayPlacement[0], pdev->overlayPlacement[1]) != kEscDone)
            return kEscFailed;
        pdev->annotationBracket = 1;
    } else {
        pdev->annotationBracket = 0;
        pdev->watermarkBracket = 0;
    }
    WriteEscapeOutput32(call, BracketOverlayValue(pdev, options));
    return kEscDone;
}

int32_t EscQueryFaxJob(const EscapeCall& call)
{
    WriteEscapeOutput32(call, call.pdev->driverKind2);
    return kEscDone;
}

int32_t EscGetPageCount(const EscapeCall& call)
{
    WriteEscapeOutput32(call, call.pdev->pageCount);
    return kEscDone;
}

int32_t EscSetPrinterSettings(const EscapeCall& call)
{
    std::memcpy(call.pdev->printerSettings, call.in, kPrinterSettingsRecordSize);
    return kEscDone;
}

int32_t EscGetPrinterSettings(const EscapeCall& call)
{
    std::memcpy(call.out, call.pdev->printerSettings, kPrinterSettingsRecordSize);
    return kEscDone;
}

int32_t EscGetJobNumber(const EscapeCall& call)
{
    uint16_t value = 0;
    if (call.pdev->annotation)
        std::memcpy(&value, call.pdev->annotation + kAnnotationPageValueAt, sizeof(value));
    WriteEscapeOutput32(call, value);
    return kEscDone;
}

int32_t EscSetPageRecord(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    EscPageRecord record;
    std::memcpy(&record, call.in, sizeof(record));
    if (record.paper != 0 && record.paper == pdev->marginOverride[0])
        std::memcpy(record.margin, pdev->marginOverride + 2, sizeof(record.margin));
    pdev->pageRecord = record;
    return kEscDone;
}

int32_t EscStartJob(const EscapeCall& call)
{
    call.pdev->job.startedByInterface = 1;
    return kEscDone;
}

int32_t EscSettingsBatch(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    const uint16_t value = ReadIn<uint16_t>(call);
    if (value == 0) {
        if (!((pdev->flags & kPdevDocumentStarted) && !pdev->job.begun))
            pdev->job.escapeFlags |= kJobSettingsBatchLock;
    } else if (value == 1) {
        pdev->job.escapeFlags &= ~kJobSettingsBatchLock;
        pdev->job.escapeFlags |= kJobSettingsReceived;
    }
    return kEscDone;
}

int32_t EscSetDocumentName(const EscapeCall& call)
{
    wchar_t* name = call.pdev->job.documentName;
    const uint32_t chars = std::min(call.inSize / uint32_t(sizeof(wchar_t)), kDocumentNameChars);
    std::memcpy(name, call.in, chars * sizeof(wchar_t));
    name[chars] = 0;
    return kEscDone;
}

int32_t EscSetFaxSendList(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    if (!call.in || call.inSize == 0)
        return kEscUnknown;
    if (!pdev->driverKind2)
        return kEscDone;
    // Each destination may become a printer job of its own: a count the list
    // does not hold would open jobs for no one.
    if (CountFaxRecipients(call.in, call.inSize) < 0)
        return kEscFailed;
    auto* copy = static_cast<uint8_t*>(GlobalAlloc(GPTR, call.inSize));
    if (!copy)
        return kEscFailed;
    std::memcpy(copy, call.in, call.inSize);
    // The list changes no setting: whether the job carries an information page
    // (376), only that page (381) and which cover (377) stay the user's, read
    // when the job begins. Setting 381 here would turn every fax with
    // destinations into a sample of its information page.
    if (pdev->faxSendList)
        GlobalFree(pdev->faxSendList);
    pdev->faxSendList = copy;
    pdev->faxSendListLength = call.inSize;
    return kEscDone;
}

int32_t EscSetTableBlock(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    // The header writer reads the block with the same checks, so a block kept
    // here never fails the job's first page.
    if (!IsJobHeaderBlockValid(call.in, call.inSize))
        return kEscFailed;
    auto* copy = static_cast<uint8_t*>(GlobalAlloc(GPTR, call.inSize));
    if (!copy)
        return kEscFailed;
    std::memcpy(copy, call.in, call.inSize);
    if (pdev->headerTable.block)
        GlobalFree(pdev->headerTable.block);
    EscJobHeaderHead head;
    std::memcpy(&head, copy, sizeof(head));
    pdev->headerTable = {copy, head.count, head.stride};
    return kEscDone;
}

int32_t EscGetCapabilityRecord(const EscapeCall& call)
{
    const CapabilityRecord& record = call.pdev->capability;
    const EscCapabilityValues values{record.enabled, record.modeWord, record.subMode, 0};
    std::memcpy(call.out, &values, sizeof(values));
    return kEscDone;
}

int32_t EscSetCapabilityRecord(const EscapeCall& call)
{
    EscCapabilityValues values;
    std::memcpy(&values, call.in, sizeof(values));
    CapabilityRecord& record = call.pdev->capability;
    record.enabled = values.enabled;
    record.modeWord = values.modeWord;
    record.subMode = values.subMode;
    return kEscDone;
}

int32_t EscQueryJobStarted(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    const bool started = pdev->flags & kPdevDocumentStarted;
    uint32_t answer = 0;
    int32_t result = kEscDone;
    if (pdev->job.startedByInterface)
        answer = started ? 0 : 1;
    else if (started)
        answer = 1;
    else
        result = kEscFailed;
    std::memcpy(call.out, &answer, sizeof(answer));
    return result;
}

int32_t EscSetConfirmFlag(const EscapeCall& call)
{
    call.pdev->job.suppressFileStep = ReadIn<uint32_t>(call);
    return kEscDone;
}

int32_t EscSetJobStrings(const EscapeCall& call)
{
    std::memcpy(call.pdev->jobStrings, call.in, kJobStringsSize);
    return kEscDone;
}

int SlotOfCode(uint32_t code)
{
    switch (code) {
    case kEscSetDataBlockA: return kSlotA;
    case kEscSetDataBlockB: return kSlotB;
    case kEscSetDataBlockC: case kEscReadDataBlockC: return kSlotC;
    case kEscSetDataBlockD: return kSlotD;
    default: return kSlotE;
    }
}

int32_t EscSetDataBlock(const EscapeCall& call)
{
    return ReplaceEscapeSlot(call.pdev, SlotOfCode(call.code), call.in, call.inSize);
}

int32_t EscReadDataBlock(const EscapeCall& call)
{
    const EscapeDataSlot& slot = call.pdev->slots[SlotOfCode(call.code)];
    switch (ReadIn<uint16_t>(call)) {
    case 0:
        if (!call.out || call.outSize != sizeof(uint32_t))
            return kEscFailed;
        std::memcpy(call.out, &slot.length, sizeof(slot.length));
        return kEscDone;
    case 1:
        if (!slot.data || !call.out || call.outSize != slot.length)
            return kEscFailed;
        std::memcpy(call.out, slot.data, slot.length);
        return kEscDone;
    default:
        return kEscFailed;
    }
}

int32_t EscSetCoverSheetValue(const EscapeCall& call)
{
    std::memcpy(call.pdev->job.coverSheetValue, call.in, sizeof(call.pdev->job.coverSheetValue));
    return kEscDone;
}

int32_t EscReplayMode(const EscapeCall& call)
{
    WriteEscapeOutput32(call, call.pdev->job.replayMode);
    call.pdev->job.replayMode = ReadIn<uint32_t>(call) == 1;
    return kEscDone;
}

int32_t EscGetJobId(const EscapeCall& call)
{
    WriteEscapeOutput32(call, call.pdev->jobId);
    return kEscDone;
}

int32_t EscExtraPage(const EscapeCall& call)
{
    WriteEscapeOutput32(call, call.pdev->job.extraPage);
    call.pdev->job.extraPage = ReadIn<uint32_t>(call);
    return kEscDone;
}

int32_t EscSetPaperRegion(const EscapeCall& call)
{
    PDevRecord* pdev = call.pdev;
    const uint8_t region = call.in[0];
    if (region != 1 && region != 2)
        return kEscFailed;
    const uint16_t inUse = GetPaperRegionClass(pdev->settingsContext ? pdev->settingsContext->main : nullptr);
    SetPaperRegionClass(region);
    if (region == inUse)
        return kEscDone;
    return ResolveOutputFormAgain(pdev) == 0 ? kEscDone : kEscFailed;
}

constexpr EscapeSize kNoSize{kSizeAny, 0};
constexpr EscapeSize Exact(uint32_t n) { return {kSizeExact, n}; }
constexpr EscapeSize AtLeast(uint32_t n) { return {kSizeAtLeast, n}; }
constexpr EscapeSize Optional(uint32_t n) { return {kSizeOptional, n}; }

// Sorted by code. An output marked optional is written only when the caller
// gave room for it: the interface library sends some of these without one.
constexpr EscapeRow kEscapeRows[] = {
    {kEscSetCopyCount, AtLeast(4), Optional(4), 0, EscSetCopyCount},
    {kEscPassThrough, kNoSize, kNoSize, 0, EscPassThrough},
    {kEscGetTechnology, AtLeast(1), AtLeast(4), kEscFailsWithError, EscGetTechnology},
    {kEscDrawControl, AtLeast(sizeof(EscDrawControlRequest)), kNoSize, 0, EscDrawControl},
    {kEscChunkedImage, AtLeast(sizeof(EscChunkRequest)), kNoSize, 0, EscChunkedImage},
    {kEscDrawMode, AtLeast(2), kNoSize, 0, EscDrawMode},
    {kEscJobOverride, kNoSize, kNoSize, 0, EscJobOverride},
    {kEscDrawData, AtLeast(4), kNoSize, 0, EscDrawData},
    {kEscQueryOverlays, Optional(4), Exact(sizeof(EscOverlayAnswer)), 0, EscQueryOverlays},
    {kEscGetSettings, kNoSize, Exact(kSettingsRecordSize), 0, EscGetSettings},
    {kEscWatermarkBracket, Exact(4), Optional(4), 0, EscWatermarkBracket},
    {kEscWatermarkFrame, Exact(8), kNoSize, 0, EscWatermarkFrame},
    {kEscSetSettings, Exact(kSettingsRecordSize), kNoSize, kEscIgnoredWhileLocked, EscSetSettings},
    {kEscGetAnnotationData, kNoSize, Exact(kAnnotationRecordSize), 0, EscGetAnnotationData},
    {kEscSetAnnotationData, Exact(kAnnotationRecordSize), kNoSize, kEscIgnoredWhileLocked, EscSetAnnotationData},
    {kEscAnnotationBracket, Exact(4), Optional(4), 0, EscAnnotationBracket},
    {kEscQueryFaxJob, kNoSize, AtLeast(4), kEscFailsWithError, EscQueryFaxJob},
    {kEscGetPageCount, kNoSize, Optional(4), 0, EscGetPageCount},
    {kEscSetPrinterSettings, Exact(kPrinterSettingsRecordSize), kNoSize, kEscIgnoredWhileLocked, EscSetPrinterSettings},
    {kEscGetPrinterSettings, kNoSize, Exact(kPrinterSettingsRecordSize), 0, EscGetPrinterSettings},
    {kEscGetJobNumber, kNoSize, Optional(4), 0, EscGetJobNumber},
    {kEscSetPageRecord, Exact(sizeof(EscPageRecord)), kNoSize, 0, EscSetPageRecord},
    {kEscStartJob, kNoSize, kNoSize, 0, EscStartJob},
    {kEscSettingsBatch, AtLeast(2), kNoSize, 0, EscSettingsBatch},
    {kEscSetDocumentName, AtLeast(2), kNoSize, kEscIgnoredWhileLocked, EscSetDocumentName},
    {kEscSetFaxSendList, kNoSize, kNoSize, kEscIgnoredWhileLocked, EscSetFaxSendList},
    {kEscSetTableBlock, AtLeast(sizeof(EscJobHeaderHead)), kNoSize, kEscIgnoredWhileLocked, EscSetTableBlock},
    {kEscGetCapabilityRecord, kNoSize, Exact(sizeof(EscCapabilityValues)), 0, EscGetCapabilityRecord},
    {kEscSetCapabilityRecord, Exact(sizeof(EscCapabilityValues)), kNoSize, 0, EscSetCapabilityRecord},
    {kEscQueryJobStarted, kNoSize, Exact(4), 0, EscQueryJobStarted},
    {kEscSetConfirmFlag, Exact(4), kNoSize, 0, EscSetConfirmFlag},
    {kEscSetJobStrings, Exact(kJobStringsSize), kNoSize, 0, EscSetJobStrings},
    {kEscSetDataBlockA, AtLeast(1), kNoSize, 0, EscSetDataBlock},
    {kEscReadDataBlockC, AtLeast(2), kNoSize, 0, EscReadDataBlock},
    {kEscSetDataBlockB, AtLeast(1), kNoSize, 0, EscSetDataBlock},
    {kEscSetCoverSheetValue, Exact(8), kNoSize, 0, EscSetCoverSheetValue},
    {kEscSetDataBlockC, AtLeast(1), kNoSize, 0, EscSetDataBlock},
    {kEscSetDataBlockD, AtLeast(1), kNoSize, 0, EscSetDataBlock},
    {kEscReplayMode, Exact(4), Optional(4), 0, EscReplayMode},
    {kEscSetDataBlockE, AtLeast(1), kNoSize, 0, EscSetDataBlock},
    {kEscReadDataBlockE, AtLeast(2), kNoSize, 0, EscReadDataBlock},
    {kEscGetJobId, kNoSize, Optional(4), 0, EscGetJobId},
    {kEscExtraPage, Exact(4), Optional(4), 0, EscExtraPage},
    {kEscSetPaperRegion, AtLeast(1), kNoSize, 0, EscSetPaperRegion},
};

constexpr bool RowsSorted()
{
    for (size_t i = 1; i < std::size(kEscapeRows); ++i)
        if (kEscapeRows[i - 1].code >= kEscapeRows[i].code)
            return false;
    return true;
}
static_assert(RowsSorted(), "the escape rows must stay sorted by code");

bool SizeFits(EscapeSize size, uint32_t given, const void* data)
{
    switch (size.rule) {
    case kSizeExact: return data && given == size.bytes;
    case kSizeAtLeast: return data && given >= size.bytes;
    case kSizeOptional: return !data || given == 0 || given >= size.bytes;
    default: return true;
    }
}

// QUERYESCSUPPORT: the record is not required, but what it says is used.
int32_t QuerySupport(PDevRecord* pdev, uint32_t inSize, const void* in)
{
    if (!in || inSize < sizeof(uint16_t))
        return kEscFailed;
    uint16_t code = 0;
    std::memcpy(&code, in, sizeof(code));
    const bool enabled = pdev && pdev->capability.enabled == 1;
    switch (code) {
    case kEscSetCopyCount:
        return pdev && GetPdevSettingDword(pdev, kFidJobHeaderOn) != 0 ? 0 : int32_t(kSetCopyCountLimit);
    case kEscPassThrough: return pdev && GetPdevSettingDword(pdev, kFidPassThrough) != 0 ? 1 : 0;
    case kEscGetTechnology: return kEscDrawControl;
    case kEscChunkedImage:
    case kEscDrawMode:
    case kEscJobOverride:
    case kEscDrawData: return enabled ? 1 : 0;
    default: return FindEscapeRow(code) ? 1 : 0;
    }
}

} // namespace

const EscapeRow* FindEscapeRow(uint32_t code)
{
    auto it = std::lower_bound(std::begin(kEscapeRows), std::end(kEscapeRows), code,
                               [](const EscapeRow& row, uint32_t c) { return row.code < c; });
    return it != std::end(kEscapeRows) && it->code == code ? it : nullptr;
}

void WriteEscapeOutput32(const EscapeCall& call, uint32_t value)
{
    if (call.out && call.outSize >= sizeof(value))
        std::memcpy(call.out, &value, sizeof(value));
}

void WriteEscapeOutput16(const EscapeCall& call, uint16_t value)
{
    if (call.out && call.outSize >= sizeof(value))
        std::memcpy(call.out, &value, sizeof(value));
}

int32_t ReplaceEscapeSlot(PDevRecord* pdev, int slot, const uint8_t* bytes, uint32_t length)
{
    EscapeDataSlot& target = pdev->slots[slot];
    if (target.data)
        GlobalFree(target.data);
    target = {};
    if (!bytes || length == 0)
        return kEscDone;
    target.data = static_cast<uint8_t*>(GlobalAlloc(GPTR, length));
    if (!target.data)
        return kEscFailed;
    std::memcpy(target.data, bytes, length);
    target.length = length;
    return kEscDone;
}

ULONG EscapeBody(SURFOBJ* surface, ULONG code, ULONG inSize, PVOID in, ULONG outSize, PVOID out)
{
    PDevRecord* pdev = PdevOfSurface(surface);
    if (code == kEscQuerySupport)
        return static_cast<ULONG>(QuerySupport(pdev, inSize, in));
    if (!pdev) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const EscapeRow* row = FindEscapeRow(code);
    if (!row)
        return kEscUnknown;
    if ((row->flags & kEscIgnoredWhileLocked) && BatchLocked(pdev))
        return kEscDone;
    if (!SizeFits(row->in, inSize, in) || !SizeFits(row->out, outSize, out)) {
        if (row->flags & kEscFailsWithError) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        return static_cast<ULONG>(kEscFailed);
    }
    const EscapeCall call{pdev, code, inSize, static_cast<const uint8_t*>(in), outSize, static_cast<uint8_t*>(out)};
    return static_cast<ULONG>(row->handler(call));
}
