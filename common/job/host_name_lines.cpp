#include "common/job/host_name_lines.h"

#include "common/context/settings_context.h"
#include "common/job/job_attribute_reads.h"
#include "common/job/job_attribute_values.h"
#include "common/job/job_header.h"
#include "common/job/job_header_codes.h"
#include "common/model/model_data.h"
#include "common/settings/function_ids.h"
#include "common/system/code_pages.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/user_and_process.h"

#include <cstring>
#include <string>

namespace {

constexpr uint32_t kOwnerNameChars = 32;

struct CodePair {
    uint16_t from;
    int to;
};
constexpr CodePair kPosterNup[] = {{258, 7}, {259, 13}, {260, 8}, {514, 8}, {771, 10}, {1028, 11}};
constexpr CodePair kPagesNup[] = {{1, 0}, {2, 1}, {4, 2}, {8, 4}, {16, 6}, {32, 12}};
constexpr CodePair kBypassSource[] = {{3, 9}, {1, 10}, {2, 10}, {7, 10}, {8, 10}};
constexpr CodePair kSourceCodes[] = {{7, 0}, {1, 1}, {3, 2}, {265, 3}, {266, 4}, {267, 5}, {2, 6}, {257, 7}};

template <size_t N>
int Lookup(const CodePair (&table)[N], uint32_t value, int missing)
{
    for (const CodePair& p : table)
        if (p.from == value)
            return p.to;
    return missing;
}

void* Settings(JobHeaderState* s) { return s->context->settingsRecord; }
void* Printer(JobHeaderState* s) { return s->context->printerSettingsRecord; }
uint32_t Setting(JobHeaderState* s, uint16_t id) { return JobSettingOr(id, Settings(s), Printer(s), 0); }

FARPROC Resolve(JobHeaderState* state, const char* name)
{
    if (state->hostNameLibrary == nullptr) {
        wchar_t directory[kDriverDirectoryChars] = {};
        wchar_t* file = nullptr;
        GetModelFileName(state->settings->main, kHostNameLibraryFileName, &file);
        GlobalBlockPtr<wchar_t> owner(file);
        if (file == nullptr || file[0] == 0 || !GetDriverDirectory(directory, sizeof directory))
            return nullptr;
        const std::wstring path = std::wstring(directory) + file;
        state->hostNameLibrary = LoadLibraryInDriverContext(path.c_str(), LOAD_WITH_ALTERED_SEARCH_PATH);
        if (state->hostNameLibrary == nullptr)
            return nullptr;
    }
    return GetProcAddress(state->hostNameLibrary, name);
}

template <typename Proc>
Proc ResolveAs(JobHeaderState* state, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(Resolve(state, name)));
}

// The library's text as a line: UTF-16, in the PJL form wrapped as a job
// attribute, then UTF-8 and LF when it is not empty.
int AppendLibraryLine(JobHeaderState* state, const char* text, bool lineEndAlways)
{
    int status = 0;
    if (text[0] != 0) {
        GlobalBlockPtr<wchar_t> wide(AllocMultiByteToWide(CP_ACP, text));
        if (!wide)
            return kJobErrConversion;
        if (state->pjl)
            status = AppendJobChars(state->out, "@PJL SET JOBATTR=\"");
        if (status == 0)
            status = AppendJobWide(state->out, wide.get());
        if (status == 0 && state->pjl)
            status = AppendJobChars(state->out, "\"");
    }
    if (status == 0 && (text[0] != 0 || lineEndAlways))
        status = AppendJobChars(state->out, "\n");
    return status;
}

// The text a library call left in the buffer, ended within its capacity.
void EndText(char* text, DWORD reported)
{
    text[reported < kHostNameTextBytes ? reported : kHostNameTextBytes - 1] = 0;
}

bool NamesSuppressed(JobHeaderState* state)
{
    return Setting(state, kFidUserNameAllowed) != 1 && Setting(state, kFidJobHeaderOn) == 1;
}

int NupLine(JobHeaderState* state)
{
    char text[kHostNameTextBytes] = {};
    const int code = GetNupCode(state);
    if (code >= 0) {
        const auto nup = ResolveAs<DhNupProc>(state, kDhNup);
        DWORD size = kHostNameTextBytes, reserved = 0;
        if (nup == nullptr || !nup(code, text, &size, &reserved))
            return kJobErrHostName;
        EndText(text, size);
    }
    return AppendLibraryLine(state, text, true);
}

// A line of the library's text when user names may go into the header; `call`
// fills the text and its size and answers the library's result.
template <typename Call>
int NameLine(JobHeaderState* state, Call call)
{
    if (NamesSuppressed(state))
        return 0;
    char text[kHostNameTextBytes] = {};
    DWORD size = kHostNameTextBytes;
    if (!call(text, &size))
        return kJobErrHostName;
    EndText(text, size);
    return AppendLibraryLine(state, text, false);
}

int HostAddressLine(JobHeaderState* state)
{
    return NameLine(state, [state](char* text, DWORD* size) {
        const auto address = ResolveAs<DhHostAddressProc>(state, kDhHostAddress);
        char scratch[kHostNameTextBytes] = {};
        DWORD scratchSize = kHostNameTextBytes;
        return address != nullptr && address(text, size, scratch, &scratchSize);
    });
}

int HostNameLine(JobHeaderState* state)
{
    return NameLine(state, [state](char* text, DWORD* size) {
        const auto hostName = ResolveAs<DhHostNameExProc>(state, kDhHostNameEx);
        DWORD reserved = 0;
        return hostName != nullptr && hostName(32, text, size, 0, &reserved);
    });
}

// A setting's text as ANSI.
std::string SettingAnsi(JobHeaderState* state, uint16_t id)
{
    const wchar_t* text = nullptr;
    uint32_t room = 0;
    if (ReadJobSettingText(id, Settings(state), Printer(state), &text, &room) != 0)
        return std::string();
    const std::wstring bounded(text, wcsnlen(text, room));
    GlobalBlockPtr<char> ansi(AllocWideToMultiByte(CP_ACP, bounded.c_str()));
    return ansi ? std::string(ansi.get()) : std::string();
}

int OwnerFromInput(JobHeaderState* state, int mode, const std::string& user, int pages, int source)
{
    const auto fromInput = ResolveAs<DhJobOwnerProc>(state, kDhJobOwnerFromInput);
    char text[kHostNameTextBytes] = {};
    DWORD size = kHostNameTextBytes;
    if (fromInput == nullptr || !fromInput(mode, kDhUserTextPlaceholder, pages, source, text, &size))
        return kJobErrHostName;
    EndText(text, size);
    // The library never sees the user text: its placeholder is replaced here.
    std::string line(text);
    const std::string placeholder(kDhUserTextPlaceholder);
    for (size_t at = line.find(placeholder); at != std::string::npos; at = line.find(placeholder, at + user.size()))
        line.replace(at, placeholder.size(), user);
    return AppendLibraryLine(state, line.c_str(), false);
}

int JobOwnerLine(JobHeaderState* state)
{
    if (Setting(state, kFidUserNameAllowed) != 1)
        return 0;
    const bool account = (Setting(state, kFidAccountMode) & 0xFF) != 0;
    const uint32_t kind = Setting(state, account ? kFidOwnerKindAccount : kFidAdminUserIdKind) & 0xFFFF;
    const bool hostBits = (state->flags & (kHeaderNupLine | kHeaderHostAddressLine)) != 0;
    int mode = 0;
    if (hostBits) {
        mode = (state->flags & kHeaderHostNameLine) != 0 ? 5 : 1;
    } else {
        static constexpr int kModes[] = {3, 3, 0, 4, 4, 3, 4, 3};  // by kind 0-7; 0: no line
        mode = kind < 8 ? kModes[kind] : 0;
        if (mode == 0)
            return 0;
    }

    int pages = 0, source = 0;
    if (!hostBits) {
        uint32_t perSheet = 0;
        const int status = ReadJobSettingNumber(kFidPagesPerSheet, Settings(state), Printer(state), &perSheet);
        if (status != 0)
            return status;
        pages = static_cast<int>(perSheet & 0xFFFF);
        const uint32_t layout = Setting(state, kFidPosterBooklet);
        if (pages == 1 && layout == 1)
            pages = 100;
        else if (pages == 1 && layout == 2 &&
                 !(TestCapabilityBit(&state->capabilities, CapabilityBit(42)) && Setting(state, kFidJobType) == 3))
            pages = 2;
        const int sourced = GetJobOwnerSourceCode(state->flags, Settings(state), Printer(state), &source);
        if (sourced != 0)
            return sourced;
    }

    const uint16_t promptId = account ? kFidPromptUser : kFidPromptAdministrator;
    if ((state->flags & kHeaderOwnerFromUserText) != 0 && Setting(state, promptId) == 1) {
        const std::string user =
            Setting(state, kFidPromptUnknown) == 1 ? std::string("UnknownUser") : SettingAnsi(state, kFidPromptText);
        return OwnerFromInput(state, mode, user, pages, source);
    }
    switch (kind) {
    case 0: case 3: {
        if (mode < 5) {
            const auto fromHost = ResolveAs<DhJobOwnerProc>(state, kDhJobOwnerFromUserHostName);
            char text[kHostNameTextBytes] = {};
            DWORD size = kHostNameTextBytes;
            if (fromHost == nullptr || !fromHost(mode, kDhUserTextPlaceholder, pages, source, text, &size))
                return kJobErrHostName;
            EndText(text, size);
            return AppendLibraryLine(state, text, false);
        }
        wchar_t name[kOwnerNameChars + 2] = {};
        if (!GetCurrentUserName(name, kOwnerNameChars + 1))
            name[0] = 0;
        char user[kOwnerNameChars * 2 + 1];
        if (MakeJobUserName(name, kOwnerNameChars, user, sizeof user) <= 0)
            return kJobErrConversion;
        return AppendLibraryLine(state, (std::string("@JOAU=") + user).c_str(), false);
    }
    case 1: case 4: return OwnerFromInput(state, mode, SettingAnsi(state, kFidAdminUserName), pages, source);
    case 5: case 6: return OwnerFromInput(state, mode, SettingAnsi(state, kFidOwnerAccountText), pages, source);
    case 7:
        return OwnerFromInput(state, mode, SettingAnsi(state, account ? kFidOwnerAccountText : kFidAdminUserName), pages,
                              source);
    default: return 0;
    }
}

}  // namespace

int GetNupCode(JobHeaderState* state)
{
    const uint32_t layout = Setting(state, kFidPosterBooklet);
    if (layout == 2 && !(TestCapabilityBit(&state->capabilities, CapabilityBit(42)) && Setting(state, kFidJobType) == 3))
        return 1;
    if (layout == 1) {
        const int code = Lookup(kPosterNup, Setting(state, kFidLayoutGrid), -1);
        if (code >= 0)
            return code;
    }
    return Lookup(kPagesNup, Setting(state, kFidPagesPerSheet), -1);
}

int GetJobOwnerSourceCode(uint32_t flags, void* settingsRecord, void* printerSettingsRecord, int* code)
{
    uint32_t first = 0, second = 0;
    int status = ReadJobSettingNumber(kFidPaperSource, settingsRecord, printerSettingsRecord, &first);
    if (status == 0)
        status = ReadJobSettingNumber(kFidDefaultSource, settingsRecord, printerSettingsRecord, &second);
    if (status != 0)
        return status;
    first &= 0xFFFF;
    second &= 0xFFFF;
    uint32_t source = 0;
    if ((flags & kHeaderOwnerSourceFirst) != 0)
        source = second == 15 ? first : second;
    else
        source = first == 258 ? second : first;
    if (source == 4 || source == 260) {
        uint32_t feed = 0;
        status = ReadJobSettingNumber(kFidBypassFeed, settingsRecord, printerSettingsRecord, &feed);
        if (status != 0)
            return status;
        *code = Lookup(kBypassSource, feed & 0xFFFF, 8);
        return 0;
    }
    *code = Lookup(kSourceCodes, source, 11);
    return 0;
}

int WriteHostNameLines(JobHeaderState* state)
{
    if (state == nullptr || state->context == nullptr || state->out == nullptr || state->settings == nullptr)
        return kJobErrBadArgument;
    int status = 0;
    if ((state->flags & kHeaderNupLine) != 0)
        status = NupLine(state);
    if (status == 0 && (state->flags & kHeaderHostAddressLine) != 0)
        status = HostAddressLine(state);
    if (status == 0)
        status = JobOwnerLine(state);
    if (status == 0 && (state->flags & kHeaderHostNameLine) != 0)
        status = HostNameLine(state);
    return status;
}

void UnloadHostNameLibrary(JobHeaderState* state)
{
    if (state != nullptr && state->hostNameLibrary != nullptr) {
        FreeLibrary(state->hostNameLibrary);
        state->hostNameLibrary = nullptr;
    }
}
