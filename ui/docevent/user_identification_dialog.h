// The identification dialog (template 3550): the user types the identification
// values of the job into a copy of the settings; OK keeps them and remembers
// them for the user, Cancel cancels the job. It is a plain dialog of its own,
// not one of the settings pages.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;

inline constexpr int kIdentificationDialogOk = 1;
inline constexpr int kIdentificationDialogCancel = 2;
inline constexpr int kIdentificationDialogFailed = -1;

inline constexpr UINT kUserIdentificationDialog = 3550;

// Controls of the dialog.
inline constexpr int kIdentUserIdField = 1343;       // mode 0
inline constexpr int kIdentPasswordField = 1347;
inline constexpr int kIdentDomainField = 3523;
inline constexpr int kIdentAccountField = 3537;
inline constexpr int kIdentUserNameField = 3531;     // mode 1
inline constexpr int kIdentUserPasswordField = 3532;
inline constexpr int kIdentModeGroup = 3551;
inline constexpr int kIdentMode0Radio = 3552;
inline constexpr int kIdentMode1Radio = 3553;

// Runs the dialog over copies of the records; `ask` forces mode 0, `adminMode`
// picks the administrator's settings, `atJobStart` leaves the user's stored
// block out (the printer settings of a job already hold it).
// kIdentificationDialogOk, ...Cancel or ...Failed.
int RunUserIdentificationDialog(HANDLE printer, void* settings, void* printerSettings, SettingsContext* context,
                                int ask, int adminMode, int atJobStart);

// The identification mode the dialog starts in: 0 with `ask`; else by setting
// 5204: 0 mode 0, 1 mode 1, 2 mode 1 when option 4367 is 3, else the stored
// mode (5183). 1 with *mode; 0 when a setting it needs cannot be read.
int ChooseIdentificationMode(void* settings, void* printerSettings, int ask, uint32_t* mode);

// One field's limits as the dialog checks them at OK.
struct IdentificationField {
    int control;
    int label;
    uint16_t setting;
    uint8_t mode;       // the identification mode whose fields it belongs to
    uint16_t minimum;   // characters
    uint16_t maximum;
    UINT message;       // the message a text out of its limits shows
};
// The field's description on this model and settings (the user-name field has
// two; the mode-1 password takes its minimum from option 4366). False for an
// unknown control.
bool GetIdentificationField(int control, SettingsContext* context, void* settings, void* printerSettings,
                            IdentificationField* field);
// 1 when the text's length lies within the field's limits.
int IdentificationTextFits(const IdentificationField& field, const wchar_t* text);
