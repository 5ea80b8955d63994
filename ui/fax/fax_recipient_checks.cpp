#include "ui/fax/fax_recipient_checks.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "ui/fax/fax_destinations.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/support/keyed_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Speed-dial message identifiers by fax line kind.
constexpr int kMsgZeroKind1 = 5101;
constexpr int kMsgZeroKind0 = 5042;
constexpr int kMsgFourDigit = 5194;
constexpr int kMsgAboveBookKind1 = 5100;
constexpr int kMsgAboveBookKind0 = 5035;
constexpr uint16_t kModelSectionMaxRecipients = 25;

// The destinations one wildcard pattern stands for in 4-digit speed dial;
// the patterns not listed count the row's `other`.
struct WildcardCount {
    const char* pattern;
    int count;
};
constexpr WildcardCount kOneStarCounts[] = {{"000*", 9}, {"050*", 10}, {"200*", 1}};
constexpr int kOneStarOther = 10;
constexpr WildcardCount kTwoStarCounts[] = {{"00**", 99}, {"05**", 100}, {"20**", 1}};
constexpr int kTwoStarOther = 100;

bool IsDigits(const std::string& text, size_t from, size_t count)
{
    if (from + count > text.size())
        return false;
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

bool IsPlain(const std::string& text)
{
    return !text.empty() && IsDigits(text, 0, text.size());
}

// "ddd*" and "dd**" as they stand.
bool IsOneStar(const std::string& t) { return t.size() == 4 && IsDigits(t, 0, 3) && t[3] == '*'; }
bool IsTwoStar(const std::string& t) { return t.size() == 4 && IsDigits(t, 0, 2) && t[2] == '*' && t[3] == '*'; }

std::string PadTo4(const std::string& text)
{
    return text.size() < 4 ? std::string(4 - text.size(), '0') + text : text;
}

std::string Narrow(const wchar_t* text, size_t chars)
{
    std::string out;
    for (size_t i = 0; i < chars && text[i]; ++i)
        out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return out;
}

bool FieldEqual(const wchar_t* a, const wchar_t* b, size_t chars)
{
    return std::wcsncmp(a, b, chars) == 0;
}

std::wstring DropLeadingZeros(const wchar_t* text, size_t chars)
{
    std::wstring s(text, wcsnlen(text, chars));
    const size_t first = s.find_first_not_of(L'0');
    return first == std::wstring::npos ? std::wstring() : s.substr(first);
}

std::vector<const FaxRecipientRecord*> Records(KeyedList* list)
{
    std::vector<const FaxRecipientRecord*> out;
    const int32_t count = GetKeyedListCount(list);
    for (int32_t i = 0; i < count; ++i)
        if (auto* r = static_cast<const FaxRecipientRecord*>(GetKeyedListDataAt(list, i)))
            out.push_back(r);
    return out;
}

bool AttributeWritable(const FaxRecipientRecord* record, const FaxCheckInputs& in)
{
    if (!in.dialling)
        return true;
    int length = 0;
    return FormatFaxDestinationAttribute(kFaxModeNumber, record, in.dialling, kFaxLineCapacity, true, nullptr, &length,
                                         in.cardType) != 0 &&
           length >= 0;
}

}  // namespace

int ReadFaxCheckInputs(ModelDataRecord* model, void* settings, void* printerSettings, FaxCheckInputs* out)
{
    if (!out || !GetFaxCardKindOf(model, settings, printerSettings, &out->lineKind))
        return 0;
    out->ipFax = SettingNumberOr(kFidIpFaxOption, settings, printerSettings, 0) != 0;
    out->bookSize = SettingNumberOr(kFidSpeedDialBookSize, settings, printerSettings, 0);
    out->oneRecipient = SettingNumberOr(kFidOneRecipientMode, settings, printerSettings, 0) != 0;
    out->infoPage = static_cast<uint8_t>(SettingNumberOr(kFidFaxInformationPage, settings, printerSettings, 0));
    out->oneHeader = static_cast<uint8_t>(SettingNumberOr(kFidFaxOneHeader, settings, printerSettings, 0));
    out->cardType = static_cast<uint8_t>(SettingNumberOr(kFidFaxCardType, settings, printerSettings, 0));
    out->modelMaximum =
        model ? static_cast<uint16_t>(GetModelSectionNumber(model, kModelSectionMaxRecipients, 2, 0)) : 0;
    return 1;
}

bool IsFourDigitSpeedDial(const FaxCheckInputs& in)
{
    return IsFourDigitSpeedDial(in.lineKind, in.ipFax);
}

int CountRecipientDestinations(const FaxRecipientRecord* record, const FaxCheckInputs& in)
{
    if (!record)
        return 0;
    if (record->kind != kRecipientSpeedDial)
        return 1;
    if (!IsFourDigitSpeedDial(in))
        return in.lineKind == 0 ? 1 : 0;
    const std::string number = PadTo4(Narrow(record->destination, kRecipientAddressChars));
    if (IsPlain(number))
        return 1;
    if (IsOneStar(number)) {
        for (const WildcardCount& row : kOneStarCounts)
            if (number == row.pattern)
                return row.count;
        return kOneStarOther;
    }
    if (IsTwoStar(number)) {
        for (const WildcardCount& row : kTwoStarCounts)
            if (number == row.pattern)
                return row.count;
        return kTwoStarOther;
    }
    return 0;
}

int CountListDestinations(KeyedList* list, const FaxCheckInputs& in)
{
    int total = 0;
    for (const FaxRecipientRecord* r : Records(list)) {
        if (in.lineKind == 0 || in.lineKind == 1)
            total += r->kind == kRecipientFaxNumber ? 1 : 0;
        else
            total += CountRecipientDestinations(r, in);
    }
    return total;
}

bool SameRecipient(const FaxRecipientRecord* a, const FaxRecipientRecord* b, const FaxCheckInputs& in)
{
    if (!a || !b)
        return false;
    const bool namesEqual = FieldEqual(a->field7, b->field7, kRecipientNameChars) &&
                            FieldEqual(RecipientCompany(a), RecipientCompany(b), kRecipientCompanyChars);
    if (a->kind == kRecipientSpeedDial && b->kind == kRecipientSpeedDial) {
        const bool numbersEqual =
            IsFourDigitSpeedDial(in)
                ? DropLeadingZeros(a->destination, kRecipientAddressChars) ==
                      DropLeadingZeros(b->destination, kRecipientAddressChars)
                : FieldEqual(a->destination, b->destination, kRecipientAddressChars);
        return numbersEqual && namesEqual;
    }
    if (!namesEqual || !FieldEqual(a->destination, b->destination, kRecipientAddressChars) ||
        !FieldEqual(a->field5, b->field5, kRecipientFCodeChars) ||
        !FieldEqual(a->field6, b->field6, kRecipientFCodeChars) || a->kind != b->kind ||
        a->lineSelector != b->lineSelector || a->field3Code != b->field3Code || a->fieldChoice != b->fieldChoice)
        return false;
    if (a->fieldChoice == kMailboxKindMailbox)
        return FieldEqual(a->field4Text, b->field4Text, kRecipientMailboxCodeChars) &&
               a->field4Number == b->field4Number;
    if (a->fieldChoice == kMailboxKindRelay)
        return FieldEqual(a->field1List, b->field1List, kRecipientRelayNumbersChars) &&
               a->field1Number == b->field1Number && a->field1Flag == b->field1Flag;
    return true;
}

bool TwelveRuleApplies(const FaxCheckInputs& in)
{
    return in.lineKind == 1 && !(in.infoPage == 1 && in.oneHeader == 0);
}

int CheckRecipientAgainstList(const FaxRecipientRecord* record, KeyedList* list, const FaxCheckInputs& in)
{
    if (!record)
        return kRecipientNoAttribute;
    if ((record->kind == kRecipientFaxNumber || record->kind == kRecipientSpeedDial) &&
        !AttributeWritable(record, in))
        return kRecipientNoAttribute;
    const int32_t count = GetKeyedListCount(list);
    if (!IsFourDigitSpeedDial(in)) {
        if (count >= kMaxListRecipients)
            return kRecipientListFull;
    } else if (in.modelMaximum == 0 || count >= in.modelMaximum) {
        return kRecipientModelMaximum;
    }
    if (CountListDestinations(list, in) + CountRecipientDestinations(record, in) > kMaxDestinationTotal)
        return kRecipientOver600;
    for (const FaxRecipientRecord* listed : Records(list))
        if (SameRecipient(listed, record, in))
            return kRecipientDuplicate;
    if (record->kind != kRecipientSpeedDial && TwelveRuleApplies(in) &&
        CountListDestinations(list, in) >= kTwelveRuleLimit)
        return kRecipientTwelveRule;
    return kRecipientAccepted;
}

int CheckSpeedDialNumber(const char* text, const FaxCheckInputs& in)
{
    if (!text)
        return kMsgZeroKind0;
    const bool four = IsFourDigitSpeedDial(in);
    const std::string number = four ? PadTo4(text) : std::string(text);
    const bool kind3Plain = in.lineKind == 3 && !in.ipFax;
    if (IsPlain(number)) {
        const unsigned long value = std::strtoul(number.c_str(), nullptr, 10);
        if (kind3Plain)
            return 0;
        if (value == 0 || value > in.bookSize) {
            if (in.lineKind == 1)
                return value == 0 ? kMsgZeroKind1 : kMsgAboveBookKind1;
            if (in.lineKind == 0)
                return value == 0 ? kMsgZeroKind0 : kMsgAboveBookKind0;
            return kMsgFourDigit;
        }
        return 0;
    }
    if (kind3Plain)
        return 0;
    if (four) {
        if (IsOneStar(number))
            return std::strtoul(number.substr(0, 3).c_str(), nullptr, 10) * 10 <= in.bookSize ? 0 : kMsgFourDigit;
        if (IsTwoStar(number))
            return std::strtoul(number.substr(0, 2).c_str(), nullptr, 10) * 100 <= in.bookSize ? 0 : kMsgFourDigit;
        return kMsgFourDigit;
    }
    if (number == "***")
        return 0;
    if (number.size() == 3 && IsDigits(number, 0, 2) && number[2] == '*')
        return std::strtoul(number.substr(0, 2).c_str(), nullptr, 10) * 10 <= in.bookSize ? 0 : kMsgAboveBookKind0;
    return kMsgZeroKind0;
}

int CheckTypedSpeedDialNumber(const char* number, const FaxCheckInputs& in)
{
    if ((in.lineKind == 0 || in.lineKind == 1) && (!number || std::strlen(number) < 3))
        return in.lineKind == 1 ? kMsgZeroKind1 : kMsgZeroKind0;
    return CheckSpeedDialNumber(number, in);
}

int CheckOneRecipientMode(const FaxRecipientRecord* record, KeyedList* list, const FaxCheckInputs& in)
{
    if (!in.oneRecipient || !record)
        return 0;
    if (GetKeyedListCount(list) > 0)
        return 2;
    if (record->kind == kRecipientSpeedDial && wcsnlen(record->destination, kRecipientAddressChars) > 0 &&
        std::wmemchr(record->destination, L'*', wcsnlen(record->destination, kRecipientAddressChars)))
        return 3;
    if (record->fieldChoice == kMailboxKindRelay)
        return 1;
    return 0;
}

int CheckListTwelveRule(KeyedList* list, const FaxCheckInputs& in)
{
    return TwelveRuleApplies(in) && CountListDestinations(list, in) > kTwelveRuleLimit ? kRecipientTwelveRule : 0;
}

void TrimSpeedDialNumber(wchar_t* number, const FaxCheckInputs& in)
{
    if (!number)
        return;
    const size_t digits = IsFourDigitSpeedDial(in) ? 4 : 3;
    const size_t length = wcsnlen(number, kRecipientAddressChars);
    if (length > digits) {
        std::wmemmove(number, number + length - digits, digits);
        number[digits] = L'\0';
    }
}

void PadSpeedDialNumber(const wchar_t* number, bool fourDigits, wchar_t* out, size_t chars)
{
    if (!out || chars == 0)
        return;
    std::wstring text(number ? number : L"", number ? wcsnlen(number, kRecipientAddressChars) : 0);
    const size_t width = fourDigits ? 4 : 3;
    if (text.size() < width)
        text.insert(0, width - text.size(), L'0');
    const size_t kept = std::min(text.size(), chars - 1);
    std::wmemcpy(out, text.c_str(), kept);
    out[kept] = L'\0';
}

uint32_t CollectRecipientFeatures(KeyedList* list)
{
    uint32_t bits = 0;
    for (const FaxRecipientRecord* r : Records(list)) {
        if (r->fieldChoice == kMailboxKindMailbox)
            bits |= kFeatureMailbox;
        if (r->field5[0] != L'\0')
            bits |= kFeatureFCode;
        if (r->field6[0] != L'\0')
            bits |= kFeatureFCodePassword;
    }
    return bits;
}

uint8_t FaxLineValueOfKind(uint16_t lineKind, bool ipFax)
{
    constexpr uint8_t kValueByKind[] = {2, 3, 1, 0};
    if (ipFax)
        return 1;
    return lineKind < 4 ? kValueByKind[lineKind] : 0;
}

uint16_t FaxLineKindOfValue(uint8_t value)
{
    constexpr uint16_t kKindByValue[] = {3, 4, 0, 1};
    return value < 4 ? kKindByValue[value] : 3;
}
