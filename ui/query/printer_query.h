// One printer query: opens the device through its library, reads its identity,
// evaluates the model's option query rules and turns its trays into paper
// source settings. Nothing is changed here; the device options page applies
// the result.
#pragma once
#include <windows.h>

#include "common/context/settings_context.h"
#include "ui/query/device_access.h"

struct PrinterQueryResult {
    SettingAnswer address;     // setting 8213
    SettingAnswer community;   // setting 8212; settingId 0: none
    SettingAnswer snmpVersion; // setting 8214; settingId 0: none
    AnswerList options;        // rules of the installable-option class
    AnswerList trays;
    AnswerList others;
};

struct PrinterQueryInput {
    HWND window = nullptr;
    SettingsContext* settings = nullptr;
    const wchar_t* portName = nullptr;
    const wchar_t* modelName = nullptr;    // setting 259
    const wchar_t* deviceName = nullptr;   // setting 1
    std::vector<QueryPaper> userPapers;    // the 20 user sizes
    const wchar_t* communityText = nullptr;  // setting 8212; null: not readable
    bool snmpReadable = false;
    uint8_t snmpValue = 0;                 // setting 8214
};

inline constexpr uint16_t kQueryAddressSetting = 8213;
inline constexpr uint16_t kQueryCommunitySetting = 8212;
inline constexpr uint16_t kQuerySnmpSetting = 8214;

// The texts the library is handed; false when a model text is missing or the
// library path is too long.
bool BuildPrinterQueryRecord(const PrinterQueryInput& in, PrinterQueryRecord* record);
// The model's tray features, paper sizes and type names; false when a table
// the query needs is missing. Tray numbers come from the tray assignment rules
// held against the option answers.
bool LoadTrayModel(SettingsContext* settings, const AnswerList& options, TrayModel* model);
// The model's option query rules in model order (their values point into `holders`).
bool LoadQueryRules(SettingsContext* settings, std::vector<ModelSection*>* holders, std::vector<QueryRule>* rules);

// Mode 1 (the printer query). 1 with the result; 0 on any failure, nothing kept.
int RunPrinterQuery(const PrinterQueryInput& in, PrinterQueryResult* result);
void FreePrinterQueryResult(PrinterQueryResult* result);

// Mode 2: the network address alone, tried at `address`, into 256 characters.
int QueryPrinterAddress(const PrinterQueryInput& in, const wchar_t* address, wchar_t* out);
