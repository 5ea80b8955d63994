// Clip regions the page player makes from region records are GDI's own.
#include "printhost/page_player_state.h"

#include <gtest/gtest.h>

#include <vector>

using namespace printhost;

namespace {

std::vector<BYTE> DataOf(HRGN region)
{
    std::vector<BYTE> data(GetRegionData(region, 0, nullptr));
    if (!data.empty()) GetRegionData(region, DWORD(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
    return data;
}

// The header and rectangles of a record, as given (not necessarily GDI's form).
std::vector<BYTE> RecordData(const std::vector<RECT>& rects)
{
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    *reinterpret_cast<RGNDATAHEADER*>(data.data()) =
        RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, DWORD(rects.size()), DWORD(rects.size() * sizeof(RECT)),
                      RECT{0, 0, 0, 0}};
    if (!rects.empty()) memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
    return data;
}

} // namespace

TEST(PlaybackRegion, SameRegionAsGdiMakesFromTheRecord)
{
    // Two overlapping ellipses at printer resolution (a sample page's clip).
    HRGN a = CreateEllipticRgn(166, 1250, 1000, 1750);
    HRGN b = CreateEllipticRgn(750, 1333, 1666, 1833);
    CombineRgn(a, a, b, RGN_OR);
    const std::vector<BYTE> ellipses = DataOf(a);
    DeleteObject(a);
    DeleteObject(b);
    // Rectangles in no order, overlapping, some empty, some touching.
    std::vector<RECT> scattered;
    for (int i = 0; i < 500; ++i) {
        const LONG x = (i * 7919) % 997, y = (i * 104729) % 991;
        scattered.push_back(i % 13 == 0 ? RECT{x, y, x, y + 5} : RECT{x, y, x + 1 + i % 40, y + 1 + i % 17});
    }
    std::vector<RECT> checker;
    for (LONG y = 0; y < 40; ++y)
        for (LONG x = y % 2; x < 40; x += 2) checker.push_back(RECT{x * 8, y * 8, x * 8 + 8, y * 8 + 8});
    const std::vector<std::vector<BYTE>> cases = {
        ellipses, RecordData(scattered), RecordData(checker), RecordData({RECT{1, 2, 3, 4}}), RecordData({})};
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto* data = reinterpret_cast<const RGNDATA*>(cases[i].data());
        const DWORD size = DWORD(cases[i].size());
        HRGN expected = ExtCreateRegion(nullptr, size, data);
        HRGN made = RegionFromData(data, size);
        ASSERT_NE(expected, nullptr) << i;
        ASSERT_NE(made, nullptr) << i;
        EXPECT_TRUE(EqualRgn(expected, made)) << i;
        EXPECT_EQ(DataOf(expected), DataOf(made)) << i;
        DeleteObject(expected);
        DeleteObject(made);
    }
}

TEST(PlaybackRegion, RefusesWhatGdiRefuses)
{
    std::vector<RECT> many(100, RECT{0, 0, 10, 10});
    std::vector<BYTE> data = RecordData(many);
    // A count beyond the rectangles given.
    reinterpret_cast<RGNDATAHEADER*>(data.data())->nCount = 101;
    HRGN made = RegionFromData(reinterpret_cast<const RGNDATA*>(data.data()), DWORD(data.size()));
    HRGN expected = ExtCreateRegion(nullptr, DWORD(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
    EXPECT_EQ(made == nullptr, expected == nullptr);
    if (made) DeleteObject(made);
    if (expected) DeleteObject(expected);
}
