// Creating host objects the way every element does: ask the list to create an object of a
// kind, take the kind's interface, add it to its list and keep the id the list returns.
// A list that creates nothing, or an object without the interface, is E_UNEXPECTED; a list that
// refuses to add the object gives its own failure.
#pragma once

#include <new>
#include <vector>

#include "contentelements/zprint_page.h"
#include "platform/com/com.h"

namespace cnt {

namespace detail {
inline VARIANT unknown_variant(IUnknown* object) noexcept
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = object;
    return v;
}

inline HRESULT append_id(std::vector<LONG>& ids, LONG id) noexcept
{
    try {
        ids.push_back(id);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

template <typename I, typename List>
HRESULT create_kind(List* list, LONG kind, com::ComPtr<I>* out) noexcept
{
    out->reset();
    com::ComPtr<IDispatch> made;
    list->Create(kind, made.put());
    if (!made) return E_UNEXPECTED;
    if (FAILED(made->QueryInterface(I::iid, out->put_void())) || !*out) return E_UNEXPECTED;
    return S_OK;
}

template <typename I, typename List>
HRESULT create_listed(List* list, LONG kind, std::vector<LONG>& ids, com::ComPtr<I>* out) noexcept
{
    RETURN_IF_FAILED(create_kind(list, kind, out));
    LONG id = 0;
    // An object the list refused is not the element's: its id would name nothing.
    if (HRESULT hr = list->Add(unknown_variant(out->get()), &id); FAILED(hr)) {
        out->reset();
        return hr;
    }
    return append_id(ids, id);
}
}  // namespace detail

// A page object of `kind`, added to `list`; its id is appended to `ids`.
template <typename I>
HRESULT create_page_object(IZPageObjectList* list, LONG kind, std::vector<LONG>& ids,
                           com::ComPtr<I>* out) noexcept
{
    return detail::create_listed(list, kind, ids, out);
}

// A resource of `kind`, added to `list` with an id appended to `ids`.
template <typename I>
HRESULT create_resource(IZResourceList* list, LONG kind, std::vector<LONG>& ids,
                        com::ComPtr<I>* out) noexcept
{
    return detail::create_listed(list, kind, ids, out);
}

// A resource of `kind` added to `list` without an id: nothing records it.
template <typename I>
HRESULT create_unrecorded_resource(IZResourceList* list, LONG kind, com::ComPtr<I>* out) noexcept
{
    RETURN_IF_FAILED(detail::create_kind(list, kind, out));
    list->AddWithoutID(detail::unknown_variant(out->get()));
    return S_OK;
}

}  // namespace cnt
