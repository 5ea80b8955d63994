// Templates and control identifiers of the stamps page, the stamp add and edit
// dialog and the annotation dialog; the resource file's templates and the item
// tables both use them.
#pragma once

#define kStampsPageTemplate 524
#define kStampEditTemplate 525
#define kAnnotationTemplate 536
#define kPreviewLandscapeBitmap 529
#define kPreviewPortraitBitmap 530

// The stamps page.
#define kStampList 1361
#define kStampAddButton 1358
#define kStampEditButton 1359
#define kStampDeleteButton 1360
#define kStampFirstPageOnly 1362
#define kStampPagePreview 1451
#define kAnnotationButton 1091
#define kStampGroup 1363
// The stored print file.
#define kStoredFileGroup 1364
#define kStoredFileFolderLabel 1375
#define kStoredFileOn 1537
#define kStoredFileName 1539
#define kStoredFileBrowse 1540
#define kStoredFileFolder 1542
#define kStoredFileResend 1543
#define kStoredFileLabelOn 1544
#define kStoredFileLabel 1546
#define kStoredFileNameLabel 1548

// The stamp add and edit dialog.
#define kStampNameEdit 1369
#define kStampTextEdit 1388
#define kStampFaceBox 1371
#define kStampSizeBox 1390
#define kStampBold 1435
#define kStampItalic 1436
#define kStampRepeat 1405
#define kStampLightColour 1368
#define kStampColourBox 1372
#define kStampColourButton 1424
#define kStampFrameNone 1398
#define kStampFrameBox 1373
#define kStampFrameCircle 1392
#define kStampAngleSlider 1383
#define kStampAngleUpDown 1399
#define kStampAngleEdit 1397
#define kStampPositionFirst 1437
#define kStampPositionLast 1445
#define kStampPositionGroup 1365
#define kStampOkButton 1408
#define kStampDefaultButton 1406
#define kStampDialogPreview 1453

// The annotation dialog.
#define kAnnotationSample 1579
#define kAnnotationList 1578
#define kAnnotationPrint 1369
#define kAnnotationPosition 1603
#define kAnnotationColour 1587
#define kAnnotationFace 1581
#define kAnnotationSize 1583
#define kAnnotationBold 1584
#define kAnnotationItalic 1585
#define kAnnotationDefaults 1614
#define kAnnotationOkButton 1092

// The sub-dialogs' Cancel: the engine's shared button, which ends them.
#define kStampCancelButton 1091
