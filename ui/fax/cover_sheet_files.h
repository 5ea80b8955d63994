// The files around a cover sheet: a form file's folder and name, the check of
// a form path the user chose, the temporary files of the sample print, and the
// sample's fax send list of exactly one recipient.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/docevent/fax_send_list.h"

inline constexpr int kCoverPathChars = 129;    // 258 bytes, the form path setting
inline constexpr int kFormNameMaxChars = 8;
inline constexpr UINT kMessageBadFormPath = 5032;
inline constexpr uint32_t kSampleSendListBytes = FaxSendListBytes(1);
static_assert(kSampleSendListBytes == 2184);

// The folder: the path up to its last backslash (the whole path without one);
// the name: the rest up to its first "." (the whole rest without one). Each is
// cut to its buffer.
void SplitFormPath(const wchar_t* path, wchar_t* folder, size_t folderChars, wchar_t* name, size_t nameChars);
// A form file's name is one name part of at most 8 characters and one
// extension: exactly one "." in the file name.
bool IsAcceptedFormPath(const wchar_t* path);

// The two temporary files of a sample print, each its own name even when no
// temporary name can be made: 0 the fax address file, 1 the job's document
// property file.
enum CoverTempFile { kSampleAddressFile = 0, kSamplePropertyFile = 1 };
const wchar_t* CoverTempFallbackName(int which);
// A fresh temporary file name ("ZQF" prefix) into `out` (MAX_PATH characters).
void MakeCoverTempFileName(int which, wchar_t* out);

// The sample's send list in `out` (kSampleSendListBytes): the record's texts,
// count 1 and its oldest recipient; with no recipient an empty one whose
// items 1812 and 1814 are 1. The count is 1 whatever the job holds: the file
// holds one record and no reader may look past it. 1 ok; 0 no record/list.
int BuildSampleSendList(FaxDestinations* record, uint8_t* out);
// The settings copy of the sample: the list written to `fileName`, which
// becomes the fax address file (375), with the information-only flag (381)
// and a recipient count (380) of 1. The information page (376) is asked for
// whatever the job's own choice: it is the sample's one page. 1 ok.
int PrepareSampleSendList(void* settings, void* printerSettings, FaxDestinations* record, const wchar_t* fileName);

// The forms list as the forms dialog shows it, most recent first, into `out`
// (up to 10 paths of kCoverPathChars): with a chosen path the chosen one first
// (a new one pushes out the tenth stored path), then the other stored paths in
// their order. The count.
int OrderCoverForms(const wchar_t (*stored)[kCoverPathChars], int count, const wchar_t* chosen,
                    wchar_t (*out)[kCoverPathChars]);
// The cover sheet's number field stores a text of zeros as one blank.
void BlankZeroNumber(wchar_t* text);
