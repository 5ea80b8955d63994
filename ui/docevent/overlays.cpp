#include "ui/docevent/overlays.h"

#include "common/context/value_by_type.h"
#include "common/job/private_escapes.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/settings/placement_transform.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/user_prompt.h"
#include "ui/docevent/dc_job_record.h"
#include "ui/docevent/job_data.h"
#include "common/job/ansi_text.h"
#include "common/model/model_value_ops.h"
#include "common/context/settings_context.h"
#include "common/settings/capability_bits.h"
#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kFailed = -1;
constexpr int kDone = 1;

constexpr uint16_t kFidWatermarkText = 299;
constexpr uint16_t kFidWatermarkColour = 301;
constexpr uint16_t kFidWatermarkFrame = 302;
constexpr uint16_t kFidWatermarkPlacement = 303;
constexpr uint16_t kFidWatermarkFont = 304;
constexpr uint16_t kFidWatermarkOnPageFrame = 1288;
constexpr uint16_t kFidDotsPerInch = 20;
constexpr uint16_t kFidLayoutKind = 321;
constexpr uint16_t kFidFeedOrientation = 295;
constexpr uint16_t kFidAnnotationFont = 357;
constexpr uint16_t kFidAnnotationColour = 373;
constexpr uint16_t kFidAnnotationItemFirst = 1296;   // 1296-1301: which texts print
constexpr uint32_t kLayoutBooklet = 2;

constexpr UINT kStringJobNumberFormat = 5145;
constexpr int kJobNumberFormatChars = 11;   // at most 10 characters and the terminator
constexpr uint16_t kNotPrinted = 0xFFFF;
constexpr float kItalicSlope = 0.2679492f;  // tan 15 degrees

constexpr uint32_t kBracketOpen = 1;
constexpr uint32_t kBracketClose = 0;

int RawEscape(HDC hdc, uint32_t code, uint32_t inSize, const void* in, uint32_t outSize, void* out)
{
    return ExtEscape(hdc, static_cast<int>(code), static_cast<int>(inSize), static_cast<LPCSTR>(in),
                     static_cast<int>(outSize), static_cast<LPSTR>(out));
}

// The brackets and the extra-page flag answer a u32 the caller has room for.
bool EscapeWithAnswer(HDC hdc, uint32_t code, uint32_t value)
{
    uint32_t answer = 0;
    return RawEscape(hdc, code, sizeof(value), &value, sizeof(answer), &answer) >= 1;
}

bool QueryOverlays(HDC hdc, uint32_t mode, OverlayAnswer* answer)
{
    *answer = {};
    return RawEscape(hdc, kEscQueryOverlays, sizeof(mode), &mode, sizeof(*answer), answer) >= 1;
}

// The document's settings as the graphics library holds them now, with the
// printer-wide settings of the DC's record (zeros without one).
struct OverlaySettings {
    std::vector<uint8_t> settings = std::vector<uint8_t>(kSettingsRecordSize);
    std::vector<uint8_t> printer = std::vector<uint8_t>(kPrinterSettingsRecordSize);

    uint32_t Number(uint16_t id) { return SettingNumberOr(id, settings.data(), printer.data(), 0); }
    const wchar_t* Text(uint16_t id)
    {
        const uint64_t at = GetFunctionIdValuePointer(settings.data(), printer.data(), id, kTypeString);
        return at ? reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(at)) : L"";
    }
    LOGFONTW Font(uint16_t id)
    {
        LOGFONTW font{};
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(id, settings.data(), printer.data(), &type, &size, &holder) == 0 &&
            type == kTypeLogFont && holder)
            std::memcpy(&font, reinterpret_cast<const void*>(static_cast<uintptr_t>(holder)), sizeof(font));
        return font;
    }
};

bool ReadOverlaySettings(HANDLE printer, HDC hdc, OverlaySettings* out)
{
    if (RawEscape(hdc, kEscGetSettings, 0, nullptr, kSettingsRecordSize, out->settings.data()) < 1)
        return false;
    if (DcJobRecord* record = FindDcJobRecord(printer))
        std::memcpy(out->printer.data(), record->printerSettings, kPrinterSettingsRecordSize);
    return true;
}

// The GDI objects one watermark selects, given back and deleted on every way out.
struct DrawingObjects {
    HDC hdc;
    int saved;
    HFONT font = nullptr;
    HPEN pen = nullptr;
    HGDIOBJ oldFont = nullptr;
    HGDIOBJ oldPen = nullptr;
    HGDIOBJ oldBrush = nullptr;
    ~DrawingObjects()
    {
        if (oldBrush) SelectObject(hdc, oldBrush);
        if (oldPen) SelectObject(hdc, oldPen);
        if (oldFont) SelectObject(hdc, oldFont);
        if (pen) DeleteObject(pen);
        if (font) DeleteObject(font);
        RestoreDC(hdc, saved);
    }
};

PlacementPoint Place(const PlacementTransform& transform, float x, float y, int32_t cell)
{
    const PlacementPoint point{x, y};
    PlacementPoint placed{};
    TransformPlacementPoint(&transform, &point, cell, &placed);
    return placed;
}

int Round(float value) { return static_cast<int>(std::lround(value)); }

}  // namespace

int DrawWatermark(HDC hdc, const OverlayAnswer& answer, int resolution, uint16_t placement, const LOGFONTW& font,
                  const wchar_t* text, COLORREF colour, int frameKind, bool usePageFrame)
{
    if (!hdc || !text)
        return kFailed;
    const int saved = SaveDC(hdc);
    if (!saved)
        return kFailed;
    DrawingObjects objects{hdc, saved};
    SetMapMode(hdc, MM_TEXT);
    SetTextAlign(hdc, 0);
    SetViewportOrgEx(hdc, 0, 0, nullptr);
    SetBkMode(hdc, TRANSPARENT);
    SelectClipRgn(hdc, nullptr);

    LOGFONTW device = font;
    device.lfHeight = -MulDiv(font.lfHeight, resolution, 72);
    device.lfWidth = -MulDiv(font.lfWidth, resolution, 72);
    objects.font = CreateFontIndirectW(&device);
    if (!objects.font)
        return kFailed;
    objects.oldFont = SelectObject(hdc, objects.font);

    const int length = static_cast<int>(wcslen(text));
    RECT measured{0, 0, 0, 0};
    if (!DrawTextW(hdc, text, length, &measured, DT_CALCRECT | DT_NOCLIP))
        return kFailed;
    float w = static_cast<float>(measured.right - measured.left);
    const float h = static_cast<float>(measured.bottom - measured.top);
    if (font.lfItalic)
        w += h * kItalicSlope;

    const float* rect = usePageFrame ? answer.form : answer.imageable;
    const PlacementSize area{std::fabs(rect[2] - rect[0]), std::fabs(rect[3] - rect[1])};

    float frameW = w, frameH = h, penWidth = 0;
    if (frameKind == kFrameRectangle || frameKind == kFrameCircle) {
        const float scale = font.lfWeight == FW_BOLD ? 0.07f : 0.06f;
        penWidth = static_cast<float>(static_cast<int>(MulDiv(std::abs(font.lfHeight), resolution, 72) * scale));
        objects.pen = CreatePen(PS_SOLID, static_cast<int>(penWidth), colour);
        if (!objects.pen)
            return kFailed;
        objects.oldPen = SelectObject(hdc, objects.pen);
        objects.oldBrush = SelectObject(hdc, GetStockObject(HOLLOW_BRUSH));
        if (frameKind == kFrameRectangle) {
            frameW = w * 1.2f + penWidth;
            frameH = h * 1.2f + penWidth;
        } else {
            frameW = frameH = std::sqrt(w * w + h * h) + 2 * penWidth;
        }
    } else {
        frameKind = kFrameNone;
    }
    const float offsetX = (frameW - w) / 2, offsetY = (frameH - h) / 2;

    const PlacementSize object{frameW, frameH};
    PlacementTransform transform{};
    const int cells = BuildPlacementTransform(&area, &object, static_cast<int16_t>(font.lfEscapement / 10), frameKind,
                                              placement, &transform);
    if (cells < 0)
        return kDone;
    SetROP2(hdc, R2_COPYPEN);
    SetTextColor(hdc, colour);

    const PlacementPoint first = Place(transform, offsetX, offsetY, 0);
    for (int32_t cell = 0; cell < cells; ++cell) {
        const PlacementPoint at = Place(transform, offsetX, offsetY, cell);
        int32_t sent[2] = {0, 0};
        bool send = false;
        if (placement == 0) {
            sent[0] = Round(at.x - first.x);
            sent[1] = Round(at.y - first.y);
            send = true;
        } else if (!usePageFrame) {
            sent[0] = Round(first.x);
            sent[1] = Round(first.y);
            send = true;
        }
        if (send && RawEscape(hdc, kEscWatermarkFrame, sizeof(sent), sent, 0, nullptr) < 1)
            return kFailed;
        const float shiftX = usePageFrame ? 0.0f : static_cast<float>(sent[0]);
        const float shiftY = usePageFrame ? 0.0f : static_cast<float>(sent[1]);
        if (!TextOutW(hdc, Round(at.x - shiftX), Round(at.y - shiftY), text, length))
            return kFailed;
        if (frameKind == kFrameRectangle) {
            const float inset = penWidth / 2;
            const float corners[4][2] = {{inset, inset}, {frameW - inset, inset}, {frameW - inset, frameH - inset},
                                         {inset, frameH - inset}};
            POINT outline[4];
            for (int i = 0; i < 4; ++i) {
                const PlacementPoint p = Place(transform, corners[i][0], corners[i][1], cell);
                outline[i] = {Round(p.x - shiftX), Round(p.y - shiftY)};
            }
            if (!Polygon(hdc, outline, 4))
                return kFailed;
        } else if (frameKind == kFrameCircle) {
            const PlacementPoint centre = Place(transform, frameW / 2, frameH / 2, cell);
            const float radius = frameW / 2 - penWidth / 2;
            if (!Ellipse(hdc, Round(centre.x - shiftX - radius), Round(centre.y - shiftY - radius),
                         Round(centre.x - shiftX + radius), Round(centre.y - shiftY + radius)))
                return kFailed;
        }
    }
    return kDone;
}

namespace {

int DrawWatermarkOverlay(HDC hdc, OverlaySettings& settings, const OverlayAnswer& answer)
{
    int result = kFailed;
    if (EscapeWithAnswer(hdc, kEscWatermarkBracket, kBracketOpen)) {
        const bool onPageFrame = settings.Number(kFidWatermarkOnPageFrame) != 0;
        const uint16_t placement =
            onPageFrame ? 0 : static_cast<uint16_t>(settings.Number(kFidWatermarkPlacement));
        result = DrawWatermark(hdc, answer, static_cast<int>(settings.Number(kFidDotsPerInch)), placement,
                               settings.Font(kFidWatermarkFont), settings.Text(kFidWatermarkText),
                               settings.Number(kFidWatermarkColour),
                               static_cast<int>(settings.Number(kFidWatermarkFrame)), !onPageFrame);
    }
    EscapeWithAnswer(hdc, kEscWatermarkBracket, kBracketClose);
    return result;
}

// The spooler's level-1 record of the DC's job; empty without one.
std::vector<uint8_t> SpoolerJob(HANDLE printer, HDC hdc)
{
    uint32_t id = 0;
    if (RawEscape(hdc, kEscGetJobId, 0, nullptr, sizeof(id), &id) < 1 || id == 0)
        return {};
    DWORD needed = 0;
    if (GetJobW(printer, id, 1, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return {};
    std::vector<uint8_t> job(needed);
    if (!GetJobW(printer, id, 1, job.data(), needed, &needed))
        return {};
    return job;
}

// The annotation record of the DC's own record with its job number brought
// up to date; without one, built from the spooler's record of the job. 0 when
// there is neither.
int RebuildAnnotationRecord(HANDLE printer, HDC hdc, OverlaySettings& settings, AnnotationRecord* out)
{
    DcJobRecord* record = FindDcJobRecord(printer);
    if (!record)
        return 0;
    uint32_t number = 0;
    const bool numbered = RawEscape(hdc, kEscGetJobNumber, 0, nullptr, sizeof(number), &number) >= 1;
    if (record->annotation.present & 0xFF) {
        if (numbered)
            record->annotation.jobNumber = static_cast<uint16_t>(number);
        *out = record->annotation;
        return 1;
    }
    const std::vector<uint8_t> block = SpoolerJob(printer, hdc);
    if (block.empty())
        return 0;
    const auto* job = reinterpret_cast<const JOB_INFO_1W*>(block.data());
    AnnotationJobFacts facts{job->pUserName, job->pMachineName, job->pDocument, job->Submitted,
                             numbered ? number : 0};
    std::vector<uint8_t> printerSettings(kPrinterSettingsRecordSize);
    const bool havePrinter = RawEscape(hdc, kEscGetPrinterSettings, 0, nullptr, kPrinterSettingsRecordSize,
                                       printerSettings.data()) >= 1;
    CapabilityBits bits{};
    const uint32_t capabilities = record->context && record->context->main &&
                                          GetModelCapabilityBits(record->context->main, &bits)
                                      ? bits.words[0]
                                      : 0;
    BuildAnnotationFromJob(facts, settings.settings.data(), havePrinter ? printerSettings.data() : nullptr,
                           capabilities, &record->annotation);
    *out = record->annotation;
    return 1;
}

template <size_t N>
std::wstring Field(const wchar_t (&field)[N])
{
    return std::wstring(field, wcsnlen(field, N));
}

int DrawAnnotationText(HANDLE printer, HDC hdc, OverlaySettings& settings, OverlayAnswer answer, uint32_t mode)
{
    AnnotationRecord record{};
    if (RawEscape(hdc, kEscGetAnnotationData, 0, nullptr, sizeof(record), &record) < 1) {
        record = {};
        if (!RebuildAnnotationRecord(printer, hdc, settings, &record)) {
            EscapeWithAnswer(hdc, kEscAnnotationBracket, kBracketClose);
            return kFailed;
        }
    }
    if (!(record.present & 0xFF))
        return kDone;
    if (!EscapeWithAnswer(hdc, kEscAnnotationBracket, kBracketOpen))
        return kFailed;

    const COLORREF colour = settings.Number(kFidAnnotationColour);
    const int resolution = static_cast<int>(settings.Number(kFidDotsPerInch));
    const LOGFONTW font = settings.Font(kFidAnnotationFont);
    wchar_t format[kJobNumberFormatChars] = {};
    LoadPromptText(GetResourceModule(), kStringJobNumberFormat, L"%d", format, kJobNumberFormatChars);
    const bool booklet = settings.Number(kFidLayoutKind) == kLayoutBooklet;
    const bool perItemAnswer = booklet && settings.Number(kFidFeedOrientation) != 1;
    // The whole-sheet frame of a booklet in its first feed orientation asks a
    // model capability this library does not read; such annotations keep to
    // the printable area.
    const bool onPageFrame = false;

    wchar_t number[16];
    swprintf(number, 16, format, static_cast<int>(record.jobNumber));
    std::wstring texts[6] = {Field(record.userName), Field(record.ownerText), Field(record.documentName),
                             number, Field(record.date), Field(record.time)};
    // The graphics library answers the code of an item whose option is off
    // as 0, which would tile its empty text over the page: such an item is
    // not printed, whatever its code reads.
    uint16_t placements[6];
    for (uint16_t item = 0; item < 6; ++item)
        placements[item] = settings.Number(static_cast<uint16_t>(kFidAnnotationItemFirst + item)) == 1
                               ? record.placement[item]
                               : kNotPrinted;

    int result = kDone;
    bool drawn = false;
    for (int item = 0; item < 6; ++item) {
        if (placements[item] == kNotPrinted)
            continue;
        std::wstring text = texts[item];
        for (int later = item + 1; later < 6; ++later) {
            if (placements[later] == placements[item]) {
                text += L" : " + texts[later];
                placements[later] = kNotPrinted;
            }
        }
        if (perItemAnswer && !QueryOverlays(hdc, mode, &answer))
            break;
        result = DrawWatermark(hdc, answer, resolution, placements[item], font, text.c_str(), colour, kFrameNone,
                               onPageFrame);
        drawn = true;
        if (result == kFailed)
            break;
    }
    EscapeWithAnswer(hdc, kEscAnnotationBracket, kBracketClose);
    return drawn ? result : kFailed;
}

}  // namespace

namespace {

constexpr uint16_t kFidAnnotationPlaceFirst = 351;  // 351-356
constexpr uint16_t kFidAccountMode = 5163;
constexpr uint16_t kFidPopupAdmin = 5164;
constexpr uint16_t kFidPopupUser = 5165;
constexpr uint16_t kFidPopupName = 5174;
constexpr uint16_t kFidUserIdKind = 5178;
constexpr uint16_t kFidUserId = 5150;
constexpr uint16_t kFidAdminIdKind = 5127;
constexpr uint16_t kFidAdminId = 5121;
constexpr uint32_t kIdKindGiven = 7;
constexpr uint32_t kCapabilityAccountModes = 0x2000000;
constexpr uint32_t kUserNameBytes = 63;
constexpr uint32_t kOwnerTextBytes = 31;

std::wstring TextOf(void* settings, void* printer, uint16_t id)
{
    const uint64_t at = GetFunctionIdValuePointer(settings, printer, id, kTypeString);
    return at ? reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(at)) : L"";
}

std::wstring OwnerText(const AnnotationJobFacts& job, void* settings, void* printer, uint32_t capabilities)
{
    const std::wstring user = job.userName ? job.userName : L"";
    auto number = [&](uint16_t id) { return SettingNumberOr(id, settings, printer, 0); };
    const uint32_t mode = number(kFidAccountMode);
    if (capabilities & kCapabilityAccountModes) {
        std::wstring chosen;
        if (mode != 0)
            chosen = number(kFidPopupUser) == 1           ? TextOf(settings, printer, kFidPopupName)
                     : number(kFidUserIdKind) == kIdKindGiven ? TextOf(settings, printer, kFidUserId)
                                                            : user;
        else
            chosen = number(kFidPopupAdmin) == 1            ? TextOf(settings, printer, kFidPopupName)
                     : number(kFidAdminIdKind) == kIdKindGiven ? TextOf(settings, printer, kFidAdminId)
                                                             : user;
        return chosen.empty() ? user : chosen;
    }
    const uint16_t kind = mode == 0 ? kFidAdminIdKind : kFidUserIdKind;
    const std::wstring given = TextOf(settings, printer, mode == 0 ? kFidAdminId : kFidUserId);
    if (number(kind) == kIdKindGiven && mode <= 1 && !given.empty())
        return given;
    return user + L"\\" + (job.machineName ? job.machineName : L"");
}

}  // namespace

void BuildAnnotationFromJob(const AnnotationJobFacts& job, void* settings, void* printerSettings,
                            uint32_t capabilityWord, AnnotationRecord* out)
{
    *out = {};
    for (uint16_t& place : out->placement)
        place = kNotPrinted;
    auto on = [&](int item) {
        return SettingNumberOr(static_cast<uint16_t>(kFidAnnotationItemFirst + item), settings, printerSettings, 0) ==
               1;
    };
    auto place = [&](int item) {
        out->placement[item] = static_cast<uint16_t>(
            SettingNumberOr(static_cast<uint16_t>(kFidAnnotationPlaceFirst + item), settings, printerSettings, 0));
        out->present = 1;
    };
    if (on(0)) {
        WideCutToAnsiLimit(job.userName ? job.userName : L"", kUserNameBytes, out->userName,
                           std::size(out->userName));
        place(0);
    }
    if (on(1) && printerSettings) {
        WideCutToAnsiLimit(OwnerText(job, settings, printerSettings, capabilityWord).c_str(), kOwnerTextBytes,
                           out->ownerText, std::size(out->ownerText));
        place(1);
    }
    if (on(2)) {
        wcsncpy(out->documentName, job.documentName ? job.documentName : L"", std::size(out->documentName) - 1);
        place(2);
    }
    if (on(3)) {
        out->jobNumber = static_cast<uint16_t>(job.jobNumber);
        place(3);
    }
    if (on(4) || on(5)) {
        SYSTEMTIME local{};
        if (!SystemTimeToTzSpecificLocalTime(nullptr, &job.submitted, &local))
            local = job.submitted;
        FormatAnnotationDateTimeAt(*out, on(4), on(5), local);
        if (on(4))
            place(4);
        if (on(5))
            place(5);
    }
}

int StartOverlayPage(HDC hdc)
{
    if (StartPage(hdc) <= 0)
        return 0;
    return EscapeWithAnswer(hdc, kEscExtraPage, 1) ? 1 : 0;
}

int EndOverlayPage(HDC hdc)
{
    EndPage(hdc);
    return EscapeWithAnswer(hdc, kEscExtraPage, 0) ? 1 : 0;
}

int DrawPendingOverlays(HANDLE printer, HDC hdc, int atDocumentEnd)
{
    if (!hdc)
        return kFailed;
    const uint32_t mode = atDocumentEnd ? 1 : 0;
    OverlayAnswer answer{};
    if (!QueryOverlays(hdc, mode, &answer) ||
        !(answer.overlayPageDue || answer.pageWatermarkDue || answer.annotationsDue))
        return kDone;
    OverlaySettings settings;
    if (!ReadOverlaySettings(printer, hdc, &settings))
        return kDone;

    int result = kDone;
    bool pageOpened = false;
    if (answer.pageWatermarkDue)
        result = DrawWatermarkOverlay(hdc, settings, answer);
    if (answer.overlayPageDue) {
        if (atDocumentEnd) {
            if (!StartOverlayPage(hdc)) {
                EndOverlayPage(hdc);
                return result;
            }
            pageOpened = true;
        }
        result = DrawWatermarkOverlay(hdc, settings, answer);
    }
    if (answer.annotationsDue) {
        if (atDocumentEnd && !pageOpened) {
            if (!StartOverlayPage(hdc)) {
                EndOverlayPage(hdc);
                return result;
            }
            pageOpened = true;
        }
        result = DrawAnnotationText(printer, hdc, settings, answer, mode);
    }
    if (pageOpened)
        EndOverlayPage(hdc);
    return result;
}
