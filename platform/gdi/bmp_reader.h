// The one BMP reader: the layout of a .bmp file or of a packed DIB (the form a bitmap resource
// may take), and its pixels as 8-bit grey or RGB rows. The bitmap loader and the print engine's
// image decoding both read BMPs through it, each with its own rules on what it accepts.
//
// Input is untrusted. Every offset is checked against the input in 64-bit arithmetic before it
// is read, and the pixel data of an uncompressed image must all be present before the output is
// allocated. Failures come back as an HRESULT with a one-line reason; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/types.h"

namespace gdi::bmp {

enum compression : std::uint32_t {
    bi_rgb = 0,
    bi_rle8 = 1,
    bi_rle4 = 2,
    bi_bitfields = 3,
    bi_alphabitfields = 6,
};

constexpr std::size_t file_header_size = 14;
constexpr std::size_t info_header_size = 40;
// The most of a file's first bytes the layout needs: file header, the largest info header and
// the masks that may follow a 40-byte one.
constexpr std::size_t largest_head = file_header_size + 124 + 16;

struct layout {
    std::uint64_t width = 0, height = 0;
    bool top_down = false;
    unsigned bits = 0;
    std::uint32_t compression = bi_rgb;
    std::uint32_t colours_used = 0;     // as the header declares it (0 for a core header)
    std::uint64_t palette_at = 0;       // first palette entry
    std::uint64_t palette_entries = 0;  // that are present in the file
    unsigned palette_entry_size = 4;
    std::uint64_t pixels_at = 0;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha
};

// A .bmp file's layout from its first `head_size` bytes (all of them, up to largest_head) of
// `file_size`: core (12 byte) and info (40, 52, 56, 108 and 124 byte) headers; palettes of 1, 4
// and 8 bits, 16 and 32 bits with masks, 24 bits, and RLE8/RLE4. The image's size is not judged.
HRESULT read_file_layout(const BYTE* head, std::size_t head_size, std::uint64_t file_size,
                         layout* out, std::string* message) noexcept;

// A DIB as a bitmap resource holds it: an info header of at least 40 bytes, the palette of
// `biClrUsed` entries (or all 2^bits) and the rows right after. Uncompressed 1-, 4-, 8-, 24- and
// 32-bit only, sides up to 16384, the palette all there; E_INVALIDARG otherwise.
HRESULT read_dib_layout(const BYTE* dib, std::size_t size, layout* out) noexcept;

struct image {
    std::uint64_t width = 0, height = 0;
    int components = 3;        // 1 grey or 3 RGB, 8 bits each
    std::vector<BYTE> pixels;  // width*components bytes per row, top row first, no padding
    std::vector<BYTE> alpha;   // empty when fully opaque, else width*height bytes
};

// What the decoder makes of a palette index past the palette's entries.
enum class past_palette { black, fails };

// The pixels of `data` (the whole file or DIB the layout was read from). Pixels an RLE stream
// skips keep palette entry 0; an alpha mask that leaves every pixel clear or every pixel opaque
// gives an opaque image.
HRESULT decode(const BYTE* data, std::size_t size, const layout& layout, past_palette indices,
               image* out, std::string* message) noexcept;

}  // namespace gdi::bmp
