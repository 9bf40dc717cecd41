// The capacity of version 40 symbols, from the code words each error correction level leaves
// for data.
#include "elements/qrcode/qr_capacity.h"

#include <cstdint>

namespace cnt::qrcode {
namespace {

constexpr LONG kLevels = 4;
// Data code words of a version 40 symbol at levels L, M, Q and H.
constexpr std::uint64_t kDataBytes[kLevels] = {2956, 2334, 1666, 1276};
constexpr std::size_t kLongest[kLevels] = {7089, 5596, 3993, 3057};
// The cheapest mode header at version 40: four mode bits and the 13-bit alphanumeric count.
constexpr std::uint64_t kLeastHeaderBits = 4 + 13;

bool known(LONG level) noexcept { return level >= 0 && level < kLevels; }

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

bool is_alphanumeric(char c) noexcept
{
    if (is_digit(c) || (c >= 'A' && c <= 'Z')) return true;
    for (char other : std::string_view(" $%*+-./:"))
        if (c == other) return true;
    return false;
}

}  // namespace

std::size_t longest_text(LONG level) noexcept { return known(level) ? kLongest[level] : 0; }

bool may_fit(std::string_view text, LONG level) noexcept
{
    if (text.size() > longest_text(level)) return false;
    // In sixths of a bit, so that the digits' 10/3 and the letters' 11/2 stay whole.
    std::uint64_t sixths = 0;
    for (char c : text) sixths += is_digit(c) ? 20 : is_alphanumeric(c) ? 33 : 48;
    const std::uint64_t bits = (sixths + 5) / 6 + kLeastHeaderBits;
    return bits <= kDataBytes[level] * 8;
}

}  // namespace cnt::qrcode
