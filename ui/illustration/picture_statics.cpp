#include "ui/illustration/picture_statics.h"

#include <commctrl.h>
#include <prsht.h>

#include "common/context/option_list.h"
#include "common/context/settings_context.h"
#include "common/model/model_format.h"
#include "common/model/model_section.h"
#include "common/settings/value_operations.h"
#include "common/system/module_files.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/colour_sample.h"
#include "ui/illustration/layer_drawing.h"
#include "ui/illustration/model_pictures.h"
#include "ui/illustration/picture_control.h"
#include "ui/illustration/picture_status.h"

namespace {

struct KeyedId {
    uint32_t key;
    UINT id;
};

template <size_t N>
bool FindKeyed(const KeyedId (&table)[N], uint32_t key, UINT* id)
{
    for (const KeyedId& row : table)
        if (row.key == key) {
            *id = row.id;
            return true;
        }
    return false;
}

// Monochrome (270 = 1), by setting 271.
constexpr KeyedId kGreyBy271[] = {{1, 903}, {513, 901}, {769, 902}, {8, 902},
                                  {264, 903}, {776, 902}, {257, 901}, {1288, 902}};
// Colour with 293 = 2, by setting 390, one list per group of 271 values.
constexpr KeyedId kColourA[] = {{0, 906}, {1, 912}, {4, 943}, {2, 936}, {8, 922}, {6, 931}};
constexpr KeyedId kColourB[] = {{0, 905}, {1, 911}, {4, 942}, {2, 935}, {8, 921}, {6, 932}};
constexpr KeyedId kColourC[] = {{0, 907}, {1, 913}, {4, 944}, {2, 937}, {8, 923}, {6, 930}};
constexpr KeyedId kColourBy293[] = {{1, 896}, {3, 915}, {4, 917}};
// Automatic colour (270 = 0 or 3) with 293 = 2.
constexpr KeyedId kAutoA[] = {{0, 900}, {1, 909}, {4, 940}, {2, 926}, {8, 925}, {6, 947}, {9, 1015}, {3, 1333}};
constexpr KeyedId kAutoB[] = {{0, 897}, {4, 938}, {2, 924}, {6, 945}, {9, 1013}, {3, 1331}};
constexpr KeyedId kAutoC[] = {{0, 899}, {1, 910}, {4, 941}, {2, 948}, {8, 920}, {6, 933}};
constexpr KeyedId kAutoD[] = {{0, 898}, {1, 908}, {4, 939}, {2, 919}, {8, 918}, {6, 946}, {9, 1014}, {3, 1332}};
constexpr KeyedId kAutoBy293[] = {{1, 895}, {3, 914}, {4, 916}};

// Side icons by setting 267: {1199 plain, 1199 marked, 1205 plain, 1205 marked}.
struct SideIconRow {
    uint16_t key;
    UINT ids[4];
};
constexpr SideIconRow kSideIcons[] = {
    {0, {363, 363, 363, 363}}, {1, {359, 999, 364, 369}}, {2, {360, 997, 365, 370}},
    {3, {359, 999, 364, 369}}, {7, {360, 997, 365, 370}}, {4, {361, 996, 366, 372}},
    {5, {362, 998, 367, 371}}, {6, {362, 998, 367, 371}}, {8, {361, 996, 366, 372}},
};

bool IsSideIcon(int id) { return id == 1199 || id == 1205; }
bool IsFinishingIcon(int id) { return id == 1508 || id == 1531; }

}  // namespace

uint16_t ChooseColourSettingsBitmap(uint32_t colourMode, uint32_t s271, uint32_t s390, uint32_t s293,
                                    bool colourModeOffersTwo, UINT* resourceId)
{
    bool found = false;
    if (colourMode == 1) {
        found = FindKeyed(kGreyBy271, s271, resourceId);
    } else if (colourMode == 2 && s293 == 2) {
        if (s271 == 1 || s271 == 257)
            found = FindKeyed(kColourA, s390, resourceId);
        else if (s271 == 8 || s271 == 769)
            found = FindKeyed(kColourB, s390, resourceId);
        else if (s271 == 1032)
            found = FindKeyed(kColourC, s390, resourceId);
    } else if (colourMode == 2) {
        found = FindKeyed(kColourBy293, s293, resourceId);
    } else if ((colourMode == 0 || colourMode == 3) && s293 == 2) {
        if (s271 == 1 || s271 == 264)
            found = FindKeyed(kAutoA, s390, resourceId);
        else if (s271 == 257 || s271 == 513)
            found = FindKeyed(kAutoB, s390, resourceId);
        else if (s271 == 1032)
            found = FindKeyed(kAutoC, s390, resourceId);
        else if (s271 == 8 || s271 == 769 || s271 == 776 || s271 == 1288)
            found = FindKeyed(kAutoD, s390, resourceId);
    } else if (colourMode == 0 || colourMode == 3) {
        found = colourModeOffersTwo ? FindKeyed(kAutoBy293, s293, resourceId)
                                    : FindKeyed(kColourBy293, s293, resourceId);
    }
    return found ? kPictureOk : kPictureFailed;
}

uint16_t ChooseSideIcon(int controlId, uint32_t s267, uint32_t s437, UINT* resourceId)
{
    if (!IsSideIcon(controlId))
        return kPictureBadArgument;
    bool marked = controlId == 1199 ? (s437 == 2 || s437 == 3) : (s437 == 1 || s437 == 3);
    for (const SideIconRow& row : kSideIcons)
        if (row.key == (s267 & 0xFFFF) && s267 <= 0xFFFF) {
            *resourceId = row.ids[(controlId == 1199 ? 0 : 2) + (marked ? 1 : 0)];
            return kPictureOk;
        }
    return kPictureBadArgument;
}

uint16_t ChooseFinishingIcon(int controlId, uint32_t s1291, uint32_t s322, UINT* resourceId)
{
    if (!IsFinishingIcon(controlId))
        return kPictureBadArgument;
    bool first = controlId == 1508;
    if (s1291 && s322)
        *resourceId = first ? 803 : 802;
    else if (!s1291 && !s322)
        *resourceId = first ? 806 : 807;
    else if (s1291)
        *resourceId = first ? 804 : 808;
    else
        *resourceId = first ? 805 : 801;
    return kPictureOk;
}

bool ReadDialogNumber(HWND dialog, uint16_t setting, uint32_t* value)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!GetDialogSettings(dialog, &settings, &printerSettings) || !settings)
        return false;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(setting, settings, printerSettings, &type, &size, &holder) != 0 || type == 6 ||
        type == 9)
        return false;
    *value = type == 8 ? static_cast<uint8_t>(holder)
             : (type == 2 || type == 3) ? static_cast<uint16_t>(holder)
                                        : static_cast<uint32_t>(holder);
    return true;
}

uint16_t SetSettingsIcon(HWND dialog, int controlId)
{
    UINT id = 0;
    uint32_t a = 0, b = 0;
    uint16_t status;
    if (IsSideIcon(controlId)) {
        if (!ReadDialogNumber(dialog, 267, &a) || !ReadDialogNumber(dialog, 437, &b))
            return kPictureSettingUnreadable;
        status = ChooseSideIcon(controlId, a, b, &id);
    } else if (IsFinishingIcon(controlId)) {
        if (!ReadDialogNumber(dialog, 1291, &a) || !ReadDialogNumber(dialog, 322, &b))
            return kPictureSettingUnreadable;
        status = ChooseFinishingIcon(controlId, a, b, &id);
    } else {
        return kPictureBadArgument;
    }
    if (status != kPictureOk)
        return status;
    HICON icon = LoadIconW(GetResourceModule(), MAKEINTRESOURCEW(id));
    if (!icon)
        return kPictureResourceMissing;
    SendDlgItemMessageW(dialog, controlId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    DestroyIcon(icon);
    return kPictureOk;
}

uint16_t LoadItemBitmap(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette)
{
    if (!list)
        return kPictureBadArgument;
    *list = nullptr;
    int32_t code = kDialogWithoutItems;
    SendMessageW(dialog, kEventQueryDialogCode, 0, reinterpret_cast<LPARAM>(&code));
    if (code == kDialogWithoutItems)
        return kPictureFailed;
    const ItemRecord* item = FindItemRecord(dialog, code, controlId);
    if (!item || !item->parameters)
        return kPictureFailed;
    return LoadControlBitmap(module, dialog, controlId, *static_cast<const uint32_t*>(item->parameters), list,
                             palette);
}

namespace {

constexpr int kSubclassedStatics[] = {1105, 1187, 1217, 1282, 1285, 1310, 1761, 1762,
                                      1766, 3841, 4026, 4027, 4028, 4308, 4309};
constexpr int kSavedBackgroundStatics[] = {1105, 1761, 1762, 3841, 4026, 4027, 4028};

template <size_t N>
bool Contains(const int (&list)[N], int id)
{
    for (int entry : list)
        if (entry == id)
            return true;
    return false;
}

uint16_t ColourSettingsLayers(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette)
{
    uint32_t mode = 0, s271 = 0, s390 = 0, s293 = 0;
    if (!ReadDialogNumber(dialog, 270, &mode) || !ReadDialogNumber(dialog, 271, &s271) ||
        !ReadDialogNumber(dialog, 390, &s390) || !ReadDialogNumber(dialog, 293, &s293))
        return kPictureSettingUnreadable;
    bool offersTwo = false;
    CallContext call{};
    if (InitCallContext(&call, dialog, nullptr, 0, WM_PAINT, kDialogTypePage))
        if (const OptionList* options = GetCachedOptionList(&call, 270))
            for (int32_t i = 0; i < options->count; ++i)
                offersTwo = offersTwo || options->rows[i].value == 2;
    UINT id = 0;
    uint16_t status = ChooseColourSettingsBitmap(mode, s271, s390, s293, offersTwo, &id);
    if (status != kPictureOk)
        return status;
    return LoadControlBitmap(module, dialog, controlId, id, list, palette);
}

constexpr int kModelOwnPictureControl = 1217;
constexpr uint16_t kModelOwnPicture = 1;

// The picture of the model itself: the DIB of the model's picture record 1.
uint16_t ModelOwnPictureLayers(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette)
{
    SettingsContext* context = GetUiSettingsContext(GetWindowUiContext(dialog));
    if (!context)
        return kPictureBadArgument;
    ModelSection* picture = nullptr;
    if (LoadModelTableWithOption(true, context->main, context->linked, kKindPicture, kModelOwnPicture, 0, &picture) !=
        kModelOk)
        return kPictureModelError;
    uint16_t status = kPictureModelError;
    if (const PictureSection* dib = AsPicture(picture)) {
        BitmapLayer* layers = AllocateBitmapLayers(1);
        HWND control = GetDlgItem(dialog, controlId);
        status = layers ? CreateBitmapFromDib(module, control ? control : dialog,
                                              reinterpret_cast<const BITMAPINFOHEADER*>(dib->data.data()),
                                              dib->data.size(), palette, &layers[0].bitmap)
                        : kPictureNoMemory;
        if (status == kPictureOk)
            *list = layers;
        else
            FreeBitmapLayers(layers);
    }
    FreeModelSection(&picture, kKindOwn);
    return status;
}

void PaintStatic(HWND control)
{
    HWND dialog = GetParent(control);
    int id = GetDlgCtrlID(control);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!GetDialogSettings(dialog, &settings, &printerSettings) || !settings)
        return;
    HMODULE module = GetResourceModule();
    BitmapLayer* list = nullptr;
    HPALETTE palette = nullptr;
    uint16_t status = kPictureFailed;
    bool offScreen = true;
    bool background = true;
    uint32_t value = kBackgroundSaved;
    if (id == kModelPictureControl || id == kPrinterPictureControl) {
        status = ModelPictureLayers(module, dialog, id, &list, &palette);
    } else if (id == kModelOwnPictureControl) {
        status = ModelOwnPictureLayers(module, dialog, id, &list, &palette);
        value = kBackgroundButtonFace;
    } else if (Contains(kSavedBackgroundStatics, id)) {
        status = LoadItemBitmap(module, dialog, id, &list, &palette);
    } else if (id == 4308 || id == 4309) {
        status = LoadItemBitmap(module, dialog, id, &list, &palette);
        value = kBackgroundButtonFace;
    } else if (id == 1285) {
        status = ColourSettingsLayers(module, dialog, id, &list, &palette);
        offScreen = background = false;
    }
    if (status == kPictureOk && list)
        DrawBitmapLayersToWindow(module, control, list, palette, offScreen, background, value);
    FreeBitmapLayers(list);
    if (palette)
        DeleteObject(palette);
}

}  // namespace

LRESULT HandlePictureStaticMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC classProcedure)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(control, &paint);
        if (GetDlgCtrlID(control) == kColourSampleControl)
            PaintColourSample(control);
        else
            PaintStatic(control);
        EndPaint(control, &paint);
    } else if (message == WM_DESTROY) {
        FreeColourSample(control);
    } else if (message == WM_ERASEBKGND) {
        int id = GetDlgCtrlID(control);
        UiContext* ui = GetWindowUiContext(GetParent(control));
        if (id == 1187 || id == 1310)
            ResaveBackground(ui, id, control, 1);
        else if (Contains(kSavedBackgroundStatics, id))
            ResaveBackground(ui, id, control, 0);
        return 1;
    }
    return CallWindowProcW(classProcedure, control, message, wParam, lParam);
}

uint32_t OnPictureStaticItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                             const ItemRecord* item, const void* /*parameters*/)
{
    if (!call || !item)
        return 0;
    HWND dialog = GetCallWindow(call);
    int id = item->controlId;
    HWND control = GetDlgItem(dialog, id);
    UINT code = message == WM_NOTIFY && lParam ? reinterpret_cast<const NMHDR*>(lParam)->code : 0;
    if (message == WM_INITDIALOG) {
        if (Contains(kSubclassedStatics, id))
            InstallPictureSubclass(dialog, id);
    } else if (code == static_cast<UINT>(PSN_SETACTIVE)) {
        if (id == kColourSampleControl)
            PrepareColourSample(control);
        if (IsSideIcon(id) || IsFinishingIcon(id))
            SetSettingsIcon(dialog, id);
        if (id == 1187 || id == 1310) {
            if (PictureControlRecord* record = FindPictureControl(GetWindowUiContext(dialog), static_cast<uint32_t>(id)))
                record->owner[0] = 1;
            InvalidatePicture(dialog, id);
        }
    } else if (id == kColourSampleControl && (code == static_cast<UINT>(PSN_RESET) ||
                                              code == static_cast<UINT>(PSN_APPLY) ||
                                              code == static_cast<UINT>(PSN_KILLACTIVE))) {
        FreeColourSample(control);
    } else if (message == kEventRefresh) {
        if (id == 1187 || id == 1282 || id == 1285 || id == 1310 || id == 1340 || id == 1766)
            InvalidatePicture(dialog, id);
        if (IsSideIcon(id) || IsFinishingIcon(id))
            SetSettingsIcon(dialog, id);
    } else if (message == WM_QUERYNEWPALETTE ||
               (message == WM_PALETTECHANGED && reinterpret_cast<HWND>(wParam) != control)) {
        InvalidatePicture(dialog, id);
    }
    return 0;
}
