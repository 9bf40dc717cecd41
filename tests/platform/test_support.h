// Small pieces the platform tests share: a plain object for watching who holds references to
// it, a way to read any object's count, a variant made in one line, and a fixture that fails a
// test which leaves a BSTR allocated.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/bstr.h"
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

class BstrLeakTest : public ::testing::Test {
protected:
    void SetUp() override { live_ = com::bstr_live_count(); }
    void TearDown() override { EXPECT_EQ(com::bstr_live_count(), live_) << "a BSTR leaked"; }
    long live_ = 0;
};

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
