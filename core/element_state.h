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

// GetPosition's answer from a stored rectangle: left, top, width and height; E_POINTER, with
// nothing written, when any pointer is null.
inline HRESULT position_as_size(const rect& r, LONG* left, LONG* top, LONG* width,
                                LONG* height) noexcept
{
    if (!left || !top || !width || !height) return E_POINTER;
    *left = r.left;
    *top = r.top;
    *width = wrap_sub(r.right, r.left);
    *height = wrap_sub(r.bottom, r.top);
    return S_OK;
}

// PageID's answer: the page's id, 0 and E_UNEXPECTED without a page.
inline HRESULT page_id_of(const element_state& s, LONG* id) noexcept
{
    if (!id) return E_POINTER;
    *id = 0;
    if (!s.page) return E_UNEXPECTED;
    return s.page->get_PageID(id);
}

// The container forgets the element, when the element is known there (a container, an
// element id and a page to ask for the page id).
inline void remove_from_container(const element_state& s) noexcept
{
    if (!s.container || s.element_id == 0 || !s.page) return;
    LONG page_id = 0;
    s.page->get_PageID(&page_id);
    s.container->RemoveElement(page_id, s.element_id);
}

// The container refreshes its record of `me`, under the same conditions; `me` is kept alive
// across the call.
inline void update_in_container(const element_state& s, IZCntElementBase* me) noexcept
{
    if (!s.container || s.element_id == 0 || !s.page) return;
    LONG page_id = 0;
    s.page->get_PageID(&page_id);
    me->AddRef();
    s.container->UpdateElement(page_id, s.element_id, me);
    me->Release();
}

}  // namespace cnt
