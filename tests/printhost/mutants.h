// Single-field mutants of a metafile: each 32-bit field of the first 48 of
// every record, one at a time, set to values that break counts, indexes,
// offsets and floats.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

namespace printhost_test {

// The records of a metafile, as offsets.
inline std::vector<size_t> RecordOffsets(const std::vector<BYTE>& b)
{
    std::vector<size_t> at;
    for (size_t p = 0; p + sizeof(EMR) <= b.size();) {
        at.push_back(p);
        const DWORD size = reinterpret_cast<const EMR*>(b.data() + p)->nSize;
        if (size < sizeof(EMR)) break;
        p += size;
    }
    return at;
}

inline DWORD Field(const std::vector<BYTE>& b, size_t at) { DWORD v; std::memcpy(&v, b.data() + at, 4); return v; }
inline void SetField(std::vector<BYTE>& b, size_t at, DWORD v) { std::memcpy(b.data() + at, &v, 4); }

// Each 32-bit field of the first 48 of every record, one at a time, set to
// values that break counts, indexes, offsets and floats.
inline std::vector<std::vector<BYTE>> Mutants(const std::vector<BYTE>& original)
{
    constexpr size_t kFieldsPerRecord = 48;
    std::vector<std::vector<BYTE>> out;
    for (size_t record : RecordOffsets(original)) {
        const DWORD size = reinterpret_cast<const EMR*>(original.data() + record)->nSize;
        for (size_t field = 4; field < size && field / 4 < kFieldsPerRecord; field += 4) {
            const DWORD was = Field(original, record + field);
            const DWORD values[] = {0, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000001, 0x7FC00000, was + 1, was * 2 + 64};
            for (DWORD value : values) {
                if (value == was) continue;
                out.push_back(original);
                SetField(out.back(), record + field, value);
            }
        }
    }
    return out;
}

} // namespace printhost_test
