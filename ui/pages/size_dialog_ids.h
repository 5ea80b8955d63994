// Templates and control identifiers of the size-pair and length-setting
// dialogs; the resource file's templates and the item tables both use them.
#pragma once

#define kSizePairTemplate 3790
#define kLengthSettingTemplate 3820

// Shared buttons.
#define kPagesDefaultsButton 1090
#define kPagesCancelButton 1091
#define kPagesOkButton 1092
#define kPagesHelpButton 1341

// Size pair: the width row (1863) and the length row (1864).
#define kSizeWidthEdit 3791
#define kSizeLengthEdit 3792
#define kSizeWidthUpDown 3793
#define kSizeLengthUpDown 3794
#define kSizeWidthRange 3795
#define kSizeLengthRange 3796
#define kSizeWidthUnit 3797
#define kSizeLengthUnit 3798
#define kSizeUnitGroup 3803
#define kSizeMillimetreButton 3804
#define kSizeInchButton 3805
#define kSizeSample1 3806
#define kSizeSample2 3807
#define kSizeSample3 3808

// Length setting.
#define kLengthFreeEdit 3821
#define kLengthFreeUpDown 3823
#define kLengthFreeRange 3824
#define kLengthFreeUnit 3825
#define kLengthMillimetreButton 3826
#define kLengthInchButton 3827
#define kLengthUnitGroup 3828
#define kLengthCountPicture 3829
#define kLengthCountLabel 3830
#define kLengthCountEdit 4831
#define kLengthCountUpDown 4832
#define kLengthModePicture 4833
#define kLengthModeLabel 4834
#define kLengthModeList 4835
#define kLengthNote 4836
