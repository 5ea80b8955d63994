// The driver package with morvaui as its interface library, for the tests that
// install it.
#pragma once

#include "tests/printhost/driver_fixture.h"

#include "printhost/install.h"

inline printhost::DriverPackage InterfacePackage(const std::wstring& baseName)
{
    printhost::DriverPackage package;
    package.driverName = printhost_test::UniqueName(baseName);
    package.sourceDirectory = printhost_test::BinaryDirectory();
    package.graphicsDll = L"morvagr.dll";
    package.interfaceDll = L"morvaui.dll";
    package.dataFile = L"C4530.DDD";
    package.dependentFiles = {L"C4530X.DDD", L"C4530RES.DLL", L"C4530FAX.DLL", L"morvadm.dll", L"morvares.dll"};
    return package;
}
