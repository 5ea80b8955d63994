// The interface library's small message formatter (the text of a refused
// DEVMODE): "%!" inserts a resource string by the identifier in the next
// argument, "%s" a wide string (a blank for null), "%c" a character, "%d",
// "%u", "%x", "%X" a 32-bit number; any other character after "%" stands for
// itself. Distinct from the common library's positional resource formatter.
#pragma once
#include <windows.h>

#include <cstdarg>

// Writes at most capacity-1 characters and always a terminator (nothing at all
// for a capacity of 0 or a null buffer); *needed (when given) is the whole
// text's length with its terminator. The characters written.
int FormatPercentMessage(HMODULE module, wchar_t* buffer, int capacity, int* needed, const wchar_t* format, ...);
int FormatPercentMessageV(HMODULE module, wchar_t* buffer, int capacity, int* needed, const wchar_t* format,
                          va_list arguments);
