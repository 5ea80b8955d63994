#include "ui/entry/export_frame.h"

#include "common/system/module_files.h"
#include "common/system/trace_log.h"

DWORD EnterExport(const wchar_t* name)
{
    const DWORD callerError = GetLastError();
    TraceEnter(name);
    LoadResourceModule();
    return callerError;
}

void LeaveExport(const wchar_t* format, LONG_PTR result, bool keepLastError)
{
    const DWORD error = GetLastError();
    ReleaseResourceModule();
    TraceLeave(format, result);
    if (keepLastError)
        SetLastError(error);
}
