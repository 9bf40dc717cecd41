// PNG headers and whole-picture decoding, the rows coming from the row reader.
#include <cstring>
#include <new>

#include "host/io/crc32.h"
#include "host/output/image/decode.h"
#include "host/output/image/png_chunks.h"
#include "host/output/image/png_stream.h"

namespace host::image::detail {
namespace {

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

// Collects the rows into a picture; an alpha plane that is opaque throughout is dropped.
class picture_sink final : public png_row_sink {
public:
    explicit picture_sink(picture& out) noexcept : out_(out) {}
    bool begin(LONG width, LONG height, int components, bool alpha) noexcept override
    {
        const std::size_t count = std::size_t(width) * std::size_t(height);
        row_ = std::size_t(width) * std::size_t(components);
        width_ = std::size_t(width);
        try {
            out_.pixels.resize(count * std::size_t(components));
            if (alpha) out_.alpha.resize(count);
        } catch (const std::bad_alloc&) {
            return false;
        }
        out_.width = width;
        out_.height = height;
        out_.components = components;
        return true;
    }
    bool row(const BYTE* colour, const BYTE* alpha) noexcept override
    {
        std::memcpy(out_.pixels.data() + row_ * y_, colour, row_);
        if (alpha != nullptr) {
            std::memcpy(out_.alpha.data() + width_ * y_, alpha, width_);
            for (std::size_t x = 0; x < width_ && opaque_; ++x) opaque_ = alpha[x] == 0xFF;
        }
        ++y_;
        return true;
    }
    void end() noexcept
    {
        if (opaque_) std::vector<BYTE>().swap(out_.alpha);
    }

private:
    picture& out_;
    std::size_t row_ = 0, width_ = 0, y_ = 0;
    bool opaque_ = true;
};

}  // namespace

HRESULT read_png_header(const BYTE* head, std::size_t have, png_header* out, std::string* message) noexcept
{
    if (have < png_header_size) return fail(message, E_INVALIDARG, "PNG header truncated");
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
    out->interlaced = body[12] == 1;
    if (!valid_depth(out->colour_type, out->depth))
        return fail(message, E_INVALIDARG, "PNG has an invalid bit depth or colour type");
    if (body[10] != 0 || body[11] != 0 || body[12] > 1)
        return fail(message, E_INVALIDARG, "PNG uses an unknown compression, filter or interlace");
    return check_dimensions(out->width, out->height, message);
}

HRESULT check_png_file(const BYTE* data, std::size_t size, png_header* out, std::string* message) noexcept
{
    const HRESULT checked = read_png_header(data, size, out, message);
    if (FAILED(checked)) return checked;
    // Deflate cannot expand more than 1032:1, and every row holds a filter byte and at least one
    // bit per pixel: a file too short for that is damaged, and is refused before the pixel
    // buffer is allocated for it.
    const std::uint64_t least_raw = std::uint64_t{out->height} * (1 + (std::uint64_t{out->width} + 7) / 8);
    if (least_raw / 1032 > size) return fail(message, E_INVALIDARG, "PNG data too short for its declared size");
    if (!has_end_chunk(data, size)) return fail(message, E_INVALIDARG, "PNG truncated");
    return S_OK;
}

HRESULT probe_png(source& in, info* out, std::string* message) noexcept
{
    BYTE head[png_header_size];
    const bool have = in.read(0, head, sizeof head);
    png_header header{};
    const HRESULT hr = read_png_header(head, have ? sizeof head : 0, &header, message);
    if (FAILED(hr)) return hr;
    *out = {format::png, static_cast<LONG>(header.width), static_cast<LONG>(header.height)};
    return S_OK;
}

HRESULT decode_png(const BYTE* data, std::size_t size, picture* out, std::string* message) noexcept
{
    picture result{};
    picture_sink sink(result);
    const HRESULT hr = read_png_rows(data, size, sink, message);
    if (FAILED(hr)) return hr;
    sink.end();
    result.kind = format::png;
    *out = std::move(result);
    return S_OK;
}

}  // namespace host::image::detail
