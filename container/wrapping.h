// 32-bit sums that wrap as the page coordinates always have on the machines the records come
// from, instead of overflowing into undefined behaviour on extreme values of a loaded record.
#pragma once

#include <cstdint>

#include "platform/com/types.h"

namespace cnt {

constexpr LONG wrapping_add(LONG a, LONG b) noexcept
{
    return static_cast<LONG>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

constexpr LONG wrapping_sub(LONG a, LONG b) noexcept
{
    return static_cast<LONG>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

}  // namespace cnt
