#include "ui/docevent/dc_job_record.h"

#include "common/context/settings_context.h"
#include "common/job/fax_temp_files.h"
#include "common/system/lock_table.h"
#include "common/system/module_files.h"

#include <cstring>

namespace {

// The head of the job list; linked, unlinked and searched only under the
// job-list lock.
DcJobRecord* g_jobList = nullptr;

void FreeBlock(uint8_t*& block)
{
    if (block)
        GlobalFree(block);
    block = nullptr;
}

// A second load of the library itself, so that it stays in memory while a DC
// needs it even when the spooler frees its own reference. Null when the own
// file cannot be named or loaded: the record then holds no reference.
HMODULE TakeSelfReference()
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(GetModuleHandleOfDriver(), path, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH)
        return nullptr;
    return LoadLibraryInDriverContext(path, 0);
}

}  // namespace

DcJobRecord* CreateDcJobRecord(HANDLE printer)
{
    RoleLock lock(LockRole::JobList);
    auto* record = static_cast<DcJobRecord*>(GlobalAlloc(GPTR, sizeof(DcJobRecord)));
    if (!record)
        return nullptr;
    record->printer = printer;
    record->next = g_jobList;
    g_jobList = record;
    InitDcJobRecord(record);
    record->context = nullptr;
    record->selfReference = TakeSelfReference();
    return record;
}

DcJobRecord* FindDcJobRecord(HANDLE printer)
{
    RoleLock lock(LockRole::JobList);
    for (DcJobRecord* record = g_jobList; record; record = record->next) {
        if (record->printer != printer)
            continue;
        if (!record->context)
            record->context = OpenSettingsContext(printer);
        return record;
    }
    return nullptr;
}

namespace {

// Unlinks the first record that `match` accepts and frees it with everything
// it owns. 1, also when there is none.
template <typename Match>
int UnlinkAndFree(Match match)
{
    DcJobRecord* found = nullptr;
    {
        RoleLock lock(LockRole::JobList);
        for (DcJobRecord** link = &g_jobList; *link; link = &(*link)->next) {
            if (match(*link)) {
                found = *link;
                *link = found->next;
                break;
            }
        }
        if (!found)
            return 1;
        FreeDcJobRecordData(found);
        CloseSettingsContext(found->context);
    }
    // The library may go with this reference: nothing of it runs after the
    // release but the return.
    HMODULE self = found->selfReference;
    GlobalFree(found);
    if (self)
        FreeLibrary(self);
    return 1;
}

}  // namespace

int DeleteDcJobRecord(HANDLE printer)
{
    return UnlinkAndFree([printer](const DcJobRecord* record) { return record->printer == printer; });
}

int DiscardDcJobRecord(DcJobRecord* discarded)
{
    return UnlinkAndFree([discarded](const DcJobRecord* record) { return record == discarded; });
}

void InitDcJobRecord(DcJobRecord* record)
{
    record->jobStarted = 0;
    record->isFaxJob = 0;
    record->jobAlreadyStarted = 0;
    record->confirmed = 0;
    record->documentName[0] = 0;
    record->userName[0] = 0;
    std::memset(&record->annotation, 0, sizeof(record->annotation));
    record->jobHeaders = nullptr;
    record->jobHeadersSize = 0;
    record->monitorIds = nullptr;
    record->faxDataSize = 0;
    record->faxData = nullptr;
    record->faxFileName[0] = 0;
    record->capability = EscCapabilityValues{};
    std::memset(&record->jobStrings, 0, sizeof(record->jobStrings));
    record->reservedValue = 0;
    record->reservedCount = 0;
    record->tmbSize = 0;
    record->tmbData = nullptr;
    record->returnedSize = 0;
    record->returnedData = nullptr;
    record->rowsSize = 0;
    record->rows = nullptr;
    record->spSize = 0;
    record->spData = nullptr;
}

void FreeDcJobRecordData(DcJobRecord* record)
{
    FreeBlock(record->jobHeaders);
    record->jobHeadersSize = 0;
    FreeBlock(record->monitorIds);
    FreeBlock(record->faxData);
    record->faxDataSize = 0;
    FreeBlock(record->tmbData);
    record->tmbSize = 0;
    FreeBlock(record->returnedData);
    record->returnedSize = 0;
    FreeBlock(record->rows);
    record->rowsSize = 0;
    FreeBlock(record->spData);
    record->spSize = 0;
    if (record->faxFileName[0]) {
        DeleteFaxAddressFile(record->faxFileName);
        record->faxFileName[0] = 0;
    }
}
