// The ids an annotation element keeps of the host objects it made, for tools and tests that
// report on or check what an element created. Not part of either type library; every
// annotation element answers it.
#pragma once

#include <new>
#include <vector>

#include "platform/com/com.h"

// The two lists of ids an element keeps.
enum class created_list : ULONG { page_objects = 0, resources = 1 };

// What tools and tests may ask an element about itself beyond its interfaces.
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
