// Drives a real property sheet the way a user would: once the sheet is up on
// the test's thread, each page is selected in turn (and pictured into
// build/screens), the script's steps run on the open sheet, and the last step
// presses a button. The sheet is found by a timer on the thread, so the
// sheet's modal loop runs the script.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SheetVisit {
    std::vector<std::wstring> tabs;      // tab titles in order
    std::vector<std::wstring> captions;  // the sheet's title
    bool found = false;
};

// What a script does with the open sheet.
using SheetStep = std::function<void(HWND sheet)>;

class SheetDriver {
public:
    // `picturePrefix`: each page becomes build/screens/<prefix>-page-<n>.png (empty: none).
    SheetDriver(std::string picturePrefix, std::vector<SheetStep> steps);
    ~SheetDriver();
    SheetDriver(const SheetDriver&) = delete;
    SheetDriver& operator=(const SheetDriver&) = delete;

    const SheetVisit& visit() const { return visit_; }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

private:
    void Run(HWND sheet);

    std::string prefix_;
    std::vector<SheetStep> steps_;
    SheetVisit visit_;
    UINT_PTR timer_ = 0;
};

// Steps.
SheetStep PressOk();
SheetStep PressCancel();
// PSM_APPLY: the pages' Apply, as the Apply button would run it.
SheetStep ApplyNow();
// Selects page `index` (0-based).
SheetStep SelectPage(int index);
