// Calls by name through IDispatch; see dispatch_call.h.
#include "tools/zcnt/dispatch_call.h"

#include <vector>

#include "platform/com/codepage.h"

namespace zcnt {

std::string utf8_of(std::u16string_view text) { return com::to_utf8(text); }

std::u16string utf16_of(std::string_view text) { return com::from_utf8(text); }

bool find_member(IDispatch* target, const std::string& name, DISPID* id, call_result* result)
{
    std::u16string wide = utf16_of(name);
    LPOLESTR names[] = {wide.data()};
    *id = DISPID_UNKNOWN;
    const HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, 0, id);
    if (FAILED(hr)) {
        result->hr = hr;
        result->error = "unknown member \"" + name + "\"";
        return false;
    }
    return true;
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
    UINT arg_error = 0;
    const HRESULT hr = target->Invoke(id, IID_NULL, 0, flags, &params,
                                      flags == DISPATCH_PROPERTYPUT ? nullptr : result->value.get(),
                                      &exception, &arg_error);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    result->hr = hr;
    if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)
        result->arg_error = static_cast<UINT>(count) - arg_error;
    switch (hr) {
    case DISP_E_BADPARAMCOUNT: result->error = "wrong number of arguments to \"" + name + "\""; break;
    case DISP_E_MEMBERNOTFOUND: result->error = "\"" + name + "\" cannot be called that way"; break;
    case DISP_E_PARAMNOTOPTIONAL: result->error = "\"" + name + "\" is missing an argument"; break;
    case DISP_E_TYPEMISMATCH: case DISP_E_PARAMNOTFOUND: case DISP_E_OVERFLOW:
        result->error = "argument " + std::to_string(result->arg_error) + " of \"" + name +
                        "\" has the wrong type or is out of range";
        break;
    default: break;
    }
}

}  // namespace zcnt
