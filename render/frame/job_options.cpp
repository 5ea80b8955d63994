#include "render/frame/job_options.h"

#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/job/fax_send_list.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/frame/external_pages.h"
#include "render/frame/job_layout.h"
#include "render/morva/stream_head.h"

namespace {

constexpr CapabilityId kSheetOptionsCapability = CapabilityBit(0x26);  // separator, trailer, interleaf sheets
constexpr CapabilityId kJobTypeCapability = CapabilityBit(0x2A);       // job type 3 drops the sheet options
constexpr uint32_t kCollationByDriver = 2;  // the printer collates only what the driver sends again
constexpr uint32_t kJobTypeStored = 3;
constexpr int32_t kNoSeparatorFirstFace = 264;
constexpr uint32_t kBookletLayout = 2;
constexpr CapabilityId kBookletCountCapability = 0x4000000;
constexpr CapabilityId kBookletCountByteCapability = CapabilityBit(0x2D);

ModelDataRecord* MainModel(PDevRecord* pdev)
{
    return pdev->settingsContext ? pdev->settingsContext->main : nullptr;
}

bool On(PDevRecord* pdev, uint16_t id) { return GetPdevSettingDword(pdev, id) != 0; }
bool IsOne(PDevRecord* pdev, uint16_t id) { return GetPdevSettingDword(pdev, id) == 1; }

bool CollationLeftToDriver(PDevRecord* pdev)
{
    CapabilityBits bits{};
    if (!GetModelCapabilityBits(MainModel(pdev), &bits))
        return false;
    return GetCollateSupport(pdev->settings, pdev->printerSettings, &bits) == static_cast<int>(kCollationByDriver);
}

}  // namespace

bool IsCollationAvailable(PDevRecord* pdev, uint32_t flags)
{
    constexpr uint32_t kAskedFlags = 0x1 | 0x2 | 0x4;
    CapabilityBits bits{};
    if ((flags & kAskedFlags) != kAskedFlags || !GetModelCapabilityBits(MainModel(pdev), &bits))
        return false;
    const int answer = GetCollateSupport(pdev->settings, pdev->printerSettings, &bits);
    return answer == 1 || answer == 2;
}

uint32_t JobColourMode(PDevRecord* pdev)
{
    switch (GetPdevSettingWord(pdev, kFidColorMode)) {
    case 1: return 1;
    case 2: return 2;
    case 3: return On(pdev, kFidAutoColourMode) ? 0 : 2;
    default: return 0;
    }
}

namespace {

// The account code goes only with jobs whose colour the printer chooses; a
// code of a kind outside 0-2 is not sent.
void TakeAccountOptions(PDevRecord* pdev, JobOptions* o)
{
    if (!On(pdev, kFidColourUnit) || (GetPdevSettingWord(pdev, kFidSpecialOne) & 0xFF) != 1 || o->colourMode != 0)
        return;
    const uint32_t value = GetPdevSettingDword(pdev, kFidAccountCode);
    const uint32_t kind = (value >> 8) & 0xF;
    if (kind > 2)
        return;
    o->accountFlag = 1;
    o->accountCode = value & 0xFF;
    o->accountKind = kind;
}

void TakeSheetOptions(PDevRecord* pdev, uint32_t version, JobOptions* o)
{
    ModelDataRecord* model = MainModel(pdev);
    const bool sheetOptions = TestModelCapability(model, kSheetOptionsCapability);
    const int32_t separatorTray = static_cast<int32_t>(GetPdevSettingWord(pdev, kFidFixedTrayFirst));
    if (sheetOptions && IsOne(pdev, kFidSeparatorSheetOn)) {
        o->separatorSource = separatorTray;
        o->separatorMode = On(pdev, kFidSeparatorFirstFace) && separatorTray != kNoSeparatorFirstFace ? 1 : 2;
    } else {
        const uint32_t covers = GetPdevSettingWord(pdev, kFidCovers);
        o->separatorMode = covers == 1 ? 1 : covers == 2 && version >= kSeparatorSheetVersion ? 2 : 0;
        o->separatorSource = static_cast<int32_t>(GetPdevSettingWord(pdev, kFidCoverTray));
    }
    if (sheetOptions) {
        o->trailerSheet = IsOne(pdev, kFidTrailerSheetOn);
        o->trailerSource = static_cast<int32_t>(GetPdevSettingWord(pdev, kFidFixedTrayFirst + 1));
        o->interleafSheets = IsOne(pdev, kFidInterleafSheetsOn);
        o->interleafSource = static_cast<int32_t>(GetPdevSettingWord(pdev, kFidFixedTrayFirst + 2));
        for (uint32_t i = 0; i < kInterleafListLength; ++i)
            o->interleafList[i] = GetPdevSettingWord(pdev, static_cast<uint16_t>(kFidPageListFirst + i));
    }
    if (GetPdevSettingWord(pdev, kFidJobType) == kJobTypeStored && TestModelCapability(model, kJobTypeCapability)) {
        o->separatorMode = 0;
        o->trailerSheet = 0;
        o->interleafSheets = 0;
    }
}

// A booklet bound on its first binding kind may tell the printer its sheet-side
// count, as the model and the settings allow.
bool BookletCountWanted(PDevRecord* pdev)
{
    ModelDataRecord* model = MainModel(pdev);
    if (GetPdevSettingWord(pdev, kFidPosterBooklet) != kBookletLayout || !TestModelCapability(model, kBookletCountCapability) ||
        (GetPdevSettingWord(pdev, kFidBookletSource) & 0xFF) != 1)
        return false;
    if (GetPdevSettingWord(pdev, kFidJobType) == kJobTypeStored && TestModelCapability(model, kJobTypeCapability))
        return false;
    if (TestModelCapability(model, kBookletCountByteCapability))
        return (GetPdevSettingWord(pdev, kFidBookletCount) & 0xFF) == 2;
    return GetPdevSettingDword(pdev, kFidBookletCountOn) == 1;
}

// A fax model sends the document once per destination when each destination
// gets an information page of its own and the job header is not one for all
// of them.
void TakeFaxOptions(PDevRecord* pdev, JobOptions* o)
{
    if (!pdev->driverKind2)
        return;
    o->faxInformationPage = IsOne(pdev, kFidFaxInformationPage);
    o->faxInformationOnly = IsOne(pdev, kFidFaxInformationOnly);
    o->faxDestinations = GetPdevSettingWord(pdev, kFidFaxRecipientCount);
    o->faxCoverMode = On(pdev, kFidFaxCoverForm) ? 2 : 1;
    // A job goes only to destinations its list holds: a count from the
    // settings alone would open that many printer jobs for no one.
    const int counted = CountFaxRecipients(pdev->faxSendList, pdev->faxSendListLength);
    const uint32_t listed = counted > 0 ? static_cast<uint32_t>(counted) : 0;
    o->faxPerDestination = o->faxInformationPage && !On(pdev, kFidFaxOneHeader) && o->faxDestinations >= 2 &&
                           listed >= 2 && !o->faxInformationOnly;
    if (o->faxPerDestination && listed < o->faxDestinations)
        o->faxDestinations = listed;
}

} // namespace

int TakeJobOptions(PDevRecord* pdev, JobOptions* options)
{
    JobOptions o{};
    const uint32_t version = ClampStreamVersion(GetPdevSettingDword(pdev, kFidStreamVersion));
    const uint32_t duplex = GetPdevSettingWord(pdev, kFidDuplex);
    if (duplex < 1 || duplex > 3)
        return -1;
    o.twoSided = duplex != 1;
    const uint32_t copies = GetPdevSettingWord(pdev, kFidCopies);
    o.copies = copies ? copies : 1;
    o.collateByReplay = o.copies != 1 && IsOne(pdev, kFidCollate) && CollationLeftToDriver(pdev);
    o.reverseOrder = On(pdev, kFidReverseOrder);
    o.formRegistration = IsOne(pdev, kFidStoredJobText);
    const uint32_t jobType = GetPdevSettingWord(pdev, kFidJobType);
    o.jobType = jobType >= 1 && jobType <= 3 ? jobType : 0;
    if (On(pdev, kFidSecondSourceOn))
        o.specialOutputMode = (GetPdevSettingWord(pdev, kFidSpecialOutputKind) & 0xFF) != 0 ? 2 : 1;
    o.tonerSave = On(pdev, kFidTonerSave);
    o.pageLabel = IsOne(pdev, kFidPageLabelOn);
    o.layout = ReadJobLayout(pdev);
    o.pagesPerSide = PagesPerSide(pdev);
    const bool nup = o.pagesPerSide > 1;
    const bool posterOrBooklet = GetPdevSettingWord(pdev, kFidPosterBooklet) != 0;
    o.pageOptions = On(pdev, kFidKeepDuplexOnReset) && On(pdev, kFidDrawingEscapesFeature) &&
                    version >= kPageOptionsVersion && !nup && !posterOrBooklet && !o.formRegistration &&
                    GetPdevSettingWord(pdev, kFidJobType) != kJobTypeStored && !On(pdev, kFidSecondSourceOn);
    // Sheets of several pages, and booklets, take the job's paper once.
    o.sameOutputPaper = GetPdevSettingWord(pdev, kFidOutputPaper) == kSamePaperAsRequested && !nup &&
                        GetPdevSettingWord(pdev, kFidPosterBooklet) != kBookletLayout;
    if (version >= kColourPairVersion) {
        o.colourPair[0] = On(pdev, kFidColourPairFirst) ? 1 : 0;
        o.colourPair[1] = On(pdev, kFidColourPairSecond) ? 1 : 0;
    } else {
        o.colourPair[0] = o.colourPair[1] = -1;
    }
    o.colourMode = JobColourMode(pdev);
    TakeAccountOptions(pdev, &o);
    TakeSheetOptions(pdev, version, &o);
    o.bookletCount = BookletCountWanted(pdev);
    o.externalConversion = ExternalProcessingAsked(pdev);
    TakeFaxOptions(pdev, &o);
    // Data of escape 20545 (slot E) asks for the pages to be recorded too.
    o.recordPages = o.collateByReplay || o.reverseOrder || o.formRegistration || o.externalConversion ||
                    o.faxPerDestination || pdev->slots[kSlotE].data != nullptr;
    // The booklet's sheet-side count in the header is known once its pages
    // are recorded: its stream head waits for the job end.
    o.deferredStreamBegin = o.formRegistration || o.bookletCount;
    *options = o;
    return 0;
}
