// Turning the trays that the printer reports into paper source settings: the
// paper size match, the paper type text match and the per-tray answers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ui/query/query_answers.h"

inline constexpr uint16_t kTrayUnknownPaper = 273;
inline constexpr uint16_t kTrayOwnSizePaper = 275;
inline constexpr uint16_t kNoPaperType = 28;
inline constexpr uint16_t kNoSecondType = 17;
inline constexpr int32_t kTrayTolerance = 1000;   // micrometres

struct QueryPaper {
    uint16_t code = 0;
    uint16_t width = 0;   // tenths of a millimetre
    uint16_t length = 0;
};

// A paper source as the model describes it, with the device tray it is.
struct TrayFeature {
    uint16_t source = 0;
    uint16_t minWidth = 0, minLength = 0, maxWidth = 0, maxLength = 0;
    std::vector<uint16_t> papers;   // accepted paper codes
    uint32_t deviceTray = 0;        // 0: no device tray
};

// What the printer said about one tray.
struct DeviceTrayRecord {
    uint32_t tray = 0;       // 1-based
    uint32_t shape = 0;      // 1 square, 2 first smaller, 3 first larger
    int32_t first = 0;       // micrometres; negative: unknown
    int32_t second = 0;
    wchar_t typeText[256] = {};
    wchar_t secondText[256] = {};
};

struct TypeName {
    uint16_t code = 0;
    std::wstring name;
};

struct SizeMatch {
    uint16_t code = 0;
    uint16_t shorter = 0;    // tenths of a millimetre
    uint16_t longer = 0;
};
// modelPapers excludes the user sizes; userPapers are the 20 user sizes.
SizeMatch MatchTrayPaper(int32_t first, int32_t second, const TrayFeature& feature,
                         const std::vector<QueryPaper>& modelPapers, const std::vector<QueryPaper>& userPapers);

struct TypeMatch {
    uint16_t code = 0;
    std::wstring userName;   // empty: none
};
TypeMatch MatchPaperType(const wchar_t* text, const std::vector<TypeName>& names);
TypeMatch MatchSecondType(const wchar_t* text, const std::vector<TypeName>& names);

// 1 (square), 2 or 3 from the two dimensions.
uint32_t TrayShape(int32_t first, int32_t second);
// The feed direction setting's value: 2 or 1.
uint16_t TrayFeedDirection(int32_t first, int32_t second, bool capabilityBit31);

struct TrayModel {
    std::vector<TrayFeature> features;
    std::vector<QueryPaper> modelPapers;
    std::vector<QueryPaper> userPapers;
    std::vector<TypeName> typeNames;
    std::vector<TypeName> secondNames;
    bool secondTypes = false;        // capability 0xFFFF0036
    bool feedBit31 = false;
};
// Appends the answers for each device tray, in the printer's order. False when
// memory is short (the list then holds what was appended).
bool BuildTrayAnswers(const std::vector<DeviceTrayRecord>& trays, const TrayModel& model, AnswerList* out);
