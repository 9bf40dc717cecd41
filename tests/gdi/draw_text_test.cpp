// DrawTextA's line breaking and DT_CALCRECT, with Arial at 16 pixels: "Hello" is 38 wide, a
// space 4, "&" 11, and a line 17 high (18 with the external leading).
#include <gtest/gtest.h>

#include <string>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;
using gdi_test::Selected;

struct Measured {
    RECT rect;
    int height;
};

Measured calc(HDC dc, const std::string& text, LONG width, UINT format)
{
    RECT rect{10, 20, 10 + width, 1000};
    const int height = DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                                 format | DT_CALCRECT);
    return Measured{rect, height};
}

class DrawTextCalc : public testing::Test {
protected:
    Display dc_;
    Selected font_{dc_.get(), -16, "Arial"};
    HDC dc() const { return dc_.get(); }
};

TEST_F(DrawTextCalc, BreaksAfterTheLastSpaceThatFits)
{
    // "Hello Hello H" fits in 100 (96), "Hello Hello He" does not: the break goes back to the
    // space, and a left-aligned line keeps it: "Hello Hello " is 84 wide.
    const Measured m = calc(dc(), "Hello Hello Hello", 100, DT_WORDBREAK);
    EXPECT_EQ(m.rect.left, 10);
    EXPECT_EQ(m.rect.top, 20);
    EXPECT_EQ(m.rect.right, 10 + 84);
    EXPECT_EQ(m.rect.bottom, 20 + 2 * 17);
    EXPECT_EQ(m.height, 34);

    // Centred and right-aligned lines drop that space; the rectangle is not centred.
    for (UINT align : {DT_CENTER, DT_RIGHT}) {
        const Measured c = calc(dc(), "Hello Hello Hello", 100, DT_WORDBREAK | align);
        EXPECT_EQ(c.rect.left, 10);
        EXPECT_EQ(c.rect.right, 10 + 80);
        EXPECT_EQ(c.rect.bottom, 20 + 34);
    }
}

TEST_F(DrawTextCalc, WordEndingExactlyAtTheEdgeSwallowsTheNextSpace)
{
    const Measured m = calc(dc(), "Hello Hello Hello", 80, DT_WORDBREAK);
    EXPECT_EQ(m.rect.right, 10 + 80);
    EXPECT_EQ(m.rect.bottom, 20 + 34);
    // One pixel less and only one word fits a line.
    const Measured n = calc(dc(), "Hello Hello Hello", 79, DT_WORDBREAK);
    EXPECT_EQ(n.rect.bottom, 20 + 3 * 17);
    EXPECT_EQ(n.rect.right, 10 + 42);  // "Hello " with its space
}

TEST_F(DrawTextCalc, WordLongerThanTheLineBreaksInside)
{
    // H 12 + e 9 + l 4 + l 4 = 29 fits in 30; then o (9) three at a time: Hell|ooo|ooo|o.
    const Measured m = calc(dc(), "Hellooooooo", 30, DT_WORDBREAK);
    EXPECT_EQ(m.rect.right, 10 + 29);
    EXPECT_EQ(m.rect.bottom, 20 + 4 * 17);
    // Narrower than any character: one character a line.
    const Measured n = calc(dc(), "Hello", 5, DT_WORDBREAK);
    EXPECT_EQ(n.rect.bottom, 20 + 5 * 17);
    EXPECT_EQ(n.rect.right, 10 + 12);
    // Without DT_WORDBREAK nothing wraps.
    const Measured o = calc(dc(), "Hello Hello Hello", 30, 0);
    EXPECT_EQ(o.rect.right, 10 + 122);
    EXPECT_EQ(o.rect.bottom, 20 + 17);
}

TEST_F(DrawTextCalc, LineBreakCharactersSplitUnlessSingleLine)
{
    EXPECT_EQ(calc(dc(), "Hello\r\nHello\nHello\rHello", 500, 0).rect.bottom, 20 + 4 * 17);
    EXPECT_EQ(calc(dc(), "Hello\n\nHello", 500, 0).rect.bottom, 20 + 3 * 17);
    EXPECT_EQ(calc(dc(), "Hello\n", 500, 0).rect.bottom, 20 + 17);
    const Measured single = calc(dc(), "Hello\nHello", 500, DT_SINGLELINE);
    EXPECT_EQ(single.rect.bottom, 20 + 17);
    SIZE expected{};
    GetTextExtentPoint32A(dc(), "Hello\nHello", 11, &expected);
    EXPECT_EQ(single.rect.right, 10 + expected.cx);
    // Word breaking applies to each paragraph.
    EXPECT_EQ(calc(dc(), "Hello Hello\nHello", 50, DT_WORDBREAK).rect.bottom, 20 + 3 * 17);
}

TEST_F(DrawTextCalc, EmptyTextGivesAnEmptyRectangle)
{
    for (UINT format : {0u, DT_WORDBREAK, DT_SINGLELINE, DT_CENTER}) {
        RECT rect{10, 20, 110, 220};
        EXPECT_EQ(DrawTextA(dc(), "", -1, &rect, format | DT_CALCRECT), 0);
        EXPECT_EQ(rect.right, 10);
        EXPECT_EQ(rect.bottom, 20);
        RECT counted{10, 20, 110, 220};
        EXPECT_EQ(DrawTextA(dc(), "Hello", 0, &counted, format | DT_CALCRECT), 0);
        EXPECT_EQ(counted.right, 10);
    }
}

TEST_F(DrawTextCalc, PrefixesAndExternalLeading)
{
    EXPECT_EQ(calc(dc(), "&Hello", 500, 0).rect.right, 10 + 38);
    EXPECT_EQ(calc(dc(), "&Hello", 500, DT_NOPREFIX).rect.right, 10 + 49);
    EXPECT_EQ(calc(dc(), "&&Hello", 500, 0).rect.right, 10 + 49);
    const Measured m = calc(dc(), "Hello\nHello", 500, DT_EXTERNALLEADING);
    EXPECT_EQ(m.rect.bottom, 20 + 2 * 18);
    // A count of -1 means the text ends at its terminator.
    RECT rect{0, 0, 500, 500};
    EXPECT_EQ(DrawTextA(dc(), "Hello", -1, &rect, DT_CALCRECT), 17);
    EXPECT_EQ(rect.right, 38);
}

TEST_F(DrawTextCalc, MeasuresInLogicalUnits)
{
    SetMapMode(dc(), MM_ANISOTROPIC);
    SetWindowExtEx(dc(), 25, 25, nullptr);
    // The selected -16 font is now -16/25 logical units: re-select one of -400.
    Selected big(dc(), -400, "Arial");
    const Measured m = calc(dc(), "Hello Hello Hello", 100 * 25, DT_WORDBREAK);
    EXPECT_EQ(m.rect.right, 10 + 84 * 25);
    EXPECT_EQ(m.rect.bottom, 20 + 2 * 17 * 25);
}

TEST(DrawText, RejectsMissingArguments)
{
    Display dc;
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(DrawTextA(nullptr, "x", 1, &rect, DT_CALCRECT), 0);
    EXPECT_EQ(DrawTextA(dc.get(), "x", 1, nullptr, DT_CALCRECT), 0);
}

}  // namespace
