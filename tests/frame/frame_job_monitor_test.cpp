// The document monitor in a whole job: announced while the job header is
// built, its id in the header, run when the job's output closed cleanly.
#include "tests/frame/frame_jobs.h"

#include "common/job/doc_monitor_client.h"
#include "common/settings/function_ids.h"
#include "common/settings/item_layout.h"
#include "common/settings/value_types.h"
#include "printhost/host_dc.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using frame_test::PrintedJob;
using frame_test::PrintJob;

constexpr int kSetPrinterSettings = 20491;
constexpr int kGetPrinterSettings = 20492;

using ConfigureProc = void (*)(const char*, const char*, BOOL, BOOL);
using CallsProc = const char* (*)();

// The stand-in monitor of the job tests, registered where the driver looks for it.
class FrameJobMonitor : public ::testing::Test {
protected:
    void SetUp() override
    {
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string path = exe;
        path = path.substr(0, path.find_last_of('\\') + 1) + "morva_docmon_ex.dll";
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDocMonitorKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        for (const char* value : {static_cast<const char*>(nullptr), kDocMonitorLibraryValue})
            RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
        standIn_ = LoadLibraryA(path.c_str());
        ASSERT_NE(standIn_, nullptr) << path;
        Proc<ConfigureProc>("StandInConfigure")("C7", "J9", TRUE, TRUE);
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
        if (standIn_)
            FreeLibrary(standIn_);
    }
    template <typename T>
    T Proc(const char* name)
    {
        return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(standIn_, name)));
    }
    std::string Calls() { return Proc<CallsProc>("StandInCalls")(); }

    HMODULE standIn_ = nullptr;
};

TEST_F(FrameJobMonitor, AnnouncedJobCarriesItsIdAndRunsTheMonitor)
{
    struct Case {
        uint32_t on;
        bool pageRefused;  // a zoom outside its range fails the page after the header
        bool announced, run;
    } cases[] = {
        {1, false, true, true},
        {0, false, false, false},
        // A job that fails after its header is let go without running the monitor.
        {1, true, true, false},
    };
    for (const Case& k : cases) {
        Proc<ConfigureProc>("StandInConfigure")("C7", "J9", TRUE, TRUE);
        // Setting 8201 is the printer's own: switched in the job's copy of the
        // printer settings before the job begins.
        const auto monitorSetting = [&k](HDC dc) {
            std::vector<char> record(kPrinterSettingsRecordSize);
            ASSERT_GT(HostExtEscape(dc, kGetPrinterSettings, 0, nullptr, static_cast<int>(record.size()), record.data()), 0);
            ItemLayout layout{};
            ASSERT_EQ(FindItemLayout(kFidDocMonitorDefault, nullptr, record.data(), &layout), 0);
            const uint32_t on = k.on;
            std::memcpy(layout.address, &on, sizeof on);
            ASSERT_GT(HostExtEscape(dc, kSetPrinterSettings, static_cast<int>(record.size()), record.data(), 0, nullptr), 0);
        };
        std::vector<frame_test::SettingPair> settings = {{kFidDocMonitorOn, k.on}};
        if (k.pageRefused)
            settings.insert(settings.end(), {{kFidLayoutScaleOn, 1}, {kFidZoom, 401}});
        const PrintedJob job = PrintJob({{true}, frame_test::Ending::kEndDoc, settings, monitorSetting});
        const std::string calls = Calls();
        EXPECT_EQ(calls.find("VdmCreateJobId") != std::string::npos, k.announced) << k.on << " " << calls;
        EXPECT_EQ(calls.find("VdmExecDocMon") != std::string::npos, k.run) << k.on << " " << calls;
        if (k.pageRefused)
            EXPECT_EQ(job.bytes.find("EOJ"), std::string::npos);
        else
            EXPECT_TRUE(job.read) << job.listing.error;
    }
}

} // namespace
