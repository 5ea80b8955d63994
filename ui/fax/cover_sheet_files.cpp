#include "ui/fax/cover_sheet_files.h"

#include "common/context/value_by_type.h"
#include "common/job/fax_send_list.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"
#include "common/system/global_block.h"
#include "ui/support/keyed_list.h"

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

constexpr wchar_t kTempPrefix[] = L"ZQF";
// Two names: one fallback for both would let the second file overwrite the
// fax data of the first.
constexpr const wchar_t* kFallbackNames[] = {L"c:\\zqfot.tmp", L"c:\\zqfot2.tmp"};

void CopyCut(wchar_t* out, size_t chars, const wchar_t* from, size_t length)
{
    if (!out || chars == 0)
        return;
    const size_t n = length < chars - 1 ? length : chars - 1;
    std::wmemcpy(out, from, n);
    out[n] = L'\0';
}

}  // namespace

void SplitFormPath(const wchar_t* path, wchar_t* folder, size_t folderChars, wchar_t* name, size_t nameChars)
{
    const wchar_t* text = path ? path : L"";
    const size_t length = wcsnlen(text, kCoverPathChars);
    const wchar_t* slash = nullptr;
    for (size_t i = 0; i < length; ++i)
        if (text[i] == L'\\')
            slash = text + i;
    const wchar_t* rest = slash ? slash + 1 : text;
    CopyCut(folder, folderChars, text, slash ? static_cast<size_t>(slash - text) : length);
    const size_t restLength = length - static_cast<size_t>(rest - text);
    const wchar_t* dot = std::wmemchr(rest, L'.', restLength);
    CopyCut(name, nameChars, rest, dot ? static_cast<size_t>(dot - rest) : restLength);
}

bool IsAcceptedFormPath(const wchar_t* path)
{
    if (!path)
        return false;
    const size_t length = wcsnlen(path, kCoverPathChars);
    size_t start = 0;
    for (size_t i = 0; i < length; ++i)
        if (path[i] == L'\\')
            start = i + 1;
    int dots = 0;
    size_t dotAt = 0;
    for (size_t i = start; i < length; ++i)
        if (path[i] == L'.') {
            ++dots;
            dotAt = i;
        }
    return dots == 1 && dotAt - start <= static_cast<size_t>(kFormNameMaxChars);
}

const wchar_t* CoverTempFallbackName(int which)
{
    return which == kSamplePropertyFile ? kFallbackNames[1] : kFallbackNames[0];
}

void MakeCoverTempFileName(int which, wchar_t* out)
{
    if (!out)
        return;
    wchar_t folder[MAX_PATH] = {};
    const bool haveFolder = GetTempPathW(MAX_PATH, folder) || GetWindowsDirectoryW(folder, MAX_PATH) ||
                            GetSystemDirectoryW(folder, MAX_PATH) || GetCurrentDirectoryW(MAX_PATH, folder);
    if (!haveFolder || !GetTempFileNameW(folder, kTempPrefix, 0, out))
        std::wcscpy(out, CoverTempFallbackName(which));
}

int BuildSampleSendList(FaxDestinations* record, uint8_t* out)
{
    if (!record || !record->recipients || !out)
        return 0;
    const int32_t count = GetKeyedListCount(record->recipients);
    if (count < 0 || count > 0xFFFF)
        return 0;
    GlobalBlockPtr<uint8_t> whole = AllocGlobalBlock<uint8_t>(FaxSendListBytes(static_cast<uint32_t>(count)));
    if (!whole || !PackFaxSendList(count, record, whole.get()))
        return 0;
    std::memset(out, 0, kSampleSendListBytes);
    // The header and, packed oldest first, the oldest recipient.
    std::memcpy(out, whole.get(), count > 0 ? kSampleSendListBytes : kFaxSendListHeaderBytes);
    auto* header = reinterpret_cast<FaxSendListHeader*>(out);
    header->count = 1;
    if (count == 0) {
        auto* empty = reinterpret_cast<FaxRecipientRecord*>(out + kFaxSendListHeaderBytes);
        empty->field4Number = 1;
        empty->field1Number = 1;
    }
    return 1;
}

int PrepareSampleSendList(void* settings, void* printerSettings, FaxDestinations* record, const wchar_t* fileName)
{
    if (!fileName)
        return 0;
    uint8_t list[kSampleSendListBytes];
    if (!BuildSampleSendList(record, list))
        return 0;
    const uint32_t bytes = static_cast<uint32_t>((wcsnlen(fileName, MAX_PATH) + 1) * sizeof(wchar_t));
    if (SetFunctionIdValueArgs(settings, printerSettings, kFidFaxAddressFile, kTypeString, bytes, fileName) != 0 ||
        !WriteSettingNumber(kFidFaxInformationOnly, settings, printerSettings, 1) ||
        !WriteSettingNumber(kFidFaxInformationPage, settings, printerSettings, 1) ||
        !WriteSettingNumber(kFidFaxRecipientCount, settings, printerSettings, 1))
        return 0;
    return WriteFaxSendList(nullptr, fileName, list, kSampleSendListBytes);
}

int OrderCoverForms(const wchar_t (*stored)[kCoverPathChars], int count, const wchar_t* chosen,
                    wchar_t (*out)[kCoverPathChars])
{
    constexpr int kFormsLimit = 10;
    if (!out || count < 0 || (count > 0 && !stored))
        return 0;
    count = count < kFormsLimit ? count : kFormsLimit;
    int n = 0;
    const bool haveChosen = chosen && chosen[0] != L'\0';
    if (haveChosen)
        CopyCut(out[n++], kCoverPathChars, chosen, wcsnlen(chosen, kCoverPathChars - 1));
    for (int i = 0; i < count && n < kFormsLimit; ++i) {
        if (haveChosen && std::wcsncmp(stored[i], chosen, kCoverPathChars) == 0)
            continue;
        CopyCut(out[n++], kCoverPathChars, stored[i], wcsnlen(stored[i], kCoverPathChars - 1));
    }
    return n;
}

void BlankZeroNumber(wchar_t* text)
{
    if (!text || text[0] == L'\0')
        return;
    for (const wchar_t* c = text; *c; ++c)
        if (*c != L'0')
            return;
    text[0] = L' ';
    text[1] = L'\0';
}
