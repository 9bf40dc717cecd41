// BSTR: length-prefixed UTF-16 strings owned by the system allocator.
//
// The 32-bit byte length sits in the four bytes before the characters, and a NUL character
// follows them, so a BSTR can hold embedded zeros and still be read as a C string. A null BSTR
// counts as the empty string wherever a length is asked for.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"

BSTR SysAllocString(LPCOLESTR text) noexcept;
BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept;
// `length` bytes; the copy gets one extra NUL character (two zero bytes) after them.
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) noexcept;
INT SysReAllocString(BSTR* target, LPCOLESTR text) noexcept;
INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length) noexcept;
void SysFreeString(BSTR text) noexcept;
UINT SysStringLen(BSTR text) noexcept;
UINT SysStringByteLen(BSTR text) noexcept;

// Number of live BSTRs allocated by this process; tests use it to see that nothing leaks.
namespace com {
long bstr_live_count() noexcept;

inline std::u16string_view bstr_view(BSTR text) noexcept
{
    return text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}
}  // namespace com
