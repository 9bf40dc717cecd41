// Calls by name through IDispatch, as a script would make them, from JSON values:
//   ["Name", args…]          a method
//   ["put", "Prop", value]   a property put
//   ["get", "Prop"]          a property get
// Arguments: integers become VT_I4 (VT_I8 beyond 32 bits), other numbers VT_R8, strings
// VT_BSTR, true/false VT_BOOL, null a null VT_BSTR (a null string), any other one-key object
// ({"element": n}, the n-th element of the document; {"view": page}; {"words": [page, first,
// count]} …) the object the caller's resolver names, as VT_DISPATCH, and {"out": null} an [out]
// argument whose value is reported.
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <string>

#include "platform/com/com.h"

namespace zcnt {

struct call_result {
    HRESULT hr = S_OK;
    nlohmann::json value;     // a get's or a method's result; null when there is none
    nlohmann::json outs;      // the [out] arguments' values, in argument order
    std::string error;        // set when the call could not be made (unknown member, bad JSON)
    UINT arg_error = 0;       // the argument Invoke blamed, counted from the first
};

// Resolves an object argument; null with *error set when it names nothing.
using object_resolver =
    std::function<com::ComPtr<IDispatch>(const nlohmann::json& ref, std::string* error)>;

call_result invoke_call(IDispatch* target, const nlohmann::json& call,
                        const object_resolver& objects);

// A VARIANT as JSON: numbers, strings, booleans, null; objects as "<object>".
nlohmann::json variant_to_json(const VARIANT& v);

std::string utf8_of(std::u16string_view text);
std::u16string utf16_of(std::string_view text);

}  // namespace zcnt
