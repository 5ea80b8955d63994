#include "common/system/lock_table.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

struct LayoutCase {
    const LockLayout* layout;
    LockRole role;
    int slot;
};

TEST(LockTable, RolesMapToEachLibrarysSlots)
{
    const LayoutCase cases[] = {
        {&kInterfaceLibraryLocks, LockRole::ModelData, 0},
        {&kInterfaceLibraryLocks, LockRole::JobList, 2},
        {&kInterfaceLibraryLocks, LockRole::DevmodeMerge, 3},
        {&kInterfaceLibraryLocks, LockRole::DocMonitor, 4},
        {&kInterfaceLibraryLocks, LockRole::Locale, 6},
        {&kInterfaceLibraryLocks, LockRole::TempFileKey, kNoLockSlot},
        {&kGraphicsLibraryLocks, LockRole::TempFileKey, 2},
        {&kGraphicsLibraryLocks, LockRole::SettingsAccess, 4},
        {&kGraphicsLibraryLocks, LockRole::DocMonitor, 5},
        {&kGraphicsLibraryLocks, LockRole::Locale, 7},
        {&kGraphicsLibraryLocks, LockRole::JobList, kNoLockSlot},
    };
    for (const LayoutCase& c : cases) {
        SetLockLayout(c.layout);
        EXPECT_EQ(LockSlot(c.role), c.slot) << static_cast<int>(c.role);
    }
    SetLockLayout(nullptr);
}

TEST(LockTable, SlotsOutsideTheTableAreRefusedAndHarmless)
{
    SetLockLayout(&kInterfaceLibraryLocks);
    EXPECT_EQ(InitLock(7), 0);  // the interface library has 7 slots
    EXPECT_EQ(InitLock(-1), 0);
    EnterLock(7);               // no effect, no crash
    LeaveLock(7);
    DeleteLock(7);
    EnterLock(5);               // not created: no effect
    LeaveLock(5);
}

TEST(LockTable, LockExcludesAnotherThreadAndIsReentrant)
{
    SetLockLayout(&kGraphicsLibraryLocks);
    ASSERT_EQ(InitAllLocks(), 1);
    EXPECT_EQ(InitLock(7), 1);  // already there

    const int slot = LockSlot(LockRole::FontTable);
    EnterLock(slot);
    EnterLock(slot);  // re-entrant for the holder
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            RoleLock lock(LockRole::FontTable);
            return 0;
        },
        nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 200), static_cast<DWORD>(WAIT_TIMEOUT));
    LeaveLock(slot);
    EXPECT_EQ(WaitForSingleObject(thread, 200), static_cast<DWORD>(WAIT_TIMEOUT));
    LeaveLock(slot);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    DeleteAllLocks();
    SetLockLayout(nullptr);
}

}  // namespace
