#include "common/system/library_profile.h"

const LibraryProfile kInterfaceLibraryProfile = {L"\\DDI_FAXUI_TRACE_LOG.txt", false};
const LibraryProfile kGraphicsLibraryProfile = {L"\\DDI_UM_TRACE_LOG.txt", true};

namespace {
const LibraryProfile* g_profile = &kInterfaceLibraryProfile;
}

void SetLibraryProfile(const LibraryProfile* profile)
{
    g_profile = profile != nullptr ? profile : &kInterfaceLibraryProfile;
}

const LibraryProfile& GetLibraryProfile()
{
    return *g_profile;
}
