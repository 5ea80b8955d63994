// The fax address data of a fax job as the document events see them: the job
// record's settings handed to the fax send list's code, and what it reads kept
// in the record until the job's data are freed.
#include "ui/docevent/job_data.h"

#include "common/context/settings_context.h"
#include "ui/docevent/dc_job_record.h"
#include "ui/docevent/fax_send_list.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

int ResolveFaxAddressFile(DcJobRecord* record, const wchar_t* documentName)
{
    if (!record)
        return -1;
    return ResolveFaxAddressFile(record->printer, record->settings, record->printerSettings, documentName) == 1 ? 1
                                                                                                               : -1;
}

int ReadFaxAddressData(DcJobRecord* record)
{
    if (!record)
        return -1;
    // The graphics library's answer to 20489 at STARTDOC says what the job is.
    if (!record->isFaxJob)
        return 1;
    FaxAddressData data{};
    if (ImportFaxAddressFile(record->settings, record->printerSettings, &data) != 1 || !data.data)
        return -1;
    if (record->faxData)
        GlobalFree(record->faxData);
    record->faxData = data.data;
    record->faxDataSize = data.size;
    static_assert(std::size(FaxAddressData{}.fileName) <= std::size(DcJobRecord{}.faxFileName));
    std::wmemcpy(record->faxFileName, data.fileName, std::size(data.fileName));
    return 1;
}
