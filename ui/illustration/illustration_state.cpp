#include "ui/illustration/illustration_state.h"

#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"

#include <type_traits>

IllustrationState DefaultIllustrationState()
{
    IllustrationState state{};
    state.orientation = 1;
    state.sheetOrientation = 1;
    state.duplex = 1;
    state.pagesPerSheet = 1;
    state.layoutVariant = 514;
    state.paperSize = 9;
    state.setting458 = 2;
    return state;
}

uint16_t SheetOrientation(uint16_t orientation, uint16_t pagesPerSheet)
{
    bool squareCount = pagesPerSheet == 1 || pagesPerSheet == 4 || pagesPerSheet == 16;
    return (orientation != 1) == squareCount ? 2 : 1;
}

namespace {

constexpr CapabilityId kSecondPartCapability = 0xFFFF002D;
constexpr uint16_t kAnnotationSwitches[] = {1296, 1297, 1298, 1299, 1300, 1301};

enum class Read { kValue, kDefault, kFailed };

// A setting is read only when the constraint check lets it stand (not
// refused, not refused outright, not a warning); otherwise the default holds.
Read ReadChecked(const IllustrationSources* s, uint16_t id, bool checked, uint64_t* value)
{
    if (checked) {
        ConstraintResult* result = AllocConstraintResult();
        if (!result)
            return Read::kFailed;
        uint16_t status = CheckSettingConstraints(kModeInteractive, s->printer, s->context, s->settings,
                                                  s->printerSettings, nullptr, id, 0, nullptr, result, nullptr, 0);
        uint16_t code = result->code;
        FreeConstraintResult(result);
        if (status != 0 || code == kConstraintError || code == kConstraintRefused || code == kConstraintWarning)
            return Read::kDefault;
    }
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, s->settings, s->printerSettings, &type, &size, &holder) != 0)
        return Read::kFailed;
    switch (type) {
    case kTypeByte:
        *value = static_cast<uint8_t>(holder);
        break;
    case kTypeS16:
    case kTypeU16:
        *value = static_cast<uint16_t>(holder);
        break;
    case kTypeString:
        *value = holder;
        break;
    default:
        *value = static_cast<uint32_t>(holder);
        break;
    }
    return Read::kValue;
}

template <typename T>
bool Take(const IllustrationSources* s, uint16_t id, T* field, bool checked = true)
{
    uint64_t value = 0;
    switch (ReadChecked(s, id, checked, &value)) {
    case Read::kValue:
        if constexpr (std::is_pointer_v<T>)
            *field = reinterpret_cast<T>(static_cast<uintptr_t>(value));
        else
            *field = static_cast<T>(value);
        return true;
    case Read::kDefault:
        return true;
    default:
        return false;
    }
}

}  // namespace

uint16_t ReadIllustrationState(const IllustrationSources* s, IllustrationState* state)
{
    if (!s || !state || !s->settings || !s->printerSettings)
        return 2;
    IllustrationState st = DefaultIllustrationState();
    uint32_t secondPartSwitch = 0;
    uint32_t setting465 = 0;
    uint32_t collate = 0;
    bool ok = Take(s, 294, &st.pageRotation) && Take(s, 7, &st.orientation) && Take(s, 18, &collate) &&
              Take(s, 16, &st.duplex) && Take(s, 270, &st.colourMode, false) && Take(s, 1313, &st.setting1313) &&
              Take(s, 295, &st.pagesPerSheet) && Take(s, 264, &st.pageOrder) && Take(s, 1337, &st.setting1337) &&
              Take(s, 321, &st.layoutKind, false) && Take(s, 296, &st.layoutVariant, false) &&
              Take(s, 1285, &st.setting1285) && Take(s, 297, &st.stampName) && Take(s, 320, &st.setting320) &&
              Take(s, 341, &st.setting341) && Take(s, 8, &st.paperSize) && Take(s, 322, &st.setting322) &&
              Take(s, 446, &st.setting446) && Take(s, 437, &st.setting437) && Take(s, 441, &st.setting441) &&
              Take(s, 445, &st.setting445, false) && Take(s, 332, &st.setting332) && Take(s, 458, &st.setting458) &&
              Take(s, 404, &st.setting404) && Take(s, 1340, &st.setting1340) && Take(s, 405, &st.setting405) &&
              Take(s, 406, &st.setting406) && Take(s, 339, &st.setting339) && Take(s, 1330, &st.setting1330) &&
              Take(s, 448, &st.setting448) && Take(s, 449, &st.setting449) && Take(s, 450, &st.setting450);
    if (ok && s->capabilities && TestCapabilityBit(s->capabilities, kSecondPartCapability)) {
        ok = Take(s, 465, &setting465) && Take(s, 1328, &secondPartSwitch);
        st.secondPart = setting465 == 2 ? 1 : secondPartSwitch;
    }
    for (uint16_t id : kAnnotationSwitches) {
        uint32_t on = 0;
        if (!ok || st.annotation)
            break;
        ok = Take(s, id, &on);
        st.annotation = on;
    }
    if (!ok)
        return 4;
    st.collate = collate == 1 ? 1 : 0;
    if (st.stampName && !*st.stampName)
        st.stampName = nullptr;
    st.sheetOrientation = SheetOrientation(st.orientation, st.pagesPerSheet);
    *state = st;
    return 0;
}

uint16_t BuildIllustrationState(void* settings, HWND dialog, IllustrationState* state)
{
    UiContext* ui = GetWindowUiContext(dialog);
    void* current = nullptr;
    void* printerSettings = nullptr;
    if (!settings || !state || !ui || !GetDialogSettings(dialog, &current, &printerSettings) || !printerSettings)
        return 2;
    IllustrationSources sources{GetUiSettingsContext(ui), ui->printer, settings, printerSettings, &ui->capabilities};
    return ReadIllustrationState(&sources, state);
}
