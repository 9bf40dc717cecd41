// Field tables: a class names each persisted field once, in record order, with its codec, and
// saving, loading and the bulk copy come from that one list.
//
//   static constexpr auto record_fields()
//   {
//       return record::table(record::position(), record::string(&C::url_).arg<0>(),
//                            record::colour(&C::border_colour_).arg<1>(), …);
//   }
//
// A field is reached from the object through a chain of member pointers (&C::f_,
// &note::fields::text) or, for the state every element shares, through state(). arg<k>() marks
// the field as argument k of the class's bulk setter (SetLinkData …), so that CopyTo can hand
// every such field over in one call.
//
// Loading stores each field as soon as it is read, so a failure part way keeps what was read
// before it, as the hand-written records always did.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/element_state.h"
#include "core/record_io.h"
#include "core/strings.h"

namespace cnt::record {

// ---- Codecs: how one value is written and read ----------------------------------------------

namespace codec {

template <typename T, HRESULT (*Write)(IStream*, T) noexcept,
          HRESULT (*Read)(IStream*, T*) noexcept>
struct scalar {
    static HRESULT write(IStream* s, const T& v) noexcept { return Write(s, v); }
    static HRESULT read(IStream* s, T* v) noexcept { return Read(s, v); }
};

using i32 = scalar<LONG, write_i32, read_i32>;
using u32 = scalar<ULONG, write_u32, read_u32>;
using i16 = scalar<SHORT, write_i16, read_i16>;

template <typename E>
struct enumeration {
    static HRESULT write(IStream* s, const E& v) noexcept { return write_enum(s, v); }
    static HRESULT read(IStream* s, E* v) noexcept { return read_enum(s, v); }
};

// A counted string held either as an element's bstr_field or as a plain BSTR.
struct string {
    static HRESULT write(IStream* s, const bstr_field& v) noexcept
    {
        return write_string(s, v.get());
    }
    static HRESULT write(IStream* s, BSTR v) noexcept { return write_string(s, v); }
    static HRESULT read(IStream* s, bstr_field* v) noexcept { return read_string(s, v->slot()); }
    static HRESULT read(IStream* s, BSTR* v) noexcept { return read_string(s, v); }
};

struct ids {
    static HRESULT write(IStream* s, const std::vector<LONG>& v) noexcept
    {
        return write_ids(s, v);
    }
    static HRESULT read(IStream* s, std::vector<LONG>* v) noexcept { return read_ids(s, v); }
};

// The position rectangle: left, top, right, bottom.
struct position {
    static HRESULT write(IStream* s, const rect& r) noexcept
    {
        RETURN_IF_FAILED(write_i32(s, r.left));
        RETURN_IF_FAILED(write_i32(s, r.top));
        RETURN_IF_FAILED(write_i32(s, r.right));
        return write_i32(s, r.bottom);
    }
    static HRESULT read(IStream* s, rect* r) noexcept
    {
        RETURN_IF_FAILED(read_i32(s, &r->left));
        RETURN_IF_FAILED(read_i32(s, &r->top));
        RETURN_IF_FAILED(read_i32(s, &r->right));
        return read_i32(s, &r->bottom);
    }
};

}  // namespace codec

// ---- Paths: how a field is reached from its object ------------------------------------------

// The first step of the shared element fields.
struct state_step {
    template <typename O>
    constexpr auto& operator()(O& o) const noexcept
    {
        return o.state();
    }
};

template <typename O, typename Step>
constexpr auto& step(O& o, Step s) noexcept
{
    if constexpr (std::is_member_object_pointer_v<Step>)
        return o.*s;
    else
        return s(o);
}

template <typename First, typename... Rest>
struct path {
    First first;
    path<Rest...> rest;
    template <typename O>
    constexpr auto& of(O& o) const noexcept
    {
        return rest.of(step(o, first));
    }
};
template <typename First>
struct path<First> {
    First first;
    template <typename O>
    constexpr auto& of(O& o) const noexcept
    {
        return step(o, first);
    }
};

template <typename First, typename... Rest>
constexpr path<First, Rest...> make_path(First first, Rest... rest) noexcept
{
    if constexpr (sizeof...(Rest) == 0)
        return {first};
    else
        return {first, make_path(rest...)};
}

// ---- Fields ---------------------------------------------------------------------------------

inline constexpr int no_argument = -1;

template <typename Codec, typename Path, int Argument = no_argument>
struct field {
    static constexpr int argument = Argument;
    Path where;

    // This field as argument k of the bulk setter.
    template <int K>
    constexpr field<Codec, Path, K> arg() const noexcept
    {
        return {where};
    }
    template <typename O>
    HRESULT save(IStream* s, O& o) const noexcept
    {
        return Codec::write(s, where.of(o));
    }
    template <typename O>
    HRESULT load(IStream* s, O& o) const noexcept
    {
        return Codec::read(s, &where.of(o));
    }
};

namespace detail {
// The type a chain of member pointers ends at, checked against the codec's, so that a table
// cannot write a 16-bit field as 32 bits.
template <typename M>
struct member_type;
template <typename T, typename C>
struct member_type<T C::*> {
    using type = T;
};
template <typename... Steps>
using last_member_t =
    typename member_type<std::tuple_element_t<sizeof...(Steps) - 1, std::tuple<Steps...>>>::type;
}  // namespace detail

// A field of codec C whose path must end at a T.
template <typename C, typename T, typename... Steps>
constexpr auto typed(Steps... steps) noexcept
{
    static_assert(std::is_same_v<detail::last_member_t<Steps...>, T>, "the codec does not fit");
    return field<C, path<Steps...>>{make_path(steps...)};
}

template <typename... S>
constexpr auto i32(S... s) noexcept
{
    return typed<codec::i32, LONG>(s...);
}
template <typename... S>
constexpr auto i16(S... s) noexcept
{
    return typed<codec::i16, SHORT>(s...);
}
// VARIANT_BOOL, written as its 16 bits.
template <typename... S>
constexpr auto boolean(S... s) noexcept
{
    return typed<codec::i16, VARIANT_BOOL>(s...);
}
template <typename... S>
constexpr auto colour(S... s) noexcept
{
    return typed<codec::u32, OLE_COLOR>(s...);
}
template <typename... S>
constexpr auto enumeration(S... s) noexcept
{
    using E = detail::last_member_t<S...>;
    static_assert(std::is_enum_v<E>);
    return typed<codec::enumeration<E>, E>(s...);
}
// A bstr_field or a plain BSTR.
template <typename... S>
constexpr auto string(S... s) noexcept
{
    using T = detail::last_member_t<S...>;
    static_assert(std::is_same_v<T, bstr_field> || std::is_same_v<T, BSTR>);
    return typed<codec::string, T>(s...);
}

// The fields of element_state every element records.
template <typename C, typename T>
constexpr auto state_field(T element_state::*member) noexcept
{
    return field<C, path<state_step, T element_state::*>>{make_path(state_step{}, member)};
}
constexpr auto position() noexcept
{
    return state_field<codec::position>(&element_state::position);
}
constexpr auto description() noexcept
{
    return state_field<codec::string>(&element_state::description);
}
constexpr auto page_objects() noexcept
{
    return state_field<codec::ids>(&element_state::page_object_ids);
}
constexpr auto resources() noexcept
{
    return state_field<codec::ids>(&element_state::resource_ids);
}

template <typename... Fields>
constexpr std::tuple<Fields...> table(Fields... fields) noexcept
{
    return {fields...};
}

// ---- Operations over a table ----------------------------------------------------------------

// Every field in order; the first failure ends the record.
template <typename Table, typename Step>
HRESULT each_field(const Table& t, Step step) noexcept
{
    return std::apply(
        [&](const auto&... f) {
            HRESULT hr = S_OK;
            (void)((SUCCEEDED(hr = step(f))) && ...);
            return hr;
        },
        t);
}

template <typename Table, typename O>
HRESULT save(IStream* stream, const Table& t, O& o) noexcept
{
    return each_field(t, [&](const auto& f) { return f.save(stream, o); });
}

template <typename Table, typename O>
HRESULT load(IStream* stream, const Table& t, O& o) noexcept
{
    return each_field(t, [&](const auto& f) { return f.load(stream, o); });
}

namespace detail {
template <int K, typename... Fields>
constexpr std::size_t field_of_argument() noexcept
{
    constexpr int arguments[] = {Fields::argument...};
    for (std::size_t i = 0; i < sizeof...(Fields); ++i)
        if (arguments[i] == K) return i;
    return sizeof...(Fields);
}
template <typename... Fields>
constexpr std::size_t argument_count() noexcept
{
    return ((Fields::argument != no_argument ? 1u : 0u) + ... + 0u);
}
template <typename T>
decltype(auto) argument_value(T& value) noexcept
{
    if constexpr (std::is_same_v<std::remove_const_t<T>, bstr_field>)
        return value.get();
    else
        return value;
}
}  // namespace detail

// Calls to->*setter with the fields marked arg<0>, arg<1>, … in argument order.
template <typename... Fields, typename O, typename To, typename Setter>
HRESULT copy(const std::tuple<Fields...>& t, O& o, To* to, Setter setter) noexcept
{
    constexpr std::size_t n = detail::argument_count<Fields...>();
    return [&]<std::size_t... K>(std::index_sequence<K...>) {
        static_assert(((detail::field_of_argument<int(K), Fields...>() < sizeof...(Fields)) && ...),
                      "the bulk setter's arguments are numbered without gaps");
        return (to->*setter)(detail::argument_value(
            std::get<detail::field_of_argument<int(K), Fields...>()>(t).where.of(o))...);
    }(std::make_index_sequence<n>{});
}

namespace detail {
template <typename T>
HRESULT assign_string(T& field, BSTR value) noexcept
{
    if constexpr (std::is_same_v<T, bstr_field>)
        return field.assign(value);
    else
        return assign_bstr(&field, value);
}
}  // namespace detail

// The bulk setter's body: stores its arguments in the fields marked arg<0>, arg<1>, … The
// strings are copied first, in argument order, so that a copy that fails leaves the other
// fields as they were and only the strings before it changed.
template <typename... Fields, typename O, typename... Args>
HRESULT assign(const std::tuple<Fields...>& t, O& o, Args... args) noexcept
{
    static_assert(sizeof...(Args) == detail::argument_count<Fields...>());
    const std::tuple<Args...> values{args...};
    return [&]<std::size_t... K>(std::index_sequence<K...>) {
        HRESULT hr = S_OK;
        const auto copy_string = [&]<std::size_t J>() {
            auto& field = std::get<detail::field_of_argument<int(J), Fields...>()>(t).where.of(o);
            if constexpr (std::is_same_v<std::tuple_element_t<J, std::tuple<Args...>>, BSTR>)
                hr = detail::assign_string(field, std::get<J>(values));
            return SUCCEEDED(hr);
        };
        if (!(copy_string.template operator()<K>() && ...)) return hr;
        const auto store = [&]<std::size_t J>() {
            auto& field = std::get<detail::field_of_argument<int(J), Fields...>()>(t).where.of(o);
            if constexpr (!std::is_same_v<std::tuple_element_t<J, std::tuple<Args...>>, BSTR>)
                field = std::get<J>(values);
        };
        (store.template operator()<K>(), ...);
        return S_OK;
    }(std::index_sequence_for<Args...>{});
}

}  // namespace cnt::record
