// What the PNG readers share: the header checked before anything is allocated, and the chunk
// walk over a file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/output/image/decode.h"

namespace host::image::detail {

constexpr std::size_t png_header_size = 8 + 8 + 13 + 4;  // signature, chunk head, IHDR, CRC

struct png_header {
    std::uint32_t width, height;
    unsigned depth, colour_type;
    bool interlaced;
};

inline std::uint32_t big_endian(const BYTE* p) noexcept
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// IHDR must be the first chunk, so the size is known from the first 33 bytes.
HRESULT read_png_header(const BYTE* head, std::size_t have, png_header* out, std::string* message) noexcept;

// The header, then the checks a whole file allows before its pixels are allocated: enough data
// for the declared size, and a complete IEND chunk.
HRESULT check_png_file(const BYTE* data, std::size_t size, png_header* out, std::string* message) noexcept;

}  // namespace host::image::detail
