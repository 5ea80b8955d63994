// Stand-in for the maker's fax phonebook tool, for tests only. It appends to
// the log named by MORVA_PHONEBOOK_LOG its command line and the whole input
// file, then either stalls (MORVA_PHONEBOOK_STALL set, so that a test can stop
// it) or appends one line to the address book named after -O.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Quoted(const std::wstring& line, const wchar_t* option)
{
    const size_t at = line.find(std::wstring(option) + L"\"");
    if (at == std::wstring::npos)
        return {};
    const size_t start = at + 3;
    const size_t end = line.find(L'"', start);
    return end == std::wstring::npos ? std::wstring() : line.substr(start, end - start);
}

std::string ReadAll(const std::wstring& path)
{
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

}  // namespace

int wmain()
{
    const std::wstring line = GetCommandLineW();
    wchar_t logPath[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"MORVA_PHONEBOOK_LOG", logPath, MAX_PATH)) {
        if (FILE* log = _wfopen(logPath, L"ab")) {
            const std::string input = ReadAll(Quoted(line, L"-I"));
            std::fprintf(log, "%ls\n", line.c_str());
            std::fwrite(input.data(), 1, input.size(), log);
            std::fprintf(log, "\n--\n");
            std::fclose(log);
        }
    }
    wchar_t stall[8] = {};
    if (GetEnvironmentVariableW(L"MORVA_PHONEBOOK_STALL", stall, 8)) {
        // Changes the book first, as a tool stopped half-way might.
        if (FILE* book = _wfopen(Quoted(line, L"-O").c_str(), L"ab")) {
            std::fputs("half-written\r\n", book);
            std::fclose(book);
        }
        Sleep(60000);
        return 3;
    }
    if (FILE* book = _wfopen(Quoted(line, L"-O").c_str(), L"ab")) {
        std::fputs("registered\r\n", book);
        std::fclose(book);
    }
    return 0;
}
