// Calls by name through IDispatch, as a script makes them: a method, a property put or a
// property get, with arguments already made as VARIANTs. [out] arguments are passed by
// reference, and their values kept.
#pragma once

#include <string>
#include <vector>

#include "platform/com/com.h"

namespace zcnt {

struct call_result {
    HRESULT hr = S_OK;
    std::string error;             // set when the call could not be made (unknown member …)
    UINT arg_error = 0;            // the argument Invoke blamed, counted from the first
    std::vector<com::Variant> outs;  // the [out] arguments' values, in argument order
    com::Variant value;            // a get's or a method's result; VT_EMPTY when there is none
};

// False with the result's hr and error set when the target has no member of that name.
bool find_member(IDispatch* target, const std::string& name, DISPID* id, call_result* result);

// `flags` is DISPATCH_METHOD, DISPATCH_PROPERTYPUT or DISPATCH_PROPERTYGET; `values` are the
// arguments in call order, where those marked in `is_out` are [out] arguments.
void invoke_member(IDispatch* target, DISPID id, WORD flags, const std::string& name,
                   std::vector<com::Variant>& values, const std::vector<bool>& is_out,
                   call_result* result);

std::string utf8_of(std::u16string_view text);
std::u16string utf16_of(std::string_view text);

}  // namespace zcnt
