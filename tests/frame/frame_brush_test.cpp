// DrvRealizeBrush of the installed library, with the brush memory of the
// print host's engine.
#include "tests/frame/frame_fixture.h"

#include "printhost/engine_objects.h"
#include "render/image/realize_brush.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

using frame_test::FrameDriver;
using printhost::HostBrush;
using printhost::LiveBrushes;

struct RealizeCase {
    const char* name;
    ULONG format;
    LONG width, height;
    ULONG hatch;
    uint32_t rowBytes;       // of the realised rows
    uint32_t patternBytes;
    ULONG colours;           // entries of the translation table
};

TEST(FrameBrush, RealizedBrushHoldsRowsAndColours)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    DHPDEV pdev = driver.Enable(driver.ExtendedDevmode(frame_test::A4At600()));
    ASSERT_NE(pdev, nullptr);
    auto realize = reinterpret_cast<decltype(&DrvRealizeBrush)>(
        reinterpret_cast<void (*)()>(GetProcAddress(driver.entries().library, "DrvRealizeBrush")));
    ASSERT_NE(realize, nullptr);

    const RealizeCase cases[] = {
        {"one bit 8 x 8", BMF_1BPP, 8, 8, HS_DDI_MAX, 4, 32, 2},
        {"one bit 33 x 2", BMF_1BPP, 33, 2, HS_DDI_MAX, 8, 16, 2},
        {"24 bits 3 x 2", BMF_24BPP, 3, 2, HS_DDI_MAX, 12, 24, 0},
        {"8 bits 5 x 1", BMF_8BPP, 5, 1, HS_DDI_MAX, 8, 8, 4},
        {"hatch style", BMF_1BPP, 8, 8, HS_CROSS, 0, 0, 2},
    };
    for (const RealizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bits(64 * 8);
        for (size_t i = 0; i < bits.size(); ++i)
            bits[i] = uint8_t(i * 7 + 1);
        SURFOBJ pattern{};
        pattern.iBitmapFormat = c.format;
        pattern.sizlBitmap = {c.width, c.height};
        pattern.lDelta = 64;
        pattern.pvScan0 = bits.data();
        pattern.iType = STYPE_BITMAP;
        ULONG table[4] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00};
        XLATEOBJ translation{};
        translation.flXlate = c.colours ? XO_TABLE : 0;
        translation.cEntries = c.colours;
        translation.pulXlate = table;
        SURFOBJ target = frame_test::SurfaceOf(pdev);
        HostBrush brush;
        LiveBrushes().Add(&brush.bo);
        ASSERT_TRUE(realize(&brush.bo, &target, &pattern, nullptr, &translation, c.hatch));
        LiveBrushes().Remove(&brush.bo);
        ASSERT_EQ(brush.bo.pvRbrush, brush.realization.data());
        ASSERT_GE(brush.realization.size(), sizeof(RealizedBrush));
        RealizedBrush head;
        std::memcpy(&head, brush.realization.data(), sizeof(head));
        EXPECT_EQ(head.hatch, c.hatch);
        EXPECT_EQ(head.rowBytes, c.rowBytes);
        EXPECT_EQ(head.colourCount, c.colours);
        EXPECT_EQ(head.colourTableOffset, sizeof(RealizedBrush) + c.patternBytes);
        EXPECT_EQ(head.size, sizeof(RealizedBrush) + c.patternBytes + 4 * c.colours);
        EXPECT_EQ(brush.realization.size(), head.size);
        if (c.patternBytes) {
            const size_t used = c.format == BMF_24BPP ? size_t(c.width) * 3 : c.rowBytes;
            for (LONG y = 0; y < c.height; ++y) {
                EXPECT_EQ(std::memcmp(brush.realization.data() + sizeof(RealizedBrush) + y * c.rowBytes,
                                      bits.data() + y * 64, used), 0) << "row " << y;
            }
        }
        if (c.colours) {
            EXPECT_EQ(std::memcmp(brush.realization.data() + head.colourTableOffset, table, 4 * c.colours), 0);
        }
    }
    // Without a pattern or translation, or on a surface that is not ours: refused.
    HostBrush brush;
    SURFOBJ pattern{};
    XLATEOBJ translation{};
    SURFOBJ target = frame_test::SurfaceOf(pdev);
    SURFOBJ foreign = frame_test::SurfaceOf(reinterpret_cast<DHPDEV>(&brush));
    EXPECT_FALSE(realize(&brush.bo, &target, nullptr, nullptr, &translation, 0));
    EXPECT_FALSE(realize(&brush.bo, &target, &pattern, nullptr, nullptr, 0));
    EXPECT_FALSE(realize(&brush.bo, &foreign, &pattern, nullptr, &translation, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    driver.entries().disablePdev(pdev);
}

} // namespace
