#include "ui/entry/model_forms.h"

#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/model/model_section.h"
#include "common/settings/paper_codes.h"
#include "common/system/module_files.h"

#include <winspool.h>

namespace {

// Model sizes are tenths of a millimetre; forms are thousandths.
constexpr LONG kThousandthsPerTenth = 100;
// A user-defined size has no fixed size of its own: its form starts as A4.
constexpr SIZEL kUserFormSize = {210000, 297000};
constexpr DWORD kFormNameChars = 64;

bool FormExists(HANDLE printer, const wchar_t* name)
{
    DWORD needed = 0;
    GetFormW(printer, const_cast<wchar_t*>(name), 1, nullptr, 0, &needed);
    return needed != 0;
}

}  // namespace

BOOL AddModelForms(HANDLE printer, SettingsContext* context)
{
    BOOL result = TRUE;
    for (uint16_t position = 1;; ++position) {
        SectionHolder holder;
        if (LoadModelTable(false, context->main, context->linked, kKindPaper, position, holder.out()) != kModelOk)
            break;
        const PaperSection* paper = AsPaper(holder.section);
        if (!paper || paper->id == kFreeCustomPaperCode)
            continue;
        wchar_t name[kFormNameChars] = {};
        FORM_INFO_1W form{};
        form.Flags = FORM_PRINTER;
        if (IsCustomPaperCode(paper->id)) {
            FormatUserDefinedName(CustomPaperIndex(paper->id), name, kFormNameChars);
            form.Size = kUserFormSize;
        } else {
            lstrcpynW(name, paper->name.c_str(), kFormNameChars);
            form.Size = {paper->size.x * kThousandthsPerTenth, paper->size.y * kThousandthsPerTenth};
        }
        if (!name[0] || FormExists(printer, name))
            continue;
        form.pName = name;
        form.ImageableArea = {paper->margin1.x * kThousandthsPerTenth, paper->margin1.y * kThousandthsPerTenth,
                              form.Size.cx - paper->margin2.x * kThousandthsPerTenth,
                              form.Size.cy - paper->margin2.y * kThousandthsPerTenth};
        if (!AddFormW(printer, 1, reinterpret_cast<BYTE*>(&form)))
            result = FALSE;
    }
    return result;
}
