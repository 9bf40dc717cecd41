// CRC-32 through libdeflate, whose carry-less multiply path sums many GB/s: it is the whole of
// the .pjd and PNG chunk checks, and zlib's table loop was a sixth of a .pjd save and load.
// libdeflate takes a size_t length, so a chunk past 4 GiB is summed whole.
#include "host/io/crc32.h"

#include <libdeflate.h>

namespace host {
std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) noexcept
{
    return ::libdeflate_crc32(crc, data, size);
}
}  // namespace host
