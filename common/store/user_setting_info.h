// The per-user setting block: the user's identification, accounting and sender
// fields of a printer, in three groups, kept in the printer's per-user key as
// "UserSettingInfo" (and printer-wide as printer-data table 3). Items travel
// between the block and the printer settings record by setting identifier.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

constexpr uint32_t kUserSettingInfoSize = 2096;
constexpr uint16_t kUserSettingInfoVersion = 4;
constexpr uint32_t kUserModelNameChars = 32;  // no terminator when all 32 are used

// Group bits of the block's flags and of the load and save masks.
constexpr uint16_t kUserGroup1 = 1;
constexpr uint16_t kUserGroup2 = 2;
constexpr uint16_t kUserGroup4 = 4;
constexpr uint16_t kUserGroupsAll = 7;
// Load and save mask bit: the printer-wide copy in printer data instead of the user's.
constexpr uint32_t kUserInfoPrinterWide = 0x100;

constexpr wchar_t kUserSettingInfoValueName[] = L"UserSettingInfo";

struct UserSettingInfo {
    uint16_t version;  // 4
    uint16_t commonVersion;   // setting 8203
    uint16_t privateVersion;  // setting 8204
    uint16_t value5137;       // setting 5137
    wchar_t modelName[kUserModelNameChars];
    uint16_t groupFlags;
    uint16_t group2Size;  // 354
    uint8_t group2[354];
    uint16_t group1Size;  // 968
    uint8_t group1[968];
    uint16_t group4Size;  // 694
    uint8_t group4[694];
};
static_assert(sizeof(UserSettingInfo) == kUserSettingInfoSize);
static_assert(offsetof(UserSettingInfo, modelName) == 8);
static_assert(offsetof(UserSettingInfo, groupFlags) == 72);
static_assert(offsetof(UserSettingInfo, group2Size) == 74);
static_assert(offsetof(UserSettingInfo, group2) == 76);
static_assert(offsetof(UserSettingInfo, group1Size) == 430);
static_assert(offsetof(UserSettingInfo, group1) == 432);
static_assert(offsetof(UserSettingInfo, group4Size) == 1400);
static_assert(offsetof(UserSettingInfo, group4) == 1402);

// One item: its setting, value type, byte offset in the block and size.
struct UserSettingItem {
    uint16_t id;
    uint16_t type;
    uint16_t offset;
    uint16_t size;
};

// A group: its flag bit, the offset of its size word (the data follows), its size
// and its items.
struct UserSettingGroup {
    uint16_t bit;
    uint16_t sizeOffset;
    uint16_t size;
    std::span<const UserSettingItem> items;
};

// In the order the groups are applied: 2, 1, 4.
extern const UserSettingGroup kUserSettingGroups[3];
extern const UserSettingItem kUserSettingHeaderItems[3];

// 1 when the setting is an item of one of the three groups.
int IsUserSettingId(uint16_t id);

// Sets the version, the group sizes and flags 7, leaving the items as they are.
void StampUserSettingInfo(UserSettingInfo* record);

struct ModelDataRecord;

// Stamps the block and writes every group item's model default by its type; an
// item the model has no default for is left as it is. 1 ok, 0 on another model
// error.
int FillUserSettingInfoDefaults(ModelDataRecord* main, ModelDataRecord* linked, UserSettingInfo* record);

// A new block from the printer settings record: version 4, sizes, flags 7, the
// header and group items by identifier, the model name (cut to 31 characters).
// 0 on a missing argument or a failed read.
int CaptureUserSettingInfo(const wchar_t* modelName, void* printerSettingsRecord, UserSettingInfo* record);

// Writes every item of the selected groups into the printer settings record
// (group 2, then 1, then 4); 0 at the first failed write.
int ApplyUserSettingInfo(void* printerSettingsRecord, const UserSettingInfo* record, uint16_t groups);

// Brings a stored block of `size` bytes to version 4 in `destination`: version 4
// is copied whole, versions 1 to 3 have their fields moved into place (the rest
// of `destination` stays), and with `setGroupFlagsItem` versions 1 and 2 get 7 in
// setting 5178. 0 for any other version or a block too short for its version.
// Bytes a stored block of `version` takes: the whole block for version 4, the
// extent of the older layout for versions 1 to 3 (716, 1100, 2092); 0 for any
// other version.
uint32_t UserSettingInfoBlockSize(uint16_t version);

int ConvertUserSettingInfo(const uint8_t* stored, uint32_t size, UserSettingInfo* destination,
                           bool setGroupFlagsItem);

// Loads the block into `record`, which starts as the given model defaults; the
// groups not found stay at the defaults. `mask`: group bits, and
// kUserInfoPrinterWide to read only the printer-wide copy. 1 ok.
int LoadUserSettingInfo(HANDLE printer, const wchar_t* basePath, const UserSettingInfo& defaults,
                        UserSettingInfo* record, uint32_t mask, bool setGroupFlagsItem);

// Saves the selected groups of `record`, keeping the other groups of the stored
// block; with kUserInfoPrinterWide writes the block as printer-data table 3 with
// the mask's low byte as its flags. 1 ok.
int SaveUserSettingInfo(HANDLE printer, const wchar_t* basePath, const UserSettingInfo& defaults,
                        const UserSettingInfo& record, uint32_t mask);

int DeleteUserSettingInfo(HANDLE printer, const wchar_t* basePath);
int HasUserSettingInfo(HANDLE printer, const wchar_t* basePath);
