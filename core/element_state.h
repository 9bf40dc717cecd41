// The state every annotation element keeps besides its own properties: where it is, its
// description, what it is attached to, and the ids of the host objects it created.
#pragma once

#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_element_ids.h"
#include "contentelements/zprint_page.h"
#include "core/strings.h"
#include "platform/com/com_ptr.h"

namespace cnt {

// 32-bit sums and differences that wrap as the page units' own arithmetic does at the ends of
// the range, instead of overflowing.
constexpr LONG wrap_add(LONG a, LONG b) noexcept
{
    return static_cast<LONG>(static_cast<ULONG>(a) + static_cast<ULONG>(b));
}
constexpr LONG wrap_sub(LONG a, LONG b) noexcept
{
    return static_cast<LONG>(static_cast<ULONG>(a) - static_cast<ULONG>(b));
}

constexpr LONG wrap_mul(LONG a, LONG b) noexcept
{
    return static_cast<LONG>(static_cast<ULONG>(a) * static_cast<ULONG>(b));
}

// (int)value for a page coordinate, held inside the 32-bit range where the cast is undefined.
constexpr LONG to_long(double value) noexcept
{
    if (!(value == value)) return 0;
    if (value <= -2147483648.0) return -2147483647 - 1;
    if (value >= 2147483647.0) return 2147483647;
    return static_cast<LONG>(value);
}

// Left, top, right, bottom in the host page's units.
struct rect {
    LONG left = 0, top = 0, right = 0, bottom = 0;
    bool is_zero() const noexcept { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};

struct element_state {
    rect position;
    bstr_field description{u""};
    com::ComPtr<IZPrintContentPage> page;
    com::ComPtr<IZCntElementContainer> container;
    LONG element_id = 0;
    std::vector<LONG> page_object_ids;
    std::vector<LONG> resource_ids;
    LONG dirty = 1;
};

}  // namespace cnt
