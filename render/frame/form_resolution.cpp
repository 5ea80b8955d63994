#include "render/frame/form_resolution.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/model/model_kinds.h"
#include "common/records/effective_values.h"
#include "common/settings/function_ids.h"
#include "render/frame/frame_ids.h"
#include "render/frame/pdev_record.h"
#include "render/frame/spooler_form_lookup.h"

#include <cwchar>

namespace {

// Lengths in tenths of a millimetre while a form is being found.
struct PaperChoice {
    const wchar_t* name;
    int32_t width, height;
    int32_t left, top, right, bottom;  // margins
    bool fromSpoolerForms;
    ModelSection* modelPaper;
};

bool LoadModelPaper(PDevRecord* pdev, uint16_t number, PaperChoice* choice)
{
    uint64_t holder = number;
    uint16_t status = 0;
    ModelSection* paper = GetOptionTargetForValue(pdev->settingsContext, kFidPaperSize, &holder, &status);
    ModelSizePair size, first, second;
    if (!paper || GetPaperSizeField(paper, &size) != 0 || GetPaperMarginFields(paper, &first, &second) != 0) {
        if (paper)
            FreeItemFeature(paper);
        return false;
    }
    choice->name = GetSectionDisplayName(paper);
    choice->width = size.x;
    choice->height = size.y;
    choice->left = first.x;
    choice->top = first.y;
    choice->right = second.x;
    choice->bottom = second.y;
    choice->modelPaper = paper;
    return true;
}

bool FindModelPaper(PDevRecord* pdev, int mode, OptionRequest request, PaperChoice* choice)
{
    uint16_t status = 0;
    wchar_t* own = request.name;
    const BOOL found = FindPaperOption(pdev->settingsContext, kFidPaperSize, mode, &request, &status);
    const uint16_t number = request.number;
    if (request.name != own)
        FreeOptionRequestName(&request);
    if (own)
        GlobalFree(own);
    return found && LoadModelPaper(pdev, number, choice);
}

// The spooler's form of that name: its size and imageable area.
bool FindSpoolerForm(PDevRecord* pdev, const wchar_t* name, PaperChoice* choice)
{
    FormSizeTenths size{};
    if (GetSpoolerFormSize(pdev->printer, name, 0, &size) != kFormFound || size.width <= 0 || size.height <= 0)
        return false;
    *choice = PaperChoice{};
    choice->width = size.width;
    choice->height = size.height;
    choice->left = size.left;
    choice->top = size.top;
    choice->right = size.width - size.right;
    choice->bottom = size.height - size.bottom;
    choice->fromSpoolerForms = true;
    return true;
}

// A size no model paper has: the margins of the model's free custom size when
// it has one, else none.
void CustomPaper(PDevRecord* pdev, int32_t width, int32_t height, PaperChoice* choice)
{
    PaperChoice custom{};
    if (LoadModelPaper(pdev, 256, &custom)) {
        choice->left = custom.left;
        choice->top = custom.top;
        choice->right = custom.right;
        choice->bottom = custom.bottom;
        FreeItemFeature(custom.modelPaper);
    }
    choice->name = nullptr;
    choice->width = width;
    choice->height = height;
}

bool ChooseRequestedPaper(PDevRecord* pdev, uint32_t fields, PaperChoice* choice)
{
    if (fields & DM_FORMNAME) {
        const wchar_t* name = GetPdevSettingString(pdev, kFidFormName);
        if (name && *name) {
            PaperChoice spooler{};
            const bool inSpooler = FindSpoolerForm(pdev, name, &spooler);
            OptionRequest byName{};
            byName.name = static_cast<wchar_t*>(GlobalAlloc(GPTR, (wcslen(name) + 1) * sizeof(wchar_t)));
            if (byName.name) {
                wcscpy(byName.name, name);
                if (FindModelPaper(pdev, kPaperByName, byName, choice))
                    return true;
            }
            if (inSpooler) {
                *choice = spooler;
                return true;
            }
        }
    }
    if (fields & (DM_PAPERLENGTH | DM_PAPERWIDTH)) {
        OptionRequest request{};
        request.width = GetPdevSettingWord(pdev, kFidPaperWidth);
        request.height = GetPdevSettingWord(pdev, kFidPaperLength);
        if (request.width && request.height) {
            if (FindModelPaper(pdev, kPaperBySize, request, choice))
                return true;
            CustomPaper(pdev, request.width, request.height, choice);
            return true;
        }
    }
    if ((fields & DM_PAPERSIZE) && LoadModelPaper(pdev, GetPdevSettingWord(pdev, kFidPaperSize), choice))
        return true;
    uint64_t value = 0;
    uint16_t type = 0, status = 0;
    if (GetModelDefault(pdev->settingsContext, kFidPaperSize, &value, &type, &status) &&
        LoadModelPaper(pdev, static_cast<uint16_t>(value), choice))
        return true;
    return false;
}

void FillForm(PDevRecord* pdev, const PaperChoice& choice, FormRecord* form)
{
    *form = FormRecord{};
    if (choice.name)
        wcsncpy(form->name, choice.name, std::size(form->name) - 1);
    int32_t left = choice.left, top = choice.top, right = choice.right, bottom = choice.bottom;
    if (GetEffectiveValue(pdev->settings, pdev->printerSettings, kFidNoMargins) == 1)
        left = top = right = bottom = 0;
    form->paperWidth = form->pageWidth = TenthsToFormUnits(choice.width);
    form->paperHeight = form->pageHeight = TenthsToFormUnits(choice.height);
    form->left = TenthsToFormUnits(left);
    form->top = TenthsToFormUnits(top);
    form->right = TenthsToFormUnits(choice.width - right);
    form->bottom = TenthsToFormUnits(choice.height - bottom);
    form->fromSpoolerForms = choice.fromSpoolerForms;
    form->modelPaper = choice.modelPaper;
}

// The margins of the last-page paper that the interface library put in the
// trailer stand in for the model's when that paper is the one asked for.
void TakeTrailerMargins(PDevRecord* pdev, PaperChoice* choice)
{
    const uint16_t paper = pdev->marginOverride[0];
    if (paper == 0 || paper != GetPdevSettingWord(pdev, kFidPaperSize) ||
        GetEffectiveValue(pdev->settings, pdev->printerSettings, kFidTrailerMargins) != 1)
        return;
    choice->left = pdev->marginOverride[2];
    choice->top = pdev->marginOverride[3];
    choice->right = pdev->marginOverride[4];
    choice->bottom = pdev->marginOverride[5];
}

} // namespace

int32_t TenthsToFormUnits(int32_t tenths)
{
    return static_cast<int32_t>(int64_t(tenths) * 100 * 18432 / 25400);
}

int32_t FormUnitsToTenths(int32_t units)
{
    const int64_t micrometres = int64_t(units) * 25400 / 18432;
    return static_cast<int32_t>((micrometres + 50) / 100);
}

FormTenths FormInTenths(const FormRecord& form)
{
    return {FormUnitsToTenths(form.pageWidth), FormUnitsToTenths(form.pageHeight), FormUnitsToTenths(form.left),
            FormUnitsToTenths(form.top),       FormUnitsToTenths(form.right),      FormUnitsToTenths(form.bottom)};
}

void RotateFormToLandscape(FormRecord* form)
{
    const int32_t width = form->pageWidth;
    const int32_t left = form->left, top = form->top, right = form->right, bottom = form->bottom;
    form->left = top;
    form->top = width - right;
    form->right = bottom;
    form->bottom = width - left;
    form->pageWidth = form->pageHeight;
    form->pageHeight = width;
    form->rotated = 1;
}

int ResolvePdevForms(PDevRecord* pdev)
{
    const uint32_t fields = GetPdevSettingDword(pdev, kFidFields);
    PaperChoice requested{};
    if (!ChooseRequestedPaper(pdev, fields, &requested))
        return -1;
    TakeTrailerMargins(pdev, &requested);
    FillForm(pdev, requested, &pdev->requestedForm);

    const uint32_t selection = GetPdevSettingWord(pdev, kFidOutputPaper);
    PaperChoice output{};
    if (selection != 0 && selection != kSamePaperAsRequested && LoadModelPaper(pdev, uint16_t(selection), &output)) {
        FillForm(pdev, output, &pdev->outputForm);
    } else {
        pdev->outputForm = pdev->requestedForm;
        pdev->outputForm.modelPaper = nullptr;  // owned by the requested form
    }
    if ((fields & DM_ORIENTATION) && GetPdevSettingWord(pdev, kFidOrientation) == DMORIENT_LANDSCAPE)
        RotateFormToLandscape(&pdev->requestedForm);
    return 0;
}
