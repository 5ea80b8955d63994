#include "render/frame/external_pages.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/settings/function_ids.h"
#include "common/system/global_block.h"
#include "render/command/command_layer.h"
#include "render/command/page_items.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/frame/job_frame.h"
#include "render/frame/job_sheets.h"
#include "render/inserted/external_conversion.h"
#include "render/morva/stream_head.h"

#include <algorithm>

namespace {

// Model file names of the library and of the data file it is given.
constexpr uint16_t kLibraryFileName = 14;
constexpr uint16_t kDataFileName = 15;
constexpr uint16_t kBookletLayout = 2;

ExternalJobFacts JobFacts(PDevRecord* pdev)
{
    ExternalJobFacts f{};
    f.colourMode = GetPdevSettingWord(pdev, kFidColorMode);
    f.resolution = GetPdevSettingWord(pdev, kFidPrintQuality);
    // The paper the sheets come out on: the output paper when it has one.
    const FormRecord& form = pdev->outputForm.paperWidth > 0 ? pdev->outputForm : pdev->requestedForm;
    f.sheetWidth = TenthsOfMillimetre(form.paperWidth);
    f.sheetHeight = TenthsOfMillimetre(form.paperHeight);
    f.duplex = GetPdevSettingWord(pdev, kFidDuplex);
    f.booklet = GetPdevSettingWord(pdev, kFidPosterBooklet) == kBookletLayout;
    f.withoutSheetOutput = GetPdevSettingWord(pdev, kFidStoredJobText) == 1;
    return f;
}

// The version a face for the library is written in.
uint32_t FaceStreamVersion(uint32_t version) { return std::min(version, kExternalStreamVersion); }

}  // namespace

ExternalConversionState* SetUpPdevExternalConversion(PDevRecord* pdev)
{
    if (!ExternalProcessingAsked(pdev) || pdev->settingsContext == nullptr || pdev->settingsContext->main == nullptr)
        return nullptr;
    wchar_t* library = nullptr;
    wchar_t* data = nullptr;
    GetModelFileName(pdev->settingsContext->main, kLibraryFileName, &library);
    GetModelFileName(pdev->settingsContext->main, kDataFileName, &data);
    GlobalBlockPtr<wchar_t> libraryOwner(library), dataOwner(data);
    return SetUpExternalConversion(JobFacts(pdev), library, data);
}

void LowerFaceStreamVersion(PDevRecord* pdev)
{
    if (!pdev->jobOptions.externalConversion || pdev->job.streamVersion <= kExternalStreamVersion)
        return;
    pdev->job.streamVersion = kExternalStreamVersion;
    if (pdev->commandLayer != nullptr)
        SetStreamVersionField(pdev->commandLayer, kExternalStreamVersion);
}

int RestoreJobStreamVersion(PDevRecord* pdev)
{
    if (!pdev->jobOptions.externalConversion)
        return 0;
    if (pdev->commandLayer == nullptr)
        return -1;
    pdev->job.streamVersion = ClampStreamVersion(GetPdevSettingDword(pdev, kFidStreamVersion));
    SetStreamVersionField(pdev->commandLayer, pdev->job.streamVersion);
    return 0;
}

int RepeatJobValuesForFace(PDevRecord* pdev)
{
    // A registered form tells no resolution, in the head or per face.
    if (!pdev->jobOptions.externalConversion || pdev->jobOptions.formRegistration)
        return 0;
    CommandLayer* layer = pdev->commandLayer;
    if (layer == nullptr || ResetCommandLayerForPage(layer) != 0)
        return -1;
    return EmitJobValue(layer, kJobValueResolution, JobResolution(pdev));
}

uint32_t FaceReplayMask(PDevRecord* pdev, const ExternalConversionState* state)
{
    if (!pdev->jobOptions.externalConversion)
        return kReplayPageMedia;
    if (state != nullptr)
        return kReplayPageMedia | kReplayPlacement;
    return kReplayPageMedia | kReplayPlacement | kReplaySheetEnd;
}

int ReplayFaceExternally(PDevRecord* pdev, ExternalConversionState* state, uint32_t face)
{
    CommandLayer* layer = pdev->commandLayer;
    if (state == nullptr || layer == nullptr || RedirectStreamToTempFile(state, layer->stream) != 0)
        return -1;
    const PageReplayHooks hooks{state, KeepExternalPageMedia, nullptr};
    // The face's media goes to the library in the form its drawing was recorded in.
    const uint32_t jobVersion = layer->streamVersion;
    SetStreamVersionField(layer, FaceStreamVersion(jobVersion));
    int result = CopyRecordedPage(layer, face, FaceReplayMask(pdev, state), -1, hooks);
    SetStreamVersionField(layer, jobVersion);
    result |= RestoreStreamFromTempFile(state, layer->stream);
    // The face's file is removed by the run whatever the copy did.
    const int run = RunExternalConversion(state, layer);
    return result != 0 ? -1 : run;
}
