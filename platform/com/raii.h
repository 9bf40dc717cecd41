// Owning wrappers for BSTR and VARIANT at the edges of interface calls.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/com/bstr.h"
#include "platform/com/oaidl.h"
#include "platform/com/variant.h"

namespace com {

class Bstr {
public:
    Bstr() noexcept = default;
    // Copies; check `ok()` or compare with null when the allocation may have failed.
    explicit Bstr(std::u16string_view text) noexcept
        : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    explicit Bstr(const char16_t* text) noexcept : s_(SysAllocString(text)) {}
    Bstr(const Bstr& other) noexcept
        : s_(other.s_ ? SysAllocStringByteLen(reinterpret_cast<LPCSTR>(other.s_),
                                              SysStringByteLen(other.s_))
                      : nullptr)
    {
    }
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    ~Bstr() { SysFreeString(s_); }
    Bstr& operator=(Bstr other) noexcept
    {
        std::swap(s_, other.s_);
        return *this;
    }

    // Takes ownership of a BSTR allocated elsewhere.
    static Bstr attach(BSTR s) noexcept
    {
        Bstr b;
        b.s_ = s;
        return b;
    }
    [[nodiscard]] BSTR detach() noexcept { return std::exchange(s_, nullptr); }
    BSTR get() const noexcept { return s_; }
    // Frees what is held and gives the slot for an out parameter.
    BSTR* put() noexcept
    {
        SysFreeString(std::exchange(s_, nullptr));
        return &s_;
    }
    UINT length() const noexcept { return SysStringLen(s_); }
    std::u16string_view view() const noexcept { return bstr_view(s_); }
    bool is_null() const noexcept { return s_ == nullptr; }

private:
    BSTR s_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(const Variant& other) noexcept
    {
        VariantInit(&v_);
        VariantCopy(&v_, &other.v_);
    }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    explicit Variant(const VARIANT& other) noexcept
    {
        VariantInit(&v_);
        VariantCopy(&v_, &other);
    }
    ~Variant() { VariantClear(&v_); }
    Variant& operator=(Variant other) noexcept
    {
        std::swap(v_, other.v_);
        return *this;
    }

    static Variant from_i4(LONG value) noexcept
    {
        Variant v;
        v.v_.vt = VT_I4;
        v.v_.lVal = value;
        return v;
    }
    static Variant from_i2(SHORT value) noexcept
    {
        Variant v;
        v.v_.vt = VT_I2;
        v.v_.iVal = value;
        return v;
    }
    static Variant from_r8(double value) noexcept
    {
        Variant v;
        v.v_.vt = VT_R8;
        v.v_.dblVal = value;
        return v;
    }
    static Variant from_bool(bool value) noexcept
    {
        Variant v;
        v.v_.vt = VT_BOOL;
        v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    // VT_DISPATCH / VT_UNKNOWN holding a reference of its own.
    static Variant from_dispatch(IDispatch* object) noexcept
    {
        Variant v;
        v.v_.vt = VT_DISPATCH;
        v.v_.pdispVal = object;
        if (object) object->AddRef();
        return v;
    }
    static Variant from_unknown(IUnknown* object) noexcept
    {
        Variant v;
        v.v_.vt = VT_UNKNOWN;
        v.v_.punkVal = object;
        if (object) object->AddRef();
        return v;
    }
    // VT_BSTR holding a copy; VT_ERROR with E_OUTOFMEMORY when the copy fails.
    static Variant from_string(std::u16string_view text) noexcept
    {
        Variant v;
        v.v_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (v.v_.bstrVal) {
            v.v_.vt = VT_BSTR;
        } else {
            v.v_.vt = VT_ERROR;
            v.v_.scode = E_OUTOFMEMORY;
        }
        return v;
    }

    VARIANT* get() noexcept { return &v_; }
    const VARIANT* get() const noexcept { return &v_; }
    VARIANT* operator->() noexcept { return &v_; }
    const VARIANT* operator->() const noexcept { return &v_; }
    // Clears and gives the variant for an out parameter.
    VARIANT* put() noexcept
    {
        VariantClear(&v_);
        return &v_;
    }
    VARTYPE vt() const noexcept { return v_.vt; }
    VARIANT detach() noexcept
    {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }

private:
    VARIANT v_;
};

}  // namespace com
