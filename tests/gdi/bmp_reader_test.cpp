// The shared BMP reader through its two front doors: a .bmp file's layout (the placed image's
// rules) and a packed DIB's (the bitmap resource's), and what each makes of a palette index
// past the palette, an alpha mask and a header cut short.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gdi_fixtures.h"
#include "platform/com/little_endian.h"
#include "platform/gdi/bmp_reader.h"

namespace {

using gdi_test::put;

// A 2 x 1 8-bit file whose palette has `entries` colours and whose pixels are indices 0 and 1.
std::vector<BYTE> indexed_file(std::uint32_t entries)
{
    std::vector<BYTE> b{'B', 'M'};
    put(b, 0);
    put(b, 0);
    put(b, 14 + 40 + 4 * entries);
    for (std::uint32_t v : {40u, 2u, 1u}) put(b, v);
    put(b, 1, 2);
    put(b, 8, 2);
    for (std::uint32_t v : {0u, 0u, 0u, 0u, entries, 0u}) put(b, v);
    for (std::uint32_t i = 0; i < entries; ++i) put(b, 0x00102030u * (i + 1));  // 0x00RRGGBB, stored B G R 0
    b.insert(b.end(), {0, 1, 0, 0});
    return b;
}

// A 1 x 1 32-bit file with a 56-byte header, an alpha mask and the pixel given.
std::vector<BYTE> masked_file(std::uint32_t pixel)
{
    std::vector<BYTE> b{'B', 'M'};
    put(b, 0);
    put(b, 0);
    put(b, 14 + 56);
    for (std::uint32_t v : {56u, 1u, 1u}) put(b, v);
    put(b, 1, 2);
    put(b, 32, 2);
    for (std::uint32_t v : {3u, 0u, 0u, 0u, 0u, 0u, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u}) put(b, v);
    put(b, pixel);
    return b;
}

HRESULT decode_file(const std::vector<BYTE>& file, gdi::bmp::past_palette indices, gdi::bmp::image* out,
                    std::string* message)
{
    gdi::bmp::layout layout;
    const std::size_t head = std::min(file.size(), gdi::bmp::largest_head);
    const HRESULT hr = gdi::bmp::read_file_layout(file.data(), head, file.size(), &layout, message);
    if (FAILED(hr)) return hr;
    return gdi::bmp::decode(file.data(), file.size(), layout, indices, out, message);
}

TEST(BmpReader, AnIndexPastThePaletteIsBlackOrAFailureAsTheCallerChooses)
{
    const auto file = indexed_file(1);  // index 1 has no entry
    gdi::bmp::image black;
    std::string message;
    ASSERT_EQ(decode_file(file, gdi::bmp::past_palette::black, &black, &message), S_OK) << message;
    ASSERT_EQ(black.components, 3);
    EXPECT_EQ(black.pixels, (std::vector<BYTE>{0x10, 0x20, 0x30, 0, 0, 0}));

    gdi::bmp::image strict;
    EXPECT_EQ(decode_file(file, gdi::bmp::past_palette::fails, &strict, &message), E_INVALIDARG);
    EXPECT_EQ(message, "corrupt BMP: palette index past the palette");
    // With both entries there, the strict decoder takes it too.
    EXPECT_EQ(decode_file(indexed_file(2), gdi::bmp::past_palette::fails, &strict, &message), S_OK);
    EXPECT_EQ(strict.pixels, (std::vector<BYTE>{0x10, 0x20, 0x30, 0x20, 0x40, 0x60}));
}

TEST(BmpReader, AnAlphaMaskKeepsPartialAlphaOnly)
{
    struct alpha_case {
        std::uint32_t pixel;
        bool has_alpha;
    };
    for (const alpha_case c : {alpha_case{0x80112233u, true}, {0xFF112233u, false}, {0x00112233u, false}}) {
        SCOPED_TRACE(c.pixel);
        gdi::bmp::image out;
        std::string message;
        ASSERT_EQ(decode_file(masked_file(c.pixel), gdi::bmp::past_palette::black, &out, &message), S_OK)
            << message;
        EXPECT_EQ(out.pixels, (std::vector<BYTE>{0x11, 0x22, 0x33}));
        EXPECT_EQ(out.alpha, c.has_alpha ? std::vector<BYTE>{0x80} : std::vector<BYTE>{});
    }
}

TEST(BmpReader, EveryCutOfAFileHeaderIsTruncatedAndNoneReadsPastWhatItWasGiven)
{
    const auto file = masked_file(0);
    for (std::size_t n = 0; n < 14 + 56; ++n) {
        SCOPED_TRACE(n);
        gdi::bmp::layout layout;
        std::string message;
        EXPECT_EQ(gdi::bmp::read_file_layout(file.data(), n, file.size(), &layout, &message), E_INVALIDARG);
        EXPECT_EQ(message, "BMP header truncated");
    }
}

TEST(BmpReader, APackedDibRefusesWhatAResourceMayNotHold)
{
    // 40-byte header, 1 x 1, 24 bits, then one padded row.
    std::vector<BYTE> dib;
    for (std::uint32_t v : {40u, 1u, 1u}) put(dib, v);
    put(dib, 1, 2);
    put(dib, 24, 2);
    for (std::uint32_t v : {0u, 0u, 0u, 0u, 0u, 0u}) put(dib, v);
    put(dib, 0x00332211u);
    gdi::bmp::layout layout;
    ASSERT_EQ(gdi::bmp::read_dib_layout(dib.data(), dib.size(), &layout), S_OK);
    EXPECT_EQ(layout.pixels_at, 40u);

    struct bad_case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int size;
    };
    for (const bad_case c : {bad_case{"compressed", 16, 1, 4}, {"16 bits", 14, 16, 2}, {"zero width", 4, 0, 4},
                             {"wide", 4, 16385, 4}, {"tall", 8, 16385, 4}, {"no rows", 8, 0, 4},
                             {"most negative height", 8, 0x80000000u, 4}, {"header past the end", 0, 45, 4},
                             {"small header", 0, 39, 4}, {"rows past the end", 4, 2, 4}}) {
        SCOPED_TRACE(c.what);
        auto bad = dib;
        if (c.size == 2)
            com::le::store16(bad.data() + c.at, static_cast<std::uint16_t>(c.value));
        else
            com::le::store32(bad.data() + c.at, c.value);
        EXPECT_EQ(gdi::bmp::read_dib_layout(bad.data(), bad.size(), &layout), E_INVALIDARG);
    }
    // Up to 256 palette entries; more are refused even where the bytes are there.
    auto palette = dib;
    palette[14] = 8;
    com::le::store32(palette.data() + 32, 257);
    palette.resize(40 + 257 * 4 + 4);
    EXPECT_EQ(gdi::bmp::read_dib_layout(palette.data(), palette.size(), &layout), E_INVALIDARG);
    com::le::store32(palette.data() + 32, 256);
    ASSERT_EQ(gdi::bmp::read_dib_layout(palette.data(), palette.size(), &layout), S_OK);
    EXPECT_EQ(layout.palette_entries, 256u);
    EXPECT_EQ(layout.pixels_at, 40u + 256 * 4);
}

}  // namespace
