#include "common/devmode/interface_cores.h"

#include "common/devmode/devmode_convert.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "tests/devmode/devmode_fixture.h"

#include <winspool.h>

#include <cstring>
#include <string>

namespace {

class InterfaceCoresTest : public DevmodeTest {};

TEST_F(InterfaceCoresTest, ConvertDevmodeForPrinter)
{
    const Record input = Defaults();
    Record output(kPrivatePartOffset, 0);
    auto* in = reinterpret_cast<const DEVMODEW*>(input.data());
    auto* out = reinterpret_cast<DEVMODEW*>(output.data());

    DWORD size = kPrivatePartOffset;
    SetLastError(0);
    EXPECT_FALSE(ConvertDevmodeForPrinter(nullptr, in, out, &size, kConvertDevmode));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ConvertDevmodeForPrinter(name(), in, out, nullptr, kConvertDevmode));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    size = 100;
    EXPECT_FALSE(ConvertDevmodeForPrinter(name(), in, out, &size, kConvertDevmode));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, kPrivatePartOffset);

    size = kPrivatePartOffset;
    SetLastError(0);
    EXPECT_FALSE(ConvertDevmodeForPrinter(L"Morva No Such Printer", in, out, &size, kConvertDevmode));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ConvertDevmodeForPrinter(name(), in, out, &size, 3));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_TRUE(ConvertDevmodeForPrinter(name(), in, out, &size, kConvertDevmode));
    EXPECT_EQ(output, Record(input.begin(), input.begin() + kPrivatePartOffset));
}

TEST_F(InterfaceCoresTest, QueryDevmodePrintable)
{
    EXPECT_FALSE(QueryDevmodePrintable(nullptr));
    DEVQUERYPRINT_INFO info = {};
    info.cbSize = sizeof info;
    EXPECT_TRUE(QueryDevmodePrintable(&info));

    Record record = Defaults();
    info.pDevMode = reinterpret_cast<DEVMODEW*>(record.data());
    EXPECT_TRUE(QueryDevmodePrintable(&info));

    PutU16(record, 220, 12345);  // no private version of ours
    wchar_t text[10];
    std::fill(std::begin(text), std::end(text), L'#');
    info.pszErrorStr = text;
    info.cchErrorStr = 10;
    EXPECT_FALSE(QueryDevmodePrintable(&info));
    EXPECT_EQ(info.cchNeeded, 27u);
    EXPECT_EQ(std::wstring(text), std::wstring(kInvalidDevmodeText).substr(0, 9));

    // A size field that claims more than a DEVMODE of ours holds.
    record = Defaults();
    PutU16(record, kDmDriverExtraOffset, 60000);
    record.resize(220 + 60000, 0);
    info.pDevMode = reinterpret_cast<DEVMODEW*>(record.data());
    info.pszErrorStr = nullptr;
    EXPECT_FALSE(QueryDevmodePrintable(&info));
}

TEST_F(InterfaceCoresTest, MergeDevmodeSilently)
{
    Record output(kPrivatePartOffset, 0);
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = handle();
    header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());

    header.fMode = 0;
    EXPECT_EQ(MergeDevmodeSilently(&header), 1604);
    EXPECT_EQ(header.cbOut, 1604u);
    EXPECT_EQ(output, Record(kPrivatePartOffset, 0));

    header.fMode = DM_PROMPT;  // neither update nor copy
    EXPECT_EQ(MergeDevmodeSilently(&header), -1);

    header.fMode = DM_COPY;
    EXPECT_EQ(MergeDevmodeSilently(&header), 1);
    EXPECT_EQ(ValidateDevmodeCoreFields(output.data(), output.size()), 1);

    // An input with more copies is merged.
    Record input = Defaults();
    SetNumber(input, kFidCopies, 5);
    uint32_t fields = 0;
    std::memcpy(&fields, input.data() + 72, 4);
    fields |= 0x100;
    std::memcpy(input.data() + 72, &fields, 4);
    header.pdmIn = reinterpret_cast<DEVMODEW*>(input.data());
    EXPECT_EQ(MergeDevmodeSilently(&header), 1);
    EXPECT_EQ(Number(output, kFidCopies), 5u);
    EXPECT_EQ(U16At(output, kDmDriverExtraOffset), 1384);

    // An output record without a driver part gets only the public part.
    Record bare(kPrivatePartOffset, 0x5A);
    std::memcpy(bare.data(), Defaults().data(), kPublicDevmodeSize);
    PutU16(bare, kDmDriverExtraOffset, 0);
    header.pdmOut = reinterpret_cast<DEVMODEW*>(bare.data());
    EXPECT_EQ(MergeDevmodeSilently(&header), 1);
    EXPECT_EQ(U16At(bare, kDmDriverExtraOffset), 0);
    EXPECT_EQ(bare[kPublicDevmodeSize], 0x5A);
    EXPECT_EQ(Number(bare, kFidCopies), 5u);
}

TEST_F(InterfaceCoresTest, PrinterInfoWithMergedDevmode)
{
    Record target(kSettingsRecordSize, 0);
    int merged = 7;
    DWORD size = 0;
    uint8_t* info = GetPrinterInfoWithMergedDevmode(handle(), context_.get(), target.data(), &size, &merged);
    ASSERT_TRUE(info);
    EXPECT_EQ(merged, 1);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(reinterpret_cast<PRINTER_INFO_2W*>(info)->pDevMode, reinterpret_cast<DEVMODEW*>(target.data()));
    EXPECT_EQ(ValidateDevmodeCoreFields(target.data(), target.size()), 1);
    GlobalFree(info);

    merged = 7;
    EXPECT_EQ(GetPrinterInfoWithMergedDevmode(nullptr, context_.get(), target.data(), &size, &merged), nullptr);
    EXPECT_EQ(merged, 0);
}

}  // namespace
