// The pieces of a form field's record that the shared field tables do not know: a VARIANT as
// its variant record, the records of the field's child objects (each written by the child's
// own IPersistStreamInit), and the 32-bit version each class part starts with.
#pragma once

#include "core/record_fields.h"
#include "fields/parts/variant_record.h"
#include "platform/com/com.h"

namespace cnt::fields {

namespace codec {
// A VARIANT member of a field table, through the variant record.
struct variant {
    static HRESULT write(IStream* s, const VARIANT& v) noexcept { return write_variant(s, v); }
    static HRESULT read(IStream* s, VARIANT* v) noexcept { return read_variant(s, v); }
};
}  // namespace codec

template <typename... S>
constexpr auto variant(S... s) noexcept
{
    return record::typed<codec::variant, VARIANT>(s...);
}

// The version a class part writes, and the newest it reads.
inline constexpr ULONG class_part_version = 1;

// Writes class_part_version.
HRESULT write_part_version(IStream* stream) noexcept;
// Reads a class part's version: a newer one than class_part_version gives E_UNEXPECTED.
HRESULT read_part_version(IStream* stream) noexcept;

// A child's record through its IPersistStreamInit: E_UNEXPECTED when the child (or its
// persistence) is missing, else what its Save or Load returns.
HRESULT save_child(IUnknown* child, IStream* stream, BOOL clear_dirty) noexcept;
HRESULT load_child(IUnknown* child, IStream* stream) noexcept;
// True when the child reports S_OK from IsDirty.
bool child_dirty(IUnknown* child) noexcept;

}  // namespace cnt::fields
