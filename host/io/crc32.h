// CRC-32 (the polynomial of zlib and PNG), for the .pjd chunk checksums and PNG chunks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host {
std::uint32_t crc32(const std::uint8_t* data, std::size_t size,
                    std::uint32_t crc = 0) noexcept;
}
