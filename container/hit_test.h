// The container's hit test on one record: the record's rectangle, turned by its inclination
// about the bottom-left corner, as a quadrilateral; stationery records only on their border
// band; page breaks in their whole area.
#pragma once

#include <array>

#include "container/element_info.h"

namespace cnt::hit {

struct point {
    LONG x = 0, y = 0;
};
using quad = std::array<point, 4>;

// (Left, Top), (Right, Top), (Right, Bottom), (Left, Bottom), turned by `inclination` degrees.
quad corners(LONG left, LONG top, LONG right, LONG bottom, SHORT inclination) noexcept;

// Strictly inside or on a corner: inside; on an edge between corners: outside.
bool contains(const quad& q, LONG x, LONG y) noexcept;

// Whether a description marks a stationery element: it begins with "_Stationery:" in any case.
bool is_stationery(BSTR description) noexcept;

// Whether (x, y) hits the record; hit_width is the stationery border band's width.
bool hits(const CZCntElementInfo& record, LONG hit_width, LONG x, LONG y) noexcept;

}  // namespace cnt::hit
