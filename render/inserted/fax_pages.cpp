// Fax send list entries and the fax paper.
#include "render/inserted/fax_pages.h"

#include "common/model/model_section.h"
#include "common/store/settings_blobs.h"

#include <windows.h>

#include <cstring>

int GetFaxSendListEntry(const uint8_t* list, uint32_t length, uint32_t n, uint8_t* out)
{
    if (!list || !out || FaxSendListSize(list, length) == 0)
        return -1;
    uint16_t count;
    std::memcpy(&count, list + kFaxSendListCountOffset, sizeof count);
    const uint64_t offset = kFaxSendListHeaderBytes + static_cast<uint64_t>(n) * kFaxRecipientBytes;
    if (n >= count || offset + kFaxRecipientBytes > length)
        return -1;
    std::memcpy(out, list + offset, kFaxRecipientBytes);
    return 0;
}

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
