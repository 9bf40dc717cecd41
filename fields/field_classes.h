// The eight form-field classes' entry point: the rest of the library creates them only through
// create_field<type>, one instance for each field type (text, combo, list, check, radio,
// button, date/time, group). Each may be the inner object of an aggregate.
#pragma once

#include "contentelements/cnt_types.h"
#include "platform/com/com.h"

namespace cnt::fields {

template <ZeCntElementType Type>
HRESULT create_field(IUnknown* outer, REFIID riid, void** ppv) noexcept;

}  // namespace cnt::fields
