// Numbered critical sections that guard the few process-wide values of a library.
// Each main library has its own table size and its own slot for each role; the
// library states which at load time with SetLockLayout (the interface library's
// layout is the default).
#pragma once
#include <cstdint>

enum class LockRole : uint8_t {
    ModelData,       // model data loading and cache; in the graphics library also device records
    Module,          // module handle, driver directory, resource file and its count
    JobList,         // per-DC job records (interface library)
    DevmodeMerge,    // non-interactive DEVMODE merge (interface library)
    TempFileKey,     // temporary-file registry key (graphics library)
    FontTable,       // font substitution table walks (graphics library)
    SettingsAccess,  // binding of the settings-access library (graphics library)
    DocMonitor,      // document-monitor client state
    OsVersion,       // cached operating-system version tests
    Locale,          // cached locale answers
    Count
};

constexpr int kNoLockSlot = -1;
constexpr int kMaxLockSlots = 8;

struct LockLayout {
    int slotCount;
    int8_t slotOfRole[static_cast<int>(LockRole::Count)];  // kNoLockSlot: no such role
};

extern const LockLayout kInterfaceLibraryLocks;  // 7 slots
extern const LockLayout kGraphicsLibraryLocks;   // 8 slots

void SetLockLayout(const LockLayout* layout);
const LockLayout& GetLockLayout();
int LockSlot(LockRole role);

// 1 when the slot exists now (created here or before), 0 for a slot outside the
// table or a failed creation. Spin count 4000.
int InitLock(int slot);
// Enter, leave and delete do nothing for a slot outside the table or not created.
void EnterLock(int slot);
void LeaveLock(int slot);
void DeleteLock(int slot);

// Creates or deletes every slot of the current layout.
int InitAllLocks();
void DeleteAllLocks();

// Holds a role's lock for a scope. Critical sections are re-entrant, so nested
// holders of the same role are fine.
class RoleLock {
public:
    explicit RoleLock(LockRole role) : slot_(LockSlot(role)) { EnterLock(slot_); }
    ~RoleLock() { LeaveLock(slot_); }
    RoleLock(const RoleLock&) = delete;
    RoleLock& operator=(const RoleLock&) = delete;

private:
    int slot_;
};
