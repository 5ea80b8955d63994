// The driver package with morvaui as its interface library, for the tests that
// install it.
#pragma once

#include "tests/printhost/driver_fixture.h"

inline printhost::DriverPackage InterfacePackage(const std::wstring& baseName)
{
    return printhost_test::ModelDriverPackage(printhost_test::UniqueName(baseName), L"morvaui.dll");
}
