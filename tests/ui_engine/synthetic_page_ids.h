// Identifiers of the synthetic page's template (synthetic_page.rc); plain
// defines because the resource compiler reads them too.
#pragma once

#define kSyntheticPageTemplate 9001
#define kSyntheticDialogCode 50

#define kSynPaperCombo 1001
#define kSynSourceList 1002
#define kSynPortrait 1003
#define kSynLandscape 1004
#define kSynCopiesEdit 1005
#define kSynCopiesUpDown 1006
#define kSynCollate 1007
#define kSynDensityTrackbar 1008
#define kSynOffsetScroll 1009
#define kSynDensityValue 1010
#define kSynPaperDetail 1011
#define kSynPalette 1013
#define kSynPicture 1014
#define kSynStateOnly 1015

#define kSynPaperLabel 1101
#define kSynSourceLabel 1102
#define kSynCopiesLabel 1105
#define kSynDensityLabel 1108
#define kSynOffsetLabel 1109

// A modal sub-dialog of the synthetic page: two settings and OK and Cancel.
#define kSyntheticDialogTemplate 9002
#define kSyntheticSubDialogCode 52
#define kSubOk 1092
#define kSubCancel 1091
