// The parameter blocks the item tables give each control kind. Plain constant
// records: the tables of the pages hold them, the kinds' handlers only read
// them.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"

struct CallContext;
struct PageHeader;

// --- Edit fields (kind 4, and the edit part of a combo box) ------------------------

// EditFieldParams flags.
inline constexpr uint32_t kEditNumeric = 0x0001;
inline constexpr uint32_t kEditKeepsText = 0x0002;     // a refused text is put back with a message
inline constexpr uint32_t kEditSigned = 0x0010;
inline constexpr uint32_t kEditFixedPoint = 0x0040;
inline constexpr uint32_t kEditCutDecimals = 0x0200;   // surplus decimals cut, an empty text accepted
inline constexpr uint32_t kEditLength = 0x0400;        // follows the chosen measurement unit
inline constexpr uint32_t kEditSnapHalf = 0x1000;      // first decimal snapped to 0 or 5
inline constexpr uint32_t kEditProtected = 0x2000;     // stored scrambled and base64-encoded

// Check points of an edit field.
inline constexpr uint32_t kCheckAtKillActive = 0x04;
inline constexpr uint32_t kCheckAtKillFocus = 0x08;
inline constexpr uint32_t kCheckAtValidate = 0x10;
inline constexpr uint32_t kCheckAtReset = 0x20;

struct TextCheckSpec {
    const UINT* singleAllowed;    // zero-ended string id lists of the byte tables (null: none)
    const UINT* singleForbidden;
    const UINT* doubleAllowed;
    uint32_t flags;               // as ValidateTextCharacters takes them
    int32_t messageId;            // shown when a text is refused; -3 none
};

struct NumberFormat {
    uint32_t decimals;
    uint32_t sliderScale;  // non-zero: stored value and number converted by ConvertSliderValue
};

// The validation hook: 1 go on, 2 refused (text restored, focus kept), other
// values stop without a change.
struct EditFieldParams;
using EditValidationHook = uint32_t (*)(CallContext* call, UINT message, const ItemRecord* item,
                                        const EditFieldParams* params, uint32_t flag, const void* value);

struct EditFieldParams {
    uint32_t flags;
    uint32_t maxLength;  // characters
    const TextCheckSpec* check;
    const NumberFormat* format;
    uint32_t checkPoints;
    EditValidationHook validate;
};

// --- Option lists (kinds 1 and 2) ----------------------------------------------

inline constexpr uint16_t kRowsOfOptions = 1;
inline constexpr uint16_t kRowsOfSettings = 2;

inline constexpr uint16_t kRowLabelIsListName = 1;
inline constexpr uint16_t kRowTwoColumns = 2;

inline constexpr uint16_t kListDoubleClickNext = 0x0001;
inline constexpr uint16_t kListCheckMarks = 0x0002;
inline constexpr uint16_t kListStateMarks = 0x0004;
inline constexpr uint16_t kListEditPart = 0x0008;
inline constexpr uint16_t kListFillHook = 0x0010;
inline constexpr uint16_t kListDrawHook = 0x0020;
inline constexpr uint16_t kListKeepRows = 0x0040;
inline constexpr uint16_t kListPartialRefresh = 0x0080;  // and above
inline constexpr uint16_t kListColourSwatch = 0x0100;
inline constexpr uint16_t kListOptionIcon = 0x0200;

// The fill hook gets the reset request as `data`, the draw hook the
// DRAWITEMSTRUCT. 1 done.
using ListRowHook = uint32_t (*)(CallContext* call, const ItemRecord* item, HWND control, LPARAM data);
// The icon resource of an option row (0: none).
using OptionIconCallback = UINT (*)(int32_t controlId, int32_t row, void* settings, void* printerSettings);

struct ListItemParams {
    uint16_t rowMode;
    uint16_t rowFlags;
    uint16_t tabStop;  // dialog units
    uint16_t behaviour;
    const EditFieldParams* edit;
    ListRowHook hook;
    OptionIconCallback icon;
};

// --- Choice and text kinds --------------------------------------------------------

struct OptionButtonParams {
    int32_t count;
    const int32_t* controls;  // button i stands for option i
};

inline constexpr uint32_t kValueTextOption = 1;
inline constexpr uint32_t kValueTextString = 2;
inline constexpr uint32_t kValueTextStateOnly = 3;
struct ValueTextParams {
    uint32_t mode;
    uint32_t stringId;  // mode 2
};

// Kind 11: the other item whose selected setting this item follows (-3 none).
struct OptionDetailParams {
    int32_t followedControl;
};

// Kind 13. Bit 0 of flags[1] set and bit 0 of flags[3] clear ask for the
// display state at each show.
struct PalettePictureParams {
    uint16_t subclass;
    uint8_t flags[4];
};

// --- Value kinds ----------------------------------------------------------------------

struct ScrollParams {
    uint16_t direction;  // 0: the value grows towards the top or left
    uint32_t pageStep;
};

struct TrackbarParams {
    uint16_t pageSize;
    uint16_t tickFrequency;  // 0: none
    uint32_t sliderScale;
};

struct UpDownParams {
    uint32_t sliderScale;
};

// --- Push buttons (kind 6) ---------------------------------------------------------

enum ButtonAction : uint32_t {
    kActionOk = 1,
    kActionCancel = 2,
    kActionDefaults = 3,
    kActionSubDialog = 4,
    kActionNestedSheet = 5,
    kActionHelp = 6,
    kActionNothing = 7,
    kActionOpenFile = 8,
    kActionSaveFile = 9,
    kActionOpenDocument = 10,
    kActionEnd = 11,
};

// Only actions 4, 5 and 8 to 10 have data; the shared buttons' blocks hold the
// action code alone.
struct ButtonParams {
    uint32_t action;
    const void* data;
};

// What the sub-dialog's procedure reads as its creation parameter: a modal
// dialog (type 4) the dialog context itself, a sub-page dialog (type 3) a
// property-page record whose lParam is the context.
struct SubDialogParams {
    const PageHeader* header;
    uint32_t checkFirst;  // 1: the constraint check of `checkSetting` first
    uint32_t checkSetting;
    uint16_t dialogType;  // 3 or 4 (0: 4)
};

struct SheetParams {
    uint16_t pageCount;
    uint32_t startPage;
    int32_t captionString;   // -3 none
    uint32_t captionSetting; // 0 none
    const PageHeader* const* pages;
};

// The check hook of a chosen file: 0 refuses.
using FileCheckHook = int (*)(CallContext* call, const wchar_t* path, int nameOffset, int extensionOffset);

inline constexpr uint16_t kFileCheckFolderChars = 0x01;
inline constexpr uint16_t kFileCheckNameChars = 0x02;
inline constexpr uint16_t kFileCheckFolderLength = 0x04;
inline constexpr uint16_t kFileCheckNameLength = 0x08;
inline constexpr uint16_t kFileCheckPathLength = 0x10;
inline constexpr uint16_t kFileCutExtension = 0x20;

struct FileDialogParams {
    int32_t filterString;
    uint32_t filterIndex;
    uint32_t maxName;    // ANSI bytes
    uint32_t maxFolder;
    uint32_t maxPath;
    uint32_t limitMessage;
    uint32_t hookMessage;  // 0 none
    uint32_t initialNameSetting;
    int32_t initialFolderString;   // -3 none
    uint32_t defaultFolderSetting; // 0 none
    int32_t titleString;           // -3 none
    int32_t flags;                 // -1: the default flags
    int32_t extensionString;       // -3 none
    FileCheckHook check;
    uint16_t folderSetting;
    uint16_t nameSetting;
    uint16_t pathSetting;  // 0: not stored
    uint16_t checks;
    const TextCheckSpec* folderSpec;
    const TextCheckSpec* nameSpec;
};

// -3: the path is string 29 of the model data's string section.
struct DocumentParams {
    int32_t pathString;
};

// --- Item callbacks -------------------------------------------------------------------

struct UnitRadioParams {
    uint32_t count;
    const uint16_t* controls;  // first radio, last radio, the inch button
};

struct LinkedItemRule {
    uint32_t control;
    uint16_t setting;       // 65535: any
    uint32_t compare;       // 1: compare the value
    uint32_t compareValue;
    int32_t secondControl;  // -3 none
};
