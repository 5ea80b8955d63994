// Template and control identifiers of the paper margin dialog; the resource
// file's template and the item table both use them.
#pragma once

#define kPaperMarginTemplate 2440

#define kMarginCustomCheck 1658
#define kMarginPaperList 1361
#define kMarginPaperLabel 1659
#define kMarginMillimetreButton 1674
#define kMarginInchButton 1690
#define kMarginUnitGroup 1691
// One row per margin: icon, range text, field, up-down, unit.
#define kMarginLeftIcon 1661
#define kMarginTopIcon 1662
#define kMarginRightIcon 1663
#define kMarginBottomIcon 1664
#define kMarginLeftRange 1665
#define kMarginLeftEdit 1666
#define kMarginLeftUpDown 1667
#define kMarginLeftUnit 1668
#define kMarginTopRange 1675
#define kMarginTopEdit 1676
#define kMarginTopUpDown 1677
#define kMarginTopUnit 1678
#define kMarginRightRange 1680
#define kMarginRightEdit 1681
#define kMarginRightUpDown 1682
#define kMarginRightUnit 1683
#define kMarginBottomRange 1685
#define kMarginBottomEdit 1686
#define kMarginBottomUpDown 1687
#define kMarginBottomUnit 1688

#define kMarginDefaultsButton 1090
#define kMarginCancelButton 1091
#define kMarginOkButton 1092
#define kMarginHelpButton 1341
