// What the user sees of a constraint check: the kind of reaction for the
// changed setting, the message built from the resource file's templates, and
// the user's answer turned into the answer code the dialog engine acts on. Every
// message goes through the one prompt routine (user_prompt.h).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/conflicts/dialog_services.h"

struct ConstraintContext;
struct ConstraintResult;
struct SettingChange;
struct PreparedFix;
struct PaperUnits;

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

// Answers of the item conflict question.
constexpr uint16_t kItemAnswerOk = 0;
constexpr uint16_t kItemAnswerCancel = 8;
// Answer of the notice after the rules' changes were carried out.
constexpr uint16_t kNoticeShown = 4;

// Layout-fit kinds: both carry the warning bit 16.
constexpr uint16_t kLayoutTooLarge = 16;
constexpr uint16_t kLayoutTooSmall = 17;

// Resource strings.
constexpr UINT kConflictTitleString = 265;
constexpr UINT kRangeTextTenths = 300;
constexpr UINT kRangeTextFixed = 301;
constexpr UINT kStampsFullText = 427;
constexpr UINT kTemplateRange = 700;               // name, minimum, maximum
constexpr UINT kTemplateNotice = 711;              // list of changes
constexpr UINT kTemplateItemQuestion = 712;        // list of settings
constexpr UINT kTemplateLayoutTooSmall = 713;      // name, value, list
constexpr UINT kTemplateLayoutTooLarge = 714;      // name, value, list
constexpr UINT kTemplateLayoutEntry = 715;         // name, value
constexpr UINT kTemplateLayoutClosing = 716;
constexpr UINT kTemplateJobHeader = 2000;          // conflict list, changes
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
// engine gives it (SettingReactionTable); *choice is set to kChoiceConflict
// first. Kinds 8 and 12 run the range check (filling `ui` for the range
// warning), 16 the stamp-count check.
uint16_t ChooseConflictAction(HANDLE printer, const ConstraintContext& context, const SettingChange& change,
                              uint16_t reactionKind, uint16_t* choice, PageUiRecord* ui);

// 9 when the change's value lies in the setting's permitted range; 11 (the
// caller's choice 2) with the range written into `ui` when it does not; 3 for a
// change without value; 1 on failure or an unknown fixed range.
uint16_t CheckValueRange(const ConstraintContext& context, const SettingChange& change, PageUiRecord* ui);

// 9 for 272, else only the stamp action 36865 (1 otherwise): 3 while fewer than
// 32 stamps are stored, 11 with choice 3 when the store is full, 1 when the
// stamps cannot be counted.
uint16_t CheckStampCount(HANDLE printer, const ConstraintContext& context, const SettingChange& change,
                         uint16_t* choice);

// The range warning (choice 2): template 700 with the setting's name and the
// range of `ui`, or the page's own text; 3 shown or not.
uint16_t ShowConflictWarning(HWND window, const ConstraintContext& context, const SettingChange& change,
                             const PageUiRecord& ui);

// Choice 3: the warning that no more stamps fit; 10 shown or not.
uint16_t ShowStampsFullWarning(HWND window);

// The display for choices 1 and 4: the message of the result code, shown over
// `window`, and its answer. The settings in conflict are those of the fired
// rules' conditions that hold (the rules walked again) and of the result's
// involvement bits; questions list the rules' changes and the prepared fix
// (may be null). `units` are the page's unit flags: without them no text is
// built. A question that cannot be built or shown counts as Cancel; a warning
// that cannot be shown still answers.
uint16_t HandleConstraintConflict(HWND window, const ConstraintContext& context, const SettingChange& change,
                                  const PreparedFix* fix, const ConstraintResult& result, const PaperUnits* units);

// The question naming the listed settings with their values (template 712):
// kItemAnswerOk on OK, kItemAnswerCancel on Cancel; kItemAnswerOk when no text
// can be built.
uint16_t ShowItemConflictMessage(HWND window, const ConstraintContext& context, const uint16_t* ids, int count,
                                 const PaperUnits* units);

// After a value was carried out with its rules' changes: the warning listing
// the settings the rules changed (template 711). kNoticeShown; 1 without UI
// context, units or text.
uint16_t ShowConstraintNotice(HWND window, const ConstraintContext& context, const uint16_t* changedIds, int count,
                              const PaperUnits* units);

// Template `templateId` with the listed settings and their current values, one
// "name: value" line each, in a new global block at *text (caller frees). 1
// done; 0 for no settings or a missing template.
int FormatChangedSettingsText(const ConstraintContext& context, const uint16_t* ids, int count,
                              const PaperUnits* units, UINT templateId, wchar_t** text);

// The warning text of a page grid that does not fit (fit 13 too small, 14 too
// large) naming the change and the zero-terminated `involved` settings, in a
// new global block at *text. 1 done, 0 failure.
int BuildLayoutFitText(const ConstraintContext& context, const SettingChange& change, const PaperUnits* units,
                       uint16_t fit, const uint16_t* involved, wchar_t** text);

// The fit of the page grid at the zoom for the change (CheckLayoutScaleFit):
// 9 when it fits; otherwise a warning naming the change and the settings
// involved (too small kLayoutTooSmall, too large kLayoutTooLarge): 9 once
// shown, 3 when it could not be shown; 1 when the fit cannot be weighed. The
// change is never refused here.
uint16_t ReportLayoutScaleConflict(HWND window, const ConstraintContext& context, const SettingChange& change,
                                   const PaperUnits* units);

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
// into `out` (128 characters), sizes in the page's units (`units` null:
// millimetres); with kValueTextLimits a source's text carries its paper
// limits. 1 done, 0 on failure.
constexpr int kValueTextChars = 128;
constexpr int kValueTextLimits = 1;
int FormatSettingValueText(bool nameOnly, const ConstraintContext& context, wchar_t* out, uint16_t id,
                           const void* value, const PaperUnits* units, int textFlags);

// The settings to name in a conflict: `involved` (zero-terminated, may be null)
// then the settings of the result's involvement bits, each once, at most 19,
// leaving out the settings never shown. `ids` holds 20 entries and ends with 0.
// Returns the count.
constexpr int kConflictListRoom = 20;
int CollectConflictSettings(const ConstraintContext& context, const ConstraintResult& result, const uint16_t* involved,
                            uint16_t ids[kConflictListRoom]);

// The settings of the condition rows that hold in the result's fired conflict
// rules, walked again for the change. 0, 1 when a rule or the changed setting's
// record cannot be read.
uint16_t CollectFiredRuleSettings(const ConstraintContext& context, const SettingChange& change,
                                  const ConstraintResult& result, std::vector<uint16_t>* ids);

// The list of changes of a question: "name: value" lines of the assignments of
// the fired conflict rules (each setting once, special values resolved), then
// the two texts of the prepared fix (may be null). False on failure.
bool BuildChangeList(const ConstraintContext& context, const ConstraintResult& result, const PreparedFix* fix,
                     const PaperUnits* units, std::wstring* list);
