// The layer tables of the settings illustration: each step of the layer
// choice turns a few settings into a row of one table, and each row names a
// bitmap of the resource file and where it lies in the picture.
#pragma once
#include <cstdint>

struct LayerTableRow {
    uint32_t bitmap;   // 0: the row adds no layer
    uint8_t x;
    uint8_t y;
    uint8_t selector;  // 2 the resource file; 1 and 3 the module given to the provider
    uint8_t reserved;
};
static_assert(sizeof(LayerTableRow) == 8);

// The tables, in the order the steps name them.
enum LayerTableId : uint8_t {
    kTableSheet,
    kTablePages1,
    kTablePages2,
    kTablePages4816,
    kTablePages32,
    kTableColour1,
    kTableColourN,
    kTableOrder32,
    kTableDuplex1,
    kTableDuplexN,
    kTableDuplexColour1,
    kTableDuplexColourN,
    kTableBinding,
    kTableFinishing320,
    kTableFinishing341,
    kTableK2Base,
    kTableK2Second,
    kTableK2Cover,
    kTableK2Pages,
    kTableK2Colour,
    kTableK2Extra,
    kTableK1Pages,
    kTableK1Fold,
    kTableK1Cover,
    kTableMark437,
    kTableCollate,
    kTableOutputA,
    kTableOutputB,
    kTableStamp,
    kTableSpecial,
    kTableTray448,
    kLayerTableCount
};

struct LayerTable {
    const char* name;
    const LayerTableRow* rows;
    uint32_t count;
};

extern const LayerTable kLayerTables[kLayerTableCount];
