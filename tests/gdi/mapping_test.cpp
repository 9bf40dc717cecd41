// MulDiv and the mapping modes: GDI's integer extents, its rounding of points in both
// directions, and which calls the mode ignores.
#include <gtest/gtest.h>

#include <climits>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;

TEST(MulDiv, RoundsHalfAwayFromZero)
{
    EXPECT_EQ(MulDiv(3, 1, 2), 2);     // 1.5
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);   // -1.5
    EXPECT_EQ(MulDiv(3, -1, 2), -2);
    EXPECT_EQ(MulDiv(3, 1, -2), -2);
    EXPECT_EQ(MulDiv(-3, -1, -2), -2);
    EXPECT_EQ(MulDiv(5, 1, 4), 1);     // 1.25
    EXPECT_EQ(MulDiv(7, 1, 4), 2);     // 1.75
    EXPECT_EQ(MulDiv(-7, 1, 4), -2);
    EXPECT_EQ(MulDiv(1, 1, 3), 0);
    // The millimetre insets of the note at 2400 dpi: 2 mm and 1 mm.
    EXPECT_EQ(MulDiv(2, 24000, 254), 189);  // 188.976
    EXPECT_EQ(MulDiv(1, 24000, 254), 94);   // 94.488
    // Font size in tenths of a point to display pixels: 10 pt at 96 dpi.
    EXPECT_EQ(MulDiv(96, 100, 720), 13);    // 13.33
    EXPECT_EQ(MulDiv(96, 105, 720), 14);    // 14.0
    EXPECT_EQ(MulDiv(96, 75, 720), 10);     // exactly 10
}

TEST(MulDiv, ProductsBeyondThirtyTwoBitsAndFailures)
{
    // The product is computed in 64 bits.
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(MulDiv(1 << 20, 1 << 20, 1 << 12), 1 << 28);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 3), 1431655765);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, 1, 1), -1);  // -2^31 is outside what Windows returns
    EXPECT_EQ(MulDiv(-INT_MAX, 1, 1), -INT_MAX);
    EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1);
}

TEST(Mapping, NewContextIsTextModeWithUnitExtents)
{
    Display dc;
    ASSERT_NE(dc.get(), nullptr);
    EXPECT_EQ(GetMapMode(dc.get()), MM_TEXT);
    SIZE ext{};
    ASSERT_TRUE(GetWindowExtEx(dc.get(), &ext));
    EXPECT_EQ(ext.cx, 1);
    EXPECT_EQ(ext.cy, 1);
    ASSERT_TRUE(GetViewportExtEx(dc.get(), &ext));
    EXPECT_EQ(ext.cx, 1);
    EXPECT_EQ(ext.cy, 1);
    EXPECT_EQ(GetDeviceCaps(dc.get(), LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc.get(), LOGPIXELSY), 96);
}

TEST(Mapping, ExtentsAreIgnoredOutsideTheScalableModes)
{
    Display dc;
    SIZE old{};
    EXPECT_TRUE(SetWindowExtEx(dc.get(), 50, 60, &old));
    EXPECT_TRUE(ScaleWindowExtEx(dc.get(), 300, 96, 300, 96, nullptr));
    SIZE ext{};
    GetWindowExtEx(dc.get(), &ext);
    EXPECT_EQ(ext.cx, 1);
    EXPECT_EQ(ext.cy, 1);

    EXPECT_EQ(SetMapMode(dc.get(), MM_ANISOTROPIC), MM_TEXT);
    // Anisotropic mode keeps the extents it finds.
    GetWindowExtEx(dc.get(), &ext);
    EXPECT_EQ(ext.cx, 1);
    EXPECT_TRUE(SetWindowExtEx(dc.get(), 50, 60, &old));
    EXPECT_EQ(old.cx, 1);
    EXPECT_FALSE(SetWindowExtEx(dc.get(), 0, 60, nullptr));
    GetWindowExtEx(dc.get(), &ext);
    EXPECT_EQ(ext.cx, 50);
    EXPECT_EQ(ext.cy, 60);

    // Going back to MM_TEXT resets both extents.
    EXPECT_EQ(SetMapMode(dc.get(), MM_TEXT), MM_ANISOTROPIC);
    GetWindowExtEx(dc.get(), &ext);
    EXPECT_EQ(ext.cx, 1);
    EXPECT_EQ(ext.cy, 1);
    EXPECT_EQ(SetMapMode(dc.get(), 0), 0);
    EXPECT_EQ(SetMapMode(dc.get(), 9), 0);
}

TEST(Mapping, ScaleWindowExtTruncatesAndNeverReachesZero)
{
    Display dc;
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    // The page resolutions the elements use, over the display's 96 dpi.
    struct Case {
        int resolution;
        LONG expected;
    };
    for (const Case c : {Case{2400, 25}, Case{300, 3}, Case{600, 6}, Case{720, 7}, Case{72, 1},
                         Case{1000, 10}}) {
        SetWindowExtEx(dc.get(), 1, 1, nullptr);
        SIZE old{};
        ASSERT_TRUE(ScaleWindowExtEx(dc.get(), c.resolution, 96, c.resolution, 96, &old));
        EXPECT_EQ(old.cx, 1);
        SIZE ext{};
        GetWindowExtEx(dc.get(), &ext);
        EXPECT_EQ(ext.cx, c.expected) << c.resolution;
        EXPECT_EQ(ext.cy, c.expected) << c.resolution;
    }
    SetWindowExtEx(dc.get(), -7, 7, nullptr);
    ScaleWindowExtEx(dc.get(), 1, 2, 1, 2, nullptr);
    SIZE ext{};
    GetWindowExtEx(dc.get(), &ext);
    EXPECT_EQ(ext.cx, -3);  // truncation toward zero, not floor
    EXPECT_EQ(ext.cy, 3);
    EXPECT_FALSE(ScaleWindowExtEx(dc.get(), 1, 0, 1, 1, nullptr));
    EXPECT_FALSE(ScaleWindowExtEx(dc.get(), 0, 1, 1, 1, nullptr));
    GetWindowExtEx(dc.get(), &ext);
    EXPECT_EQ(ext.cx, -3);

    // A scale that truncates to zero leaves one.
    SetViewportExtEx(dc.get(), 10, 10, nullptr);
    ASSERT_TRUE(ScaleViewportExtEx(dc.get(), 1, 20, 1, 11, nullptr));
    GetViewportExtEx(dc.get(), &ext);
    EXPECT_EQ(ext.cx, 1);
    EXPECT_EQ(ext.cy, 1);
}

TEST(Mapping, PointsRoundWithFloorOfHalfUp)
{
    Display dc;
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    SetWindowExtEx(dc.get(), 2, 2, nullptr);
    SetViewportExtEx(dc.get(), 1, 1, nullptr);
    // Halves: 3/2 = 1.5 -> 2, -3/2 = -1.5 -> -1, -5/2 = -2.5 -> -2, 5/2 -> 3.
    POINT p[4] = {{3, -3}, {-5, 5}, {1, -1}, {0, 2}};
    ASSERT_TRUE(LPtoDP(dc.get(), p, 4));
    EXPECT_EQ(p[0].x, 2);
    EXPECT_EQ(p[0].y, -1);
    EXPECT_EQ(p[1].x, -2);
    EXPECT_EQ(p[1].y, 3);
    EXPECT_EQ(p[2].x, 1);
    EXPECT_EQ(p[2].y, 0);
    EXPECT_EQ(p[3].y, 1);
}

TEST(Mapping, OriginsAndExtentsCombine)
{
    Display dc;
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    SetWindowOrgEx(dc.get(), 100, 200, nullptr);
    SetWindowExtEx(dc.get(), 1000, -500, nullptr);
    SetViewportOrgEx(dc.get(), 10, 20, nullptr);
    SetViewportExtEx(dc.get(), 300, 100, nullptr);
    // x: 10 + (x - 100) * 0.3; y: 20 + (y - 200) * -0.2.
    POINT p[2] = {{100, 200}, {1100, 700}};
    ASSERT_TRUE(LPtoDP(dc.get(), p, 2));
    EXPECT_EQ(p[0].x, 10);
    EXPECT_EQ(p[0].y, 20);
    EXPECT_EQ(p[1].x, 310);
    EXPECT_EQ(p[1].y, -80);
    ASSERT_TRUE(DPtoLP(dc.get(), p, 2));
    EXPECT_EQ(p[0].x, 100);
    EXPECT_EQ(p[0].y, 200);
    EXPECT_EQ(p[1].x, 1100);
    EXPECT_EQ(p[1].y, 700);
    POINT q{11, 20};  // 100 + 1 / 0.3 = 103.33
    DPtoLP(dc.get(), &q, 1);
    EXPECT_EQ(q.x, 103);
}

TEST(Mapping, NoteFontHeightThroughDeviceToLogical)
{
    // The measuring set-up: extents scaled by resolution / LOGPIXELSX, then a point size turned
    // into device pixels and back into logical units.
    Display dc;
    const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSX);
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    ScaleWindowExtEx(dc.get(), 2400, dpi, 2400, dpi, nullptr);
    POINT p[2] = {{0, MulDiv(GetDeviceCaps(dc.get(), LOGPIXELSY), 100, 720)}, {0, 0}};
    ASSERT_TRUE(DPtoLP(dc.get(), p, 2));
    EXPECT_EQ(p[0].y - p[1].y, 13 * 25);
}

TEST(Mapping, IsotropicKeepsUnitsSquare)
{
    Display dc;
    SetMapMode(dc.get(), MM_ISOTROPIC);
    SetWindowExtEx(dc.get(), 100, 100, nullptr);
    SetViewportExtEx(dc.get(), 400, 200, nullptr);
    SIZE ext{};
    GetViewportExtEx(dc.get(), &ext);
    EXPECT_EQ(ext.cx, 200);
    EXPECT_EQ(ext.cy, 200);
}

TEST(Mapping, RejectsBadHandlesAndPointers)
{
    EXPECT_EQ(GetMapMode(nullptr), 0);
    EXPECT_FALSE(LPtoDP(nullptr, nullptr, 0));
    int not_a_dc = 0;
    EXPECT_EQ(SetMapMode(reinterpret_cast<HDC>(&not_a_dc), MM_TEXT), 0);
    Display dc;
    EXPECT_FALSE(LPtoDP(dc.get(), nullptr, 2));
    EXPECT_FALSE(GetWindowExtEx(dc.get(), nullptr));
}

}  // namespace
