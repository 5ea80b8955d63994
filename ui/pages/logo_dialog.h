// The logo and version dialog (template 510, dialog code 8) that the settings
// list page opens: the driver's name and version, the administrator's comment
// of the site configuration, the model's picture, and, in a template that has
// a logo picture (control 1221), the model data's logo bitmap with the texts
// laid over it. A table-driven modal dialog with handlers of its own for
// initialisation, painting, palette messages and destruction.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/settings/capability_bits.h"
#include "ui/engine/dialog_tables.h"

struct SettingsContext;

inline constexpr int32_t kLogoDialogCode = 8;

// Resource strings of the dialog.
inline constexpr UINT kStringCommentHeading = 491;
inline constexpr UINT kStringFontCharset = 1790;
inline constexpr UINT kStringAboutLine = 1815;
inline constexpr UINT kStringTitleFace = 5182;
inline constexpr UINT kStringTitlePoints = 5183;
inline constexpr UINT kStringTextFace = 5185;
inline constexpr UINT kStringTextPoints = 5186;
inline constexpr UINT kStringLogoTextFace = 5329;
inline constexpr UINT kStringLogoTextPoints = 5330;

// The model picture shows only on models with this capability.
inline constexpr CapabilityId kModelPictureCapability = 0xFFFF003C;

// Model data strings of the dialog.
inline constexpr uint16_t kModelSectionDocument = 29;
inline constexpr uint16_t kModelSectionName = 31;
inline constexpr uint16_t kModelSectionNote = 32;
inline constexpr uint16_t kModelSectionLogo = 34;
inline constexpr uint16_t kModelSectionTitle = 38;

// Modes of BuildAboutText.
inline constexpr int kAboutNote = 0;
inline constexpr int kAboutVersion = 1;

extern const PageDescriptor LogoDialog;

INT_PTR CALLBACK LogoDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The text of the dialog's about lines as a new global block at *text: in mode
// 1 the name, version and line 1815 (and without a logo the note after an
// empty line), in mode 0 the note. 1 done; 0 (*text null) on failure.
int BuildAboutText(HWND dialog, SettingsContext* context, wchar_t** text, int mode, bool logo);

// The charset the dialog's fonts take: the dialog font's, except that the
// far-eastern sets (128, 129, 134, 136) leave the template's 0; then the
// number resource string 1790 holds, unless that is 128.
BYTE LogoFontCharset(BYTE dialogCharset, const wchar_t* configured);

// The fonts all open logo dialogs share; null until the first dialog makes
// them. They live while any such dialog is open.
struct LogoDialogFonts {
    HFONT title;
    HFONT text;
    HFONT logoText;
    int openDialogs;
};
const LogoDialogFonts& GetLogoDialogFonts();
