// The printer's own device-access library: found in the driver directory under
// the name the model gives, loaded for each single call and unloaded after it.
// Used only from a property sheet's thread; nothing here takes a lock.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/query/query_rules.h"
#include "ui/query/tray_matching.h"

inline constexpr uint32_t kDeviceLibraryPathChars = 259;
inline constexpr uint32_t kRawTrayRecordSize = 568;
inline constexpr uint32_t kRawTrayFirstOffset = 8;
inline constexpr uint32_t kRawTraySecondOffset = 12;
inline constexpr uint32_t kRawTrayTypeOffset = 424;
inline constexpr uint32_t kRawTrayTypeBytes = 64;
inline constexpr uint32_t kRawTraySecondTypeOffset = 488;
inline constexpr uint32_t kRawTraySecondTypeBytes = 80;
static_assert(kRawTraySecondTypeOffset + kRawTraySecondTypeBytes == kRawTrayRecordSize);
inline constexpr uint32_t kAttributeTextBytes = 260;

inline constexpr uint16_t kQueryModePrinter = 1;
inline constexpr uint16_t kQueryModeAddress = 2;

// Statuses of the library.
inline constexpr int32_t kDeviceStatusOk = 0;
inline constexpr int32_t kDeviceStatusAlsoOk = 8;
inline constexpr int32_t kDeviceCallFailed = 1;

using DeviceHandle = uintptr_t;

// The texts one query hands the library, in ANSI.
struct PrinterQueryRecord {
    std::string portName;
    std::string modelName;
    std::string deviceName;
    std::string libraryPath;
    std::string openFirst;     // model data file name 7
    std::string openSecond;    // model data file name 8
    std::string selectText;    // first string of model section 37
};

// What the opening sets besides the language and the mode.
struct QueryOpenOptions {
    bool communityName = false;         // capability 0xFFFF0031
    const wchar_t* communityText = nullptr;  // setting 8212; null: not readable
    bool snmpVersion = false;           // capability 0xFFFF0039
    bool snmpReadable = false;
    uint8_t snmpValue = 0;              // setting 8214
};

// Compares the path with the remembered one (and remembers the first); false
// when they differ or the path is too long.
bool CheckDeviceLibraryPath(const char* path);

DeviceHandle OpenPrinterQuery(HWND window, const PrinterQueryRecord& record, uint16_t mode, const wchar_t* address,
                              const QueryOpenOptions& options);
void ClosePrinterQuery(DeviceHandle handle);

// One attribute by value type 1, 4, 5 or 6 (a text into 256 characters).
bool ReadQueryAttribute(uint16_t type, DeviceHandle handle, const char* name, uint16_t index, QueryValue* out);

// The library's trays in its order; false when the count or a record fails.
bool ReadDeviceTrays(DeviceHandle handle, bool secondTypes, std::vector<DeviceTrayRecord>* out);

// Reads attributes through the library for the rule evaluation.
struct DeviceAttributeReader : AttributeReader {
    DeviceHandle handle = 0;
    bool Read(uint16_t type, const char* name, uint16_t index, QueryValue* out) override
    {
        return ReadQueryAttribute(type, handle, name, index, out);
    }
};
