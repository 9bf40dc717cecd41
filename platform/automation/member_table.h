// The member table an interface declares next to itself: one entry per Automation member,
// naming it, giving its DISPID and kind, and pointing at the C++ member function it calls.
//
//   template <> struct com::automation::interface_traits<IZCntElementBase> {
//       static constexpr const char16_t* name = u"IZCntElementBase";
//       static constexpr const char16_t* doc = u"An element on a page";        // optional
//       using library = ContentElementsLib;                                    // optional
//       static constexpr auto members = com::automation::member_table(
//           method(u"SetPosition", 1, &IZCntElementBase::SetPosition,
//                  {u"Left", u"Top", u"Width", u"Height"}),
//           property(u"Inclination", 4, &IZCntElementBase::get_Inclination,
//                    &IZCntElementBase::put_Inclination),
//           read_only_property(u"AllowInclination", 5, &IZCntElementBase::get_AllowInclination,
//                              as_bool<>),
//           method(u"Blend", 10, &IZCntElementBase::Blend, {u"Colour", u"Amount"},
//                  as_color<0>, opt<1>(0.5)));
//   };
//
// property() gives a property's get and put in one entry (ref_property: get and putref);
// read_only_property() a get alone. propget, propput and propputref declare one side each, for
// a property whose sides stand apart in the table or that is set only.
//
// Parameter types come from the member function pointer, so the table cannot disagree with the
// vtable. The table of the nearest base interface that has one (following `I::base`) is
// inherited: lookups try the interface's own members, then the base's.
//
// Parameters: LONG, ULONG, SHORT, USHORT, BYTE, LONGLONG, ULONGLONG, float, double, CY, enums with
// a 32-bit underlying type (as VT_I4), BSTR, VARIANT, const VARIANT*, IUnknown*, IDispatch*,
// any interface pointer, and pointers to any of these for [out] arguments. Marks, by zero-based
// parameter index (no index: the last parameter, i.e. a property's value):
//   as_bool<k>   VARIANT_BOOL (the same C++ type as SHORT) travels as VT_BOOL
//   as_color<k>  OLE_COLOR (the same C++ type as ULONG): VT_UI4, and a VT_I4 passes its bits
//   as_date<k>   DATE (the same C++ type as double) travels as VT_DATE
//   opt<k>(v)    optional with default v; opt<k>() on a VARIANT: missing gives
//                VT_ERROR/DISP_E_PARAMNOTFOUND
//   retval       a method's last pointer parameter is [out, retval] (a propget's always is)
//   restricted, hidden, helpstring(u"…")   function flags and help string
#pragma once

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>

#include "platform/automation/param_traits.h"

namespace com::automation {

// Specialised next to each interface; see above.
template <typename I>
struct interface_traits;

inline constexpr std::size_t last_param = static_cast<std::size_t>(-1);

enum : BYTE { mark_bool = 1, mark_color = 2, mark_date = 4, mark_optional = 8 };

template <typename PM>
struct member_entry {
    static_assert(sizeof(PM) == 0,
                  "a member table entry takes a pointer to an `HRESULT f(…) noexcept` member");
};

template <typename C, typename... Args>
struct member_entry<HRESULT (C::*)(Args...) noexcept> {
    using pm_type = HRESULT (C::*)(Args...) noexcept;
    using class_type = C;
    static constexpr std::size_t arity = sizeof...(Args);
    template <std::size_t K>
    using arg = std::tuple_element_t<K, std::tuple<Args...>>;

    static_assert((param_traits<Args>::supported && ...),
                  "a parameter type of this member cannot travel through IDispatch");

    const char16_t* name = nullptr;
    DISPID id = 0;
    WORD invkind = INVOKE_FUNC;
    pm_type pm = nullptr;
    std::array<const char16_t*, arity> names{};
    std::array<BYTE, arity> marks{};
    std::array<default_value, arity> defaults{};
    WORD func_flags = 0;
    const char16_t* doc = nullptr;
    bool retval = false;
};

// ---- Marks ---------------------------------------------------------------------------------

template <std::size_t K, BYTE Mark>
struct type_mark {};
template <std::size_t K = last_param>
inline constexpr type_mark<K, mark_bool> as_bool{};
template <std::size_t K = last_param>
inline constexpr type_mark<K, mark_color> as_color{};
template <std::size_t K = last_param>
inline constexpr type_mark<K, mark_date> as_date{};

template <std::size_t K>
struct optional_mark {
    default_value value;
};
template <std::size_t K>
constexpr optional_mark<K> opt()
{
    return {};
}
template <std::size_t K, typename V>
constexpr optional_mark<K> opt(V value)
{
    default_value d;
    if constexpr (std::is_same_v<V, bool>) {
        d.vt = VT_BOOL;
        d.i = value ? VARIANT_TRUE : VARIANT_FALSE;
    } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
        d.vt = VT_I4;
        d.i = static_cast<LONGLONG>(value);
    } else if constexpr (std::is_floating_point_v<V>) {
        d.vt = VT_R8;
        d.d = static_cast<double>(value);
    } else {
        static_assert(std::is_convertible_v<V, const char16_t*>,
                      "a default value is a number, a bool, an enumerator or a u\"\" string");
        d.vt = VT_BSTR;
        d.s = value;
    }
    return {d};
}

struct flags_mark {
    WORD flags;
};
inline constexpr flags_mark restricted{FUNCFLAG_FRESTRICTED};
inline constexpr flags_mark hidden{FUNCFLAG_FHIDDEN};

struct doc_mark {
    const char16_t* text;
};
constexpr doc_mark helpstring(const char16_t* text) { return {text}; }

struct retval_mark {};
inline constexpr retval_mark retval{};

namespace detail {

template <typename E, std::size_t K>
constexpr std::size_t mark_index()
{
    static_assert(E::arity > 0, "a parameter mark on a member without parameters");
    constexpr std::size_t k = K == last_param ? E::arity - 1 : K;
    static_assert(k < E::arity, "a parameter mark names a parameter the member does not have");
    return k;
}

template <typename E, std::size_t K, BYTE Mark>
constexpr void apply(E& e, type_mark<K, Mark>)
{
    constexpr std::size_t k = mark_index<E, K>();
    using value = typename param_traits<typename E::template arg<k>>::value_type;
    if constexpr (Mark == mark_bool)
        static_assert(std::is_same_v<value, VARIANT_BOOL>, "as_bool marks a VARIANT_BOOL");
    else if constexpr (Mark == mark_color)
        static_assert(std::is_same_v<value, OLE_COLOR>, "as_color marks an OLE_COLOR");
    else
        static_assert(std::is_same_v<value, DATE>, "as_date marks a DATE");
    e.marks[k] |= Mark;
}

template <typename E, std::size_t K>
constexpr void apply(E& e, optional_mark<K> m)
{
    constexpr std::size_t k = mark_index<E, K>();
    using T = typename E::template arg<k>;
    static_assert(param_traits<T>::in, "opt marks an [in] parameter");
    if (m.value.vt == VT_EMPTY && !std::is_same_v<T, VARIANT> && !std::is_same_v<T, const VARIANT*>)
        throw "opt<k>() without a default value is for VARIANT parameters";
    e.marks[k] |= mark_optional;
    e.defaults[k] = m.value;
}

template <typename E>
constexpr void apply(E& e, flags_mark m)
{
    e.func_flags |= m.flags;
}
template <typename E>
constexpr void apply(E& e, doc_mark m)
{
    e.doc = m.text;
}
template <typename E>
constexpr void apply(E& e, retval_mark)
{
    static_assert(E::arity > 0 && param_traits<typename E::template arg<E::arity - 1>>::out,
                  "retval: the last parameter must be a pointer to the result");
    e.retval = true;
}

template <typename PM, std::size_t N, typename... Marks>
constexpr auto make_entry(const char16_t* name, DISPID id, WORD kind, PM pm,
                          const char16_t* const* names, Marks... marks)
{
    using E = member_entry<PM>;
    static_assert(N <= E::arity, "more parameter names than parameters");
    E e;
    e.name = name;
    e.id = id;
    e.invkind = kind;
    e.pm = pm;
    for (std::size_t i = 0; i < N; ++i) e.names[i] = names[i];
    (apply(e, marks), ...);
    if constexpr (E::arity > 0) {
        using last = typename E::template arg<E::arity - 1>;
        if (kind == INVOKE_PROPERTYGET) {
            if (!param_traits<last>::out) throw "a propget's last parameter is a pointer";
            e.retval = true;
        }
        if (kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF))
            if (!param_traits<last>::in) throw "a propput's last parameter is the value";
    } else {
        if (kind != INVOKE_FUNC) throw "a property needs a value parameter";
    }
    return e;
}

}  // namespace detail

// ---- Entries -------------------------------------------------------------------------------

#define ZCNT_AUTOMATION_ENTRY(fn, kind)                                                      \
    template <typename PM, typename... Marks>                                                \
    constexpr auto fn(const char16_t* name, DISPID id, PM pm, Marks... marks)                \
    {                                                                                        \
        return detail::make_entry<PM, 0>(name, id, kind, pm, nullptr, marks...);             \
    }                                                                                        \
    template <typename PM, std::size_t N, typename... Marks>                                 \
    constexpr auto fn(const char16_t* name, DISPID id, PM pm,                                \
                      const char16_t* const (&names)[N], Marks... marks)                     \
    {                                                                                        \
        return detail::make_entry<PM, N>(name, id, kind, pm, names, marks...);               \
    }

ZCNT_AUTOMATION_ENTRY(method, INVOKE_FUNC)
ZCNT_AUTOMATION_ENTRY(propget, INVOKE_PROPERTYGET)
ZCNT_AUTOMATION_ENTRY(propput, INVOKE_PROPERTYPUT)
ZCNT_AUTOMATION_ENTRY(propputref, INVOKE_PROPERTYPUTREF)
ZCNT_AUTOMATION_ENTRY(read_only_property, INVOKE_PROPERTYGET)
#undef ZCNT_AUTOMATION_ENTRY

// A property's get and put (or putref) under one name and DISPID: the propget followed by the
// propput, the marks and parameter names applying to both.
#define ZCNT_AUTOMATION_PROPERTY(fn, put_kind)                                                \
    template <typename Get, typename Put, typename... Marks>                                  \
    constexpr auto fn(const char16_t* name, DISPID id, Get get, Put put, Marks... marks)      \
    {                                                                                         \
        return std::tuple{                                                                    \
            detail::make_entry<Get, 0>(name, id, INVOKE_PROPERTYGET, get, nullptr, marks...), \
            detail::make_entry<Put, 0>(name, id, put_kind, put, nullptr, marks...)};          \
    }                                                                                         \
    template <typename Get, typename Put, std::size_t N, typename... Marks>                   \
    constexpr auto fn(const char16_t* name, DISPID id, Get get, Put put,                      \
                      const char16_t* const (&names)[N], Marks... marks)                      \
    {                                                                                         \
        return std::tuple{                                                                    \
            detail::make_entry<Get, N>(name, id, INVOKE_PROPERTYGET, get, names, marks...),   \
            detail::make_entry<Put, N>(name, id, put_kind, put, names, marks...)};            \
    }

ZCNT_AUTOMATION_PROPERTY(property, INVOKE_PROPERTYPUT)
ZCNT_AUTOMATION_PROPERTY(ref_property, INVOKE_PROPERTYPUTREF)
#undef ZCNT_AUTOMATION_PROPERTY

namespace detail {
template <typename E>
constexpr auto as_entries(E entry)
{
    return std::tuple<E>{entry};
}
template <typename... E>
constexpr auto as_entries(std::tuple<E...> entries)
{
    return entries;
}
}  // namespace detail

// The entries in order, a property's pair counting as two.
template <typename... Entries>
constexpr auto member_table(Entries... entries)
{
    return std::tuple_cat(detail::as_entries(entries)...);
}

}  // namespace com::automation
