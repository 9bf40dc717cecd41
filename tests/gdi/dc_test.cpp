// Device context life cycle: creation, saved states, selection and deletion of objects, clip
// rectangles.
#include <gtest/gtest.h>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;

TEST(DeviceContext, OnlyTheDisplayDriverExists)
{
    EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateDCA(nullptr, nullptr, nullptr, nullptr), nullptr);
    HDC dc = CreateDCA("display", nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), OBJ_DC);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1920);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 0);

    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0);

    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetObjectType(memory), OBJ_MEMDC);
    EXPECT_EQ(ReleaseDC(nullptr, memory), 0);  // not a screen DC
    EXPECT_TRUE(DeleteDC(memory));
}

TEST(DeviceContext, NewContextDefaults)
{
    Display dc;
    EXPECT_EQ(GetBkMode(dc.get()), OPAQUE);
    EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc.get()), RGB(255, 255, 255));
    EXPECT_EQ(GetTextAlign(dc.get()), TA_LEFT | TA_TOP | TA_NOUPDATECP);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), GetStockObject(SYSTEM_FONT));
    // Setters return the previous value.
    EXPECT_EQ(SetBkMode(dc.get(), TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc.get(), 7), 0);
    EXPECT_EQ(GetBkMode(dc.get()), TRANSPARENT);
    EXPECT_EQ(SetTextColor(dc.get(), RGB(1, 2, 3)), RGB(0, 0, 0));
    EXPECT_EQ(SetTextAlign(dc.get(), TA_BASELINE | TA_CENTER), TA_LEFT);
    EXPECT_EQ(SetTextColor(nullptr, 0), CLR_INVALID);
}

TEST(DeviceContext, SaveAndRestoreLevels)
{
    Display dc;
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    SetWindowExtEx(dc.get(), 10, 10, nullptr);
    EXPECT_EQ(SaveDC(dc.get()), 1);
    SetWindowExtEx(dc.get(), 20, 20, nullptr);
    SetTextColor(dc.get(), RGB(255, 0, 0));
    EXPECT_EQ(SaveDC(dc.get()), 2);
    SetMapMode(dc.get(), MM_TEXT);
    EXPECT_EQ(SaveDC(dc.get()), 3);

    for (int bad : {0, 4, -4}) EXPECT_FALSE(RestoreDC(dc.get(), bad)) << bad;
    EXPECT_EQ(GetMapMode(dc.get()), MM_TEXT);  // nothing changed by the failures

    ASSERT_TRUE(RestoreDC(dc.get(), -2));  // relative: back to level 2's state
    EXPECT_EQ(GetMapMode(dc.get()), MM_ANISOTROPIC);
    EXPECT_EQ(gdi_test::window_ext(dc.get()).cx, 20);
    EXPECT_EQ(GetTextColor(dc.get()), RGB(255, 0, 0));
    EXPECT_EQ(SaveDC(dc.get()), 2);  // level 1 remains; the next save is 2 again

    ASSERT_TRUE(RestoreDC(dc.get(), 1));  // absolute
    EXPECT_EQ(gdi_test::window_ext(dc.get()).cx, 10);
    EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 0));
    EXPECT_FALSE(RestoreDC(dc.get(), -1));
}

TEST(DeviceContext, ObjectsDeletedWhileSelectedLiveUntilReleased)
{
    Display dc;
    HFONT font = CreateFontA(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc.get(), font);
    EXPECT_EQ(old, GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SaveDC(dc.get()), 1);
    EXPECT_TRUE(DeleteObject(font));
    // Still selected: measuring keeps working.
    EXPECT_EQ(gdi_test::metrics(dc.get()).tmHeight, 17);
    EXPECT_EQ(SelectObject(dc.get(), old), font);
    // The saved state still holds it.
    EXPECT_EQ(GetObjectType(font), OBJ_FONT);
    ASSERT_TRUE(RestoreDC(dc.get(), 1));
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font);
    EXPECT_EQ(gdi_test::metrics(dc.get()).tmHeight, 17);
    SelectObject(dc.get(), old);
    EXPECT_EQ(GetObjectType(font), 0u);  // freed with its last selection

    // Stock objects survive DeleteObject; DCs are not objects for it.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN);
    EXPECT_FALSE(DeleteObject(dc.get()));
    EXPECT_EQ(GetStockObject(9), nullptr);
}

TEST(DeviceContext, BitmapsLiveInOneMemoryContextAtATime)
{
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    Display info;
    HBITMAP bitmap = CreateCompatibleBitmap(info.get(), 4, 4);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_NE(SelectObject(a, bitmap), nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    EXPECT_EQ(SelectObject(info.get(), bitmap), nullptr);  // an information context draws nowhere
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    DeleteDC(a);
    EXPECT_NE(SelectObject(b, bitmap), nullptr);
    DeleteDC(b);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(DeviceContext, ClipRectanglesIntersectInLogicalUnits)
{
    Display dc;
    RECT box{};
    EXPECT_EQ(GetClipBox(dc.get(), &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 1920);
    EXPECT_EQ(IntersectClipRect(dc.get(), 10, 10, 100, 50), SIMPLEREGION);
    EXPECT_EQ(IntersectClipRect(dc.get(), 50, 0, 200, 200), SIMPLEREGION);
    GetClipBox(dc.get(), &box);
    EXPECT_EQ(gdi_test::sides(box), (std::vector<LONG>{50, 10, 100, 50}));
    EXPECT_EQ(SaveDC(dc.get()), 1);
    EXPECT_EQ(IntersectClipRect(dc.get(), 0, 0, 20, 20), NULLREGION);
    RestoreDC(dc.get(), 1);
    EXPECT_EQ(GetClipBox(dc.get(), &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 50);

    SetMapMode(dc.get(), MM_ANISOTROPIC);
    SetWindowExtEx(dc.get(), 10, 10, nullptr);
    GetClipBox(dc.get(), &box);
    EXPECT_EQ(box.left, 500);
    EXPECT_EQ(IntersectClipRect(nullptr, 0, 0, 1, 1), ERROR);
}

}  // namespace
