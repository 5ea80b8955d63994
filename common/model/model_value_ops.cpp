#include "common/model/model_value_ops.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"

namespace {
constexpr uint32_t kFaxJobType = 5;
}  // namespace

int GetModelDriverKind(ModelDataRecord* model) {
    if (model == nullptr) return 0;
    uint8_t stored = 0;
    if (ReadModelSectionEntry(model, kRawDriverKind, 1, 0, &stored) != kModelOk) return 0;
    return stored <= 3 ? stored + 1 : 0;
}

bool IsPrinterDriverKind(ModelDataRecord* model) {
    const int kind = GetModelDriverKind(model);
    return kind == 3 || kind == 4;
}

bool IsFaxJob(ModelDataRecord* model, void* settingsRecord) {
    const int kind = GetModelDriverKind(model);
    if (kind == 2) return true;
    if (kind != 4) return false;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(kFidJobType, settingsRecord, nullptr, &type, &size, &holder) != 0) return false;
    return (holder & 0xFFFF) == kFaxJobType;
}

int GetModelCapabilityBits(ModelDataRecord* model, CapabilityBits* bits) {
    if (model == nullptr || bits == nullptr) return 0;
    bits->words[0] = bits->words[1] = bits->words[2] = 0;
    bits->words[0] = GetModelSectionNumber(model, kRawCapabilityWord0, 4, 0);
    // Judged by the record's own file: two models of different versions may be
    // loaded in one process.
    if (model->formatVersion >= kModelFormat5632) {
        const uint16_t count = GetModelSectionCount(model, kRawCapabilityWords12);
        if (count >= 1) bits->words[1] = GetModelSectionNumber(model, kRawCapabilityWords12, 4, 0);
        if (count >= 2) bits->words[2] = GetModelSectionNumber(model, kRawCapabilityWords12, 4, 1);
    }
    return 1;
}

bool TestModelCapability(ModelDataRecord* model, CapabilityId id) {
    if (model == nullptr) return false;
    CapabilityBits bits{};
    GetModelCapabilityBits(model, &bits);
    return TestCapabilityBit(&bits, id);
}
