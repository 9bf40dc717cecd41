// Flat HRESULT control flow: each macro evaluates its argument once and returns on failure.
#pragma once

#include <type_traits>

#include "platform/com/types.h"

namespace com::detail {
template <typename T>
constexpr HRESULT verify_hresult(T hr) noexcept
{
    static_assert(std::is_same_v<T, HRESULT>, "expected an HRESULT");
    return hr;
}
}  // namespace com::detail

#define RETURN_IF_FAILED(expr)                                        \
    do {                                                              \
        const HRESULT zcnt_hr_ = ::com::detail::verify_hresult(expr); \
        if (FAILED(zcnt_hr_)) return zcnt_hr_;                        \
    } while (0)

#define RETURN_HR_IF(hr, condition)                                       \
    do {                                                                  \
        if (condition) return ::com::detail::verify_hresult(hr);          \
    } while (0)

#define RETURN_HR_IF_NULL(hr, pointer)                                    \
    do {                                                                  \
        if ((pointer) == nullptr) return ::com::detail::verify_hresult(hr); \
    } while (0)

#define RETURN_IF_NULL_ALLOC(pointer)                  \
    do {                                               \
        if ((pointer) == nullptr) return E_OUTOFMEMORY; \
    } while (0)

// Clears an out pointer after checking it: E_POINTER for a null one.
#define RETURN_IF_NULL_OUT(pointer)                   \
    do {                                              \
        if ((pointer) == nullptr) return E_POINTER;   \
        *(pointer) = {};                              \
    } while (0)
