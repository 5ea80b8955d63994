// The records the spooler passes to a printer interface library that the
// toolchain's headers do not declare: the document-properties header of the
// common property-sheet interface and the printability query of
// DevQueryPrintEx, laid out as the platform lays them out.
#pragma once
#include <windows.h>

#include <cstddef>

#ifndef DM_USER_DEFAULT
#define DM_USER_DEFAULT 0x40
#endif
#ifndef DM_ADVANCED
#define DM_ADVANCED 0x10
#endif
#ifndef DM_NOPERMISSION
#define DM_NOPERMISSION 0x20
#endif

struct DOCUMENTPROPERTYHEADER {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    PDEVMODEW pdmIn;
    PDEVMODEW pdmOut;
    DWORD cbOut;
    DWORD fMode;
};
#ifdef _WIN64
static_assert(sizeof(DOCUMENTPROPERTYHEADER) == 48);
static_assert(offsetof(DOCUMENTPROPERTYHEADER, cbOut) == 40);
#else
static_assert(sizeof(DOCUMENTPROPERTYHEADER) == 28);
#endif

// The device sheet's header (DrvDevicePropertySheets' lParamInit).
#ifndef DPS_NOPERMISSION
#define DPS_NOPERMISSION 0x0001
#endif
struct DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
};
#ifdef _WIN64
static_assert(sizeof(DEVICEPROPERTYHEADER) == 24);
#endif

struct DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    DEVMODEW* pDevMode;
    LPWSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
};
#ifdef _WIN64
static_assert(sizeof(DEVQUERYPRINT_INFO) == 40);
static_assert(offsetof(DEVQUERYPRINT_INFO, cchErrorStr) == 32);
#endif

// The argument of DrvUpgradePrinter at level 1.
struct DRIVER_UPGRADE_INFO_1 {
    LPWSTR pPrinterName;
    LPWSTR pOldDriverDirectory;
};
#ifdef _WIN64
static_assert(sizeof(DRIVER_UPGRADE_INFO_1) == 16);
#endif
