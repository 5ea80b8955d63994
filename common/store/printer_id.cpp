#include "common/store/printer_id.h"

#include "common/system/global_block.h"
#include "common/store/printer_data.h"

#include <wincrypt.h>
#include <winspool.h>

#include <cwchar>
#include <ctime>

namespace {

// MD5 of the concatenated parts through the platform's crypto provider; the
// provider and hash live only for the call.
int Md5(const void* first, DWORD firstSize, const void* second, DWORD secondSize, uint8_t* digest)
{
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return 0;
    HCRYPTHASH hash = 0;
    int ok = 0;
    if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
        DWORD length = kPrinterIdBytes;
        ok = CryptHashData(hash, static_cast<const BYTE*>(first), firstSize, 0) &&
             CryptHashData(hash, static_cast<const BYTE*>(second), secondSize, 0) &&
             CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) && length == kPrinterIdBytes;
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
    return ok;
}

}  // namespace

int CreatePrinterId(HANDLE printer, uint8_t* id)
{
    if (!printer || !id)
        return 0;
    GlobalBlockPtr<uint8_t> info(GetPrinterInfo(printer, 1));
    if (!info)
        return 0;
    const wchar_t* name = reinterpret_cast<PRINTER_INFO_1W*>(info.get())->pName;
    if (!name)
        return 0;
    const int64_t now = _time64(nullptr);
    return Md5(&now, sizeof now, name, static_cast<DWORD>(wcslen(name) * sizeof(wchar_t)), id);
}

DWORD ReadPrinterIdStatus(HANDLE printer, uint8_t* id)
{
    if (!printer || !id)
        return ERROR_INVALID_PARAMETER;
    DWORD type = 0;
    DWORD needed = 0;
    const DWORD result = GetPrinterDataW(printer, const_cast<wchar_t*>(kPrinterIdValueName), &type, id,
                                         kPrinterIdBytes, &needed);
    if (result == ERROR_SUCCESS && needed != kPrinterIdBytes)
        return ERROR_INVALID_DATA;
    return result;
}

int ReadPrinterId(HANDLE printer, uint8_t* id)
{
    return ReadPrinterIdStatus(printer, id) == ERROR_SUCCESS;
}

int StorePrinterId(HANDLE printer, const uint8_t* id)
{
    if (!printer || !id)
        return 0;
    DWORD type = 0;
    DWORD needed = 0;
    uint8_t probe[kPrinterIdBytes];
    const DWORD existing =
        GetPrinterDataW(printer, const_cast<wchar_t*>(kPrinterIdValueName), &type, probe, sizeof probe, &needed);
    if (existing == ERROR_SUCCESS || existing == ERROR_MORE_DATA)
        return 1;
    return SetPrinterDataW(printer, const_cast<wchar_t*>(kPrinterIdValueName), REG_BINARY, const_cast<uint8_t*>(id),
                           kPrinterIdBytes) == ERROR_SUCCESS;
}

int EnsurePrinterId(HANDLE printer, uint8_t* id)
{
    if (ReadPrinterId(printer, id))
        return 1;
    uint8_t made[kPrinterIdBytes];
    // Read back after storing: another process may have stored its identity first.
    return CreatePrinterId(printer, made) && StorePrinterId(printer, made) && ReadPrinterId(printer, id);
}

void PrinterIdToHex(const uint8_t* id, wchar_t* buffer, size_t length)
{
    if (!buffer || length == 0)
        return;
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    wchar_t text[kPrinterIdChars + 1];
    for (uint32_t i = 0; i < kPrinterIdBytes; ++i) {
        text[2 * i] = kDigits[id[i] >> 4];
        text[2 * i + 1] = kDigits[id[i] & 0xF];
    }
    text[kPrinterIdChars] = L'\0';
    const size_t copy = length - 1 < kPrinterIdChars ? length - 1 : kPrinterIdChars;
    wmemcpy(buffer, text, copy);
    buffer[copy] = L'\0';
}
