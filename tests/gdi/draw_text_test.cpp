// DrawTextA's line breaking and DT_CALCRECT, with Arial at 16 pixels: "Hello" is 38 wide, a
// space 4, "&" 11, and a line 17 high (18 with the external leading).
#include <gtest/gtest.h>

#include <string>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;
using gdi_test::Selected;
using gdi_test::sides;

class DrawTextCalc : public testing::Test {
protected:
    // The DT_CALCRECT rectangle of a box at (10, 20) `width` wide, which must equal the
    // returned height's.
    std::vector<LONG> calc(const std::string& text, LONG width, UINT format)
    {
        RECT rect{10, 20, 10 + width, 1000};
        const int height = DrawTextA(dc(), text.c_str(), static_cast<int>(text.size()), &rect,
                                     format | DT_CALCRECT);
        EXPECT_EQ(height, rect.bottom - rect.top) << text;
        return sides(rect);
    }
    HDC dc() const { return dc_.get(); }

    Display dc_;
    Selected font_{dc_.get(), -16, "Arial"};
};

TEST_F(DrawTextCalc, LinesBreakAsWindowsBreaksThem)
{
    const std::string three = "Hello Hello Hello";
    const struct {
        std::string text;
        LONG width;
        UINT format;
        LONG right, bottom;  // from the box's left and top
    } cases[] = {
        // "Hello Hello H" fits in 100 (96), "Hello Hello He" does not: the break goes back to
        // the space, and a left-aligned line keeps it: "Hello Hello " is 84 wide. Centred and
        // right-aligned lines drop that space; the rectangle is not centred.
        {three, 100, DT_WORDBREAK, 84, 2 * 17},
        {three, 100, DT_WORDBREAK | DT_CENTER, 80, 2 * 17},
        {three, 100, DT_WORDBREAK | DT_RIGHT, 80, 2 * 17},
        // A word ending exactly at the edge swallows the next space; one pixel less and only
        // one word, "Hello " with its space, fits a line.
        {three, 80, DT_WORDBREAK, 80, 2 * 17},
        {three, 79, DT_WORDBREAK, 42, 3 * 17},
        // A word longer than the line breaks inside: H 12 + e 9 + l 4 + l 4 = 29 fits in 30;
        // then o (9) three at a time: Hell|ooo|ooo|o. Narrower than any character: one a line.
        {"Hellooooooo", 30, DT_WORDBREAK, 29, 4 * 17},
        {"Hello", 5, DT_WORDBREAK, 12, 5 * 17},
        {three, 30, 0, 122, 17},  // without DT_WORDBREAK nothing wraps
        // Line break characters split; word breaking applies to each paragraph.
        {"Hello\r\nHello\nHello\rHello", 500, 0, 38, 4 * 17},
        {"Hello\n\nHello", 500, 0, 38, 3 * 17},
        {"Hello\n", 500, 0, 38, 17},
        {"Hello Hello\nHello", 50, DT_WORDBREAK, 42, 3 * 17},
        // Prefixes hide their '&' unless DT_NOPREFIX; "&&" shows one.
        {"&Hello", 500, 0, 38, 17},
        {"&Hello", 500, DT_NOPREFIX, 49, 17},
        {"&&Hello", 500, 0, 49, 17},
        {"Hello\nHello", 500, DT_EXTERNALLEADING, 38, 2 * 18},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calc(c.text, c.width, c.format), (std::vector<LONG>{10, 20, 10 + c.right, 20 + c.bottom}))
            << c.text << " in " << c.width << ", format " << c.format;

    // A single line keeps the break characters in its extent.
    SIZE expected{};
    GetTextExtentPoint32A(dc(), "Hello\nHello", 11, &expected);
    EXPECT_EQ(calc("Hello\nHello", 500, DT_SINGLELINE), (std::vector<LONG>{10, 20, 10 + expected.cx, 20 + 17}));
    // A count of -1 means the text ends at its terminator.
    RECT rect{0, 0, 500, 500};
    EXPECT_EQ(DrawTextA(dc(), "Hello", -1, &rect, DT_CALCRECT), 17);
    EXPECT_EQ(rect.right, 38);
}

TEST_F(DrawTextCalc, EmptyTextGivesAnEmptyRectangleAndMissingArgumentsNothing)
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
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(DrawTextA(nullptr, "x", 1, &rect, DT_CALCRECT), 0) << "no context";
    EXPECT_EQ(DrawTextA(dc(), "x", 1, nullptr, DT_CALCRECT), 0) << "no rectangle";
}

TEST_F(DrawTextCalc, MeasuresInLogicalUnits)
{
    SetMapMode(dc(), MM_ANISOTROPIC);
    SetWindowExtEx(dc(), 25, 25, nullptr);
    // The selected -16 font is now -16/25 logical units: re-select one of -400.
    Selected big(dc(), -400, "Arial");
    EXPECT_EQ(calc("Hello Hello Hello", 100 * 25, DT_WORDBREAK),
              (std::vector<LONG>{10, 20, 10 + 84 * 25, 20 + 2 * 17 * 25}));
}

}  // namespace
