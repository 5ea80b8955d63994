#include "common/config/site_config_tables.h"

#include "common/config/site_config.h"

namespace {

// In this order; the list holds its entries in the reverse order.
// "Option_Finisher" and "Option_Punch" both carry 4359: both are read.
constexpr ConfiguredName kNames[] = {
    {L"Special1", 5153},
    {L"ColorMode", 270},
    {L"JobType", 334},
    {L"duplex", 16},
    {L"banner", 332},
    {L"BannerSheet", 458},
    {L"staple", 320},
    {L"punch", 341},
    {L"fonttype", 1335},
    {L"font_subst", 292},
    {L"AccountMode", 5163},
    {L"popup_admin", 5164},
    {L"popup_user", 5165},
    {L"Option_HiCapacityTray", 4362},
    {L"Option_SideTray", 4108},
    {L"Option_FoldedPaperTray", 4121},
    {L"Option_BookletTray", 4122},
    {L"Option_Interposer", 4110},
    {L"Punch_Hole", 4363},
    {L"Option_Duplex", 4103},
    {L"Option_OCT", 4098},
    {L"Option_HardDisk", 4099},
    {L"Option_MemorySelect", 4355},
    {L"Option_FaxKit", 4125},
    {L"Paper_Setting", 4356},
    {L"Paper_Switch_8K16K", 4358},
    {L"Option_Glossy", 4127},
    {L"Option_Exit2", 4126},
    {L"Option_PBExp", 4113},
    {L"Option_InTray", 4357},
    {L"Option_Finisher", 4359},
    {L"Option_HCS", 4368},
    {L"Option_FaxCardType", 4369},
    {L"Option_SIPFax", 4142},
    {L"Option_Punch", 4359},
};

constexpr ConfiguredSwitchName kSwitches[] = {
    {L"USE_SPECIAL1", kSwitchUseSpecial1},
    {L"MONOCOLOR_PRINT", kSwitchMonocolorPrint},
    {L"SECURE_PRINT", kSwitchSecurePrint},
    {L"BANNER_PRINT", kSwitchBannerPrint},
    {L"DUPLEX_PRINT_LONG", kSwitchDuplexLong},
    {L"DUPLEX_PRINT_SHORT", kSwitchDuplexShort},
    {L"LOG", kSwitchLog},  // only serves the trace log
};

// Compared without regard to case; the first match counts.
constexpr ConfigKeyword kKeywords[] = {
    {L"on", 1},
    {L"off", 0},
    {L"true", 1},
    {L"false", 0},
    {L"auto_color", 0},
    {L"gray", 1},
    {L"color", 2},
    {L"hide", 0},
    {L"dimout", 1},
    {L"show", 2},
    {L"normal_print", 0},
    {L"secure_print", 1},
    {L"sample_print", 2},
    {L"box_print", 3},
    {L"delay_print", 4},
    {L"hole2", 0},
    {L"hole3", 1},
    {L"ab13in_series", 0},
    {L"ab_series", 1},
    {L"ab8k16k_series", 2},
    {L"ab13in14in_series", 3},
    {L"inch_series", 4},
    {L"trad", 0},
    {L"simp", 1},
    {L"option0", 0},
    {L"option1", 1},
    {L"option2", 2},
    {L"option3", 3},
    {L"option4", 4},
    {L"option5", 5},
    {L"option6", 6},
    {L"option7", 7},
    {L"option8", 8},
    {L"option9", 9},
    {L"LightFinisher", 1},
    {L"FinisherA", 10},
    {L"FinisherB", 2},
    {L"FinisherC", 3},
    {L"FinisherD", 4},
    {L"FinisherC_Booklet", 5},
    {L"FinisherD_CZFold", 6},
    {L"FinisherSB", 7},
    {L"None", 0},
    {L"FaxMini", 1},
    {L"PCC", 2},
};

constexpr uint16_t kEnforcedShow = kConfiguredEnforced | kConfiguredShow;
constexpr uint16_t kEnforcedDimout = kConfiguredEnforced | kConfiguredDimout;

constexpr SwitchExpansion kExpansions[] = {
    {kSwitchUseSpecial1, 5153, 1, kEnforcedShow},
    {kSwitchMonocolorPrint, 270, 1, kEnforcedDimout},
    {kSwitchMonocolorPrint, 4129, 0, kConfiguredEnforced},
    {kSwitchSecurePrint, 334, 1, kEnforcedDimout},
    {kSwitchSecurePrint, 4099, 1, kConfiguredEnforced},
    {kSwitchBannerPrint, 458, 1, kEnforcedDimout},
    {kSwitchDuplexLong, 16, 1, kEnforcedDimout},
    {kSwitchDuplexLong, 4103, 1, kConfiguredDefault},
    {kSwitchDuplexShort, 16, 2, kEnforcedDimout},
    {kSwitchDuplexShort, 4103, 1, kConfiguredDefault},
};

// Translation ranges shared by several rows.
constexpr TranslationRange kOnOff[] = {{1, 1, 1}, {0, 0, 0}};
constexpr TranslationRange kOffOn[] = {{0, 0, 0}, {1, 1, 1}};
constexpr TranslationRange kColorMode[] = {{0, 0, 0}, {2, 2, 2}, {1, 1, 1}};
constexpr TranslationRange kSame0To2[] = {{0, 2, 0}};
constexpr TranslationRange kSame0To4[] = {{0, 4, 0}};
constexpr TranslationRange kSame0To5[] = {{0, 5, 0}};
constexpr TranslationRange kSame0To9[] = {{0, 9, 0}};
// dmDuplex: simplex, long edge, short edge are 1, 2, 3 in the record.
constexpr TranslationRange kDuplex[] = {{0, 0, 1}, {1, 1, 2}, {2, 2, 3}};
// Staple positions 9 and 10 are numbered the other way round in the record.
constexpr TranslationRange kStaple[] = {{0, 8, 0}, {9, 9, 10}, {10, 10, 9}, {11, 15, 11}};
constexpr TranslationRange kFontSubstitution[] = {{0, 0, 2}, {1, 1, 1}, {2, 2, 0}};
constexpr TranslationRange kOffOnThen2To5[] = {{0, 0, 0}, {1, 1, 1}, {2, 5, 2}};
constexpr TranslationRange kOffOnThen2To3[] = {{0, 0, 0}, {1, 1, 1}, {2, 3, 2}};
constexpr TranslationRange kFinisher[] = {{0, 0, 0}, {1, 1, 1}, {10, 10, 10}, {2, 7, 2}};

constexpr TranslationRow kTranslations[] = {
    {5153, kOnOff},
    {4129, kOnOff},
    {270, kColorMode},
    {334, kSame0To4},
    {16, kDuplex},
    {332, kSame0To2},
    {458, kSame0To2},
    {320, kStaple},
    {341, kSame0To5},
    {1335, kOnOff},
    {292, kFontSubstitution},
    {5163, kOffOn},
    {5164, kOffOn},
    {5165, kOffOn},
    {4362, kOffOnThen2To5},
    {4108, kOnOff},
    {4121, kOnOff},
    {4122, kOnOff},
    {4110, kOnOff},
    {4363, kOffOnThen2To3},
    {4103, kOnOff},
    {4099, kOnOff},
    {4125, kOnOff},
    {4356, kSame0To4},
    {4358, kOffOn},
    {4098, kOnOff},
    {4355, kSame0To9},
    {4127, kOnOff},
    {4126, kOnOff},
    {4113, kOnOff},
    {4357, kSame0To5},
    {4359, kFinisher},
    {4368, kOffOnThen2To5},
    {4369, kSame0To2},
    {4142, kOnOff},
};

}  // namespace

const std::span<const ConfiguredName> kConfiguredNames = kNames;
const std::span<const ConfiguredSwitchName> kConfiguredSwitches = kSwitches;
const std::span<const ConfigKeyword> kConfiguredKeywords = kKeywords;
const std::span<const SwitchExpansion> kSwitchExpansions = kExpansions;
const std::span<const TranslationRow> kTranslationRows = kTranslations;
