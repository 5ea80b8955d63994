// The value operations that higher code uses to read and write settings by
// identifier. They sit on the engine (value_engine.h) and add what callers
// inside the libraries want: pointers instead of offsets, one-word reads and
// writes of a value passed by value.
#pragma once
#include <cstdint>
#include <type_traits>

// As dma_GetValue, but strings and LOGFONTW records come back as a pointer
// into the record. 36905 is answered as the flag value 1 without any record.
// The printer settings record may be null when only settings-record
// identifiers are read.
uint16_t GetFunctionIdValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                            uint16_t* type, uint32_t* size, void* holder);

// dma_SetValue under its in-library name; answers the engine's status.
uint16_t SetFunctionIdValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                            uint16_t type, uint32_t size, const void* holder);

// The value as one 64-bit word (a number with zero upper bytes, a string as a
// pointer into the record), when the read succeeds and its size is the one
// the type code expects (1: 4, 2 and 3: 2, 4 and 5: 4, 6: any, 8: 1). 0 for
// any failure, for other type codes, and without a settings record.
uint64_t GetFunctionIdValuePointer(void* settingsRecord, void* printerSettingsRecord,
                                   uint16_t id, uint16_t typeCode);

// Writes the 8-byte holder `word`: the engine's status, or -1 without a
// settings record.
int SetFunctionIdValueWord(void* settingsRecord, void* printerSettingsRecord, uint16_t id,
                           uint16_t type, uint32_t size, uint64_t word);

// Writes a number passed by value, or a string or LOGFONTW passed as a pointer.
// Answers the engine's status (non-zero on failure), or -1 without a settings record.
template <typename T>
int SetFunctionIdValueArgs(void* settingsRecord, void* printerSettingsRecord, uint16_t id,
                           uint16_t type, uint32_t size, T value)
{
    static_assert(std::is_integral_v<T> || std::is_enum_v<T> || std::is_pointer_v<T>,
                  "a setting value is a number or a pointer to its data");
    uint64_t word;
    if constexpr (std::is_pointer_v<T>)
        word = reinterpret_cast<uintptr_t>(value);
    else
        word = static_cast<uint64_t>(value);
    return SetFunctionIdValueWord(settingsRecord, printerSettingsRecord, id, type, size, word);
}
