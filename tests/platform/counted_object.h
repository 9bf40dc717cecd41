// A plain object for tests that watch who holds references to it, and a way to read the count
// of any object.
#pragma once

#include "platform/com/object.h"

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
