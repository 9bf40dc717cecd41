// BMP, parsed here: the core (12 byte) and info (40 byte and later) headers, palettes of 1, 4
// and 8 bits, 16 and 32 bits with masks, 24 bits, and RLE8/RLE4.
//
// Every offset is checked against the input in 64-bit arithmetic before it is read, and the
// pixel data of an uncompressed image must all be present before the output is allocated.
#include <array>
#include <cstdio>
#include <new>

#include "host/output/image/decode.h"

namespace host::image::detail {
namespace {

enum compression : std::uint32_t {
    bi_rgb = 0,
    bi_rle8 = 1,
    bi_rle4 = 2,
    bi_bitfields = 3,
    bi_alphabitfields = 6,
};

constexpr std::uint64_t file_header_size = 14;
constexpr std::size_t largest_header = 124;

struct bmp_layout {
    std::uint64_t width = 0, height = 0;
    bool top_down = false;
    unsigned bits = 0;
    std::uint32_t compression = bi_rgb;
    std::uint64_t palette_at = 0;       // first palette entry
    std::uint64_t palette_entries = 0;  // that are present in the file
    unsigned palette_entry_size = 4;
    std::uint64_t pixels_at = 0;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha
};

std::uint32_t le16(const BYTE* p) noexcept { return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8; }
std::uint32_t le32(const BYTE* p) noexcept { return le16(p) | le16(p + 2) << 16; }

HRESULT corrupt(std::string* message, const char* what) noexcept
{
    char text[128];
    std::snprintf(text, sizeof text, "corrupt BMP: %s", what);
    return fail(message, E_INVALIDARG, text);
}

HRESULT read_layout(source& in, bmp_layout* out, std::string* message) noexcept
{
    BYTE head[file_header_size + largest_header + 16] = {};
    if (!in.read(0, head, file_header_size + 4)) return fail(message, E_INVALIDARG, "BMP header truncated");
    const std::uint32_t header_size = le32(head + 14);
    const bool core = header_size == 12;
    if (!core && header_size != 40 && header_size != 52 && header_size != 56 && header_size != 108 &&
        header_size != 124) {
        char text[64];
        std::snprintf(text, sizeof text, "unsupported BMP header size %u", header_size);
        return fail(message, E_INVALIDARG, text);
    }
    if (!in.read(file_header_size, head + file_header_size, header_size))
        return fail(message, E_INVALIDARG, "BMP header truncated");
    const BYTE* h = head + file_header_size;
    out->pixels_at = le32(head + 10);
    out->palette_at = file_header_size + header_size;
    std::int64_t height = 0;
    if (core) {
        out->width = le16(h + 4);
        height = le16(h + 6);
        out->bits = le16(h + 10);
        out->palette_entry_size = 3;
    } else {
        const auto width = static_cast<std::int32_t>(le32(h + 4));
        if (width < 0) return corrupt(message, "negative width");
        out->width = static_cast<std::uint64_t>(width);
        height = static_cast<std::int32_t>(le32(h + 8));
        out->bits = le16(h + 14);
        out->compression = le32(h + 16);
        out->palette_entries = le32(h + 32);
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
            if (!in.read(out->palette_at, head + file_header_size + 40, count * 4))
                return fail(message, E_INVALIDARG, "BMP header truncated");
            out->palette_at += count * 4;
        }
        for (unsigned i = 0; i < 3; ++i) out->masks[i] = le32(masks + 4 * i);
        if (count == 4 || header_size >= 56) out->masks[3] = le32(masks + 12);
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
    if (out->pixels_at < out->palette_at || out->pixels_at > in.size())
        return corrupt(message, "pixel data offset outside the file");
    return check_dimensions(out->width, out->height, message);
}

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
    bmp_decoder(const BYTE* data, std::size_t size, const bmp_layout& layout) noexcept
        : data_(data), size_(size), l_(layout)
    {
    }

    HRESULT run(picture* out, std::string* message) noexcept
    {
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
        settle_alpha();
        out->kind = format::bmp;
        out->width = static_cast<LONG>(l_.width);
        out->height = static_cast<LONG>(l_.height);
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
                const std::uint32_t pixel = l_.bits == 16 ? le16(from + x * 2) : le32(from + x * 4);
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
    const bmp_layout& l_;
    std::array<BYTE, 256 * 3> palette_{};
    int components_ = 3;
    std::uint32_t alpha_mask_ = 0;
    std::vector<BYTE> pixels_, alpha_;
};

}  // namespace

HRESULT probe_bmp(source& in, info* out, std::string* message) noexcept
{
    bmp_layout layout;
    const HRESULT hr = read_layout(in, &layout, message);
    if (FAILED(hr)) return hr;
    *out = {format::bmp, static_cast<LONG>(layout.width), static_cast<LONG>(layout.height)};
    return S_OK;
}

HRESULT decode_bmp(const BYTE* data, std::size_t size, picture* out, std::string* message) noexcept
{
    memory_source in(data, size);
    bmp_layout layout;
    const HRESULT hr = read_layout(in, &layout, message);
    if (FAILED(hr)) return hr;
    bmp_decoder decoder(data, size, layout);
    return decoder.run(out, message);
}

}  // namespace host::image::detail
