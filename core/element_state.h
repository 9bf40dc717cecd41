// The state every annotation element keeps besides its own properties: where it is, its
// description, what it is attached to, and the ids of the host objects it created.
#pragma once

#include <new>
#include <vector>

#include "contentelements/cnt_container.h"
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

// The two lists of ids an element keeps.
enum class created_list : ULONG { page_objects = 0, resources = 1 };

// What tools and tests may ask an element about itself beyond its interfaces: the ids it
// keeps. Not part of either type library; answered by every annotation element.
struct IZCntElementIds : IUnknown {
    static constexpr IID iid = com::make_guid("{3E1B7C52-94D0-4B8E-A2F6-6C0D1E9B7A41}");
    using base = IUnknown;
    virtual HRESULT GetElementID(LONG* id) noexcept = 0;
    // The ids of one list, in order of creation, into the caller's buffer of `capacity` ids.
    // *count is the list's length; a null buffer asks only for it, a buffer too small for the
    // whole list gets nothing and ERROR_INSUFFICIENT_BUFFER.
    virtual HRESULT GetCreatedIDs(created_list list, ULONG capacity, LONG* ids,
                                  ULONG* count) noexcept = 0;
};

namespace cnt {
// The ids of one list as a vector, for the tools and tests above the interface.
inline HRESULT created_ids(IZCntElementIds* element, created_list list,
                           std::vector<LONG>* out) noexcept
{
    if (!element || !out) return E_POINTER;
    ULONG count = 0;
    RETURN_IF_FAILED(element->GetCreatedIDs(list, 0, nullptr, &count));
    try {
        out->resize(count);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = element->GetCreatedIDs(list, count, out->data(), &count);
    if (FAILED(hr)) out->clear();
    return hr;
}
}  // namespace cnt
