// The host's own comments in a page's metafile. GDI copies a comment as it
// stands, so these carry what must reach the page's playback unchanged:
// - an escape that wants no answer, issued with a page open: it reaches the
//   driver in its place among the page's drawing;
// - a record of an application's metafile that wine's metafile recorder
//   would not copy faithfully (see recorder_input.h): the record whole, played
//   from the comment as if it stood in the page.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace printhost {

// An escape comment: this header, then the escape's input bytes.
struct EscapeComment {
    DWORD signature;
    DWORD escape;
};
static_assert(sizeof(EscapeComment) == 8 && offsetof(EscapeComment, escape) == 4);
constexpr DWORD kEscapeSignature = 0x43534548;         // "HESC"
// A carried record: the signature, then the record (its EMR first).
constexpr DWORD kCarriedRecordSignature = 0x43455248;  // "HREC"
// The record types a comment may carry.
constexpr DWORD kCarriedTypes[] = {EMR_EXTTEXTOUTW, EMR_EXTTEXTOUTA};

inline bool Carriable(DWORD type)
{
    for (DWORD t : kCarriedTypes)
        if (t == type) return true;
    return false;
}

// The record a comment carries, or null when the comment carries none or its
// record's own size is not what the comment holds. `comment` is a whole
// EMR_GDICOMMENT record of `size` bytes.
inline const EMR* CarriedRecord(const BYTE* comment, size_t size)
{
    constexpr size_t kAt = offsetof(EMRGDICOMMENT, Data) + sizeof(DWORD);
    if (size < kAt + sizeof(EMR)) return nullptr;
    DWORD signature = 0, cbData = 0;
    std::memcpy(&cbData, comment + offsetof(EMRGDICOMMENT, cbData), sizeof(cbData));
    std::memcpy(&signature, comment + offsetof(EMRGDICOMMENT, Data), sizeof(signature));
    if (signature != kCarriedRecordSignature || cbData > size - offsetof(EMRGDICOMMENT, Data)) return nullptr;
    const auto* record = reinterpret_cast<const EMR*>(comment + kAt);
    if (cbData < sizeof(DWORD) + sizeof(EMR) || record->nSize != cbData - sizeof(DWORD) || record->nSize % 4) return nullptr;
    return record;
}

} // namespace printhost
