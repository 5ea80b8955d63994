#include "tests/ui_engine/synthetic_page.h"

#include "common/settings/function_ids.h"
#include "ui/controls/kind_params.h"

#include <iterator>

namespace {

constexpr uint16_t kFidPaperSize = 8;
constexpr uint16_t kFidHorizontalAdjustment = 268;
constexpr uint16_t kFidVerticalAdjustment = 269;
constexpr uint16_t kFidFinisherInstalled = 4359;

constexpr ItemSlot kPaperSlots[] = {{kFidPaperSize, 3}};
constexpr ItemSlot kSourceSlots[] = {{kFidPaperSource, 3}};
constexpr ItemSlot kOrientationSlots[] = {{kFidOrientation, 3}};
constexpr ItemSlot kCopiesSlots[] = {{kFidCopies, 0}};
constexpr ItemSlot kCollateSlots[] = {{kFidCollate, 3}};
constexpr ItemSlot kDensitySlots[] = {{kFidHorizontalAdjustment, 0}};
constexpr ItemSlot kOffsetSlots[] = {{kFidVerticalAdjustment, 0}};
constexpr ItemSlot kFinisherSlots[] = {{kFidFinisherInstalled, 0}};
constexpr uint32_t kLabelFollowsControl = kItemLabelFollowsControl;
// The two buttons of the orientation, in the order of its options.
constexpr int32_t kOrientationButtons[] = {kSynPortrait, kSynLandscape};
constexpr OptionButtonParams kOrientationParams{2, kOrientationButtons};

// Kinds.
constexpr uint64_t kCombo = 1, kList = 2, kEdit = 4, kOptionButtons = 5, kCheckBox = 7, kScrollBar = 8,
                   kUpDown = 9, kValueText = 10, kOptionDetail = 11, kTrackbar = 12, kPalette = 13, kBitmap = 14,
                   kStateOnly = 15;

const ItemRecord kSyntheticRecords[] = {
    {kSynPaperCombo, 1, kPaperSlots, kCombo, nullptr, nullptr, kSynPaperLabel, kNoControl, nullptr},
    {kSynSourceList, 1, kSourceSlots, kList, nullptr, nullptr, kSynSourceLabel, kNoControl, nullptr},
    {kSynPortrait, 1, kOrientationSlots, kOptionButtons, nullptr, &kOrientationParams, kNoControl, kNoControl,
     nullptr},
    {kSynLandscape, 1, kOrientationSlots, kOptionButtons, nullptr, &kOrientationParams, kNoControl, kNoControl,
     nullptr},
    {kSynCopiesEdit, 1, kCopiesSlots, kEdit, nullptr, nullptr, kSynCopiesLabel, kNoControl, nullptr},
    {kSynCopiesUpDown, 1, kCopiesSlots, kUpDown, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kSynCollate, 1, kCollateSlots, kCheckBox, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kSynDensityTrackbar, 1, kDensitySlots, kTrackbar, nullptr, nullptr, kSynDensityLabel, kNoControl, nullptr},
    {kSynDensityValue, 1, kDensitySlots, kValueText, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kSynOffsetScroll, 1, kOffsetSlots, kScrollBar, nullptr, nullptr, kSynOffsetLabel, kNoControl, nullptr},
    {kSynPaperDetail, 1, kPaperSlots, kOptionDetail, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kSynPalette, -1, nullptr, kPalette, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kSynPicture, -1, nullptr, kBitmap, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kSynStateOnly, 1, kFinisherSlots, kStateOnly, nullptr, nullptr, kNoControl, kNoControl, &kLabelFollowsControl},
    {kPageItemId, -1, nullptr, 0, nullptr, nullptr, kNoControl, kNoControl, nullptr},
};

constexpr HelpMapEntry kSyntheticHelp[] = {{kSynPaperCombo, 101}, {kSynCopiesEdit, 102}, {0, 0}};
constexpr int32_t kSyntheticLocked[] = {kSynLandscape, kNoControl};

}  // namespace

const ItemTableHeader SyntheticItemTable = {kSyntheticRecords, static_cast<uint32_t>(std::size(kSyntheticRecords)),
                                            kPageHelpTopic, kSyntheticHelp, kSyntheticLocked, 0};
const PageDescriptor SyntheticPage = {kSyntheticDialogCode, &SyntheticItemTable, nullptr};

const KindClass KindClasses[] = {
    {1, L"ComboBox"},  {2, L"ListBox"},           {4, L"Edit"},          {5, L"Button"},
    {6, L"Button"},    {7, L"Button"},            {8, L"ScrollBar"},     {9, L"msctls_updown32"},
    {10, L"Static"},   {11, L"Static"},           {12, L"msctls_trackbar32"}, {13, L"Static"},
    {14, L"Static"},
};
const size_t KindClassCount = std::size(KindClasses);

const wchar_t* ExpectedClassOfKind(uint64_t kind)
{
    for (const KindClass& row : KindClasses)
        if (row.kind == kind)
            return row.windowClass;
    return nullptr;
}
