// What the property objects of a form field share: getters that refuse a null out pointer,
// setters that mark only the object itself dirty, and the stream persistence of a record with
// version 1 and the null class id (none of these objects can be created by class id).
#pragma once

#include "core/persist_record.h"
#include "core/record_fields.h"
#include "core/strings.h"
#include "platform/automation/dispatch_impl.h"
#include "platform/com/com.h"

namespace cnt::fields {

template <typename T>
HRESULT get_property(const T& field, T* out) noexcept
{
    if (!out) return E_POINTER;
    *out = field;
    return S_OK;
}

// A scalar set to the value it already holds changes nothing, not even the dirty flag.
template <typename T>
HRESULT put_property(T& field, T value, bool& dirty) noexcept
{
    if (field == value) return S_OK;
    field = value;
    dirty = true;
    return S_OK;
}

inline HRESULT get_property(const bstr_field& field, BSTR* out) noexcept
{
    if (!out) return E_POINTER;
    return field.copy_to(out);
}

// A string is stored (a copy, or null for null) and marks dirty even when it is the same text.
inline HRESULT put_property(bstr_field& field, BSTR value, bool& dirty) noexcept
{
    RETURN_IF_FAILED(field.assign(value));
    dirty = true;
    return S_OK;
}

// The bases of a property object with interface I: QueryInterface answers I, IDispatch,
// IPersist and IPersistStreamInit, in that order. Derived names its record_fields() table and
// keeps its dirty flag in dirty_.
template <typename Derived, typename I>
class property_object
    : public com::object_root<Derived, com::automation::dispatch_impl<I>,
                              persist_record<Derived>> {
public:
    static constexpr ULONG record_version = 1;
    static constexpr CLSID class_id{};

protected:
    friend class persist_record<Derived>;
    HRESULT save_fields(IStream* stream) noexcept
    {
        return record::save(stream, Derived::record_fields(), self());
    }
    HRESULT load_fields(IStream* stream, ULONG) noexcept
    {
        return record::load(stream, Derived::record_fields(), self());
    }
    bool& dirty_flag() noexcept { return dirty_; }

    bool dirty_ = true;

private:
    Derived& self() noexcept { return static_cast<Derived&>(*this); }
};

}  // namespace cnt::fields
