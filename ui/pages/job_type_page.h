// The job type page (template 4701, dialog code 1), the first page of the
// document sheet: the job type with the fields it needs, the delayed time, the
// paper with its custom size, the orientation and zoom, copies, two-sided
// printing and pages per sheet beside a picture of the sheet. Its sub-dialogs
// are the finishing fields (2770, code 29) and one dialog per kind of job
// (533, 3340, 3377, 3400: codes 22, 42, 43, 44); the custom size is the
// size-pair dialog (code 55).
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"

struct CallContext;

inline constexpr int32_t kJobTypePageCode = 1;
inline constexpr int32_t kJobFieldsCode = 29;
inline constexpr int32_t kSecureJobCode = 22;
inline constexpr int32_t kStoredJobCode = 42;
inline constexpr int32_t kDelayedJobCode = 43;
inline constexpr int32_t kOtherJobCode = 44;

// Values of the job type (setting 334) the page knows.
inline constexpr uint32_t kJobTypeNormal = 0;
inline constexpr uint32_t kJobTypeCoded = 1;
inline constexpr uint32_t kJobTypeSecure = 2;
inline constexpr uint32_t kJobTypeStored = 3;
inline constexpr uint32_t kJobTypeDelayed = 4;

// Messages (caption 265).
inline constexpr UINT kMessageCodeTooShort = 9431;
inline constexpr UINT kMessageCodeInvalid = 743;
inline constexpr UINT kMessageNameRefused = 4723;
inline constexpr UINT kMessageNumberRange = 446;
inline constexpr UINT kStringNumberLimit = 435;

extern const ItemTableHeader JobTypePageItemTable;
extern const PageDescriptor JobFieldsDialog;
extern const PageDescriptor SecureJobDialog;
extern const PageDescriptor StoredJobDialog;
extern const PageDescriptor DelayedJobDialog;
extern const PageDescriptor OtherJobDialog;

INT_PTR CALLBACK JobTypePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK JobTypeFieldsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK JobTypeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The icon of a value of the punch (control 1645) or binding edge (1646)
// list: the row by the value, the column by setting 437. 0 with *icon; 1 for
// another control or a value without a row (no icon).
int LookUpOptionIcon(int32_t controlId, uint32_t value, uint32_t setting437, uint32_t* icon);
// The icon callback of those two controls (ShowOptionIcon): 0 with *icon; 3
// when setting 437 or the item's setting cannot be read; 6 without an option
// list.
int OnOptionIconItem(CallContext* call, const ItemRecord* item, uint32_t* icon);

// The user ID's length: 24 characters for stored jobs or with model
// capability 2, else 12.
uint32_t JobIdLength(uint32_t jobType, bool capability2);
// The PIN's length: 24 characters with model capability 2, else 8.
uint32_t JobPinLength(bool capability2);
// The sub-dialog template the Details button opens for a job type.
uint32_t JobDetailsTemplate(uint32_t jobType);
