// The BMP reader; see bmp_reader.h.
#include "platform/gdi/bmp_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/com/little_endian.h"

namespace gdi::bmp {
namespace {

HRESULT fail(std::string* message, HRESULT hr, const char* text) noexcept
{
    if (message != nullptr) {
        try {
            *message = text;
        } catch (const std::bad_alloc&) {
            message->clear();
        }
    }
    return hr;
}

HRESULT corrupt(std::string* message, const char* what) noexcept
{
    char text[128];
    std::snprintf(text, sizeof text, "corrupt BMP: %s", what);
    return fail(message, E_INVALIDARG, text);
}

// The bytes [offset, offset + count) of the file's start, copied into `to` when present, so that
// what lies past the header proper still reads as zero.
bool copy(const BYTE* head, std::size_t head_size, std::size_t offset, BYTE* to, std::size_t count) noexcept
{
    if (offset > head_size || count > head_size - offset) return false;
    std::memcpy(to, head + offset, count);
    return true;
}

}  // namespace

HRESULT read_file_layout(const BYTE* file, std::size_t file_head_size, std::uint64_t file_size,
                         layout* out, std::string* message) noexcept
{
    *out = layout{};
    BYTE head[largest_head] = {};
    if (!copy(file, file_head_size, 0, head, file_header_size + 4))
        return fail(message, E_INVALIDARG, "BMP header truncated");
    const std::uint32_t header_size = com::le::load32(head + 14);
    const bool core = header_size == 12;
    if (!core && header_size != 40 && header_size != 52 && header_size != 56 && header_size != 108 &&
        header_size != 124) {
        char text[64];
        std::snprintf(text, sizeof text, "unsupported BMP header size %u", header_size);
        return fail(message, E_INVALIDARG, text);
    }
    if (!copy(file, file_head_size, file_header_size, head + file_header_size, header_size))
        return fail(message, E_INVALIDARG, "BMP header truncated");
    const BYTE* h = head + file_header_size;
    out->pixels_at = com::le::load32(head + 10);
    out->palette_at = file_header_size + header_size;
    std::int64_t height = 0;
    if (core) {
        out->width = com::le::load16(h + 4);
        height = com::le::load16(h + 6);
        out->bits = com::le::load16(h + 10);
        out->palette_entry_size = 3;
    } else {
        const auto width = static_cast<std::int32_t>(com::le::load32(h + 4));
        if (width < 0) return corrupt(message, "negative width");
        out->width = static_cast<std::uint64_t>(width);
        height = static_cast<std::int32_t>(com::le::load32(h + 8));
        out->bits = com::le::load16(h + 14);
        out->compression = com::le::load32(h + 16);
        out->colours_used = com::le::load32(h + 32);
        out->palette_entries = out->colours_used;
    }
    // Negative height means top row first; INT32_MIN still has a magnitude in 64 bits.
    out->top_down = height < 0;
    out->height = static_cast<std::uint64_t>(height < 0 ? -height : height);

    const std::uint32_t c = out->compression;
    if (c != bi_rgb && c != bi_rle8 && c != bi_rle4 && c != bi_bitfields && c != bi_alphabitfields) {
        char text[64];
        std::snprintf(text, sizeof text, "unsupported BMP compression %u", c);
        return fail(message, E_INVALIDARG, text);
    }
    const unsigned b = out->bits;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) {
        char text[64];
        std::snprintf(text, sizeof text, "unsupported BMP bit depth %u", b);
        return fail(message, E_INVALIDARG, text);
    }
    if ((c == bi_rle8 && b != 8) || (c == bi_rle4 && b != 4) ||
        ((c == bi_bitfields || c == bi_alphabitfields) && b != 16 && b != 32) || (core && b == 16) ||
        (core && b == 32))
        return corrupt(message, "compression does not fit the bit depth");
    if (out->top_down && (c == bi_rle8 || c == bi_rle4)) return corrupt(message, "top-down RLE");

    if (b == 16) {
        out->masks[0] = 0x7C00, out->masks[1] = 0x03E0, out->masks[2] = 0x001F;
    } else if (b == 32) {
        out->masks[0] = 0xFF0000, out->masks[1] = 0xFF00, out->masks[2] = 0xFF;
    }
    if (c == bi_bitfields || c == bi_alphabitfields) {
        // The 40-byte header keeps its masks after it; later headers hold them inside.
        const unsigned count = c == bi_alphabitfields ? 4 : 3;
        const BYTE* masks = h + 40;
        if (header_size == 40) {
            const auto at = static_cast<std::size_t>(out->palette_at);
            if (!copy(file, file_head_size, at, head + file_header_size + 40, count * 4))
                return fail(message, E_INVALIDARG, "BMP header truncated");
            out->palette_at += count * 4;
        }
        for (unsigned i = 0; i < 3; ++i) out->masks[i] = com::le::load32(masks + 4 * i);
        if (count == 4 || header_size >= 56) out->masks[3] = com::le::load32(masks + 12);
    }

    if (b <= 8) {
        const std::uint64_t most = std::uint64_t{1} << b;
        if (out->palette_entries == 0 || out->palette_entries > most) out->palette_entries = most;
        // A palette shorter than declared ends where the pixels start.
        const std::uint64_t room = out->pixels_at > out->palette_at
                                       ? (out->pixels_at - out->palette_at) / out->palette_entry_size
                                       : 0;
        if (room < out->palette_entries) out->palette_entries = room;
    } else {
        out->palette_entries = 0;
    }
    if (out->pixels_at < out->palette_at || out->pixels_at > file_size)
        return corrupt(message, "pixel data offset outside the file");
    return S_OK;
}

HRESULT read_dib_layout(const BYTE* dib, std::size_t size, layout* out) noexcept
{
    if (size < info_header_size) return E_INVALIDARG;
    const std::uint32_t header = com::le::load32(dib);
    if (header < info_header_size || header > size) return E_INVALIDARG;
    const auto width = static_cast<std::int32_t>(com::le::load32(dib + 4));
    const auto height = static_cast<std::int32_t>(com::le::load32(dib + 8));
    const unsigned bits = com::le::load16(dib + 14);
    const std::uint32_t compression = com::le::load32(dib + 16);
    std::uint32_t colours = com::le::load32(dib + 32);
    if (compression != bi_rgb || width <= 0 || height == 0 || height == INT32_MIN) return E_INVALIDARG;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return E_INVALIDARG;
    const bool top_down = height < 0;
    const std::uint64_t rows = top_down ? static_cast<std::uint64_t>(-std::int64_t{height})
                                        : static_cast<std::uint64_t>(height);
    if (width > 16384 || rows > 16384) return E_INVALIDARG;
    if (bits <= 8 && colours == 0) colours = 1u << bits;
    if (bits > 8) colours = 0;
    if (colours > 256) return E_INVALIDARG;
    const std::uint64_t palette_bytes = std::uint64_t{colours} * 4;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    if (header + palette_bytes + stride * rows > size) return E_INVALIDARG;
    *out = layout{};
    out->width = static_cast<std::uint64_t>(width);
    out->height = rows;
    out->top_down = top_down;
    out->bits = bits;
    out->colours_used = colours;
    out->palette_at = header;
    // Entries past 2^bits can never be used; the rows start after all that are declared.
    out->palette_entries = bits <= 8 ? std::min<std::uint64_t>(colours, std::uint64_t{1} << bits) : 0;
    out->pixels_at = header + palette_bytes;
    if (bits == 32) out->masks[0] = 0xFF0000, out->masks[1] = 0xFF00, out->masks[2] = 0xFF;
    return S_OK;
}

namespace {

// One channel of a masked 16- or 32-bit pixel, scaled to 8 bits.
struct channel {
    std::uint32_t mask = 0;
    unsigned shift = 0;
    std::uint64_t top = 0;

    explicit channel(std::uint32_t m) noexcept : mask(m)
    {
        if (mask == 0) return;
        while (((mask >> shift) & 1) == 0) ++shift;
        top = mask >> shift;
    }
    BYTE operator()(std::uint32_t pixel) const noexcept
    {
        if (top == 0) return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<BYTE>((v * 255 + top / 2) / top);
    }
};

class bmp_decoder {
public:
    bmp_decoder(const BYTE* data, std::size_t size, const struct layout& layout) noexcept
        : data_(data), size_(size), l_(layout)
    {
    }

    HRESULT run(past_palette indices, image* out, std::string* message) noexcept
    {
        strict_ = indices == past_palette::fails;
        const bool indexed = l_.bits <= 8;
        if (indexed) read_palette();
        components_ = indexed && grey_palette() ? 1 : 3;
        const bool rle = l_.compression == bi_rle8 || l_.compression == bi_rle4;
        const std::uint64_t stride = (l_.width * l_.bits + 31) / 32 * 4;
        if (!rle && stride * l_.height > size_ - l_.pixels_at)
            return fail(message, E_INVALIDARG, "BMP pixel data truncated");
        alpha_mask_ = l_.masks[3];
        try {
            pixels_.resize(static_cast<std::size_t>(l_.width * l_.height) * components_);
            if (alpha_mask_ != 0) alpha_.resize(static_cast<std::size_t>(l_.width * l_.height));
        } catch (const std::bad_alloc&) {
            return fail(message, E_OUTOFMEMORY, "out of memory decoding BMP");
        }
        if (rle) {
            const HRESULT hr = run_rle(message);
            if (FAILED(hr)) return hr;
        } else {
            for (std::uint64_t row = 0; row < l_.height; ++row)
                decode_row(data_ + l_.pixels_at + row * stride, l_.top_down ? row : l_.height - 1 - row);
        }
        if (outside_) return fail(message, E_INVALIDARG, "corrupt BMP: palette index past the palette");
        settle_alpha();
        out->width = l_.width;
        out->height = l_.height;
        out->components = components_;
        out->pixels = std::move(pixels_);
        out->alpha = std::move(alpha_);
        return S_OK;
    }

private:
    // Indices past the palette read as black, as they do in the common viewers.
    void read_palette() noexcept
    {
        const BYTE* p = data_ + l_.palette_at;
        for (std::uint64_t i = 0; i < l_.palette_entries; ++i, p += l_.palette_entry_size) {
            palette_[i * 3] = p[2];
            palette_[i * 3 + 1] = p[1];
            palette_[i * 3 + 2] = p[0];
        }
    }
    bool grey_palette() const noexcept
    {
        for (std::size_t i = 0; i < 256; ++i)
            if (palette_[i * 3] != palette_[i * 3 + 1] || palette_[i * 3] != palette_[i * 3 + 2]) return false;
        return true;
    }

    void put_index(std::uint64_t x, std::uint64_t row, unsigned index) noexcept
    {
        if (strict_ && index >= l_.palette_entries) outside_ = true;
        BYTE* to = pixels_.data() + (row * l_.width + x) * static_cast<std::size_t>(components_);
        const BYTE* from = palette_.data() + index * 3;
        to[0] = from[0];
        if (components_ == 3) to[1] = from[1], to[2] = from[2];
    }

    void decode_row(const BYTE* from, std::uint64_t row) noexcept
    {
        const std::uint64_t w = l_.width;
        switch (l_.bits) {
        case 1:
            for (std::uint64_t x = 0; x < w; ++x) put_index(x, row, (from[x / 8] >> (7 - x % 8)) & 1);
            return;
        case 4:
            for (std::uint64_t x = 0; x < w; ++x) put_index(x, row, (from[x / 2] >> (x % 2 ? 0 : 4)) & 15);
            return;
        case 8:
            for (std::uint64_t x = 0; x < w; ++x) put_index(x, row, from[x]);
            return;
        case 24: {
            BYTE* to = pixels_.data() + row * w * 3;
            for (std::uint64_t x = 0; x < w; ++x, from += 3, to += 3) to[0] = from[2], to[1] = from[1], to[2] = from[0];
            return;
        }
        default: {
            const channel r(l_.masks[0]), g(l_.masks[1]), b(l_.masks[2]), a(alpha_mask_);
            BYTE* to = pixels_.data() + row * w * 3;
            for (std::uint64_t x = 0; x < w; ++x, to += 3) {
                const std::uint32_t pixel = l_.bits == 16 ? com::le::load16(from + x * 2) : com::le::load32(from + x * 4);
                to[0] = r(pixel), to[1] = g(pixel), to[2] = b(pixel);
                if (alpha_mask_ != 0) alpha_[row * w + x] = a(pixel);
            }
            return;
        }
        }
    }

    // Pixels the RLE stream skips (delta, early end of line or of bitmap) keep palette entry 0.
    HRESULT run_rle(std::string* message) noexcept
    {
        for (std::uint64_t row = 0; row < l_.height; ++row)
            for (std::uint64_t x = 0; x < l_.width; ++x) put_index(x, row, 0);
        const bool four = l_.compression == bi_rle4;
        std::uint64_t at = l_.pixels_at, x = 0, y = 0;  // y counts from the bottom row
        auto put = [&](unsigned index) {
            if (x < l_.width && y < l_.height) put_index(x, l_.height - 1 - y, index);
            ++x;
        };
        while (y < l_.height) {
            if (size_ - at < 2) return fail(message, E_INVALIDARG, "BMP RLE data truncated");
            const unsigned count = data_[at], value = data_[at + 1];
            at += 2;
            if (count != 0) {
                for (unsigned i = 0; i < count; ++i)
                    put(four ? (i % 2 ? value & 15 : value >> 4) : value);
                continue;
            }
            if (value == 0) {
                x = 0, ++y;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                if (size_ - at < 2) return fail(message, E_INVALIDARG, "BMP RLE data truncated");
                x += data_[at], y += data_[at + 1];
                at += 2;
            } else {
                const std::uint64_t bytes = four ? (value + 1) / 2 : value;
                const std::uint64_t padded = (bytes + 1) & ~std::uint64_t{1};
                if (size_ - at < padded) return fail(message, E_INVALIDARG, "BMP RLE data truncated");
                for (unsigned i = 0; i < value; ++i) {
                    const BYTE byte = data_[at + (four ? i / 2 : i)];
                    put(four ? (i % 2 ? byte & 15 : byte >> 4) : byte);
                }
                at += padded;
            }
        }
        return S_OK;
    }

    // Many writers declare an alpha mask and leave it all zero; such an image is meant opaque.
    void settle_alpha() noexcept
    {
        if (alpha_.empty()) return;
        bool opaque = true, clear = true;
        for (const BYTE a : alpha_) opaque = opaque && a == 0xFF, clear = clear && a == 0;
        if (opaque || clear) std::vector<BYTE>().swap(alpha_);
    }

    const BYTE* data_;
    std::size_t size_;
    const struct layout& l_;
    std::array<BYTE, 256 * 3> palette_{};
    int components_ = 3;
    bool strict_ = false, outside_ = false;
    std::uint32_t alpha_mask_ = 0;
    std::vector<BYTE> pixels_, alpha_;
};

}  // namespace

HRESULT decode(const BYTE* data, std::size_t size, const layout& layout, past_palette indices,
               image* out, std::string* message) noexcept
{
    bmp_decoder decoder(data, size, layout);
    return decoder.run(indices, out, message);
}

}  // namespace gdi::bmp
