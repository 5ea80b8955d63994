// A stand-in for the outside COM provider of user-identification values, an
// in-process server that the tests register in the test prefix under either
// of the provider's two classes. It answers from a script the test hands it
// and logs every call the driver makes, one line each.
#include "common/model/user_id_provider.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

std::mutex scriptLock;
std::string answer;      // the bytes QueryValues hands back, copied as they are
int failing = 0;         // 5 or 6: that slot fails; 0 none
std::string log;
LONG objects = 0;

void Log(const std::string& line)
{
    std::lock_guard<std::mutex> lock(scriptLock);
    log += line + "\n";
}

class Provider final : public UserIdProvider {
public:
    explicit Provider(const IID& iid) : iid_(iid) { InterlockedIncrement(&objects); }
    ~Provider() { InterlockedDecrement(&objects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid_)) {
            *out = static_cast<UserIdProvider*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetVersion(ULONG* version) override
    {
        Log("GetVersion");
        if (version)
            *version = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        Log("Reset");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddRequest(const char* request, LONG* number) override
    {
        Log(std::string("AddRequest ") + (request ? request : "(null)"));
        if (number)
            *number = ++requests_;
        return failing == 5 ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryValues(HWND owner, const char* request, char* out, ULONG bytes) override
    {
        char line[64];
        std::snprintf(line, sizeof(line), " owner=%d bytes=%lu", owner ? 1 : 0, bytes);
        Log(std::string("QueryValues ") + (request ? request : "(null)") + line);
        if (failing == 6 || !out)
            return E_FAIL;
        std::lock_guard<std::mutex> lock(scriptLock);
        std::memcpy(out, answer.data(), std::min<size_t>(answer.size(), bytes));
        return S_OK;
    }

private:
    IID iid_;
    LONG references_ = 1;
    LONG requests_ = 0;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(const IID& iid) : iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* provider = new Provider(iid_);
        const HRESULT hr = provider->QueryInterface(riid, out);
        provider->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    IID iid_;
};

Factory currentFactory(kUserIdProviderInterface);
Factory olderFactory(kOlderUserIdProviderInterface);

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out)
{
    if (IsEqualCLSID(clsid, kUserIdProviderClass))
        return currentFactory.QueryInterface(riid, out);
    if (IsEqualCLSID(clsid, kOlderUserIdProviderClass))
        return olderFactory.QueryInterface(riid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return S_FALSE;  // stays loaded: the test's script lives here
}

// The test's side: the answer QueryValues gives (`size` bytes, copied as they
// are), the slot that fails, and the log, which is cleared.
__declspec(dllexport) void StandinScript(const char* bytes, unsigned size, int failingSlot)
{
    std::lock_guard<std::mutex> lock(scriptLock);
    answer.assign(bytes ? bytes : "", bytes ? size : 0);
    failing = failingSlot;
    log.clear();
}

__declspec(dllexport) unsigned StandinLog(char* out, unsigned room)
{
    std::lock_guard<std::mutex> lock(scriptLock);
    if (out && room) {
        const size_t n = std::min<size_t>(log.size(), room - 1);
        std::memcpy(out, log.data(), n);
        out[n] = 0;
    }
    return static_cast<unsigned>(log.size());
}

}  // extern "C"
