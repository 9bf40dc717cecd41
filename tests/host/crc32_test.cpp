// The one CRC-32 of the .pjd and PNG chunks: the standard check values, and a running sum
// carried over pieces of any size giving the sum of the whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "host/io/crc32.h"

namespace {

std::uint32_t crc_of(const std::string& s)
{
    return host::crc32(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

TEST(Crc32, GivesTheStandardCheckValues)
{
    const struct {
        std::string text;
        std::uint32_t crc;
    } cases[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const auto& c : cases) EXPECT_EQ(crc_of(c.text), c.crc) << '"' << c.text << '"';
}

TEST(Crc32, ARunningSumOverPiecesIsTheSumOfTheWhole)
{
    std::vector<std::uint8_t> bytes(1 << 20);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
    const std::uint32_t whole = host::crc32(bytes.data(), bytes.size());
    for (const std::size_t piece : {1u, 7u, 64u, 4093u, 65536u}) {
        std::uint32_t running = 0;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            const std::size_t n = std::min(piece, bytes.size() - at);
            running = host::crc32(bytes.data() + at, n, running);
        }
        EXPECT_EQ(running, whole) << "pieces of " << piece;
    }
}

}  // namespace
