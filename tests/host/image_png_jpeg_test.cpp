// PNG and JPEG through the image decoder: every colour type and depth decoded exactly (PNG) or
// close to the original (JPEG), alpha in its own plane, JPEG bytes kept when asked for.
#include <gtest/gtest.h>

#include "tests/host/image_builders.h"

namespace {

using namespace image_test;

TEST(image_png, grey_rgb_and_alpha_decode_exactly)
{
    const std::uint32_t w = 7, h = 5;
    for (const int components : {1, 3}) {
        const bytes source = pattern(w * h * components, components);
        const bytes file = png_write(components == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB, w, h, source);
        const result r = decode(file);
        ASSERT_EQ(r.hr, S_OK) << r.message;
        EXPECT_EQ(shape_of(r.picture), (shape{img::format::png, w, h, components}));
        EXPECT_EQ(r.picture.pixels, source);
        EXPECT_TRUE(r.picture.alpha.empty());
        EXPECT_TRUE(r.picture.jpeg.empty());

        EXPECT_EQ(probe(file), (probed{S_OK, img::format::png, w, h}));
    }
    // Alpha goes to its own plane; grey with alpha, every pixel opaque, has none.
    const bytes rgba = pattern(6 * 4 * 4, 9);
    const result r = decode(png_write(PNG_FORMAT_RGBA, 6, 4, rgba));
    ASSERT_EQ(r.hr, S_OK) << r.message;
    EXPECT_EQ(r.picture.components, 3);
    EXPECT_EQ(std::pair(r.picture.pixels, r.picture.alpha), split_alpha(rgba, 4));
    bytes ga(6 * 4 * 2, 0xFF);
    for (std::size_t i = 0; i < 6 * 4; ++i) ga[i * 2] = static_cast<BYTE>(i * 9);
    const result opaque = decode(png_write(PNG_FORMAT_GA, 6, 4, ga));
    ASSERT_EQ(opaque.hr, S_OK) << opaque.message;
    EXPECT_EQ(opaque.picture.components, 1);
    EXPECT_TRUE(opaque.picture.alpha.empty());
    EXPECT_EQ(opaque.picture.pixels, split_alpha(ga, 2).first);
}

TEST(image_png, palette_becomes_rgb_and_palette_alpha_becomes_a_plane)
{
    const std::uint32_t w = 5, h = 3, entries = 4;
    bytes indices(w * h);
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<BYTE>(i % entries);
    const bytes rgb_map{200, 10, 30, 0, 128, 255, 17, 17, 17, 250, 240, 5};
    const result r = decode(png_write(PNG_FORMAT_RGB_COLORMAP, w, h, indices, rgb_map, entries));
    ASSERT_EQ(r.hr, S_OK) << r.message;
    EXPECT_EQ(r.picture.components, 3);
    bytes want;
    for (const BYTE i : indices) want.insert(want.end(), &rgb_map[i * 3], &rgb_map[i * 3 + 3]);
    EXPECT_EQ(r.picture.pixels, want);
    EXPECT_TRUE(r.picture.alpha.empty());

    const bytes rgba_map{200, 10, 30, 255, 0, 128, 255, 0, 17, 17, 17, 255, 250, 240, 5, 255};
    const result t = decode(png_write(PNG_FORMAT_RGBA_COLORMAP, w, h, indices, rgba_map, entries));
    ASSERT_EQ(t.hr, S_OK) << t.message;
    ASSERT_EQ(t.picture.alpha.size(), std::size_t{w * h});
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const BYTE* entry = &rgba_map[indices[i] * 4];
        EXPECT_EQ(t.picture.alpha[i], entry[3]) << i;
        for (int c = 0; c < 3 && entry[3] == 255; ++c) EXPECT_EQ(t.picture.pixels[i * 3 + c], entry[c]);
    }
}

TEST(image_png, sixteen_bits_narrow_and_a_colour_key_gives_alpha)
{
    const std::uint32_t w = 4, h = 2;
    const std::uint16_t samples[] = {0, 65535, 257 * 100, 12345, 40000, 65280, 1000, 30000};
    for (const BYTE colour_type : {BYTE{0}, BYTE{2}}) {
        const int components = colour_type == 0 ? 1 : 3;
        std::vector<bytes> rows(h);
        std::vector<std::uint16_t> wide;
        for (std::uint32_t y = 0; y < h; ++y)
            for (std::uint32_t i = 0; i < w * components; ++i) {
                const std::uint16_t v = samples[(y * w * components + i) % 8];
                wide.push_back(v);
                rows[y].insert(rows[y].end(), {static_cast<BYTE>(v >> 8), static_cast<BYTE>(v)});
            }
        const result r = decode(png_by_hand(w, h, 16, colour_type, rows));
        ASSERT_EQ(r.hr, S_OK) << r.message;
        ASSERT_EQ(r.picture.components, components);
        ASSERT_EQ(r.picture.pixels.size(), wide.size());
        for (std::size_t i = 0; i < wide.size(); ++i)
            EXPECT_NEAR(r.picture.pixels[i], std::lround(wide[i] / 257.0), 1) << i;
    }

    const std::vector<bytes> rows{{10, 20, 30, 20}, {20, 50, 60, 70}};
    const result r = decode(png_by_hand(w, h, 8, 0, rows, {{"tRNS", {0, 20}}}));
    ASSERT_EQ(r.hr, S_OK) << r.message;
    EXPECT_EQ(r.picture.components, 1);
    ASSERT_EQ(r.picture.alpha.size(), std::size_t{w * h});
    for (std::size_t i = 0; i < w * h; ++i) {
        const BYTE grey = rows[i / w][i % w];
        EXPECT_EQ(r.picture.alpha[i], grey == 20 ? 0 : 255) << i;
        if (grey != 20) {
            EXPECT_EQ(r.picture.pixels[i], grey) << i;
        }
    }
}

TEST(image_jpeg, grey_and_rgb_decode_close_and_keep_their_bytes)
{
    const int w = 40, h = 24;
    for (const int components : {1, 3})
        for (const bool progressive : {false, true}) {
            const bytes source = gradient(w, h, components);
            const bytes file = jpeg_write(w, h, components, components == 1 ? JCS_GRAYSCALE : JCS_RGB,
                                          source, {progressive, false, 95});
            for (const bool keep : {false, true}) {
                SCOPED_TRACE(testing::Message() << components << " components, progressive "
                                                << progressive << ", keep " << keep);
                const result r = decode(file, keep);
                ASSERT_EQ(r.hr, S_OK) << r.message;
                EXPECT_EQ(shape_of(r.picture), (shape{img::format::jpeg, w, h, components}));
                EXPECT_TRUE(r.picture.alpha.empty());
                EXPECT_EQ(r.picture.jpeg, keep ? file : bytes{});
                if (keep) {
                    EXPECT_TRUE(r.picture.pixels.empty());
                } else {
                    expect_close(r.picture.pixels, source, 12);
                }
            }
            EXPECT_EQ(probe(file), (probed{S_OK, img::format::jpeg, w, h}));
        }
}

TEST(image_jpeg, cmyk_and_arithmetic_are_decoded_even_when_keeping)
{
    // Four flat 16x16 blocks in Adobe's inverted CMYK: white, cyan, magenta+yellow, black.
    const int w = 32, h = 32;
    const std::array<std::array<BYTE, 4>, 4> inks{{{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 255}}};
    const std::array<std::array<int, 3>, 4> rgb{{{255, 255, 255}, {0, 255, 255}, {255, 0, 0}, {0, 0, 0}}};
    bytes cmyk;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (const BYTE ink : inks[static_cast<std::size_t>((y / 16) * 2 + x / 16)])
                cmyk.push_back(static_cast<BYTE>(255 - ink));
    const bytes file = jpeg_write(w, h, 4, JCS_CMYK, cmyk);
    for (const bool keep : {false, true}) {
        const result r = decode(file, keep);
        ASSERT_EQ(r.hr, S_OK) << r.message;
        EXPECT_TRUE(r.picture.jpeg.empty());
        ASSERT_EQ(r.picture.components, 3);
        ASSERT_EQ(r.picture.pixels.size(), std::size_t{w * h * 3});
        for (int y = 2; y < h; y += 4)
            for (int x = 2; x < w; x += 4)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(r.picture.pixels[static_cast<std::size_t>((y * w + x) * 3 + c)],
                                rgb[static_cast<std::size_t>((y / 16) * 2 + x / 16)][static_cast<std::size_t>(c)], 8)
                        << x << "," << y;
    }

    const bytes source = gradient(w, h, 3);
    const result r = decode(jpeg_write(w, h, 3, JCS_RGB, source, {false, true, 95}), true);
    ASSERT_EQ(r.hr, S_OK) << r.message;
    EXPECT_TRUE(r.picture.jpeg.empty());
    expect_close(r.picture.pixels, source, 12);
}

}  // namespace
