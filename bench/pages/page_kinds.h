// The four kinds of pages the page benchmark prints, drawn by program so that
// no large page descriptions are kept in the repository: running text, line
// art with geometric pens, full-page photographs and pages that mix the three.
#pragma once
#include "printhost/print_job.h"

#include <string>
#include <vector>

namespace pagebench {

struct PageKind {
    const wchar_t* name;
    int pages;
    bool (*draw)(HDC dc, const GDIINFO& info, int page);
};

// text (20 pages), vector (20), photo (2), mixed (10).
const std::vector<PageKind>& PageKinds();
const PageKind* FindPageKind(const std::wstring& name);
std::vector<printhost::PageDrawer> Document(const PageKind& kind);

} // namespace pagebench
