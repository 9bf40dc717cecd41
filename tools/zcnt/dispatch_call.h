// Calls by name through IDispatch, as a script makes them: a method, a property put or a
// property get, with arguments already made as VARIANTs. [out] arguments are passed by
// reference, and their values kept. A name the object's IDispatch does not know is looked up
// in the element interfaces it also answers (a form field's own interface has only its own
// members; Name, SetPosition and Draw are on the others).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/automation/typeinfo.h"
#include "platform/com/com.h"

namespace zcnt {

struct call_result {
    HRESULT hr = S_OK;
    std::string error;             // set when the call could not be made (unknown member …)
    UINT arg_error = 0;            // the argument Invoke blamed, counted from 1 in call order
    HRESULT scode = S_OK;          // with DISP_E_EXCEPTION: the member's own code
    std::string description;       // and its own text, when it gave one
    std::vector<com::Variant> outs;  // the [out] arguments' values, in argument order
    com::Variant value;            // a get's or a method's result; VT_EMPTY when there is none
};

// Every function description of `info` and of the types it derives from (below IDispatch),
// bases first, with the type that holds it.
void for_each_function(ITypeInfo* info,
                       const std::function<void(ITypeInfo*, const FUNCDESC&)>& visit);

// The interfaces searched for a name after the object's IDispatch, in order.
std::vector<IID> element_interfaces();

// The interface of `target` that knows `name` goes to *owner. False with the result's hr and
// error set when none has a member of that name.
bool find_member(IDispatch* target, const std::string& name, com::ComPtr<IDispatch>* owner,
                 DISPID* id, call_result* result);

// `flags` is DISPATCH_METHOD, DISPATCH_PROPERTYPUT or DISPATCH_PROPERTYGET; `values` are the
// arguments in call order, where those marked in `is_out` are [out] arguments.
void invoke_member(IDispatch* target, DISPID id, WORD flags, const std::string& name,
                   std::vector<com::Variant>& values, const std::vector<bool>& is_out,
                   call_result* result);

std::string utf8_of(std::u16string_view text);
std::u16string utf16_of(std::string_view text);

}  // namespace zcnt
