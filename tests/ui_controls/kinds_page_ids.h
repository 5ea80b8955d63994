// Identifiers of the control kinds' test page (kinds_page.rc); plain defines
// because the resource compiler reads them too.
#pragma once

#define kKindsPageTemplate 9101
#define kKindsDialogCode 51

#define kKpPaperCombo 2001
#define kKpCheckList 2002
#define kKpEmptyList 2003
#define kKpNoListCombo 2004
#define kKpPortrait 2005
#define kKpLandscape 2006
#define kKpCopiesEdit 2007
#define kKpCopiesUpDown 2008
#define kKpCollate 2009
#define kKpTrackbar 2010
#define kKpScroll 2011
#define kKpPaperText 2012
#define kKpPaperDetail 2013
#define kKpPalette 2014
#define kKpStateOnly 2015
#define kKpProtectedEdit 2016
#define kKpEndButton 2017
#define kKpLengthEdit 2018
#define kKpUnitLabel 2019
#define kKpMillimetre 2020
#define kKpInch 2021
#define kKpNoKind 2022
#define kKpUserValue 2023
#define kKpTallList 1012

#define kKpGridEnable 1227
#define kKpLevelGrid 2607

#define kKpKeyString 9190
