// The fax send list copy and the fax paper.
#include "render/inserted/fax_pages.h"

#include "common/model/model_section.h"
#include "common/store/settings_blobs.h"

#include <windows.h>

#include <cstring>

int KeepFaxSendList(FaxSendListCopy* copy, const uint8_t* data, uint32_t size)
{
    if (!copy || !data)
        return -1;
    // The escape's length must be the list's own: a short list would be read
    // past its end, a long one hides what else came with it.
    if (FaxSendListSize(data, size) != size)
        return -1;
    auto* block = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
    if (!block)
        return -1;
    std::memcpy(block, data, size);
    FreeFaxSendListCopy(copy);
    copy->list = block;
    copy->size = size;
    return 0;
}

int GetFaxSendListEntry(const FaxSendListCopy* copy, uint32_t n, uint8_t* out)
{
    if (!copy || !copy->list || !out)
        return -1;
    uint16_t count;
    std::memcpy(&count, copy->list + kFaxSendListCountOffset, sizeof count);
    const uint64_t offset = kFaxSendListHeaderBytes + static_cast<uint64_t>(n) * kFaxRecipientBytes;
    if (n >= count || offset + kFaxRecipientBytes > copy->size)
        return -1;
    std::memcpy(out, copy->list + offset, kFaxRecipientBytes);
    return 0;
}

void FreeFaxSendListCopy(FaxSendListCopy* copy)
{
    if (!copy)
        return;
    if (copy->list)
        GlobalFree(copy->list);
    copy->list = nullptr;
    copy->size = 0;
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
