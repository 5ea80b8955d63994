// Template and control identifiers of the sender information dialog.
#pragma once

#define kSenderDialogTemplate 4300
#define kSenderList 4301
#define kSenderNameField 4302
#define kSenderText2Field 4303
#define kSenderLinesField 4304
#define kSenderText4Field 4305
#define kSenderText5Field 4306
#define kSenderListLabel 4307
#define kSenderNameLabel 4311
#define kSenderText2Label 4312
#define kSenderLinesLabel 4313
#define kSenderText4Label 4314
#define kSenderText5Label 4315
#define kSenderMailLabel 4316
#define kSenderMailField 4317
#define kSenderDeleteButton 4318
#define kSenderNewButton 4319
#define kSenderRegisterButton 4320
#define kSenderEditButton 4321
#define kSenderNoticeIcon 4323
#define kSenderNoticeText 4324
#define kSenderCardPicture 4308
#define kSenderPagePicture 4309
