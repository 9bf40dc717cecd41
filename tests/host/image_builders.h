// Builders for the image decoder's tests: PNG, JPEG and BMP files made here, through libpng and
// libjpeg or by hand, and the decoder's answers in a form that compares in one assertion.
#pragma once

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "host/io/crc32.h"
#include "host/output/image/decode.h"

// After the platform types: jpeglib.h defines TRUE and FALSE as macros.
#include <jpeglib.h>

namespace image_test {

using bytes = std::vector<BYTE>;
namespace img = host::image;

struct result {
    HRESULT hr = E_UNEXPECTED;
    img::picture picture{};
    std::string message;
};

inline result decode(const bytes& data, bool keep_jpeg = false)
{
    result r;
    r.hr = img::decode_bytes(data.data(), data.size(), keep_jpeg, &r.picture, &r.message);
    return r;
}

// A picture's format, width, height and components.
using shape = std::tuple<img::format, LONG, LONG, int>;
inline shape shape_of(const img::picture& p) { return {p.kind, p.width, p.height, p.components}; }

// What probe_bytes answers: its result, the format and the size.
using probed = std::tuple<HRESULT, img::format, LONG, LONG>;
inline probed probe(const bytes& data)
{
    img::info i{img::format::png, -1, -1};
    const HRESULT hr = img::probe_bytes(data.data(), data.size(), &i, nullptr);
    return {hr, i.kind, i.width, i.height};
}

inline void put_le(bytes& out, std::uint32_t v, int size)
{
    for (int i = 0; i < size; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}
inline void put32be(bytes& out, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<BYTE>(v >> s));
}
inline bytes patched32le(bytes b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>(v >> (8 * i));
    return b;
}

// ---- PNG --------------------------------------------------------------------------------------

inline void png_chunk(bytes& out, const char* type, const bytes& body)
{
    put32be(out, static_cast<std::uint32_t>(body.size()));
    bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32be(out, host::crc32(typed.data(), typed.size()));
}

// rows: each row's bytes without the filter byte; `extra` chunks go between IHDR and IDAT.
inline bytes png_by_hand(std::uint32_t w, std::uint32_t h, BYTE depth, BYTE colour_type,
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
    bytes packed(compressBound(static_cast<uLong>(raw.size())));
    uLongf size = static_cast<uLongf>(packed.size());
    EXPECT_EQ(compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    packed.resize(size);
    png_chunk(out, "IDAT", packed);
    png_chunk(out, "IEND", {});
    return out;
}

inline bytes pattern(std::size_t count, unsigned seed)
{
    bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<BYTE>((i * 37 + seed * 11 + (i >> 3) * 5) & 0xFF);
    return out;
}

// What goes into a PNG written with libpng's full writer (which can interlace and write any
// depth): samples as stored, big-endian for 16 bits.
struct png_kind {
    std::uint32_t width = 37, height = 23;
    int depth = 8, colour_type = 2;
    bool interlaced = false;
    bytes palette;       // R, G, B triples
    bytes transparency;  // tRNS body
    std::uint32_t gamma = 0;
    bool opaque = false;  // every alpha sample 255 (8-bit RGBA)
    bytes pixels;         // the rows as stored; varied samples if empty
};

inline void append_to(png_structp png, png_bytep data, std::size_t size)
{
    auto* out = static_cast<bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

inline std::size_t samples_of(int colour_type)
{
    switch (colour_type) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

// Through libpng's full writer; rows of varied samples unless given, every sample within its depth
// (palette indices within the palette).
inline bytes png_file(const png_kind& s)
{
    const std::size_t row_bytes = (s.width * samples_of(s.colour_type) * std::size_t(s.depth) + 7) / 8;
    bytes pixels = !s.pixels.empty() ? s.pixels
                                     : pattern(row_bytes * s.height, static_cast<unsigned>(s.depth + s.colour_type));
    if (s.colour_type == 3 && s.depth == 8)
        for (BYTE& b : pixels) b = static_cast<BYTE>(b % (s.palette.size() / 3));
    if (s.opaque)
        for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 0xFF;
    bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, append_to, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.colour_type,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colours;
    for (std::size_t i = 0; i + 2 < s.palette.size(); i += 3)
        colours.push_back({s.palette[i], s.palette[i + 1], s.palette[i + 2]});
    if (!colours.empty()) png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    if (!s.transparency.empty()) {
        // The first pixel's colour, so that the key is met.
        png_color_16 key{};
        key.gray = key.red = pixels[0];
        key.green = pixels[1];
        key.blue = pixels[2];
        png_set_tRNS(png, info, s.transparency.data(), static_cast<int>(s.transparency.size()), &key);
    }
    if (s.gamma != 0) png_set_gAMA_fixed(png, info, static_cast<png_fixed_point>(s.gamma));
    std::vector<png_bytep> rows(s.height);
    for (std::uint32_t y = 0; y < s.height; ++y) rows[y] = pixels.data() + row_bytes * y;
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// ---- JPEG -------------------------------------------------------------------------------------

struct jpeg_options {
    bool progressive = false;
    bool arithmetic = false;
    int quality = 95;
};

inline bytes jpeg_write(int w, int h, int components, J_COLOR_SPACE space, const bytes& pixels,
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
inline bytes gradient(int w, int h, int components)
{
    bytes out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < components; ++c)
                out.push_back(static_cast<BYTE>((x * 255 / (w - 1) * (c + 1) + y * 255 / (h - 1) * (3 - c)) / 4));
    return out;
}

inline void expect_close(const bytes& got, const bytes& want, int tolerance)
{
    ASSERT_EQ(got.size(), want.size());
    int worst = 0;
    for (std::size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(int{got[i]} - int{want[i]}));
    EXPECT_LE(worst, tolerance);
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

inline bytes make_bmp(const bmp_parts& p)
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
inline bytes pack_rows(const grid& g, unsigned bits, bool top_down = false)
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
inline bytes palette_of(const palette& rgb, unsigned entry = 4)
{
    bytes out;
    for (const auto& c : rgb) {
        out.insert(out.end(), {c[2], c[1], c[0]});
        if (entry == 4) out.push_back(0);
    }
    return out;
}

inline palette colours(std::size_t n)
{
    palette out;
    for (std::size_t i = 0; i < n; ++i)
        out.push_back({static_cast<BYTE>(i * 40 + 10), static_cast<BYTE>(255 - i * 30), static_cast<BYTE>(i * 7 + 1)});
    return out;
}

// The RGB bytes of 0xRRGGBB values, and their alpha bytes from the top eight bits.
inline bytes rgb_of(const grid& g, bytes* alpha = nullptr)
{
    bytes out;
    for (const auto& row : g)
        for (const std::uint32_t v : row) {
            out.insert(out.end(), {static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v)});
            if (alpha) alpha->push_back(static_cast<BYTE>(v >> 24));
        }
    return out;
}

inline void expect_indexed(const result& r, const grid& g, const palette& pal)
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

inline grid index_grid(std::size_t w, std::size_t h, std::uint32_t n)
{
    grid g(h, std::vector<std::uint32_t>(w));
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) g[y][x] = static_cast<std::uint32_t>((x + 3 * y) % n);
    return g;
}

}  // namespace image_test
