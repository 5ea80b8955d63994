#include "ui/query/query_application.h"

#include "common/settings/paper_codes.h"

namespace {

const SettingAnswer* FindAnswer(const AnswerList& list, uint16_t setting)
{
    for (const SettingAnswer& a : list)
        if (a.settingId == setting)
            return &a;
    return nullptr;
}

// The paper-size settings of every row of the paper source table.
constexpr uint16_t kSourcePaperRanges[][2] = {{6145, 6159}, {6220, 6224}};

}  // namespace

int ApplyQueryResult(const PrinterQueryResult& result, const QueryCapabilities& caps, QueryResultTarget* target)
{
    if (!target)
        return 0;
    target->Store(result.address);
    if (caps.communityName && result.community.settingId)
        target->Store(result.community);
    if (caps.snmpVersion && result.snmpVersion.settingId)
        target->Store(result.snmpVersion);

    const AnswerList& options = result.options;
    size_t first = 0;
    const bool faxFirst = !options.empty() && options[0].settingId == kOptionFaxCardType;
    if (!caps.firstOptionApplied && !faxFirst) {
        // The first answer (and a hard disk answer after it) only tells that
        // the printer answered for its options at all.
        bool answered = !options.empty() && AnswerIsNonZero(options[0]);
        first = options.empty() ? 0 : 1;
        if (options.size() > 1 && options[1].settingId == kOptionHardDisk) {
            answered = answered && AnswerIsNonZero(options[1]);
            first = 2;
        }
        if (!answered) {
            target->Message(kMessageNoOptionAnswer);
            return 1;
        }
    } else {
        const SettingAnswer* fax = FindAnswer(options, kOptionFaxCardType);
        const SettingAnswer* sip = FindAnswer(options, kOptionSipFax);
        if (!(fax && AnswerIsNonZero(*fax)) && !(sip && AnswerIsNonZero(*sip)))
            target->Message(kMessageNoOptionAnswer);
    }
    for (size_t i = first; i < options.size(); ++i) {
        uint16_t changed = 0;
        if (target->Change(options[i], &changed) && changed == kOptionLeadingChange && AnswerIsNonZero(options[i]))
            target->Message(kMessageOptionChanged);
    }
    for (const SettingAnswer& a : result.others) {
        uint16_t changed = 0;
        target->Change(a, &changed);
    }
    for (const SettingAnswer& a : result.trays)
        target->Store(a);
    target->ShowAddress(AnswerText(result.address));
    for (const auto& range : kSourcePaperRanges)
        for (uint16_t s = range[0]; s <= range[1]; ++s)
            target->RebuildOptionList(s);
    return 1;
}
