// IDispatch for a dual interface, from its member table. An object lists it in its entries:
//
//   class CNote : public com::object_root<CNote, com::automation::dispatch_impl<IZCntElementNote>,
//                                         com::automation::dispatch_impl<IZElement>> { … };
//
// Each dual interface of an object gets its own dispatch_impl, hence its own IDispatch slots
// and its own table; QueryInterface for IDispatch answers the first entry's. The type info is
// the library's when the interface's traits name `using library = L;` (or when L is given as
// the second argument), else a stand-alone one.
#pragma once

#include "platform/automation/invoke.h"
#include "platform/automation/type_library.h"

namespace com::automation {

namespace detail {
template <typename I>
struct library_of {
    using type = void;
};
template <typename I>
    requires requires { typename interface_traits<I>::library; }
struct library_of<I> {
    using type = typename interface_traits<I>::library;
};
}  // namespace detail

template <typename I>
using library_of_t = typename detail::library_of<I>::type;

template <typename I, typename Library = library_of_t<I>>
class dispatch_impl : public I {
    static_assert(std::is_base_of_v<IDispatch, I>, "dispatch_impl is for dual interfaces");
    static_assert(has_member_table<I>, "dispatch_impl needs the interface's member table");

public:
    using interface_type = I;

    HRESULT GetTypeInfoCount(UINT* count) noexcept override
    {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return get_type_info<I, Library>(info);
    }

    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                          DISPID* ids) noexcept override
    {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const interface_desc* desc = nullptr;
        RETURN_IF_FAILED(try_describe<I>(&desc));
        return ids_of_names(*desc, names, count, ids);
    }

    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* arg_error) noexcept override
    {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const interface_desc* desc = nullptr;
        RETURN_IF_FAILED(try_describe<I>(&desc));
        return invoke(*desc, static_cast<IUnknown*>(static_cast<I*>(this)), id, lcid, flags,
                      params, result, exception, arg_error);
    }

protected:
    dispatch_impl() = default;
    ~dispatch_impl() = default;
};

}  // namespace com::automation
