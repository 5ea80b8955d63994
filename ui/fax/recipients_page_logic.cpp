#include "ui/fax/recipients_page_logic.h"

#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/fax/fax_destinations.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/support/keyed_list.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

// Messages of the initial fill.
constexpr UINT kMessageNoFaxLine = 5206;
constexpr UINT kMessageLineValue = 5220;
constexpr UINT kMessagePageMode1 = 5240;
constexpr UINT kMessageOneRecipient = 5241;
constexpr UINT kMessageFaxNumbers = 5221;
constexpr UINT kMessageIpFax = 5222;

// Description strings.
constexpr UINT kCommModeStrings[] = {5065, 5066, 5067};
constexpr UINT kCommModeLineKind1 = 5198;
constexpr UINT kMailboxFormat = 5068;
constexpr UINT kRelayText = 5069;
constexpr UINT kFCodeText = 5070;
constexpr UINT kFCodePasswordText = 5071;
constexpr UINT kDialPrefixTexts[] = {5072, 5073, 5074};

struct CodeMessage {
    int code;
    UINT message;
};
constexpr CodeMessage kAddMessages[] = {{kRecipientListFull, 5001}, {kRecipientTwelveRule, 5195},
                                        {kRecipientModelMaximum, 5207}, {kRecipientOver600, 5203},
                                        {kRecipientNoAttribute, 5002}, {kRecipientDuplicate, 5000}};
constexpr CodeMessage kLeaveMessages[] = {{kRecipientListFull, 5034}, {kRecipientTwelveRule, 5195},
                                          {kRecipientModelMaximum, 5204}, {kRecipientOver600, 5205},
                                          {kRecipientDuplicate, 5036}, {kRecipientNoAttribute, 5014}};
constexpr CodeMessage kOneRecipientMessages[] = {{2, 5237}, {3, 5239}, {1, 5236}};

UINT MessageOf(const CodeMessage* rows, size_t count, int code)
{
    for (size_t i = 0; i < count; ++i)
        if (rows[i].code == code)
            return rows[i].message;
    return 0;
}

// The entry fields and where they sit in the record; `chars` 0 for a number.
struct EntryField {
    uint16_t setting;
    size_t offset;
    uint32_t chars;
};
constexpr EntryField kEntryFields[] = {
    {kFidRecipientKind, offsetof(FaxRecipientRecord, kind), 0},
    {kFidRecipientAddress, offsetof(FaxRecipientRecord, destination), kRecipientAddressChars},
    {kFidRecipientDialPrefix, offsetof(FaxRecipientRecord, lineSelector), 0},
    {kFidRecipientName, offsetof(FaxRecipientRecord, field7), kRecipientNameChars},
    {kFidRecipientCompany, offsetof(FaxRecipientRecord, unread), kRecipientCompanyChars},
    {kFidRecipientCommMode, offsetof(FaxRecipientRecord, field3Code), 0},
    {kFidRecipientMailboxKind, offsetof(FaxRecipientRecord, fieldChoice), 0},
    {kFidRecipientMailboxNumber, offsetof(FaxRecipientRecord, field4Number), 0},
    {kFidRecipientMailboxCode, offsetof(FaxRecipientRecord, field4Text), kRecipientMailboxCodeChars},
    {kFidRecipientRelayStation, offsetof(FaxRecipientRecord, field1Number), 0},
    {kFidRecipientRelayPrint, offsetof(FaxRecipientRecord, field1Flag), 0},
    {kFidRecipientRelayNumbers, offsetof(FaxRecipientRecord, field1List), kRecipientRelayNumbersChars},
    {kFidRecipientFCode, offsetof(FaxRecipientRecord, field5), kRecipientFCodeChars},
    {kFidRecipientFCodePassword, offsetof(FaxRecipientRecord, field6), kRecipientFCodeChars},
};

std::wstring Field(const wchar_t* text, size_t chars)
{
    return std::wstring(text, wcsnlen(text, chars));
}

std::wstring ResourceText(UINT id)
{
    wchar_t text[256] = {};
    if (HMODULE resources = GetResourceModule())
        LoadStringW(resources, id, text, 256);
    return text;
}

std::string Ascii(const wchar_t* text, size_t chars)
{
    std::string out;
    for (size_t i = 0; i < chars && text[i]; ++i)
        out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return out;
}

void RemoveAt(FaxDestinations* record, int32_t index)
{
    if (void* data = GetKeyedListDataAt(record->recipients, index))
        GlobalFree(data);
    RemoveKeyedListNodeAt(record->recipients, index);
}

void RemoveAll(FaxDestinations* record)
{
    for (int32_t i = GetKeyedListCount(record->recipients) - 1; i >= 0; --i)
        RemoveAt(record, i);
}

FaxRecipientRecord* At(FaxDestinations* record, int32_t index)
{
    return static_cast<FaxRecipientRecord*>(GetKeyedListDataAt(record->recipients, index));
}

bool HasWildcard(const FaxRecipientRecord& r)
{
    const size_t length = wcsnlen(r.destination, kRecipientAddressChars);
    return std::wmemchr(r.destination, L'*', length) != nullptr;
}

}  // namespace

bool IsBlankText(const wchar_t* text)
{
    for (const wchar_t* c = text; c && *c; ++c)
        if (*c != L' ' && *c != 0x3000)
            return false;
    return true;
}

uint16_t FilterRecipientList(FaxDestinations* record, const RecipientPageInputs& in, bool initialFill)
{
    if (!record || !record->recipients)
        return 0;
    const FaxCheckInputs& c = in.checks;
    const bool fourDigit = IsFourDigitSpeedDial(c);
    if (initialFill) {
        const uint16_t kind = FaxLineKindOfValue(in.lineValue);
        if ((kind == 0 && fourDigit) || (kind == 4 && c.lineKind == 0)) {
            RemoveAll(record);
            return kEmptiedLineValue;
        }
    }
    const int32_t count = GetKeyedListCount(record->recipients);
    for (int32_t i = 0; i < count; ++i)
        if (FaxRecipientRecord* r = At(record, i); r && !in.commMode2 && r->field3Code == 2)
            r->field3Code = 0;
    if (c.oneRecipient && count > 0) {
        const FaxRecipientRecord* first = At(record, 0);
        if (count > 1 || (first->kind == kRecipientSpeedDial && HasWildcard(*first)) ||
            first->fieldChoice == kMailboxKindRelay) {
            RemoveAll(record);
            return kEmptiedOneRecipient;
        }
    }
    if (in.pageMode == 1) {
        for (int32_t i = 0; i < count; ++i)
            if (At(record, i)->kind != kRecipientSpeedDial) {
                RemoveAll(record);
                return kEmptiedPageMode1;
            }
    }
    uint16_t flags = 0;
    const bool noFaxLine = c.lineKind == 3 && !c.ipFax;
    for (int32_t i = count - 1; i >= 0; --i) {
        FaxRecipientRecord* r = At(record, i);
        bool remove = false;
        if (r->kind == kRecipientFaxNumber && c.lineKind == 3) {
            remove = true;
            flags |= initialFill ? kRemovedFaxNumbers : 0;
        } else if (r->kind == kRecipientIpFax && !c.ipFax) {
            remove = true;
            flags |= initialFill ? kRemovedIpFax : 0;
        } else if (r->kind == kRecipientSpeedDial) {
            remove = noFaxLine ||
                     CheckSpeedDialNumber(Ascii(r->destination, kRecipientAddressChars).c_str(), c) != 0;
            if (!remove)
                TrimSpeedDialNumber(r->destination, c);
        }
        if (remove)
            RemoveAt(record, i);
    }
    return flags;
}

std::vector<UINT> RemovalMessages(uint16_t flags, const RecipientPageInputs& in)
{
    if (in.checks.lineKind == 3 && !in.checks.ipFax)
        return {kMessageNoFaxLine};
    if (flags & kEmptiedLineValue)
        return {kMessageLineValue};
    if (flags & kEmptiedPageMode1)
        return {kMessagePageMode1};
    if (flags & kEmptiedOneRecipient)
        return {kMessageOneRecipient};
    std::vector<UINT> messages;
    if (flags & kRemovedFaxNumbers)
        messages.push_back(kMessageFaxNumbers);
    // IP fax addresses removed on their own are reported as well: the list
    // would otherwise lose them without a word.
    if (flags & kRemovedIpFax)
        messages.push_back(kMessageIpFax);
    return messages;
}

RecipientRowText FormatRecipientRow(const FaxRecipientRecord& r, const RecipientPageInputs& in,
                                    const wchar_t* speedDialSuffix, const wchar_t* ipFaxSuffix)
{
    RecipientRowText row;
    const std::wstring address = Field(r.destination, kRecipientAddressChars);
    switch (r.kind) {
    case kRecipientFaxNumber:
        row.address = (r.lineSelector == 2 ? in.outsidePrefix : r.lineSelector == 1 ? in.extensionPrefix : L"") +
                      address;
        break;
    case kRecipientSpeedDial: {
        wchar_t padded[kRecipientAddressChars] = {};
        PadSpeedDialNumber(r.destination, IsFourDigitSpeedDial(in.checks), padded, kRecipientAddressChars);
        row.address = std::wstring(padded) + (speedDialSuffix ? speedDialSuffix : L"");
        break;
    }
    default:
        row.address = address + (ipFaxSuffix ? ipFaxSuffix : L"");
        break;
    }
    row.name = Field(r.field7, kRecipientNameChars);
    row.company = Field(RecipientCompany(&r), kRecipientCompanyChars);
    const size_t lineEnd = row.company.find(L"\r\n");
    if (lineEnd != std::wstring::npos)
        row.company.replace(lineEnd, 2, L" ");
    return row;
}

std::wstring DescribeRecipientOptions(const FaxRecipientRecord& r, uint16_t lineKind)
{
    if (r.kind == kRecipientSpeedDial)
        return {};
    std::vector<std::wstring> parts;
    if (r.field3Code < std::size(kCommModeStrings))
        parts.push_back(ResourceText(r.field3Code == 1 && lineKind == 1 ? kCommModeLineKind1
                                                                         : kCommModeStrings[r.field3Code]));
    if (r.fieldChoice == kMailboxKindMailbox) {
        const std::wstring format = ResourceText(kMailboxFormat);
        wchar_t text[256] = {};
        const DWORD_PTR arguments[] = {r.field4Number};
        if (!format.empty())
            FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, format.c_str(), 0, 0, text,
                           256, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
        parts.push_back(text);
    } else if (r.fieldChoice == kMailboxKindRelay) {
        parts.push_back(ResourceText(kRelayText));
    }
    if (r.field5[0])
        parts.push_back(ResourceText(kFCodeText));
    if (r.field6[0])
        parts.push_back(ResourceText(kFCodePasswordText));
    if (r.kind == kRecipientFaxNumber && r.lineSelector < std::size(kDialPrefixTexts))
        parts.push_back(ResourceText(kDialPrefixTexts[r.lineSelector]));
    std::wstring text;
    for (const std::wstring& part : parts)
        if (!part.empty())
            text += (text.empty() ? L"" : L" ") + part;
    return text;
}

int BuildRecipientFromEntry(void* settings, void* printerSettings, FaxRecipientRecord* out)
{
    if (!out)
        return 0;
    *out = FaxRecipientRecord{};
    auto* bytes = reinterpret_cast<uint8_t*>(out);
    for (const EntryField& f : kEntryFields) {
        if (f.chars == 0) {
            uint32_t value = 0;
            if (!ReadSettingNumber(f.setting, settings, printerSettings, &value))
                return 0;
            const uint16_t word = static_cast<uint16_t>(value);
            std::memcpy(bytes + f.offset, &word, sizeof word);
            continue;
        }
        const auto* text = reinterpret_cast<const wchar_t*>(
            static_cast<uintptr_t>(GetFunctionIdValuePointer(settings, printerSettings, f.setting, kTypeString)));
        if (!text)
            return 0;
        auto* slot = reinterpret_cast<wchar_t*>(bytes + f.offset);
        std::wmemcpy(slot, text, wcsnlen(text, f.chars - 1));
    }
    return 1;
}

int PutRecipientIntoEntry(void* settings, void* printerSettings, const FaxRecipientRecord& record)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    for (const EntryField& f : kEntryFields) {
        if (f.chars == 0) {
            uint16_t word = 0;
            std::memcpy(&word, bytes + f.offset, sizeof word);
            if (!WriteSettingNumber(f.setting, settings, printerSettings, word))
                return 0;
            continue;
        }
        wchar_t text[kRecipientAddressChars] = {};
        std::wmemcpy(text, reinterpret_cast<const wchar_t*>(bytes + f.offset), f.chars - 1);
        const uint32_t size = static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t));
        if (SetFunctionIdValueArgs(settings, printerSettings, f.setting, kTypeString, size,
                                   static_cast<const wchar_t*>(text)) != 0)
            return 0;
    }
    return 1;
}

UINT AddRefusalMessage(int code)
{
    return MessageOf(kAddMessages, std::size(kAddMessages), code);
}

UINT LeaveRefusalMessage(int code)
{
    return MessageOf(kLeaveMessages, std::size(kLeaveMessages), code);
}

UINT OneRecipientMessage(int code)
{
    return MessageOf(kOneRecipientMessages, std::size(kOneRecipientMessages), code);
}

AddressBookBox BuildAddressBookBox(const std::vector<std::wstring>& history, const std::wstring& current)
{
    constexpr size_t kMaxPaths = 10;
    AddressBookBox box;
    box.current = current;
    for (const std::wstring& path : history)
        if (_wcsicmp(path.c_str(), current.c_str()) != 0)
            box.paths.push_back(path);
    if (!current.empty() && !IsBlankText(current.c_str())) {
        const bool marked = current[0] == L':';
        const std::wstring shown = marked ? current.substr(1) : current;
        if (marked || (!history.empty() && _wcsicmp(history[0].c_str(), current.c_str()) == 0) || box.paths.empty()) {
            box.paths.insert(box.paths.begin(), shown);
        } else {
            box.paths.insert(box.paths.begin() + 1, shown);
            box.current = history[0];
        }
    }
    if (box.paths.size() > kMaxPaths)
        box.paths.resize(kMaxPaths);
    return box;
}

uint16_t FitRecipientKindToOptions(uint16_t kind, uint32_t faxCardOption, bool ipFax)
{
    if (kind == kRecipientFaxNumber && faxCardOption == 0)
        return ipFax ? kRecipientIpFax : kRecipientSpeedDial;
    if (kind == kRecipientIpFax && !ipFax)
        return faxCardOption != 0 ? kRecipientFaxNumber : kRecipientSpeedDial;
    return kind;
}

std::wstring ComposeFeatureMessage(uint32_t features, uint16_t lineKind)
{
    constexpr UINT kFeatureStart = 4631;
    constexpr UINT kFeatureEnd = 4632;
    constexpr UINT kFeatureEndLineKind1 = 5199;
    constexpr struct {
        uint32_t bit;
        UINT text;
    } kFeatureTexts[] = {{0x01, 4633}, {0x02, 4634}, {0x04, 4635}};
    if (features == 0)
        return {};
    std::wstring text = ResourceText(kFeatureStart);
    for (const auto& f : kFeatureTexts)
        if (features & f.bit)
            text += ResourceText(f.text);
    return text + ResourceText(lineKind == 1 ? kFeatureEndLineKind1 : kFeatureEnd);
}

std::wstring FitTextToWidth(const wchar_t* text, int widthBytes, bool pad)
{
    return FitTextToWidthIn(CP_ACP, text, widthBytes, pad);
}

std::wstring FitTextToWidthIn(UINT codePage, const wchar_t* text, int widthBytes, bool pad)
{
    if (!text || widthBytes < 0)
        return {};
    const int chars = static_cast<int>(wcscspn(text, L"\r"));
    std::string ansi;
    if (chars > 0) {
        const int bytes = WideCharToMultiByte(codePage, 0, text, chars, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0)
            return {};
        ansi.resize(static_cast<size_t>(bytes));
        WideCharToMultiByte(codePage, 0, text, chars, ansi.data(), bytes, nullptr, nullptr);
    }
    if (static_cast<int>(ansi.size()) > widthBytes) {
        const int keep = widthBytes > 3 ? widthBytes - 3 : 0;
        int cut = 0;
        for (int i = 0; i < keep;) {
            const int step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(ansi[static_cast<size_t>(i)])) ? 2 : 1;
            if (i + step > keep)
                break;
            i += step;
            cut = i;
        }
        ansi.resize(static_cast<size_t>(cut));
        ansi += "...";
    } else if (pad) {
        ansi.append(static_cast<size_t>(widthBytes) - ansi.size(), ' ');
    }
    if (ansi.empty())
        return {};
    const int wide = MultiByteToWideChar(codePage, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (wide <= 0)
        return {};
    std::wstring out(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), wide);
    return out;
}

std::wstring TwoDigits(uint32_t value)
{
    wchar_t text[16] = {};
    swprintf(text, 16, value < 10 ? L"0%u" : L"%u", value);
    return text;
}
