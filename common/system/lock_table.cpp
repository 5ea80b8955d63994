#include "common/system/lock_table.h"

#include <windows.h>

namespace {

constexpr DWORD kSpinCount = 4000;

CRITICAL_SECTION g_sections[kMaxLockSlots];
bool g_created[kMaxLockSlots];
const LockLayout* g_layout = &kInterfaceLibraryLocks;

bool SlotInTable(int slot)
{
    return slot >= 0 && slot < g_layout->slotCount && slot < kMaxLockSlots;
}

}  // namespace

// Role order: ModelData, Module, JobList, DevmodeMerge, TempFileKey, FontTable,
// SettingsAccess, DocMonitor, OsVersion, Locale.
const LockLayout kInterfaceLibraryLocks = {7, {0, 1, 2, 3, kNoLockSlot, kNoLockSlot, kNoLockSlot, 4, 5, 6}};
const LockLayout kGraphicsLibraryLocks = {8, {0, 1, kNoLockSlot, kNoLockSlot, 2, 3, 4, 5, 6, 7}};

void SetLockLayout(const LockLayout* layout)
{
    g_layout = layout != nullptr ? layout : &kInterfaceLibraryLocks;
}

const LockLayout& GetLockLayout()
{
    return *g_layout;
}

int LockSlot(LockRole role)
{
    const int index = static_cast<int>(role);
    if (index < 0 || index >= static_cast<int>(LockRole::Count))
        return kNoLockSlot;
    return g_layout->slotOfRole[index];
}

int InitLock(int slot)
{
    if (!SlotInTable(slot))
        return 0;
    if (g_created[slot])
        return 1;
    if (!InitializeCriticalSectionAndSpinCount(&g_sections[slot], kSpinCount))
        return 0;
    g_created[slot] = true;
    return 1;
}

void EnterLock(int slot)
{
    if (SlotInTable(slot) && g_created[slot])
        EnterCriticalSection(&g_sections[slot]);
}

void LeaveLock(int slot)
{
    if (SlotInTable(slot) && g_created[slot])
        LeaveCriticalSection(&g_sections[slot]);
}

void DeleteLock(int slot)
{
    if (!SlotInTable(slot) || !g_created[slot])
        return;
    DeleteCriticalSection(&g_sections[slot]);
    g_created[slot] = false;
}

int InitAllLocks()
{
    int ok = 1;
    for (int slot = 0; slot < g_layout->slotCount; ++slot)
        ok &= InitLock(slot);
    return ok;
}

void DeleteAllLocks()
{
    for (int slot = 0; slot < g_layout->slotCount; ++slot)
        DeleteLock(slot);
}
