// Which table of the model data describes a setting: the mapping from a setting
// identifier to a table kind and record identifier. Plain C++, shared with the
// model data compiler so that the files it writes agree with the reader.
#pragma once
#include <cstdint>

struct ModelKindTarget {
    uint16_t kind;      // 1 = the header, else a table kind
    uint16_t recordId;
};

// value: for settings 32769, 32770, 32771 and 32779 the record identifier (their
// value names the record); ignored for the others.
constexpr ModelKindTarget MapSettingToModelKind(uint16_t id, uint16_t value) {
    if (id == 4129) return {4, 4129};
    if (id >= 4363 && id <= 4365) return {4, id};
    if (id >= 4097 && id <= 4371) return {3, id};
    if (id > 285) {
        switch (id) {
        case 32769: return {10, value};
        case 32770: return {5, value};
        case 32771: return {6, value};
        case 32779: return {19, value};
        default: return {4, id};
        }
    }
    if (id >= 282) return {4, 282};  // the four settings share one feature
    if (id == 1 || id == 259) return {1, 0};
    if (id >= 274 && id <= 277) return {4, 274};
    if (id >= 278 && id <= 281) return {4, 278};
    return {4, id};
}
