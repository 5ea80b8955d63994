// What the user sees of a constraint check: the kind of reaction for the
// changed setting, the message built from the resource file's templates, and
// the user's answer turned into the answer code the dialog engine acts on. Every
// message goes through the one prompt routine (user_prompt.h).
#pragma once
#include <windows.h>

#include <cstdint>

struct ConstraintContext;
struct ConstraintResult;
struct SettingChange;

// Answer codes for the dialog engine.
constexpr uint16_t kAnswerError = 1;
constexpr uint16_t kAnswerRefused = 3;
constexpr uint16_t kAnswerGoAhead = 9;
constexpr uint16_t kAnswerRefusedNoted = 10;  // treated as kAnswerRefused
constexpr uint16_t kAnswerNeedsDisplay = 11;

// Choices that go with kAnswerNeedsDisplay.
constexpr uint16_t kChoiceConflict = 1;
constexpr uint16_t kChoiceRange = 2;
constexpr uint16_t kChoiceFixedWarning = 3;
constexpr uint16_t kChoiceConflictThenLayout = 4;

// Resource strings.
constexpr UINT kConflictTitleString = 265;
constexpr UINT kTemplateConflictWarning = 701;     // name, value, conflict list
constexpr UINT kTemplateConflictQuestion = 705;    // name, value, conflict list, changes
constexpr UINT kTemplateListEntry = 706;           // name, value
constexpr UINT kTemplateApplyQuestion = 709;
constexpr UINT kTemplateApplyWarning = 710;
constexpr UINT kTemplateNotAvailable = 708;
constexpr UINT kTemplateConflictWarningNoValue = 724;   // name, conflict list
constexpr UINT kTemplateConflictQuestionNoValue = 725;  // name, conflict list, changes
constexpr UINT kTemplateDeviceNotInstalled = 4733;

constexpr UINT kWarningStyle = MB_OK | MB_ICONWARNING;
constexpr UINT kQuestionStyle = MB_OKCANCEL | MB_ICONINFORMATION;

// The UI context a dialog's instance record points to (its DWLP_USER value);
// null for no window or none set.
void* GetUiContext(HWND dialog);

// The answer for a change of a setting with the reaction kind the dialog
// engine gives it; *choice is set to kChoiceConflict first. The range and
// stamp-count checks (kinds 8, 12, 16) are the dialog engine's own and answer
// kAnswerError here.
uint16_t ChooseConflictAction(uint16_t reactionKind, uint16_t* choice);

// The display for choices 1 and 4: the message of the result code, shown over
// `window`, and its answer. `involved` (zero-terminated, may be null) lists the
// settings the check found in conflict. A question that cannot be built or
// shown counts as Cancel; a warning that cannot be shown still answers.
uint16_t HandleConstraintConflict(HWND window, const ConstraintContext& context, const SettingChange& change,
                                  const ConstraintResult& result, const uint16_t* involved);

// Resource string `templateId` of `module` with its numbered arguments
// (positional_format.h) in a new global block (*out, caller frees); capacity in
// characters, 1024 when 0 or negative. 1 done; 0 when the string is missing or
// the text fills the whole capacity.
int FormatConflictTemplate(HMODULE module, wchar_t** out, int capacity, UINT templateId, ...);

// A number as the value texts show it: with divisor 10 the quotient and the
// remainder of its magnitude with a point, a negative value led by a minus
// sign; with divisor 1 by its type. 1 done.
int FormatSettingNumber(wchar_t* out, size_t chars, uint32_t value, uint16_t type, uint32_t divisor);

// The display text of a value of a setting (without value: of the setting)
// into `out` (128 characters). 1 done, 0 on failure.
constexpr int kValueTextChars = 128;
int FormatSettingValueText(bool nameOnly, const ConstraintContext& context, wchar_t* out, uint16_t id,
                           const void* value);

// The settings to name in a conflict: `involved` (zero-terminated, may be null)
// then the settings of the result's involvement bits, each once, at most 19,
// leaving out the settings never shown. `ids` holds 20 entries and ends with 0.
// Returns the count.
constexpr int kConflictListRoom = 20;
int CollectConflictSettings(const ConstraintContext& context, const ConstraintResult& result, const uint16_t* involved,
                            uint16_t ids[kConflictListRoom]);
