// A QR symbol of a text, and the one-bit bitmap the image resource shows it as: three pixels
// per module, a quiet zone of `margin` modules, light pixels 1 and dark pixels 0.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/com/types.h"

namespace cnt::qrcode {

// The modules of a symbol, row by row from the top-left; a module is dark when the lowest bit
// of its byte is set.
struct symbol {
    LONG width = 0;  // modules per side
    std::vector<unsigned char> modules;
};

// The smallest symbol for `text` as 8-bit data with case kept, at `level` (0 to 3). False when
// no symbol holds it or the level is not one of libqrencode's.
bool encode(const std::string& text, LONG level, symbol* out);

struct bitmap {
    LONG side = 0;        // pixels
    LONG row_bytes = 0;   // (side + 7) / 8
    std::vector<BYTE> bits;  // row_bytes × side, top row first, leftmost pixel in the high bit
};

// Bitmaps above this size are refused: a margin of thousands of modules is no QR code.
constexpr std::size_t max_bitmap_bytes = std::size_t{64} << 20;

// S_OK; E_OUTOFMEMORY when the bitmap would exceed max_bitmap_bytes or memory runs out. A
// negative margin counts as 0.
HRESULT make_bitmap(const symbol& s, SHORT margin, bitmap* out) noexcept;

}  // namespace cnt::qrcode
