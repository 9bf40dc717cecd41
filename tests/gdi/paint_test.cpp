// Drawing on memory DCs, read back pixel by pixel.
#include <gtest/gtest.h>

#include <cstdio>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF tint = 0xFAE7E7;  // the form fields' box colour

// A memory DC holding a fresh 32-bit bitmap filled white.
class Canvas {
public:
    Canvas(int width, int height)
    {
        Display screen;
        bitmap_ = CreateCompatibleBitmap(screen.get(), width, height);
        dc_ = CreateCompatibleDC(screen.get());
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

    int count(COLORREF color, RECT area) const
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) n += at(x, y) == color ? 1 : 0;
        }
        return n;
    }

private:
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

TEST(Paint, FillRectExcludesRightAndBottom)
{
    Canvas c(20, 20);
    HBRUSH brush = CreateSolidBrush(red);
    RECT r{2, 3, 6, 8};
    EXPECT_TRUE(FillRect(c.dc(), &r, brush));
    EXPECT_EQ(c.at(2, 3), red);
    EXPECT_EQ(c.at(5, 7), red);
    EXPECT_EQ(c.at(6, 7), white);
    EXPECT_EQ(c.at(5, 8), white);
    EXPECT_EQ(c.at(1, 3), white);
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
    EXPECT_EQ(c.at(2, 2), black);
    EXPECT_EQ(c.at(9, 7), black);
    EXPECT_EQ(c.at(10, 7), white);
    EXPECT_EQ(c.at(9, 8), white);
    EXPECT_EQ(c.at(3, 3), tint);
    EXPECT_EQ(c.at(8, 6), tint);
    EXPECT_EQ(c.count(tint, RECT{0, 0, 20, 20}), 6 * 4);

    // With the null pen the fill covers one pixel less each way.
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    Rectangle(c.dc(), 12, 12, 16, 16);
    EXPECT_EQ(c.at(12, 12), tint);
    EXPECT_EQ(c.at(14, 14), tint);
    EXPECT_EQ(c.at(15, 15), white);
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
    EXPECT_EQ(c.at(8, 10), red);
    EXPECT_EQ(c.at(14, 10), red);
    EXPECT_EQ(c.at(15, 10), white);
    MoveToEx(c.dc(), 0, 0, &previous);
    EXPECT_EQ(previous.x, 15);  // LineTo moved the current position
    LineTo(c.dc(), 4, 4);
    EXPECT_EQ(c.at(0, 0), red);
    EXPECT_EQ(c.at(3, 3), red);
    EXPECT_EQ(c.at(4, 4), white);
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
    EXPECT_EQ(c.at(24, 24), red);
    EXPECT_EQ(c.at(25, 25), white);
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
    SIZE size{};
    GetTextExtentPoint32A(c.dc(), "HHHH", 4, &size);
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
    Canvas source(4, 4);
    Canvas target(16, 16);
    SetPixel(source.dc(), 0, 0, red);
    SetPixel(source.dc(), 3, 3, tint);
    EXPECT_TRUE(BitBlt(target.dc(), 2, 2, 4, 4, source.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(target.at(2, 2), red);
    EXPECT_EQ(target.at(5, 5), tint);
    EXPECT_EQ(target.at(6, 6), white);
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
    // A memory DC that still holds its stock bitmap makes monochrome bitmaps.
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

    // Colour to monochrome: the source background colour becomes white, the rest black.
    Canvas colour(8, 8);
    SetPixel(colour.dc(), 1, 1, red);
    HGDIOBJ old = SelectObject(memory, mono);
    BitBlt(memory, 0, 0, 8, 8, colour.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(memory, 1, 1), black);
    EXPECT_EQ(GetPixel(memory, 2, 2), white);
    // And back: black takes the text colour, white the background colour.
    SetTextColor(colour.dc(), tint);
    SetBkColor(colour.dc(), red);
    BitBlt(colour.dc(), 0, 0, 8, 8, memory, 0, 0, SRCCOPY);
    EXPECT_EQ(colour.at(1, 1), tint);
    EXPECT_EQ(colour.at(2, 2), red);
    SelectObject(memory, old);
    DeleteObject(mono);
    DeleteDC(memory);

    const std::string path = testing::TempDir() + "zcnt_gdi_paint.png";
    ASSERT_TRUE(SaveBitmapPng(colour.bitmap(), path.c_str()));
    const auto png = gdi_test::read_file(path);
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
    EXPECT_EQ(GetPixel(dc, 0, 0), red);
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 0, 1), white);
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(3, 2, 1));
    EXPECT_EQ(GetPixel(dc, 3, 0), CLR_INVALID);
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
