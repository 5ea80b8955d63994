#include "common/job/job_text.h"

#include "common/job/job_header_codes.h"

#include <windows.h>

#include <charconv>
#include <cstring>
#include <cwchar>

int AppendJobBytes(JobText* out, const void* bytes, uint32_t count)
{
    if (count == 0)
        return 0;
    if (out == nullptr || bytes == nullptr || out->length > out->capacity || count > out->capacity - out->length)
        return kJobErrNoRoom;
    std::memcpy(out->data + out->length, bytes, count);
    out->length += count;
    return 0;
}

int AppendJobChars(JobText* out, const char* text)
{
    if (text == nullptr)
        return 0;
    return AppendJobBytes(out, text, static_cast<uint32_t>(std::strlen(text)));
}

int AppendJobWideN(JobText* out, const wchar_t* text, uint32_t count)
{
    if (text == nullptr || count == 0)
        return 0;
    if (count > 0x7FFFFFFF)
        return kJobErrConversion;
    const int need = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
    if (need <= 0)
        return kJobErrConversion;
    if (out == nullptr || out->length > out->capacity || static_cast<uint32_t>(need) > out->capacity - out->length)
        return kJobErrNoRoom;
    const int made = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(count),
                                         reinterpret_cast<char*>(out->data + out->length), need, nullptr, nullptr);
    if (made != need)
        return kJobErrConversion;
    out->length += static_cast<uint32_t>(made);
    return 0;
}

int AppendJobWide(JobText* out, const wchar_t* text)
{
    if (text == nullptr)
        return 0;
    return AppendJobWideN(out, text, static_cast<uint32_t>(std::wcslen(text)));
}

int AppendJobSigned(JobText* out, int64_t value)
{
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    return AppendJobBytes(out, digits, static_cast<uint32_t>(r.ptr - digits));
}

int AppendJobUnsigned(JobText* out, uint64_t value)
{
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    return AppendJobBytes(out, digits, static_cast<uint32_t>(r.ptr - digits));
}

int AppendJobPadded(JobText* out, uint64_t value, int width)
{
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    const int count = static_cast<int>(r.ptr - digits);
    char zeros[24];
    const int pad = width > count ? (width - count < 24 ? width - count : 24) : 0;
    std::memset(zeros, '0', sizeof zeros);
    const uint32_t start = out != nullptr ? out->length : 0;
    int status = AppendJobBytes(out, zeros, static_cast<uint32_t>(pad));
    if (status == 0)
        status = AppendJobBytes(out, digits, static_cast<uint32_t>(count));
    if (status != 0 && out != nullptr)
        out->length = start;
    return status;
}
