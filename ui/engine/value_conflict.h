// The interface library's side of a changed setting: whether a conflict with
// the model's rules is refused, checked against the setting's range, fixed by
// the engine, reported or put to the user; then the accepted value, the rules'
// changes and a prepared fix applied together, and the finishing positions
// that depend on orientation recomputed.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/conflicts/dialog_services.h"

struct ConstraintContext;
struct ConstraintResult;
struct SettingChange;
struct PaperUnits;

// Action codes.
constexpr uint16_t kActionError = 1;
constexpr uint16_t kActionNoMemory = 2;  // reported as kActionError
constexpr uint16_t kActionNothing = 3;   // nothing to do, or the user was told
constexpr uint16_t kActionApply = 4;     // applied: the changed list is valid
constexpr uint16_t kActionContinue = 9;
constexpr uint16_t kActionWarned = 10;
constexpr uint16_t kActionAskOrFix = 11;

// What the check needs of the page the change comes from: the sheet's locale
// unit and the page's edit items (for the range warning's decimals and units).
constexpr uint16_t kEditControlKind = 4;
constexpr uint32_t kEditParameterDecimals = 0x400;
struct EditItemView {
    uint16_t controlKind;
    uint16_t selectedSetting;     // the setting of the item's selected slot
    const uint16_t* slots;        // every setting the item can show
    uint16_t slotCount;
    uint16_t firstParameter;      // the first u16 of the item's parameter block
    uint32_t parameterFlags;
    uint32_t secondParameter;
};
struct ConflictPage {
    uint16_t localeUnit;          // non-zero: the locale measures in inches
    const EditItemView* items;
    uint16_t itemCount;
};

// The settings a change made, handed to the caller on kActionApply: a
// zero-ended global block that the caller owns and frees (ids null otherwise).
struct ChangedIdList {
    uint16_t* ids;
    uint16_t count;  // without the end mark
};

// Finds the page's edit item showing `id` (mode 0 its selected slot, mode 1
// any slot): its first parameter and a flag word: kEditItemMissing when none,
// else kUiDecimals for an item with decimals and kUiFixedRange for one with a
// second parameter.
constexpr uint16_t kEditItemMissing = kUiUnitChange;
int FindEditItemForSetting(const ConflictPage* page, uint16_t id, int mode, uint16_t* firstParameter,
                           uint16_t* flags);

// The check of one change. `result` is the constraint check of the change
// (CheckSettingConstraints, mode 0) that the caller ran. Equal to the stored
// value: kActionNothing, except for 263 and 266. On kActionApply the settings
// hold the value with every change it brought and `changed` lists them.
uint16_t CheckItemValueConflict(HWND window, HANDLE printer, const ConstraintContext* context,
                                const SettingChange* change, ChangedIdList* changed, ConstraintResult* result,
                                const ConflictPage* page);
// The same without the comparison with the stored value.
uint16_t ResolveValueConflict(HWND window, HANDLE printer, const ConstraintContext& context,
                              const SettingChange& change, ChangedIdList* changed, ConstraintResult* result,
                              const ConflictPage* page);

// Recomputes 267 from 295, 7 and 325, 320 from 326 and 341 from 344 (the
// changed orientation taken from `change` when it is 7 or 295), setting and
// listing each that differs; a code the tables do not know leaves its value.
// 1 done, 0 when a setting cannot be read or written.
int RecomputeFinishingPositions(const ConstraintContext& context, const SettingChange* change, uint16_t** ids,
                                uint16_t* count);
