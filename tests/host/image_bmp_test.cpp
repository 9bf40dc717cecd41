// BMP through the image decoder: palette and direct-colour depths, both row orders, the old core
// header, bit fields with and without alpha, and run-length encoding.
#include <gtest/gtest.h>

#include "tests/host/image_builders.h"

namespace {

using namespace image_test;

TEST(image_bmp, palette_depths_both_row_orders)
{
    for (const unsigned bits : {1u, 4u, 8u}) {
        const std::uint32_t n = bits == 1 ? 2 : bits == 4 ? 16 : 6;
        const palette pal = colours(n);
        const grid g = index_grid(bits == 1 ? 13 : 5, 3, n);
        for (const bool top_down : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, top_down " << top_down);
            bmp_parts p;
            p.width = static_cast<std::int32_t>(g[0].size());
            p.height = top_down ? -3 : 3;
            p.bits = bits;
            p.colours_used = n;
            p.palette = palette_of(pal);
            p.data = pack_rows(g, bits, top_down);
            const bytes file = make_bmp(p);
            expect_indexed(decode(file), g, pal);
            EXPECT_EQ(probe(file), (probed{S_OK, img::format::bmp, p.width, 3}));
        }
    }
}

TEST(image_bmp, grey_palette_core_header_and_indices_past_the_palette)
{
    // Black and white: one grey component.
    const grid g = index_grid(9, 2, 2);
    bmp_parts p;
    p.width = 9, p.height = 2, p.bits = 1;
    p.palette = palette_of({{0, 0, 0}, {255, 255, 255}});
    p.data = pack_rows(g, 1);
    const result r = decode(make_bmp(p));
    ASSERT_EQ(r.hr, S_OK) << r.message;
    ASSERT_EQ(r.picture.components, 1);
    bytes want;
    for (const auto& row : g)
        for (const std::uint32_t i : row) want.push_back(i ? 255 : 0);
    EXPECT_EQ(r.picture.pixels, want);

    // The old 12-byte header: three-byte palette entries, always bottom-up.
    const palette pal = colours(256);
    const grid g8 = index_grid(6, 4, 256);
    bmp_parts core;
    core.header = 12;
    core.width = 6, core.height = 4, core.bits = 8;
    core.palette = palette_of(pal, 3);
    core.data = pack_rows(g8, 8);
    expect_indexed(decode(make_bmp(core)), g8, pal);

    // An index past the palette reads black; with no palette stored, every index does.
    grid past = index_grid(4, 2, 2);
    past[1][2] = 5;
    bmp_parts q;
    q.width = 4, q.height = 2, q.bits = 8, q.colours_used = 2;
    q.palette = palette_of(colours(2));
    q.data = pack_rows(past, 8);
    palette with_black = colours(2);
    with_black.resize(6, {0, 0, 0});
    expect_indexed(decode(make_bmp(q)), past, with_black);
    q.palette.clear();
    const result none = decode(make_bmp(q));
    ASSERT_EQ(none.hr, S_OK) << none.message;
    EXPECT_EQ(none.picture.components, 1);
    EXPECT_EQ(none.picture.pixels, bytes(8, 0));
}

TEST(image_bmp, direct_colour_depths)
{
    grid g(3, std::vector<std::uint32_t>(5));  // 0xRRGGBB
    for (std::size_t y = 0; y < 3; ++y)
        for (std::size_t x = 0; x < 5; ++x)
            g[y][x] = static_cast<std::uint32_t>((x * 50) << 16 | (y * 80 + 7) << 8 | (200 - x * 10));
    // 32 bits without masks: the fourth byte is not alpha.
    grid x = g;
    for (auto& row : x)
        for (auto& v : row) v |= 0x37000000u;
    for (const bool top_down : {false, true})
        for (const unsigned bits : {24u, 32u}) {
            SCOPED_TRACE(testing::Message() << bits << (top_down ? " top-down" : " bottom-up"));
            bmp_parts p;
            p.width = 5, p.height = top_down ? -3 : 3, p.bits = bits;
            p.data = pack_rows(bits == 24 ? g : x, bits, top_down);
            const result r = decode(make_bmp(p));
            ASSERT_EQ(r.hr, S_OK) << r.message;
            EXPECT_EQ(r.picture.components, 3);
            EXPECT_EQ(r.picture.pixels, rgb_of(g));
            EXPECT_TRUE(r.picture.alpha.empty());
        }
}

TEST(image_bmp, bit_fields_and_alpha)
{
    // 16 bits: the default 5-5-5, then 5-6-5 from masks after a 40-byte header.
    const grid fives{{0x7FFF, 0x0000, 16u << 10 | 8u << 5 | 1u}, {31u << 10, 31u << 5, 31u}};
    const grid sixes{{0xFFFF, 0x07E0, 10u << 11 | 40u << 5 | 3u}, {0xF800, 0x001F, 0}};
    auto scale = [](std::uint32_t v, std::uint32_t top) { return static_cast<BYTE>(std::lround(v * 255.0 / top)); };
    bmp_parts p;
    p.width = 3, p.height = 2, p.bits = 16;
    p.data = pack_rows(fives, 16);
    const result r555 = decode(make_bmp(p));
    ASSERT_EQ(r555.hr, S_OK) << r555.message;
    bytes want;
    for (const auto& row : fives)
        for (const std::uint32_t v : row) want.insert(want.end(), {scale(v >> 10 & 31, 31), scale(v >> 5 & 31, 31), scale(v & 31, 31)});
    EXPECT_EQ(r555.picture.pixels, want);

    p.compression = 3;
    p.masks = {0xF800, 0x07E0, 0x001F, 0};
    p.data = pack_rows(sixes, 16);
    const result r565 = decode(make_bmp(p));
    ASSERT_EQ(r565.hr, S_OK) << r565.message;
    want.clear();
    for (const auto& row : sixes)
        for (const std::uint32_t v : row) want.insert(want.end(), {scale(v >> 11, 31), scale(v >> 5 & 63, 63), scale(v & 31, 31)});
    EXPECT_EQ(r565.picture.pixels, want);

    // 32 bits with an alpha mask in the later headers; an alpha mask whose bits are never set
    // is opaque.
    const grid argb{{0x80FF0000, 0x0000FF00, 0xFF0000FF}, {0x40102030, 0xFFFFFFFF, 0x01000000}};
    grid no_alpha = argb;
    for (auto& row : no_alpha)
        for (auto& v : row) v &= 0x00FFFFFF;
    bytes alpha;
    const bytes colour = rgb_of(argb, &alpha);
    for (const std::uint32_t header : {108u, 124u}) {
        bmp_parts a;
        a.header = header;
        a.width = 3, a.height = -2, a.bits = 32, a.compression = 3;
        a.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        a.data = pack_rows(argb, 32, true);
        const result r = decode(make_bmp(a));
        ASSERT_EQ(r.hr, S_OK) << r.message;
        EXPECT_EQ(r.picture.pixels, colour);
        EXPECT_EQ(r.picture.alpha, alpha);
        a.data = pack_rows(no_alpha, 32, true);
        const result clear = decode(make_bmp(a));
        ASSERT_EQ(clear.hr, S_OK) << clear.message;
        EXPECT_TRUE(clear.picture.alpha.empty());
        EXPECT_EQ(clear.picture.pixels, colour);
    }
}

TEST(image_bmp, run_length_encoded)
{
    const palette pal = colours(16);
    // RLE8, 6x3, bottom row first: a run, an absolute run (odd, so padded), end of line;
    // a delta that skips into the next row; then end of bitmap leaving the rest as entry 0.
    const bytes rle8{3, 5, 0, 3, 1, 2, 3, 0, 0, 0,  // row 0: 5 5 5 1 2 3
                     2, 7, 0, 2, 2, 1, 1, 9,        // row 1: 7 7, skip to x 4 of row 2, 9
                     0, 1};
    bmp_parts p;
    p.width = 6, p.height = 3, p.bits = 8, p.compression = 1, p.colours_used = 16;
    p.palette = palette_of(pal);
    p.data = rle8;
    expect_indexed(decode(make_bmp(p)), {{0, 0, 0, 0, 9, 0}, {7, 7, 0, 0, 0, 0}, {5, 5, 5, 1, 2, 3}}, pal);

    // RLE4: a run alternates its two nibbles; an absolute run of 5 nibbles takes 3 bytes + pad.
    p.width = 5, p.height = 2, p.bits = 4, p.compression = 2;
    p.data = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1};
    expect_indexed(decode(make_bmp(p)), {{3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}}, pal);
}

}  // namespace
