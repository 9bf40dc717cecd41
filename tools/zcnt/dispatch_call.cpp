// Calls by name through IDispatch; see dispatch_call.h.
#include "tools/zcnt/dispatch_call.h"

#include <algorithm>
#include <vector>

#include "contentelements/cnt_formfield.h"
#include "contentelements/zprint_objects.h"
#include "platform/com/codepage.h"

namespace zcnt {

std::string utf8_of(std::u16string_view text) { return com::to_utf8(text); }

std::u16string utf16_of(std::string_view text) { return com::from_utf8(text); }

namespace {

bool knows(IDispatch* target, const std::string& name, DISPID* id, HRESULT* hr)
{
    std::u16string wide = utf16_of(name);
    LPOLESTR names[] = {wide.data()};
    *id = DISPID_UNKNOWN;
    *hr = target->GetIDsOfNames(IID_NULL, names, 1, 0, id);
    return SUCCEEDED(*hr);
}

bool is_plain_scalar(VARTYPE vt)
{
    switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8:
    case VT_UI8: case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_BOOL: case VT_BSTR:
    case VT_DATE: case VT_CY:
        return true;
    default:
        return false;
    }
}

void walk_functions(ITypeInfo* info,
                    const std::function<void(ITypeInfo*, const FUNCDESC&)>& visit, int level)
{
    TYPEATTR* attr = nullptr;
    if (level > 8 || FAILED(info->GetTypeAttr(&attr)) || !attr) return;
    const bool base_type = attr->guid == IDispatch::iid || attr->guid == IID_IUnknown;
    const UINT functions = attr->cFuncs, bases = attr->cImplTypes;
    info->ReleaseTypeAttr(attr);
    if (base_type) return;
    for (UINT b = 0; b < bases; ++b) {
        HREFTYPE ref = 0;
        com::ComPtr<ITypeInfo> base;
        if (SUCCEEDED(info->GetRefTypeOfImplType(b, &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, base.put())) && base)
            walk_functions(base.get(), visit, level + 1);
    }
    for (UINT f = 0; f < functions; ++f) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(f, &desc)) || !desc) continue;
        visit(info, *desc);
        info->ReleaseFuncDesc(desc);
    }
}

// When Invoke does not say which argument it could not convert (a value out of range): the
// first, counted from 1, that its parameter's plain type cannot take; 0 when none is found.
UINT blame_argument(IDispatch* target, DISPID id, WORD flags,
                    const std::vector<com::Variant>& values, const std::vector<bool>& is_out)
{
    com::ComPtr<ITypeInfo> info;
    if (FAILED(target->GetTypeInfo(0, 0, info.put())) || !info) return 0;
    const INVOKEKIND wanted = flags == DISPATCH_PROPERTYPUT   ? INVOKE_PROPERTYPUT
                              : flags == DISPATCH_PROPERTYGET ? INVOKE_PROPERTYGET
                                                              : INVOKE_FUNC;
    UINT blamed = 0;
    for_each_function(info.get(), [&](ITypeInfo*, const FUNCDESC& desc) {
        if (blamed != 0 || desc.memid != id || desc.invkind != wanted) return;
        const std::size_t n = std::min<std::size_t>(values.size(), desc.cParams);
        for (std::size_t i = 0; i < n && blamed == 0; ++i) {
            const VARTYPE vt = desc.lprgelemdescParam[i].tdesc.vt;
            if (is_out[i] || !is_plain_scalar(vt)) continue;
            com::Variant converted;
            if (FAILED(VariantChangeType(converted.get(), values[i].get(), 0, vt)))
                blamed = static_cast<UINT>(i + 1);
        }
    });
    return blamed;
}

}  // namespace

void for_each_function(ITypeInfo* info,
                       const std::function<void(ITypeInfo*, const FUNCDESC&)>& visit)
{
    walk_functions(info, visit, 0);
}

std::vector<IID> element_interfaces()
{
    return {IZCntElementBase::iid, IZCntElementFormField::iid, IZElement::iid};
}

bool find_member(IDispatch* target, const std::string& name, com::ComPtr<IDispatch>* owner,
                 DISPID* id, call_result* result)
{
    HRESULT hr = S_OK;
    if (knows(target, name, id, &hr)) {
        *owner = com::ComPtr<IDispatch>(target);
        return true;
    }
    for (const IID& iid : element_interfaces()) {
        // Each of these is a dual interface: the pointer is an IDispatch with its own table.
        com::ComPtr<IDispatch> other;
        HRESULT ignored = S_OK;
        if (SUCCEEDED(target->QueryInterface(iid, other.put_void())) && other &&
            knows(other.get(), name, id, &ignored)) {
            *owner = std::move(other);
            return true;
        }
    }
    result->hr = hr;
    result->error = "unknown member \"" + name + "\"";
    return false;
}

void invoke_member(IDispatch* target, DISPID id, WORD flags, const std::string& name,
                   std::vector<com::Variant>& values, const std::vector<bool>& is_out,
                   call_result* result)
{
    const std::size_t count = values.size();
    std::vector<int> out_slot(count, -1);  // for each argument: its index in outs, or -1
    for (std::size_t i = 0; i < count; ++i) {
        if (!is_out[i]) continue;
        out_slot[i] = static_cast<int>(result->outs.size());
        result->outs.emplace_back();
    }
    // rgvarg is in reverse order; the values stay owned by `values`.
    std::vector<VARIANT> rgvarg(count);
    for (std::size_t i = 0; i < count; ++i) {
        VARIANT& slot = rgvarg[count - 1 - i];
        if (out_slot[i] >= 0) {
            VariantInit(&slot);
            slot.vt = VT_BYREF | VT_VARIANT;
            slot.pvarVal = result->outs[static_cast<std::size_t>(out_slot[i])].get();
        } else {
            slot = *values[i].get();
        }
    }
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{rgvarg.data(), nullptr, static_cast<UINT>(count), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put_id;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    constexpr UINT unset = ~UINT{0};
    UINT arg_error = unset;
    const HRESULT hr = target->Invoke(id, IID_NULL, 0, flags, &params,
                                      flags == DISPATCH_PROPERTYPUT ? nullptr : result->value.get(),
                                      &exception, &arg_error);
    if (hr == DISP_E_EXCEPTION) {
        result->scode = exception.scode;
        if (exception.bstrDescription)
            result->description = utf8_of(com::bstr_view(exception.bstrDescription));
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    result->hr = hr;
    // Invoke counts from the last argument, from 0; the user counts in call order, from 1.
    if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND || hr == DISP_E_OVERFLOW)
        result->arg_error = arg_error < count ? static_cast<UINT>(count) - arg_error
                                              : blame_argument(target, id, flags, values, is_out);
    switch (hr) {
    case DISP_E_BADPARAMCOUNT: result->error = "wrong number of arguments to \"" + name + "\""; break;
    case DISP_E_MEMBERNOTFOUND: result->error = "\"" + name + "\" cannot be called that way"; break;
    case DISP_E_PARAMNOTOPTIONAL: result->error = "\"" + name + "\" is missing an argument"; break;
    case DISP_E_TYPEMISMATCH: case DISP_E_PARAMNOTFOUND: case DISP_E_OVERFLOW:
        result->error = (result->arg_error ? "argument " + std::to_string(result->arg_error)
                                           : std::string("an argument")) +
                        " of \"" + name + "\" " +
                        (hr == DISP_E_OVERFLOW ? "is out of range" : "has the wrong type");
        break;
    default: break;
    }
}

}  // namespace zcnt
