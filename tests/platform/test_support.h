// Small pieces the platform tests share: a plain object for watching who holds references to
// it, a way to read any object's count, and a variant made in one line.
#pragma once

#include <cstring>

#include "platform/com/object.h"
#include "platform/com/oaidl.h"

namespace counted {

struct ICounted : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2C0003-0000-4000-8000-0000000000B1}");
    using base = IUnknown;
};

class CCounted : public com::object_root<CCounted, ICounted> {
public:
    ULONG refs() const noexcept { return ref_count_; }
};

// The reference count, by an AddRef and a Release.
inline ULONG references(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

}  // namespace counted

// A variant of type `vt` holding `payload` (a value, or a pointer for VT_BYREF types).
template <typename T>
VARIANT variant_of(VARTYPE vt, T payload)
{
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = vt;
    std::memcpy(&v.llVal, &payload, sizeof payload);
    return v;
}
