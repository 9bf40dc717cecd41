// Text metrics and extents of the metric-compatible faces, checked against values worked out
// by hand from the font tables. Liberation Sans Regular: unitsPerEm 2048, usWinAscent 1854,
// usWinDescent 434, hhea ascender 1854, descender -434, lineGap 67, xAvgCharWidth 1208, head
// xMin -416, xMax 2151; advances H 1479, e 1139, l 455, o 1139, space 569, & 1366.
//
// At em size p the scale is MulDiv(p, 65536, 2048) and a value v becomes v * scale / 65536
// rounded half away from zero; at 16 pixels that is v / 128.
#include <gtest/gtest.h>

#include <climits>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;
using gdi_test::Selected;
using gdi_test::extent;
using gdi_test::metrics;

TEST(TextMetrics, ArialAtSixteenPixelsFollowsTheTables)
{
    Display dc;
    Selected font(dc.get(), -16, "Arial");
    const TEXTMETRICA tm = metrics(dc.get());
    EXPECT_EQ(tm.tmAscent, 14);           // 1854 / 128 = 14.48
    EXPECT_EQ(tm.tmDescent, 3);           // 434 / 128 = 3.39
    EXPECT_EQ(tm.tmHeight, 17);           // the two rounded values added
    EXPECT_EQ(tm.tmInternalLeading, 2);   // (1854 + 434 - 2048) / 128 = 1.875
    EXPECT_EQ(tm.tmExternalLeading, 1);   // 67 / 128 = 0.52
    EXPECT_EQ(tm.tmAveCharWidth, 9);      // 1208 / 128 = 9.44
    EXPECT_EQ(tm.tmMaxCharWidth, 20);     // (2151 + 416) / 128 = 20.05
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    EXPECT_EQ(tm.tmItalic, 0);
    EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
    EXPECT_EQ(tm.tmDigitizedAspectX, 96);
    EXPECT_EQ(tm.tmPitchAndFamily, FF_SWISS | TMPF_TRUETYPE | TMPF_VECTOR | TMPF_FIXED_PITCH);
    // usFirstCharIndex 33: break 33, default 32, and the narrow first character one below.
    EXPECT_EQ(tm.tmBreakChar, 33);
    EXPECT_EQ(tm.tmDefaultChar, 32);
    EXPECT_EQ(tm.tmFirstChar, 31);
    EXPECT_EQ(tm.tmLastChar, 255);
}

TEST(TextMetrics, EmHeightOfAThousandAsTheFontReaderOpensIt)
{
    // MulDiv(1000, 65536, 2048) = 32000, so every value is v * 0.48828125.
    Display dc;
    Selected font(dc.get(), -1000, "Liberation Sans");
    const TEXTMETRICA tm = metrics(dc.get());
    EXPECT_EQ(tm.tmAscent, 905);           // 905.27
    EXPECT_EQ(tm.tmDescent, 212);          // 211.91
    EXPECT_EQ(tm.tmHeight, 1117);
    EXPECT_EQ(tm.tmInternalLeading, 117);  // 117.19
    EXPECT_EQ(tm.tmExternalLeading, 33);   // 32.71
    EXPECT_EQ(tm.tmAveCharWidth, 590);     // 589.84
}

TEST(TextMetrics, PositiveHeightIsTheCellHeight)
{
    Display dc;
    struct Case {
        int height;
        LONG cell;
        LONG ascent;
    };
    // Cell 20: em 2048 * 20 / 2288 = 17.9, rounded 18, whose cell 2288 * 18 / 2048 = 20.1 fits.
    // Cell 14: em 12.5 rounds to 13, but 13 gives a cell of 14.5 > 14, so the em size is 12.
    // Cell 18: em 16.1 rounds to 16, whose cell is 17.
    for (const Case c : {Case{20, 20, 16}, Case{14, 14, 11}, Case{18, 17, 14}, Case{17, 17, 14}}) {
        Selected font(dc.get(), c.height, "Arial");
        const TEXTMETRICA tm = metrics(dc.get());
        EXPECT_EQ(tm.tmHeight, c.cell) << c.height;
        EXPECT_EQ(tm.tmAscent, c.ascent) << c.height;
    }
    // Height 0 is the default, a cell of 16: em size 14.
    Selected font(dc.get(), 0, "Arial");
    const TEXTMETRICA tm = metrics(dc.get());
    EXPECT_EQ(tm.tmHeight, 16);
    EXPECT_EQ(tm.tmAscent, 13);  // 1854 * 448 / 65536 = 12.67
}

TEST(TextMetrics, BoldAndItalicChooseTheirOwnFaces)
{
    Display dc;
    {
        // Liberation Sans Bold: xAvgCharWidth 1255, xMin -377, xMax 2175.
        Selected font(dc.get(), -16, "Arial", FW_BOLD);
        const TEXTMETRICA tm = metrics(dc.get());
        EXPECT_EQ(tm.tmWeight, FW_BOLD);
        EXPECT_EQ(tm.tmAveCharWidth, 10);  // 9.80
        EXPECT_EQ(tm.tmMaxCharWidth, 20);  // 19.94
        EXPECT_EQ(extent(dc.get(), "Hello").cx, 12 + 9 + 4 + 4 + 10);  // l 569, o 1251
    }
    {
        Selected font(dc.get(), -16, "Arial", FW_NORMAL, true);
        EXPECT_EQ(metrics(dc.get()).tmItalic, 255);
    }
    {
        // Weights up to 550 are nearer the regular face.
        Selected font(dc.get(), -16, "Arial", 500);
        EXPECT_EQ(metrics(dc.get()).tmAveCharWidth, 9);
    }
}

TEST(TextExtent, SumsAdvancesRoundedOneByOne)
{
    Display dc;
    Selected font(dc.get(), -16, "Arial");
    // H 11.55 -> 12, e 8.90 -> 9, l 3.55 -> 4, o 8.90 -> 9: 38, where the unrounded sum is 36.5.
    EXPECT_EQ(extent(dc.get(), "Hello").cx, 38);
    EXPECT_EQ(extent(dc.get(), "Hello").cy, 17);
    EXPECT_EQ(extent(dc.get(), " ").cx, 4);
    EXPECT_EQ(extent(dc.get(), "&").cx, 11);
    EXPECT_EQ(extent(dc.get(), "Hello Hello").cx, 80);
    // Empty text measures 0 x 0, as Wine's text extents give it.
    SIZE size{-1, -1};
    ASSERT_TRUE(GetTextExtentPoint32A(dc.get(), "", 0, &size));
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
    EXPECT_FALSE(GetTextExtentPoint32A(dc.get(), "x", -1, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(dc.get(), nullptr, 3, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(dc.get(), "x", 1, nullptr));
}

TEST(TextExtent, ConvertsAnsiBeforeLookingUpGlyphs)
{
    Display dc;
    Selected font(dc.get(), -1000, "Arial");
    // 0x80 is the euro sign in Windows-1252 (advance 1139, as 'e'); 0xE9 is e acute (1139).
    // Both differ from the notdef glyph (748), which an unconverted byte would find.
    const LONG euro = extent(dc.get(), "\x80").cx;
    EXPECT_EQ(euro, extent(dc.get(), "e").cx);
    EXPECT_EQ(extent(dc.get(), "\xE9").cx, extent(dc.get(), "e").cx);
}

TEST(TextExtent, ScaledContextConvertsTheWholeStringOnce)
{
    Display dc;
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    SetWindowExtEx(dc.get(), 3, 3, nullptr);
    SetViewportExtEx(dc.get(), 2, 2, nullptr);
    {
        // -24 logical is -16 device pixels.
        Selected font(dc.get(), -24, "Arial");
        // 38 pixels * 1.5 = 57; converting each advance first would give 58.
        EXPECT_EQ(extent(dc.get(), "Hello").cx, 57);
        const TEXTMETRICA tm = metrics(dc.get());
        EXPECT_EQ(tm.tmHeight, 26);   // 17 * 1.5 = 25.5
        EXPECT_EQ(tm.tmAscent, 21);   // 14 * 1.5
        EXPECT_EQ(tm.tmDescent, 5);   // 3 * 1.5 = 4.5
        EXPECT_EQ(tm.tmAveCharWidth, 14);
        EXPECT_EQ(extent(dc.get(), "Hello").cy, 26);
    }
    {
        // -25 * 2 / 3 = -16.7, truncated to -16: the same device font.
        Selected font(dc.get(), -25, "Arial");
        EXPECT_EQ(extent(dc.get(), "Hello").cx, 57);
    }
    {
        // -20 device pixels: H 14, e 11, l 4, o 11 = 44 pixels, 66 logical.
        Selected font(dc.get(), -30, "Arial");
        EXPECT_EQ(extent(dc.get(), "Hello").cx, 66);
    }
}

TEST(TextExtent, PageUnitsAtTwentyFourHundredDpi)
{
    // The elements' measuring context: window extents 25, a 10 pt font is -325 logical units,
    // -13 device pixels.
    Display dc;
    const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSX);
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    ScaleWindowExtEx(dc.get(), 2400, dpi, 2400, dpi, nullptr);
    Selected font(dc.get(), -325, "Arial");
    const TEXTMETRICA tm = metrics(dc.get());
    // At 13 pixels: ascent 1854 * 416 / 65536 = 11.77 -> 12, descent 2.75 -> 3.
    EXPECT_EQ(tm.tmAscent, 12 * 25);
    EXPECT_EQ(tm.tmDescent, 3 * 25);
    EXPECT_EQ(tm.tmHeight, 15 * 25);
    // H 9, e 7, l 3, l 3, o 7 pixels.
    EXPECT_EQ(extent(dc.get(), "Hello").cx, 29 * 25);
}

TEST(TextMetrics, ExtremeHeightsStillRealise)
{
    Display dc;
    for (int height : {SHRT_MAX, SHRT_MIN, -1, 1, INT_MAX, INT_MIN, INT_MIN + 1}) {
        Selected font(dc.get(), height, "Arial");
        TEXTMETRICA tm{};
        ASSERT_TRUE(GetTextMetricsA(dc.get(), &tm)) << height;
        EXPECT_GT(tm.tmHeight, 0) << height;
        EXPECT_GE(tm.tmAscent, tm.tmDescent) << height;
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32A(dc.get(), "Hello", 5, &size));
        EXPECT_GT(size.cx, 0) << height;
    }
    // -32768 is an em of 32768 pixels: scale 1048576, ascent exactly 1854 * 16.
    Selected font(dc.get(), SHRT_MIN, "Arial");
    EXPECT_EQ(metrics(dc.get()).tmAscent, 1854 * 16);
}

TEST(OutlineMetrics, SizeQueryThenStructureWithNames)
{
    Display dc;
    Selected font(dc.get(), -16, "Arial");
    const UINT size = GetOutlineTextMetricsA(dc.get(), 0, nullptr);
    ASSERT_GT(size, sizeof(OUTLINETEXTMETRICA));
    std::vector<char> buffer(size);
    auto* otm = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
    ASSERT_EQ(GetOutlineTextMetricsA(dc.get(), size, otm), size);
    EXPECT_EQ(otm->otmSize, size);
    EXPECT_EQ(otm->otmEMSquare, 2048u);
    EXPECT_EQ(otm->otmTextMetrics.tmHeight, 17);
    EXPECT_EQ(otm->otmTextMetrics.tmDescent, 3);
    EXPECT_EQ(otm->otmAscent, 12);               // sTypoAscender 1491 / 128 = 11.65
    EXPECT_EQ(otm->otmDescent, -3);              // sTypoDescender -431
    EXPECT_EQ(otm->otmLineGap, 2u);              // sTypoLineGap 307
    EXPECT_EQ(otm->otmsCapEmHeight, 11u);        // 1409
    EXPECT_EQ(otm->otmsXHeight, 8u);             // 1082
    EXPECT_EQ(otm->otmrcFontBox.left, -3);       // -416
    EXPECT_EQ(otm->otmrcFontBox.right, 17);      // 2151
    EXPECT_EQ(otm->otmrcFontBox.top, 15);        // 1864
    EXPECT_EQ(otm->otmrcFontBox.bottom, -5);     // -621
    EXPECT_EQ(otm->otmMacAscent, 14);
    EXPECT_EQ(otm->otmMacDescent, -3);
    EXPECT_EQ(otm->otmMacLineGap, 1u);
    EXPECT_EQ(otm->otmsUnderscorePosition, -1);  // post -67
    EXPECT_EQ(otm->otmsUnderscoreSize, 1);       // post 150
    EXPECT_EQ(otm->otmsStrikeoutSize, 1u);       // OS/2 102
    EXPECT_EQ(otm->otmsStrikeoutPosition, 4);    // OS/2 530
    EXPECT_EQ(otm->otmfsType, 0u);
    EXPECT_EQ(otm->otmPanoseNumber.bFamilyType, 2);
    const auto offset = [&](PSTR p) { return reinterpret_cast<std::size_t>(p); };
    ASSERT_LT(offset(otm->otmpFamilyName), size);
    EXPECT_STREQ(buffer.data() + offset(otm->otmpFamilyName), "Liberation Sans");
    EXPECT_STREQ(buffer.data() + offset(otm->otmpStyleName), "Regular");
    EXPECT_STREQ(buffer.data() + offset(otm->otmpFaceName), "Liberation Sans");
    EXPECT_EQ(offset(otm->otmpFamilyName), sizeof(OUTLINETEXTMETRICA));
    // A short buffer gets what fits.
    OUTLINETEXTMETRICA head{};
    EXPECT_EQ(GetOutlineTextMetricsA(dc.get(), 4, &head), 4u);
    EXPECT_EQ(head.otmSize, size);
    EXPECT_EQ(head.otmTextMetrics.tmHeight, 0);
}

TEST(Fonts, FailuresReturnWindowsFailureValues)
{
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
    TEXTMETRICA tm{};
    EXPECT_FALSE(GetTextMetricsA(nullptr, &tm));
    EXPECT_EQ(GetOutlineTextMetricsA(nullptr, 0, nullptr), 0u);
    EXPECT_EQ(GetFontData(nullptr, 0, 0, nullptr, 0), GDI_ERROR);
    Display dc;
    EXPECT_FALSE(GetTextMetricsA(dc.get(), nullptr));
    // A deleted font is no longer a handle.
    HFONT font = CreateFontA(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    ASSERT_TRUE(DeleteObject(font));
    EXPECT_EQ(SelectObject(dc.get(), font), nullptr);
    EXPECT_FALSE(DeleteObject(font));
}

TEST(Fonts, LogfontRoundTripsThroughGetObject)
{
    LOGFONTA lf{};
    lf.lfHeight = -42;
    lf.lfEscapement = 900;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::snprintf(lf.lfFaceName, LF_FACESIZE, "%s", "Times New Roman");
    HFONT font = CreateFontIndirectA(&lf);
    ASSERT_NE(font, nullptr);
    LOGFONTA back{};
    EXPECT_EQ(GetObjectA(font, sizeof back, &back), static_cast<int>(sizeof back));
    EXPECT_EQ(back.lfHeight, -42);
    EXPECT_EQ(back.lfEscapement, 900);
    EXPECT_EQ(back.lfWeight, FW_BOLD);
    EXPECT_STREQ(back.lfFaceName, "Times New Roman");
    DeleteObject(font);
    // Face names are cut to 31 characters.
    HFONT long_name = CreateFontA(-1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  "0123456789012345678901234567890123456789");
    GetObjectA(long_name, sizeof back, &back);
    EXPECT_EQ(std::string(back.lfFaceName), "0123456789012345678901234567890");
    DeleteObject(long_name);
}

}  // namespace
