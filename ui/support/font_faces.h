// Font families the pages offer and the resolution of a font-name setting to
// an installed face: an installed TrueType face, else the model's device font
// through its substitute, else the interface's default face.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;
struct ConstraintContext;

constexpr int kFaceChars = 32;

struct FontFamilyNode {
    FontFamilyNode* next;
    wchar_t* face;     // a new block
    LOGFONTW logFont;  // lfWidth 0
};

struct FontFamilyList {
    FontFamilyNode* first;
    uint32_t count;
    wchar_t (*modelNames)[kFaceChars];  // one per entry of the model's font table
    uint32_t modelCount;
};

// The TrueType families of the desktop and the names of the model's fonts; null
// on any failure (nothing left allocated).
FontFamilyList* EnumerateFontFamilyList(const SettingsContext* context);
void FreeFontFamilyList(FontFamilyList* list);

// The installed fonts a sheet keeps.
struct InstalledFontTable {
    const LOGFONTW* fonts;
    uint32_t count;
};
constexpr uint16_t kFontFound = 0;
constexpr uint16_t kFontBadArgument = 2;
constexpr uint16_t kFontNoTable = 10;
constexpr uint16_t kFontNotFound = 11;
const LOGFONTW* FindInstalledFont(const InstalledFontTable* table, const wchar_t* face, uint16_t* status);

constexpr UINT kStringFontNameA = 731;
constexpr UINT kStringFontNameB = 732;
constexpr UINT kStringSubstituteA = 733;
constexpr UINT kStringSubstituteB = 734;
constexpr UINT kStringDefaultFace = 735;
// The substitute when given; else string 733 for the name of string 731, 734
// for that of 732, 735 for any other. Into `out` (kFaceChars). 1; 0 when a
// string is missing.
int GetFontSubstituteName(HMODULE module, wchar_t* out, const wchar_t* name, const wchar_t* substitute);

// Kinds of a resolved face.
constexpr int kFaceUnavailable = 0;
constexpr int kFaceInstalled = 1;
constexpr int kFaceDefaultAsked = 2;  // the name is no model font: the default face was looked for
constexpr int kFaceModelFont = 3;
constexpr int kFaceDefault = 4;
// The installed record for the face the font-name setting `id` names; the kind
// (above), character set and pitch and family of the choice. Null with kind 0
// when neither the face nor the default face is installed.
const LOGFONTW* ResolveFontSettingFace(const InstalledFontTable* table, const ConstraintContext& settings, uint16_t id,
                                       int* kind, uint8_t* charSet, uint8_t* pitchAndFamily);
