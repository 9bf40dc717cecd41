// The stream form of a VARIANT inside a field's record: its 16-bit type, then the value by the
// type's group — 1, 2, 4 or 8 bytes; an object as its class id and its own persisted stream;
// anything else as a counted string of the value converted to text.
#pragma once

#include "platform/com/com.h"

namespace cnt::fields {

// Writes `value`. An object that can persist itself neither through IPersistStream nor
// IPersistStreamInit fails with the error of the last query; a null object is the null class
// id alone.
HRESULT write_variant(IStream* stream, const VARIANT& value) noexcept;

// Replaces *value (cleared first) with the variant read. A short type or fixed-size value gives
// E_FAIL; an object of a class that is not registered reads as a null object of the recorded
// type without error; a string that cannot be read leaves the variant empty, moves the stream
// back over the type and returns the string's error. Other failures return their error with
// *value a null object of the recorded type (the object could not be read) or the text read as
// a string (it does not convert to the recorded type).
HRESULT read_variant(IStream* stream, VARIANT* value) noexcept;

}  // namespace cnt::fields
