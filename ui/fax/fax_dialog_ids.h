// Templates, dialog codes and control identifiers of the fax dialogs; the
// resource file's templates and the item tables both use these numbers.
#pragma once

// Templates.
#define kFaxNoticeTemplate 3880
#define kPhonebookWaitTemplate 3909
#define kDestinationReentryTemplate 3910
#define kRecipientOptionsTemplate 4400
#define kRecipientOptionsExTemplate 4423
#define kOptionDefaultsTemplate 4800

// Shared buttons.
#define kFaxOkButton 1092
#define kFaxCancelButton 1091
#define kFaxDefaultsButton 1090
#define kFaxHelpButton 1341

// Recipient options (4400, 4423).
#define kRecipientDialPrefixList 4422
#define kRecipientDialPrefixLabel 4421
#define kRecipientCommModeList 4401
#define kRecipientCommModeLabel 4410
#define kRecipientNoMailbox 4402
#define kRecipientMailbox 4403
#define kRecipientMailboxNumber 4404
#define kRecipientMailboxNumberLabel 4414
#define kRecipientMailboxCode 4405
#define kRecipientMailboxCodeLabel 4415
#define kRecipientRelay 4406
#define kRecipientRelayStation 4407
#define kRecipientRelayStationLabel 4416
#define kRecipientRelayPrint 4408
#define kRecipientRelayPrintLabel 4417
#define kRecipientRelayNumbers 4409
#define kRecipientRelayNumbersLabel 4418
#define kRecipientFCode 4411
#define kRecipientFCodeLabel 4419
#define kRecipientFCodePassword 4412
#define kRecipientFCodePasswordLabel 4420
#define kRecipientMailboxGroup 4413

// Notice (3880) and tool wait (3909).
#define kFaxNoticeText 4879
#define kPhonebookWaitText 4909

// Destination re-entry (3910).
#define kReentryLabel 1093
#define kReentryDestination 1094
#define kReentryPrompt 1095
#define kReentryEdit 1096

// Option defaults (4800).
#define kOptionOutsideValue 4801
#define kOptionExtensionValue 4802
#define kOptionPrefixValue 4803
#define kOptionOutsideLabel 4804
#define kOptionExtensionLabel 4805
#define kOptionPrefixLabel 4806

// Recipients page (4000).
#define kRecipientsPageTemplate 4000
#define kRecipientList 4002
#define kRecipientAddButton 4003
#define kRecipientTakeBackButton 4004
#define kOutsideDialogButton 4005
#define kRecipientDeleteButton 4006
#define kRecipientDescription 4007
#define kAddressBookBox 4008
#define kAddressBookBrowse 4009
#define kRecipientKindBox 4016
#define kRecipientAddressEdit 4018
#define kRecipientNameEdit 4019
#define kTypedOptionsText 4020
#define kRecipientCompanyEdit 4021
#define kRecipientOptionsButton 4022
#define kAddressBookLabel 4035
#define kAddressHistoryBox 4045
#define kPhonebookButton 4046
#define kCoverSheetButton 4024
#define kRecipientKindLabel 4030
#define kRecipientAddressLabel 4031
#define kRecipientNameLabel 4032
#define kRecipientCompanyLabel 4033
#define kFaxFineCheck 4010
#define kFaxHourEdit 4011
#define kFaxHourUpDown 4012
#define kFaxSendTimeBox 4013
#define kFaxMinuteUpDown 4014
#define kFaxMinuteEdit 4015
#define kCoverSheetCheck 4023
#define kCoverSheetButton 4024
#define kFaxSendTimeLabel 4037
#define kFaxTimeSeparator 4038
#define kPhonebookProgramButton 4041
#define kSenderCheckButton 4044
#define kPhonebookWaitButton 4047
#define kConfirmNumberButton 4048
#define kRecipientIconFax 4521
#define kRecipientIconSpeedDial 4522
#define kRecipientIconIpFax 4523
#define kCoverSheetTemplate 4100
