// IZCntElementIds for an annotation element: the ids it keeps, for tools and tests. Part of
// the element skeleton (core/element.h).
#pragma once

#include <algorithm>
#include <vector>

#include "core/element_state.h"

namespace cnt {

// The ids an element keeps, for tools and tests.
template <typename Derived>
class element_ids : public IZCntElementIds {
public:
    using interface_type = IZCntElementIds;
    HRESULT GetElementID(LONG* id) noexcept override
    {
        if (!id) return E_POINTER;
        *id = self().state().element_id;
        return S_OK;
    }
    HRESULT GetCreatedIDs(created_list list, ULONG capacity, LONG* ids,
                          ULONG* count) noexcept override
    {
        if (!count) return E_POINTER;
        const element_state& s = self().state();
        const std::vector<LONG>* from = list == created_list::page_objects ? &s.page_object_ids
                                        : list == created_list::resources  ? &s.resource_ids
                                                                           : nullptr;
        if (!from) return E_INVALIDARG;
        *count = static_cast<ULONG>(from->size());
        if (!ids) return S_OK;
        if (capacity < from->size()) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        std::copy(from->begin(), from->end(), ids);
        return S_OK;
    }

protected:
    element_ids() = default;
    ~element_ids() = default;

private:
    Derived& self() noexcept { return static_cast<Derived&>(*this); }
};

}  // namespace cnt
