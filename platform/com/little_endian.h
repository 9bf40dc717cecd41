// Little-endian integers in byte buffers, whatever the machine's byte order: the one reader and
// writer of the file formats (class ids in streams, .pjd chunks, BMP headers). The caller checks
// that the bytes are there; these only assemble and split them.
#pragma once

#include <cstdint>

namespace com::le {

constexpr std::uint16_t load16(const std::uint8_t* p) noexcept
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
constexpr std::uint32_t load32(const std::uint8_t* p) noexcept
{
    return std::uint32_t{load16(p)} | (std::uint32_t{load16(p + 2)} << 16);
}
constexpr std::uint64_t load64(const std::uint8_t* p) noexcept
{
    return std::uint64_t{load32(p)} | (std::uint64_t{load32(p + 4)} << 32);
}

constexpr void store16(std::uint8_t* p, std::uint16_t v) noexcept
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void store32(std::uint8_t* p, std::uint32_t v) noexcept
{
    store16(p, static_cast<std::uint16_t>(v));
    store16(p + 2, static_cast<std::uint16_t>(v >> 16));
}
constexpr void store64(std::uint8_t* p, std::uint64_t v) noexcept
{
    store32(p, static_cast<std::uint32_t>(v));
    store32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

}  // namespace com::le
