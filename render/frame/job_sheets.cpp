#include "render/frame/job_sheets.h"

#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "render/attributes/job_attributes.h"
#include "render/command/command_layer.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/frame/external_pages.h"
#include "render/frame/job_layout.h"
#include "render/frame/job_options.h"
#include "render/frame/job_stream.h"
#include "render/image/job_colour.h"
#include "render/inserted/external_conversion.h"
#include "render/output/page_recording.h"
#include "render/page/page_geometry.h"
#include "render/page/sheet_replay.h"

#include <cstring>

namespace {

// Media kinds of the page attributes: a size of its own, or A4 by its code.
constexpr uint8_t kMediaKindSize = 'Q';
constexpr uint8_t kMediaKindA4 = 5;
constexpr int32_t kA4Width = 2100, kA4Height = 2970;  // tenths of a millimetre


// Colour code of an empty sheet side: 3 when the job chose a colour mode.
constexpr uint8_t kEmptySideColourMode = 3;
constexpr uint8_t kEmptySideNoColourMode = 1;
// "FE" in place of "FB" on an empty sheet side.
constexpr int32_t kEmptySideEnd = 17;

constexpr uint32_t kRecordedEntryGrowth = 80;
// A recorded sheet face holds its media back as an item, for the replay to send.
constexpr uint16_t kRecordedFaceKinds = kRecordPageMedia | 0x2;

// Paper sources: the printer's default names the document's source instead;
// the form source names the tray instead.
constexpr int32_t kSourcePrinterDefault = 258;
constexpr int32_t kSourceFormSource = DMBIN_FORMSOURCE;
// The model reads the document's source ahead of the tray unless setting 457
// (2) hands the lead to the tray.
constexpr CapabilityId kDocumentSourceCapability = 0x10;
constexpr uint32_t kSyncModeTrayLeads = 2;
constexpr int32_t kSourceFeedsNoBackFace[] = {DMBIN_MANUAL, DMBIN_ENVELOPE, DMBIN_ENVMANUAL};
// The printer picks the tray by the paper.
constexpr int32_t kSourceAuto = DMBIN_AUTO;

// The job kind "FH" sends for a duplex mode (1 one-sided, 2 long edge, 3 short edge).
constexpr uint8_t kJobKinds[4][2] = {{0, 0}, {0, 2}, {1, 2}, {1, 1}};

const JobOptions& Options(PDevRecord* pdev) { return pdev->jobOptions; }
uint16_t Recording(PDevRecord* pdev) { return pdev->counters.recording; }
uint32_t StreamVersion(PDevRecord* pdev) { return pdev->job.streamVersion; }

// The paper source the current sheet takes. Models with the document-source
// capability read the document's source (13) first, unless setting 457 hands
// the lead to the tray (265); either way the other setting stands in for the
// default value of the leading one. A source taken from the document's own
// setting has no separator sheet. The first face fixes the job's first
// source and, with a leading separator, whether the separator is a cover of
// its own (its source cannot print a back face). Booklets and sheets of
// several pages keep the first source; a leading separator feeds the first
// face, and the second face of a two-sided sheet when it is no cover.
int32_t SheetPaperSource(PDevRecord* pdev)
{
    JobOptions& o = pdev->jobOptions;
    SheetState& state = pdev->sheetState;
    const int32_t document = static_cast<int32_t>(GetPdevSettingWord(pdev, kFidDefaultSource));
    const int32_t tray = static_cast<int32_t>(GetPdevSettingWord(pdev, kFidPaperSource));
    ModelDataRecord* model = pdev->settingsContext ? pdev->settingsContext->main : nullptr;
    int32_t source = tray;
    if (TestModelCapability(model, kDocumentSourceCapability) &&
        (GetPdevSettingWord(pdev, kFidSourceSyncMode) & 0xFF) != kSyncModeTrayLeads) {
        source = document == kSourceFormSource ? tray : document;
        if (document != kSourceFormSource && o.separatorMode == 1)
            o.separatorMode = 0;
    } else if (tray == kSourcePrinterDefault) {
        source = document;
        if (o.separatorMode == 1)
            o.separatorMode = 0;
    }
    if (pdev->counters.faces == 0 && state.firstSource == 0) {
        state.firstSource = source;
        state.cover = o.separatorMode == 1 && !SourcePrintsTwoSided(o.separatorSource);
    }
    if (pdev->jobOptions.layout.kind == kLayoutBooklet || pdev->jobOptions.pagesPerSide > 1)
        return state.firstSource;
    if (o.separatorMode == 1) {
        const uint32_t separatorFaces = o.twoSided && !state.cover ? 2 : 1;
        if (pdev->counters.faces < separatorFaces)
            return o.separatorSource;
        o.separatorMode = 0;
    }
    return source;
}

// A length in tenths of a millimetre made whole dots at `resolution` and told
// in tenths again.
float DotsInTenths(int32_t tenths, int32_t resolution)
{
    if (resolution <= 0)
        return static_cast<float>(tenths);
    return static_cast<float>(DotsOfTenths(tenths, resolution)) * 254.0f / static_cast<float>(resolution);
}

void FillSheetMedia(PDevRecord* pdev, uint8_t colourCode, int32_t source, PageMediaItem* item)
{
    const FormRecord& form = SheetForm(pdev);
    FillMediaItem(pdev, colourCode, source, TenthsOfMillimetre(form.paperWidth), TenthsOfMillimetre(form.paperHeight),
                  item);
}

// A job printed on the document's own paper follows that paper: a model
// paper other than the one the sheets were last printed on becomes the kept
// one. Answers whether the paper changed (the first one kept is no change).
// Sizes no model paper has are not followed.
bool KeepRequestedPaper(PDevRecord* pdev)
{
    const uint16_t requested = pdev->requestedForm.paperNumber;
    const uint16_t kept = pdev->sheetState.keptPaper;
    if (!Options(pdev).sameOutputPaper || requested == 0 || requested == kept)
        return false;
    pdev->sheetState.keptPaper = requested;
    return kept != 0;
}

int32_t DuplexModeOfSettings(PDevRecord* pdev)
{
    const uint16_t duplex = GetPdevSettingWord(pdev, kFidDuplex);
    return duplex == 2 ? 2 : duplex == 3 ? 3 : 1;
}

int OpenRecordedFace(PDevRecord* pdev)
{
    if (!(pdev->counters.recording & kRecordingOn)) {
        if (BeginPageRecording(pdev->stream, 0, sizeof(RecordedPageEntry), kRecordedEntryGrowth) != 0)
            return -1;
        pdev->counters.recording = kRecordingOn;
    }
    if (BeginRecordedPage(pdev->stream) != 0)
        return -1;
    // Poster and booklet pages hold back more than their media.
    const uint16_t layoutKinds = LayoutRecordingKinds(pdev);
    const uint16_t faceKinds = kRecordedFaceKinds | (Options(pdev).externalConversion ? kExternalFaceKinds : 0);
    pdev->counters.recording = kRecordingOn | kRecordingPageOpen | (layoutKinds ? layoutKinds : faceKinds);
    return 0;
}

// The face's entry keeps what its replay onto a sheet needs: its page frame,
// orientation and sheet kind.
int FinishRecordedFace(PDevRecord* pdev)
{
    if (!(pdev->counters.recording & kRecordingPageOpen))
        return 0;
    pdev->counters.recording = kRecordingOn;
    RecordedPageEntry entry{};
    if (pdev->geometry) {
        entry.frame = pdev->geometry->page;
        entry.landscape = pdev->geometry->landscape;
    }
    entry.sheetKind = FaceSheetKind(pdev, static_cast<uint32_t>(pdev->sheetState.keptDuplexMode
                                                                    ? pdev->sheetState.keptDuplexMode
                                                                    : DuplexModeOfSettings(pdev)));
    if (StorePageEntry(pdev->stream, pdev->counters.recorded, &entry) != 0 || EndRecordedPageData(pdev->stream) != 0)
        return -1;
    ++pdev->counters.recorded;
    return 0;
}

// A face ended or skipped: the next one is the back face or a new sheet's front.
void CountFace(PDevRecord* pdev)
{
    pdev->counters.facePages = 0;
    ++pdev->counters.faces;
    ++pdev->counters.faceIndex;
}

void WriteDuplexMode(PDevRecord* pdev, int32_t mode, int* result)
{
    pdev->sheetState.keptDuplexMode = mode;
    *result |= EmitJobKind(pdev->commandLayer, kJobKinds[mode][0], kJobKinds[mode][1]);
}


// An empty side of a sheet from `source`: its attributes, nothing drawn, the
// sheet's end.
int EmitEmptySide(PDevRecord* pdev, int32_t source)
{
    if (!(pdev->pageState & kPageJobBegun))
        return -1;
    const uint32_t running = pdev->pageState & kPageSheetRuns;
    pdev->pageState |= kPageSheetRuns;
    int result = 0;
    if (Options(pdev).pageOptions && !Options(pdev).recordPages) {
        if (pdev->sheetState.keptDuplexMode == 0) {
            WriteDuplexMode(pdev, DuplexModeOfSettings(pdev), &result);
            KeepRequestedPaper(pdev);
        } else if (KeepRequestedPaper(pdev)) {
            result |= EmitJobKindOption(pdev->commandLayer);
        }
    }
    PageMediaItem item;
    FillSheetMedia(pdev, JobColourMode(pdev) ? kEmptySideColourMode : kEmptySideNoColourMode, source, &item);
    result |= SetPageAttributes(pdev->commandLayer, Recording(pdev), item);
    if (StreamVersion(pdev) >= kSeparatorSheetVersion)
        result |= EmitSheetEndVariant(pdev->commandLayer, kEmptySideEnd);
    else
        result |= EmitSheetEndFB(pdev->commandLayer, Recording(pdev));
    result |= EmitPageEndED(pdev->commandLayer, Recording(pdev));
    pdev->pageState = (pdev->pageState & ~kPageSheetRuns) | running;
    return result;
}

// After a separator, trailer or interleaf sheet the next page must start a
// sheet of its own: newer streams say so with "FC"; on older ones a two-sided
// sheet gets its back face empty (not between copies, where the replay's
// skipped back faces already did).
int AfterSeparatorSheet(PDevRecord* pdev, int32_t source, bool betweenCopies)
{
    if (StreamVersion(pdev) >= kSheetBreakVersion)
        return EmitJobKindOption(pdev->commandLayer);
    if (!betweenCopies && Options(pdev).twoSided && SourcePrintsTwoSided(Options(pdev).separatorSource))
        return EmitEmptySide(pdev, source);
    return 0;
}

// A sheet written by the driver between the pages, from `source`.
int InsertSheet(PDevRecord* pdev, int32_t source)
{
    return ResetCommandLayerForPage(pdev->commandLayer) | EmitEmptySide(pdev, source) |
           AfterSeparatorSheet(pdev, source, false);
}

// The trailing sheet behind the job's pages: a sheet of its own even when
// its source is the one the last page took.
int WriteTrailingSheet(PDevRecord* pdev)
{
    const JobOptions& o = Options(pdev);
    int result = ResetCommandLayerForPage(pdev->commandLayer);
    if (o.trailerSource == pdev->sheetState.paperSource)
        result |= AfterSeparatorSheet(pdev, o.trailerSource, false);
    return result | EmitEmptySide(pdev, o.trailerSource);
}

// Interleaf sheets go in ahead of the listed sheet numbers, each once. With
// `open` the face is opened for recording first (the sheet goes into the
// recording); answers whether it did.
int InterleafCheck(PDevRecord* pdev, bool open, bool* opened)
{
    JobOptions& o = pdev->jobOptions;
    int result = 0;
    const uint32_t sheet = pdev->counters.sheets + 1;
    for (uint16_t& listed : o.interleafList) {
        if (listed != sheet)  // sheet numbers start at 1; 0 is a used entry
            continue;
        if (open && !*opened && o.recordPages) {
            result |= OpenRecordedFace(pdev);
            *opened = true;
        }
        result |= InsertSheet(pdev, o.interleafSource);
        listed = 0;
        pdev->pageState |= kPageSheetRuns;
    }
    return result;
}

// The back face of a two-sided sheet is left empty so that what follows
// starts a new sheet.
int SkipBackFace(PDevRecord* pdev, bool emitEmptySide)
{
    if (pdev->counters.faceIndex != 1)
        return 0;
    int result = 0;
    if (Options(pdev).recordPages && OpenRecordedFace(pdev) != 0)
        return -1;
    if (emitEmptySide || Options(pdev).reverseOrder)
        result |= EmitEmptySide(pdev, pdev->sheetState.paperSource);
    result |= WritePageEvent(pdev, kEventSkipBackFace);
    result |= FinishRecordedFace(pdev);
    CountFace(pdev);
    return result;
}

bool ReplaySkipsBackFaces(PDevRecord* pdev)
{
    const JobOptions& o = Options(pdev);
    return o.reverseOrder || (o.collateByReplay && StreamVersion(pdev) < kSheetBreakVersion);
}

// The sheet change check of a new face: a new paper source or duplex mode
// starts a new sheet (its back face skipped); the sheet and face counts
// follow. "FC" and "FH" tell the printer of the change.
int CheckSheetChange(PDevRecord* pdev)
{
    JobOptions& o = pdev->jobOptions;
    SheetState& state = pdev->sheetState;
    int result = 0;
    bool change = false;
    // The job's first sheet takes its source without changing paper: a sheet
    // the driver put ahead of it (a separator) has already told the printer
    // of the new sheet.
    const int32_t source = SheetPaperSource(pdev);
    if (source != state.paperSource) {
        change = state.paperSource != 0;
        state.paperSource = source;
    }
    // A new paper under a tray the printer picks by paper needs a new sheet.
    // Behind a separator's first face a two-sided job goes back to that
    // choice when the job asks for it.
    if (KeepRequestedPaper(pdev)) {
        if (o.twoSided && o.separatorMode == 1 && pdev->counters.faces == 1 &&
            GetPdevSettingWord(pdev, kFidPaperSource) == kSourceAuto)
            state.paperSource = kSourceAuto;
        if (state.paperSource == kSourceAuto)
            change = true;
    }
    const int32_t keptBefore = state.keptDuplexMode;
    bool duplexChange = false;
    if (o.pageOptions) {
        const int32_t mode = DuplexModeOfSettings(pdev);
        if (mode != state.keptDuplexMode) {
            state.keptDuplexMode = mode;
            o.twoSided = mode != 1;
            duplexChange = change = true;
        }
    }
    if (change && o.twoSided)
        result |= SkipBackFace(pdev, ReplaySkipsBackFaces(pdev) && SourcePrintsTwoSided(state.paperSource));
    const uint32_t faceCount = o.twoSided ? 2 : 1;
    if (pdev->counters.faces > 0) {
        if (change || pdev->counters.faceIndex >= faceCount)
            ++pdev->counters.sheets;
        if (pdev->counters.faceIndex >= faceCount)
            pdev->counters.faceIndex = 0;
    }
    if (o.pageOptions && !o.recordPages && change) {
        if (keptBefore != 0)
            result |= EmitJobKindOption(pdev->commandLayer);
        if (duplexChange)
            result |= EmitJobKind(pdev->commandLayer, kJobKinds[state.keptDuplexMode][0],
                                  kJobKinds[state.keptDuplexMode][1]);
    }
    return result;
}

// A replayed face tells the printer of a new paper or duplex mode as a face
// written straight does: "FC" when its page frame differs from the face
// before it, "FH" when its sheet kind is new.
int TellReplayedSheetChange(PDevRecord* pdev, uint32_t face)
{
    RecordedPageEntry entry{};
    if (LoadPageEntry(pdev->stream, face, &entry) != 0)
        return -1;
    SheetState& state = pdev->sheetState;
    static constexpr uint8_t kNone[sizeof state.replayedFrame] = {};
    static_assert(sizeof entry.frame == sizeof state.replayedFrame);
    int result = 0;
    if (std::memcmp(&entry.frame, state.replayedFrame, sizeof state.replayedFrame) != 0) {
        if (std::memcmp(state.replayedFrame, kNone, sizeof kNone) != 0)
            result |= EmitJobKindOption(pdev->commandLayer);
        std::memcpy(state.replayedFrame, &entry.frame, sizeof state.replayedFrame);
    }
    if (entry.sheetKind != state.replayedKind && entry.sheetKind >= kSheetOneSided && entry.sheetKind <= kSheetShortEdge) {
        state.replayedKind = entry.sheetKind;
        result |= EmitJobKind(pdev->commandLayer, kJobKinds[entry.sheetKind][0], kJobKinds[entry.sheetKind][1]);
    }
    return result;
}

} // namespace

int32_t TenthsOfMillimetre(int32_t length) { return FormSizeToTenths(length); }

const FormRecord& SheetForm(PDevRecord* pdev)
{
    const uint32_t output = GetPdevSettingWord(pdev, kFidOutputPaper);
    return output == 0 || output == kSamePaperAsRequested ? pdev->requestedForm : pdev->outputForm;
}

void FillMediaItem(PDevRecord* pdev, uint8_t colourCode, int32_t source, int32_t width, int32_t height,
                   PageMediaItem* item)
{
    *item = PageMediaItem{};
    item->code1 = colourCode;
    item->code2 = MapPaperSourceAttribute(source) & 0xFF;
    if (Options(pdev).externalConversion) {
        // The outside processing library rasters the face at the job's
        // resolution: the face's size is told in whole dots of it.
        const int32_t resolution = GetPdevSettingWord(pdev, kFidPrintQuality);
        item->kindLetter = kMediaKindSize;
        item->width = DotsInTenths(width, resolution) / 10.0f;
        item->height = DotsInTenths(height, resolution) / 10.0f;
    } else if (width == kA4Width && height == kA4Height) {
        item->kindLetter = kMediaKindA4;
    } else {
        item->kindLetter = kMediaKindSize;
        item->width = static_cast<float>(width) / 10.0f;
        item->height = static_cast<float>(height) / 10.0f;
    }
    item->pageOptions = SheetTurnCode(pdev);
}

uint8_t SheetColourCode(PDevRecord* pdev)
{
    return JobColourMode(pdev) == 2 ? 2 : 1;
}

bool SourcePrintsTwoSided(int32_t source)
{
    for (int32_t feed : kSourceFeedsNoBackFace)
        if (source == feed)
            return false;
    return true;
}

int BeginSheetFace(PDevRecord* pdev)
{
    pdev->pageState |= kPageSheetRuns;
    if (ResetCommandLayerForPage(pdev->commandLayer) != 0 || CheckSheetChange(pdev) != 0)
        return -1;
    bool opened = false;
    if (Options(pdev).interleafSheets && !Options(pdev).reverseOrder && InterleafCheck(pdev, true, &opened) != 0)
        return -1;
    if ((Options(pdev).recordPages || LayoutRecordingKinds(pdev) != 0) && !opened && OpenRecordedFace(pdev) != 0)
        return -1;
    LowerFaceStreamVersion(pdev);
    if (ResetCommandLayerForPage(pdev->commandLayer) != 0)
        return -1;
    PageMediaItem item;
    FillSheetMedia(pdev, SheetColourCode(pdev), pdev->sheetState.paperSource, &item);
    return SetPageAttributes(pdev->commandLayer, Recording(pdev), item) | RepeatJobValuesForFace(pdev);
}

int FinishSheetFace(PDevRecord* pdev)
{
    int result = 0;
    bool opened = true;
    if (Options(pdev).interleafSheets && Options(pdev).reverseOrder)
        result |= InterleafCheck(pdev, false, &opened);
    result |= FinishRecordedFace(pdev);
    CountFace(pdev);
    return result;
}

int WritePageLabel(PDevRecord* pdev)
{
    if (!Options(pdev).pageLabel)
        return 0;
    const wchar_t* text = GetPdevSettingString(pdev, kFidPageLabelText);
    static constexpr float kUnit[6] = {1, 0, 0, 1, 0, 0};
    return EmitPageLabel(pdev->commandLayer, text ? text : L"", kUnit, 0, 0, 0, 0);
}

int WriteColourModePair(PDevRecord* pdev)
{
    const int32_t* pair = Options(pdev).colourPair;
    if (pair[0] < 0 || pair[1] < 0)
        return 0;
    return EmitJobOption(pdev->commandLayer, static_cast<uint8_t>(pair[0])) |
           EmitJobOptions(pdev->commandLayer, pair[0] != 0, pair[1] != 0);
}

int WriteJobStrings(PDevRecord* pdev)
{
    int result = 0;
    if (Options(pdev).formRegistration) {
        const wchar_t* name = GetPdevSettingString(pdev, kFidStoredJobName);
        result |= EmitJobString(pdev->commandLayer, name ? name : L"");
    }
    if (Options(pdev).pageLabel && StreamVersion(pdev) >= kPageLabelVersion) {
        const wchar_t* label = GetPdevSettingString(pdev, kFidPageLabelText);
        result |= EmitJobString2(pdev->commandLayer, label ? label : L"");
    }
    return result;
}

int WriteLeadingSheets(PDevRecord* pdev)
{
    const JobOptions& o = Options(pdev);
    if (o.separatorMode != 2 || o.recordPages)
        return 0;
    return EmitEmptySide(pdev, o.separatorSource) | AfterSeparatorSheet(pdev, o.separatorSource, false);
}

int FinishLastSheet(PDevRecord* pdev)
{
    const JobOptions& o = Options(pdev);
    int result = 0;
    if (o.twoSided && pdev->counters.faceIndex == 1 && SourcePrintsTwoSided(pdev->sheetState.paperSource) &&
        ReplaySkipsBackFaces(pdev))
        result |= SkipBackFace(pdev, false);
    if (o.trailerSheet && !(pdev->counters.recording & kRecordingOn) && pdev->counters.pages > 0)
        result |= WriteTrailingSheet(pdev);
    return result;
}

int ReplayRecordedFaces(PDevRecord* pdev, bool keepRecording)
{
    if (!(pdev->counters.recording & kRecordingOn))
        return 0;
    const JobOptions& o = Options(pdev);
    const uint32_t copies = o.collateByReplay ? o.copies : 1;
    const uint32_t faces = pdev->counters.recorded;
    const uint32_t layout = pdev->jobOptions.layout.kind;
    const PageReplayHooks hooks{};
    int result = 0;
    // Without the library the faces go as they were drawn.
    ExternalConversionState* external = o.externalConversion ? SetUpPdevExternalConversion(pdev) : nullptr;
    for (uint32_t copy = 0; copy < copies && result == 0; ++copy) {
        // The "FC" between copies already starts a sheet of the copy's own.
        if (copy > 0 && StreamVersion(pdev) >= kSheetBreakVersion) {
            result |= EmitJobKindOption(pdev->commandLayer);
            std::memset(pdev->sheetState.replayedFrame, 0, sizeof pdev->sheetState.replayedFrame);
        }
        // Each copy has its own separator ahead of its pages and its own
        // trailing sheet behind them; reversed, the trailing sheet goes first
        // and the separator last.
        if (o.reverseOrder && o.trailerSheet)
            result |= ResetCommandLayerForPage(pdev->commandLayer) | EmitEmptySide(pdev, o.trailerSource) |
                      AfterSeparatorSheet(pdev, o.trailerSource, false);
        else if (!o.reverseOrder && o.separatorMode == 2)
            result |= EmitEmptySide(pdev, o.separatorSource) | AfterSeparatorSheet(pdev, o.separatorSource, false);
        if (layout == kLayoutBooklet)
            result |= ReplayBookletOrder(pdev);
        for (uint32_t n = 0; n < faces && result == 0 && layout != kLayoutBooklet; ++n) {
            const uint32_t face = o.reverseOrder ? faces - 1 - n : n;
            if (o.pageOptions)
                result |= TellReplayedSheetChange(pdev, face);
            if (layout == kLayoutPoster)
                result |= ReplayPosterPage(pdev, face);
            else
                result |= external != nullptr ? ReplayFaceExternally(pdev, external, face)
                                              : CopyRecordedPage(pdev->commandLayer, face,
                                                                 FaceReplayMask(pdev, nullptr), -1, hooks);
        }
        if (o.reverseOrder && o.separatorMode == 2) {
            result |= EmitEmptySide(pdev, o.separatorSource);
            if (StreamVersion(pdev) < kSheetBreakVersion && o.twoSided && SourcePrintsTwoSided(o.separatorSource))
                result |= EmitEmptySide(pdev, o.separatorSource);
        } else if (!o.reverseOrder && o.trailerSheet) {
            result |= WriteTrailingSheet(pdev);
        }
    }
    ReleaseExternalConversion(external);
    result |= ResetCommandLayerForPage(pdev->commandLayer);
    if (keepRecording)
        return result;
    result |= EndPageRecording(pdev->stream);
    pdev->counters.recording = 0;
    return result;
}
