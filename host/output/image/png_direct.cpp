// Whether a PNG's compressed data can go into a PDF as it is, found by walking its chunks.
#include <cstring>
#include <new>

#include "host/io/crc32.h"
#include "host/output/image/png_chunks.h"
#include "host/output/image/png_stream.h"

namespace host::image {
namespace {

using detail::big_endian;
using detail::fail;

bool critical(const BYTE* type) noexcept { return (type[0] & 0x20) == 0; }
bool is(const BYTE* type, const char* name) noexcept { return std::memcmp(type, name, 4) == 0; }

// The decoder takes a gamma within 5% of sRGB's (or none) as sRGB and converts any other.
bool srgb_gamma(std::uint32_t gamma) noexcept
{
    if (gamma == 0) return true;
    if (gamma >= 100000) return false;
    const std::uint32_t times_2_2 = (gamma * 11 + 2) / 5;
    return times_2_2 >= 95000 && times_2_2 <= 105000;
}

// What the walk found before and in the image data.
struct walked {
    const BYTE* palette = nullptr;
    std::size_t palette_size = 0;
    bool transparency = false, other_gamma = false, unknown_critical = false, scattered = false;
    std::uint64_t data_size = 0;
    std::size_t idat_count = 0;
};

HRESULT walk(const BYTE* data, std::size_t size, walked* found, std::string* message) noexcept
{
    std::uint64_t at = 8;
    bool in_data = false, after_data = false;
    for (;;) {
        if (size - at < 12) return fail(message, E_INVALIDARG, "PNG truncated");
        const std::uint64_t length = big_endian(data + at);
        const BYTE* type = data + at + 4;
        if (length > 0x7FFFFFFFu || length > size - at - 12) return fail(message, E_INVALIDARG, "PNG truncated");
        const BYTE* body = type + 4;
        const bool sound = host::crc32(type, 4 + length) == big_endian(body + length);
        if (!sound && critical(type)) return fail(message, E_INVALIDARG, "corrupt PNG: CRC error");
        at += 12 + length;
        if (is(type, "IEND")) break;
        if (is(type, "IDAT")) {
            if (after_data) found->scattered = true;
            in_data = true;
            found->data_size += length;
            ++found->idat_count;
            continue;
        }
        // Any chunk ends the image data for the decoder, even one it then drops.
        if (in_data) after_data = true;
        in_data = false;
        // The decoder drops an ancillary chunk that fails its checksum.
        if (!sound) continue;
        if (is(type, "PLTE")) {
            if (after_data) return fail(message, E_INVALIDARG, "corrupt PNG: PLTE after the image data");
            found->palette = body;
            found->palette_size = static_cast<std::size_t>(length);
        } else if (after_data) {
            if (critical(type)) found->unknown_critical = true;
        } else if (is(type, "tRNS")) {
            found->transparency = true;
        } else if (is(type, "gAMA")) {
            found->other_gamma = length != 4 || !srgb_gamma(big_endian(body));
        } else if (critical(type) && !is(type, "IHDR")) {
            found->unknown_critical = true;
        }
    }
    if (found->idat_count == 0) return fail(message, E_INVALIDARG, "corrupt PNG: no image data");
    return S_OK;
}

// A zlib stream that a PDF reader inflates: deflate, no preset dictionary.
bool zlib_header(const BYTE* p) noexcept
{
    return (p[0] & 0x0F) == 8 && (p[0] >> 4) <= 7 && (p[1] & 0x20) == 0 && (p[0] * 256u + p[1]) % 31 == 0;
}

}  // namespace

HRESULT png_direct_data(const BYTE* data, std::size_t size, png_direct* out, std::string* message) noexcept
{
    if (out == nullptr || (data == nullptr && size != 0)) return E_POINTER;
    detail::png_header header{};
    HRESULT hr = detail::check_png_file(data, size, &header, message);
    if (FAILED(hr)) return hr;
    walked found;
    hr = walk(data, size, &found, message);
    if (FAILED(hr)) return hr;
    const bool indexed = header.colour_type == 3;
    if (indexed && (found.palette == nullptr || found.palette_size == 0 || found.palette_size % 3 != 0 ||
                    found.palette_size > 3 * 256))
        return fail(message, E_INVALIDARG, "corrupt PNG: invalid palette");
    // Alpha, a grey with alpha or a colour key, interlacing, another gamma: only the decoder
    // gives what is shown. So do chunks it may refuse, left for it to report.
    const bool plain = header.colour_type == 0 || header.colour_type == 2 || indexed;
    if (!plain || header.interlaced || found.transparency || found.other_gamma || found.unknown_critical ||
        found.scattered || found.data_size < 2)
        return S_FALSE;
    try {
        png_direct result;
        result.width = static_cast<LONG>(header.width);
        result.height = static_cast<LONG>(header.height);
        result.colours = header.colour_type == 2 ? 3 : 1;
        result.depth = static_cast<int>(header.depth);
        result.indexed = indexed;
        if (indexed) {
            // Indices past the palette show black, as the decoder shows them.
            result.palette.assign(std::size_t{3} << header.depth, 0);
            std::memcpy(result.palette.data(), found.palette, std::min(found.palette_size, result.palette.size()));
        }
        result.data.reserve(static_cast<std::size_t>(found.data_size));
        for (std::uint64_t at = 8; result.data.size() < found.data_size;) {
            const std::uint64_t length = big_endian(data + at);
            if (is(data + at + 4, "IDAT"))
                result.data.insert(result.data.end(), data + at + 8, data + at + 8 + length);
            at += 12 + length;
        }
        if (!zlib_header(result.data.data())) return S_FALSE;
        *out = std::move(result);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return fail(message, E_OUTOFMEMORY, "out of memory reading PNG data");
    }
}

}  // namespace host::image
