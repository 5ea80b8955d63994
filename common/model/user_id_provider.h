// The outside COM provider of user-identification values, asked at print time
// before the identification dialog. Two classes may be registered: the current
// one and an older one. Both put their methods in the same vtable slots; only
// slots 5 and 6 are called here.
//
// The provider publishes no more than the slots, so the methods' arguments are
// ours: a provider (and the tests' stand-in) implements them exactly so.
//   slot 5 AddRequest: one request text "label=list" (ANSI, NUL-terminated);
//          the provider gives back its number for the request.
//   slot 6 QueryValues: the owner window of any window the provider shows, the
//          whole request (the title, "|", then the request texts joined by
//          ";"), and the answer buffer with its size in bytes. The answer is
//          NUL-terminated ANSI texts "key=value", one after the other, in the
//          order user ID, domain, password, account.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstdint>

inline constexpr CLSID kUserIdProviderClass = {0x8970D370, 0x46AA, 0x4BA5,
                                               {0x80, 0x7D, 0x62, 0x55, 0x99, 0xB5, 0xD5, 0xFF}};
inline constexpr IID kUserIdProviderInterface = {0x5DC6B71B, 0x245B, 0x4CDE,
                                                 {0xB7, 0x1C, 0xFB, 0x79, 0xDC, 0x7A, 0xD1, 0x4F}};
inline constexpr CLSID kOlderUserIdProviderClass = {0xF2A5AEC9, 0x686E, 0x4C95,
                                                    {0xBD, 0x6D, 0xDD, 0x58, 0xDD, 0x40, 0xE3, 0xA7}};
inline constexpr IID kOlderUserIdProviderInterface = {0xF8CEAD2F, 0xBF3E, 0x4DA0,
                                                      {0xA9, 0x61, 0x29, 0x74, 0x14, 0xCF, 0xCA, 0x4C}};

// The answer buffer the provider fills.
inline constexpr uint32_t kUserIdAnswerBytes = 1024;

struct UserIdProvider : public IUnknown {
    // Slots 3 and 4: the provider's own, never called by the driver.
    virtual HRESULT STDMETHODCALLTYPE GetVersion(ULONG* version) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    // Slot 5.
    virtual HRESULT STDMETHODCALLTYPE AddRequest(const char* request, LONG* number) = 0;
    // Slot 6.
    virtual HRESULT STDMETHODCALLTYPE QueryValues(HWND owner, const char* request, char* answer,
                                                  ULONG answerBytes) = 0;
};
