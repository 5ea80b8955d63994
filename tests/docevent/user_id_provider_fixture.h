// The stand-in of the outside identification provider, registered in the
// test prefix's COM classes for the life of the fixture under the provider's
// current class, its older class, or both; the test scripts its answer and
// reads the calls it logged.
#pragma once
#include <windows.h>

#include <string>

class RegisteredProvider {
public:
    RegisteredProvider(bool currentClass, bool olderClass);
    ~RegisteredProvider();
    RegisteredProvider(const RegisteredProvider&) = delete;
    RegisteredProvider& operator=(const RegisteredProvider&) = delete;

    bool ok() const { return ok_; }
    // The answer (all its bytes, NULs included); `failingSlot` 5 or 6 makes
    // that method fail. Clears the log.
    void Script(const std::string& answer, int failingSlot = 0) const;
    // One line per call: "AddRequest <text>", "QueryValues <request> owner=N bytes=N".
    std::string Log() const;

private:
    bool ok_ = false;
    bool current_ = false;
    bool older_ = false;
    HMODULE standin_ = nullptr;
};
