// Print-time user identification: before a job starts (and before a stored
// print file is sent again) the identification settings of the printer-wide
// record are filled, from the outside COM provider when the printer uses one,
// else by the user in the identification dialog. The values reach the job
// header through the printer settings the job carries.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct SettingsContext;
struct ModelDataRecord;

// 1 the job may go on; 0 cancelled or failed.
int PromptUserIdentification(HANDLE printer, void* settings, void* printerSettings, SettingsContext* context,
                             int atJobStart);

// The popup flag that applies: the user's (5165) while the account mode is
// non-zero, else the administrator's (5164). Both the prompt and the dialog
// follow this one rule.
uint16_t IdentificationPopupSetting(void* settings, void* printerSettings);

// Asks the provider (the current class, else the older one) for the values and
// stores them. 1 when the provider answered and every value was stored.
int QueryComDataSource(HWND owner, void* settings, void* printerSettings, ModelDataRecord* model);

// Stores an answer of `size` bytes (at most the provider's buffer): the values
// of its "key=value" texts in order into the user ID, the domain, the password
// (scrambled where the model keeps codes scrambled) and, from the current
// provider class only, the account. 1 when every value that applies to the
// class was stored; a text not ended within the answer, a missing "=" or a
// failed store gives 0.
int StoreUserIdentAnswer(const char* answer, uint32_t size, void* settings, void* printerSettings,
                         ModelDataRecord* model, bool currentClass);

// The numbers of the texts, joined with "," with runs of consecutive numbers
// written as ranges ("1,2,3,5" -> "1-3,5"); a text that is no number is kept as
// it is. Empty texts are left out.
std::string BuildRequestList(const std::vector<std::string>& texts);
// "label=list".
std::string JoinRequestTexts(const std::string& label, const std::string& list);
