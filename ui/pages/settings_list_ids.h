// Templates and control identifiers of the settings list page and the logo
// and version dialog; the resource file's templates and the item tables both
// use them.
#pragma once

#define kSettingsListTemplate 504
#define kLogoDialogTemplate 510

// Settings list page.
#define kListDropEmptyCheck 3290
#define kListSecondCheck 1044
#define kListQualityCombo 3295
#define kListQualityLabel 3296
#define kListOtherCombo 3297
#define kListOtherLabel 3298
#define kListLockedCheck 3292
#define kListRequiredLabel 3293
#define kListRequiredEdit 3294
#define kListCaption 3302
#define kListSettings 3300
#define kListValueCombo 3303
#define kListValueLabel 3304
#define kListValueDetail 3310
#define kListDetailRule 3309
#define kListScaleLabel 3305
#define kListScaleEdit 1010
#define kListScaleUpDown 1760
#define kListScaleUnit 1185
#define kListFirstFieldLabel 3314
#define kListFirstField 3315
#define kListSecondFieldLabel 3316
#define kListSecondField 3317
#define kListVersionButton 3311
#define kListAboutButton 3312
#define kListLengthButton 3313
#define kListDefaultsButton 1090

// Logo and version dialog. Without a logo the texts go into 1215 and 1213;
// a logo template (one that has 1221) lays 1219, 1220 and 1222 over it.
#define kLogoTitleText 1215
#define kLogoVersionText 1213
#define kLogoCommentText 1761
#define kLogoModelPicture 1217
#define kLogoPicture 1221
#define kLogoOverTitle 1219
#define kLogoOverVersion 1220
#define kLogoOverNote 1222
#define kLogoArea 3280
#define kLogoWebButton 1353
#define kLogoOkButton 1092
