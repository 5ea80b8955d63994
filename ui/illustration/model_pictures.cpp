#include "ui/illustration/model_pictures.h"

#include "common/constraints/constraint_values.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/settings_context.h"
#include "common/model/model_format.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "common/model/model_value_ops.h"
#include "common/settings/value_operations.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/picture_status.h"

#include <vector>

namespace {

constexpr uint16_t kValueReference = 128;
constexpr uint8_t kKindAlternative = 2;
constexpr CapabilityId kSkip4114Capability = 0x00100000;  // bit 20 of word 0

bool EndsGroup(uint8_t kind) { return kind == 3 || kind == 4; }

// 1 holds, 0 fails, -1 the value could not be read.
int TestCondition(const ModelTerm& term, ModelDataRecord* source, PictureValueReader read, void* reader)
{
    uint16_t type = 0;
    uint64_t current = 0;
    if (!read(reader, term.settingId, &type, &current))
        return -1;
    const ModelValue* listed = &term.value;
    ModelValue resolved;
    if (listed->type == kValueReference) {
        if (CopyModelValue(*listed, &resolved) != kModelOk || ResolveModelValueReference(source, &resolved) != kModelOk ||
            resolved.type == kValueReference)
            return 1;  // an unresolvable reference counts as holding
        listed = &resolved;
    }
    bool equalsOne = false;
    for (uint16_t k = 0; k < listed->count && !equalsOne; ++k) {
        uint64_t holder = 0;
        if (ModelElementHolder(*listed, k, &holder))
            equalsOne = CompareTypedValues(1, listed->type, &holder, type, &current) == kCompareTrue;
    }
    if (term.op == 1)
        return equalsOne ? 1 : 0;
    if (term.op == 2)
        return equalsOne ? 0 : 1;
    return 0;
}

}  // namespace

bool PictureConditionCounts(int controlId, uint16_t setting, bool skip4114)
{
    if (controlId == kModelPictureControl)
        return (setting >= 4097 && setting <= 4371) || setting == 5123;
    return !(skip4114 && setting == 4114);
}

uint16_t TestPictureConditions(const ModelTerm* terms, size_t count, int controlId, bool skip4114,
                               ModelDataRecord* source, PictureValueReader read, void* reader, bool* shown)
{
    bool held = true;
    size_t i = 0;
    while (i < count) {
        const ModelTerm& term = terms[i];
        if (!PictureConditionCounts(controlId, term.settingId, skip4114)) {
            ++i;
            continue;
        }
        int result = TestCondition(term, source, read, reader);
        if (result < 0)
            return kPictureSettingUnreadable;
        held = result == 1;
        if (term.d == kKindAlternative) {
            if (!held) {
                ++i;
                continue;
            }
            // The other alternatives, up to the condition after the run, are passed over.
            size_t j = i + 1;
            while (j < count && terms[j].d == kKindAlternative)
                ++j;
            if (j < count && EndsGroup(terms[j].d))
                break;
            i = j + 1;
            continue;
        }
        if (held) {
            if (EndsGroup(term.d))
                break;
            ++i;
            continue;
        }
        size_t j = i;
        while (j < count && !EndsGroup(terms[j].d))
            ++j;
        i = j + 1;
    }
    *shown = held;
    return kPictureOk;
}

namespace {

struct DialogReader {
    void* settings;
    void* printerSettings;
};

bool ReadDialogValue(void* reader, uint16_t setting, uint16_t* type, uint64_t* holder)
{
    auto* r = static_cast<DialogReader*>(reader);
    uint32_t size = 0;
    *holder = 0;
    return GetFunctionIdValue(setting, r->settings, r->printerSettings, type, &size, holder) == 0;
}

}  // namespace

uint16_t ModelPictureLayers(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette)
{
    if (!list || !palette)
        return kPictureBadArgument;
    *list = nullptr;
    SettingsContext* context = GetUiSettingsContext(GetWindowUiContext(dialog));
    DialogReader reader{};
    if (!context || !GetDialogSettings(dialog, &reader.settings, &reader.printerSettings) || !reader.settings)
        return kPictureBadArgument;
    bool skip4114 = controlId == kPrinterPictureControl && TestModelCapability(context->main, kSkip4114Capability);
    HWND control = GetDlgItem(dialog, controlId);
    std::vector<BitmapLayer> layers;
    uint16_t status = kPictureOk;
    for (uint16_t position = 1; status == kPictureOk; ++position) {
        ModelSection* reference = nullptr;
        uint16_t loaded = LoadModelTable(true, context->main, context->linked, kKindPictureRef, position, &reference);
        if (loaded == kModelAbsent)
            break;
        if (loaded != kModelOk) {
            status = kPictureModelError;
            break;
        }
        const PictureRefSection* entry = AsPictureRef(reference);
        bool shown = false;
        status = TestPictureConditions(entry->terms.data(), entry->terms.size(), controlId, skip4114,
                                       reference->source, ReadDialogValue, &reader, &shown);
        if (status == kPictureOk && shown) {
            uint16_t x = 0, y = 0;
            ModelSection* picture = nullptr;
            if (GetKind9StringInfo(context->main, context->linked, reference, &x, &y, &picture) != kModelOk) {
                status = kPictureModelError;
            } else if (const PictureSection* dib = AsPicture(picture)) {
                HBITMAP bitmap = nullptr;
                if (CreateBitmapFromDib(module, control ? control : dialog,
                                        reinterpret_cast<const BITMAPINFOHEADER*>(dib->data.data()), dib->data.size(),
                                        palette, &bitmap) == kPictureOk)
                    layers.push_back({bitmap, x, y});
            }
            FreeModelSection(&picture, kKindOwn);
        }
        FreeModelSection(&reference, kKindOwn);
    }
    if (status != kPictureOk) {
        for (BitmapLayer& layer : layers)
            DeleteObject(layer.bitmap);
        return status;
    }
    BitmapLayer* made = AllocateBitmapLayers(layers.size());
    if (!made) {
        for (BitmapLayer& layer : layers)
            DeleteObject(layer.bitmap);
        return kPictureNoMemory;
    }
    for (size_t i = 0; i < layers.size(); ++i)
        made[i] = layers[i];
    *list = made;
    return kPictureOk;
}
