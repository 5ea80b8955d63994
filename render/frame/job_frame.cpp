#include "render/frame/job_frame.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/settings/function_ids.h"
#include "common/system/module_files.h"
#include "render/command/command_layer.h"
#include "render/draw/draw_path.h"
#include "render/image/bitblt.h"
#include "render/frame/escape_overrides.h"
#include "render/frame/escape_records.h"
#include "render/frame/frame_ids.h"
#include "render/frame/pdev_record.h"
#include "render/morva/morva_commands.h"
#include "render/morva/stream_head.h"
#include "render/output/output_stream.h"

#include <cwchar>

namespace {

constexpr uint8_t kStreamBeginValue = 0x90;

// The printer's glyph memory as the model gives it (its first 32-bit entry);
// none when either setting turns downloaded glyphs off.
uint32_t GlyphMemoryCapacity(PDevRecord* pdev)
{
    if (GetPdevSettingDword(pdev, kFidStoredJobText) == 1 || GetPdevSettingDword(pdev, kFidDeviceFontsOff) != 0)
        return 0;
    if (pdev->settingsContext == nullptr || pdev->settingsContext->main == nullptr)
        return 0;
    return GetModelSectionNumber(pdev->settingsContext->main, kRawGlyphMemory, 4, 0);
}
constexpr int32_t kJobValueResolution = 1;

PDevRecord* Valid(SURFOBJ* surface)
{
    PDevRecord* pdev = PdevOfSurface(surface);
    if (!pdev)
        SetLastError(ERROR_INVALID_PARAMETER);
    return pdev;
}

int BeginJob(PDevRecord* pdev)
{
    int overrides = ApplyEscapeOverrides(pdev);
    pdev->job.streamVersion = ClampStreamVersion(GetPdevSettingDword(pdev, kFidStreamVersion));
    pdev->capability.streamVersion = pdev->job.streamVersion;
    pdev->capability.setting4103 = GetPdevSettingDword(pdev, kFidDrawingEscapesFeature);
    if (!pdev->commandLayer) {
        pdev->commandLayer = CreateCommandLayer({pdev->stream, pdev->job.streamVersion, false, GlyphMemoryCapacity(pdev)});
        if (!pdev->commandLayer)
            return -1;
    }
    int result = overrides | WriteStreamHead(pdev->stream, pdev->job.streamVersion);
    result |= WriteStreamBegin(pdev->stream, kStreamBeginValue);
    result |= WriteJobValue(pdev->stream, kJobValueResolution,
                            static_cast<int16_t>(GetPdevSettingWord(pdev, kFidPrintQuality)));
    pdev->job.begun = 1;
    return result;
}

} // namespace

BOOL StartDocBody(SURFOBJ* surface, const wchar_t* documentName, DWORD jobId)
{
    PDevRecord* pdev = Valid(surface);
    if (!pdev)
        return FALSE;
    if (jobId != 0)
        pdev->jobId = jobId;
    if (documentName && !pdev->job.documentName[0])
        wcsncpy(pdev->job.documentName, documentName, kDocumentNameChars);
    if (!pdev->stream) {
        pdev->stream = CreateOutputStream(GetResourceModule());
        if (!pdev->stream || OpenStreamOnSpoolHandle(pdev->stream, pdev->printer) != 0) {
            pdev->flags |= kPdevJobSetupFailed;
            return FALSE;
        }
    }
    pdev->flags |= kPdevDocumentStarted;
    return TRUE;
}

BOOL StartPageBody(SURFOBJ* surface)
{
    PDevRecord* pdev = Valid(surface);
    if (!pdev || !pdev->stream || (pdev->flags & kPdevJobSetupFailed))
        return FALSE;
    if (!pdev->job.begun && BeginJob(pdev) != 0)
        return FALSE;
    pdev->flags |= kPdevPageOpen;
    pdev->pageState |= kPageSequenceRuns | kPageBegun;
    ResetPdevDrawingState(pdev);
    return ResetCommandLayerForPage(pdev->commandLayer) == 0;
}

BOOL SendPageBody(SURFOBJ* surface)
{
    PDevRecord* pdev = Valid(surface);
    if (!pdev || !pdev->stream || !(pdev->flags & kPdevPageOpen))
        return FALSE;
    const int result = FlushPdevImages(pdev) | WriteSheetOutput(pdev->stream) | WriteSheetEnd(pdev->stream);
    pdev->flags &= ~kPdevPageOpen;
    pdev->pageState &= ~(kPageBegun | kPageDrawingSeen);
    ++pdev->pageCount;
    return result == 0;
}

BOOL EndDocBody(SURFOBJ* surface, FLONG flags)
{
    PDevRecord* pdev = Valid(surface);
    if (!pdev)
        return FALSE;
    int result = 0;
    if (pdev->stream) {
        if (!(flags & ED_ABORTDOC) && pdev->job.begun)
            result |= WriteStreamEnd(pdev->stream);
        result |= FlushStreamBuffer(pdev->stream);
        result |= CloseOutputStream(pdev->stream);
    }
    result |= RestoreEscapeOverrides(pdev);
    ReleaseJob(pdev);
    return result == 0;
}

void ReleaseJob(PDevRecord* pdev)
{
    FreePdevImages(pdev);
    FreePdevDrawingState(pdev);
    FreeCommandLayer(pdev->commandLayer);
    pdev->commandLayer = nullptr;
    if (pdev->stream)
        DestroyOutputStream(pdev->stream);
    pdev->stream = nullptr;
    pdev->flags &= ~(kPdevDocumentStarted | kPdevPageOpen);
    pdev->pageState = 0;
    pdev->job.begun = 0;
}
