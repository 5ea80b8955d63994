#include "render/output/temp_channel.h"

#include "common/system/lock_table.h"
#include "common/system/user_prompt.h"
#include "render/output/stream_messages.h"
#include "render/output/temp_file_registry.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Each test program keeps its records under a base of its own, so that the
// sweep of one cannot take another's records.
class TempChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLockLayout(&kGraphicsLibraryLocks);
        InitAllLocks();
        base_ = L"Software\\Morva Tests\\" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        ASSERT_EQ(SetTempFileRegistryBase(base_.c_str()), 1);
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, base_.c_str());
        SetTempFileRegistryBase(kDefaultTempFileRegistryBase);
    }
    bool KeyExists(const wchar_t* fileName)
    {
        wchar_t path[600];
        if (!MakeTempFileKeyPath(fileName, path, 600))
            return false;
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    std::wstring base_;
};

bool FileExists(const wchar_t* name)
{
    return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
}

std::wstring MakeFile(const wchar_t* stem)
{
    wchar_t dir[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring name = std::wstring(dir) + stem + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE f = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    return name;
}

TEST_F(TempChannelTest, KeyPathTurnsBackslashesIntoSlashes)
{
    wchar_t path[600];
    ASSERT_EQ(MakeTempFileKeyPath(L"d:\\spool\\ZQP1.tmp", path, 600), 1);
    EXPECT_EQ(std::wstring(path), base_ + L"TempFile\\d:/spool/ZQP1.tmp");
    wchar_t small[8];
    EXPECT_EQ(MakeTempFileKeyPath(L"d:\\x", small, 8), 0);
    EXPECT_EQ(small[0], L'\0');
}

TEST_F(TempChannelTest, TimeStampForm)
{
    SYSTEMTIME t = {};
    t.wYear = 2024, t.wMonth = 3, t.wDay = 7, t.wHour = 9, t.wMinute = 5, t.wSecond = 1;
    wchar_t out[32];
    FormatTempFileTime(t, out, 32);
    EXPECT_STREQ(out, L"[2024,03/07,09:05:01]");
}

TEST_F(TempChannelTest, CreateRegistersAndCloseRemoves)
{
    TempChannel c;
    InitTempChannel(&c, false, nullptr);
    EXPECT_EQ(GetTempChannelState(&c), -1);
    ASSERT_EQ(CreateTempChannelFile(&c), 0);
    EXPECT_EQ(GetTempChannelState(&c), 1);
    const std::wstring name = c.name;
    EXPECT_NE(name.find(L"ZQP"), std::wstring::npos);
    EXPECT_TRUE(FileExists(name.c_str()));
    EXPECT_TRUE(KeyExists(name.c_str()));
    wchar_t path[600];
    MakeTempFileKeyPath(name.c_str(), path, 600);
    wchar_t stamp[64] = {};
    DWORD size = sizeof(stamp);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, path, nullptr, RRF_RT_REG_SZ, nullptr, stamp, &size), ERROR_SUCCESS);
    EXPECT_EQ(wcslen(stamp), 21u);  // "[yyyy,mm/dd,hh:mm:ss]"
    EXPECT_EQ(CloseTempChannel(&c), 0);
    EXPECT_FALSE(FileExists(name.c_str()));
    EXPECT_FALSE(KeyExists(name.c_str()));
    EXPECT_EQ(GetTempChannelState(&c), -1);
}

TEST_F(TempChannelTest, ReadsStayBelowTheHighWaterSize)
{
    TempChannel c;
    InitTempChannel(&c, false, nullptr);
    ASSERT_EQ(CreateTempChannelFile(&c), 0);
    const uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_EQ(WriteTempChannel(&c, data, 10), 10);
    EXPECT_EQ(GetTempChannelSize(&c), 10);
    struct Case {
        uint32_t offset;
        uint32_t length;
        int result;
    };
    const Case cases[] = {{0, 10, 10}, {0, 11, -1}, {9, 1, 1}, {9, 2, -1}, {10, 0, 0}};
    for (const Case& k : cases) {
        ASSERT_EQ(SeekTempChannel(&c, k.offset), 0);
        uint8_t out[16];
        memset(out, 0xEE, sizeof(out));
        EXPECT_EQ(ReadTempChannel(&c, out, k.length), k.result) << k.offset << "+" << k.length;
        if (k.result < 0) {
            EXPECT_EQ(out[0], 0xEE);  // nothing read
            EXPECT_EQ(c.offset, k.offset);
        }
    }
    EXPECT_EQ(SeekTempChannel(&c, 11), -1);
    EXPECT_EQ(SeekTempChannel(&c, 10), 0);
    EXPECT_EQ(SeekTempChannel(&c, 4), 0);
    ASSERT_EQ(WriteTempChannel(&c, data, 3), 3);  // overwrite in the middle
    EXPECT_EQ(GetTempChannelSize(&c), 10);
    EXPECT_EQ(SeekTempChannelEnd(&c), 10);
    CloseTempChannel(&c);
}

// The sweep must close its probe handle before it deletes: a file held open
// by the probe itself could never be deleted.
TEST_F(TempChannelTest, SweepRemovesStaleFilesAndTheirRecords)
{
    const std::wstring stale = MakeFile(L"morva-stale-");
    const std::wstring missing = MakeFile(L"morva-missing-");
    DeleteFileW(missing.c_str());
    const std::wstring busy = MakeFile(L"morva-busy-");
    RegisterTempFile(stale.c_str());
    RegisterTempFile(missing.c_str());
    RegisterTempFile(busy.c_str());
    HANDLE held = CreateFileW(busy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    EXPECT_EQ(SweepStaleTempFiles(), 0);
    EXPECT_FALSE(FileExists(stale.c_str()));
    EXPECT_FALSE(KeyExists(stale.c_str()));
    EXPECT_FALSE(KeyExists(missing.c_str()));
    // A file another job holds open is taken as gone: its record goes, the file stays.
    EXPECT_TRUE(FileExists(busy.c_str()));
    EXPECT_FALSE(KeyExists(busy.c_str()));
    CloseHandle(held);
    DeleteFileW(busy.c_str());
}

TEST_F(TempChannelTest, SweepWithoutRecordsDoesNothing)
{
    EXPECT_EQ(SweepStaleTempFiles(), 0);
}

TEST_F(TempChannelTest, InitWithCleanUpSweeps)
{
    const std::wstring stale = MakeFile(L"morva-init-");
    RegisterTempFile(stale.c_str());
    TempChannel c;
    InitTempChannel(&c, true, nullptr);
    EXPECT_FALSE(FileExists(stale.c_str()));
}

struct Asked {
    std::vector<std::wstring> texts;
    int answer;
};

int Answer(const UserPrompt& prompt, void* context)
{
    auto* a = static_cast<Asked*>(context);
    a->texts.push_back(prompt.text);
    return a->answer;
}

TEST_F(TempChannelTest, QuestionNamesTheDrive)
{
    struct Case {
        const wchar_t* name;
        wchar_t letter;
    };
    const Case cases[] = {{L"d:\\tmp\\ZQP1.tmp", L'D'}, {L"C:\\x", L'C'}, {L"\\\\server\\x", L' '}, {L"", L' '}};
    for (const Case& c : cases)
        EXPECT_EQ(DriveLetterOf(c.name), c.letter) << c.name;
    Asked asked = {{}, IDCANCEL};
    SetPromptAnswerer(Answer, &asked);
    EXPECT_FALSE(AskTempWriteRetry(nullptr, L"d:\\tmp\\ZQP1.tmp"));
    SetPromptAnswerer(nullptr, nullptr);
    ASSERT_EQ(asked.texts.size(), 1u);
    EXPECT_NE(asked.texts[0].find(L"\nDドライブ"), std::wstring::npos);
    EXPECT_EQ(asked.texts[0].find(L"%c"), std::wstring::npos);
}

TEST_F(TempChannelTest, QuestionTextsComeFromTheResourceFile)
{
    HMODULE resources = LoadLibraryExW(L"morvares.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(resources, nullptr);
    Asked asked = {{}, IDOK};
    std::vector<std::wstring> titles;
    SetPromptAnswerer(
        [](const UserPrompt& prompt, void* context) {
            auto* a = static_cast<Asked*>(context);
            a->texts.push_back(std::wstring(prompt.title) + L"|" + prompt.text);
            return a->answer;
        },
        &asked);
    EXPECT_TRUE(AskTempWriteRetry(resources, L"e:\\ZQP2.tmp"));
    EXPECT_TRUE(AskStreamFileWriteRetry(resources));
    SetPromptAnswerer(nullptr, nullptr);
    FreeLibrary(resources);
    ASSERT_EQ(asked.texts.size(), 2u);
    EXPECT_EQ(asked.texts[0].rfind(L"Warning|The print work file", 0), 0u) << asked.texts[0];
    EXPECT_NE(asked.texts[0].find(L"drive E has"), std::wstring::npos);
    EXPECT_EQ(asked.texts[1].rfind(L"Warning|The print data could not", 0), 0u) << asked.texts[1];
}

TEST_F(TempChannelTest, CancelMakesTheChannelUnusable)
{
    TempChannel c;
    InitTempChannel(&c, false, nullptr);
    ASSERT_EQ(CreateTempChannelFile(&c), 0);
    const std::wstring name = c.name;
    // Swap in a read-only handle so that every write fails.
    CloseHandle(c.file);
    c.file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(c.file, INVALID_HANDLE_VALUE);
    Asked asked = {{}, IDCANCEL};
    SetPromptAnswerer(Answer, &asked);
    const uint8_t data[4] = {1, 2, 3, 4};
    EXPECT_EQ(WriteTempChannel(&c, data, 4), -1);
    SetPromptAnswerer(nullptr, nullptr);
    EXPECT_EQ(asked.texts.size(), 1u);
    EXPECT_EQ(GetTempChannelState(&c), -1);
    EXPECT_EQ(WriteTempChannel(&c, data, 4), -1);
    EXPECT_EQ(SeekTempChannel(&c, 0), -1);
    EXPECT_EQ(GetTempChannelSize(&c), -1);
    EXPECT_EQ(CloseTempChannel(&c), 0);
    EXPECT_FALSE(FileExists(name.c_str()));
}

// A channel past 4 GiB (a sparse file: only the written blocks take room):
// writing there must not land at the start of the file, and the offsets read
// back beyond 32 bits.
TEST_F(TempChannelTest, OffsetsPastFourGibibytes)
{
    TempChannel c;
    InitTempChannel(&c, false, nullptr);
    ASSERT_EQ(CreateTempChannelFile(&c), 0);
    const uint8_t head[4] = {9, 8, 7, 6};
    ASSERT_EQ(WriteTempChannel(&c, head, 4), 4);
    const int64_t edge = (int64_t{1} << 32) - 2;
    LARGE_INTEGER to;
    to.QuadPart = edge;
    ASSERT_TRUE(SetFilePointerEx(c.file, to, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(c.file));
    ASSERT_EQ(SeekTempChannelEnd(&c), edge);
    const uint8_t tail[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(WriteTempChannel(&c, tail, 6), 6);
    EXPECT_EQ(GetTempChannelSize(&c), edge + 6);
    uint8_t back[6] = {};
    ASSERT_EQ(SeekTempChannel(&c, 0), 0);
    ASSERT_EQ(ReadTempChannel(&c, back, 4), 4);
    EXPECT_EQ(0, std::memcmp(back, head, 4));
    ASSERT_EQ(SeekTempChannel(&c, static_cast<uint64_t>(edge)), 0);
    ASSERT_EQ(ReadTempChannel(&c, back, 6), 6);
    EXPECT_EQ(0, std::memcmp(back, tail, 6));
    EXPECT_EQ(SeekTempChannel(&c, static_cast<uint64_t>(edge) + 7), -1);
    EXPECT_EQ(CloseTempChannel(&c), 0);
}

}  // namespace
