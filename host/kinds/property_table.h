// The properties of a host object kind, listed once: a table of rows (name, member, codec,
// check) from which the journaled getters and setters, the description in reports, the .pjd
// record and its loading all come. A kind keeps its properties in a plain struct (its fields)
// that the table points into; the order of the rows is the order of the description and of
// the record.
#pragma once

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "host/kinds/codecs.h"

namespace host {

// When a row's check applies: to the setter only, or also to a loaded record.
enum class checked { on_put, always };

// What a row's check is given: the interface's value, for a property with accessors.
template <typename Codec>
struct check_arg {
    using type = const typename Codec::type&;
};
template <typename Codec>
    requires requires { typename Codec::arg; }
struct check_arg<Codec> {
    using type = typename Codec::arg;
};

// A property kept in a member of the fields.
template <typename Fields, typename Codec>
struct field_row {
    using codec = Codec;
    using check_fn = bool (*)(typename check_arg<Codec>::type) noexcept;
    const char* name;
    typename Codec::type Fields::*member;
    check_fn check = nullptr;  // a value the setter refuses with E_INVALIDARG
    checked when = checked::on_put;
};

template <typename Codec, typename Fields, typename T>
constexpr field_row<Fields, Codec> field(const char* name, T Fields::*member) noexcept
{
    static_assert(std::is_same_v<T, typename Codec::type>);
    return {name, member};
}
template <typename Codec, typename Fields, typename T, typename Check>
constexpr field_row<Fields, Codec> field(const char* name, T Fields::*member, Check check,
                                         checked when = checked::on_put) noexcept
{
    static_assert(std::is_same_v<T, typename Codec::type>);
    return {name, member, check, when};
}

// A value only described, worked out from the fields (a shape's path as text).
template <typename Fields>
struct shown_row {
    const char* name;
    std::string (*text)(const Fields&);
};
template <typename Fields>
constexpr shown_row<Fields> shown(const char* name, std::string (*text)(const Fields&)) noexcept
{
    return {name, text};
}

// The checks the setters make.
inline bool percent(SHORT v) noexcept { return v >= 0 && v <= 100; }
inline bool not_negative(LONG v) noexcept { return v >= 0; }
inline bool finite(double v) noexcept { return std::isfinite(v); }

// The position of the row called `name`, for the accessors; a name not in the table does not
// compile.
template <typename Table>
consteval std::size_t row_index(const Table& table, std::string_view name)
{
    std::size_t found = std::tuple_size_v<Table>;
    std::size_t i = 0;
    std::apply([&](const auto&... row) { ((name == row.name ? found = i++ : i++), ...); }, table);
    if (found == std::tuple_size_v<Table>) throw "no such property";
    return found;
}

// A host object whose properties are its Fields, listed in Table: describe, save, load,
// references and drop_references come from the table, the accessors from the macros below.
// Base is the object's COM part (a kind_object for the usual kinds).
template <typename Base, typename Fields, const auto& Table>
class with_table : public Base, protected Fields {
public:
    void describe(property_list& out) const override
    {
        std::apply([&](const auto&... row) { (describe_row(out, row), ...); }, Table);
    }
    void save(byte_writer& out, const ref_serials& refs) const override
    {
        std::apply([&](const auto&... row) { (save_row(out, refs, row), ...); }, Table);
    }
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        return load_fields(in, refs) && in.ok();
    }
    void references(std::vector<IUnknown*>& out) const override
    {
        std::apply([&](const auto&... row) { (reference_row(out, row), ...); }, Table);
    }
    void drop_references() noexcept override
    {
        host_object::drop_references();
        std::apply([&](const auto&... row) { (drop_row(row), ...); }, Table);
    }

protected:
    static consteval std::size_t row_of(std::string_view name) { return row_index(Table, name); }
    template <std::size_t N>
    using arg_of = typename std::remove_cvref_t<decltype(std::get<N>(Table))>::codec::arg;

    // Reads the table's part of a record; false when it does not fit the kind.
    bool load_fields(byte_reader& in, const ref_lookup& refs)
    {
        return std::apply([&](const auto&... row) { return (load_row(in, refs, row) && ...); },
                          Table);
    }

    template <std::size_t N>
    HRESULT get_field(std::string_view member, arg_of<N>* v) noexcept
    {
        const auto& row = std::get<N>(Table);
        using codec = typename std::remove_cvref_t<decltype(row)>::codec;
        auto rec = this->record(member);
        if (!v) return rec(E_POINTER);
        const HRESULT hr = codec::get(this->*row.member, v);
        return rec(hr, codec::shown(*v));
    }
    template <std::size_t N>
    HRESULT put_field(std::string_view member, arg_of<N> v) noexcept
    {
        const auto& row = std::get<N>(Table);
        using codec = typename std::remove_cvref_t<decltype(row)>::codec;
        auto rec = this->record(member, codec::shown(v));
        if (row.check && !row.check(v)) return rec(E_INVALIDARG);
        return rec(codec::put(this->*row.member, v));
    }

private:
    template <typename Codec>
    void describe_row(property_list& out, const field_row<Fields, Codec>& row) const
    {
        if constexpr (requires { Codec::describe(out, row.name, this->ctx(), this->*row.member); })
            Codec::describe(out, row.name, this->ctx(), this->*row.member);
        else
            out.emplace_back(row.name, Codec::report(this->ctx(), this->*row.member));
    }
    void describe_row(property_list& out, const shown_row<Fields>& row) const
    {
        out.emplace_back(row.name, row.text(*this));
    }
    template <typename Codec>
    void save_row(byte_writer& out, const ref_serials& refs, const field_row<Fields, Codec>& row) const
    {
        Codec::save(out, refs, this->*row.member);
    }
    void save_row(byte_writer&, const ref_serials&, const shown_row<Fields>&) const {}
    template <typename Codec>
    bool load_row(byte_reader& in, const ref_lookup& refs, const field_row<Fields, Codec>& row)
    {
        auto& value = this->*row.member;
        if (!Codec::load(in, refs, value)) return false;
        if constexpr (std::is_same_v<typename check_arg<Codec>::type, typename Codec::type>) {
            if (row.check && row.when == checked::always && !row.check(value)) return false;
        }
        return true;
    }
    bool load_row(byte_reader&, const ref_lookup&, const shown_row<Fields>&) { return true; }
    template <typename Codec>
    void reference_row(std::vector<IUnknown*>& out, const field_row<Fields, Codec>& row) const
    {
        if constexpr (requires { Codec::is_reference; }) {
            if (const auto& p = this->*row.member) out.push_back(p.get());
        }
    }
    void reference_row(std::vector<IUnknown*>&, const shown_row<Fields>&) const {}
    template <typename Codec>
    void drop_row(const field_row<Fields, Codec>& row) noexcept
    {
        if constexpr (requires { Codec::is_reference; }) this->*row.member = nullptr;
    }
    void drop_row(const shown_row<Fields>&) noexcept {}
};

template <typename Derived, typename I, typename Fields, const auto& Table>
using table_kind = with_table<kind_object<Derived, I>, Fields, Table>;

}  // namespace host

// The getter of the table's row `Name`, recorded in the journal as get_Name.
#define HOST_GET_PROPERTY(Name)                                                    \
    HRESULT get_##Name(arg_of<row_of(#Name)>* v) noexcept override                 \
    {                                                                              \
        return this->template get_field<row_of(#Name)>("get_" #Name, v);           \
    }

// The setter of the row `Name`, recorded as put_Name (putref_Name for an object), and the
// two accessors together.
#define HOST_SETTER(Name, prefix)                                                  \
    HRESULT prefix##Name(arg_of<row_of(#Name)> v) noexcept override                \
    {                                                                              \
        return this->template put_field<row_of(#Name)>(#prefix #Name, v);          \
    }
#define HOST_PROPERTY(Name) HOST_GET_PROPERTY(Name) HOST_SETTER(Name, put_)
#define HOST_REF_PROPERTY(Name) HOST_GET_PROPERTY(Name) HOST_SETTER(Name, putref_)
