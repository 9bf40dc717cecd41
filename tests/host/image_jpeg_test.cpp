// JPEG through the image decoder: decoded close to the original, the file's bytes kept when
// asked for. PNG files reach the PDF row by row without this decoder: every colour type and
// depth is checked pixel by pixel in harden_images_test.cpp.
#include <gtest/gtest.h>

#include "tests/host/image_builders.h"

namespace {

using namespace image_test;

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
