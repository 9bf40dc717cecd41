// BSTR copies as the elements make them: same byte length, so embedded zeros survive, and a
// null string stays null.
#pragma once

#include <string_view>

#include "platform/com/bstr.h"
#include "platform/com/result.h"

namespace cnt {

// *out := a copy of text. E_OUTOFMEMORY when a non-null text cannot be copied.
inline HRESULT copy_bstr(BSTR text, BSTR* out) noexcept
{
    *out = nullptr;
    if (!text) return S_OK;
    *out = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Replaces *field with a copy of text, unless text is the very string already held.
inline HRESULT assign_bstr(BSTR* field, BSTR text) noexcept
{
    if (text == *field) return S_OK;
    BSTR copy = nullptr;
    RETURN_IF_FAILED(copy_bstr(text, &copy));
    SysFreeString(*field);
    *field = copy;
    return S_OK;
}

// An owned BSTR field of an element: freed with the element.
class bstr_field {
public:
    bstr_field() noexcept = default;
    explicit bstr_field(const OLECHAR* initial) noexcept : s_(SysAllocString(initial)) {}
    bstr_field(const bstr_field&) = delete;
    bstr_field& operator=(const bstr_field&) = delete;
    ~bstr_field() { SysFreeString(s_); }
    BSTR get() const noexcept { return s_; }
    BSTR* slot() noexcept { return &s_; }
    HRESULT assign(BSTR text) noexcept { return assign_bstr(&s_, text); }
    HRESULT copy_to(BSTR* out) const noexcept { return copy_bstr(s_, out); }
    bool empty() const noexcept { return SysStringLen(s_) == 0; }
    // The whole text, embedded zeros included; empty for null.
    std::u16string_view view() const noexcept
    {
        return s_ ? std::u16string_view(s_, SysStringLen(s_)) : std::u16string_view();
    }

private:
    BSTR s_ = nullptr;
};

}  // namespace cnt
