// PNG through libpng's simplified interface, which keeps libpng's longjmp to itself.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "host/io/crc32.h"
#include "host/output/image/decode.h"

namespace host::image::detail {
namespace {

constexpr std::size_t header_size = 8 + 8 + 13 + 4;  // signature, chunk head, IHDR, CRC

struct png_header {
    std::uint32_t width, height;
    unsigned depth, colour_type;
};

std::uint32_t big_endian(const BYTE* p) noexcept
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool valid_depth(unsigned colour_type, unsigned depth) noexcept
{
    switch (colour_type) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

// IHDR must be the first chunk, so the size is known from the first 33 bytes.
HRESULT read_header(const BYTE* head, std::size_t have, png_header* out, std::string* message) noexcept
{
    if (have < header_size) return fail(message, E_INVALIDARG, "PNG header truncated");
    const BYTE* chunk = head + 8;
    if (big_endian(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0)
        return fail(message, E_INVALIDARG, "PNG does not start with an IHDR chunk");
    if (host::crc32(chunk + 4, 4 + 13) != big_endian(chunk + 8 + 13))
        return fail(message, E_INVALIDARG, "PNG header checksum mismatch");
    const BYTE* body = chunk + 8;
    out->width = big_endian(body);
    out->height = big_endian(body + 4);
    out->depth = body[8];
    out->colour_type = body[9];
    if (!valid_depth(out->colour_type, out->depth))
        return fail(message, E_INVALIDARG, "PNG has an invalid bit depth or colour type");
    if (body[10] != 0 || body[11] != 0 || body[12] > 1)
        return fail(message, E_INVALIDARG, "PNG uses an unknown compression, filter or interlace");
    return check_dimensions(out->width, out->height, message);
}

// libpng stops reading after the image data, so a file cut off after it would pass: walk the
// chunks to a complete IEND first.
bool has_end_chunk(const BYTE* data, std::size_t size) noexcept
{
    std::uint64_t at = 8;
    while (size - at >= 12) {
        const std::uint64_t length = big_endian(data + at);
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
        at += 12 + length;
        if (at > size) return false;
    }
    return false;
}

HRESULT libpng_failed(std::string* message, const char* what) noexcept
{
    char text[160];
    std::snprintf(text, sizeof text, "corrupt PNG: %s", what[0] != '\0' ? what : "decoding failed");
    return fail(message, E_INVALIDARG, text);
}

// Frees libpng's state on every way out.
struct image_guard {
    png_image* image;
    ~image_guard() { png_image_free(image); }
};

}  // namespace

HRESULT probe_png(source& in, info* out, std::string* message) noexcept
{
    BYTE head[header_size];
    const bool have = in.read(0, head, sizeof head);
    png_header header{};
    const HRESULT hr = read_header(head, have ? sizeof head : 0, &header, message);
    if (FAILED(hr)) return hr;
    *out = {format::png, static_cast<LONG>(header.width), static_cast<LONG>(header.height)};
    return S_OK;
}

HRESULT decode_png(const BYTE* data, std::size_t size, picture* out, std::string* message) noexcept
{
    png_header header{};
    const HRESULT checked = read_header(data, size, &header, message);
    if (FAILED(checked)) return checked;

    // Deflate cannot expand more than 1032:1, and every row holds a filter byte and at least one
    // bit per pixel: a file too short for that is damaged, and is refused before the pixel
    // buffer is allocated for it.
    const std::uint64_t least_raw =
        std::uint64_t{header.height} * (1 + (std::uint64_t{header.width} + 7) / 8);
    if (least_raw / 1032 > size)
        return fail(message, E_INVALIDARG, "PNG data too short for its declared size");

    if (!has_end_chunk(data, size)) return fail(message, E_INVALIDARG, "PNG truncated");

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image_guard guard{&image};
    if (png_image_begin_read_from_memory(&image, data, size) == 0)
        return libpng_failed(message, image.message);
    if (image.width != header.width || image.height != header.height)
        return fail(message, E_INVALIDARG, "corrupt PNG: inconsistent header");

    const bool colour = (image.format & PNG_FORMAT_FLAG_COLOR) != 0;
    const bool has_alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;  // tRNS included
    image.format = colour ? (has_alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB)
                          : (has_alpha ? PNG_FORMAT_GA : PNG_FORMAT_GRAY);
    // Without gAMA or sRGB a 16-bit file is sRGB like an 8-bit one, not linear light.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;

    const int components = colour ? 3 : 1;
    const int channels = components + (has_alpha ? 1 : 0);
    const std::size_t count = std::size_t{image.width} * image.height;
    picture result{};
    try {
        result.pixels.resize(count * static_cast<std::size_t>(channels));
        if (has_alpha) result.alpha.resize(count);
    } catch (const std::bad_alloc&) {
        return fail(message, E_OUTOFMEMORY, "out of memory decoding PNG");
    }
    if (png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr) == 0 ||
        (image.warning_or_error & PNG_IMAGE_ERROR) != 0)
        return libpng_failed(message, image.message);

    if (has_alpha) {
        // Move the interleaved alpha to its own plane, compacting the colour in place.
        BYTE* pixels = result.pixels.data();
        bool opaque = true;
        std::size_t write = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const BYTE* from = pixels + i * static_cast<std::size_t>(channels);
            for (int c = 0; c < components; ++c) pixels[write++] = from[c];
            const BYTE a = from[components];
            result.alpha[i] = a;
            opaque = opaque && a == 0xFF;
        }
        result.pixels.resize(write);
        if (opaque) std::vector<BYTE>().swap(result.alpha);
    }
    result.kind = format::png;
    result.width = static_cast<LONG>(image.width);
    result.height = static_cast<LONG>(image.height);
    result.components = components;
    *out = std::move(result);
    return S_OK;
}

}  // namespace host::image::detail
