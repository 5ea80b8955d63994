// The spooler's form list: a DEVMODE paper number is a 1-based index into it.
#pragma once
#include <windows.h>
#include <winspool.h>

#include <cstdint>

// Results of the form lookups.
constexpr int kFormsOk = 1;
constexpr int kFormsNotFound = 2;      // number beyond the list
constexpr int kFormsSpoolerFailed = 3; // the spooler gave no forms
constexpr int kFormsNoMemory = 10;     // also a missing argument

// EnumFormsW at level 1 into a new zero-filled global block the caller frees.
int EnumSpoolerForms(HANDLE printer, FORM_INFO_1W** block, DWORD* bytes, DWORD* count);

// The name of form `number` (1-based, spooler order) in a new global block.
int LookupFormName(HANDLE printer, int number, wchar_t** name);
// The same as a plain block or null.
wchar_t* GetFormNameByNumber(HANDLE printer, int number);
