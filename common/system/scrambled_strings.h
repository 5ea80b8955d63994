// User codes and passwords kept in settings are stored scrambled: the bytes of the
// string's ANSI form are XORed with one fixed key and written as base64 text. The
// key is the same in every library of the driver, so a value stored by one is read
// by the others.
#pragma once
#include <cstdint>

// XOR with the key, 4-byte little-endian blocks then the 1-3 bytes left over; the
// same call unscrambles. 0 ok, -1 null pointer, -2 length or capacity below 1,
// -3 output capacity exceeded (*outLength counts what fitted).
int ScrambleSettingBytes(const uint8_t* input, int length, uint8_t* output, int* outLength, int capacity);

// Standard alphabet with "=" padding, no line breaks, no terminator written.
// 0 ok, -1 null pointer, -2 length or capacity below 1, -3 capacity below
// ((length + 2) / 3) x 4.
int Base64Encode(const uint8_t* input, int length, char* output, int* outLength, int capacity);
// Skips white space (9-13, 32); stops at a NUL, at "=" or at the end of the
// input. 0 ok, -1, -2 as above, -3 capacity below ceil(length / 4) x 3, -4 a
// character outside the alphabet or a group cut after one character.
int Base64Decode(const char* input, int length, uint8_t* output, int* outLength, int capacity);
// ((n + 2) / 3) x 4 + 1 (room for a terminator); -10 for a negative n.
int GetBase64EncodedSize(int n);
// Room a decoder output needs for an encoded text of `length` characters, white
// space included: ceil(length / 4) x 3, + 1 for a terminator.
int GetBase64DecodedSize(int length);

// Scramble then encode, and the reverse; -10 when the temporary block cannot be had.
int ScrambleAndEncode(const uint8_t* input, int length, char* output, int* outLength, int capacity);
int DecodeAndUnscramble(const char* input, int length, uint8_t* output, int* outLength, int capacity);

// Mode 1 turns a plain string into its stored form, any other mode the stored
// form back into the plain string. 1 with a new global block the caller frees
// with GlobalFree; 0 for a null or empty string or on any failure.
constexpr int kProtectStringEncode = 1;
constexpr int kProtectStringDecode = 0;
int EncodeOrDecodeProtectedString(int mode, const wchar_t* text, wchar_t** result);
