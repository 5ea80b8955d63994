// The fax paper of the fax information page.
#include "render/inserted/fax_pages.h"

#include "common/model/model_section.h"

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
