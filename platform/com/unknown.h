// IUnknown and the conventions every interface declaration follows.
//
// An interface is an abstract struct with pure virtual, noexcept member functions in the exact
// slot order of its definition, no data and no virtual destructor: with the Itanium C++ ABI that
// is the COM vtable layout. Each interface names its IID as `iid` and its parent as `base`, so
// that QueryInterface can be generated from a list of interfaces.
#pragma once

#include <type_traits>

#include "platform/com/guid.h"

#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT

struct IUnknown {
    static constexpr IID iid = com::make_guid("{00000000-0000-0000-C000-000000000046}");
    using base = void;

    virtual HRESULT QueryInterface(REFIID riid, void** object) noexcept = 0;
    virtual ULONG AddRef() noexcept = 0;
    virtual ULONG Release() noexcept = 0;

protected:
    ~IUnknown() = default;
};

constexpr IID IID_IUnknown = IUnknown::iid;

namespace com {

template <typename T>
concept interface_type = std::is_base_of_v<IUnknown, T> && requires {
    { T::iid } -> std::convertible_to<const GUID&>;
    typename T::base;
};

// The IID of an interface type; a type without one does not compile, with a message saying why.
template <typename T>
constexpr const IID& iid_of()
{
    static_assert(interface_type<T>,
                  "interface has no `static constexpr IID iid` and `using base` declaration");
    return T::iid;
}

}  // namespace com

// Windows' typed QueryInterface helper: IID_PPV_ARGS(&p) expands to the IID and the out pointer.
#define IID_PPV_ARGS(pp) ::com::iid_of<std::remove_pointer_t<std::remove_pointer_t<decltype(pp)>>>(), \
                         reinterpret_cast<void**>(pp)
