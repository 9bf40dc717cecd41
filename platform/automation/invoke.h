// The dispatch engine: IDispatch::Invoke and GetIDsOfNames over an interface description,
// shared by dispatch_impl and ITypeInfo::Invoke.
//
// Invoke follows what Automation clients rely on:
//  - rgvarg is reversed; named arguments sit first and bind by zero-based parameter index; a
//    property put binds rgvarg[0] (named DISPID_PROPERTYPUT, else DISP_E_PARAMNOTFOUND) to the
//    last parameter;
//  - the first member with the DISPID whose kind is in the flags wins, own members before
//    inherited ones; none gives DISP_E_MEMBERNOTFOUND, and so does a restricted member with a
//    DISPID >= 0;
//  - a missing required argument and an argument too many both give DISP_E_BADPARAMCOUNT; a
//    named DISPID that is no parameter gives DISP_E_PARAMNOTFOUND;
//  - a missing optional argument, or VT_ERROR/DISP_E_PARAMNOTFOUND in its place, takes the
//    default (or, for a VARIANT, stays VT_ERROR/DISP_E_PARAMNOTFOUND);
//  - arguments of the parameter's type pass as they are, others through
//    VariantChangeType(…, 0, vt) whose error is returned; *arg_error names the argument's index
//    in rgvarg for DISP_E_TYPEMISMATCH and DISP_E_PARAMNOTFOUND;
//  - [out] parameters take a VT_BYREF argument of their exact type (or VT_BYREF|VT_VARIANT) as
//    the storage itself; a by-value argument gets a temporary that is converted back into it
//    after a successful call;
//  - [retval] goes to *result (VariantInit first; a null result frees it); a void method leaves
//    VT_EMPTY there; a put ignores `result`;
//  - a failing HRESULT gives DISP_E_EXCEPTION, with scode, and source, description and help
//    from the thread's error information (cleared before the call).
#pragma once

#include "platform/automation/descriptors.h"

namespace com::automation {

// `self` is the interface the description belongs to, as an IUnknown*.
HRESULT invoke(const interface_desc& desc, IUnknown* self, DISPID id, LCID lcid, WORD flags,
               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
               UINT* arg_error) noexcept;

// Every id is set to DISPID_UNKNOWN first; names after the first are parameter names of the
// member the first one names. DISP_E_UNKNOWNNAME when any name is unknown.
HRESULT ids_of_names(const interface_desc& desc, LPOLESTR* names, UINT count,
                     DISPID* ids) noexcept;

}  // namespace com::automation
