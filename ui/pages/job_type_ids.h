// Templates and control identifiers of the job type page and its sub-dialogs;
// the resource file's templates and the item tables both use them.
#pragma once

#define kJobTypeTemplate 4701
#define kJobFieldsTemplate 2770
#define kSecureJobTemplate 533
#define kStoredJobTemplate 3340
#define kDelayedJobTemplate 3377
#define kOtherJobTemplate 3400

// Job: the type with its icon list, the fields the type needs, the delayed time.
#define kJobTypeLabel 1540
#define kJobTypeBox 1541
#define kJobDetailsButton 1542
#define kJobFieldsButton 1543
#define kJobIdLabel 1550
#define kJobIdEdit 1551
#define kJobNameEdit 1552
#define kJobNameLabel 1553
#define kJobCodeLabel 1554
#define kJobDescription 1555
#define kJobCodeEdit 1556
#define kJobConfirmControl 1557
#define kJobPinLabel 1548
#define kJobPinEdit 1549
#define kDelayLabel 3370
#define kDelayHourEdit 3371
#define kDelayHourSpin 3372
#define kDelaySeparator 3373
#define kDelayMinuteEdit 3374
#define kDelayMinuteSpin 3375
#define kJobNumberLabel 3401
#define kJobNumberEdit 3402
#define kJobShortLabel 3403
#define kJobShortEdit 3404

// Paper and layout.
#define kPaperSizeLabel 1005
#define kPaperSizeBox 1006
#define kCustomSizeButton 1007
#define kPortraitButton 1008
#define kLandscapeButton 1009
#define kZoomEdit 1010
#define kZoomSpin 1011
#define kZoomLabel 1184
#define kCopiesLabel 1013
#define kCopiesEdit 1014
#define kCopiesSpin 1015
#define kCollateBox 1016
#define kDuplexLabel 1021
#define kDuplexBox 1022
#define kPagesPerSheetLabel 1023
#define kPagesPerSheetBox 1024
#define kJobPicture 1025
#define kModelPicture 3841

// The finishing fields dialog: edge and punch with their option icons, and
// the fields setting 459 switches on.
#define kEdgeLabel 2773
#define kEdgeBox 2774
#define kPunchLabel 2775
#define kPunchBox 2776
#define kPunchIcon 1645
#define kEdgeIcon 1646
#define kFieldsGroup 2771
#define kFieldsNote 2772
#define kStapleLabel 2781
#define kStapleBox 2782
#define kFoldLabel 2784
#define kFoldBox 2785

// Shared buttons.
#define kJobDefaultsButton 1090
#define kJobCancelButton 1091
#define kJobOkButton 1092
#define kJobHelpButton 1341
