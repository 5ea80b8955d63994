// Wine numbers spooler jobs per process and names each job's spool file after
// its number, so two test programs that run a job at the same moment both ask
// for job 1's file and one of them fails (StartDocPrinterW with a sharing
// violation). Every test that runs a spooler job holds this lock, which is
// shared by all test programs of the prefix, from StartDocPrinterW to
// EndDocPrinter.
#pragma once
#include <windows.h>

class SpoolerJobLock {
public:
    SpoolerJobLock();   // waits up to a minute
    ~SpoolerJobLock();
    SpoolerJobLock(const SpoolerJobLock&) = delete;
    SpoolerJobLock& operator=(const SpoolerJobLock&) = delete;

    bool held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};
