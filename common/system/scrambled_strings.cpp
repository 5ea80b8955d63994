#include "common/system/scrambled_strings.h"

#include "common/system/code_pages.h"
#include "common/system/global_block.h"

#include <windows.h>

namespace {

// Changing it makes every stored user code unreadable.
constexpr uint32_t kScrambleKey = 0x6D3A92C5;

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int AlphabetIndex(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool IsBase64Space(char c)
{
    return (c >= 9 && c <= 13) || c == ' ';
}

uint8_t KeyByte(int position)
{
    return static_cast<uint8_t>(kScrambleKey >> (8 * position));
}

}  // namespace

int ScrambleSettingBytes(const uint8_t* input, int length, uint8_t* output, int* outLength, int capacity)
{
    if (input == nullptr || output == nullptr || outLength == nullptr)
        return -1;
    if (length < 1 || capacity < 1)
        return -2;
    *outLength = 0;
    int at = 0;
    for (; at + 4 <= length; at += 4) {
        if (*outLength + 4 > capacity)
            return -3;
        for (int i = 0; i < 4; ++i)
            output[at + i] = input[at + i] ^ KeyByte(i);
        *outLength += 4;
    }
    for (int i = 0; at + i < length; ++i) {
        if (*outLength + 1 > capacity)
            return -3;
        output[at + i] = input[at + i] ^ KeyByte(i);
        *outLength += 1;
    }
    return 0;
}

int GetBase64EncodedSize(int n)
{
    if (n < 0)
        return -10;
    return (n + 2) / 3 * 4 + 1;
}

int GetBase64DecodedSize(int length)
{
    return length < 0 ? 0 : (length + 3) / 4 * 3 + 1;
}

int Base64Encode(const uint8_t* input, int length, char* output, int* outLength, int capacity)
{
    if (input == nullptr || output == nullptr || outLength == nullptr)
        return -1;
    if (length < 1 || capacity < 1)
        return -2;
    if (capacity < GetBase64EncodedSize(length) - 1)
        return -3;
    int out = 0;
    for (int at = 0; at < length; at += 3) {
        const int left = length - at;
        const uint32_t group = (input[at] << 16) | ((left > 1 ? input[at + 1] : 0) << 8) | (left > 2 ? input[at + 2] : 0);
        output[out++] = kAlphabet[(group >> 18) & 63];
        output[out++] = kAlphabet[(group >> 12) & 63];
        output[out++] = left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        output[out++] = left > 2 ? kAlphabet[group & 63] : '=';
    }
    *outLength = out;
    return 0;
}

int Base64Decode(const char* input, int length, uint8_t* output, int* outLength, int capacity)
{
    if (input == nullptr || output == nullptr || outLength == nullptr)
        return -1;
    if (length < 1 || capacity < 1)
        return -2;
    if (capacity < GetBase64DecodedSize(length) - 1)
        return -3;
    int out = 0;
    uint32_t group = 0;
    int inGroup = 0;
    for (int at = 0; at < length && input[at] != '\0' && input[at] != '='; ++at) {
        if (IsBase64Space(input[at]))
            continue;
        const int value = AlphabetIndex(input[at]);
        if (value < 0)
            return -4;
        group = (group << 6) | value;
        if (++inGroup == 4) {
            output[out++] = static_cast<uint8_t>(group >> 16);
            output[out++] = static_cast<uint8_t>(group >> 8);
            output[out++] = static_cast<uint8_t>(group);
            group = 0;
            inGroup = 0;
        }
    }
    if (inGroup == 1)
        return -4;
    if (inGroup >= 2)
        output[out++] = static_cast<uint8_t>(group >> (6 * inGroup - 8));
    if (inGroup == 3)
        output[out++] = static_cast<uint8_t>(group >> 2);
    *outLength = out;
    return 0;
}

int ScrambleAndEncode(const uint8_t* input, int length, char* output, int* outLength, int capacity)
{
    if (input == nullptr || output == nullptr || outLength == nullptr)
        return -1;
    if (length < 1 || capacity < 1)
        return -2;
    auto scrambled = AllocGlobalBlock<uint8_t>(static_cast<size_t>(length) + 1);
    if (!scrambled)
        return -10;
    int scrambledLength = 0;
    const int result = ScrambleSettingBytes(input, length, scrambled.get(), &scrambledLength, length);
    if (result != 0)
        return result;
    return Base64Encode(scrambled.get(), scrambledLength, output, outLength, capacity);
}

int DecodeAndUnscramble(const char* input, int length, uint8_t* output, int* outLength, int capacity)
{
    if (input == nullptr || output == nullptr || outLength == nullptr)
        return -1;
    if (length < 1 || capacity < 1)
        return -2;
    const int decodedCapacity = GetBase64DecodedSize(length);
    auto decoded = AllocGlobalBlock<uint8_t>(decodedCapacity);
    if (!decoded)
        return -10;
    int decodedLength = 0;
    const int result = Base64Decode(input, length, decoded.get(), &decodedLength, decodedCapacity);
    if (result != 0)
        return result;
    return ScrambleSettingBytes(decoded.get(), decodedLength, output, outLength, capacity);
}

int EncodeOrDecodeProtectedString(int mode, const wchar_t* text, wchar_t** result)
{
    if (result == nullptr)
        return 0;
    *result = nullptr;
    if (text == nullptr || text[0] == L'\0')
        return 0;
    char* ansi = nullptr;
    int length = 0;
    if (!ConvertWideToMultiByte(text, &ansi, &length, CP_ACP))
        return 0;
    GlobalBlockPtr<char> ansiBlock(ansi);

    const int size = mode == kProtectStringEncode ? GetBase64EncodedSize(length) : GetBase64DecodedSize(length);
    auto converted = AllocGlobalBlock<char>(size);
    if (!converted)
        return 0;
    int convertedLength = 0;
    // Both leave the last byte of the zero-filled block as the terminator.
    const int status = mode == kProtectStringEncode
        ? ScrambleAndEncode(reinterpret_cast<const uint8_t*>(ansi), length, converted.get(),
                            &convertedLength, size - 1)
        : DecodeAndUnscramble(ansi, length, reinterpret_cast<uint8_t*>(converted.get()), &convertedLength, size - 1);
    if (status != 0)
        return 0;
    int wideLength = 0;
    return ConvertMultiByteToWide(converted.get(), result, &wideLength, CP_ACP);
}
