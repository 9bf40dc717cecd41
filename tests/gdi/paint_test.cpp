// Drawing on memory DCs, read back pixel by pixel.
#include <gtest/gtest.h>

#include <cstdio>

#include "gdi_fixtures.h"

namespace {

using namespace gdi_test;

TEST(Paint, FillRectExcludesRightAndBottom)
{
    Canvas c(20, 20);
    HBRUSH brush = CreateSolidBrush(red);
    RECT r{2, 3, 6, 8};
    EXPECT_TRUE(FillRect(c.dc(), &r, brush));
    expect_pixels(c.dc(), {{2, 3, red}, {5, 7, red}, {6, 7, white}, {5, 8, white}, {1, 3, white}});
    EXPECT_EQ(c.count(red, RECT{0, 0, 20, 20}), 4 * 5);
    // A reversed rectangle fills the same pixels.
    RECT reversed{16, 16, 12, 12};
    FillRect(c.dc(), &reversed, brush);
    EXPECT_EQ(c.count(red, RECT{10, 10, 20, 20}), 16);
    // System colour brushes.
    RECT small{0, 0, 1, 1};
    FillRect(c.dc(), &small, reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOWTEXT + 1)));
    EXPECT_EQ(c.at(0, 0), black);
    DeleteObject(brush);
}

TEST(Paint, RectangleOutlinesWithThePenAndFillsWithTheBrush)
{
    Canvas c(20, 20);
    HBRUSH brush = CreateSolidBrush(tint);
    HGDIOBJ old_brush = SelectObject(c.dc(), brush);
    EXPECT_TRUE(Rectangle(c.dc(), 2, 2, 10, 8));
    // The black stock pen on x = 2..9, y = 2..7; the tint inside.
    expect_pixels(c.dc(), {{2, 2, black}, {9, 7, black}, {10, 7, white}, {9, 8, white}, {3, 3, tint},
                           {8, 6, tint}});
    EXPECT_EQ(c.count(tint, RECT{0, 0, 20, 20}), 6 * 4);

    // With the null pen the fill covers one pixel less each way.
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    Rectangle(c.dc(), 12, 12, 16, 16);
    expect_pixels(c.dc(), {{12, 12, tint}, {14, 14, tint}, {15, 15, white}});
    EXPECT_EQ(c.count(tint, RECT{11, 11, 20, 20}), 9);
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    SelectObject(c.dc(), old_brush);
    DeleteObject(brush);
}

TEST(Paint, FrameRectAndLinesLeaveTheirLastPixel)
{
    Canvas c(20, 20);
    HBRUSH brush = CreateSolidBrush(red);
    RECT r{1, 1, 6, 6};
    FrameRect(c.dc(), &r, brush);
    EXPECT_EQ(c.count(red, RECT{0, 0, 20, 20}), 16);  // the 5 x 5 border
    EXPECT_EQ(c.at(3, 3), white);
    DeleteObject(brush);

    HPEN pen = CreatePen(PS_SOLID, 1, red);
    HGDIOBJ old = SelectObject(c.dc(), pen);
    POINT previous{};
    MoveToEx(c.dc(), 8, 10, nullptr);
    EXPECT_TRUE(LineTo(c.dc(), 15, 10));
    MoveToEx(c.dc(), 0, 0, &previous);
    EXPECT_EQ(previous.x, 15);  // LineTo moved the current position
    LineTo(c.dc(), 4, 4);
    expect_pixels(c.dc(), {{8, 10, red}, {14, 10, red}, {15, 10, white}, {0, 0, red}, {3, 3, red},
                           {4, 4, white}});
    SelectObject(c.dc(), old);
    DeleteObject(pen);
}

TEST(Paint, ClippingAndMappingApply)
{
    Canvas c(40, 40);
    HBRUSH brush = CreateSolidBrush(red);
    EXPECT_EQ(SaveDC(c.dc()), 1);
    IntersectClipRect(c.dc(), 5, 5, 10, 10);
    RECT all{0, 0, 40, 40};
    FillRect(c.dc(), &all, brush);
    EXPECT_EQ(c.count(red, all), 25);
    RestoreDC(c.dc(), 1);

    // Two logical units a pixel the other way: a 10 x 10 logical rectangle is 5 x 5 pixels.
    SetMapMode(c.dc(), MM_ANISOTROPIC);
    SetWindowExtEx(c.dc(), 2, 2, nullptr);
    SetViewportOrgEx(c.dc(), 20, 20, nullptr);
    RECT logical{0, 0, 10, 10};
    FillRect(c.dc(), &logical, brush);
    SetMapMode(c.dc(), MM_TEXT);
    SetViewportOrgEx(c.dc(), 0, 0, nullptr);
    EXPECT_EQ(c.count(red, RECT{20, 20, 40, 40}), 25);
    expect_pixels(c.dc(), {{24, 24, red}, {25, 25, white}});
    DeleteObject(brush);
}

TEST(Paint, TextLandsInItsCellWithTheTextColour)
{
    Canvas c(120, 40);
    HFONT font = CreateFontA(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(c.dc(), font);
    SetTextColor(c.dc(), black);
    SetBkMode(c.dc(), TRANSPARENT);
    EXPECT_TRUE(TextOutA(c.dc(), 10, 5, "HHHH", 4));
    const SIZE size = extent(c.dc(), "HHHH");
    int dark_inside = 0, dark_outside = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const bool inside = x >= 10 && x < 10 + size.cx && y >= 5 && y < 5 + size.cy;
            if (GetRValue(c.at(x, y)) < 128) (inside ? dark_inside : dark_outside)++;
        }
    }
    EXPECT_GT(dark_inside, 40);
    EXPECT_EQ(dark_outside, 0);

    // An opaque background fills the cell; ETO_OPAQUE fills the given rectangle.
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), red);
    TextOutA(c.dc(), 60, 5, " ", 1);
    EXPECT_EQ(c.at(61, 10), red);
    RECT box{0, 30, 10, 40};
    ExtTextOutA(c.dc(), 0, 30, ETO_OPAQUE, &box, "", 0, nullptr);
    EXPECT_EQ(c.count(red, box), 100);
    SelectObject(c.dc(), old);
    DeleteObject(font);
}

TEST(Paint, BitBltCopiesAndStretches)
{
    Canvas source(4, 4), target(16, 16);
    SetPixel(source.dc(), 0, 0, red);
    SetPixel(source.dc(), 3, 3, tint);
    EXPECT_TRUE(BitBlt(target.dc(), 2, 2, 4, 4, source.dc(), 0, 0, SRCCOPY));
    expect_pixels(target.dc(), {{2, 2, red}, {5, 5, tint}, {6, 6, white}});
    EXPECT_TRUE(StretchBlt(target.dc(), 8, 8, 8, 8, source.dc(), 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(target.count(red, RECT{8, 8, 16, 16}), 4);
    EXPECT_EQ(target.count(tint, RECT{8, 8, 16, 16}), 4);
    EXPECT_EQ(target.at(14, 14), tint);
    // A negative width mirrors.
    StretchBlt(target.dc(), 0, 8, 4, 4, source.dc(), 3, 0, -4, 4, SRCCOPY);
    EXPECT_EQ(target.at(3, 8), red);
    EXPECT_TRUE(BitBlt(target.dc(), 0, 0, 2, 2, nullptr, 0, 0, BLACKNESS));
    EXPECT_EQ(target.at(1, 1), black);
    EXPECT_FALSE(BitBlt(target.dc(), 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
}

TEST(Paint, MonochromeBitmapsAndPng)
{
    // A memory DC that still holds its stock bitmap makes monochrome bitmaps, at least 1 x 1.
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(memory, 8, 8);
    BITMAP bm{};
    GetObjectA(mono, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HBITMAP tiny = CreateCompatibleBitmap(memory, 0, 5);
    GetObjectA(tiny, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    DeleteObject(tiny);

    // Colour to monochrome: the source background colour becomes white, the rest black. And
    // back: black takes the text colour, white the background colour.
    Canvas colour(8, 8);
    SetPixel(colour.dc(), 1, 1, red);
    HGDIOBJ old = SelectObject(memory, mono);
    BitBlt(memory, 0, 0, 8, 8, colour.dc(), 0, 0, SRCCOPY);
    expect_pixels(memory, {{1, 1, black}, {2, 2, white}});
    SetTextColor(colour.dc(), tint);
    SetBkColor(colour.dc(), red);
    BitBlt(colour.dc(), 0, 0, 8, 8, memory, 0, 0, SRCCOPY);
    expect_pixels(colour.dc(), {{1, 1, tint}, {2, 2, red}});
    SelectObject(memory, old);
    DeleteObject(mono);
    DeleteDC(memory);

    const std::string path = testing::TempDir() + "zcnt_gdi_paint.png";
    ASSERT_TRUE(SaveBitmapPng(colour.bitmap(), path.c_str()));
    const auto png = read_file(path);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(png[2], 'N');
    EXPECT_FALSE(SaveBitmapPng(nullptr, path.c_str()));
    std::remove(path.c_str());
}

TEST(Paint, CreateBitmapReadsWindowsRows)
{
    // 3 x 2 at 24 bits: rows of 9 bytes padded to 10.
    const unsigned char bits[20] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0,
                                    255, 255, 255, 0, 0, 0, 1, 2, 3, 0};
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 24, bits);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    expect_pixels(dc, {{0, 0, red}, {1, 0, RGB(0, 255, 0)}, {2, 0, RGB(0, 0, 255)}, {0, 1, white},
                       {2, 1, RGB(3, 2, 1)}, {3, 0, CLR_INVALID}});
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    EXPECT_EQ(CreateBitmap(3, 2, 1, 16, bits), nullptr);
}

TEST(Paint, InformationContextDoesNotDraw)
{
    Display dc;
    RECT r{0, 0, 5, 5};
    EXPECT_FALSE(FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_FALSE(Rectangle(dc.get(), 0, 0, 5, 5));
    EXPECT_EQ(GetPixel(dc.get(), 0, 0), CLR_INVALID);
}

}  // namespace
