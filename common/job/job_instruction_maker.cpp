#include "common/job/job_instruction_maker.h"

#include "common/context/settings_context.h"
#include "common/job/job_attribute_reads.h"
#include "common/job/job_header_codes.h"
#include "common/job/job_setting_ids.h"
#include "common/model/model_data.h"
#include "common/model/model_value_ops.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"

#include <cstring>
#include <memory>
#include <string>

namespace {


struct LibraryCloser {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryCloser>;

}  // namespace

int WriteJobInstructionBlock(const SettingsContext* settings, HANDLE printer, void* settingsRecord,
                             void* printerSettingsRecord, const void* data, uint32_t length, JobText* out)
{
    if (data == nullptr || length == 0)
        return 0;
    if (settings == nullptr || settings->main == nullptr || printer == nullptr)
        return kJobErrBadArgument;
    CapabilityBits bits{};
    if (!GetModelCapabilityBits(settings->main, &bits))
        return kJobErrCapabilities;
    if (!TestCapabilityBit(&bits, CapabilityBit(kJobInstructionCapability)))
        return 0;

    wchar_t directory[kDriverDirectoryChars] = {};
    wchar_t* name = nullptr;
    GetModelFileName(settings->main, kJobInstructionMakerFileName, &name);
    GlobalBlockPtr<wchar_t> nameOwner(name);
    if (name == nullptr || name[0] == 0 || !GetDriverDirectory(directory, sizeof directory))
        return kJobErrMissingData;
    const std::wstring path = std::wstring(directory) + name;
    LibraryPtr library(LoadLibraryInDriverContext(path.c_str(), LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library)
        return kJobErrMissingData;

    const auto initialize = reinterpret_cast<VpifMakerInitializeProc>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), kVpifMakerInitialize)));
    const auto setSetting = reinterpret_cast<VpifMakerSetSpSettingProc>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), kVpifMakerSetSpSetting)));
    const auto getVpif = reinterpret_cast<VpifMakerGetVpifProc>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), kVpifMakerGetVpif)));
    const auto finalize = reinterpret_cast<VpifMakerFinalizeProc>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), kVpifMakerFinalize)));
    if (initialize == nullptr || setSetting == nullptr || getVpif == nullptr || finalize == nullptr)
        return 0;
    void* maker = initialize(printer);
    if (maker == nullptr)
        return 0;

    int result = 0;
    uint32_t layout = 0;
    DWORD accepted = 0, size = 0;
    if (ReadJobSettingNumber(kJobFidBookletPoster, settingsRecord, printerSettingsRecord, &layout) != 0) {
        result = kJobErrInstructionSize;
    } else {
        setSetting(maker, data, length, &accepted);
        if (!getVpif(maker, nullptr, 0, &size) || size == 0 || size > 0x7FFFFFFF) {
            result = kJobErrInstructionSize;
        } else if (out == nullptr) {
            result = static_cast<int>(size);
        } else {
            std::unique_ptr<char[]> block(new (std::nothrow) char[size]);
            DWORD written = 0;
            if (!block) {
                result = kJobErrNoMemory;
            } else if (!getVpif(maker, block.get(), size, &written)) {
                result = kJobErrInstructionFetch;
            } else {
                // What the library wrote ends at its first NUL or at the size it
                // reported, whichever comes first.
                const uint32_t limit = written < size ? written : size;
                const uint32_t n = static_cast<uint32_t>(strnlen(block.get(), limit));
                result = AppendJobBytes(out, block.get(), n);
                if (result == 0)
                    result = static_cast<int>(n);
            }
        }
    }
    finalize(maker);
    return result;
}
