// The pages of the sheets and their sub-dialogs as the engine reads them. A
// page whose own behaviour is not written yet has an empty item table: it shows
// its template and gets the engine's page-level handling (activation, Apply,
// Reset, help) and nothing item by item.
#include "ui/sheets/page_procedures.h"
#include "ui/sheets/sheet_pages.h"

#include "ui/fax/recipient_options.h"
#include "ui/fax/recipients_page.h"
#include "ui/fax/small_fax_dialogs.h"
#include "ui/pages/colour_mode_page.h"
#include "ui/pages/paper_margin_dialog.h"

namespace {

constexpr ItemTableHeader kEmptyItems{nullptr, 0, kPageHelpTopic, nullptr, nullptr, 0};

// One sub-dialog descriptor per dialog code.
template <uint64_t Code>
constexpr PageDescriptor kSubDialog{Code, &kEmptyItems, nullptr};

// Job type page: its sub-dialogs in the order the page opens them.
constexpr const SubDialogDescriptor* kJobTypeSubDialogs[] = {
    &kSubDialog<15>, &kSubDialog<14>, &kSubDialog<39>, &PaperMarginDialog, &kSubDialog<29>,
    &kSubDialog<22>, &kSubDialog<42>, &kSubDialog<44>, &kSubDialog<43>, &kSubDialog<55>};
constexpr const SubDialogDescriptor* kColourSubDialogs[] = {&kSubDialog<11>, &kSubDialog<26>, &ColourProfilesDialog};
constexpr const SubDialogDescriptor* kStampSubDialogs[] = {&kSubDialog<18>, &kSubDialog<19>, &kSubDialog<25>};
constexpr const SubDialogDescriptor* kListSubDialogs[] = {&kSubDialog<4>, &kSubDialog<8>, &kSubDialog<56>};
constexpr const SubDialogDescriptor* kAccountingSubDialogs[] = {&kSubDialog<23>, &kSubDialog<24>,
                                                                &OptionDefaultsDialog};
constexpr const SubDialogDescriptor* kAccountingAloneSubDialogs[] = {&kSubDialog<47>, &kSubDialog<23>,
                                                                     &kSubDialog<24>, &OptionDefaultsDialog};
// The fax front end's own dialogs: recipient options (31, 49) and the notice,
// wait and re-entry dialogs (57-59).
constexpr const SubDialogDescriptor* kFaxSubDialogs[] = {&RecipientOptionsDialog, &RecipientOptionsExDialog,
                                                         &kSubDialog<30>,         &kSubDialog<33>,
                                                         &kSubDialog<32>,         &FaxNoticeDialog,
                                                         &PhonebookWaitDialog,    &DestinationReentryDialog};

// The stamps page is titled by the display name of this setting.
constexpr uint16_t kStampsTitleSetting = 36894;
// The device options page's title string.
constexpr int32_t kDeviceOptionsTitle = 4623;

template <size_t N>
constexpr PageHeader MakeHeader(uint32_t templateId, DLGPROC procedure, uint32_t code,
                                const SubDialogDescriptor* const (&subDialogs)[N], int32_t title = kNoControl,
                                uint16_t titleSetting = 0)
{
    return {templateId, 0, procedure, code, title, titleSetting, subDialogs, N};
}

constexpr PageHeader kFaxRecipientsHeader =
    MakeHeader(kTemplateFaxRecipients, FaxRecipientsPageProc, kPageFaxRecipients, kFaxSubDialogs);
constexpr PageHeader kJobTypeHeader =
    MakeHeader(kTemplateJobType, TablePageProc<kPageJobType>, kPageJobType, kJobTypeSubDialogs);
constexpr PageHeader kColourModeHeader =
    MakeHeader(kTemplateColourMode, ColorModePageProc, kPageColourMode, kColourSubDialogs);
constexpr PageHeader kColourModePlainHeader{kTemplateColourModePlain, 0, ColorModePageProc,
                                            kPageColourMode, kNoControl, 0, nullptr, 0};
constexpr PageHeader kStampsHeader = MakeHeader(kTemplateStamps, TablePageProc<kPageStamps>, kPageStamps,
                                                kStampSubDialogs, kNoControl, kStampsTitleSetting);
constexpr PageHeader kSettingsListHeader =
    MakeHeader(kTemplateSettingsList, TablePageProc<kPageSettingsList>, kPageSettingsList, kListSubDialogs);
constexpr PageHeader kAccountingHeader =
    MakeHeader(kTemplateAccounting, TablePageProc<kPageAccounting>, kPageAccounting, kAccountingSubDialogs);
constexpr PageHeader kAccountingAloneHeader = MakeHeader(
    kTemplateAccountingAlone, TablePageProc<kPageAccountingAlone>, kPageAccountingAlone, kAccountingAloneSubDialogs);
constexpr PageHeader kDeviceOptionsHeader{kTemplateDeviceOptions, 0, TablePageProc<kPageDeviceOptions>,
                                          kPageDeviceOptions, kDeviceOptionsTitle, 0, nullptr, 0};

}  // namespace

const PageDescriptor FaxRecipientsPage{kPageFaxRecipients, &RecipientsPageItemTable, &kFaxRecipientsHeader};
const PageDescriptor JobTypePage{kPageJobType, &kEmptyItems, &kJobTypeHeader};
const PageDescriptor ColourModePage{kPageColourMode, &ColourModeItemTable, &kColourModeHeader};
const PageDescriptor ColourModePlainPage{kPageColourMode, &ColourModePlainItemTable, &kColourModePlainHeader};
const PageDescriptor StampsPage{kPageStamps, &kEmptyItems, &kStampsHeader};
const PageDescriptor SettingsListPage{kPageSettingsList, &kEmptyItems, &kSettingsListHeader};
const PageDescriptor AccountingPage{kPageAccounting, &kEmptyItems, &kAccountingHeader};
const PageDescriptor AccountingAlonePage{kPageAccountingAlone, &kEmptyItems, &kAccountingAloneHeader};
const PageDescriptor DeviceOptionsPage{kPageDeviceOptions, &kEmptyItems, &kDeviceOptionsHeader};
