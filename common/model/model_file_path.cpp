#include "common/model/model_file_path.h"

#include "common/model/model_data.h"
#include "common/system/module_files.h"

#include <windows.h>

#include <cwchar>

int GetModelFilePath(ModelDataRecord* main, uint16_t fileNumber, wchar_t* path, uint32_t chars)
{
    if (main == nullptr || path == nullptr || chars == 0)
        return 0;
    path[0] = L'\0';
    wchar_t* name = nullptr;
    if (GetModelFileName(main, fileNumber, &name) != kModelOk || name == nullptr)
        return 0;
    wchar_t directory[kDriverDirectoryChars] = {};
    const bool found = name[0] != L'\0' && GetDriverDirectory(directory, sizeof directory);
    const size_t total = found ? wcslen(directory) + wcslen(name) : 0;
    const bool fits = found && total < MAX_PATH && total < chars;
    if (fits) {
        wcscpy(path, directory);
        wcscat(path, name);
    }
    GlobalFree(name);
    return fits ? 1 : 0;
}
