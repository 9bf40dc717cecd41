// MulDiv and the mapping modes: GDI's integer extents, its rounding of points in both
// directions, and which calls the mode ignores.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;
using gdi_test::sides;
using gdi_test::viewport_ext;
using gdi_test::window_ext;
using pair = std::vector<LONG>;

TEST(MulDiv, RoundsHalfAwayFromZeroInSixtyFourBits)
{
    const struct {
        int a, b, c, want;
    } cases[] = {
        {3, 1, 2, 2}, {-3, 1, 2, -2}, {3, -1, 2, -2}, {3, 1, -2, -2}, {-3, -1, -2, -2},  // halves
        {5, 1, 4, 1}, {7, 1, 4, 2}, {-7, 1, 4, -2}, {1, 1, 3, 0},
        // The millimetre insets of the note at 2400 dpi: 2 mm (188.976) and 1 mm (94.488).
        {2, 24000, 254, 189}, {1, 24000, 254, 94},
        // Font size in tenths of a point to display pixels at 96 dpi: 13.33, 14.0, exactly 10.
        {96, 100, 720, 13}, {96, 105, 720, 14}, {96, 75, 720, 10},
        // The product is computed in 64 bits; overflow and -2^31 give -1, as division by zero.
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {1 << 20, 1 << 20, 1 << 12, 1 << 28},
        {INT_MAX, 2, 3, 1431655765}, {1, 1, 0, -1}, {INT_MAX, 2, 1, -1}, {INT_MIN, 1, 1, -1},
        {-INT_MAX, 1, 1, -INT_MAX}, {INT_MIN, -1, 1, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.want) << c.a << " * " << c.b << " / " << c.c;
}

TEST(Mapping, ExtentsAreIgnoredOutsideTheScalableModes)
{
    Display dc;
    ASSERT_NE(dc.get(), nullptr);
    // A new context is in text mode with unit extents at 96 dpi.
    EXPECT_EQ(GetMapMode(dc.get()), MM_TEXT);
    SIZE ext{};
    ASSERT_TRUE(GetViewportExtEx(dc.get(), &ext));
    EXPECT_EQ(sides(ext), (pair{1, 1}));
    EXPECT_EQ((pair{GetDeviceCaps(dc.get(), LOGPIXELSX), GetDeviceCaps(dc.get(), LOGPIXELSY)}), (pair{96, 96}));
    SIZE old{};
    EXPECT_TRUE(SetWindowExtEx(dc.get(), 50, 60, &old));
    EXPECT_TRUE(ScaleWindowExtEx(dc.get(), 300, 96, 300, 96, nullptr));
    ASSERT_TRUE(GetWindowExtEx(dc.get(), &ext));
    EXPECT_EQ(sides(ext), (pair{1, 1}));

    // Anisotropic mode keeps the extents it finds.
    EXPECT_EQ(SetMapMode(dc.get(), MM_ANISOTROPIC), MM_TEXT);
    EXPECT_EQ(window_ext(dc.get()).cx, 1);
    EXPECT_TRUE(SetWindowExtEx(dc.get(), 50, 60, &old));
    EXPECT_EQ(old.cx, 1);
    EXPECT_FALSE(SetWindowExtEx(dc.get(), 0, 60, nullptr));
    EXPECT_EQ(sides(window_ext(dc.get())), (pair{50, 60}));

    // Going back to MM_TEXT resets both extents.
    EXPECT_EQ(SetMapMode(dc.get(), MM_TEXT), MM_ANISOTROPIC);
    EXPECT_EQ(sides(window_ext(dc.get())), (pair{1, 1}));
    EXPECT_EQ(SetMapMode(dc.get(), 0), 0);
    EXPECT_EQ(SetMapMode(dc.get(), 9), 0);
}

TEST(Mapping, ScaleWindowExtTruncatesAndNeverReachesZero)
{
    Display dc;
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    // The page resolutions the elements use, over the display's 96 dpi.
    for (const auto& [resolution, want] :
         {std::pair{2400, 25}, {300, 3}, {600, 6}, {720, 7}, {72, 1}, {1000, 10}}) {
        SetWindowExtEx(dc.get(), 1, 1, nullptr);
        SIZE old{};
        ASSERT_TRUE(ScaleWindowExtEx(dc.get(), resolution, 96, resolution, 96, &old));
        EXPECT_EQ(old.cx, 1);
        EXPECT_EQ(sides(window_ext(dc.get())), (pair{want, want})) << resolution;
    }
    SetWindowExtEx(dc.get(), -7, 7, nullptr);
    ScaleWindowExtEx(dc.get(), 1, 2, 1, 2, nullptr);
    EXPECT_EQ(sides(window_ext(dc.get())), (pair{-3, 3}));  // truncation toward zero, not floor
    EXPECT_FALSE(ScaleWindowExtEx(dc.get(), 1, 0, 1, 1, nullptr));
    EXPECT_FALSE(ScaleWindowExtEx(dc.get(), 0, 1, 1, 1, nullptr));
    EXPECT_EQ(window_ext(dc.get()).cx, -3);

    // A scale that truncates to zero leaves one.
    SetViewportExtEx(dc.get(), 10, 10, nullptr);
    ASSERT_TRUE(ScaleViewportExtEx(dc.get(), 1, 20, 1, 11, nullptr));
    EXPECT_EQ(sides(viewport_ext(dc.get())), (pair{1, 1}));
}

TEST(Mapping, PointsRoundWithFloorOfHalfUpAndOriginsCombine)
{
    Display dc;
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    SetWindowExtEx(dc.get(), 2, 2, nullptr);
    SetViewportExtEx(dc.get(), 1, 1, nullptr);
    // Halves: 3/2 = 1.5 -> 2, -3/2 = -1.5 -> -1, -5/2 = -2.5 -> -2, 5/2 -> 3.
    POINT p[4] = {{3, -3}, {-5, 5}, {1, -1}, {0, 2}};
    ASSERT_TRUE(LPtoDP(dc.get(), p, 4));
    EXPECT_EQ((std::vector<LONG>{p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].y}),
              (std::vector<LONG>{2, -1, -2, 3, 1, 0, 1}));

    SetWindowOrgEx(dc.get(), 100, 200, nullptr);
    SetWindowExtEx(dc.get(), 1000, -500, nullptr);
    SetViewportOrgEx(dc.get(), 10, 20, nullptr);
    SetViewportExtEx(dc.get(), 300, 100, nullptr);
    // x: 10 + (x - 100) * 0.3; y: 20 + (y - 200) * -0.2.
    POINT q[2] = {{100, 200}, {1100, 700}};
    ASSERT_TRUE(LPtoDP(dc.get(), q, 2));
    EXPECT_EQ((std::vector<LONG>{q[0].x, q[0].y, q[1].x, q[1].y}), (std::vector<LONG>{10, 20, 310, -80}));
    ASSERT_TRUE(DPtoLP(dc.get(), q, 2));
    EXPECT_EQ((std::vector<LONG>{q[0].x, q[0].y, q[1].x, q[1].y}), (std::vector<LONG>{100, 200, 1100, 700}));
    POINT r{11, 20};  // 100 + 1 / 0.3 = 103.33
    DPtoLP(dc.get(), &r, 1);
    EXPECT_EQ(r.x, 103);
}

TEST(Mapping, IsotropicKeepsUnitsSquareAndBadHandlesAreRefused)
{
    Display dc;
    SetMapMode(dc.get(), MM_ISOTROPIC);
    SetWindowExtEx(dc.get(), 100, 100, nullptr);
    SetViewportExtEx(dc.get(), 400, 200, nullptr);
    EXPECT_EQ(sides(viewport_ext(dc.get())), (pair{200, 200}));

    EXPECT_EQ(GetMapMode(nullptr), 0);
    EXPECT_FALSE(LPtoDP(nullptr, nullptr, 0));
    int not_a_dc = 0;
    EXPECT_EQ(SetMapMode(reinterpret_cast<HDC>(&not_a_dc), MM_TEXT), 0);
    EXPECT_FALSE(LPtoDP(dc.get(), nullptr, 2));
    EXPECT_FALSE(GetWindowExtEx(dc.get(), nullptr));
}

}  // namespace
