// Page-unit conversions, in 32-bit integer arithmetic with C's truncation toward zero: the
// elements' layouts depend on exactly these roundings.
#pragma once

#include "platform/com/types.h"

namespace cnt::units {

// m millimetres at `resolution` units per inch: (resolution × 10·m) / 254.
constexpr LONG from_mm(LONG resolution, LONG mm) noexcept { return (resolution * 10 * mm) / 254; }
// A size of s tenths of a point: (s × resolution) / 720.
constexpr LONG from_tenths_pt(LONG tenths, LONG resolution) noexcept
{
    return (tenths * resolution) / 720;
}
// A height of h page units as tenths of a point: (h × 720) / resolution.
constexpr LONG to_tenths_pt(LONG height, LONG resolution) noexcept
{
    return resolution ? (height * 720) / resolution : 0;
}

}  // namespace cnt::units
