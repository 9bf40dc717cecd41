// CZOpenTypeFont on installed faces, checked against FreeType reading the same font file that
// GDI selected: glyph indices through the face's (3, 1) map, and unscaled advances.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fonts/open_type_font.h"
#include "platform/gdi/gdi.h"
#include "tests/gdi/gdi_fixtures.h"

namespace {

using gdi_test::family_of;

// The font file GDI selects for a request, and its hhea numberOfHMetrics, read without the
// code under test.
struct SelectedFont {
    std::vector<BYTE> file;
    unsigned number_of_h_metrics = 0;
    std::vector<BYTE> metrics;  // GetOutlineTextMetricsA as GDI returns it
};

SelectedFont select_font(const char* face, BOOL bold, BOOL italic, LONG height)
{
    gdi_test::Display dc;
    gdi_test::Selected font(dc.get(), height, face, bold ? 700 : 400, italic != FALSE);
    SelectedFont out{gdi_test::font_file(dc.get())};
    BYTE hhea[36] = {};
    if (GetFontData(dc.get(), MakeTableTag('h', 'h', 'e', 'a'), 0, hhea, 36) == 36) {
        out.number_of_h_metrics = (hhea[34] << 8) | hhea[35];
    }
    out.metrics.resize(GetOutlineTextMetricsA(dc.get(), 0, nullptr));
    if (!out.metrics.empty()) {
        GetOutlineTextMetricsA(dc.get(), static_cast<UINT>(out.metrics.size()),
                               reinterpret_cast<OUTLINETEXTMETRICA*>(out.metrics.data()));
    }
    return out;
}

class FreeTypeFace {
public:
    explicit FreeTypeFace(const std::vector<BYTE>& file)
    {
        if (FT_Init_FreeType(&library_) != 0) return;
        if (FT_New_Memory_Face(library_, file.data(), static_cast<FT_Long>(file.size()), 0,
                               &face_) != 0) {
            face_ = nullptr;
            return;
        }
        for (int i = 0; i < face_->num_charmaps; ++i) {
            FT_CharMap map = face_->charmaps[i];
            if (map->platform_id == 3 && map->encoding_id == 1) unicode_ = FT_Set_Charmap(face_, map) == 0;
        }
    }
    ~FreeTypeFace()
    {
        if (face_ != nullptr) FT_Done_Face(face_);
        if (library_ != nullptr) FT_Done_FreeType(library_);
    }
    bool ok() const { return face_ != nullptr && unicode_; }
    unsigned glyph(unsigned code) const { return FT_Get_Char_Index(face_, code); }
    std::int64_t advance(unsigned glyph) const
    {
        FT_Fixed advance = -1;
        if (FT_Get_Advance(face_, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return -1;
        return static_cast<std::int64_t>(advance);
    }
    unsigned glyph_count() const { return static_cast<unsigned>(face_->num_glyphs); }
    unsigned units_per_em() const { return face_->units_per_EM; }
    std::string family() const { return face_->family_name; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    bool unicode_ = false;
};

void expect_nothing_loaded(const CZOpenTypeFont& font)
{
    EXPECT_EQ(font.GetUnitsPerEm(), 0);
    EXPECT_EQ(font.GetOutlineTextMetrics(), nullptr);
    for (unsigned code : {0x20u, 0x41u, 0xE9u, 0x20ACu, 0xFFFFu}) {
        EXPECT_EQ(font.GetGlyphIndex(static_cast<WORD>(code)), 0) << code;
    }
    for (unsigned glyph : {0u, 1u, 36u, 0xFFFFu}) {
        EXPECT_EQ(font.GetAdvanceWidth(static_cast<WORD>(glyph)), 0) << glyph;
    }
}

class InstalledFace : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST(OpenTypeFont, QueriesBeforeOpenGiveNothing)
{
    CZOpenTypeFont font;
    expect_nothing_loaded(font);
}

TEST_P(InstalledFace, GlyphsAndAdvancesMatchTheFontFile)
{
    const SelectedFont selected = select_font(GetParam(), FALSE, FALSE, -1000);
    ASSERT_FALSE(selected.file.empty());
    FreeTypeFace reference(selected.file);
    ASSERT_TRUE(reference.ok());
    ASSERT_EQ(reference.family(), GetParam()) << "GDI chose another face than the test expects";

    CZOpenTypeFont font;
    ASSERT_EQ(font.Open(GetParam(), FALSE, FALSE, -1000), 1);
    EXPECT_EQ(font.GetUnitsPerEm(), 2048);
    EXPECT_EQ(reference.units_per_em(), 2048u);
    EXPECT_FALSE(font.IsSymbolFont());

    unsigned mapped = 0;
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        const WORD glyph = font.GetGlyphIndex(static_cast<WORD>(code));
        ASSERT_EQ(glyph, reference.glyph(code)) << "code " << code;
        mapped += glyph != 0;
    }
    EXPECT_GT(mapped, 600u);
    // Codes the faces leave out: a control character, private use, a noncharacter.
    for (unsigned code : {0x01u, 0xE000u, 0xFFFFu}) EXPECT_EQ(font.GetGlyphIndex(code), 0) << code;

    for (unsigned glyph = 0; glyph < reference.glyph_count(); ++glyph) {
        ASSERT_EQ(font.GetAdvanceWidth(static_cast<WORD>(glyph)), reference.advance(glyph))
            << "glyph " << glyph;
    }
    // Glyphs past the long metrics, and past the font's glyphs, take the last advance.
    ASSERT_GT(selected.number_of_h_metrics, 1u);
    const unsigned last = selected.number_of_h_metrics - 1;
    const std::int64_t last_advance = reference.advance(last);
    EXPECT_GT(last_advance, 0);
    EXPECT_NE(font.GetAdvanceWidth(0), 0);
    for (unsigned glyph : {last + 1, last + 2, reference.glyph_count(), 0xFFFEu, 0xFFFFu}) {
        if (glyph > 0xFFFF) continue;
        EXPECT_EQ(font.GetAdvanceWidth(static_cast<WORD>(glyph)), last_advance) << glyph;
    }
}

INSTANTIATE_TEST_SUITE_P(Faces, InstalledFace, ::testing::Values("Liberation Sans", "DejaVu Sans"));

TEST(OpenTypeFont, OutlineMetricsAreThoseGdiReports)
{
    struct Request {
        const char* face;
        BOOL bold;
        BOOL italic;
        LONG height;
    };
    for (const Request& r : {Request{"Liberation Sans", FALSE, FALSE, -1000},
                             Request{"DejaVu Sans", TRUE, FALSE, -1000},
                             Request{"Liberation Sans", FALSE, TRUE, 24}}) {
        SCOPED_TRACE(r.face);
        const SelectedFont selected = select_font(r.face, r.bold, r.italic, r.height);
        ASSERT_GE(selected.metrics.size(), sizeof(OUTLINETEXTMETRICA));

        CZOpenTypeFont font;
        ASSERT_EQ(font.Open(r.face, r.bold, r.italic, r.height), 1);
        const OUTLINETEXTMETRICA* otm = font.GetOutlineTextMetrics();
        ASSERT_NE(otm, nullptr);
        ASSERT_EQ(otm->otmSize, selected.metrics.size());
        EXPECT_EQ(std::memcmp(otm, selected.metrics.data(), selected.metrics.size()), 0);
        EXPECT_STREQ(family_of(otm), r.face);
        EXPECT_EQ(otm->otmTextMetrics.tmWeight, r.bold ? 700 : 400);
        EXPECT_EQ(otm->otmTextMetrics.tmItalic != 0, r.italic != 0);
        EXPECT_GT(otm->otmTextMetrics.tmHeight, otm->otmTextMetrics.tmDescent);
        EXPECT_GT(otm->otmTextMetrics.tmDescent, 0);
        if (r.height == -1000) {
            EXPECT_EQ(otm->otmTextMetrics.tmHeight - otm->otmTextMetrics.tmInternalLeading, 1000);
        }
    }
}

TEST(OpenTypeFont, BoldAndItalicReadTheirOwnFaces)
{
    for (BOOL bold : {FALSE, TRUE}) {
        for (BOOL italic : {FALSE, TRUE}) {
            SCOPED_TRACE(std::to_string(bold) + "/" + std::to_string(italic));
            const SelectedFont selected = select_font("DejaVu Sans", bold, italic, -1000);
            FreeTypeFace reference(selected.file);
            ASSERT_TRUE(reference.ok());
            CZOpenTypeFont font;
            ASSERT_EQ(font.Open("DejaVu Sans", bold, italic, -1000), 1);
            EXPECT_EQ(font.IsBold(), bold);
            EXPECT_EQ(font.IsItalic(), italic);
            for (WORD code : {WORD{'A'}, WORD{'W'}, WORD{'m'}, WORD{0xE9}, WORD{0x20AC}}) {
                const WORD glyph = font.GetGlyphIndex(code);
                EXPECT_EQ(glyph, reference.glyph(code)) << code;
                EXPECT_EQ(font.GetAdvanceWidth(glyph), reference.advance(glyph)) << code;
            }
        }
    }
}

TEST(OpenTypeFont, SubstitutedFaceReadsTheFaceGdiChose)
{
    // The glyphs read for "Arial" are checked against Liberation Sans's tables in tests/oracle.
    CZOpenTypeFont arial;
    ASSERT_EQ(arial.Open("Arial", FALSE, FALSE, -1000), 1);
    EXPECT_STREQ(family_of(arial.GetOutlineTextMetrics()), "Liberation Sans");
    EXPECT_EQ(arial.GetFaceName(), "Arial");

    // Font units do not depend on the height; tests/oracle reads them at several.
    CZOpenTypeFont unknown;
    ASSERT_EQ(unknown.Open("No Such Face Anywhere", FALSE, FALSE, 9), 1);
    EXPECT_EQ(unknown.GetHeight(), 9);
    EXPECT_NE(unknown.GetGlyphIndex('A'), 0);
    EXPECT_EQ(unknown.GetUnitsPerEm(), 2048);
}

TEST(OpenTypeFont, CloseThenReopenAndReopenReplaces)
{
    CZOpenTypeFont font;
    ASSERT_EQ(font.Open("DejaVu Sans", FALSE, FALSE, -1000), 1);
    const WORD dejavu_a = font.GetGlyphIndex('A');
    const WORD dejavu_width = font.GetAdvanceWidth(dejavu_a);
    font.Close();
    expect_nothing_loaded(font);

    // Reopened on another face, it reads that face's tables (whose values tests/oracle checks).
    ASSERT_EQ(font.Open("Liberation Sans", FALSE, FALSE, -1000), 1);
    EXPECT_STREQ(family_of(font.GetOutlineTextMetrics()), "Liberation Sans");
    EXPECT_NE(font.GetAdvanceWidth(font.GetGlyphIndex('A')), dejavu_width);

    // Opening again without Close replaces the face.
    ASSERT_EQ(font.Open("DejaVu Sans", FALSE, FALSE, -1000), 1);
    EXPECT_EQ(font.GetGlyphIndex('A'), dejavu_a);
    EXPECT_EQ(font.GetAdvanceWidth(dejavu_a), dejavu_width);
    EXPECT_STREQ(family_of(font.GetOutlineTextMetrics()), "DejaVu Sans");
}

TEST(OpenTypeFont, PersistentDeviceContextIsUsedAndLeftAsFound)
{
    HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    const HGDIOBJ font_before = GetCurrentObject(dc, OBJ_FONT);
    {
        CZOpenTypeFont font(dc);
        ASSERT_EQ(font.Open("Liberation Sans", FALSE, FALSE, -1000), 1);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font_before);
        ASSERT_EQ(font.Open("DejaVu Sans", TRUE, FALSE, -1000), 1);
        EXPECT_STREQ(family_of(font.GetOutlineTextMetrics()), "DejaVu Sans");
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font_before);
    }
    // Neither Open nor the destructor deleted the caller's context.
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);

    // A context that has gone away makes Open fail and forget the face it had.
    CZOpenTypeFont font(dc);
    ASSERT_EQ(font.Open("Liberation Sans", FALSE, FALSE, -1000), 1);
    ASSERT_TRUE(DeleteDC(dc));
    EXPECT_EQ(font.Open("Liberation Sans", FALSE, FALSE, -1000), 0);
    expect_nothing_loaded(font);
    EXPECT_EQ(font.GetFaceName(), "Liberation Sans");
}
