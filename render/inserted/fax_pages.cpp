// The fax paper of the fax information page and the texts of its information
// block.
#include "render/inserted/fax_pages.h"

#include "common/job/fax_job_lines.h"
#include "common/job/fax_send_list.h"
#include "common/model/model_section.h"

#include <cwchar>
#include <string>

namespace {

// The header line sits in the top margin of the fax paper, clear of the
// cover sheet's title row.
constexpr uint16_t kHeaderLineX = 100;
constexpr uint16_t kHeaderLineY = 150;
constexpr uint16_t kHeaderLineSize = 90;
// Line selectors of a recipient record.
constexpr uint16_t kFirstPrefix = 2;
constexpr uint16_t kSecondPrefix = 1;
// bTables takes the low bit of each cover-sheet block.
constexpr uint16_t kBlockTableBits = (1u << kCoverBlockCount) - 1;

// A UTF-16 text kept in a field of `bytes` bytes, up to its terminator.
std::wstring FieldText(const void* field, size_t bytes)
{
    const auto* units = static_cast<const wchar_t*>(field);
    return std::wstring(units, wcsnlen(units, bytes / sizeof(wchar_t)));
}

}  // namespace

int GetFaxPageRecord(const PaperSection* faxPaper, FaxPageRecord* out)
{
    if (!faxPaper || !out)
        return -1;
    FaxPageRecord r = {};
    r.paperKind = kFaxPaperKind;
    r.width = static_cast<int16_t>(faxPaper->size.x);
    r.height = static_cast<int16_t>(faxPaper->size.y);
    r.printableWidth = static_cast<int16_t>(faxPaper->area.x);
    r.printableHeight = static_cast<int16_t>(faxPaper->area.y);
    r.leftOffset = static_cast<int16_t>((r.width - r.printableWidth + 1) / 2);
    r.topOffset = static_cast<int16_t>((r.height - r.printableHeight + 1) / 2);
    r.flagA = r.flagB = -1;
    r.margin1X = faxPaper->margin1.x;
    r.margin1Y = faxPaper->margin1.y;
    r.margin2X = faxPaper->margin2.x;
    r.margin2Y = faxPaper->margin2.y;
    *out = r;
    return 0;
}

// The information block is the cover sheet of the destination: the front end
// lays its preview out from the same records (recipient, the send list's two
// texts, the job information), so the page the device sends and the preview
// the user saw agree. Which record field feeds which cover-sheet field is this
// driver's choice: the recipient's name (field 7) and company (field 5) with
// its number; the sender's name, address, telephone, fax and e-mail from
// settings 1820-1823 and 1876; subject and message from the send list's
// header texts; the title from setting 1806, the honorifics from 1807 and
// 1808 and the alternative tables from 1809.
CoverSheetItem* LayOutFaxInformation(const FaxJobInformation& information, const FaxDiallingRecord& dialling,
                                     const FaxSendListHeader* listHeader, const FaxRecipientRecord& recipient,
                                     int x350, uint32_t* count)
{
    const std::wstring title = FieldText(information.text1806, sizeof information.text1806);
    const std::wstring name = FieldText(recipient.field7, sizeof recipient.field7);
    const std::wstring company = FieldText(recipient.field5, sizeof recipient.field5);
    const std::wstring number = FieldText(recipient.destination, sizeof recipient.destination);
    const std::wstring sender[] = {
        FieldText(information.text1820, sizeof information.text1820),
        FieldText(information.text1821, sizeof information.text1821),
        FieldText(information.text1822, sizeof information.text1822),
        FieldText(information.text1823, sizeof information.text1823),
        FieldText(information.text1876, sizeof information.text1876),
    };
    std::wstring subject, message;
    if (listHeader) {
        subject = FieldText(listHeader->headerText1, sizeof listHeader->headerText1);
        message = FieldText(listHeader->headerText2, sizeof listHeader->headerText2);
    }
    CoverSheetData data = {};
    data.title = title.c_str();
    SetCoverSheetFields(&data, {name.c_str(), company.c_str(), number.c_str(),
                                {sender[0].c_str(), sender[1].c_str(), sender[2].c_str(), sender[3].c_str(),
                                 sender[4].c_str()},
                                subject.c_str(), message.c_str()});
    data.nameHonorific = information.value1807;
    data.companyHonorific = information.value1808;
    data.bTables = information.value1809 & kBlockTableBits;
    uint32_t filled = 0;
    CoverSheetItem* items = BuildCoverSheetLayout(&data, x350, &filled);
    if (items && dialling.setting4111 != 0 && filled < kCoverSheetMaxItems && !number.empty()) {
        // The transmission header line: the line prefix the recipient's line
        // selector chooses, then the number dialled.
        const wchar_t* prefix = recipient.lineSelector == kFirstPrefix    ? dialling.firstPrefix
                                : recipient.lineSelector == kSecondPrefix ? dialling.secondPrefix
                                                                          : nullptr;
        std::wstring line = prefix ? std::wstring(prefix) : std::wstring();
        if (!line.empty())
            line += L' ';
        line += number;
        CoverSheetItem& item = items[filled++];
        item.x = kHeaderLineX;
        item.y = kHeaderLineY;
        item.fontSize = kHeaderLineSize;
        item.itemFlag = 1;
        const size_t n = line.size() < kCoverItemTextChars - 1 ? line.size() : kCoverItemTextChars - 1;
        wmemcpy(item.text, line.c_str(), n);
        item.text[n] = L'\0';
    }
    if (count)
        *count = items ? filled : 0;
    return items;
}
