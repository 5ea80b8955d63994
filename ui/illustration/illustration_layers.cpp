#include "ui/illustration/illustration_layers.h"

#include <commctrl.h>
#include <prsht.h>

#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/caption_lines.h"
#include "ui/illustration/picture_control.h"
#include "ui/illustration/picture_status.h"
#include "ui/support/window_helpers.h"

namespace {

// A row number built from digits: each digit multiplies by its base and adds
// its value; a value outside a digit's list spoils the row.
struct RowNumber {
    uint32_t value = 0;
    bool valid = true;

    RowNumber& Digit(uint32_t base, uint32_t digit, bool inRange = true)
    {
        if (!inRange || digit >= base)
            valid = false;
        value = value * base + digit;
        return *this;
    }
};

class Steps {
public:
    Steps(const IllustrationState* state, IllustrationEntryList* list) : s_(*state), list_(list) {}

    // Digit O.
    RowNumber& O(RowNumber& n) const
    {
        return n.Digit(2, s_.orientation == 2 ? 1 : 0, s_.orientation == 1 || s_.orientation == 2);
    }
    // Digit R.
    RowNumber& R(RowNumber& n) const
    {
        bool turned = (s_.pageRotation == 1 && s_.orientation == 2) || (s_.pageRotation == 2 && s_.orientation == 1);
        return n.Digit(2, turned ? 1 : 0, s_.pageRotation <= 2);
    }
    // Digit Q: none for one page per sheet.
    RowNumber& Q(RowNumber& n) const
    {
        if (s_.pagesPerSheet == 1)
            return n;
        if (s_.pagesPerSheet == 2)
            return n.Digit(2, s_.pageOrder == 2 ? 1 : 0, s_.pageOrder == 1 || s_.pageOrder == 2);
        bool inRange = s_.pageOrder >= 3 && s_.pageOrder <= 6;
        return n.Digit(4, inRange ? s_.pageOrder - 3u : 0, inRange);
    }
    // Digit E. With several pages per sheet and no page rotation the marked
    // edge of 437 = 1 or 2 is not defined: such a row is refused rather than
    // guessed.
    RowNumber& E(RowNumber& n) const
    {
        bool several = s_.pagesPerSheet > 1;
        switch (s_.setting437) {
        case 0:
            return n.Digit(2, 0);
        case 3:
            return n.Digit(2, 1);
        case 1:
            if (several)
                return n.Digit(2, s_.pageRotation == 2 ? 1 : 0, s_.pageRotation != 0);
            return n.Digit(2, s_.orientation == 2 ? 1 : 0);
        case 2:
            if (several)
                return n.Digit(2, s_.pageRotation == 1 ? 1 : 0, s_.pageRotation != 0);
            return n.Digit(2, s_.orientation == 1 ? 1 : 0);
        default:
            return n.Digit(2, 0, false);
        }
    }
    // Digit B.
    RowNumber& B(RowNumber& n) const
    {
        uint16_t so = s_.sheetOrientation;
        if ((s_.duplex == 2 && so == 1) || (s_.duplex == 3 && so == 2)) {
            uint16_t f = s_.setting320;
            return n.Digit(2, (f == 4 || f == 5 || f == 6 || f == 14 || s_.setting341 == 3) ? 1 : 0);
        }
        if ((s_.duplex == 2 && so == 2) || (s_.duplex == 3 && so == 1)) {
            uint16_t f = s_.setting320;
            return n.Digit(2, (f == 6 || f == 7 || f == 8 || f == 15 || s_.setting341 == 4) ? 1 : 0);
        }
        return n.Digit(2, 0, false);
    }
    RowNumber& M(RowNumber& n) const { return n.Digit(2, s_.setting322, s_.setting322 <= 1); }
    RowNumber& P(RowNumber& n) const
    {
        switch (s_.layoutVariant) {
        case 258:
            return n.Digit(4, 0);
        case 514:
            return n.Digit(4, 1);
        case 771:
            return n.Digit(4, 2);
        case 1028:
            return n.Digit(4, 3);
        default:
            return n.Digit(4, 0, false);
        }
    }
    RowNumber& N(RowNumber& n) const
    {
        bool portrait = s_.orientation == 1;
        uint16_t r = s_.pageRotation;
        switch (s_.pagesPerSheet) {
        case 1:
            return n.Digit(2, portrait ? 0 : 1);
        case 2:
        case 8:
        case 32:
            return n.Digit(2, ((portrait && r == 2) || (!portrait && r != 1)) ? 0 : 1);
        case 4:
        case 16:
            return n.Digit(2, ((!portrait && r == 1) || (portrait && r != 2)) ? 0 : 1);
        default:
            return n.Digit(2, 0, false);
        }
    }

    // Records the row when it is valid and inside its table; answers its status.
    uint16_t Add(LayerTableId table, const RowNumber& n)
    {
        if (!n.valid || n.value >= kLayerTables[table].count || list_->count >= kIllustrationEntryRoom)
            return kPictureBadArgument;
        list_->entries[list_->count++] = {table, n.value};
        return kPictureOk;
    }
    uint16_t Add(LayerTableId table, uint32_t row)
    {
        RowNumber n;
        n.value = row;
        return Add(table, n);
    }

    uint16_t Normal();
    uint16_t KindOne();
    uint16_t KindTwo();
    uint16_t Decorations(const IllustrationModel* model);

private:
    const IllustrationState& s_;
    IllustrationEntryList* list_;
};

// Index of a pages-per-sheet count of 2 to 32 (0-4); -1 for other counts.
int SeveralPagesIndex(uint16_t pages)
{
    switch (pages) {
    case 2:
        return 0;
    case 4:
        return 1;
    case 8:
        return 2;
    case 16:
        return 3;
    case 32:
        return 4;
    default:
        return -1;
    }
}

uint16_t Steps::Normal()
{
    uint16_t status = kPictureOk;
    auto keep = [&status](uint16_t step) {
        if (step != kPictureOk)
            status = step;
    };
    keep(Add(kTableSheet, RowNumber{}.Digit(2, s_.sheetOrientation - 1u, s_.sheetOrientation == 1 ||
                                                                      s_.sheetOrientation == 2)));
    uint16_t pages = s_.pagesPerSheet;
    int several = SeveralPagesIndex(pages);
    RowNumber n;
    if (pages == 1) {
        E(O(n));
        keep(Add(kTablePages1, n));
    } else if (pages == 2) {
        E(R(Q(O(n))));
        keep(Add(kTablePages2, n));
    } else if (pages == 4 || pages == 8 || pages == 16) {
        n.value = pages == 4 ? 0 : pages == 8 ? 1 : 2;
        E(R(Q(O(n))));
        keep(Add(kTablePages4816, n));
    } else if (pages == 32) {
        E(R(O(n)));
        keep(Add(kTablePages32, n));
    } else {
        keep(kPictureBadArgument);
    }
    if (s_.colourMode != 1) {
        RowNumber c;
        if (pages == 1) {
            E(O(c));
            keep(Add(kTableColour1, c));
        } else {
            c.value = several < 0 ? 0 : static_cast<uint32_t>(several);
            c.valid = several >= 0;
            E(R(O(c)));
            keep(Add(kTableColourN, c));
        }
    }
    if (pages == 32) {
        RowNumber o;
        E(R(Q(O(o))));
        keep(Add(kTableOrder32, o));
    }
    if (s_.duplex != 1) {
        RowNumber d;
        d.valid = s_.duplex == 2 || s_.duplex == 3;
        bool duplexThree = s_.duplex == 3;
        if (pages == 1) {
            d.value = duplexThree ? 1 : 0;
            E(B(O(d)));
            keep(Add(kTableDuplex1, d));
        } else {
            d.value = (several < 0 ? 0 : static_cast<uint32_t>(several)) + (duplexThree ? 5 : 0);
            d.valid = d.valid && several >= 0;
            E(R(B(O(d))));
            keep(Add(kTableDuplexN, d));
        }
        if (s_.colourMode != 1)
            keep(Add(pages == 1 ? kTableDuplexColour1 : kTableDuplexColourN, d));
        RowNumber b;
        b.value = (duplexThree ? 2 : 0) + (s_.sheetOrientation == 2 ? 1 : 0);
        b.valid = d.valid;
        B(b);
        keep(Add(kTableBinding, b));
    }
    if (s_.setting320 != 0) {
        // 9 and 10 are drawn as 2 and 1.
        constexpr uint8_t kStart320[16] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 1, 0, 8, 9, 10, 11, 12};
        RowNumber f;
        f.valid = s_.setting320 <= 15;
        f.value = f.valid ? kStart320[s_.setting320] : 0;
        f.Digit(2, s_.sheetOrientation == 2 ? 1 : 0);
        keep(Add(kTableFinishing320, f));
    }
    if (s_.setting341 != 0) {
        // 5 is drawn as 1.
        constexpr uint8_t kStart341[6] = {0, 0, 1, 2, 3, 0};
        RowNumber f;
        f.valid = s_.setting341 <= 5;
        f.value = f.valid ? kStart341[s_.setting341] : 0;
        f.Digit(3, s_.setting445, s_.setting445 <= 2).Digit(2, s_.sheetOrientation == 2 ? 1 : 0);
        keep(Add(kTableFinishing341, f));
    }
    return status;
}

uint16_t Steps::KindOne()
{
    uint16_t status = kPictureOk;
    auto keep = [&status](uint16_t step) {
        if (step != kPictureOk)
            status = step;
    };
    bool folded = s_.layoutVariant == 259 || s_.layoutVariant == 260;
    if (folded) {
        keep(Normal());
    } else {
        RowNumber n;
        n.value = s_.colourMode == 1 ? 0 : 1;
        E(P(O(n)));
        keep(Add(kTableK1Pages, n));
    }
    if (s_.setting1285) {
        RowNumber c;
        P(O(c));
        keep(Add(kTableK1Cover, c));
    }
    if (folded)
        keep(Add(kTableK1Fold, 2u * (s_.orientation == 2 ? 1 : 0) + (s_.layoutVariant == 260 ? 1 : 0)));
    return status;
}

uint16_t Steps::KindTwo()
{
    uint16_t status = kPictureOk;
    auto keep = [&status](uint16_t step) {
        if (step != kPictureOk)
            status = step;
    };
    auto nm = [this]() {
        RowNumber n;
        M(N(n));
        return n;
    };
    if (s_.setting446)
        keep(Add(kTableK2Base, nm()));
    if (s_.setting446 && s_.secondPart)
        keep(Add(kTableK2Second, nm()));
    keep(Add(kTableK2Cover, nm()));
    RowNumber pages = nm();
    keep(Add(kTableK2Pages, E(pages)));
    if (s_.colourMode != 1) {
        RowNumber colour = nm();
        keep(Add(kTableK2Colour, E(colour)));
    }
    if (s_.secondPart)
        keep(Add(kTableK2Extra, nm()));
    return status;
}

uint16_t Steps::Decorations(const IllustrationModel* model)
{
    uint16_t status = kPictureOk;
    auto keep = [&status](uint16_t step) {
        if (step != kPictureOk)
            status = step;
    };
    RowNumber mark;
    mark.Digit(2, s_.orientation == 2 ? 1 : 0).Digit(4, s_.setting437, s_.setting437 <= 3);
    keep(Add(kTableMark437, mark));
    if (!model->faxJob) {
        keep(Add(kTableCollate, RowNumber{}.Digit(2, s_.collate, s_.collate <= 1)));
        uint32_t base = s_.setting1313 == 0 ? 0 : s_.setting441 == 1 ? 2 : 1;
        RowNumber out;
        out.Digit(3, base);
        if (model->outputUnits) {
            uint32_t unit = s_.setting404 == 0 ? 0 : s_.setting1340 ? 1 : 2;
            out.Digit(2, s_.setting406, s_.setting406 <= 1)
                .Digit(2, s_.setting405, s_.setting405 <= 1)
                .Digit(3, unit, s_.setting404 <= 1)
                .Digit(2, s_.setting458 == 1 ? 1 : 0, s_.setting458 <= 2);
            keep(Add(kTableOutputB, out));
        } else {
            out.Digit(3, s_.setting332, s_.setting332 <= 2).Digit(2, s_.setting458 == 1 ? 1 : 0, s_.setting458 <= 2);
            keep(Add(kTableOutputA, out));
        }
    }
    bool stamp = s_.stampName && *s_.stampName;
    keep(Add(kTableStamp, 2u * (2u * (s_.annotation ? 1 : 0) + (stamp ? 1 : 0)) + (s_.setting339 == 1 ? 1 : 0)));
    if (s_.setting1330 || s_.setting320 == 9 || s_.setting320 == 10 || s_.setting341 == 5 || s_.setting448 == 6) {
        RowNumber special;
        keep(Add(kTableSpecial, O(special)));
    }
    if (!model->faxJob && s_.setting448 != 0) {
        RowNumber tray;
        switch (s_.setting448) {
        case 1:
        case 6:
            tray.Digit(2, s_.setting449, s_.setting449 <= 1);
            break;
        case 2:
        case 3:
        case 4:
            tray.Digit(5, s_.setting448 - 1u).Digit(2, s_.setting450, s_.setting450 <= 1);
            break;
        case 5:
            tray.value = 8;
            break;
        default:
            tray.valid = false;
            break;
        }
        keep(Add(kTableTray448, tray));
    }
    return status;
}

}  // namespace

uint16_t ChooseIllustrationRows(const IllustrationState* state, const IllustrationModel* model,
                                IllustrationEntryList* list)
{
    if (!state || !model || !list)
        return kPictureBadArgument;
    list->count = 0;
    Steps steps(state, list);
    uint16_t layout;
    switch (state->layoutKind) {
    case 0:
        layout = steps.Normal();
        break;
    case 1:
        layout = steps.KindOne();
        break;
    case 2:
        layout = steps.KindTwo();
        break;
    default:
        return kPictureSettingUnreadable;
    }
    uint16_t decorations = steps.Decorations(model);
    return layout != kPictureOk ? layout : decorations;
}

const LayerTableRow* IllustrationRow(const IllustrationEntry* entry)
{
    if (!entry || entry->table >= kLayerTableCount || entry->row >= kLayerTables[entry->table].count)
        return nullptr;
    return &kLayerTables[entry->table].rows[entry->row];
}

uint16_t AssembleIllustrationLayers(HMODULE module, HWND window, const IllustrationEntryList* entries,
                                    BitmapLayer** list, HPALETTE* palette)
{
    if (!entries || !list || !palette)
        return kPictureBadArgument;
    *list = nullptr;
    BitmapLayer* layers = AllocateBitmapLayers(entries->count);
    if (!layers)
        return kPictureNoMemory;
    uint16_t status = kPictureOk;
    size_t made = 0;
    for (uint32_t i = 0; i < entries->count && i < kIllustrationEntryRoom; ++i) {
        const LayerTableRow* row = IllustrationRow(&entries->entries[i]);
        if (!row || !row->bitmap)
            continue;
        HBITMAP bitmap = nullptr;
        if (LoadPaletteBitmap(module, window, row->bitmap, palette, &bitmap) != kPictureOk) {
            status = kPictureResourceMissing;
            continue;
        }
        layers[made++] = {bitmap, row->x, row->y};
    }
    if (status != kPictureOk || made == 0) {
        FreeBitmapLayers(layers);
        return status;
    }
    *list = layers;
    return kPictureOk;
}

namespace {

bool ShowsNoIllustration(HWND dialog)
{
    UiContext* ui = GetWindowUiContext(dialog);
    SettingsContext* context = GetUiSettingsContext(ui);
    return context && IsPrinterDriverKind(context->main);
}

}  // namespace

uint16_t IllustrationLayerProvider(HMODULE module, HWND dialog, int controlId, BitmapLayer** list,
                                   HPALETTE* palette)
{
    if (!list || !palette)
        return kPictureBadArgument;
    *list = nullptr;
    if (ShowsNoIllustration(dialog))
        return kPictureResourceMissing;
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetDialogSettings(dialog, &settings, &printerSettings);
    IllustrationState state{};
    uint16_t built = BuildIllustrationState(settings, dialog, &state);
    if (built != 0)
        return built == 2 ? kPictureBadArgument : built == 4 ? kPictureSettingUnreadable : kPictureFailed;
    UiContext* ui = GetWindowUiContext(dialog);
    SettingsContext* context = GetUiSettingsContext(ui);
    IllustrationModel model{context && IsFaxJob(context->main, settings),
                            TestCapabilityBit(&ui->capabilities, 0x8000000)};
    IllustrationEntryList entries{};
    uint16_t status = ChooseIllustrationRows(&state, &model, &entries);
    if (status != kPictureOk)
        return status;
    HWND control = GetDlgItem(dialog, controlId);
    return AssembleIllustrationLayers(module, control ? control : dialog, &entries, list, palette);
}

uint32_t OnIllustrationItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    if (!call || !item)
        return 0;
    HWND dialog = GetCallWindow(call);
    bool noIllustration = ShowsNoIllustration(dialog);
    if (message == WM_INITDIALOG) {
        CreateStaticOverlay(dialog, kIllustrationOverlayId, item->controlId, POINT{0, 0}, SIZE{0, 0},
                            noIllustration ? 0 : 512);
        if (!noIllustration)
            SetUpCaptionTooltips(call);
    } else if (!noIllustration &&
               (message == kEventRefresh ||
                (message == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE))) {
        RefreshCaptionTooltips(call, item->controlId);
    }
    return OnBitmapPictureItem(call, message, wParam, lParam, item, parameters);
}
