// Templates and control identifiers of the cover-sheet dialog and the cover
// form dialog; the resource file's templates and the item tables both use
// these numbers.
#pragma once

#define kCoverSheetTemplate 4100
#define kCoverFormsTemplate 4200

// Cover-sheet dialog (4100).
#define kCoverSampleButton 4101
#define kCoverChoiceLabel 4102
#define kCoverChoiceList 4103
#define kCoverFormName 4104
#define kCoverFormsButton 4105
#define kCoverSenderButton 4106
#define kCoverLineEdit 4107
#define kCoverBodyEdit 4108
#define kCoverOneForAll 4109
#define kCoverTitleEdit 4110
#define kCoverNameTitleList 4111
#define kCoverCompanyTitleList 4112
#define kCoverOtherLayout 4113
#define kCoverNumberEdit 4114
#define kCoverLanguageList 4115
#define kCoverSenderList 4116
#define kCoverPreview 4117
#define kCoverSenderLabel 4118
#define kCoverLanguageLabel 4119
#define kCoverNumberLabel 4120
#define kCoverNumberUnit 4121
#define kCoverLineLabel 4122
#define kCoverBodyLabel 4123
#define kCoverPreviewLabel 4124
#define kCoverTitleLabel 4125
#define kCoverCompanyTitleLabel 4126
#define kCoverNameTitleLabel 4127
#define kCoverFormLabel 4129
#define kCoverNoticeButton 4130

// Cover form dialog (4200).
#define kCoverFolderEdit 4201
#define kCoverFormList 4202
#define kCoverFormListLabel 4203
#define kCoverFolderLabel 4204
#define kCoverFormListNote 4205
#define kCoverFormsGroup 4206
#define kCoverBrowseButton 4209
