// A stand-in for the device maker's document monitor: it takes every call the
// driver makes, records the calls in order and keeps copies of the job records
// it is handed, byte for byte, for the test to read back through StandIn*.
// Built in three forms: with VdmSetVdmDataEx (STANDIN_EX), without it, and
// without a required function (STANDIN_INCOMPLETE).
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string g_calls;
std::vector<uint8_t> g_header;
std::vector<uint8_t> g_destinations;
std::string g_clientId = "C1";
std::string g_jobId = "J1";
BOOL g_accept = TRUE;
BOOL g_exec = TRUE;
LONG g_initialized;
LONG g_uninitialized;
CRITICAL_SECTION g_lock;

void Call(const char* name)
{
    EnterCriticalSection(&g_lock);
    g_calls += name;
    g_calls += ';';
    LeaveCriticalSection(&g_lock);
}

BOOL CopyId(const std::string& id, char* buffer, DWORD size)
{
    // The whole id, without a terminator when it fills the room: the driver must
    // not trust the monitor to keep within it.
    std::memset(buffer, 0, size);
    std::memcpy(buffer, id.data(), id.size() < size ? id.size() : size);
    return TRUE;
}

// Header and destinations: the destination pointer sits at `pointerOffset` and
// each destination begins with its own size, except in the older form.
BOOL Keep(const void* record, DWORD size, size_t pointerOffset, size_t countOffset, size_t destinationSize)
{
    const auto* bytes = static_cast<const uint8_t*>(record);
    g_header.assign(bytes, bytes + size);
    uint64_t pointer = 0;
    uint32_t count = 0;
    std::memcpy(&pointer, bytes + pointerOffset, sizeof pointer);
    std::memcpy(&count, bytes + countOffset, sizeof count);
    const auto* destinations = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(pointer));
    g_destinations.assign(destinations, destinations + count * destinationSize);
    return g_accept;
}

}  // namespace

#define EXPORT extern "C" __declspec(dllexport)

EXPORT BOOL WINAPI VdmInitializeDocMon()
{
    InterlockedIncrement(&g_initialized);
    Call("VdmInitializeDocMon");
    return TRUE;
}
EXPORT BOOL WINAPI VdmUnInitializeDocMon()
{
    InterlockedIncrement(&g_uninitialized);
    Call("VdmUnInitializeDocMon");
    return TRUE;
}
EXPORT BOOL WINAPI VdmCreateClientId(char* buffer, DWORD size)
{
    Call("VdmCreateClientId");
    return CopyId(g_clientId, buffer, size);
}
EXPORT BOOL WINAPI VdmCreateJobId(char* buffer, DWORD size)
{
    Call("VdmCreateJobId");
    return CopyId(g_jobId, buffer, size);
}
EXPORT BOOL WINAPI VdmSetVdmData(const void* record, DWORD size)
{
    Call("VdmSetVdmData");
    return Keep(record, size, 528, 0, 660);
}
#ifdef STANDIN_EX
EXPORT BOOL WINAPI VdmSetVdmDataEx(const void* record, DWORD size)
{
    Call("VdmSetVdmDataEx");
    return Keep(record, size, 600, 4, 812);
}
#endif
EXPORT BOOL WINAPI VdmExecDocMon(const char* jobId)
{
    Call("VdmExecDocMon");
    Call(jobId);
    return g_exec;
}
EXPORT BOOL WINAPI VdmSetGroupStyle() { return TRUE; }
EXPORT BOOL WINAPI VdmSetJobId() { return TRUE; }
EXPORT BOOL WINAPI VdmSetDestinationCount() { return TRUE; }
EXPORT BOOL WINAPI VdmSetPortName() { return TRUE; }
EXPORT BOOL WINAPI VdmSetFriendlyName() { return TRUE; }
EXPORT BOOL WINAPI VdmSetParamStyle() { return TRUE; }
EXPORT BOOL WINAPI VdmExecDocMonPreferences() { return TRUE; }
#ifndef STANDIN_INCOMPLETE
EXPORT BOOL WINAPI VdmSetJobDestinations() { return TRUE; }
#endif

// For the test.
EXPORT void StandInConfigure(const char* clientId, const char* jobId, BOOL accept, BOOL exec)
{
    g_clientId = clientId;
    g_jobId = jobId;
    g_accept = accept;
    g_exec = exec;
    g_calls.clear();
    g_header.clear();
    g_destinations.clear();
}
EXPORT const char* StandInCalls() { return g_calls.c_str(); }
EXPORT DWORD StandInHeader(const uint8_t** bytes)
{
    *bytes = g_header.data();
    return static_cast<DWORD>(g_header.size());
}
EXPORT DWORD StandInDestinations(const uint8_t** bytes)
{
    *bytes = g_destinations.data();
    return static_cast<DWORD>(g_destinations.size());
}
EXPORT LONG StandInBalance() { return g_initialized - g_uninitialized; }
EXPORT LONG StandInInitCount() { return g_initialized; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        InitializeCriticalSection(&g_lock);
    else if (reason == DLL_PROCESS_DETACH)
        DeleteCriticalSection(&g_lock);
    return TRUE;
}
