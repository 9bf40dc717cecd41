// The image decoder through its public functions: PNG, JPEG and BMP made here, decoded and
// compared; damaged, truncated and oversized input refused; files recognised by content.
#include <gtest/gtest.h>

#include <png.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "host/io/crc32.h"
#include "host/output/image/decode.h"

// After the platform types: jpeglib.h defines TRUE and FALSE as macros.
#include <jpeglib.h>

namespace {

using bytes = std::vector<BYTE>;
namespace img = host::image;

struct result {
    HRESULT hr = E_UNEXPECTED;
    img::picture picture{};
    std::string message;
};

result decode(const bytes& data, bool keep_jpeg = false)
{
    result r;
    r.hr = img::decode_bytes(data.data(), data.size(), keep_jpeg, &r.picture, &r.message);
    return r;
}

// A picture's format, width, height and components.
using shape = std::tuple<img::format, LONG, LONG, int>;
shape shape_of(const img::picture& p) { return {p.kind, p.width, p.height, p.components}; }

// What probe_bytes answers: its result, the format and the size.
using probed = std::tuple<HRESULT, img::format, LONG, LONG>;
probed probe(const bytes& data)
{
    img::info i{img::format::png, -1, -1};
    const HRESULT hr = img::probe_bytes(data.data(), data.size(), &i, nullptr);
    return {hr, i.kind, i.width, i.height};
}

void put_le(bytes& out, std::uint32_t v, int size)
{
    for (int i = 0; i < size; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}
void put32be(bytes& out, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<BYTE>(v >> s));
}
bytes patched32le(bytes b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>(v >> (8 * i));
    return b;
}

// ---- PNG --------------------------------------------------------------------------------------

// Through libpng's writer; colormap formats take `map` with `entries` colours.
bytes png_write(std::uint32_t format, std::uint32_t w, std::uint32_t h, const bytes& pixels,
                const bytes& map = {}, std::uint32_t entries = 0)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    image.format = format;
    image.colormap_entries = entries;
    png_alloc_size_t size = 0;
    const void* colormap = map.empty() ? nullptr : map.data();
    EXPECT_NE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, colormap), 0)
        << image.message;
    bytes out(size);
    EXPECT_NE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, colormap), 0)
        << image.message;
    out.resize(size);
    return out;
}

void png_chunk(bytes& out, const char* type, const bytes& body)
{
    put32be(out, static_cast<std::uint32_t>(body.size()));
    bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32be(out, host::crc32(typed.data(), typed.size()));
}

// A zlib stream of stored blocks, so hand-made PNGs need no compressor.
bytes zlib_stored(const bytes& raw)
{
    bytes out{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        out.push_back(at + n == raw.size() ? 1 : 0);
        put_le(out, static_cast<std::uint32_t>(n), 2);
        put_le(out, static_cast<std::uint32_t>(~n & 0xFFFF), 2);
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (const BYTE c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    put32be(out, b << 16 | a);
    return out;
}

// rows: each row's bytes without the filter byte; `extra` chunks go between IHDR and IDAT.
bytes png_by_hand(std::uint32_t w, std::uint32_t h, BYTE depth, BYTE colour_type,
                  const std::vector<bytes>& rows,
                  const std::vector<std::pair<const char*, bytes>>& extra = {}, BYTE filter_method = 0)
{
    bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    bytes ihdr;
    put32be(ihdr, w);
    put32be(ihdr, h);
    ihdr.insert(ihdr.end(), {depth, colour_type, 0, filter_method, 0});
    png_chunk(out, "IHDR", ihdr);
    for (const auto& [type, body] : extra) png_chunk(out, type, body);
    bytes raw;
    for (const bytes& row : rows) {
        raw.push_back(0);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    png_chunk(out, "IDAT", zlib_stored(raw));
    png_chunk(out, "IEND", {});
    return out;
}

bytes pattern(std::size_t count, unsigned seed)
{
    bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<BYTE>((i * 37 + seed * 11 + (i >> 3) * 5) & 0xFF);
    return out;
}

// The colour and alpha planes of interleaved samples with `channels` bytes a pixel.
std::pair<bytes, bytes> split_alpha(const bytes& interleaved, int channels)
{
    bytes colour, alpha;
    for (std::size_t i = 0; i < interleaved.size(); i += static_cast<std::size_t>(channels)) {
        colour.insert(colour.end(), interleaved.begin() + static_cast<std::ptrdiff_t>(i),
                      interleaved.begin() + static_cast<std::ptrdiff_t>(i) + channels - 1);
        alpha.push_back(interleaved[i + static_cast<std::size_t>(channels) - 1]);
    }
    return {colour, alpha};
}

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

// ---- JPEG -------------------------------------------------------------------------------------

struct jpeg_options {
    bool progressive = false;
    bool arithmetic = false;
    int quality = 95;
};

bytes jpeg_write(int w, int h, int components, J_COLOR_SPACE space, const bytes& pixels,
                 jpeg_options options = {})
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&cinfo);
    cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = static_cast<std::size_t>(w) * static_cast<std::size_t>(components);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<BYTE*>(pixels.data()) + stride * cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Smooth content, which JPEG keeps close to the original.
bytes gradient(int w, int h, int components)
{
    bytes out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < components; ++c)
                out.push_back(static_cast<BYTE>((x * 255 / (w - 1) * (c + 1) + y * 255 / (h - 1) * (3 - c)) / 4));
    return out;
}

void expect_close(const bytes& got, const bytes& want, int tolerance)
{
    ASSERT_EQ(got.size(), want.size());
    int worst = 0;
    for (std::size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(int{got[i]} - int{want[i]}));
    EXPECT_LE(worst, tolerance);
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

// ---- BMP --------------------------------------------------------------------------------------

struct bmp_parts {
    std::uint32_t header = 40;  // 12, 40, 108 or 124
    std::int32_t width = 0, height = 0;
    unsigned bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t colours_used = 0;
    bytes palette;                         // as stored: 3 or 4 bytes an entry
    std::array<std::uint32_t, 4> masks{};  // stored for bit fields
    bytes data;                            // pixel data as stored
};

bytes make_bmp(const bmp_parts& p)
{
    bytes h;
    put_le(h, p.header, 4);
    const int side = p.header == 12 ? 2 : 4;
    put_le(h, static_cast<std::uint32_t>(p.width), side);
    put_le(h, static_cast<std::uint32_t>(p.height), side);
    put_le(h, 1, 2);
    put_le(h, p.bits, 2);
    if (p.header != 12) {
        for (const std::uint32_t v : {p.compression, static_cast<std::uint32_t>(p.data.size()), 2835u, 2835u,
                                      p.colours_used, 0u})
            put_le(h, v, 4);
        if (p.header >= 108)
            for (const std::uint32_t m : p.masks) put_le(h, m, 4);
        while (h.size() < p.header) h.push_back(0);
        if (p.header == 40 && p.compression == 3)
            for (int i = 0; i < 3; ++i) put_le(h, p.masks[static_cast<std::size_t>(i)], 4);
    }
    bytes out{'B', 'M'};
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + h.size() + p.palette.size());
    for (const std::uint32_t v : {static_cast<std::uint32_t>(offset + p.data.size()), 0u, offset})
        put_le(out, v, 4);
    for (const bytes* part : {static_cast<const bytes*>(&h), &p.palette, &p.data})
        out.insert(out.end(), part->begin(), part->end());
    return out;
}

using grid = std::vector<std::vector<std::uint32_t>>;  // [y][x], top row first

// Rows of samples of `bits` each, padded to four bytes, bottom row first unless top_down.
bytes pack_rows(const grid& g, unsigned bits, bool top_down = false)
{
    bytes out;
    for (const auto& row : top_down ? g : grid(g.rbegin(), g.rend())) {
        bytes line;
        if (bits < 8) {
            line.assign((row.size() * bits + 7) / 8, 0);
            for (std::size_t x = 0; x < row.size(); ++x)
                line[x * bits / 8] |= static_cast<BYTE>(row[x] << (8 - bits - (x * bits) % 8));
        } else {
            for (const std::uint32_t v : row)
                for (unsigned b = 0; b < bits; b += 8) line.push_back(static_cast<BYTE>(v >> b));
        }
        while (line.size() % 4 != 0) line.push_back(0);
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

using palette = std::vector<std::array<BYTE, 3>>;

// Palette entries stored as B, G, R (and a reserved byte unless `entry` is 3).
bytes palette_of(const palette& rgb, unsigned entry = 4)
{
    bytes out;
    for (const auto& c : rgb) {
        out.insert(out.end(), {c[2], c[1], c[0]});
        if (entry == 4) out.push_back(0);
    }
    return out;
}

palette colours(std::size_t n)
{
    palette out;
    for (std::size_t i = 0; i < n; ++i)
        out.push_back({static_cast<BYTE>(i * 40 + 10), static_cast<BYTE>(255 - i * 30), static_cast<BYTE>(i * 7 + 1)});
    return out;
}

// The RGB bytes of 0xRRGGBB values, and their alpha bytes from the top eight bits.
bytes rgb_of(const grid& g, bytes* alpha = nullptr)
{
    bytes out;
    for (const auto& row : g)
        for (const std::uint32_t v : row) {
            out.insert(out.end(), {static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v)});
            if (alpha) alpha->push_back(static_cast<BYTE>(v >> 24));
        }
    return out;
}

void expect_indexed(const result& r, const grid& g, const palette& pal)
{
    ASSERT_EQ(r.hr, S_OK) << r.message;
    const LONG w = static_cast<LONG>(g[0].size()), h = static_cast<LONG>(g.size());
    ASSERT_EQ(shape_of(r.picture), (shape{img::format::bmp, w, h, 3}));
    EXPECT_TRUE(r.picture.alpha.empty());
    bytes want;
    for (const auto& row : g)
        for (const std::uint32_t i : row) want.insert(want.end(), pal[i].begin(), pal[i].end());
    EXPECT_EQ(r.picture.pixels, want);
}

grid index_grid(std::size_t w, std::size_t h, std::uint32_t n)
{
    grid g(h, std::vector<std::uint32_t>(w));
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) g[y][x] = static_cast<std::uint32_t>((x + 3 * y) % n);
    return g;
}

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

// ---- Any format -------------------------------------------------------------------------------

std::vector<std::pair<const char*, bytes>> small_files()
{
    bmp_parts b;
    b.width = 3, b.height = 2, b.bits = 8, b.colours_used = 4;
    b.palette = palette_of(colours(4));
    b.data = pack_rows({{0, 1, 2}, {3, 2, 1}}, 8);
    return {
        {"png", png_write(PNG_FORMAT_RGBA, 3, 3, pattern(36, 1))},
        {"jpeg grey", jpeg_write(8, 8, 1, JCS_GRAYSCALE, gradient(8, 8, 1))},
        {"jpeg rgb", jpeg_write(16, 8, 3, JCS_RGB, gradient(16, 8, 3))},
        {"jpeg progressive", jpeg_write(16, 16, 3, JCS_RGB, gradient(16, 16, 3), {true, false, 90})},
        {"bmp", make_bmp(b)},
    };
}

std::size_t find_frame(const bytes& file)
{
    for (std::size_t i = 2; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) return i;
    ADD_FAILURE() << "no frame header";
    return 0;
}

TEST(image_any, damaged_headers_and_sizes_are_refused)
{
    const std::vector<bytes> one_row{{0}};
    bytes bad_crc = png_by_hand(1, 1, 8, 0, one_row);
    bad_crc[29] ^= 0x01;

    const bytes jpeg = jpeg_write(16, 16, 1, JCS_GRAYSCALE, gradient(16, 16, 1));
    const std::size_t sof = find_frame(jpeg);
    auto jpeg_sized = [&](std::uint32_t w, std::uint32_t h) {
        bytes b = jpeg;
        b[sof + 5] = static_cast<BYTE>(h >> 8), b[sof + 6] = static_cast<BYTE>(h);
        b[sof + 7] = static_cast<BYTE>(w >> 8), b[sof + 8] = static_cast<BYTE>(w);
        return b;
    };
    bytes twelve_bit = jpeg;
    twelve_bit[sof + 4] = 12;

    bmp_parts p;
    p.width = 2, p.height = 2, p.bits = 24;
    p.data = pack_rows({{1, 2}, {3, 4}}, 24);
    const bytes bmp = make_bmp(p);
    ASSERT_EQ(decode(bmp).hr, S_OK);
    bytes depth7 = bmp;
    depth7[28] = 7;
    p.compression = 2, p.bits = 4, p.palette = palette_of(colours(16)), p.data = {5, 0x12};

    // E_INVALIDARG with this message; "" for any message, nullptr for none checked. PNG and
    // huge BMP sizes are also refused by probing.
    const struct {
        const char* name;
        bytes file;
        const char* message;
        bool probe;
    } cases[] = {
        {"png checksum", bad_crc, nullptr, false},
        {"png filter method", png_by_hand(1, 1, 8, 0, one_row, {}, 1), "", false},
        {"png huge", png_by_hand(100000, 100000, 8, 0, one_row), "image too large: 100000 x 100000", true},
        // Within the limits but far more pixels than the data could hold: refused, not allocated.
        {"png short data", png_by_hand(16000, 16000, 8, 2, one_row), "", false},
        {"png empty", png_by_hand(0, 5, 8, 0, one_row), "image is empty: 0 x 5", false},
        {"png wide", png_by_hand(70000, 1, 8, 0, one_row), "image too large: 70000 x 1", false},
        {"png depth 3", png_by_hand(1, 1, 3, 0, one_row), "", false},
        {"png rows missing", png_by_hand(4, 4, 8, 0, {{1, 2, 3, 4}}), "", false},
        {"jpeg huge", jpeg_sized(65535, 65535), "image too large: 65535 x 65535", false},
        {"jpeg empty", jpeg_sized(16, 0), "image is empty: 16 x 0", false},
        {"jpeg 12 bit", twelve_bit, nullptr, false},
        {"bmp 60000 wide, pixel data missing", patched32le(bmp, 18, 60000), nullptr, false},
        {"bmp huge", patched32le(patched32le(bmp, 18, 60000), 22, 60000), "image too large: 60000 x 60000",
         false},
        {"bmp wide", patched32le(bmp, 18, 70000), "image too large: 70000 x 2", false},
        {"bmp tall", patched32le(bmp, 22, 0x80000000u), "image too large: 2 x 2147483648", false},
        {"bmp empty", patched32le(bmp, 22, 0), "image is empty: 2 x 0", false},
        {"bmp negative width", patched32le(bmp, 18, 0xFFFFFFFEu), nullptr, false},
        {"bmp compression", patched32le(bmp, 30, 4), "unsupported BMP compression 4", false},
        {"bmp header size", patched32le(bmp, 14, 64), "unsupported BMP header size 64", false},
        {"bmp pixel offset past the end", patched32le(bmp, 10, 0xFFFFFF00u), nullptr, false},
        {"bmp depth", depth7, "unsupported BMP bit depth 7", false},
        // 16000 x 16000 is within the limits; its missing pixel data is noticed before allocating.
        {"bmp short data", patched32le(patched32le(bmp, 18, 16000), 22, 16000), "BMP pixel data truncated",
         false},
        {"bmp rle cut short", make_bmp(p), "BMP RLE data truncated", false},
    };
    for (const auto& c : cases)
        for (const bool keep : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << ", keep " << keep);
            const result r = decode(c.file, keep);
            EXPECT_EQ(r.hr, E_INVALIDARG);
            if (c.message) {
                EXPECT_TRUE(*c.message ? r.message == c.message : !r.message.empty()) << r.message;
            }
            if (!c.probe || keep) continue;
            std::string message;
            img::info i{};
            EXPECT_EQ(img::probe_bytes(c.file.data(), c.file.size(), &i, &message), E_INVALIDARG);
            EXPECT_EQ(message, c.message);
        }

    // Damaged entropy data either decodes to something or fails cleanly.
    for (std::size_t at = sof + 20; at < jpeg.size() - 2; at += 7) {
        bytes b = jpeg;
        b[at] ^= 0x5A;
        for (const bool keep : {false, true}) {
            const HRESULT hr = decode(b, keep).hr;
            EXPECT_TRUE(hr == S_OK || hr == E_INVALIDARG) << at;
        }
    }
}

TEST(image_any, every_truncation_fails_cleanly)
{
    for (const auto& [name, file] : small_files()) {
        SCOPED_TRACE(name);
        const probed whole = probe(file);
        ASSERT_EQ(std::get<0>(whole), S_OK);
        for (std::size_t n = 0; n < file.size(); ++n) {
            const bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
            for (const bool keep : {false, true}) {
                const result r = decode(cut, keep);
                EXPECT_EQ(r.hr, E_INVALIDARG) << n << " bytes, keep " << keep;
                EXPECT_FALSE(r.message.empty()) << n;
                EXPECT_TRUE(r.picture.pixels.empty() && r.picture.jpeg.empty()) << n;
            }
            const probed part = probe(cut);
            if (std::get<0>(part) != E_INVALIDARG) {
                EXPECT_EQ(part, whole) << n;
            }
        }
    }
}

TEST(image_any, unknown_content_and_null_arguments_are_refused)
{
    const std::vector<bytes> inputs{
        {},
        {'B'},
        {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0},
        {0x89, 'P', 'N', 'X', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13},
        {0xFF, 0xD8, 0x00},
        bytes(100, 'x'),
    };
    for (const bytes& in : inputs) {
        for (const bool keep : {false, true}) {
            const result r = decode(in, keep);
            EXPECT_EQ(r.hr, E_INVALIDARG);
            EXPECT_EQ(r.message, "not a PNG, JPEG or BMP image");
        }
        img::info i{};
        std::string message;
        EXPECT_EQ(img::probe_bytes(in.data(), in.size(), &i, &message), E_INVALIDARG);
        EXPECT_EQ(message, "not a PNG, JPEG or BMP image");
    }

    const bytes file = small_files()[0].second;
    img::picture p{};
    img::info i{};
    EXPECT_EQ(img::decode_bytes(file.data(), file.size(), false, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(img::probe_bytes(file.data(), file.size(), nullptr, nullptr), E_POINTER);
    EXPECT_EQ(img::decode_bytes(nullptr, 10, false, &p, nullptr), E_POINTER);
    EXPECT_EQ(img::decode_bytes(nullptr, 0, false, &p, nullptr), E_INVALIDARG);
    // No message wanted: the result alone.
    EXPECT_EQ(img::decode_bytes(file.data(), file.size(), false, &p, nullptr), S_OK);
    EXPECT_EQ(img::probe_bytes(file.data(), 4, &i, nullptr), E_INVALIDARG);
}

struct temp_file {
    std::string path;
    temp_file(const std::string& name, const bytes& content) : path(testing::TempDir() + name)
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f != nullptr) {
            std::fwrite(content.data(), 1, content.size(), f);
            std::fclose(f);
        }
    }
    ~temp_file() { std::remove(path.c_str()); }
};

TEST(image_file, content_decides_not_the_name)
{
    const bytes rgb = pattern(4 * 2 * 3, 5);
    const temp_file file("image_decode_test_really_png.jpg", png_write(PNG_FORMAT_RGB, 4, 2, rgb));
    img::picture p{};
    std::string message;
    ASSERT_EQ(img::decode_file(file.path, true, &p, &message), S_OK) << message;
    EXPECT_EQ(p.kind, img::format::png);
    EXPECT_EQ(p.pixels, rgb);
    EXPECT_TRUE(p.jpeg.empty());
    img::info i{};
    EXPECT_EQ(img::probe_file(file.path, &i, &message), S_OK) << message;
    EXPECT_EQ((probed{S_OK, i.kind, i.width, i.height}), (probed{S_OK, img::format::png, 4, 2}));

    const bytes jpeg = jpeg_write(8, 8, 3, JCS_RGB, gradient(8, 8, 3));
    const temp_file named_bmp("image_decode_test_really_jpeg.bmp", jpeg);
    ASSERT_EQ(img::decode_file(named_bmp.path, true, &p, &message), S_OK) << message;
    EXPECT_EQ(p.kind, img::format::jpeg);
    EXPECT_EQ(p.jpeg, jpeg);
}

TEST(image_file, missing_and_unreadable_files)
{
    const std::string missing = testing::TempDir() + "image_decode_test_no_such_file.png";
    img::picture p{};
    img::info i{};
    std::string message;
    EXPECT_EQ(img::decode_file(missing, false, &p, &message), STG_E_FILENOTFOUND);
    EXPECT_EQ(message.rfind("cannot open " + missing + ": ", 0), 0u) << message;
    message.clear();
    EXPECT_EQ(img::probe_file(missing, &i, &message), STG_E_FILENOTFOUND);
    EXPECT_EQ(message.rfind("cannot open " + missing + ": ", 0), 0u) << message;
    // A directory opens on Linux but cannot be read.
    EXPECT_EQ(img::decode_file(testing::TempDir(), false, &p, &message), STG_E_FILENOTFOUND);
    EXPECT_EQ(message.rfind("cannot open ", 0), 0u) << message;

    const temp_file damaged("image_decode_test_damaged.png", bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0});
    EXPECT_EQ(img::decode_file(damaged.path, false, &p, &message), E_INVALIDARG);
    EXPECT_EQ(img::probe_file(damaged.path, &i, &message), E_INVALIDARG);
}

}  // namespace
