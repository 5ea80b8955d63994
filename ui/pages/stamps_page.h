// The stamps page of the document sheet (template 524, dialog code 17): the
// stamp printed on the document chosen from the user's stamp store, stamps
// added, edited and deleted there, the stamp shown on a small page, the
// annotation texts, and on models that store print files the stored file's
// fields and its resending. Its sub-dialogs: the stamp add (code 18) and edit
// (code 19) dialog of template 525 and the annotation dialog (536, code 25).
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/job/stamp_defaults.h"
#include "ui/engine/dialog_tables.h"

struct CallContext;
struct StampStoreLocation;

inline constexpr int32_t kStampsPageCode = 17;
inline constexpr int32_t kStampAddCode = 18;
inline constexpr int32_t kStampEditCode = 19;
inline constexpr int32_t kAnnotationCode = 25;

// Messages (caption 265).
inline constexpr UINT kStringAddCaption = 423;
inline constexpr UINT kStringEditCaption = 424;
inline constexpr UINT kMessageStampsFull = 427;
inline constexpr UINT kMessageStampExists = 428;
inline constexpr UINT kMessageStampDiffers = 429;
inline constexpr UINT kMessageStampAdded = 430;
inline constexpr UINT kMessageStampNotAdded = 431;
inline constexpr UINT kMessageDeleteStamp = 484;
inline constexpr UINT kMessageResendFailed = 458;
inline constexpr UINT kMessageFolderMissing = 447;
inline constexpr UINT kStringPrintFileExtension = 451;

// The model capability of stored print files.
inline constexpr uint32_t kCapStoredPrintFile = 512;

extern const ItemTableHeader StampsPageItemTable;
extern const PageDescriptor StampAddDialog;
extern const PageDescriptor StampEditDialog;
extern const PageDescriptor AnnotationDialog;

INT_PTR CALLBACK StampsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StampAddDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StampEditDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AnnotationDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The name a new stamp takes from its text: the text's form in `codePage`
// (0: the ANSI code page) cut to at most 32 bytes, walked from its start so
// that a double-byte character is never split, converted back into `name`
// (33 characters). 1; 0 when the text cannot be converted.
inline constexpr uint32_t kStampNameBytes = 32;
inline constexpr int kStampNameChars = 33;
int StampNameFromText(const wchar_t* text, UINT codePage, wchar_t name[kStampNameChars]);

// The stamp settings as a stamp record, and back. Load modes: 0 the record's
// settings without its name and text, 1 the stored stamp, 2 the default stamp
// of the name (the template for another name). 0 loaded, -3 no such stamp,
// -1 a setting could not be written.
void BuildStampRecord(void* settings, void* printerSettings, StampRecord* record);
int LoadStampSettings(const StampStoreLocation& at, const wchar_t* name, int mode, void* settings,
                      void* printerSettings);
