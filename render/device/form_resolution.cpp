#include "render/device/form_resolution.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/context/user_paper_limits.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "common/records/effective_values.h"
#include "common/settings/function_ids.h"
#include "common/store/paper_margins.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/device/spooler_form_lookup.h"

#include <algorithm>
#include <iterator>
#include <cwchar>

namespace {

constexpr uint16_t kFreeCustomPaper = 256;
constexpr uint16_t kFirstUserPaper = 262;

// Lengths in tenths of a millimetre while a form is being found.
struct PaperChoice {
    const wchar_t* name;
    int32_t width, height;
    int32_t left, top, right, bottom;  // margins
    bool fromSpoolerForms;
    ModelSection* modelPaper;
    uint16_t number;    // of the model paper
    bool modelDefault;  // taken as the model's default paper
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
    choice->number = number;
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

// A size no model paper has: the model's free custom size gives the least
// margins and the printable sizes the device can take; without it the whole
// paper is printable.
void CustomPaper(PDevRecord* pdev, int32_t width, int32_t height, PaperChoice* choice)
{
    *choice = PaperChoice{};
    choice->width = width;
    choice->height = height;
    PaperChoice custom{};
    if (!LoadModelPaper(pdev, kFreeCustomPaper, &custom))
        return;
    const PaperSection* record = AsPaper(custom.modelPaper);
    const int32_t granularity = static_cast<int32_t>(
        GetModelSectionNumber(pdev->settingsContext->main, kRawPaperSizeGranularity, 2, 0));
    PaperAxisLimits across{custom.left, custom.right, 0, 0, granularity};
    PaperAxisLimits down{custom.top, custom.bottom, 0, 0, granularity};
    if (record) {
        across.minPrintable = record->minUser.x;
        across.maxPrintable = record->maxUser.x;
        down.minPrintable = record->minUser.y;
        down.maxPrintable = record->maxUser.y;
    }
    FitCustomPaperAxis(width, across, &choice->left, &choice->right);
    FitCustomPaperAxis(height, down, &choice->top, &choice->bottom);
    FreeItemFeature(custom.modelPaper);
}

// The user-size limits of the model's first user paper (of its free custom
// size when it has no user papers); a model with neither takes no size of its own.
bool WithinUserSizeLimits(PDevRecord* pdev, int32_t width, int32_t height)
{
    uint16_t minWidth = 0, minLength = 0, maxWidth = 0, maxLength = 0;
    if (!GetUserPaperSizeLimits(pdev->settingsContext, kFirstUserPaper, &minWidth, &minLength, &maxWidth, &maxLength) &&
        !GetUserPaperSizeLimits(pdev->settingsContext, kFreeCustomPaper, &minWidth, &minLength, &maxWidth,
                                &maxLength))
        return false;
    return width >= minWidth && width <= maxWidth && height >= minLength && height <= maxLength;
}

// The model's default paper as the paper region makes it now; 0 when the
// model gives none.
uint16_t ModelDefaultPaper(PDevRecord* pdev)
{
    uint64_t value = 0;
    uint16_t type = 0, status = 0;
    if (!pdev->settingsContext || !GetModelDefault(pdev->settingsContext, kFidPaperSize, &value, &type, &status))
        return 0;
    return static_cast<uint16_t>(value);
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
        // dmPaperWidth and dmPaperLength are signed: a negative size read as
        // unsigned would be a paper of six metres.
        const int32_t width = static_cast<int16_t>(GetPdevSettingWord(pdev, kFidPaperWidth));
        const int32_t height = static_cast<int16_t>(GetPdevSettingWord(pdev, kFidPaperLength));
        if (width > 0 && height > 0) {
            OptionRequest request{};
            request.width = static_cast<uint16_t>(width);
            request.height = static_cast<uint16_t>(height);
            if (FindModelPaper(pdev, kPaperBySize, request, choice))
                return true;
            // A size of its own only within what the model lets a user define;
            // any other falls to the paper number or the model's default.
            if (WithinUserSizeLimits(pdev, width, height)) {
                CustomPaper(pdev, width, height, choice);
                return true;
            }
        }
    }
    if ((fields & DM_PAPERSIZE) && LoadModelPaper(pdev, GetPdevSettingWord(pdev, kFidPaperSize), choice))
        return true;
    const uint16_t fallback = ModelDefaultPaper(pdev);
    if (fallback == 0 || !LoadModelPaper(pdev, fallback, choice))
        return false;
    choice->modelDefault = true;
    return true;
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
    form->paperNumber = choice.modelPaper ? choice.number : 0;
    form->fromModelDefault = choice.modelDefault;
}

// The margins of the last-page paper that the interface library put in the
// trailer stand in for the model's when that paper is the one asked for.
void TakeTrailerMargins(PDevRecord* pdev, PaperChoice* choice)
{
    const uint16_t paper = pdev->marginOverride[0];
    if (paper == 0 || paper != GetPdevSettingWord(pdev, kFidPaperSize) ||
        GetEffectiveValue(pdev->settings, pdev->printerSettings, kFidTrailerMargins) != 1)
        return;
    // The trailer holds them in the order of the page's orientation; the
    // paper is chosen upright, so a landscape page's margins are turned back
    // through the stored order.
    uint32_t margins[4] = {pdev->marginOverride[2], pdev->marginOverride[3], pdev->marginOverride[4],
                           pdev->marginOverride[5]};
    if (GetPdevSettingWord(pdev, kFidOrientation) == DMORIENT_LANDSCAPE) {
        PaperMarginRecord stored{};
        uint32_t upright[4] = {};
        if (RotateMargins(kMarginsToStored, kOrientationLandscape, &stored, margins) != kMarginOk ||
            RotateMargins(kMarginsFromStored, kOrientationPortrait, &stored, upright) != kMarginOk)
            return;
        std::copy(std::begin(upright), std::end(upright), margins);
    }
    // They come from the caller's DEVMODE: the printable area stays on the
    // paper, at least one tenth of a millimetre each way.
    const auto clampPair = [](uint32_t first, uint32_t second, int32_t paper, int32_t* low, int32_t* high) {
        const int64_t room = std::max<int64_t>(int64_t{paper} - 1, 0);
        const int64_t a = std::min<int64_t>(first, room);
        *low = static_cast<int32_t>(a);
        *high = static_cast<int32_t>(std::min<int64_t>(second, room - a));
    };
    clampPair(margins[0], margins[2], choice->width, &choice->left, &choice->right);
    clampPair(margins[1], margins[3], choice->height, &choice->top, &choice->bottom);
}

} // namespace

void FitCustomPaperAxis(int32_t paper, const PaperAxisLimits& limits, int32_t* first, int32_t* second)
{
    int32_t low = std::max(limits.firstMargin, 0), high = std::max(limits.secondMargin, 0);
    const int32_t most = limits.maxPrintable;
    if (most > 0 && int64_t(most) + low + high < paper) {
        low = (paper - most + 1) / 2;
        high = paper - most - low;
    }
    if (limits.granularity > 1)
        high += paper % limits.granularity;
    // The printable size stays within the device's limits and on the paper:
    // a paper smaller than the least printable size is printable whole.
    int32_t printable = paper - low - high;
    if (most > 0 && printable > most)
        printable = most;
    if (printable < limits.minPrintable)
        printable = limits.minPrintable;
    printable = std::clamp(printable, 0, std::max(paper, 0));
    high = paper - low - printable;
    if (high < 0) {
        low = std::max(paper - printable, 0);
        high = 0;
    }
    *first = low;
    *second = high;
}

int ResolveOutputFormAgain(PDevRecord* pdev)
{
    FormRecord& output = pdev->outputForm;
    if (!output.fromModelDefault)
        return 0;
    const uint16_t fresh = ModelDefaultPaper(pdev);
    if (fresh == output.paperNumber)
        return 0;
    PaperChoice choice{};
    if (fresh == 0 || !LoadModelPaper(pdev, fresh, &choice))
        return -1;
    choice.modelDefault = true;
    if (output.modelPaper && output.modelPaper != pdev->requestedForm.modelPaper)
        FreeItemFeature(output.modelPaper);
    FillForm(pdev, choice, &output);
    return 0;
}

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

PrintableTenths FormPrintableTenths(const FormRecord& form, const uint16_t* group)
{
    const FormTenths t = FormInTenths(form);
    if (!group || group[0] == 0)
        return {t.right - t.left, t.bottom - t.top};
    const int32_t across = int32_t{group[2]} + group[4], down = int32_t{group[3]} + group[5];
    const int32_t width = t.width - (form.rotated ? down : across);
    const int32_t height = t.height - (form.rotated ? across : down);
    return {std::max(width, 0), std::max(height, 0)};
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
