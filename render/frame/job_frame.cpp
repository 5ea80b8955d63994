#include "render/frame/job_frame.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/settings/function_ids.h"
#include "common/system/module_files.h"
#include "render/attributes/job_attributes.h"
#include "render/command/command_layer.h"
#include "render/command/page_items.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/draw/draw_path.h"
#include "render/font/font_choice.h"
#include "render/frame/escape_overrides.h"
#include "render/frame/escape_records.h"
#include "render/frame/escape_table.h"
#include "render/frame/external_pages.h"
#include "render/frame/fax_job.h"
#include "render/frame/job_layout.h"
#include "render/frame/job_monitor.h"
#include "render/frame/job_options.h"
#include "render/frame/job_sheets.h"
#include "render/frame/job_stream.h"
#include "render/frame/output_directories.h"
#include "render/frame/page_rotation.h"
#include "render/image/bitblt.h"
#include "render/image/job_colour.h"
#include "render/morva/morva_commands.h"
#include "render/morva/stream_head.h"
#include "render/output/output_stream.h"
#include "render/output/page_recording.h"
#include "render/page/booklet_order.h"
#include "render/page/page_geometry.h"

#include <cstring>
#include <cstdio>
#include <cwchar>
#include <new>

namespace {

constexpr uint8_t kStreamBeginValue = 0x90;
constexpr uint16_t kDefaultJobResolution = 200;
// The extension of a stored print file: a resource string of at most three characters.
constexpr UINT kStoredFileExtensionString = 451;
constexpr int kStoredFileExtensionChars = 4;

// The printer's glyph memory as the model gives it (its first 32-bit entry);
// none when either setting turns downloaded glyphs off.
uint32_t GlyphMemoryCapacity(PDevRecord* pdev)
{
    if (GetPdevSettingDword(pdev, kFidStoredJobText) == 1 || GetPdevSettingDword(pdev, kFidExternalConversion) != 0)
        return 0;
    if (pdev->settingsContext == nullptr || pdev->settingsContext->main == nullptr)
        return 0;
    return GetModelSectionNumber(pdev->settingsContext->main, kRawGlyphMemory, 4, 0);
}

PDevRecord* Valid(SURFOBJ* surface)
{
    PDevRecord* pdev = PdevOfSurface(surface);
    if (!pdev)
        SetLastError(ERROR_INVALID_PARAMETER);
    return pdev;
}

bool DrawingRefused(const PDevRecord* pdev) { return (pdev->pageState & kPageDrawingRefused) != 0; }

// Closes the output; a failed job drops what is still buffered so that no
// truncated job goes out as if it were whole.
int CloseJobOutput(PDevRecord* pdev, bool failed)
{
    if (!pdev->stream)
        return 0;
    if (failed) {
        pdev->stream->fill = 0;
        CloseOutputStream(pdev->stream);
        return -1;
    }
    return FlushStreamBuffer(pdev->stream) | CloseOutputStream(pdev->stream);
}

int AbortJob(PDevRecord* pdev)
{
    if (DrawingRefused(pdev) || !(pdev->pageState & kPageDocumentStarted))
        return -1;
    pdev->pageState |= kPageDrawingRefused;
    CloseJobOutput(pdev, true);
    ReleaseJob(pdev);
    pdev->pageState &= ~(kPageDocumentStarted | kPageJobBegun);
    return 0;
}

// A form registered in the printer is also kept as a file, in the folder of
// setting 1829 under the form's name with the stored print file extension:
// from the deferred stream head on, the job goes to the spooler and to the
// file. The folder is created first; the user may print without the file or
// stop the job. No folder, or escape 20523, means no file.
int StartFormFile(PDevRecord* pdev)
{
    const wchar_t* folder = GetPdevSettingString(pdev, kFidStoredJobFolder);
    if (pdev->job.suppressFileStep || !folder || !*folder)
        return 0;
    const int16_t made = CreateOutputDirectories(folder);
    if (made != 0)
        return made == kDirectoryFailedCancel ? -1 : 0;
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD shortLength = GetShortPathNameW(folder, path, MAX_PATH);
    if (shortLength == 0 || shortLength >= MAX_PATH)
        wcsncpy(path, folder, MAX_PATH);
    wchar_t extension[kStoredFileExtensionChars] = {};
    LoadStringW(GetResourceModule(), kStoredFileExtensionString, extension, kStoredFileExtensionChars);
    const wchar_t* name = GetPdevSettingString(pdev, kFidStoredJobName);
    size_t length = wcslen(path);
    const bool separated = length > 0 && path[length - 1] == L'\\';
    const size_t total = length + (separated ? 0 : 1) + wcslen(name ? name : L"") + 1 + wcslen(extension);
    if (total > MAX_PATH)
        return -1;
    if (!separated)
        path[length++] = L'\\';
    std::swprintf(path + length, MAX_PATH + 1 - length, L"%ls.%ls", name ? name : L"", extension);
    return AddStreamFileCopy(pdev->stream, path);
}

// The stream head of copy `copy` (of a fax sent once per destination, the
// destination): job-language header, version lines, stream begin, the job's
// resolution, the time-stamped comment and the comments naming the driver.
int BeginJobStream(PDevRecord* pdev, uint32_t copy = 0)
{
    // A booklet's sheet-side count is known once its pages are recorded.
    const uint32_t recorded = pdev->counters.recorded;
    const uint16_t bktp = pdev->jobOptions.bookletCount && recorded > 0
                              ? BookletSideCount(0, static_cast<int32_t>(recorded - 1), pdev->sheetState.cover != 0)
                              : 0;
    if (WriteJobHeaderLines(pdev, copy, bktp) != 0 || WriteStreamHead(pdev->stream, pdev->job.streamVersion) != 0 ||
        WriteStreamBegin(pdev->stream, kStreamBeginValue) != 0 || WriteJobStrings(pdev) != 0)
        return -1;
    // A form registered in the printer has no resolution of its own.
    if (!pdev->jobOptions.formRegistration &&
        WriteJobValue(pdev->stream, kJobValueResolution, JobResolution(pdev)) != 0)
        return -1;
    return WritePageComment(pdev, "", kCommentTimeStamp) | WriteDriverComments(pdev);
}

int RunJobBegin(PDevRecord* pdev)
{
    if (DrawingRefused(pdev) || !(pdev->pageState & kPageDocumentStarted))
        return -1;
    pdev->pageState |= kPageJobBegun;
    int result = ApplyEscapeOverrides(pdev) | TakeJobOptions(pdev, &pdev->jobOptions);
    // A profile the user would not print without fails the job here.
    if (CreateColourConversion(pdev) != 0)
        return -1;
    pdev->job.streamVersion = ClampStreamVersion(GetPdevSettingDword(pdev, kFidStreamVersion));
    TakeCapabilityStreamVersion(pdev);
    pdev->capability.setting4103 = GetPdevSettingDword(pdev, kFidDrawingEscapesFeature);
    pdev->counters = PageCounters{};
    SelectFaceGroupTableForModel(static_cast<ModelDataRecord*>(pdev->modelMain));
    if (!pdev->commandLayer) {
        pdev->commandLayer = CreateCommandLayer({pdev->stream, pdev->job.streamVersion,
                                                 pdev->jobOptions.externalConversion != 0, GlyphMemoryCapacity(pdev)});
        if (!pdev->commandLayer)
            return -1;
    }
    SetStreamVersionField(pdev->commandLayer, pdev->job.streamVersion);
    result |= ResetCommandLayerForPage(pdev->commandLayer);
    pdev->job.begun = 1;
    // A fax sent once per destination writes each destination's stream head
    // and information page at the job end, ahead of the recorded pages.
    const JobOptions& o = pdev->jobOptions;
    if (result != 0 || o.deferredStreamBegin || o.faxPerDestination)
        return result;
    result = BeginJobStream(pdev);
    if (result == 0 && o.faxInformationPage) {
        result = WriteFaxInformationPage(pdev, 0);
        // A sample of the information page: that page is the job's only one.
        if (o.faxInformationOnly)
            ++pdev->counters.pages;
    }
    if (result == 0)
        result = WriteLeadingSheets(pdev);
    return result;
}

// The frame holds the upright paper (the landscape flag turns the page), so a
// turned form gives its printable sides back in upright order.
void FillFrameOfForm(PaperFrame* frame, const FormRecord& form, uint16_t paperCode)
{
    const int32_t across = form.rotated ? form.bottom - form.top : form.right - form.left;
    const int32_t down = form.rotated ? form.right - form.left : form.bottom - form.top;
    FillPaperFrame(frame, paperCode, static_cast<int16_t>(TenthsOfMillimetre(form.paperWidth)),
                   static_cast<int16_t>(TenthsOfMillimetre(form.paperHeight)),
                   static_cast<int16_t>(TenthsOfMillimetre(across)), static_cast<int16_t>(TenthsOfMillimetre(down)),
                   false, nullptr);
}

}  // namespace

int SendPagePlacement(PDevRecord* pdev, const PlacementMatrix& matrix)
{
    if (!pdev->geometry || !pdev->commandLayer)
        return -1;
    // A recorded page keeps its frame with the placement, for a replay that places it anew.
    PlacementItem item{{matrix.a, matrix.b, matrix.c, matrix.d, matrix.e, matrix.f}, {}, {}, pdev->geometry->landscape};
    static_assert(sizeof item.geometry == sizeof(PaperFrame));
    std::memcpy(item.geometry, &pdev->geometry->page, sizeof item.geometry);
    return SetPagePlacement(pdev->commandLayer, pdev->counters.recording, item);
}

namespace {

// The page's frame on its sheet: the geometry from the page settings (a zoom
// outside 25-400 refuses the page) and the page's placement, sent as "Aa".
int PlacePage(PDevRecord* pdev)
{
    if (!pdev->geometry) {
        pdev->geometry = new (std::nothrow) PageGeometry{};
        if (!pdev->geometry)
            return -1;
    }
    if (FillPageGeometry(pdev->geometry, ReadPageGeometrySettings(pdev)) != 0)
        return -1;
    FillFrameOfForm(&pdev->geometry->page, pdev->requestedForm, 0);
    // The pages are laid onto the output paper's sheet; without an output
    // paper of its own the sheet is the page's paper.
    const FormRecord& sheet = SheetForm(pdev);
    if (&sheet == &pdev->requestedForm)
        pdev->geometry->sheet = pdev->geometry->page;
    else
        FillFrameOfForm(&pdev->geometry->sheet, sheet, sheet.paperNumber);
    pdev->geometry->paperSource = static_cast<int16_t>(pdev->sheetState.paperSource);
    PageFrameState state{};
    state.logicalPage = static_cast<int32_t>(pdev->counters.pages);
    state.side = static_cast<int32_t>(pdev->counters.faceIndex);
    PlacementMatrix matrix{};
    state.slot = static_cast<int32_t>(pdev->counters.facePages);
    if (BuildPageFrameRecord(&state, &matrix, pdev->geometry, state.slot, 0) != 0)
        return -1;
    return SendPagePlacement(pdev, matrix);
}

// The page's record in the job ticket.
int AddTicketPage(PDevRecord* pdev)
{
    if (!pdev->jobAttributes)
        return 0;
    const FormRecord& form = pdev->requestedForm;
    JobAttributePageInput page{};
    page.width = TenthsOfMillimetre(form.paperWidth);
    page.height = TenthsOfMillimetre(form.paperHeight);
    page.colourState = SheetColourCode(pdev);
    page.accountFlag = pdev->jobOptions.accountFlag != 0;
    page.accountCode = pdev->jobOptions.accountCode;
    // The source the page's sheet is fed from, as its "Ec" names it.
    page.paperSource = pdev->sheetState.paperSource;
    // The page geometry's orientation code: 1 landscape, 2 portrait.
    page.orientation = pdev->geometry && pdev->geometry->landscape ? 1 : 2;
    page.booklet = pdev->jobOptions.layout.kind == kLayoutBooklet;
    page.duplex = JobAttributeDuplex(page.booklet, pdev->geometry ? pdev->geometry->duplex : 0);
    return ApplyJobAttributesFromPage(static_cast<JobTicket*>(pdev->jobAttributes), page,
                                      pdev->jobOptions.formRegistration != 0);
}

int EndPhysicalSheet(PDevRecord* pdev)
{
    if (pdev->pageState & kPageBegun)
        return -1;
    // A registered form is kept by the printer, not output. Pages that hold
    // their sheet ends back (booklet halves) record them as items.
    const uint16_t recording = pdev->counters.recording;
    int result = DrawPosterCropMarks(pdev);
    if (!pdev->jobOptions.formRegistration)
        result |= EmitSheetEndFB(pdev->commandLayer, recording);
    result |= EmitPageEndED(pdev->commandLayer, recording);
    result |= WritePageEvent(pdev, kEventEndPhysical);
    result |= RestoreJobStreamVersion(pdev);
    result |= FinishSheetFace(pdev);
    // Pages the job end replays (copies collated by the driver, reverse
    // order) keep their poster pages recorded until then.
    result |= ReplayPosterFace(pdev, pdev->jobOptions.recordPages != 0);
    pdev->pageState &= ~(kPageSheetRuns | kPageDrawingSeen);
    return result;
}

int RunPageBegin(PDevRecord* pdev)
{
    if (DrawingRefused(pdev) || !pdev->stream || !(pdev->pageState & kPageDocumentStarted) ||
        (pdev->pageState & kPageBegun))
        return -1;
    int result = 0;
    if (!(pdev->pageState & kPageJobBegun))
        result = RunJobBegin(pdev);
    // The document's pages of a sample of the information page are not written.
    if (result == 0 && pdev->jobOptions.faxInformationOnly)
        return 0;
    if (result == 0 && !(pdev->pageState & kPageSheetRuns))
        result = BeginSheetFace(pdev);
    if (result == 0) {
        pdev->pageState |= kPageBegun;
        BeginPageColours(pdev);
        result = WritePageEvent(pdev, kEventStartPage) | WritePageLabel(pdev) | PlacePage(pdev) |
                 WriteColourModePair(pdev) | AddTicketPage(pdev);
        if (!pdev->jobOptions.externalConversion)
            ApplyPageRotation(pdev);
    }
    if (result != 0)
        AbortJob(pdev);
    return result;
}

int EndLogicalPage(PDevRecord* pdev)
{
    if (!(pdev->pageState & kPageBegun)) {
        if (GetPdevSettingDword(pdev, kFidDropEmptyPages))
            return 0;
        if (RunPageBegin(pdev) != 0)
            return -1;
        pdev->pageState &= ~kPageDrawingSeen;
    }
    int result = WritePageEvent(pdev, kEventEndLogical);
    pdev->pageState &= ~(kPageBegun | kPageSettingsDue);
    if (!pdev->job.extraPage) {
        ++pdev->counters.facePages;
        if (!pdev->job.replayMode)
            ++pdev->counters.pages;
    }
    ++pdev->pageCount;
    const uint32_t perSheet = pdev->geometry ? pdev->geometry->pagesPerSide : 1;
    if (pdev->counters.facePages >= perSheet && EndPhysicalSheet(pdev) != 0)
        result = -1;
    return result;
}

JobAttributeInput AttributeInput(PDevRecord* pdev)
{
    const JobOptions& o = pdev->jobOptions;
    JobAttributeInput input{};
    input.streamVersion = pdev->job.streamVersion;
    input.formRegistration = o.formRegistration != 0;
    input.driverKind = pdev->driverKind2 ? 2 : 0;
    input.jobType = o.jobType;
    input.collateByReplay = o.collateByReplay != 0;
    input.collate = GetPdevSettingDword(pdev, kFidCollate) == 1;
    input.copies = o.copies;
    input.reverseOrder = o.reverseOrder != 0;
    input.specialOutputMode = o.specialOutputMode;
    input.flag1320 = o.tonerSave;
    input.pagesPerSide = pdev->geometry ? pdev->geometry->pagesPerSide : 1;
    input.geometryDuplex = pdev->geometry ? pdev->geometry->duplex : 0;
    const JobLayout& layout = pdev->jobOptions.layout;
    input.poster = layout.kind == kLayoutPoster;
    input.booklet = layout.kind == kLayoutBooklet;
    input.posterColumns = static_cast<uint32_t>(layout.posterColumns);
    input.posterRows = static_cast<uint32_t>(layout.posterRows);
    input.bookletBinding = layout.bookletBinding;
    input.bindingValue = layout.signatureSheets;
    input.sheetCount = pdev->counters.sheets;
    input.pages = pdev->counters.pages;
    return input;
}

// A fax sent once per destination: each destination gets a printer job of its
// own (the first the job GDI opened, the others opened here on the same
// printer), with its own header, its information page and the recorded pages.
// A failure of one destination ends the run; every job opened is closed and
// its monitor run.
int SendToEachDestination(PDevRecord* pdev, int result)
{
    const uint32_t destinations = pdev->jobOptions.faxDestinations;
    for (uint32_t n = 0; n < destinations; ++n) {
        if (n > 0 && OpenStreamOnNewPrinterJob(pdev->stream, pdev->printer, pdev->job.documentName) != 0) {
            result = -1;
            break;
        }
        std::memset(pdev->sheetState.replayedFrame, 0, sizeof pdev->sheetState.replayedFrame);
        pdev->sheetState.replayedKind = 0;
        if (result == 0)
            result = ResetCommandLayerForPage(pdev->commandLayer) | BeginJobStream(pdev, n);
        if (result == 0)
            result = WriteFaxInformationPage(pdev, n);
        if (result == 0)
            result = ReplayRecordedFaces(pdev, true);
        if (result == 0)
            result = EndJobStream(pdev);
        result |= CloseJobOutput(pdev, result != 0);
        RunJobMonitor(pdev);
        // A destination that failed ends the run: the ones after it would
        // each open a printer job only to close it as failed.
        if (result != 0)
            break;
    }
    if (pdev->counters.recording & kRecordingOn)
        result |= EndPageRecording(pdev->stream);
    pdev->counters.recording = 0;
    return result;
}

int EndDocJob(PDevRecord* pdev)
{
    if (DrawingRefused(pdev) || !(pdev->pageState & kPageDocumentStarted))
        return -1;
    int result = 0;
    if (pdev->pageState & kPageBegun) {
        result |= WritePageEvent(pdev, kEventEndJobWithoutEndPage);
        result |= EndLogicalPage(pdev);
        if (pdev->pageState & kPageBegun)
            result = -1;
    }
    if (result == 0 && (pdev->pageState & kPageSheetRuns)) {
        result |= WritePageEvent(pdev, kEventEndJobWithLeftNup);
        result |= EndPhysicalSheet(pdev);
    }
    if (result == 0)
        result = FinishLastSheet(pdev);
    ++pdev->counters.sheets;
    if ((pdev->counters.pages > 0 || (pdev->pageState & kPageJobBegun)) && pdev->jobOptions.faxPerDestination) {
        if (result == 0 && pdev->jobAttributes)
            BuildJobAttributeRecord(static_cast<JobTicket*>(pdev->jobAttributes), AttributeInput(pdev));
        result = SendToEachDestination(pdev, result);
        DeleteFaxAddressFile(pdev);
    } else if (pdev->counters.pages > 0 || (pdev->pageState & kPageJobBegun)) {
        if (result == 0 && pdev->jobAttributes)
            BuildJobAttributeRecord(static_cast<JobTicket*>(pdev->jobAttributes), AttributeInput(pdev));
        const bool formFile = pdev->jobOptions.formRegistration && !pdev->job.suppressFileStep;
        if (result == 0 && formFile)
            result = StartFormFile(pdev);
        // The separator sheet of a job that does not replay follows its head,
        // wherever the head goes.
        if (result == 0 && pdev->jobOptions.deferredStreamBegin)
            result = BeginJobStream(pdev) | WriteLeadingSheets(pdev);
        // A booklet replayed for copies or reverse order is folded once per copy.
        if (result == 0)
            result = pdev->jobOptions.recordPages ? ReplayRecordedFaces(pdev) : ReplayBookletPages(pdev);
        if (result == 0 && pdev->jobOptions.formRegistration)
            result = EmitEndMarker(pdev->commandLayer);
        if (result == 0)
            result = EndJobStream(pdev);
        if (formFile && pdev->stream && pdev->stream->mode == kStreamSpoolerAndFile)
            result |= EndStreamFileCopy(pdev->stream);
        DeleteFaxAddressFile(pdev);
        result |= CloseJobOutput(pdev, result != 0);
        if (result == 0)
            RunJobMonitor(pdev);
    } else {
        result |= CloseJobOutput(pdev, false);
    }
    pdev->pageState &= ~(kPageDocumentStarted | kPageJobBegun);
    return result;
}

} // namespace

uint16_t JobResolution(PDevRecord* pdev)
{
    const uint32_t value = GetPdevSettingDword(pdev, kFidResolutionFromSetting14) == 1
                               ? GetPdevSettingWord(pdev, kFidResolution)
                               : GetPdevSettingWord(pdev, kFidJobResolution);
    return value ? static_cast<uint16_t>(value) : kDefaultJobResolution;
}

int EnsurePageOpen(PDevRecord* pdev)
{
    if (DrawingRefused(pdev))
        return -1;
    if (!(pdev->pageState & kPageDocumentStarted)) {
        pdev->flags |= kPdevJobSetupFailed;
        return -1;
    }
    pdev->pageState |= kPageDrawingSeen;
    if (pdev->pageState & kPageBegun)
        return 0;
    if (RunPageBegin(pdev) != 0) {
        pdev->flags |= kPdevJobSetupFailed;
        return -1;
    }
    // A page the job does not write (a sample of the fax information page)
    // takes no drawing.
    return (pdev->pageState & kPageBegun) ? 0 : -1;
}

BOOL StartDocBody(SURFOBJ* surface, const wchar_t* documentName, DWORD jobId)
{
    PDevRecord* pdev = Valid(surface);
    if (!pdev)
        return FALSE;
    if (jobId != 0)
        pdev->jobId = jobId;
    // The engine starts the document again on a record that took the running
    // job over at a reset: that job goes on, and starting it anew would put a
    // second job head into its stream.
    if ((pdev->flags & kPdevTookOverJob) && (pdev->pageState & kPageDocumentStarted)) {
        pdev->flags |= kPdevDocumentStarted;
        return TRUE;
    }
    if (documentName && !pdev->job.documentName[0])
        wcsncpy(pdev->job.documentName, documentName, kDocumentNameChars);
    pdev->pageState = 0;
    pdev->counters = PageCounters{};
    pdev->sheetState = SheetState{};
    if (TakeJobOptions(pdev, &pdev->jobOptions) != 0) {
        pdev->flags |= kPdevJobSetupFailed;
        return FALSE;
    }
    TakeCapabilityStreamVersion(pdev);
    pdev->commentTimer = GetTickCount();
    bool failed = CreateJobAttributeRecord(reinterpret_cast<JobTicket**>(&pdev->jobAttributes)) != 0;
    if (!failed && !pdev->stream) {
        pdev->stream = CreateOutputStream(GetResourceModule());
        failed = !pdev->stream || OpenStreamOnSpoolHandle(pdev->stream, pdev->printer) != 0;
    }
    if (failed) {
        FreeJobAttributeRecord(reinterpret_cast<JobTicket**>(&pdev->jobAttributes));
        pdev->flags |= kPdevJobSetupFailed;
        return FALSE;
    }
    pdev->pageState = kPageDocumentStarted;
    pdev->flags |= kPdevDocumentStarted;
    return TRUE;
}

BOOL StartPageBody(SURFOBJ* surface)
{
    PDevRecord* pdev = Valid(surface);
    if (!pdev || !pdev->stream || (pdev->flags & kPdevJobSetupFailed))
        return FALSE;
    if (pdev->flags & kPdevPageStartIgnored)
        return TRUE;
    if ((pdev->pageState & (kPageDocumentStarted | kPageJobBegun)) != (kPageDocumentStarted | kPageJobBegun))
        pdev->flags |= kPdevPageBeforeJob;
    ResetPdevDrawingState(pdev);
    if (pdev->flags & kPdevTookOverJob)
        pdev->flags &= ~kPdevClearedAfterTakeOver;
    pdev->flags = (pdev->flags & ~kPdevClearedAtPageStart) | kPdevPageOpen;
    return TRUE;
}

BOOL SendPageBody(SURFOBJ* surface)
{
    PDevRecord* pdev = Valid(surface);
    if (!pdev)
        return FALSE;
    int result = 0;
    if (!DrawingRefused(pdev) && pdev->job.begun)
        result |= FlushPdevImages(pdev);
    if (DrawingRefused(pdev) || !pdev->stream)
        result = -1;
    else if (pdev->jobOptions.faxInformationOnly) {
        // The information page is the job's page; a document whose pages drew
        // nothing begins the job here so that the page is still written.
        if (!(pdev->pageState & kPageJobBegun) && RunJobBegin(pdev) != 0) {
            AbortJob(pdev);
            result = -1;
        }
    } else if (EndLogicalPage(pdev) != 0) {
        AbortJob(pdev);
        result = -1;
    }
    pdev->flags &= ~kPdevPageOpen;
    return result == 0;
}

BOOL EndDocBody(SURFOBJ* surface, FLONG flags)
{
    PDevRecord* pdev = Valid(surface);
    if (!pdev)
        return FALSE;
    if (flags & ED_ABORTDOC)
        AbortJob(pdev);
    else if (pdev->flags & kPdevPageBeforeJob)
        EndDocJob(pdev);
    else if (pdev->stream)
        CloseJobOutput(pdev, false);
    RestoreEscapeOverrides(pdev);
    ReleaseJob(pdev);
    pdev->flags &= ~(kPdevPageBeforeJob | kPdevTookOverJob | kPdevDocumentStarted);
    return TRUE;
}

// A block the escapes handed over, freed and forgotten.
template <typename T>
void FreeEscapeBlock(T*& block)
{
    if (block)
        GlobalFree(block);
    block = nullptr;
}

void ReleaseJob(PDevRecord* pdev)
{
    // Nothing of one document reaches the next on the same DC: what the
    // escapes brought for this job goes with it.
    for (EscapeDataSlot& slot : pdev->slots) {
        FreeEscapeBlock(slot.data);
        slot.length = 0;
    }
    FreeEscapeBlock(pdev->annotation);
    FreeEscapeBlock(pdev->headerTable.block);
    pdev->headerTable = JobHeaderTable{};
    FreeEscapeBlock(pdev->faxSendList);
    pdev->faxSendListLength = 0;
    FreePdevImages(pdev);
    DestroyColourConversion(pdev);
    FreePdevDrawingState(pdev);
    FreeCommandLayer(pdev->commandLayer);
    pdev->commandLayer = nullptr;
    FreeJobAttributeRecord(reinterpret_cast<JobTicket**>(&pdev->jobAttributes));
    ReleaseJobMonitor(pdev);
    delete pdev->geometry;
    pdev->geometry = nullptr;
    pdev->savedGeometry = PageGeometry{};
    if (pdev->stream) {
        if (pdev->counters.recording & kRecordingOn)
            EndPageRecording(pdev->stream);
        DestroyOutputStream(pdev->stream);
    }
    pdev->counters.recording = 0;
    pdev->stream = nullptr;
    pdev->flags &= ~(kPdevDocumentStarted | kPdevPageOpen);
    pdev->pageState &= kPageDrawingRefused;
    pdev->job.begun = 0;
}
