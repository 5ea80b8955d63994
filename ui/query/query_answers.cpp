#include "ui/query/query_answers.h"

#include "common/settings/value_types.h"

#include <cstring>
#include <cwchar>

SettingAnswer NumberAnswer(uint16_t settingId, uint16_t type, uint32_t size, uint64_t value)
{
    SettingAnswer a;
    a.settingId = settingId;
    a.type = type;
    a.size = size;
    std::memcpy(a.holder, &value, sizeof a.holder);
    return a;
}

bool StringAnswer(uint16_t settingId, const wchar_t* text, SettingAnswer* out)
{
    if (!out || !text)
        return false;
    const size_t length = std::wcslen(text) + 1;
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, length * sizeof(wchar_t)));
    if (!copy)
        return false;
    std::memcpy(copy, text, length * sizeof(wchar_t));
    *out = {};
    out->settingId = settingId;
    out->type = kTypeString;
    out->size = static_cast<uint32_t>(length * sizeof(wchar_t));
    std::memcpy(out->holder, &copy, sizeof copy);
    return true;
}

const wchar_t* AnswerText(const SettingAnswer& answer)
{
    if (answer.type != kTypeString)
        return nullptr;
    const wchar_t* text = nullptr;
    std::memcpy(&text, answer.holder, sizeof text);
    return text;
}

uint32_t AnswerNumber(const SettingAnswer& answer)
{
    switch (answer.type) {
    case kTypeFlag:
    case kTypeS32:
    case kTypeU32: {
        if (answer.size != 4)
            return 0;
        uint32_t v;
        std::memcpy(&v, answer.holder, 4);
        return v;
    }
    case kTypeS16:
    case kTypeU16: {
        if (answer.size != 2)
            return 0;
        uint16_t v;
        std::memcpy(&v, answer.holder, 2);
        return v;
    }
    case kTypeByte: return answer.size == 1 ? answer.holder[0] : 0;
    default: return 0;
    }
}

bool AnswerIsNonZero(const SettingAnswer& answer)
{
    if (answer.type == kTypeString) {
        const wchar_t* text = AnswerText(answer);
        return text && text[0] != 0;
    }
    return AnswerNumber(answer) != 0;
}

void FreeAnswer(SettingAnswer* answer)
{
    if (!answer)
        return;
    if (const wchar_t* text = AnswerText(*answer))
        GlobalFree(const_cast<wchar_t*>(text));
    *answer = {};
}

void FreeAnswers(AnswerList* list)
{
    if (!list)
        return;
    for (SettingAnswer& a : *list)
        FreeAnswer(&a);
    list->clear();
}
