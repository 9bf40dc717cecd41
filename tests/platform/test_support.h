// Small pieces the platform tests share: a plain object for watching who holds references to
// it, a way to read any object's count, a variant made in one line and put in words, a memory
// stream's bytes as text, and a fixture that fails a test which leaves a BSTR allocated.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/object.h"
#include "platform/com/oaidl.h"
#include "platform/com/raii.h"
#include "platform/com/streams.h"

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

// A variant's type and value in words ("I4 17", "BSTR text", "R8 0.25"), so that one comparison
// checks both; reals in their shortest exact form, other types by their number only.
inline std::string shown(const VARIANT& v)
{
    auto number = [](auto n) {
        char text[32];
        return std::string(text, std::to_chars(text, text + sizeof text, n).ptr);
    };
    switch (v.vt) {
    case VT_EMPTY: return "EMPTY";
    case VT_I2: return "I2 " + number(v.iVal);
    case VT_I4: return "I4 " + number(v.lVal);
    case VT_UI4: return "UI4 " + number(v.ulVal);
    case VT_R8: return "R8 " + number(v.dblVal);
    case VT_BOOL: return "BOOL " + number(v.boolVal);
    case VT_ERROR: return "ERROR " + number(static_cast<ULONG>(v.scode));
    case VT_BSTR: {
        std::string text = "BSTR ";
        for (char16_t c : com::bstr_view(v.bstrVal))
            text += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\\u" + number(int{c});
        return text;
    }
    default: return "vt " + number(v.vt);
    }
}
inline std::string shown(const com::Variant& v) { return shown(*v.get()); }

// A memory stream's bytes as a string, so that one comparison checks them all.
inline std::string bytes_of(IStream* stream)
{
    std::vector<BYTE> bytes;
    EXPECT_EQ(com::memory_stream_bytes(stream, &bytes), S_OK);
    return std::string(bytes.begin(), bytes.end());
}
