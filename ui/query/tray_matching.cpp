#include "ui/query/tray_matching.h"

#include "common/settings/paper_codes.h"
#include "common/settings/value_types.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

namespace {

constexpr uint16_t kUserTypeFirst = 13, kUserTypeLast = 17;
constexpr uint16_t kUserSecondFirst = 11, kUserSecondLast = 15;
constexpr uint16_t kUserTypeNameSetting = 6401;
constexpr uint16_t kUserSecondNameSetting = 6411;

bool Within(const QueryPaper& p, int32_t shorter, int32_t longer, int32_t tolerance)
{
    return std::abs(p.width * 100 - shorter) <= tolerance && std::abs(p.length * 100 - longer) <= tolerance;
}

// Only in the range of user types does a name carry a name of its own.
TypeMatch MatchType(const wchar_t* text, const std::vector<TypeName>& names, uint16_t userFirst, uint16_t userLast,
                    uint16_t none, bool second)
{
    if (!text)
        return {none, {}};
    const size_t length = std::wcslen(text);
    for (const TypeName& n : names) {
        const bool user = n.code >= userFirst && n.code <= userLast;
        if (!user) {
            if (n.name == text)
                return {n.code, {}};
            continue;
        }
        if (n.name.empty() || length < n.name.size() || std::wmemcmp(text, n.name.c_str(), n.name.size()) != 0)
            continue;
        if (length == n.name.size())
            return second ? TypeMatch{n.code, {}} : TypeMatch{none, {}};
        if (text[n.name.size()] != L'(')
            continue;
        const wchar_t* open = std::wcschr(text, L'(');
        const wchar_t* close = std::wcsrchr(text, L')');
        if (!close || close < open)
            return {none, {}};
        return {n.code, std::wstring(open + 1, close)};
    }
    return {none, {}};
}

}  // namespace

SizeMatch MatchTrayPaper(int32_t first, int32_t second, const TrayFeature& feature,
                         const std::vector<QueryPaper>& modelPapers, const std::vector<QueryPaper>& userPapers)
{
    if (first < 0 || second < 0)
        return {kTrayUnknownPaper, 0, 0};
    const int32_t shorter = std::min(first, second), longer = std::max(first, second);
    SizeMatch m{0, static_cast<uint16_t>(shorter / 100), static_cast<uint16_t>(longer / 100)};
    const auto accepted = [&](uint16_t code) {
        return std::find(feature.papers.begin(), feature.papers.end(), code) != feature.papers.end();
    };
    for (int32_t tolerance : {0, kTrayTolerance})
        for (const QueryPaper& p : modelPapers)
            if (!IsCustomPaperCode(p.code) && Within(p, shorter, longer, tolerance) && accepted(p.code)) {
                m.code = p.code;
                return m;
            }
    for (const QueryPaper& p : userPapers)
        if (Within(p, shorter, longer, kTrayTolerance)) {
            m.code = p.code;
            return m;
        }
    const int32_t s = shorter / 100, l = longer / 100;
    m.code = s >= feature.minWidth && s <= feature.maxWidth && l >= feature.minLength && l <= feature.maxLength
                 ? kTrayOwnSizePaper
                 : kTrayUnknownPaper;
    return m;
}

TypeMatch MatchPaperType(const wchar_t* text, const std::vector<TypeName>& names)
{
    return MatchType(text, names, kUserTypeFirst, kUserTypeLast, kNoPaperType, false);
}

TypeMatch MatchSecondType(const wchar_t* text, const std::vector<TypeName>& names)
{
    return MatchType(text, names, kUserSecondFirst, kUserSecondLast, kNoSecondType, true);
}

uint32_t TrayShape(int32_t first, int32_t second)
{
    return first == second ? 1 : first < second ? 2 : 3;
}

uint16_t TrayFeedDirection(int32_t first, int32_t second, bool capabilityBit31)
{
    if (first == second || (first > second && capabilityBit31) || (first < second && !capabilityBit31))
        return 2;
    return 1;
}

bool BuildTrayAnswers(const std::vector<DeviceTrayRecord>& trays, const TrayModel& model, AnswerList* out)
{
    for (const DeviceTrayRecord& tray : trays) {
        const TrayFeature* feature = nullptr;
        for (const TrayFeature& f : model.features)
            if (f.deviceTray != 0 && f.deviceTray == tray.tray) {
                feature = &f;
                break;
            }
        if (!feature)
            continue;
        uint16_t settings[6];
        if (!FindPaperSourceSettings(feature->source, settings))
            continue;
        const SizeMatch size = MatchTrayPaper(tray.first, tray.second, *feature, model.modelPapers, model.userPapers);
        out->push_back(NumberAnswer(settings[0], kTypeU16, 2, size.code));
        out->push_back(NumberAnswer(settings[4], kTypeU16, 2, size.shorter));
        out->push_back(NumberAnswer(settings[5], kTypeU16, 2, size.longer));
        out->push_back(NumberAnswer(settings[1], kTypeU16, 2, TrayFeedDirection(tray.first, tray.second, model.feedBit31)));
        const TypeMatch type = MatchPaperType(tray.typeText, model.typeNames);
        out->push_back(NumberAnswer(settings[2], kTypeU16, 2, type.code));
        if (type.code >= kUserTypeFirst && type.code <= kUserTypeLast && !type.userName.empty()) {
            SettingAnswer name;
            if (!StringAnswer(static_cast<uint16_t>(kUserTypeNameSetting + type.code - kUserTypeFirst),
                              type.userName.c_str(), &name))
                return false;
            out->push_back(name);
        }
        if (!model.secondTypes)
            continue;
        const TypeMatch second = MatchSecondType(tray.secondText, model.secondNames);
        out->push_back(NumberAnswer(settings[3], kTypeU16, 2, second.code));
        if (second.code >= kUserSecondFirst && second.code <= kUserSecondLast && !second.userName.empty()) {
            SettingAnswer name;
            if (!StringAnswer(static_cast<uint16_t>(kUserSecondNameSetting + second.code - kUserSecondFirst),
                              second.userName.c_str(), &name))
                return false;
            out->push_back(name);
        }
    }
    return true;
}
