// Turns an interface's member table into its run-time description, once per interface, and
// generates the thunks that call each member with arguments read from slots.
#pragma once

#include <cstddef>
#include <new>
#include <tuple>
#include <utility>

#include "platform/automation/member_table.h"

namespace com::automation {

// Whether an interface declares a member table.
template <typename I>
concept has_member_table = requires {
    interface_traits<I>::members;
    interface_traits<I>::name;
};

template <typename I>
const interface_desc& describe();

namespace detail {

// The nearest interface in I's base chain (I excluded) that has a table, or void.
template <typename I>
struct table_base {
    using type = void;
};
template <typename I>
    requires(!std::is_void_v<typename I::base> && !std::is_same_v<typename I::base, IUnknown>)
struct table_base<I> {
    using B = typename I::base;
    using type = std::conditional_t<has_member_table<B>, B, typename table_base<B>::type>;
};

template <typename I>
constexpr bool chain_reaches_dispatch()
{
    return std::is_base_of_v<IDispatch, I>;
}

template <typename E, std::size_t... Is>
HRESULT call_entry(const void* pm, IUnknown* self, arg_slot* slots,
                   std::index_sequence<Is...>) noexcept
{
    using C = typename E::class_type;
    const auto& member = *static_cast<const typename E::pm_type*>(pm);
    [[maybe_unused]] arg_slot* s = slots;
    return (static_cast<C*>(self)->*member)(
        slot_value<typename E::template arg<Is>>(s[Is])...);
}

template <typename E>
HRESULT thunk(const void* pm, IUnknown* self, arg_slot* slots) noexcept
{
    return call_entry<E>(pm, self, slots, std::make_index_sequence<E::arity>());
}

template <typename T>
void describe_param(param_desc& p, BYTE marks, bool is_retval)
{
    using traits = param_traits<T>;
    using V = typename traits::value_type;
    describe_value_type<V>(p);
    if constexpr (detail::is_interface_pointer<V>) {
        using I = std::remove_pointer_t<V>;
        if constexpr (has_member_table<I>) p.object_desc = &describe<I>;
    }
    if (marks & mark_bool) p.vt = VT_BOOL;
    if (marks & mark_date) p.vt = VT_DATE;
    if (marks & mark_color) {
        p.color = true;
        p.udt = udt_kind::color;
    }
    if constexpr (traits::out) {
        p.kind = is_retval ? arg_kind::retval : arg_kind::out;
        p.scalar_pointee = detail::is_scalar<V>;
        p.flags = is_retval ? PARAMFLAG_FOUT | PARAMFLAG_FRETVAL : PARAMFLAG_FOUT;
    } else {
        if constexpr (detail::is_scalar<T>) p.kind = arg_kind::scalar;
        else if constexpr (std::is_same_v<T, BSTR> || std::is_same_v<T, LPCOLESTR>) p.kind = arg_kind::bstr;
        else if constexpr (std::is_same_v<T, VARIANT>) p.kind = arg_kind::variant;
        else if constexpr (std::is_same_v<T, const VARIANT*>) p.kind = arg_kind::variant_in;
        else p.kind = arg_kind::object;
        p.flags = PARAMFLAG_FIN;
        if (marks & mark_optional) p.flags |= PARAMFLAG_FOPT;
    }
}

template <typename E, std::size_t... Is>
void describe_params(const E& e, param_desc* out, std::index_sequence<Is...>)
{
    ((out[Is].name = e.names[Is],
      describe_param<typename E::template arg<Is>>(out[Is], e.marks[Is],
                                                   e.retval && Is + 1 == E::arity),
      out[Is].def = e.defaults[Is],
      (e.defaults[Is].vt != VT_EMPTY ? void(out[Is].flags |= PARAMFLAG_FHASDEFAULT) : void())),
     ...);
}

template <typename I, typename E>
void describe_member(const E& e, member_desc& m, param_desc* params)
{
    static_assert(std::is_base_of_v<typename E::class_type, I>,
                  "a member table entry points at a member of another interface");
    describe_params(e, params, std::make_index_sequence<E::arity>());
    m.name = e.name;
    m.doc = e.doc;
    m.id = e.id;
    m.invkind = e.invkind;
    m.func_flags = e.func_flags;
    m.params = params;
    m.count = static_cast<BYTE>(E::arity);
    m.has_retval = e.retval;
    m.visible = static_cast<BYTE>(E::arity - (e.retval ? 1 : 0));
    m.call = &thunk<E>;
    m.pm = &e.pm;
}

template <typename I>
struct described {
    static constexpr const auto& table = interface_traits<I>::members;
    using table_type = std::remove_cvref_t<decltype(table)>;
    static constexpr std::size_t member_count = std::tuple_size_v<table_type>;

    template <std::size_t... Ks>
    static constexpr std::size_t count_params(std::index_sequence<Ks...>)
    {
        return (std::size_t{0} + ... + std::tuple_element_t<Ks, table_type>::arity);
    }
    static constexpr std::size_t param_count =
        count_params(std::make_index_sequence<member_count>());

    std::array<member_desc, member_count> members{};
    std::array<param_desc, param_count> params{};
    interface_desc desc;

    described()
    {
        static_assert(member_count < 0x8000 && param_count < 0x10000);
        fill(std::make_index_sequence<member_count>());
        using traits = interface_traits<I>;
        desc.name = traits::name;
        if constexpr (requires { traits::doc; }) desc.doc = traits::doc;
        desc.iid = com::iid_of<I>();
        desc.dispatch = std::is_base_of_v<IDispatch, I>;
        using B = typename table_base<I>::type;
        if constexpr (requires { typename traits::base; })
            static_assert(std::is_same_v<typename traits::base, typename I::base>,
                          "the table's base is not the interface's base");
        if constexpr (!std::is_void_v<B>) desc.base = &describe<B>();
        desc.base_is_dispatch = desc.dispatch;
        desc.members = std::span<const member_desc>(members.data(), member_count);
        index_interface(desc);
    }

    template <std::size_t... Ks>
    void fill(std::index_sequence<Ks...>)
    {
        [[maybe_unused]] std::size_t next = 0;  // unread for an interface without members
        ((describe_member<I>(std::get<Ks>(table), members[Ks], params.data() + next),
          next += std::tuple_element_t<Ks, table_type>::arity),
         ...);
    }
};

}  // namespace detail

// The interface's description, built on first use. Throws std::bad_alloc when the indexes
// cannot be built; the next call tries again.
template <typename I>
const interface_desc& describe()
{
    static_assert(has_member_table<I>, "this interface has no interface_traits member table");
    static const detail::described<I> described;
    return described.desc;
}

// The same for callers that may not throw.
template <typename I>
HRESULT try_describe(const interface_desc** out) noexcept
{
    try {
        *out = &describe<I>();
        return S_OK;
    } catch (const std::bad_alloc&) {
        *out = nullptr;
        return E_OUTOFMEMORY;
    }
}

}  // namespace com::automation
