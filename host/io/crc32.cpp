// CRC-32 through zlib, which the PDF writer links anyway; crc32_z takes the whole size_t
// length, so a chunk past 4 GiB is summed whole instead of cut at uInt.
#include "host/io/crc32.h"

#include <zlib.h>

namespace host {
std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) noexcept
{
    return static_cast<std::uint32_t>(::crc32_z(crc, data, size));
}
}  // namespace host
