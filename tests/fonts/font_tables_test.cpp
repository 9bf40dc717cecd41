// Character maps and metrics built by hand, fed to the table parser directly: the three
// subtable formats, the choice among encodings, symbol faces, and damaged tables.
#include <gtest/gtest.h>

#include "fonts/open_type_tables.h"
#include "table_builder.h"

using fonts_test::Bytes;
using fonts_test::Encoding;
using fonts_test::Face;
using fonts_test::Segment;
using fonts_test::cmap_table;
using fonts_test::format0;
using fonts_test::format4;
using fonts_test::format4_raw;
using fonts_test::format6;
using fonts_test::load;

namespace {

std::vector<BYTE> identity_format0_with_zero_at(BYTE glyph_for_code_0)
{
    std::vector<BYTE> glyphs(256);
    for (int i = 0; i < 256; ++i) glyphs[i] = static_cast<BYTE>(i);
    glyphs[0] = glyph_for_code_0;
    return glyphs;
}

// Segments exercising both idRangeOffset forms and idDelta wrap-around.
std::vector<Segment> mixed_segments()
{
    return {
        {0x0020, 0x007E, 0xFFE3, {}},                      // code - 29
        {0x0100, 0x0103, 10, {500, 0, 502, 503}},          // through the glyph array
        {0x2000, 0x2001, 0x0020, {0xFFF0, 0xFFE0}},        // array value + delta wraps
        {0xF000, 0xF002, 0x1000, {}},                      // code + delta wraps
        {0xFFFF, 0xFFFF, 1, {}},
    };
}

}  // namespace

TEST(FontTables, NothingLoadedGivesZero)
{
    fonts::OpenTypeTables tables;
    EXPECT_FALSE(tables.IsLoaded());
    EXPECT_EQ(tables.GetGlyphIndex('A'), 0);
    EXPECT_EQ(tables.GetAdvanceWidth(0), 0);
    EXPECT_EQ(tables.GetUnitsPerEm(), 0);
    EXPECT_EQ(tables.GetFormat(), 0);
}

TEST(FontTables, Format4DeltaRangeOffsetAndWrapAround)
{
    Face face;
    face.cmap = cmap_table({{3, 1, format4(mixed_segments())}});
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetPlatformId(), 3);
    EXPECT_EQ(tables.GetEncodingId(), 1);
    EXPECT_EQ(tables.GetFormat(), 4);

    EXPECT_EQ(tables.GetGlyphIndex(0x20), 3);
    EXPECT_EQ(tables.GetGlyphIndex('A'), 36);
    EXPECT_EQ(tables.GetGlyphIndex(0x7E), 0x7E - 29);
    EXPECT_EQ(tables.GetGlyphIndex(0x1F), 0) << "below the first segment";
    EXPECT_EQ(tables.GetGlyphIndex(0x7F), 0) << "gap before the second segment";

    EXPECT_EQ(tables.GetGlyphIndex(0x100), 510);
    EXPECT_EQ(tables.GetGlyphIndex(0x101), 0) << "a 0 in the glyph array stays 0";
    EXPECT_EQ(tables.GetGlyphIndex(0x102), 512);
    EXPECT_EQ(tables.GetGlyphIndex(0x103), 513);

    EXPECT_EQ(tables.GetGlyphIndex(0x2000), 0x10);
    EXPECT_EQ(tables.GetGlyphIndex(0x2001), 0) << "0xFFE0 + 0x20 wraps to 0";
    EXPECT_EQ(tables.GetGlyphIndex(0x1FFF), 0);

    EXPECT_EQ(tables.GetGlyphIndex(0xF000), 0) << "0xF000 + 0x1000 wraps to 0";
    EXPECT_EQ(tables.GetGlyphIndex(0xF001), 1);
    EXPECT_EQ(tables.GetGlyphIndex(0xF002), 2);
    EXPECT_EQ(tables.GetGlyphIndex(0xFFFE), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0xFFFF), 0) << "0xFFFF + 1 wraps to 0";
}

TEST(FontTables, Format4TakesTheFirstSegmentWhoseEndCoversTheCode)
{
    // The segments are out of order: a code inside the second but below the first segment's
    // start is unmapped, because the scan stops at the first end code that is large enough.
    Face face;
    face.cmap = cmap_table({{3, 1, format4({{0x50, 0x60, 100, {}}, {0x40, 0x70, 200, {}}})}});
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex(0x55), 0x55 + 100);
    EXPECT_EQ(tables.GetGlyphIndex(0x45), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0x65), 0x65 + 200);
    EXPECT_EQ(tables.GetGlyphIndex(0x71), 0);
}

TEST(FontTables, Format0AndFormat6)
{
    Face face;
    std::vector<BYTE> glyphs(256, 0);
    glyphs['A'] = 17;
    glyphs[255] = 201;
    face.cmap = cmap_table({{3, 1, format0(glyphs)}});
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetFormat(), 0);
    EXPECT_EQ(tables.GetGlyphIndex('A'), 17);
    EXPECT_EQ(tables.GetGlyphIndex(255), 201);
    EXPECT_EQ(tables.GetGlyphIndex('B'), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0x141), 0) << "format 0 covers one byte only";

    face.cmap = cmap_table({{3, 1, format6(0x30, {40, 41, 0, 0xFFFF})}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetFormat(), 6);
    EXPECT_EQ(tables.GetGlyphIndex(0x2F), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0x30), 40);
    EXPECT_EQ(tables.GetGlyphIndex(0x31), 41);
    EXPECT_EQ(tables.GetGlyphIndex(0x32), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0x33), 0xFFFF);
    EXPECT_EQ(tables.GetGlyphIndex(0x34), 0);
}

TEST(FontTables, LastQualifyingEncodingWins)
{
    const std::vector<BYTE> seven = format6(0x41, {7});
    const std::vector<BYTE> nine = format6(0x41, {9});
    const std::vector<BYTE> eleven = format6(0x41, {11});
    Face face;
    fonts::OpenTypeTables tables;

    face.cmap = cmap_table({{3, 0, seven}, {3, 1, nine}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetEncodingId(), 1);
    EXPECT_EQ(tables.GetGlyphIndex('A'), 9);

    // Records out of the usual order: table order decides, not a preference among encodings.
    face.cmap = cmap_table({{3, 1, nine}, {3, 0, seven}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetEncodingId(), 0);
    EXPECT_EQ(tables.GetGlyphIndex('A'), 7);

    // Unicode (0, 3), Windows UCS-4 (3, 10) and Mac Japanese (1, 1) never qualify.
    face.cmap = cmap_table({{1, 0, eleven}, {0, 3, seven}, {3, 10, nine}, {1, 1, nine}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetPlatformId(), 1);
    EXPECT_EQ(tables.GetGlyphIndex('A'), 11);

    face.cmap = cmap_table({{0, 3, seven}, {3, 10, nine}});
    EXPECT_FALSE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex('A'), 0);
}

TEST(FontTables, MacRomanMapsAnsiCodes)
{
    Face face;
    face.cmap = cmap_table({{1, 0, format0(identity_format0_with_zero_at(99))}});
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    // With the identity array the glyph is the Mac Roman code the ANSI code became.
    EXPECT_EQ(tables.GetGlyphIndex(0xE9), 0x8E) << "e acute";
    EXPECT_EQ(tables.GetGlyphIndex(0x80), 99) << "no Mac Roman code: looked up as code 0";
    EXPECT_EQ(tables.GetGlyphIndex(0x1F), 99);
    EXPECT_EQ(tables.GetGlyphIndex(0x7F), 99);
    EXPECT_EQ(tables.GetGlyphIndex('A'), 'A');
    EXPECT_EQ(tables.GetGlyphIndex(0x7E), 0x7E);
    EXPECT_EQ(tables.GetGlyphIndex(0xA4), 0xDB) << "currency sign";
    EXPECT_EQ(tables.GetGlyphIndex(0xB7), 99) << "middle dot is left out";
    EXPECT_EQ(tables.GetGlyphIndex(0xD7), 99) << "multiplication sign";
    EXPECT_EQ(tables.GetGlyphIndex(0x100), 0) << "past 255 format 0 has nothing";
}

TEST(FontTables, MacRomanTableAgreesWithTheMacRomanCharacterSet)
{
    // Reference pairs from the Mac OS Roman character set (ISO 8859-1 code, Mac Roman code).
    const std::pair<int, int> pairs[] = {
        {0xA0, 0xCA}, {0xA1, 0xC1}, {0xA7, 0xA4}, {0xA9, 0xA9}, {0xAE, 0xA8}, {0xB0, 0xA1},
        {0xBF, 0xC0}, {0xC0, 0xCB}, {0xC4, 0x80}, {0xC5, 0x81}, {0xC6, 0xAE}, {0xC7, 0x82},
        {0xD1, 0x84}, {0xD6, 0x85}, {0xD8, 0xAF}, {0xDC, 0x86}, {0xDF, 0xA7}, {0xE0, 0x88},
        {0xE5, 0x8C}, {0xE6, 0xBE}, {0xF7, 0xD6}, {0xF8, 0xBF}, {0xFC, 0x9F}, {0xFF, 0xD8},
    };
    for (const auto& [ansi, mac] : pairs) EXPECT_EQ(fonts::AnsiToMacRoman[ansi], mac) << ansi;
    for (int c = 0; c < 32; ++c) EXPECT_EQ(fonts::AnsiToMacRoman[c], 0) << c;
    for (int c = 32; c < 127; ++c) EXPECT_EQ(fonts::AnsiToMacRoman[c], c) << c;
    for (int c = 127; c < 160; ++c) EXPECT_EQ(fonts::AnsiToMacRoman[c], 0) << c;
    for (int c : {166, 173, 178, 179, 183, 185, 188, 189, 190, 208, 215, 221, 222, 240, 253, 254}) {
        EXPECT_EQ(fonts::AnsiToMacRoman[c], 0) << c;
    }
}

TEST(FontTables, SymbolEncodingMovesCodesToPrivateUse)
{
    const std::vector<BYTE> private_use = format4({{0xF020, 0xF0FF, 0x1000, {}}, {0xFFFF, 0xFFFF, 1, {}}});
    Face face;
    face.cmap = cmap_table({{3, 0, private_use}});
    fonts::OpenTypeTables tables;

    ASSERT_TRUE(load(tables, face, /*symbol_charset=*/true));
    EXPECT_TRUE(tables.IsSymbol());
    EXPECT_EQ(tables.GetGlyphIndex(0x41), static_cast<WORD>(0xF041 + 0x1000));
    EXPECT_EQ(tables.GetGlyphIndex(0xF041), static_cast<WORD>(0xF041 + 0x1000));
    EXPECT_EQ(tables.GetGlyphIndex(0x1F), 0) << "0xF01F is below the first segment";

    // Not a symbol character set and an OS/2 table present: codes stay as they are.
    ASSERT_TRUE(load(tables, face, false));
    EXPECT_FALSE(tables.IsSymbol());
    EXPECT_EQ(tables.GetGlyphIndex(0x41), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0xF041), static_cast<WORD>(0xF041 + 0x1000));

    // Without OS/2 a (3, 0) map alone makes the face a symbol face, whatever GDI said.
    face.has_os2 = false;
    ASSERT_TRUE(load(tables, face, false));
    EXPECT_TRUE(tables.IsSymbol());
    EXPECT_EQ(tables.GetGlyphIndex(0x41), static_cast<WORD>(0xF041 + 0x1000));
}

TEST(FontTables, SymbolCodesFollowTheFirstSegmentsConvention)
{
    Face face;
    fonts::OpenTypeTables tables;

    // A (3, 0) map at 0x20..0xFF: private-use codes move down, byte codes go up and back down.
    face.cmap = cmap_table({{3, 0, format4({{0x20, 0xFF, 5, {}}, {0xFFFF, 0xFFFF, 1, {}}})}});
    ASSERT_TRUE(load(tables, face, true));
    EXPECT_EQ(tables.GetGlyphIndex(0xF041), 0x41 + 5);
    EXPECT_EQ(tables.GetGlyphIndex(0x41), 0x41 + 5);
    EXPECT_EQ(tables.GetGlyphIndex(0xF000), 0) << "0xF000 itself is not moved";

    // A (3, 1) map of a symbol face at 0xF020..: byte codes go up.
    face.cmap = cmap_table({{3, 1, format4({{0xF020, 0xF0FF, 0x1000, {}}, {0xFFFF, 0xFFFF, 1, {}}})}});
    ASSERT_TRUE(load(tables, face, true));
    EXPECT_EQ(tables.GetGlyphIndex(0x41), static_cast<WORD>(0xF041 + 0x1000));
    EXPECT_EQ(tables.GetGlyphIndex(0x141), 0) << "only codes below 256 move";

    // Without OS/2 a (3, 1) face is never a symbol face.
    face.has_os2 = false;
    ASSERT_TRUE(load(tables, face, true));
    EXPECT_FALSE(tables.IsSymbol());
    EXPECT_EQ(tables.GetGlyphIndex(0x41), 0);
}

TEST(FontTables, AdvanceWidthsAndTheLastLongMetric)
{
    Face face;
    face.cmap = cmap_table({{3, 1, format6(0x41, {1})}});
    face.hhea = fonts_test::hhea_table(3);
    face.hmtx = fonts_test::hmtx_table({{600, 10}, {1200, 20}, {333, 30}}, 4);
    face.head = fonts_test::head_table(1000);
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetUnitsPerEm(), 1000);
    EXPECT_EQ(tables.GetNumberOfHMetrics(), 3);
    EXPECT_EQ(tables.GetAdvanceWidth(0), 600);
    EXPECT_EQ(tables.GetAdvanceWidth(1), 1200);
    EXPECT_EQ(tables.GetAdvanceWidth(2), 333);
    EXPECT_EQ(tables.GetAdvanceWidth(3), 333);
    EXPECT_EQ(tables.GetAdvanceWidth(6), 333);
    EXPECT_EQ(tables.GetAdvanceWidth(0xFFFF), 333);

    // An hmtx shorter than numberOfHMetrics claims: metrics it lacks read as 0.
    face.hhea = fonts_test::hhea_table(50);
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetAdvanceWidth(1), 1200);
    EXPECT_EQ(tables.GetAdvanceWidth(4), 7) << "the bare bearings are read as metrics";
    EXPECT_EQ(tables.GetAdvanceWidth(5), 0);
    EXPECT_EQ(tables.GetAdvanceWidth(0xFFFF), 0);

    face.hmtx.clear();
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetAdvanceWidth(0), 0);
}

TEST(FontTables, HeadAndHheaFailures)
{
    Face face;
    face.cmap = cmap_table({{3, 1, format6(0x41, {1})}});
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));

    Face bad = face;
    bad.head = fonts_test::head_table(2048, 0x5F0F3CF4u);
    EXPECT_FALSE(load(tables, bad));
    EXPECT_FALSE(tables.IsLoaded());
    EXPECT_EQ(tables.GetGlyphIndex('A'), 0);
    EXPECT_EQ(tables.GetUnitsPerEm(), 0);

    bad = face;
    bad.head.resize(53);
    EXPECT_FALSE(load(tables, bad));
    bad = face;
    bad.hhea.resize(35);
    EXPECT_FALSE(load(tables, bad));
    bad = face;
    bad.hhea = fonts_test::hhea_table(0);
    EXPECT_FALSE(load(tables, bad));
    EXPECT_EQ(tables.GetAdvanceWidth(0), 0);
}

TEST(FontTables, DamagedCmapHeadersFailOrStopAtTheEnd)
{
    Face face;
    fonts::OpenTypeTables tables;

    face.cmap = {0, 0, 0};
    EXPECT_FALSE(load(tables, face)) << "no room for numTables";

    // numTables far beyond the records present: the records that exist still count.
    face.cmap = cmap_table({{3, 1, format6(0x41, {5})}});
    face.cmap[2] = 0xFF;
    face.cmap[3] = 0xFF;
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex('A'), 5);

    // A record cut in half is no record.
    face.cmap = cmap_table({{3, 1, {}}});
    face.cmap.resize(4 + 6);
    EXPECT_FALSE(load(tables, face));

    // The chosen subtable starts beyond the table or has no room for its format.
    face.cmap = cmap_table({{3, 1, format6(0x41, {5}), 0x7FFFFFF0u}});
    EXPECT_FALSE(load(tables, face));
    face.cmap = cmap_table({{3, 1, format6(0x41, {5}), 0xFFFFFFFFu}});
    EXPECT_FALSE(load(tables, face));
    face.cmap = cmap_table({{3, 1, {0x00}}});
    EXPECT_FALSE(load(tables, face));

    // The last qualifying record decides even when an earlier one was usable.
    face.cmap = cmap_table({{3, 0, format6(0x41, {5})}, {3, 1, format6(0x41, {5}), 0x10000u}});
    EXPECT_FALSE(load(tables, face));

    // Formats other than 0, 4 and 6 are refused.
    Bytes format2;
    format2.u16(2).u16(6).u16(0);
    face.cmap = cmap_table({{3, 1, format2.data}});
    EXPECT_FALSE(load(tables, face));
    Bytes format12;
    format12.u16(12).u16(0).u32(16).u32(0).u32(0);
    face.cmap = cmap_table({{3, 1, format12.data}});
    EXPECT_FALSE(load(tables, face));

    // Fixed fields cut short.
    face.cmap = cmap_table({{3, 1, {0, 6, 0, 0, 0, 0x41, 0}}});
    EXPECT_FALSE(load(tables, face)) << "format 6 without entryCount";
    face.cmap = cmap_table({{3, 1, {0, 4, 0, 20, 0, 0, 0, 2, 0, 0, 0, 0}}});
    EXPECT_FALSE(load(tables, face)) << "format 4 without its search fields";
    face.cmap = cmap_table({{3, 1, {0, 0, 0, 6}}});
    EXPECT_FALSE(load(tables, face)) << "format 0 without its language";
}

TEST(FontTables, DamagedSubtablesGiveZeroInsteadOfReadingPastTheTable)
{
    Face face;
    fonts::OpenTypeTables tables;

    // Format 0 cut after 100 entries.
    std::vector<BYTE> format0_table = format0(identity_format0_with_zero_at(0));
    format0_table.resize(6 + 100);
    face.cmap = cmap_table({{3, 1, format0_table}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex(99), 99);
    EXPECT_EQ(tables.GetGlyphIndex(100), 0);
    EXPECT_EQ(tables.GetGlyphIndex(255), 0);

    // Format 6 claiming 0xFFFF entries with two present.
    face.cmap = cmap_table({{3, 1, format6(0x10, {21, 22}, 0xFFFF)}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex(0x11), 22);
    EXPECT_EQ(tables.GetGlyphIndex(0x12), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0xFFFF), 0);

    // Format 4 with no segments maps nothing.
    face.cmap = cmap_table({{3, 1, format4_raw(0, {}, {}, {}, {}, {})}});
    ASSERT_TRUE(load(tables, face, true));
    for (unsigned code : {0u, 0x41u, 0xF041u, 0xFFFFu}) {
        EXPECT_EQ(tables.GetGlyphIndex(static_cast<WORD>(code)), 0) << code;
    }

    // Format 4 claiming 32767 segments and holding one.
    face.cmap = cmap_table({{3, 1, format4_raw(0xFFFE, {0x50}, {0x40}, {1}, {0}, {})}});
    ASSERT_TRUE(load(tables, face, true));
    EXPECT_EQ(tables.GetGlyphIndex(0x45), 0) << "the start code lies beyond the table";
    EXPECT_EQ(tables.GetGlyphIndex(0x60), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0xFFFF), 0);

    // idRangeOffsets pointing past the end of the table, and at its last whole word.
    std::vector<BYTE> subtable = format4_raw(4, {0x50, 0xFFFF}, {0x40, 0xFFFF}, {3, 1},
                                             {0xFFFF, 0}, {});
    face.cmap = cmap_table({{3, 1, subtable}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex(0x40), 0);
    EXPECT_EQ(tables.GetGlyphIndex(0x50), 0);
    subtable = format4_raw(4, {0x50, 0xFFFF}, {0x40, 0xFFFF}, {3, 1}, {4, 0}, {0x1234});
    face.cmap = cmap_table({{3, 1, subtable}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex(0x40), 0x1234 + 3);
    EXPECT_EQ(tables.GetGlyphIndex(0x41), 0) << "one word past the glyph array";
}

TEST(FontTables, OddSegCountX2PlacesTheArraysByItsHalf)
{
    // segCountX2 = 5 counts two segments, and the arrays are read as for two.
    const std::vector<BYTE> odd =
        format4_raw(5, {0x7E, 0xFFFF}, {0x20, 0xFFFF}, {0xFFE3, 1}, {0, 0}, {});
    Face face;
    face.cmap = cmap_table({{3, 1, odd}});
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex('A'), 36);
    EXPECT_EQ(tables.GetGlyphIndex(0x80), 0);

    // segCountX2 = 1 counts no segment at all.
    face.cmap = cmap_table({{3, 1, format4_raw(1, {0x7E}, {0x20}, {0xFFE3}, {0}, {})}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex('A'), 0);
}

TEST(FontTables, ClearAndReload)
{
    Face face;
    face.cmap = cmap_table({{3, 1, format6(0x41, {5})}});
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    tables.Clear();
    EXPECT_EQ(tables.GetGlyphIndex('A'), 0);
    EXPECT_EQ(tables.GetAdvanceWidth(0), 0);
    EXPECT_EQ(tables.GetUnitsPerEm(), 0);

    face.cmap = cmap_table({{3, 1, format6(0x41, {6})}});
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex('A'), 6);
    EXPECT_EQ(tables.GetAdvanceWidth(0), 500);

    // A failed load forgets what the previous one loaded.
    face.cmap = {};
    EXPECT_FALSE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex('A'), 0);
    EXPECT_EQ(tables.GetAdvanceWidth(0), 0);
}
