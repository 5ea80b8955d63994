// Metafile inputs are checked before GDI or the driver sees them.
#include "tests/printhost/driver_fixture.h"

#include "printhost/job_settings.h"
#include "printhost/print_job.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

using namespace printhost;
using namespace printhost_test;

namespace {

std::vector<BYTE> GoodMetafile()
{
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 0, 0, 10, 10);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::vector<BYTE> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, UINT(bytes.size()), bytes.data());
    DeleteEnhMetaFile(emf);
    return bytes;
}

ENHMETAHEADER* Header(std::vector<BYTE>& b) { return reinterpret_cast<ENHMETAHEADER*>(b.data()); }
EMR* SecondRecord(std::vector<BYTE>& b) { return reinterpret_cast<EMR*>(b.data() + Header(b)->nSize); }

struct Case {
    const char* name;
    std::function<void(std::vector<BYTE>&)> damage;
    const wchar_t* message;   // part of the error; null: accepted
};

} // namespace

TEST(PrintHostMetafile, DamagedMetafilesAreRefusedWithTheirFault)
{
    const Case cases[] = {
        {"intact", [](std::vector<BYTE>&) {}, nullptr},
        {"empty", [](std::vector<BYTE>& b) { b.clear(); }, L"shorter than a header"},
        {"header only partly there", [](std::vector<BYTE>& b) { b.resize(40); }, L"shorter than a header"},
        {"no signature", [](std::vector<BYTE>& b) { Header(b)->dSignature = 0; }, L"no metafile header"},
        {"cut short", [](std::vector<BYTE>& b) { b.resize(b.size() - 4); }, L"truncated"},
        {"record of size 0", [](std::vector<BYTE>& b) { SecondRecord(b)->nSize = 0; }, L"record 2"},
        {"record past the end", [](std::vector<BYTE>& b) { SecondRecord(b)->nSize = 0x10000; }, L"bad size"},
        {"odd record size", [](std::vector<BYTE>& b) { SecondRecord(b)->nSize += 2; }, L"bad size"},
        {"no end record", [](std::vector<BYTE>& b) {
             reinterpret_cast<EMR*>(b.data() + b.size() - 20)->iType = EMR_GDICOMMENT; }, L"no end-of-file"},
        {"record count wrong", [](std::vector<BYTE>& b) { Header(b)->nRecords += 1; }, L"records"},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = GoodMetafile();
        ASSERT_EQ(reinterpret_cast<EMR*>(bytes.data() + bytes.size() - 20)->iType, DWORD(EMR_EOF));
        c.damage(bytes);
        std::wstring error;
        const bool ok = CheckMetafileBytes(bytes.data(), bytes.size(), &error);
        if (!c.message) {
            EXPECT_TRUE(ok) << c.name;
        } else {
            EXPECT_FALSE(ok) << c.name;
            EXPECT_NE(error.find(c.message), std::wstring::npos) << c.name << ": " << std::string(error.begin(), error.end());
        }
    }
}

TEST(PrintHostMetafile, MissingAndBadFilesGiveTheirExitCodes)
{
    int code = kOk;
    std::wstring error;
    EXPECT_EQ(LoadMetafile(TempPath(L"no_such.emf"), &code, &error), nullptr);
    EXPECT_EQ(code, kMissingFile);

    const std::wstring path = TempPath(L"bad.emf");
    std::vector<BYTE> bytes = GoodMetafile();
    bytes.resize(bytes.size() - 8);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(f);
    EXPECT_EQ(LoadMetafile(path, &code, &error), nullptr);
    EXPECT_EQ(code, kBadMetafile);
    EXPECT_NE(error.find(L"truncated"), std::wstring::npos);
    DeleteFileW(path.c_str());
}

TEST(PrintHostMetafile, DevmodeFileMustMatchItsOwnSize)
{
    const std::wstring path = TempPath(L"devmode.bin");
    DEVMODEW dm{};
    dm.dmSize = sizeof(dm);
    auto write = [&](size_t size) {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, &dm, DWORD(size), &written, nullptr);
        CloseHandle(f);
    };
    std::vector<BYTE> devmode;
    int code = kOk;
    std::wstring error;
    write(sizeof(dm));
    EXPECT_TRUE(LoadDevmodeFile(path, &devmode, &code, &error));
    write(sizeof(dm) - 1);
    EXPECT_FALSE(LoadDevmodeFile(path, &devmode, &code, &error));
    EXPECT_EQ(code, kUsage);
    DeleteFileW(path.c_str());
}

TEST(PrintHostMetafile, SettingPairsGoThroughTheSettingEngine)
{
    // A DEVMODE of the driver's whole settings size: 220 public bytes and the driver part.
    std::vector<BYTE> devmode(5900, 0);
    auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
    dm->dmSize = 220;
    dm->dmDriverExtra = 5680;
    std::wstring error;
    ASSERT_TRUE(ApplySettingPairs(&devmode, {L"12=3"}, &error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(dm->dmCopies, 3);
    // A byte the engine reports as 16 bits (the compression request) is set in 16 bits.
    ASSERT_TRUE(ApplySettingPairs(&devmode, {L"330=2"}, &error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(devmode[735], 2);
    struct Bad { const wchar_t* pair; const wchar_t* message; };
    const Bad bad[] = {
        {L"12", L"not a setting pair"},
        {L"x=1", L"not a setting pair"},
        {L"12=abc", L"cannot take"},
        {L"12=40000", L"cannot take"},
        {L"65000=1", L"unknown setting"},
    };
    for (const Bad& b : bad) {
        EXPECT_FALSE(ApplySettingPairs(&devmode, {b.pair}, &error)) << std::string(b.pair, b.pair + wcslen(b.pair));
        EXPECT_NE(error.find(b.message), std::wstring::npos) << std::string(error.begin(), error.end());
    }
    // A DEVMODE of the public part only has no room for the driver's settings.
    std::vector<BYTE> small(220, 0);
    reinterpret_cast<DEVMODEW*>(small.data())->dmSize = 220;
    EXPECT_TRUE(ApplySettingPairs(&small, {L"12=2"}, &error));
    EXPECT_FALSE(ApplySettingPairs(&small, {L"257=1"}, &error));
    EXPECT_NE(error.find(L"beyond"), std::wstring::npos) << std::string(error.begin(), error.end());
}
