// Which C++ parameter types a member table accepts and how each one travels: its VARTYPE, its
// kind, and how the thunk reads it out of an argument slot.
#pragma once

#include <cstring>
#include <type_traits>

#include "platform/automation/descriptors.h"

namespace com::automation {

// A unique address per C++ type, to match enumerations with their declarations.
template <typename T>
struct type_key_of {
    static constexpr char key = 0;
};

namespace detail {

template <typename T>
concept enum32 = std::is_enum_v<T> && sizeof(std::underlying_type_t<T>) == 4;

// The VARTYPE of a type passed by value as a number, or VT_EMPTY when it is not one. INT and
// UINT are LONG and ULONG here, so they travel as VT_I4 and VT_UI4.
template <typename T>
constexpr VARTYPE scalar_vt()
{
    if constexpr (std::is_same_v<T, LONG>) return VT_I4;
    else if constexpr (std::is_same_v<T, ULONG>) return VT_UI4;
    else if constexpr (std::is_same_v<T, SHORT>) return VT_I2;
    else if constexpr (std::is_same_v<T, USHORT>) return VT_UI2;
    else if constexpr (std::is_same_v<T, BYTE>) return VT_UI1;
    else if constexpr (std::is_same_v<T, CHAR> || std::is_same_v<T, signed char>) return VT_I1;
    else if constexpr (std::is_same_v<T, LONGLONG>) return VT_I8;
    else if constexpr (std::is_same_v<T, ULONGLONG>) return VT_UI8;
    else if constexpr (std::is_same_v<T, float>) return VT_R4;
    else if constexpr (std::is_same_v<T, double>) return VT_R8;
    else if constexpr (std::is_same_v<T, CY>) return VT_CY;
    else if constexpr (enum32<T>) return VT_I4;
    else return VT_EMPTY;
}

template <typename T>
constexpr bool is_scalar = scalar_vt<T>() != VT_EMPTY;

template <typename T>
constexpr bool is_interface_pointer =
    std::is_pointer_v<T> && com::interface_type<std::remove_pointer_t<T>>;

template <typename I>
constexpr VARTYPE object_vt()
{
    return std::is_base_of_v<IDispatch, I> ? VT_DISPATCH : VT_UNKNOWN;
}

// What a pointer parameter may point at to be an [out] argument.
template <typename T>
constexpr bool is_pointee =
    is_scalar<T> || std::is_same_v<T, BSTR> || std::is_same_v<T, VARIANT> ||
    is_interface_pointer<T>;

}  // namespace detail

// The member table's view of one C++ parameter type. The primary template stays undefined:
// an unsupported type stops compilation at the table entry.
template <typename T>
struct param_traits {
    static constexpr bool in = detail::is_scalar<T> || std::is_same_v<T, BSTR> ||
                               std::is_same_v<T, LPCOLESTR> || std::is_same_v<T, VARIANT> ||
                               std::is_same_v<T, const VARIANT*> ||
                               detail::is_interface_pointer<T>;
    static constexpr bool out =
        !in && std::is_pointer_v<T> && detail::is_pointee<std::remove_pointer_t<T>>;
    static constexpr bool supported = in || out;
    // The type a mark (VT_BOOL, OLE_COLOR, DATE) is checked against.
    using value_type = std::conditional_t<out, std::remove_pointer_t<T>, T>;
};

// Fills the type part of a parameter description: for pointers to a result, the pointee's.
template <typename T>
void describe_value_type(param_desc& p)
{
    if constexpr (detail::is_scalar<T>) {
        p.vt = detail::scalar_vt<T>();
        if constexpr (std::is_enum_v<T>) {
            p.udt = udt_kind::enumeration;
            p.type_key = &type_key_of<T>::key;
        }
    } else if constexpr (std::is_same_v<T, BSTR> || std::is_same_v<T, LPCOLESTR>) {
        p.vt = VT_BSTR;
    } else if constexpr (std::is_same_v<T, VARIANT> || std::is_same_v<T, const VARIANT*>) {
        p.vt = VT_VARIANT;
    } else if constexpr (detail::is_interface_pointer<T>) {
        using I = std::remove_pointer_t<T>;
        p.vt = detail::object_vt<I>();
        p.iid = &com::iid_of<I>();
        if constexpr (!std::is_same_v<I, IUnknown> && !std::is_same_v<I, IDispatch>)
            p.udt = udt_kind::object;
    }
}

// Reads an argument slot as the C++ parameter type T.
template <typename T>
T slot_value(arg_slot& s) noexcept
{
    if constexpr (detail::is_scalar<T>) {
        T value;
        std::memcpy(&value, &s.v.llVal, sizeof(T));
        return value;
    } else if constexpr (std::is_same_v<T, VARIANT>) {
        return s.v;
    } else {
        return static_cast<T>(s.ref);
    }
}

}  // namespace com::automation
