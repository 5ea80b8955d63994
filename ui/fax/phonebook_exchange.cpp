#include "ui/fax/phonebook_exchange.h"

#include "common/job/fax_temp_files.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/resource_messages.h"

#include <cwchar>
#include <cwctype>
#include <iterator>
#include <vector>

namespace {

constexpr UINT kStringToolKey = 4653;
constexpr UINT kStringToolFolderValue = 4654;
constexpr UINT kStringToolVersionValue = 4655;
constexpr UINT kStringToolFileName = 4628;
constexpr UINT kStringCommentLine = 5228;
constexpr UINT kMessageNotInstalled = 5226;
constexpr UINT kMessageTooOld = 5227;
constexpr UINT kMessageCreateBook = 5229;
constexpr wchar_t kFallbackTempName[] = L"c:\\_file.tmp";
constexpr size_t kTempPathChars = 256;

constexpr char kRecipientHeader[] =
    "FPBID,FPBCN,FPBNICKNAME,FPBCOM,FPBADDRT,FPBFAX,FPBIPFAX,FPBDN,FPBVNUM,FPBEMAIL,FPBMEMO,FPBCMODE,FPBFCODE,"
    "FPBPCODE,FPBMBOXID,FPBMBOXPS,FPBRLYID,FPBRLYPRN,FPBRLYNUM01,FPBRLYNUM02,FPBRLYNUM03,FPBRLYNUM04,FPBRLYNUM05,"
    "FPBRLYNUM06,FPBRLYNUM07,FPBRLYNUM08,FPBRLYNUM09,FPBRLYNUM10,FPBRLYNUM11,FPBRLYNUM12,FPBRLYNUM13,FPBRLYNUM14,"
    "FPBRLYNUM15,FPBRLYNUM16,FPBRLYNUM17,FPBRLYNUM18,FPBRLYNUM19,FPBRLYNUM20";
constexpr char kGroupHeader[] = "FPBGID,FPBGCN,FPBGNICKNAME,FPBGMEMCOUNT,FPBGMEMID";
constexpr char kLineEnd[] = "\r\n";

// The tag written in front of a fax number, by dial prefix kind.
constexpr const wchar_t* kDialPrefixTags[] = {L"[None]", L"[Extension]", L"[Outside Line]"};

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::wstring Field(const wchar_t* text, size_t chars)
{
    return std::wstring(text, wcsnlen(text, chars));
}

std::wstring Decimal(uint32_t value)
{
    return std::to_wstring(value);
}

bool IsBlank(const std::wstring& text)
{
    for (wchar_t c : text)
        if (c != L' ' && c != 0x3000)
            return false;
    return true;
}

bool ToAnsi(const std::wstring& text, std::string* out)
{
    if (text.empty()) {
        out->clear();
        return true;
    }
    char* block = nullptr;
    int length = 0;
    if (!WideToMultiByteAlloc(text.c_str(), &block, &length) || !block)
        return false;
    out->assign(block, static_cast<size_t>(length));
    GlobalFree(block);
    return true;
}

bool LoadText(UINT id, wchar_t* out, int chars)
{
    HMODULE resources = GetResourceModule();
    return resources && LoadStringW(resources, id, out, chars) > 0;
}

// The temporary folder: TEMP, else the Windows folder, else the system folder,
// else the current folder.
std::wstring TempFolder()
{
    wchar_t folder[kTempPathChars] = {};
    if (GetTempPathW(kTempPathChars, folder) || GetWindowsDirectoryW(folder, kTempPathChars) ||
        GetSystemDirectoryW(folder, kTempPathChars) || GetCurrentDirectoryW(kTempPathChars, folder))
        return folder;
    return L"";
}

// A name GetTempFileNameW makes (its file is left for the caller), else the
// fixed fallback name.
std::wstring TempFileName(const wchar_t* prefix)
{
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(TempFolder().c_str(), prefix, 0, name))
        return name;
    return kFallbackTempName;
}

bool ReadRegistryText(HKEY key, const wchar_t* name, std::wstring* out)
{
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return false;
    *out = text.data();
    return true;
}

}  // namespace

std::wstring QuoteCsvField(const std::wstring& text)
{
    if (text.find_first_of(L",\n\r\"") == std::wstring::npos)
        return text;
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        quoted += c;
        if (c == L'"')
            quoted += L'"';
    }
    return quoted + L"\"";
}

std::string EncodePhonebookSecret(const wchar_t* text)
{
    std::vector<uint8_t> bytes;
    for (const wchar_t* p = text; p && *p; ++p) {
        const uint16_t code = static_cast<uint16_t>(*p);
        if (code >= 0x100)
            bytes.push_back(static_cast<uint8_t>(code >> 8));
        bytes.push_back(static_cast<uint8_t>(code & 0xFF));
    }
    std::string base64;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t a = bytes[i];
        const uint32_t b = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        const uint32_t c = i + 2 < bytes.size() ? bytes[i + 2] : 0;
        const uint32_t triple = a << 16 | b << 8 | c;
        base64 += kBase64Alphabet[triple >> 18 & 63];
        base64 += kBase64Alphabet[triple >> 12 & 63];
        base64 += i + 1 < bytes.size() ? kBase64Alphabet[triple >> 6 & 63] : '=';
        base64 += i + 2 < bytes.size() ? kBase64Alphabet[triple & 63] : '=';
    }
    for (char& ch : base64) {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>('A' + (ch - 'A' + 13) % 26);
        else if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>('a' + (ch - 'a' + 13) % 26);
    }
    return base64;
}

bool BuildPhonebookRow(const FaxRecipientRecord& r, std::wstring* row)
{
    if (!row || r.kind == kRecipientSpeedDial || r.lineSelector >= std::size(kDialPrefixTags))
        return false;
    const std::wstring address = QuoteCsvField(Field(r.destination, kRecipientAddressChars));
    const bool mailbox = r.fieldChoice == kMailboxKindMailbox;
    const bool relay = r.fieldChoice == kMailboxKindRelay;
    auto ascii = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };
    const std::wstring fields[] = {
        L"",
        QuoteCsvField(Field(r.field7, kRecipientNameChars)),
        L"",
        QuoteCsvField(Field(RecipientCompany(&r), kRecipientCompanyChars)),
        r.kind == kRecipientFaxNumber ? L"0" : r.kind == kRecipientIpFax ? L"1" : L"",
        r.kind == kRecipientFaxNumber ? kDialPrefixTags[r.lineSelector] + address : L"",
        r.kind == kRecipientIpFax ? address : L"",
        L"",
        L"",
        L"",
        L"",
        Decimal(r.field3Code),
        QuoteCsvField(Field(r.field5, kRecipientFCodeChars)),
        ascii(EncodePhonebookSecret(Field(r.field6, kRecipientFCodeChars).c_str())),
        mailbox ? Decimal(r.field4Number) : L"",
        mailbox ? ascii(EncodePhonebookSecret(Field(r.field4Text, kRecipientMailboxCodeChars).c_str())) : L"",
        relay ? Decimal(r.field1Number) : L"",
        Decimal(r.field1Flag),
    };
    row->clear();
    for (size_t i = 0; i < std::size(fields); ++i)
        *row += (i ? L"," : L"") + fields[i];
    if (relay)
        *row += L"," + Field(r.field1List, kRecipientRelayNumbersChars);
    return true;
}

bool BuildPhonebookFileText(const FaxRecipientRecord& record, const wchar_t* commentLine, std::string* out)
{
    std::wstring row;
    std::string comment;
    std::string rowAnsi;
    if (!out || !commentLine || !BuildPhonebookRow(record, &row) || !ToAnsi(commentLine, &comment) ||
        !ToAnsi(row, &rowAnsi))
        return false;
    *out = std::string("\"") + kPhonebookToolTag + "\",\"" + kPhonebookFormatText + "\"" + kLineEnd +
           kRecipientHeader + kLineEnd + kGroupHeader + kLineEnd + comment + kLineEnd + rowAnsi;
    return true;
}

int CreatePhonebookExchangeFile(const FaxRecipientRecord& record, wchar_t* path, size_t chars)
{
    wchar_t comment[256] = {};
    std::string text;
    if (!path || chars == 0 || !LoadText(kStringCommentLine, comment, 256) ||
        !BuildPhonebookFileText(record, comment, &text))
        return 0;
    std::wstring name = TempFileName(L"CSV");
    if (name != kFallbackTempName)
        DeleteFileW(name.c_str());
    name += L".csv";
    if (name.size() >= chars)
        return 0;
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    if (!ok) {
        DeleteFileW(name.c_str());
        return 0;
    }
    std::wmemcpy(path, name.c_str(), name.size() + 1);
    return 1;
}

int FindPhonebookTool(PhonebookTool* out)
{
    wchar_t keyPath[256] = {};
    wchar_t folderValue[128] = {};
    wchar_t versionValue[128] = {};
    wchar_t fileName[128] = {};
    if (!out || !LoadText(kStringToolKey, keyPath, 256) || !LoadText(kStringToolFolderValue, folderValue, 128) ||
        !LoadText(kStringToolVersionValue, versionValue, 128) || !LoadText(kStringToolFileName, fileName, 128))
        return 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    std::wstring folder;
    std::wstring version;
    const bool read = ReadRegistryText(key, folderValue, &folder) && ReadRegistryText(key, versionValue, &version);
    RegCloseKey(key);
    if (!read || folder.empty())
        return 0;
    // An installer may store the folder without its closing backslash.
    if (folder.back() != L'\\')
        folder += L'\\';
    const std::wstring path = folder + fileName;
    if (path.size() > 259 || version.size() > 127)
        return 0;
    *out = PhonebookTool{};
    std::wmemcpy(out->path, path.c_str(), path.size());
    std::wmemcpy(out->version, version.c_str(), version.size());
    return 1;
}

uint32_t PhonebookToolVersion(const PhonebookTool& tool)
{
    return static_cast<uint32_t>(std::wcstoul(tool.version, nullptr, 10));
}

int CheckPhonebookTool(HWND owner, PhonebookTool* tool)
{
    if (!FindPhonebookTool(tool)) {
        ShowResourceMessageBox(owner, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kMessageNotInstalled,
                               nullptr);
        return 0;
    }
    if (PhonebookToolVersion(*tool) < kPhonebookMinimumVersion) {
        ShowResourceMessageBox(owner, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kMessageTooOld, nullptr);
        return 0;
    }
    return 1;
}

std::wstring BuildPhonebookCommandLine(const wchar_t* exchangeFile, const wchar_t* addressBook)
{
    return std::wstring(L"-I\"") + exchangeFile + L"\" -O\"" + addressBook + L"\"";
}

int ExchangeWithPhonebookTool(HWND owner, ModelDataRecord* model, const PhonebookTool& tool,
                              const FaxRecipientRecord& record, const wchar_t* addressBook, PhonebookWaiter waiter,
                              void* context)
{
    if (!addressBook || !waiter || record.destination[0] == L'\0')
        return 0;
    wchar_t exchange[MAX_PATH] = {};
    if (!CreatePhonebookExchangeFile(record, exchange, MAX_PATH))
        return 0;
    RegisterFaxTempFile(model, owner, exchange);

    std::wstring backup;
    wchar_t book[MAX_PATH] = {};
    bool start = true;
    if (SearchPathW(nullptr, addressBook, nullptr, MAX_PATH, book, nullptr)) {
        const std::wstring name = TempFileName(L"tel");
        if (CopyFileW(book, name.c_str(), FALSE)) {
            backup = name;
            RegisterFaxTempFile(model, owner, backup.c_str());
        } else if (name != kFallbackTempName) {
            DeleteFileW(name.c_str());
        }
    } else {
        std::wstring folder = addressBook;
        const size_t slash = folder.find_last_of(L'\\');
        folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
        const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
        start = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                ShowResourceMessageBox(owner, kCaptionSettings, nullptr, MB_YESNO | MB_ICONINFORMATION,
                                       kMessageCreateBook, nullptr) == IDYES;
        std::wcsncpy(book, addressBook, MAX_PATH - 1);
    }

    if (start) {
        std::wstring commandLine = BuildPhonebookCommandLine(exchange, addressBook);
        std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
        mutableLine.push_back(L'\0');
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PhonebookToolRun run{};
        if (!CreateProcessW(tool.path, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &run.process))
            run.process = PROCESS_INFORMATION{};
        waiter(owner, &run, context);
        if (run.cancelled && !backup.empty())
            CopyFileW(backup.c_str(), book, FALSE);
        ClosePhonebookToolRun(&run);
    }
    DeleteFileW(exchange);
    if (!backup.empty())
        DeleteFileW(backup.c_str());
    CleanFaxTempFiles(model, nullptr, nullptr);
    return start ? 1 : 0;
}

bool PollPhonebookTool(PhonebookToolRun* run, DWORD waitMs)
{
    return run && run->process.hProcess && WaitForSingleObject(run->process.hProcess, waitMs) == WAIT_TIMEOUT;
}

void StopPhonebookTool(PhonebookToolRun* run)
{
    DWORD exitCode = 0;
    if (run && run->process.hProcess && GetExitCodeProcess(run->process.hProcess, &exitCode)) {
        TerminateProcess(run->process.hProcess, exitCode);
        run->cancelled = 1;
    }
}

void ClosePhonebookToolRun(PhonebookToolRun* run)
{
    if (!run)
        return;
    if (run->process.hThread)
        CloseHandle(run->process.hThread);
    if (run->process.hProcess)
        CloseHandle(run->process.hProcess);
    run->process.hThread = nullptr;
    run->process.hProcess = nullptr;
}

bool PhonebookButtonEnabled(const FaxRecipientRecord& record)
{
    const std::wstring address = Field(record.destination, kRecipientAddressChars);
    const std::wstring name = Field(record.field7, kRecipientNameChars);
    return record.kind != kRecipientSpeedDial && !address.empty() && !IsBlank(address) && !name.empty() &&
           !IsBlank(name);
}
