// CZOpenTypeFont on small font files written by the test and registered with GDI: a symbol face
// whose only map is (3, 0) and which has no OS/2 table, and a face whose tables the reader must
// refuse although GDI and FreeType accept them.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fonts/open_type_font.h"
#include "platform/gdi/gdi.h"
#include "tests/gdi/gdi_fixtures.h"
#include "table_builder.h"

namespace {

using fonts_test::Bytes;

constexpr unsigned kGlyphs = 4;

std::vector<BYTE> name_table(const std::string& family)
{
    const std::pair<unsigned, std::string> names[] = {
        {1, family}, {2, "Regular"}, {4, family}, {6, "ZcntTest"}};
    Bytes records, strings;
    for (const auto& [id, text] : names) {
        records.u16(3).u16(1).u16(0x409).u16(id).u16(static_cast<unsigned>(2 * text.size()));
        records.u16(static_cast<unsigned>(strings.data.size()));
        for (char c : text) strings.u16(static_cast<BYTE>(c));
    }
    Bytes b;
    b.u16(0).u16(4).u16(6 + 12 * 4).append(records.data).append(strings.data);
    return b.data;
}

std::vector<BYTE> head_table(DWORD magic)
{
    std::vector<BYTE> head = fonts_test::head_table(1000, magic);
    head[40] = 0x02;  // xMax 700
    head[41] = 0xBC;
    head[42] = 0x02;  // yMax 700
    head[43] = 0xBC;
    return head;
}

std::vector<BYTE> hhea_table(unsigned number_of_h_metrics)
{
    std::vector<BYTE> hhea = fonts_test::hhea_table(number_of_h_metrics);
    hhea[4] = 0x03;  // ascender 800
    hhea[5] = 0x20;
    hhea[6] = 0xFF;  // descender -200
    hhea[7] = 0x38;
    return hhea;
}

struct FontRecipe {
    std::string family;
    std::vector<BYTE> cmap;
    DWORD magic = 0x5F0F3CF5u;
    unsigned number_of_h_metrics = 2;
};

// An sfnt with empty outlines; tables sorted by tag, each padded to four bytes.
std::vector<BYTE> font_file(const FontRecipe& recipe)
{
    std::map<std::string, std::vector<BYTE>> tables;
    tables["cmap"] = recipe.cmap;
    tables["glyf"] = {0, 0, 0, 0};
    tables["head"] = head_table(recipe.magic);
    tables["hhea"] = hhea_table(recipe.number_of_h_metrics);
    tables["hmtx"] = fonts_test::hmtx_table({{300, 0}, {700, 0}}, kGlyphs - 2);
    Bytes loca;
    for (unsigned i = 0; i <= kGlyphs; ++i) loca.u16(0);
    tables["loca"] = loca.data;
    Bytes maxp;
    maxp.u32(0x00005000).u16(kGlyphs);
    tables["maxp"] = maxp.data;
    tables["name"] = name_table(recipe.family);

    Bytes file;
    file.u32(0x00010000).u16(static_cast<unsigned>(tables.size())).u16(128).u16(3).u16(0);
    DWORD at = static_cast<DWORD>(12 + 16 * tables.size());
    for (const auto& [tag, bytes] : tables) {
        for (char c : tag) file.u8(static_cast<BYTE>(c));
        file.u32(0).u32(at).u32(static_cast<DWORD>(bytes.size()));
        at += static_cast<DWORD>((bytes.size() + 3) & ~std::size_t{3});
    }
    for (const auto& [tag, bytes] : tables) {
        file.append(bytes);
        while (file.data.size() % 4 != 0) file.u8(0);
    }
    return file.data;
}

// Writes the file and makes its family resolvable; false when GDI would not take it.
bool register_font(const FontRecipe& recipe)
{
    const std::string path = ::testing::TempDir() + "zcnt_fonts_" + recipe.family + ".ttf";
    const std::vector<BYTE> bytes = font_file(recipe);
    const bool written = static_cast<bool>(std::ofstream(path, std::ios::binary)
                                               .write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size())));
    return written && AddFontResourceExA(path.c_str(), FR_PRIVATE, nullptr) == 1;
}

std::vector<BYTE> symbol_cmap()
{
    // The first segment starts at 0xF020; only 0xF041 and 0xF042 have glyphs.
    std::vector<unsigned> glyphs(0xF042 - 0xF020 + 1, 0);
    glyphs[0xF041 - 0xF020] = 2;
    glyphs[0xF042 - 0xF020] = 3;
    return fonts_test::cmap_table(
        {{3, 0, fonts_test::format4({{0xF020, 0xF042, 0, glyphs}, {0xFFFF, 0xFFFF, 1, {}}})}});
}

}  // namespace

TEST(PrivateFont, SymbolFaceWithoutOs2MapsByteCodesIntoPrivateUse)
{
    FontRecipe recipe;
    recipe.family = "Zcnt Symbol Test";
    recipe.cmap = symbol_cmap();
    ASSERT_TRUE(register_font(recipe));

    CZOpenTypeFont font;
    ASSERT_EQ(font.Open(recipe.family.c_str(), FALSE, FALSE, -1000), 1);
    ASSERT_EQ(gdi_test::family_of(font.GetOutlineTextMetrics()), recipe.family) << "GDI chose another face";
    EXPECT_EQ(font.GetOutlineTextMetrics()->otmTextMetrics.tmCharSet, SYMBOL_CHARSET);
    EXPECT_TRUE(font.IsSymbolFont());
    EXPECT_EQ(font.GetUnitsPerEm(), 1000);

    // 0x41 is looked up as 0xF041; glyph 3 lies past the long metrics.
    for (const auto& [code, glyph] : {std::pair{0x41, 2}, {0x42, 3}, {0xF041, 2}, {0x43, 0}, {0x141, 0}})
        EXPECT_EQ(font.GetGlyphIndex(static_cast<WORD>(code)), glyph) << code;
    for (const auto& [glyph, advance] : {std::pair{0, 300}, {2, 700}, {3, 700}})
        EXPECT_EQ(font.GetAdvanceWidth(static_cast<WORD>(glyph)), advance) << glyph;
}

// Which tables the reader refuses (a bad head magic, no usable map, a format 2 map) is the table
// tests' business; here that a refusal fails Open and forgets the face opened before.
TEST(PrivateFont, TablesTheReaderRefusesMakeOpenFail)
{
    FontRecipe bad_magic;
    bad_magic.family = "Zcnt Bad Magic";
    bad_magic.cmap = symbol_cmap();
    bad_magic.magic = 0x12345678u;
    ASSERT_TRUE(register_font(bad_magic)) << "GDI did not take the font file";
    {
        gdi_test::Display dc;
        gdi_test::Selected selected(dc.get(), -1000, bad_magic.family.c_str(), FW_NORMAL);
        ASSERT_EQ(gdi_test::face_name(dc.get()), bad_magic.family) << "GDI chose another face";
    }
    CZOpenTypeFont font;
    ASSERT_EQ(font.Open("DejaVu Sans", FALSE, FALSE, -1000), 1);
    EXPECT_EQ(font.Open(bad_magic.family.c_str(), FALSE, FALSE, -1000), 0);
    EXPECT_EQ(font.GetOutlineTextMetrics(), nullptr);
    EXPECT_EQ(font.GetUnitsPerEm(), 0);
    EXPECT_EQ(font.GetGlyphIndex('A'), 0);
    EXPECT_EQ(font.GetAdvanceWidth(0), 0);
}
