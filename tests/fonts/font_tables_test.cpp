// Character maps and metrics built by hand, fed to the table parser directly: the three
// subtable formats, the choice among encodings, symbol faces, and damaged tables.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "fonts/open_type_tables.h"
#include "table_builder.h"

using fonts_test::Bytes;
using fonts_test::Face;
using fonts_test::cmap_table;
using fonts_test::format0;
using fonts_test::format4;
using fonts_test::format4_raw;
using fonts_test::format6;
using fonts_test::load;

namespace {

using pairs = std::vector<std::pair<unsigned, unsigned>>;

// Every {code, glyph} pair through GetGlyphIndex.
void expect_glyphs(const fonts::OpenTypeTables& tables, const pairs& want)
{
    for (const auto& [code, glyph] : want)
        EXPECT_EQ(tables.GetGlyphIndex(static_cast<WORD>(code)), glyph) << "code 0x" << std::hex << code;
}

// Every {glyph, advance} pair through GetAdvanceWidth.
void expect_advances(const fonts::OpenTypeTables& tables, const pairs& want)
{
    for (const auto& [glyph, advance] : want)
        EXPECT_EQ(tables.GetAdvanceWidth(static_cast<WORD>(glyph)), advance) << "glyph " << glyph;
}

void expect_empty(const fonts::OpenTypeTables& tables)
{
    EXPECT_EQ(tables.GetGlyphIndex('A'), 0);
    EXPECT_EQ(tables.GetAdvanceWidth(0), 0);
    EXPECT_EQ(tables.GetUnitsPerEm(), 0);
}

std::vector<BYTE> identity_format0_with_zero_at(BYTE glyph_for_code_0)
{
    std::vector<BYTE> glyphs(256);
    for (int i = 0; i < 256; ++i) glyphs[i] = static_cast<BYTE>(i);
    glyphs[0] = glyph_for_code_0;
    return glyphs;
}

// A face whose only map is (3, 1) with this subtable.
Face face_with(const std::vector<BYTE>& subtable)
{
    Face face;
    face.cmap = cmap_table({{3, 1, subtable}});
    return face;
}

}  // namespace

TEST(FontTables, Format4DeltaRangeOffsetWrapAroundAndTheFirstCoveringSegment)
{
    // Both idRangeOffset forms and idDelta wrap-around.
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face_with(format4({
                                 {0x0020, 0x007E, 0xFFE3, {}},                // code - 29
                                 {0x0100, 0x0103, 10, {500, 0, 502, 503}},    // the glyph array
                                 {0x2000, 0x2001, 0x0020, {0xFFF0, 0xFFE0}},  // array + delta wraps
                                 {0xF000, 0xF002, 0x1000, {}},                // code + delta wraps
                                 {0xFFFF, 0xFFFF, 1, {}},
                             }))));
    EXPECT_EQ(tables.GetPlatformId(), 3);
    EXPECT_EQ(tables.GetEncodingId(), 1);
    EXPECT_EQ(tables.GetFormat(), 4);
    // Below the first segment, in the gaps and wrapped to 0 the code is unmapped; a 0 in the
    // glyph array stays 0.
    expect_glyphs(tables, {{0x20, 3}, {'A', 36}, {0x7E, 0x7E - 29}, {0x1F, 0}, {0x7F, 0},
                           {0x100, 510}, {0x101, 0}, {0x102, 512}, {0x103, 513}, {0x2000, 0x10},
                           {0x2001, 0}, {0x1FFF, 0}, {0xF000, 0}, {0xF001, 1}, {0xF002, 2},
                           {0xFFFE, 0}, {0xFFFF, 0}});

    // Segments out of order: a code inside the second but below the first segment's start is
    // unmapped, because the scan stops at the first end code that is large enough.
    ASSERT_TRUE(load(tables, face_with(format4({{0x50, 0x60, 100, {}}, {0x40, 0x70, 200, {}}}))));
    expect_glyphs(tables, {{0x55, 0x55 + 100}, {0x45, 0}, {0x65, 0x65 + 200}, {0x71, 0}});
}

TEST(FontTables, Format0AndFormat6)
{
    std::vector<BYTE> glyphs(256, 0);
    glyphs['A'] = 17;
    glyphs[255] = 201;
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face_with(format0(glyphs))));
    EXPECT_EQ(tables.GetFormat(), 0);
    expect_glyphs(tables, {{'A', 17}, {255, 201}, {'B', 0}, {0x141, 0}});  // one byte only

    ASSERT_TRUE(load(tables, face_with(format6(0x30, {40, 41, 0, 0xFFFF}))));
    EXPECT_EQ(tables.GetFormat(), 6);
    expect_glyphs(tables, {{0x2F, 0}, {0x30, 40}, {0x31, 41}, {0x32, 0}, {0x33, 0xFFFF}, {0x34, 0}});
}

TEST(FontTables, LastQualifyingEncodingWins)
{
    const std::vector<BYTE> seven = format6(0x41, {7}), nine = format6(0x41, {9}),
                            eleven = format6(0x41, {11});
    // Table order decides, not a preference among encodings; Unicode (0, 3), Windows UCS-4
    // (3, 10) and Mac Japanese (1, 1) never qualify.
    const struct {
        std::vector<fonts_test::Encoding> records;
        unsigned platform, encoding;
        WORD glyph;
    } cases[] = {
        {{{3, 0, seven}, {3, 1, nine}}, 3, 1, 9},
        {{{3, 1, nine}, {3, 0, seven}}, 3, 0, 7},
        {{{1, 0, eleven}, {0, 3, seven}, {3, 10, nine}, {1, 1, nine}}, 1, 0, 11},
    };
    Face face;
    fonts::OpenTypeTables tables;
    for (const auto& c : cases) {
        face.cmap = cmap_table(c.records);
        ASSERT_TRUE(load(tables, face));
        EXPECT_EQ(tables.GetPlatformId(), c.platform);
        EXPECT_EQ(tables.GetEncodingId(), c.encoding);
        EXPECT_EQ(tables.GetGlyphIndex('A'), c.glyph);
    }
    face.cmap = cmap_table({{0, 3, seven}, {3, 10, nine}, {1, 1, eleven}});
    EXPECT_FALSE(load(tables, face));
    EXPECT_EQ(tables.GetGlyphIndex('A'), 0);
}

TEST(FontTables, MacRomanMapsAnsiCodes)
{
    Face face;
    face.cmap = cmap_table({{1, 0, format0(identity_format0_with_zero_at(99))}});
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    // With the identity array the glyph is the Mac Roman code the ANSI code became; codes
    // without one (0x80, controls, middle dot, multiplication sign) are looked up as code 0.
    expect_glyphs(tables, {{0xE9, 0x8E}, {0x80, 99}, {0x1F, 99}, {0x7F, 99}, {'A', 'A'}, {0x7E, 0x7E},
                           {0xA4, 0xDB}, {0xB7, 99}, {0xD7, 99}, {0x100, 0}});
}

TEST(FontTables, MacRomanTableAgreesWithTheMacRomanCharacterSet)
{
    // Reference pairs from the Mac OS Roman character set (ISO 8859-1 code, Mac Roman code).
    const pairs reference = {
        {0xA0, 0xCA}, {0xA1, 0xC1}, {0xA7, 0xA4}, {0xA9, 0xA9}, {0xAE, 0xA8}, {0xB0, 0xA1},
        {0xBF, 0xC0}, {0xC0, 0xCB}, {0xC4, 0x80}, {0xC5, 0x81}, {0xC6, 0xAE}, {0xC7, 0x82},
        {0xD1, 0x84}, {0xD6, 0x85}, {0xD8, 0xAF}, {0xDC, 0x86}, {0xDF, 0xA7}, {0xE0, 0x88},
        {0xE5, 0x8C}, {0xE6, 0xBE}, {0xF7, 0xD6}, {0xF8, 0xBF}, {0xFC, 0x9F}, {0xFF, 0xD8},
    };
    for (const auto& [ansi, mac] : reference) EXPECT_EQ(fonts::AnsiToMacRoman[ansi], mac) << ansi;
    for (int c = 0; c < 160; ++c) EXPECT_EQ(fonts::AnsiToMacRoman[c], c >= 32 && c < 127 ? c : 0) << c;
    for (int c : {166, 173, 178, 179, 183, 185, 188, 189, 190, 208, 215, 221, 222, 240, 253, 254})
        EXPECT_EQ(fonts::AnsiToMacRoman[c], 0) << c;
}

TEST(FontTables, SymbolFacesMoveCodesByTheFirstSegmentsConvention)
{
    const std::vector<BYTE> private_use = format4({{0xF020, 0xF0FF, 0x1000, {}}, {0xFFFF, 0xFFFF, 1, {}}});
    const std::vector<BYTE> bytes = format4({{0x20, 0xFF, 5, {}}, {0xFFFF, 0xFFFF, 1, {}}});
    const WORD moved = static_cast<WORD>(0xF041 + 0x1000);
    // A (3, 0) map at 0xF020: byte codes go up into private use, unless the character set is
    // not symbol and an OS/2 table is present; without OS/2 a (3, 0) map alone makes a symbol
    // face. A (3, 0) map at 0x20: private-use codes move down (0xF000 itself is not moved). A
    // (3, 1) map of a symbol face at 0xF020: byte codes go up, but without OS/2 it is no symbol
    // face. Only codes below 256 move.
    const struct {
        unsigned encoding;
        const std::vector<BYTE>& subtable;
        bool symbol_charset, has_os2, symbol;
        pairs glyphs;
    } cases[] = {
        {0, private_use, true, true, true, {{0x41, moved}, {0xF041, moved}, {0x1F, 0}}},
        {0, private_use, false, true, false, {{0x41, 0}, {0xF041, moved}}},
        {0, private_use, false, false, true, {{0x41, moved}}},
        {0, bytes, true, true, true, {{0xF041, 0x41 + 5}, {0x41, 0x41 + 5}, {0xF000, 0}}},
        {1, private_use, true, true, true, {{0x41, moved}, {0x141, 0}}},
        {1, private_use, true, false, false, {{0x41, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "(3, " << c.encoding << ") symbol " << c.symbol_charset
                                        << " os2 " << c.has_os2);
        Face face;
        face.cmap = cmap_table({{3, c.encoding, c.subtable}});
        face.has_os2 = c.has_os2;
        fonts::OpenTypeTables tables;
        ASSERT_TRUE(load(tables, face, c.symbol_charset));
        EXPECT_EQ(tables.IsSymbol(), c.symbol);
        expect_glyphs(tables, c.glyphs);
    }
}

TEST(FontTables, AdvanceWidthsAndTheLastLongMetric)
{
    Face face = face_with(format6(0x41, {1}));
    face.hhea = fonts_test::hhea_table(3);
    face.hmtx = fonts_test::hmtx_table({{600, 10}, {1200, 20}, {333, 30}}, 4);
    face.head = fonts_test::head_table(1000);
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetUnitsPerEm(), 1000);
    EXPECT_EQ(tables.GetNumberOfHMetrics(), 3);
    expect_advances(tables, {{0, 600}, {1, 1200}, {2, 333}, {3, 333}, {6, 333}, {0xFFFF, 333}});

    // An hmtx shorter than numberOfHMetrics claims: the bare bearings are read as metrics, and
    // metrics it lacks read as 0.
    face.hhea = fonts_test::hhea_table(50);
    ASSERT_TRUE(load(tables, face));
    expect_advances(tables, {{1, 1200}, {4, 7}, {5, 0}, {0xFFFF, 0}});

    face.hmtx.clear();
    ASSERT_TRUE(load(tables, face));
    EXPECT_EQ(tables.GetAdvanceWidth(0), 0);
}

TEST(FontTables, HeadAndHheaFailures)
{
    const Face face = face_with(format6(0x41, {1}));
    fonts::OpenTypeTables tables;
    ASSERT_TRUE(load(tables, face));
    std::vector<Face> bad(4, face);
    bad[0].head = fonts_test::head_table(2048, 0x5F0F3CF4u);
    bad[1].head.resize(53);
    bad[2].hhea.resize(35);
    bad[3].hhea = fonts_test::hhea_table(0);
    for (const Face& b : bad) {
        ASSERT_TRUE(load(tables, face));
        EXPECT_FALSE(load(tables, b));
        EXPECT_FALSE(tables.IsLoaded());
        expect_empty(tables);
    }
}

TEST(FontTables, DamagedCmapHeadersFail)
{
    std::vector<BYTE> cut_record = cmap_table({{3, 1, {}}});
    cut_record.resize(4 + 6);
    Bytes format2, format12;
    format2.u16(2).u16(6).u16(0);
    format12.u16(12).u16(0).u32(16).u32(0).u32(0);
    const std::vector<BYTE> six = format6(0x41, {5});
    const std::vector<std::vector<BYTE>> cmaps = {
        {0, 0, 0},   // no room for numTables
        cut_record,  // a record cut in half is no record
        // The chosen subtable starts beyond the table or has no room for its format.
        cmap_table({{3, 1, six, 0x7FFFFFF0u}}),
        cmap_table({{3, 1, six, 0xFFFFFFFFu}}),
        cmap_table({{3, 1, {0x00}}}),
        // The last qualifying record decides even when an earlier one was usable.
        cmap_table({{3, 0, six}, {3, 1, six, 0x10000u}}),
        // Formats other than 0, 4 and 6 are refused.
        cmap_table({{3, 1, format2.data}}),
        cmap_table({{3, 1, format12.data}}),
        // Fixed fields cut short: format 6 without entryCount, format 4 without its search
        // fields, format 0 without its language.
        cmap_table({{3, 1, {0, 6, 0, 0, 0, 0x41, 0}}}),
        cmap_table({{3, 1, {0, 4, 0, 20, 0, 0, 0, 2, 0, 0, 0, 0}}}),
        cmap_table({{3, 1, {0, 0, 0, 6}}}),
    };
    fonts::OpenTypeTables tables;
    for (std::size_t i = 0; i < cmaps.size(); ++i) {
        Face face;
        face.cmap = cmaps[i];
        EXPECT_FALSE(load(tables, face)) << "case " << i;
    }
}

TEST(FontTables, DamagedTablesGiveZeroInsteadOfReadingPastTheEnd)
{
    // numTables far beyond the records present: the records that exist still count.
    std::vector<BYTE> many = cmap_table({{3, 1, format6(0x41, {5})}});
    many[2] = many[3] = 0xFF;
    // Format 0 cut after 100 entries.
    std::vector<BYTE> short0 = format0(identity_format0_with_zero_at(0));
    short0.resize(6 + 100);
    const struct {
        std::vector<BYTE> cmap;
        bool symbol;
        pairs glyphs;
    } cases[] = {
        {many, false, {{'A', 5}}},
        // The entry past a format 6 table's count is not read, though the next subtable follows.
        {cmap_table({{3, 1, format6(0x41, {5})}, {1, 1, format6(0x41, {9})}}), false, {{'A', 5}, {'B', 0}}},
        {cmap_table({{3, 1, short0}}), false, {{99, 99}, {100, 0}, {255, 0}}},
        // Format 6 claiming 0xFFFF entries with two present.
        {cmap_table({{3, 1, format6(0x10, {21, 22}, 0xFFFF)}}), false, {{0x11, 22}, {0x12, 0}, {0xFFFF, 0}}},
        // Format 4 with no segments maps nothing.
        {cmap_table({{3, 1, format4_raw(0, {}, {}, {}, {}, {})}}), true,
         {{0, 0}, {0x41, 0}, {0xF041, 0}, {0xFFFF, 0}}},
        // Format 4 claiming 32767 segments and holding one: its start code lies beyond the table.
        {cmap_table({{3, 1, format4_raw(0xFFFE, {0x50}, {0x40}, {1}, {0}, {})}}), true,
         {{0x45, 0}, {0x60, 0}, {0xFFFF, 0}}},
        // idRangeOffsets pointing past the end of the table, and at its last whole word.
        {cmap_table({{3, 1, format4_raw(4, {0x50, 0xFFFF}, {0x40, 0xFFFF}, {3, 1}, {0xFFFF, 0}, {})}}),
         false, {{0x40, 0}, {0x50, 0}}},
        {cmap_table({{3, 1, format4_raw(4, {0x50, 0xFFFF}, {0x40, 0xFFFF}, {3, 1}, {4, 0}, {0x1234})}}),
         false, {{0x40, 0x1234 + 3}, {0x41, 0}}},
        // segCountX2 = 5 counts two segments and places the arrays as for two; 1 counts none.
        {cmap_table({{3, 1, format4_raw(5, {0x7E, 0xFFFF}, {0x20, 0xFFFF}, {0xFFE3, 1}, {0, 0}, {})}}),
         false, {{'A', 36}, {0x80, 0}}},
        {cmap_table({{3, 1, format4_raw(1, {0x7E}, {0x20}, {0xFFE3}, {0}, {})}}), false, {{'A', 0}}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        Face face;
        face.cmap = cases[i].cmap;
        fonts::OpenTypeTables tables;
        ASSERT_TRUE(load(tables, face, cases[i].symbol));
        expect_glyphs(tables, cases[i].glyphs);
    }
}

TEST(FontTables, NothingLoadedGivesZeroAsAfterClearOrAFailedReload)
{
    fonts::OpenTypeTables tables;
    EXPECT_FALSE(tables.IsLoaded());
    expect_empty(tables);
    EXPECT_EQ(tables.GetFormat(), 0);
    ASSERT_TRUE(load(tables, face_with(format6(0x41, {5}))));
    tables.Clear();
    expect_empty(tables);
    ASSERT_TRUE(load(tables, face_with(format6(0x41, {6}))));
    EXPECT_EQ(tables.GetGlyphIndex('A'), 6);
    EXPECT_EQ(tables.GetAdvanceWidth(0), 500);
}
