// The DMA_ value exports over a caller's records: identifiers, numbers,
// strings, protected strings, log fonts, user settings and the fax count.
#include "access/dma_id_map.h"
#include "access/dma_interface.h"
#include "common/store/user_setting_info.h"
#include "common/system/scrambled_strings.h"
#include "tests/access/dma_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(DmaIdMap, IdentifiersAndTheirSettings)
{
    struct Case {
        uint16_t dmaId;
        uint16_t itemId;
    };
    const Case cases[] = {
        {0x0008, 8},     {0x0105, 261},   {0x0121, 1832},  {0x0123, 291},  {0x015B, 1831}, {0x01CF, 4129},
        {0x03D5, 0},     {0x03D8, 1371},  {0x023A, 0},     {0x0502, 0},    {0x0511, 8202}, {0x202B, 1370},
        {0x0A00, 2560},  {0x1021, 482},   {0x9005, 1858},  {0x900A, 5209}, {0x0000, 0},    {0xFFFF, 0},
        {0x045F, 5215},  {0x068A, 8215},  {0x033A, 4369},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DmaIdToItemId(c.dmaId), c.itemId) << std::hex << c.dmaId;

    // Back: a setting with two identifiers answers the one of the earlier row.
    const Case back[] = {{0x0008, 8},     {0x0121, 1832}, {0x202B, 1370},
                         {0x0427, 5159},  {0x0228, 1858}, {0x0437, 5175}};
    for (const Case& c : back)
        EXPECT_EQ(ItemIdToDmaId(c.itemId), c.dmaId) << c.itemId;
    EXPECT_EQ(ItemIdToDmaId(289), 0);  // between runs: no identifier
}

TEST(DmaValues, NumbersByIdentifier)
{
    DmaRecords r;
    r.SetNumber(8, kTypeS16, 2, 9);
    r.SetNumber(261, kTypeU32, 4, 0x12345678);
    uint32_t value = 0xDEAD;
    EXPECT_EQ(DMA_GetValue(&r.set, 0x0008, &value), kDmaOk);
    EXPECT_EQ(value, 9u);
    EXPECT_EQ(DMA_GetValue(&r.set, 0x0105, &value), kDmaOk);
    EXPECT_EQ(value, 0x12345678u);

    EXPECT_EQ(DMA_SetValue(&r.set, 0x000C, 7), kDmaOk);  // copies
    EXPECT_EQ(DMA_GetValue(&r.set, 0x000C, &value), kDmaOk);
    EXPECT_EQ(value, 7u);

    // Refusals leave the out value as it was.
    struct Refusal {
        uint16_t dmaId;
        int result;
    };
    const Refusal refusals[] = {
        {0x0103, kDmaWrongExport},      // 259 is a string
        {0xA001, kDmaWrongExport},      // a fax header string
        {0x0130, kDmaLogFontItem},      // 304 is a LOGFONTW
        {0x03D5, kDmaUnmapped},
    };
    for (const Refusal& refusal : refusals) {
        value = 0xDEAD;
        EXPECT_EQ(DMA_GetValue(&r.set, refusal.dmaId, &value), refusal.result) << std::hex << refusal.dmaId;
        EXPECT_EQ(value, 0xDEADu);
        EXPECT_EQ(DMA_SetValue(&r.set, refusal.dmaId, 1), refusal.result) << std::hex << refusal.dmaId;
    }
    EXPECT_EQ(DMA_GetValue(&r.set, 0x0008, nullptr), kDmaFailed);
    EXPECT_EQ(DMA_GetValue(nullptr, 0x0008, &value), kDmaFailed);

    // Without the printer settings record its settings cannot be reached.
    r.set.printerSettingsRecord = nullptr;
    EXPECT_EQ(DMA_GetValue(&r.set, 0x0511, &value), kDmaFailed);
}

TEST(DmaValues, StringsInTheAnsiCodePage)
{
    DmaRecords r;
    r.SetText(297, L"Draft");  // 0x0129, room 66 bytes
    uint32_t size = 0;
    EXPECT_EQ(DMA_GetStringData(&r.set, 0x0129, nullptr, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 33u);
    char text[64] = {};
    size = 33;
    EXPECT_EQ(DMA_GetStringData(&r.set, 0x0129, text, &size), kDmaOk);
    EXPECT_STREQ(text, "Draft");
    size = 32;
    EXPECT_EQ(DMA_GetStringData(&r.set, 0x0129, text, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 33u);
    size = 5;
    EXPECT_EQ(DMA_GetStringData(&r.set, 0x0129, nullptr, &size), kDmaFailed);

    // The stated length must leave room for the terminator: 32 characters fit 33 units.
    const std::string fits(32, 'a'), tooLong(33, 'a');
    EXPECT_EQ(DMA_SetStringData(&r.set, 0x0129, tooLong.c_str(), 33), kDmaTooLong);
    EXPECT_STREQ(r.Text(297), L"Draft");
    EXPECT_EQ(DMA_SetStringData(&r.set, 0x0129, fits.c_str(), 32), kDmaOk);
    EXPECT_EQ(std::wstring(r.Text(297)), std::wstring(32, L'a'));
    // Only the stated length is taken.
    EXPECT_EQ(DMA_SetStringData(&r.set, 0x0129, "Confidential", 4), kDmaOk);
    EXPECT_STREQ(r.Text(297), L"Conf");

    // The plain-length forms: the size is what the text needs.
    size = 0;
    EXPECT_EQ(DMA_GetStringData_StrLength(&r.set, 0x0129, nullptr, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(DMA_SetStringData_StrLength(&r.set, 0x0129, fits.c_str()), kDmaOk);
    EXPECT_EQ(DMA_SetStringData_StrLength(&r.set, 0x0129, tooLong.c_str()), kDmaTooLong);
    EXPECT_EQ(DMA_SetStringData_StrLength(&r.set, 0x0008, "x"), kDmaWrongKind);
    EXPECT_EQ(DMA_SetStringData_StrLength(&r.set, 0x0130, "x"), kDmaLogFontItem);
    EXPECT_EQ(DMA_SetStringData_StrLength(&r.set, 0xA001, "x"), kDmaUnmapped);
}

TEST(DmaValues, SingleByteSettingKeepsItsBytes)
{
    DmaRecords r;  // setting 329 (0x0149): ANSI text in a 49-byte room
    const std::string fits(48, 'z');
    EXPECT_EQ(DMA_SetStringData(&r.set, 0x0149, fits.c_str(), 49), kDmaTooLong);
    EXPECT_EQ(DMA_SetStringData(&r.set, 0x0149, fits.c_str(), 48), kDmaOk);
    uint32_t size = 0;
    EXPECT_EQ(DMA_GetStringData(&r.set, 0x0149, nullptr, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 49u);
    char text[49] = {};
    EXPECT_EQ(DMA_GetStringData(&r.set, 0x0149, text, &size), kDmaOk);
    EXPECT_EQ(std::string(text), fits);
}

TEST(DmaValues, FaxHeaderStrings)
{
    DmaRecords r;
    const std::string forty(40, 'n'), fortyOne(41, 'n');
    EXPECT_EQ(DMA_SetStringData(&r.set, 0xA001, fortyOne.c_str(), 41), kDmaTooLong);
    EXPECT_EQ(r.faxHeader[0], 0);
    EXPECT_EQ(DMA_SetStringData(&r.set, 0xA001, forty.c_str(), 40), kDmaOk);
    EXPECT_EQ(std::memcmp(r.faxHeader.data(), L"SMRX001", 16), 0);
    uint32_t size = 0;
    EXPECT_EQ(DMA_GetStringData(&r.set, 0xA001, nullptr, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 41u);
    std::vector<char> text(41);
    EXPECT_EQ(DMA_GetStringData(&r.set, 0xA001, text.data(), &size), kDmaOk);
    EXPECT_EQ(std::string(text.data()), forty);

    const std::string long670(670, 'q');
    EXPECT_EQ(DMA_SetStringData(&r.set, 0xA002, long670.c_str(), 670), kDmaOk);
    EXPECT_EQ(DMA_SetStringData(&r.set, 0xA002, std::string(671, 'q').c_str(), 671), kDmaTooLong);

    r.set.faxSendListHeader = nullptr;
    EXPECT_EQ(DMA_SetStringData(&r.set, 0xA001, "x", 1), kDmaUnmapped);
    EXPECT_EQ(DMA_GetStringData(&r.set, 0xA001, nullptr, &size), kDmaUnmapped);
}

// Protected identifiers are write-only; their stored form decodes to the text.
TEST(DmaValues, ProtectedStringsAreStoredScrambled)
{
    struct Case {
        uint16_t dmaId;
        uint16_t itemId;
        uint32_t limit;
    };
    const Case cases[] = {{0x9001, 5159, 12}, {0x9002, 5160, 129}, {0x9005, 1858, 21},
                          {0x9008, 5185, 12}, {0x9009, 5208, 129}, {0x900A, 5209, 129}};
    for (const Case& c : cases) {
        DmaRecords r;
        uint32_t size = 0;
        EXPECT_EQ(DMA_GetStringData(&r.set, c.dmaId, nullptr, &size), kDmaSizeAnswered);
        EXPECT_EQ(size, c.limit) << std::hex << c.dmaId;
        char buffer[400] = {};
        size = sizeof buffer;
        EXPECT_EQ(DMA_GetStringData(&r.set, c.dmaId, buffer, &size), kDmaFailed);

        const std::string longest(c.limit, 'k');
        EXPECT_EQ(DMA_SetStringData(&r.set, c.dmaId, longest.c_str(), c.limit + 1), kDmaTooLong);
        ASSERT_EQ(DMA_SetStringData(&r.set, c.dmaId, longest.c_str(), c.limit), kDmaOk) << std::hex << c.dmaId;
        const std::wstring stored = r.Text(c.itemId);
        EXPECT_EQ(stored.size(), (c.limit + 2) / 3 * 4);
        const std::string encoded(stored.begin(), stored.end());
        uint8_t plain[400] = {};
        int plainLength = 0;
        ASSERT_EQ(DecodeAndUnscramble(encoded.c_str(), static_cast<int>(encoded.size()), plain, &plainLength,
                                      sizeof plain),
                  0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(plain), plainLength), longest);

        EXPECT_EQ(DMA_SetStringData(&r.set, c.dmaId, "", 0), kDmaOk);
        EXPECT_STREQ(r.Text(c.itemId), L"");
    }
}

TEST(DmaValues, LogFonts)
{
    DmaRecords r;
    uint32_t size = 0;
    EXPECT_EQ(DMA_GetLogFontData(&r.set, 0x0130, nullptr, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 60u);

    LOGFONTA font{};
    font.lfHeight = 0x12345;       // travels as its low 16 bits, sign-extended
    font.lfWidth = -7;
    font.lfWeight = 0x18000;
    font.lfItalic = 1;
    font.lfCharSet = 128;
    font.lfQuality = 5;
    std::strcpy(font.lfFaceName, "Arial Narrow");
    EXPECT_EQ(DMA_SetLogFontData(&r.set, 0x0130, &font, 61), kDmaTooLong);
    ASSERT_EQ(DMA_SetLogFontData(&r.set, 0x0130, &font, 60), kDmaOk);

    LOGFONTA back{};
    size = 60;
    ASSERT_EQ(DMA_GetLogFontData(&r.set, 0x0130, &back, &size), kDmaOk);
    EXPECT_EQ(back.lfHeight, 0x2345);
    EXPECT_EQ(back.lfWidth, -7);
    EXPECT_EQ(back.lfWeight, -0x8000);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_EQ(back.lfCharSet, 128);
    EXPECT_EQ(back.lfQuality, 5);
    EXPECT_STREQ(back.lfFaceName, "Arial Narrow");

    size = 59;
    EXPECT_EQ(DMA_GetLogFontData(&r.set, 0x0130, &back, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 60u);
    EXPECT_EQ(DMA_GetLogFontData(&r.set, 0x0008, &back, &size), kDmaWrongKind);
    EXPECT_EQ(DMA_GetLogFontData(&r.set, 0x0129, &back, &size), kDmaWrongExport);
    EXPECT_EQ(DMA_GetLogFontData(&r.set, 0xA002, &back, &size), kDmaWrongExport);
}

// A stated size below the structure's is refused before a byte of it is read.
TEST(DmaValues, ShortLogFontIsNotRead)
{
    DmaRecords r;
    GuardedBytes guarded(10);
    const auto* font = reinterpret_cast<const LOGFONTA*>(guarded.data());
    EXPECT_EQ(DMA_SetLogFontData(&r.set, 0x0130, font, 10), kDmaSizeAnswered);
    EXPECT_EQ(DMA_SetLogFontData(&r.set, 0x0130, font, 59), kDmaSizeAnswered);
}

// Under a double-byte code page a UTF-16 text may need more bytes than half its
// room; the size query answers what the conversion needs.
TEST(DmaValuesCp932, SizeQueryAllowsForDoubleByteText)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "ANSI code page is " << GetACP();
    DmaRecords r;
    const std::wstring text(32, L'\x65E5');  // fills the 33 units of setting 297
    r.SetText(297, text.c_str());
    uint32_t size = 0;
    EXPECT_EQ(DMA_GetStringData(&r.set, 0x0129, nullptr, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 65u);
    std::vector<char> buffer(64);
    size = 64;
    EXPECT_EQ(DMA_GetStringData(&r.set, 0x0129, buffer.data(), &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 65u);
    buffer.resize(65);
    ASSERT_EQ(DMA_GetStringData(&r.set, 0x0129, buffer.data(), &size), kDmaOk);
    EXPECT_EQ(strlen(buffer.data()), 64u);
    // The same text stated as 64 bytes is longer than the setting's 33-byte limit.
    EXPECT_EQ(DMA_SetStringData(&r.set, 0x0129, buffer.data(), 64), kDmaTooLong);
    // 16 characters (32 bytes) fit, and come back as the same text.
    EXPECT_EQ(DMA_SetStringData(&r.set, 0x0129, buffer.data(), 32), kDmaOk);
    EXPECT_EQ(std::wstring(r.Text(297)), std::wstring(16, L'\x65E5'));
}

TEST(DmaValues, SoftwareSupportQuery)
{
    DmaRecords r;
    EXPECT_EQ(DMA_QuerySWSupportInfo(&r.set, 2), kDmaUnknownQuery);
    EXPECT_EQ(DMA_QuerySWSupportInfo(&r.set, 1), kDmaNotSupported);
    r.SetNumber(8216, kTypeU16, 2, 1);
    EXPECT_EQ(DMA_QuerySWSupportInfo(&r.set, 1), kDmaOk);
    r.set.printerSettingsRecord = nullptr;
    EXPECT_EQ(DMA_QuerySWSupportInfo(&r.set, 1), kDmaSupportUnreadable);
}

TEST(DmaValues, UserSettingBlock)
{
    DmaRecords r;
    std::strcpy(r.set.modelName, "MORVA C4530 MFP");
    r.SetText(5129, L"Sales");  // group 2 at byte 76
    r.SetText(5150, L"Ada");    // group 1 at byte 432
    r.SetText(5184, L"Room 4"); // group 4 at byte 2010
    uint32_t size = 0;
    EXPECT_EQ(DMA_GetUserSettingInfo(&r.set, nullptr, &size), kDmaSizeAnswered);
    EXPECT_EQ(size, 2096u);
    size = 7;
    EXPECT_EQ(DMA_GetUserSettingInfo(&r.set, nullptr, &size), kDmaFailed);
    std::vector<uint8_t> block(2096, 0xEE);
    size = 2095;
    EXPECT_EQ(DMA_GetUserSettingInfo(&r.set, block.data(), &size), kDmaSizeAnswered);
    size = 2096;
    ASSERT_EQ(DMA_GetUserSettingInfo(&r.set, block.data(), &size), kDmaOk);
    EXPECT_EQ(block[0], 4);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(&block[8])), L"MORVA C4530 MFP");
    EXPECT_EQ(block[72], 7);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(&block[76])), L"Sales");
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(&block[432])), L"Ada");
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(&block[2010])), L"Room 4");

    // Back into another printer's record.
    DmaRecords other;
    std::memcpy(&block[432], L"Grace", 12);
    ASSERT_EQ(DMA_SetUserSettingInfo(&other.set, block.data()), kDmaOk);
    EXPECT_STREQ(other.Text(5129), L"Sales");
    EXPECT_STREQ(other.Text(5150), L"Grace");
    EXPECT_STREQ(other.Text(5184), L"Room 4");

    // A version-1 block carries group 1's name at byte 72; fields it lacks keep their values.
    std::vector<uint8_t> old(716, 0);
    old[0] = 1;
    std::memcpy(&old[72], L"Lin", 8);
    ASSERT_EQ(DMA_SetUserSettingInfo(&other.set, old.data()), kDmaOk);
    EXPECT_STREQ(other.Text(5150), L"Lin");
    EXPECT_STREQ(other.Text(5184), L"Room 4");

    old[0] = 9;
    EXPECT_EQ(DMA_SetUserSettingInfo(&other.set, old.data()), kDmaFailed);
    EXPECT_STREQ(other.Text(5150), L"Lin");
}

TEST(DmaValues, FaxAddressCount)
{
    DmaRecords r;
    uint16_t count = 0;
    EXPECT_EQ(DMA_GetFaxAddressNum(r.faxHeader.data(), &count), kDmaFailed);  // no tag yet
    EXPECT_EQ(DMA_SetFaxAddressNum(&r.set, 3, 0), kDmaOk);
    EXPECT_EQ(DMA_SetFaxAddressNum(&r.set, 2, 1), kDmaOk);
    std::memcpy(r.faxHeader.data(), L"SMRX001", 16);
    EXPECT_EQ(DMA_GetFaxAddressNum(r.faxHeader.data(), &count), kDmaOk);
    EXPECT_EQ(count, 5);
    uint32_t value = 0;
    EXPECT_EQ(DMA_GetValue(&r.set, 0x017C, &value), kDmaOk);  // setting 380
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(DMA_SetFaxAddressNum(&r.set, -6, 1), kDmaFailed);
    EXPECT_EQ(DMA_GetValue(&r.set, 0x017C, &value), kDmaOk);
    EXPECT_EQ(value, 5u);
    r.set.faxSendListHeader = nullptr;
    EXPECT_EQ(DMA_SetFaxAddressNum(&r.set, 1, 0), kDmaFailed);
}

TEST(DmaValues, EnumerationByTarget)
{
    DmaRecords r;
    uint32_t count = 0;
    EXPECT_EQ(DMA_EnumDMAID_ByTargetInfo(&r.set, 6, &count, nullptr), kDmaUnknownTarget);
    EXPECT_EQ(DMA_EnumDMAID_ByTargetInfo(&r.set, 2, nullptr, nullptr), kDmaFailed);

    EXPECT_EQ(DMA_EnumDMAID_ByTargetInfo(&r.set, 2, &count, nullptr), kDmaSizeAnswered);
    ASSERT_EQ(count, 9u);
    std::vector<DmaIdBits> results(9, DmaIdBits{0, 0xF0});
    ASSERT_EQ(DMA_EnumDMAID_ByTargetInfo(&r.set, 2, &count, results.data()), kDmaOk);
    EXPECT_EQ(results[0].dmaId, 0x0129u);  // 297, the stamp's name
    EXPECT_EQ(results[0].bits, 0xF1u);
    EXPECT_EQ(results[2].dmaId, 0x012Du);  // 301, a number
    EXPECT_EQ(results[2].bits, 0xF0u);
    EXPECT_EQ(results[8].dmaId, 0x0130u);  // 304, the font
    EXPECT_EQ(results[8].bits, 0xF2u);

    count = 4;
    EXPECT_EQ(DMA_EnumDMAID_ByTargetInfo(&r.set, 2, &count, results.data()), kDmaSizeAnswered);
    EXPECT_EQ(count, 4u);

    EXPECT_EQ(DMA_EnumDMAID_ByTargetInfo(&r.set, 4, &count, nullptr), kDmaSizeAnswered);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(DMA_EnumDMAID_ByTargetInfo(&r.set, 1, &count, nullptr), kDmaSizeAnswered);
    EXPECT_GT(count, 1000u);
    EXPECT_LE(count, 1134u);
}

TEST(DmaValues, AttributesOfListedAndDiscoveredIdentifiers)
{
    DmaRecords r;
    const uint16_t ids[] = {0x0008, 0x0129, 0x0130, 0x9002, 0xA001};
    DmaAttribute attributes[5] = {};
    uint32_t count = 5;
    ASSERT_EQ(DMA_QueryAttributes(&r.set, &count, ids, attributes), kDmaOk);
    EXPECT_EQ(attributes[0].kind, kDmaAttributeNumber);
    EXPECT_EQ(attributes[0].size, 4u);
    EXPECT_EQ(attributes[1].kind, kDmaAttributeString);
    EXPECT_EQ(attributes[1].size, 33u);
    EXPECT_EQ(attributes[2].kind, kDmaAttributeLogFont);
    EXPECT_EQ(attributes[2].size, 60u);
    EXPECT_EQ(attributes[3].size, 129u);
    EXPECT_EQ(attributes[4].dmaId, 0xA001u);
    EXPECT_EQ(attributes[4].size, 1u);

    const uint16_t unknown[] = {0x0008, 0x03D5};
    count = 2;
    EXPECT_EQ(DMA_QueryAttributes(&r.set, &count, unknown, attributes), kDmaUnmapped);

    count = 0;
    ASSERT_EQ(DMA_QueryAttributes(&r.set, &count, nullptr, nullptr), kDmaSizeAnswered);
    const uint32_t found = count;
    EXPECT_GT(found, 1000u);
    std::vector<DmaAttribute> all(found);
    ASSERT_EQ(DMA_QueryAttributes(&r.set, &count, nullptr, all.data()), kDmaOk);
    for (size_t i = 1; i < all.size(); ++i)
        ASSERT_LT(all[i - 1].dmaId, all[i].dmaId);
    EXPECT_EQ(all.front().dmaId, 1u);
    EXPECT_EQ(all.back().dmaId, 0xA002u);
}

TEST(DmaValues, StructureSizes)
{
    const std::pair<int, int> sizes[] = {{1, 0}, {2, 308}, {3, 706}, {4, 20}, {5, 742}, {6, 1442}, {7, 968}, {8, 0}};
    for (const auto& [kind, size] : sizes)
        EXPECT_EQ(DMA_QueryStructSize(kind), size) << kind;
}

}  // namespace
