// The document-name label.
#include "render/inserted/document_label.h"

#include "common/system/code_pages.h"

#include <cwchar>

namespace {

constexpr int kMaxLabelBytes = 255;
constexpr uint8_t kLabelKindPlain = 0;

}  // namespace

std::wstring DocumentLabelName(const wchar_t* path)
{
    if (!path)
        return {};
    const wchar_t* start = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/' || *p == L':')
            start = p + 1;
    std::wstring name(start);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos)
        name.resize(dot);
    // Whole characters come off the end until the ANSI form fits.
    while (!name.empty() && WideToMultiByte(0, name.c_str(), nullptr, 0) - 1 > kMaxLabelBytes)
        name.pop_back();
    return name;
}

int WriteDocumentLabel(CommandLayer* layer, const wchar_t* documentPath)
{
    const std::wstring name = DocumentLabelName(documentPath);
    if (name.empty())
        return 0;
    const float unit[6] = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    return EmitPageLabel(layer, name.c_str(), unit, kLabelKindPlain, 0, 0.0f, 0.0f);
}
