// Text metrics and extents of the metric-compatible faces, checked against values worked out
// by hand from the font tables. Liberation Sans Regular: unitsPerEm 2048, usWinAscent 1854,
// usWinDescent 434, hhea ascender 1854, descender -434, lineGap 67, xAvgCharWidth 1208, head
// xMin -416, xMax 2151; advances H 1479, e 1139, l 455, o 1139, space 569, & 1366.
//
// At em size p the scale is MulDiv(p, 65536, 2048) and a value v becomes v * scale / 65536
// rounded half away from zero; at 16 pixels that is v / 128.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;
using gdi_test::Selected;
using gdi_test::extent;
using gdi_test::metrics;

// Ascent, descent, height, internal and external leading, average and maximum width.
std::vector<LONG> sizes(const TEXTMETRICA& tm)
{
    return {tm.tmAscent,          tm.tmDescent,      tm.tmHeight,     tm.tmInternalLeading,
            tm.tmExternalLeading, tm.tmAveCharWidth, tm.tmMaxCharWidth};
}

TEST(TextMetrics, ArialAtSixteenPixelsFollowsTheTables)
{
    Display dc;
    Selected font(dc.get(), -16, "Arial");
    // The sizes are checked against the font tables in tests/oracle; here the other fields.
    const TEXTMETRICA tm = metrics(dc.get());
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    EXPECT_EQ(tm.tmItalic, 0);
    EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
    EXPECT_EQ(tm.tmDigitizedAspectX, 96);
    EXPECT_EQ(tm.tmPitchAndFamily, FF_SWISS | TMPF_TRUETYPE | TMPF_VECTOR | TMPF_FIXED_PITCH);
    // usFirstCharIndex 33: break 33, default 32, and the narrow first character one below.
    EXPECT_EQ((std::vector<int>{tm.tmBreakChar, tm.tmDefaultChar, tm.tmFirstChar, tm.tmLastChar}),
              (std::vector<int>{33, 32, 31, 255}));
}

TEST(TextMetrics, HeightsAndFacesChooseTheEmSize)
{
    // Em 1000, as the font reader opens it: MulDiv(1000, 65536, 2048) = 32000, so every value
    // is v * 0.48828125: 905.27, 211.91, 117.19, 32.71, 589.84.
    // Positive heights are cell heights. Cell 20: em 2048 * 20 / 2288 = 17.9, rounded 18, whose
    // cell 2288 * 18 / 2048 = 20.1 fits. Cell 14: em 12.5 rounds to 13, but 13 gives a cell of
    // 14.5 > 14, so the em size is 12. Cell 18: em 16.1 rounds to 16, whose cell is 17. Height
    // 0 is the default, a cell of 16: em size 14, ascent 1854 * 448 / 65536 = 12.67.
    const struct {
        int height;
        LONG ascent, cell;
    } cases[] = {{-1000, 905, 1117}, {20, 16, 20}, {14, 11, 14}, {18, 14, 17}, {17, 14, 17}, {0, 13, 16}};
    Display dc;
    for (const auto& c : cases) {
        Selected font(dc.get(), c.height, "Liberation Sans");
        const TEXTMETRICA tm = metrics(dc.get());
        EXPECT_EQ(tm.tmAscent, c.ascent) << c.height;
        EXPECT_EQ(tm.tmHeight, c.cell) << c.height;
        if (c.height == -1000) {
            EXPECT_EQ(sizes(tm), (std::vector<LONG>{905, 212, 1117, 117, 33, 590, 1253}));
        }
    }
    {
        // Liberation Sans Bold: xAvgCharWidth 1255 (9.80), xMin -377, xMax 2175 (19.94); l 569,
        // o 1251.
        Selected font(dc.get(), -16, "Arial", FW_BOLD);
        const TEXTMETRICA tm = metrics(dc.get());
        EXPECT_EQ(tm.tmWeight, FW_BOLD);
        EXPECT_EQ(tm.tmAveCharWidth, 10);
        EXPECT_EQ(tm.tmMaxCharWidth, 20);
        EXPECT_EQ(extent(dc.get(), "Hello").cx, 12 + 9 + 4 + 4 + 10);
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

TEST(TextExtent, RefusesBadArgumentsAndConvertsTheCodePage)
{
    Display dc;
    Selected font(dc.get(), -16, "Arial");
    // Extents of ASCII text, the empty one included, are checked against the tables in
    // tests/oracle; here the refusals and the code page.
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32A(dc.get(), "x", -1, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(dc.get(), nullptr, 3, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(dc.get(), "x", 1, nullptr));

    // 0x80 is the euro sign in Windows-1252 (advance 1139, as 'e'); 0xE9 is e acute (1139).
    // Both differ from the notdef glyph (748), which an unconverted byte would find.
    Selected big(dc.get(), -1000, "Arial");
    EXPECT_EQ(extent(dc.get(), "\x80").cx, extent(dc.get(), "e").cx);
    EXPECT_EQ(extent(dc.get(), "\xE9").cx, extent(dc.get(), "e").cx);
}

TEST(TextExtent, ScaledContextConvertsTheWholeStringOnce)
{
    Display dc;
    SetMapMode(dc.get(), MM_ANISOTROPIC);
    SetWindowExtEx(dc.get(), 3, 3, nullptr);
    SetViewportExtEx(dc.get(), 2, 2, nullptr);
    {
        // -24 logical is -16 device pixels: 38 pixels * 1.5 = 57, where converting each advance
        // first would give 58; height 17 * 1.5 = 25.5, ascent 14 * 1.5, descent 3 * 1.5 = 4.5.
        Selected font(dc.get(), -24, "Arial");
        EXPECT_EQ(extent(dc.get(), "Hello").cx, 57);
        const TEXTMETRICA tm = metrics(dc.get());
        EXPECT_EQ((std::vector<LONG>{tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmAveCharWidth}),
                  (std::vector<LONG>{26, 21, 5, 14}));
        EXPECT_EQ(extent(dc.get(), "Hello").cy, 26);
    }
    // -25 * 2 / 3 = -16.7, truncated to -16: the same device font. -30 is -20 device pixels:
    // H 14, e 11, l 4, o 11 = 44 pixels, 66 logical.
    for (const auto& [height, want] : {std::pair{-25, 57}, {-30, 66}}) {
        Selected font(dc.get(), height, "Arial");
        EXPECT_EQ(extent(dc.get(), "Hello").cx, want) << height;
    }
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
        EXPECT_GT(extent(dc.get(), "Hello").cx, 0) << height;
        // -32768 is an em of 32768 pixels: scale 1048576, ascent exactly 1854 * 16.
        if (height == SHRT_MIN) {
            EXPECT_EQ(tm.tmAscent, 1854 * 16);
        }
    }
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
    // From the tables at 1 / 128: sTypoAscender 1491, sTypoDescender -431, sTypoLineGap 307,
    // sCapHeight 1409, sxHeight 1082; head box -416, -621, 2151, 1864; hhea 1854, -434, 67;
    // post underline -67 thick 150; OS/2 strikeout 102 at 530.
    EXPECT_EQ((std::vector<LONG>{otm->otmAscent, otm->otmDescent, static_cast<LONG>(otm->otmLineGap),
                                 static_cast<LONG>(otm->otmsCapEmHeight), static_cast<LONG>(otm->otmsXHeight)}),
              (std::vector<LONG>{12, -3, 2, 11, 8}));
    EXPECT_EQ(gdi_test::sides(otm->otmrcFontBox), (std::vector<LONG>{-3, 15, 17, -5}));
    EXPECT_EQ((std::vector<LONG>{otm->otmMacAscent, otm->otmMacDescent, static_cast<LONG>(otm->otmMacLineGap)}),
              (std::vector<LONG>{14, -3, 1}));
    EXPECT_EQ((std::vector<LONG>{otm->otmsUnderscorePosition, otm->otmsUnderscoreSize,
                                 static_cast<LONG>(otm->otmsStrikeoutSize), otm->otmsStrikeoutPosition}),
              (std::vector<LONG>{-1, 1, 1, 4}));
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

TEST(Fonts, FailuresAndLogfontsAsWindowsGivesThem)
{
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
    TEXTMETRICA tm{};
    EXPECT_FALSE(GetTextMetricsA(nullptr, &tm));
    EXPECT_EQ(GetOutlineTextMetricsA(nullptr, 0, nullptr), 0u);
    EXPECT_EQ(GetFontData(nullptr, 0, 0, nullptr, 0), GDI_ERROR);
    Display dc;
    EXPECT_FALSE(GetTextMetricsA(dc.get(), nullptr));

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
    EXPECT_EQ((std::vector<LONG>{back.lfHeight, back.lfEscapement, back.lfWeight}),
              (std::vector<LONG>{-42, 900, FW_BOLD}));
    EXPECT_STREQ(back.lfFaceName, "Times New Roman");
    // A deleted font is no longer a handle.
    ASSERT_TRUE(DeleteObject(font));
    EXPECT_EQ(SelectObject(dc.get(), font), nullptr);
    EXPECT_FALSE(DeleteObject(font));
    // Face names are cut to 31 characters.
    HFONT long_name = CreateFontA(-1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  "0123456789012345678901234567890123456789");
    GetObjectA(long_name, sizeof back, &back);
    EXPECT_EQ(std::string(back.lfFaceName), "0123456789012345678901234567890");
    DeleteObject(long_name);
}

}  // namespace
