#include "tests/support/spooler_job_lock.h"

SpoolerJobLock::SpoolerJobLock() : mutex_(CreateMutexW(nullptr, FALSE, L"MorvaTestSpoolerJob"))
{
    if (mutex_ == nullptr)
        return;
    const DWORD waited = WaitForSingleObject(mutex_, 60000);
    // An abandoned lock (a test program that died mid-job) is ours now.
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

SpoolerJobLock::~SpoolerJobLock()
{
    if (held_)
        ReleaseMutex(mutex_);
    if (mutex_ != nullptr)
        CloseHandle(mutex_);
}
