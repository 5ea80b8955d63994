#include "ui/support/font_faces.h"

#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/model/model_section.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr DWORD kTrueTypeFamily = TRUETYPE_FONTTYPE;  // FontType bit 4

struct Enumeration {
    FontFamilyList* list;
    bool failed;
};

int CALLBACK AddFontFamilyNode(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM data)
{
    auto* e = reinterpret_cast<Enumeration*>(data);
    if (!(type & kTrueTypeFamily))
        return 1;
    auto node = AllocGlobalBlock<FontFamilyNode>(sizeof(FontFamilyNode));
    const size_t chars = wcslen(font->lfFaceName) + 1;
    auto face = AllocGlobalBlock<wchar_t>(chars * sizeof(wchar_t));
    if (!node || !face) {
        e->failed = true;
        return 0;
    }
    std::memcpy(face.get(), font->lfFaceName, chars * sizeof(wchar_t));
    node->logFont = *font;
    node->logFont.lfWidth = 0;
    node->face = face.release();
    node->next = e->list->first;
    e->list->first = node.release();
    ++e->list->count;
    return 1;
}

// The model's font record at `position` (from 1); the caller frees it.
ModelSection* LoadModelFont(const SettingsContext* context, uint16_t position)
{
    ModelSection* section = nullptr;
    if (LoadModelTable(false, context->main, context->linked, kKindFont, position, &section) != kModelOk)
        return nullptr;
    return section;
}

bool LoadText(HMODULE module, UINT id, wchar_t* out)
{
    return module && LoadStringW(module, id, out, kFaceChars) > 0;
}

}  // namespace

FontFamilyList* EnumerateFontFamilyList(const SettingsContext* context)
{
    if (!context || !context->main)
        return nullptr;
    auto list = AllocGlobalBlock<FontFamilyList>(sizeof(FontFamilyList));
    if (!list)
        return nullptr;
    Enumeration e{list.get(), false};
    HDC dc = GetDC(nullptr);
    if (!dc) {
        FreeFontFamilyList(list.release());
        return nullptr;
    }
    EnumFontFamiliesW(dc, nullptr, AddFontFamilyNode, reinterpret_cast<LPARAM>(&e));
    ReleaseDC(nullptr, dc);
    const uint16_t models = GetModelTableCount(context->main, kKindFont);
    if (!e.failed && models > 0) {
        list->modelNames =
            static_cast<wchar_t(*)[kFaceChars]>(GlobalAlloc(GPTR, sizeof(wchar_t[kFaceChars]) * models));
        if (!list->modelNames)
            e.failed = true;
        for (uint16_t i = 0; !e.failed && i < models; ++i) {
            ModelSection* section = LoadModelFont(context, static_cast<uint16_t>(i + 1));
            const FontSection* font = AsFont(section);
            if (font)
                lstrcpynW(list->modelNames[i], font->name.c_str(), kFaceChars);
            else
                e.failed = true;
            FreeModelSection(&section, kKindFont);
        }
        list->modelCount = models;
    }
    if (e.failed) {
        FreeFontFamilyList(list.release());
        return nullptr;
    }
    return list.release();
}

void FreeFontFamilyList(FontFamilyList* list)
{
    if (!list)
        return;
    for (FontFamilyNode* node = list->first; node;) {
        FontFamilyNode* next = node->next;
        GlobalFree(node->face);
        GlobalFree(node);
        node = next;
    }
    if (list->modelNames)
        GlobalFree(list->modelNames);
    GlobalFree(list);
}

const LOGFONTW* FindInstalledFont(const InstalledFontTable* table, const wchar_t* face, uint16_t* status)
{
    uint16_t ignored = 0;
    uint16_t& s = status ? *status : ignored;
    if (!face) {
        s = kFontBadArgument;
        return nullptr;
    }
    if (!table || !table->fonts) {
        s = kFontNoTable;
        return nullptr;
    }
    for (uint32_t i = 0; i < table->count; ++i) {
        if (_wcsicmp(table->fonts[i].lfFaceName, face) == 0) {
            s = kFontFound;
            return &table->fonts[i];
        }
    }
    s = kFontNotFound;
    return nullptr;
}

int GetFontSubstituteName(HMODULE module, wchar_t* out, const wchar_t* name, const wchar_t* substitute)
{
    if (!out)
        return 0;
    if (substitute) {
        lstrcpynW(out, substitute, kFaceChars);
        return 1;
    }
    wchar_t first[kFaceChars] = {}, second[kFaceChars] = {};
    LoadText(module, kStringFontNameA, first);
    LoadText(module, kStringFontNameB, second);
    UINT id = kStringDefaultFace;
    if (name && first[0] && wcscmp(name, first) == 0)
        id = kStringSubstituteA;
    else if (name && second[0] && wcscmp(name, second) == 0)
        id = kStringSubstituteB;
    return LoadText(module, id, out) ? 1 : 0;
}

const LOGFONTW* ResolveFontSettingFace(const InstalledFontTable* table, const ConstraintContext& settings, uint16_t id,
                                       int* kind, uint8_t* charSet, uint8_t* pitchAndFamily)
{
    int ignored = 0;
    int& k = kind ? *kind : ignored;
    k = kFaceUnavailable;
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (GetFunctionIdValue(id, settings.settingsRecord, settings.printerSettingsRecord, &type, &size, &holder) != 0 ||
        type != kTypeString)
        return nullptr;
    const wchar_t* name = nullptr;
    std::memcpy(&name, &holder, sizeof name);
    if (!name)
        return nullptr;
    if (const LOGFONTW* installed = FindInstalledFont(table, name, nullptr)) {
        k = kFaceInstalled;
        return installed;
    }
    HMODULE module = GetResourceModule();
    wchar_t face[kFaceChars] = {};
    wchar_t fallback[kFaceChars] = {};
    LoadText(module, kStringDefaultFace, fallback);
    k = kFaceDefaultAsked;
    lstrcpynW(face, fallback, kFaceChars);
    const uint16_t models = settings.settings ? GetModelTableCount(settings.settings->main, kKindFont) : 0;
    for (uint16_t i = 1; i <= models; ++i) {
        ModelSection* section = LoadModelFont(settings.settings, i);
        const FontSection* font = AsFont(section);
        if (font && font->name == name) {
            k = kFaceModelFont;
            if (charSet)
                *charSet = ANSI_CHARSET;  // the parsed record keeps no character set of its own
            if (pitchAndFamily)
                *pitchAndFamily = static_cast<uint8_t>((font->flags & 0xF0) | (font->flags & 1 ? 2 : 1));
            GetFontSubstituteName(module, face, name, font->names1.empty() ? nullptr : font->names1[0].c_str());
            FreeModelSection(&section, kKindFont);
            break;
        }
        FreeModelSection(&section, kKindFont);
    }
    // A name that is no model font asks for the default face itself, which
    // counts as the fallback when found.
    if (k == kFaceModelFont)
        if (const LOGFONTW* chosen = FindInstalledFont(table, face, nullptr))
            return chosen;
    if (const LOGFONTW* standard = FindInstalledFont(table, fallback, nullptr)) {
        k = kFaceDefault;
        return standard;
    }
    k = kFaceUnavailable;
    return nullptr;
}
