// Image lists with colour-key masks drawn onto memory DCs.
#include <gtest/gtest.h>

#include "gdi_fixtures.h"
#include "platform/gdi/commctrl.h"

namespace {

using namespace gdi_test;

constexpr COLORREF magenta = RGB(255, 0, 255);
constexpr COLORREF green = RGB(0, 160, 0);

// Two 4 x 4 icons side by side: a green dot at (1, 1) on magenta, then all green.
HBITMAP make_strip(HDC dc)
{
    HBITMAP strip = CreateCompatibleBitmap(dc, 8, 4);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, strip);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) SetPixel(memory, x, y, x >= 4 || (x == 1 && y == 1) ? green : magenta);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    return strip;
}

COLORREF pixel_of(HBITMAP bitmap, int x, int y)
{
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const COLORREF c = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteDC(memory);
    return c;
}

TEST(ImageList, AddMaskedDrawsOnlyTheOpaquePixels)
{
    Display screen;
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR24 | ILC_MASK, 0, 2);
    ASSERT_NE(list, nullptr);
    HBITMAP strip = make_strip(screen.get());
    EXPECT_EQ(ImageList_AddMasked(list, strip, magenta), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    // The caller's bitmap has its key pixels turned black.
    EXPECT_EQ(pixel_of(strip, 0, 0), black);
    EXPECT_EQ(pixel_of(strip, 1, 1), green);
    EXPECT_EQ(ImageList_AddMasked(list, strip, CLR_DEFAULT), 2);  // key now black, from (0, 0)

    Canvas target(10, 10);
    const HDC dc = target.dc();
    HBRUSH brush = CreateSolidBrush(tint);
    RECT all{0, 0, 10, 10};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    // A fresh list has no background colour, so even ILD_NORMAL is transparent.
    for (UINT style : {ILD_TRANSPARENT, ILD_NORMAL}) {
        EXPECT_TRUE(ImageList_Draw(list, 0, dc, 2, 2, style));
        expect_pixels(dc, {{3, 3, green}, {2, 2, tint}, {5, 5, tint}});
    }
    ImageList_Draw(list, 1, dc, 6, 6, ILD_TRANSPARENT);
    expect_pixels(dc, {{6, 6, green}, {9, 9, green}});

    // With a background colour, a normal draw fills the masked pixels with it.
    EXPECT_EQ(ImageList_SetBkColor(list, RGB(0, 0, 255)), CLR_NONE);
    ImageList_Draw(list, 0, dc, 2, 2, ILD_NORMAL);
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 255));
    ImageList_Draw(list, 0, dc, 2, 2, ILD_MASK);
    expect_pixels(dc, {{2, 2, white}, {3, 3, black}});

    EXPECT_FALSE(ImageList_Draw(list, 4, dc, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(list, -1, dc, 0, 0, ILD_NORMAL));
    DeleteObject(strip);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
}

TEST(ImageList, AddWithMaskBitmapAndSizes)
{
    Display screen;
    EXPECT_EQ(ImageList_Create(0, 16, ILC_MASK, 0, 2), nullptr);
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR24 | ILC_MASK, 1, 1);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 4);
    HBITMAP image = make_strip(screen.get());
    // A monochrome mask, white (transparent) in the left column only.
    const unsigned char mask_bits[8] = {0x80, 0, 0x80, 0, 0x80, 0, 0x80, 0};
    HBITMAP mask = CreateBitmap(8, 4, 1, 1, mask_bits);
    EXPECT_EQ(ImageList_Add(list, image, mask), 0);
    Canvas target(4, 4);
    ImageList_Draw(list, 0, target.dc(), 0, 0, ILD_TRANSPARENT);
    // Masked, then no colour key with a mask bitmap.
    expect_pixels(target.dc(), {{0, 0, white}, {2, 0, magenta}});
    EXPECT_EQ(ImageList_Add(list, nullptr, nullptr), -1);
    DeleteObject(mask);
    DeleteObject(image);
    ImageList_Destroy(list);
}

}  // namespace
