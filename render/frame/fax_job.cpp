#include "render/frame/fax_job.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/job/ansi_text.h"
#include "common/job/fax_job_lines.h"
#include "common/job/fax_send_list.h"
#include "common/job/fax_temp_files.h"
#include "common/model/model_data.h"
#include "common/model/model_section.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "render/command/command_layer.h"
#include "render/command/page_items.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/font/device_fonts.h"
#include "render/frame/job_sheets.h"
#include "render/frame/job_stream.h"
#include "render/inserted/document_label.h"
#include "render/inserted/fax_header.h"
#include "render/inserted/fax_pages.h"
#include "render/inserted/model_file_copy.h"
#include "render/page/page_geometry.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

// The information page is set up at this resolution whatever the job's.
constexpr uint16_t kInformationResolution = 600;
// Paper source 7 (the device chooses) and colour state 1 (monochrome).
constexpr int32_t kInformationSource = 7;
constexpr uint8_t kInformationColour = 1;
constexpr uint16_t kCoverFormFile = 2;
constexpr uint16_t kCoverModelFrame = 1;
// Model section 28: the file of the model's cover-sheet frame.
constexpr uint16_t kRawCoverFrameFile = 28;
// Models that place the header line from the paper's edge.
constexpr CapabilityId kHeaderFromPaperEdge = CapabilityBit(0x40);
// An item's text in the ANSI code page: at most two bytes a character.
constexpr uint32_t kItemAnsiBytes = 2 * (kCoverItemTextChars - 1);

// A text setting into a field of `bytes` bytes, cut and terminated.
void CopyTextSetting(PDevRecord* pdev, uint16_t id, uint8_t* field, size_t bytes)
{
    std::memset(field, 0, bytes);
    const wchar_t* text = GetPdevSettingString(pdev, id);
    if (!text)
        return;
    const size_t room = bytes / sizeof(wchar_t);
    const size_t n = wcsnlen(text, room - 1);
    std::memcpy(field, text, n * sizeof(wchar_t));
}

FaxJobInformation ReadFaxJobInformation(PDevRecord* pdev)
{
    FaxJobInformation info{};
    info.value1804 = GetPdevSettingWord(pdev, kFidFaxCoverLanguage);
    // A job of one destination has no "one header for all".
    info.value379 = pdev->jobOptions.faxDestinations >= 2 ? GetPdevSettingWord(pdev, kFidFaxOneHeader) : 0;
    info.value1807 = GetPdevSettingWord(pdev, kFidFaxNameHonorific);
    info.value1808 = GetPdevSettingWord(pdev, kFidFaxCompanyHonorific);
    info.value1809 = GetPdevSettingWord(pdev, kFidFaxCoverTables);
    CopyTextSetting(pdev, kFidFaxCoverDate, info.text1805, sizeof info.text1805);
    CopyTextSetting(pdev, kFidFaxCoverTitle, info.text1806, sizeof info.text1806);
    CopyTextSetting(pdev, kFidFaxSenderName, info.text1820, sizeof info.text1820);
    CopyTextSetting(pdev, kFidFaxSenderAddress, info.text1821, sizeof info.text1821);
    CopyTextSetting(pdev, kFidFaxSenderPhone, info.text1822, sizeof info.text1822);
    CopyTextSetting(pdev, kFidFaxSenderFax, info.text1823, sizeof info.text1823);
    CopyTextSetting(pdev, kFidFaxSenderMail, info.text1876, sizeof info.text1876);
    return info;
}

// The model's fax paper; the output form's size when the model has none.
FaxPageRecord FaxPage(PDevRecord* pdev)
{
    FaxPageRecord page{};
    uint64_t holder = kFaxPaperKind;
    uint16_t status = 0;
    ModelSection* paper = pdev->settingsContext
                              ? GetOptionTargetForValue(pdev->settingsContext, kFidPaperSize, &holder, &status)
                              : nullptr;
    const bool found = paper && GetFaxPageRecord(AsPaper(paper), &page) == 0;
    if (paper)
        FreeItemFeature(paper);
    if (!found) {
        const FormRecord& form = pdev->outputForm;
        page.paperKind = kFaxPaperKind;
        page.width = static_cast<int16_t>(TenthsOfMillimetre(form.paperWidth));
        page.height = static_cast<int16_t>(TenthsOfMillimetre(form.paperHeight));
        page.printableWidth = static_cast<int16_t>(TenthsOfMillimetre(form.right - form.left));
        page.printableHeight = static_cast<int16_t>(TenthsOfMillimetre(form.bottom - form.top));
        page.leftOffset = static_cast<int16_t>((page.width - page.printableWidth + 1) / 2);
        page.topOffset = static_cast<int16_t>((page.height - page.printableHeight + 1) / 2);
        page.flagA = page.flagB = -1;
    }
    return page;
}

int CopyCoverFrame(PDevRecord* pdev)
{
    wchar_t directory[MAX_PATH] = {};
    if (!pdev->settingsContext || !GetDriverDirectory(directory, sizeof directory))
        return 0;
    wchar_t* name = nullptr;
    if (ReadModelSectionString(pdev->settingsContext->main, kRawCoverFrameFile, 0, &name) != kModelOk || !name)
        return 0;
    GlobalBlockPtr<wchar_t> owned(name);
    return CopyModelDataFile(pdev->stream, directory, name);
}

// The information block: the destination's cover-sheet texts in the model's
// default device font, written as the header line's glyph runs.
int WriteInformationBlock(PDevRecord* pdev, const FaxRecipientRecord& recipient, const FaxPageRecord& page)
{
    const FaxSendListHeader* head = nullptr;
    FaxSendListHeader listHead{};
    if (CopyFaxSendListHeader(pdev->faxSendList, pdev->faxSendListLength, &listHead))
        head = &listHead;
    FaxDiallingRecord dialling{};
    if (!ReadFaxDiallingRecord(pdev->settings, pdev->printerSettings, &dialling))
        return -1;
    ModelDataRecord* model = pdev->settingsContext ? pdev->settingsContext->main : nullptr;
    uint32_t count = 0;
    GlobalBlockPtr<CoverSheetItem> items(
        LayOutFaxInformation(ReadFaxJobInformation(pdev), dialling, head, recipient,
                             CoverSheetUsesX350(model, static_cast<int>(pdev->jobOptions.faxCoverMode)), &count));
    if (!items)
        return -1;
    const DeviceFontRecord* font = DeviceFontOf(
        pdev, DeviceFontIndexOfNumber(pdev, static_cast<int32_t>(GetPdevSettingWord(pdev, kFidDefaultDeviceFont))));
    if (!font)
        return -1;
    std::vector<std::vector<char>> texts(count, std::vector<char>(kItemAnsiBytes + 1));
    std::vector<FaxHeaderItem> runs;
    for (uint32_t i = 0; i < count; ++i) {
        const CoverSheetItem& item = items.get()[i];
        if (!WideToAnsiCut(item.text, texts[i].data(), kItemAnsiBytes))
            continue;
        runs.push_back({font->fontNumber, item.fontSize, item.x, item.y, texts[i].data(),
                        static_cast<uint32_t>(std::strlen(texts[i].data())), FontWidths(font), 0});
    }
    FaxHeaderLayout layout{kInformationResolution, kInformationResolution, 0, 0};
    if (TestModelCapability(model, kHeaderFromPaperEdge) && GetPdevSettingWord(pdev, kFidFaxCoverForm) != 1)
        layout.xShift = page.leftOffset;
    return WriteFaxHeader(pdev->stream, layout, runs.data(), static_cast<uint32_t>(runs.size())) < 0 ? -1 : 0;
}

// The page's frame and block are laid out in dots from the paper's top-left
// corner: that corner is the sheet's, whatever placement the document's pages
// left behind.
int PlaceInformationPage(CommandLayer* layer, const FaxPageRecord& page)
{
    PlacementMatrix paper{};
    PlacementMatrix onSheet{};
    ResetPlacementToIdentity(&paper);
    if (ConvertMatrixToPoints(&paper, &onSheet, kInformationResolution, kInformationResolution, 0.0f,
                              TenthsToDots(page.height, kInformationResolution)) != 0)
        return -1;
    return EmitPlacementMatrix(layer, &onSheet.a);
}

}  // namespace

bool FaxHeaderRecipients(PDevRecord* pdev, uint32_t copy, FaxRecipientRange* range)
{
    if (!pdev->driverKind2 || !pdev->faxSendList)
        return false;
    // The header names only destinations the list holds.
    const int listed = CountFaxRecipients(pdev->faxSendList, pdev->faxSendListLength);
    const uint32_t count = std::min<uint32_t>(GetPdevSettingWord(pdev, kFidFaxRecipientCount), listed > 0 ? listed : 0);
    if (count == 0)
        return false;
    *range = FaxRecipientRange{};
    range->list = pdev->faxSendList;
    range->listSize = pdev->faxSendListLength;
    if (GetPdevSettingWord(pdev, kFidFaxOneHeader) != 0) {
        range->last = static_cast<uint16_t>(count - 1);
    } else {
        range->first = range->last = static_cast<uint16_t>(copy < count ? copy : count - 1);
    }
    return true;
}

// The page is written in its own values (fax paper, 600 dpi, device source)
// and touches neither the page geometry nor the recording, so the document's
// pages around it keep theirs.
int WriteFaxInformationPage(PDevRecord* pdev, uint32_t destination)
{
    if (!pdev || !pdev->commandLayer || !pdev->stream)
        return -1;
    FaxRecipientRecord recipient{};
    if (!pdev->faxSendList ||
        !CopyFaxRecipient(pdev->faxSendList, pdev->faxSendListLength, destination, &recipient))
        recipient = FaxRecipientRecord{};
    const FaxPageRecord page = FaxPage(pdev);
    CommandLayer* layer = pdev->commandLayer;
    const uint32_t wasBegun = pdev->pageState & kPageBegun;
    pdev->pageState |= kPageBegun;
    int result = ResetCommandLayerForPage(layer) | WritePageEvent(pdev, kEventStartPage);
    if (pdev->jobOptions.faxCoverMode == kCoverFormFile)
        result |= WriteDocumentLabel(layer, GetPdevSettingString(pdev, kFidStoredPrintFile));
    PageMediaItem media;
    FillMediaItem(pdev, kInformationColour, kInformationSource, page.width, page.height, &media);
    result |= SetPageAttributes(layer, 0, media) | PlaceInformationPage(layer, page);
    if (pdev->jobOptions.faxCoverMode == kCoverModelFrame)
        result |= CopyCoverFrame(pdev);
    result |= WriteInformationBlock(pdev, recipient, page);
    result |= WritePageEvent(pdev, kEventEndLogical) | EmitSheetEndFB(layer, 0) | EmitPageEndED(layer, 0) |
              WritePageEvent(pdev, kEventEndPhysical) | ResetCommandLayerForPage(layer);
    pdev->pageState = (pdev->pageState & ~kPageBegun) | wasBegun;
    return result == 0 ? 0 : -1;
}

// Only a file the interface library imported as the job's destination list
// (escape 20516 brought it) is the job's own: a name in the settings alone
// could be any file.
void DeleteFaxAddressFile(PDevRecord* pdev)
{
    if (!pdev || !pdev->driverKind2 || !pdev->faxSendList)
        return;
    const wchar_t* file = GetPdevSettingString(pdev, kFidFaxAddressFile);
    if (!file || !file[0] || _wcsicmp(file, kKeptFaxAddressFile) == 0)
        return;
    DeleteFileW(file);
}
