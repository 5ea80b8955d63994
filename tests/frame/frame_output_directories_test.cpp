// The directories of a job's file: made from the left, network and drive
// prefixes left alone, and a failure put to the user.
#include "render/frame/output_directories.h"

#include "common/system/user_prompt.h"
#include "tests/printhost/driver_fixture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Asked {
    int answer = IDOK;
    int count = 0;
    UINT style = 0;
};

int Answer(const UserPrompt& prompt, void* context)
{
    auto* asked = static_cast<Asked*>(context);
    ++asked->count;
    asked->style = prompt.style;
    return asked->answer;
}

class OutputDirectories : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = printhost_test::TempPath(L"outdirs");
        SetPromptAnswerer(Answer, &asked_);
    }
    void TearDown() override
    {
        SetPromptAnswerer(nullptr, nullptr);
        for (const wchar_t* d : {L"\\a\\b\\c", L"\\a\\b", L"\\a", L"\\y\\z", L"\\y"})
            RemoveDirectoryW((root_ + d).c_str());
        DeleteFileW((root_ + L"\\file").c_str());
        RemoveDirectoryW(root_.c_str());
    }
    static bool IsDirectory(const std::wstring& path)
    {
        const DWORD a = GetFileAttributesW(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::wstring root_;
    Asked asked_;
};

TEST_F(OutputDirectories, EveryDirectoryIsMadeFromTheLeft)
{
    struct Case {
        std::wstring path;
        std::wstring made;  // the deepest directory there afterwards
        std::wstring notMade;
    } cases[] = {
        {root_ + L"\\a\\b\\c", root_ + L"\\a\\b\\c", L""},
        // A path that ends with a separator names directories only.
        {root_ + L"/y/z/", root_ + L"\\y\\z", L""},
        // Separators of any kind, and directories that are there already.
        {root_ + L"\\a/b\u00A5c", root_ + L"\\a\\b\\c", L""},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(CreateOutputDirectories(k.path.c_str()), 0) << std::string(k.path.begin(), k.path.end());
        EXPECT_TRUE(IsDirectory(k.made));
    }
    EXPECT_EQ(asked_.count, 0);
    EXPECT_EQ(CreateOutputDirectories(L""), 0);
    EXPECT_EQ(CreateOutputDirectories(nullptr), 0);
}

TEST_F(OutputDirectories, AFailureAsksAndStops)
{
    ASSERT_EQ(CreateOutputDirectories(root_.c_str()), 0);
    HANDLE file = CreateFileW((root_ + L"\\file").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    struct Case {
        int answer;
        int16_t result;
    } cases[] = {{IDOK, kDirectoryFailedGoOn}, {IDCANCEL, kDirectoryFailedCancel}};
    for (const Case& k : cases) {
        asked_ = Asked{k.answer};
        SetPromptAnswerer(Answer, &asked_);
        // Below a file no directory can be made; the walk stops at the first one.
        EXPECT_EQ(CreateOutputDirectories((root_ + L"\\file\\x\\y").c_str()), k.result);
        EXPECT_EQ(asked_.count, 1);
        EXPECT_EQ(asked_.style & MB_TYPEMASK, UINT(MB_OKCANCEL));
        EXPECT_EQ(asked_.style & MB_ICONMASK, UINT(MB_ICONWARNING));
    }
}

TEST_F(OutputDirectories, NetworkServerAndShareAreNotMade)
{
    // The server and share would be the first two names; nothing is made
    // before the share, so a missing server shows up as one failure at the
    // first directory behind it.
    EXPECT_EQ(CreateOutputDirectories(L"\\\\noserver\\noshare"), 0);
    EXPECT_EQ(asked_.count, 0);
    EXPECT_EQ(CreateOutputDirectories(L"\\\\noserver\\noshare\\dir\\"), kDirectoryFailedGoOn);
    EXPECT_EQ(asked_.count, 1);
}

} // namespace
