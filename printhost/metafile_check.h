// The one check of an enhanced metafile's bytes before GDI plays any of it:
// framing (header, signature, sizes, the closing EOF record) and every
// record's contents against its size and the header's handle table. Both the
// metafiles a document brings and the pages recorded on a host DC pass here,
// because GDI's own playback trusts every count, index and offset it reads.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace printhost {

// Largest handle table a metafile may declare.
constexpr DWORD kMaxMetafileHandles = 0xFFFF;
// Largest path, in points, a page may build (widening a path again and again
// multiplies its points; GDI would grow it until memory runs out).
constexpr uint64_t kMaxPathPoints = uint64_t{1} << 22;
// Largest logical coordinate a bitmap record may carry (GDI's own limit).
constexpr LONG kMaxCoordinate = 1 << 27;

// The transform `a` then `b` (GDI's order for world transforms).
XFORM Multiply(const XFORM& a, const XFORM& b);

// False and a message naming the fault (and, for a record, its number, type
// and byte offset) when the bytes may not be played.
bool CheckMetafileBytes(const BYTE* data, size_t size, std::wstring* error);

} // namespace printhost
