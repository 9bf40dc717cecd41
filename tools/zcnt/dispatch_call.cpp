// Calls through IDispatch from JSON; see dispatch_call.h.
#include "tools/zcnt/dispatch_call.h"

#include <cstdio>
#include <limits>
#include <vector>

#include "platform/com/codepage.h"

namespace zcnt {
namespace {

std::string hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// The arguments of a call, kept alive until Invoke returns. rgvarg is in reverse order.
struct argument_pack {
    std::vector<com::Variant> values;   // in call order
    std::vector<com::Variant> outs;     // targets of the [out] arguments
    std::vector<int> out_slot;          // for each argument: its index in outs, or -1
    std::vector<VARIANT> rgvarg;
};

bool to_variant(const nlohmann::json& j, const object_resolver& objects, com::Variant* out,
                bool* is_out, std::string* error)
{
    *is_out = false;
    VARIANT* v = out->get();
    if (j.is_boolean()) {
        *out = com::Variant::from_bool(j.get<bool>());
    } else if (j.is_number_integer()) {
        const auto n = j.get<long long>();
        if (n >= std::numeric_limits<LONG>::min() && n <= std::numeric_limits<LONG>::max()) {
            *out = com::Variant::from_i4(static_cast<LONG>(n));
        } else {
            v->vt = VT_I8;
            v->llVal = n;
        }
    } else if (j.is_number_unsigned()) {
        v->vt = VT_UI8;
        v->ullVal = j.get<unsigned long long>();
    } else if (j.is_number_float()) {
        *out = com::Variant::from_r8(j.get<double>());
    } else if (j.is_string()) {
        *out = com::Variant::from_string(utf16_of(j.get<std::string>()));
    } else if (j.is_null()) {
        v->vt = VT_BSTR;
        v->bstrVal = nullptr;
    } else if (j.is_object() && j.size() == 1 && !j.contains("out")) {
        com::ComPtr<IDispatch> object = objects ? objects(j, error) : com::ComPtr<IDispatch>();
        if (!object) {
            if (error->empty()) *error = "no object " + j.dump() + " to refer to";
            return false;
        }
        v->vt = VT_DISPATCH;
        v->pdispVal = object.detach();
    } else if (j.is_object() && j.size() == 1 && j.contains("out")) {
        *is_out = true;
    } else {
        *error = "cannot pass " + j.dump() + " as an argument";
        return false;
    }
    return true;
}

}  // namespace

std::string utf8_of(std::u16string_view text) { return com::to_utf8(text); }

std::u16string utf16_of(std::string_view text) { return com::from_utf8(text); }

nlohmann::json variant_to_json(const VARIANT& in)
{
    const VARIANT* v = &in;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    switch (v->vt) {
    case VT_EMPTY: return nullptr;
    case VT_NULL: return nullptr;
    case VT_BOOL: return v->boolVal != 0;
    case VT_BSTR: return v->bstrVal ? nlohmann::json(utf8_of(com::bstr_view(v->bstrVal))) : nullptr;
    case VT_I1: return v->cVal;
    case VT_UI1: return v->bVal;
    case VT_I2: return v->iVal;
    case VT_UI2: return v->uiVal;
    case VT_I4: case VT_INT: return v->lVal;
    case VT_UI4: case VT_UINT: return v->ulVal;
    case VT_I8: return v->llVal;
    case VT_UI8: return v->ullVal;
    case VT_R4: return v->fltVal;
    case VT_R8: case VT_DATE: return v->dblVal;
    case VT_ERROR: return hex(v->scode);
    case VT_DISPATCH: case VT_UNKNOWN: return v->punkVal ? "<object>" : nullptr;
    default: break;
    }
    com::Variant text;
    if (SUCCEEDED(VariantChangeType(text.get(), v, 0, VT_BSTR)))
        return utf8_of(com::bstr_view(text->bstrVal));
    return "<variant " + std::to_string(v->vt) + ">";
}

call_result invoke_call(IDispatch* target, const nlohmann::json& call,
                        const object_resolver& objects)
{
    call_result result;
    if (!call.is_array() || call.empty() || !call[0].is_string()) {
        result.error = "a call is [\"Name\", args…], [\"put\", \"Prop\", value] or [\"get\", \"Prop\"]";
        return result;
    }
    const std::string head = call[0].get<std::string>();
    WORD flags = DISPATCH_METHOD;
    std::size_t first_arg = 1;
    std::string name = head;
    if (head == "put" || head == "get") {
        if (call.size() < 2 || !call[1].is_string()) {
            result.error = "\"" + head + "\" needs a property name";
            return result;
        }
        name = call[1].get<std::string>();
        first_arg = 2;
        flags = head == "put" ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYGET;
        if (head == "put" && call.size() < 3) {
            result.error = "\"put\" needs a value";
            return result;
        }
    }

    std::u16string wide = utf16_of(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr)) {
        result.hr = hr;
        result.error = "unknown member \"" + name + "\"";
        return result;
    }

    const std::size_t count = call.size() - first_arg;
    argument_pack pack;
    pack.values.resize(count);
    pack.out_slot.assign(count, -1);
    for (std::size_t i = 0; i < count; ++i) {
        bool is_out = false;
        if (!to_variant(call[first_arg + i], objects, &pack.values[i], &is_out, &result.error))
            return result;
        if (is_out) {
            pack.out_slot[i] = static_cast<int>(pack.outs.size());
            pack.outs.emplace_back();
        }
    }
    pack.rgvarg.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        VARIANT& slot = pack.rgvarg[count - 1 - i];
        if (pack.out_slot[i] >= 0) {
            VariantInit(&slot);
            slot.vt = VT_BYREF | VT_VARIANT;
            slot.pvarVal = pack.outs[static_cast<std::size_t>(pack.out_slot[i])].get();
        } else {
            slot = *pack.values[i].get();  // borrowed: the pack keeps ownership
        }
    }
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{pack.rgvarg.data(), nullptr, static_cast<UINT>(count), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put_id;
        params.cNamedArgs = 1;
    }
    com::Variant value;
    EXCEPINFO exception{};
    UINT arg_error = 0;
    hr = target->Invoke(id, IID_NULL, 0, flags, &params,
                        flags == DISPATCH_PROPERTYPUT ? nullptr : value.get(), &exception,
                        &arg_error);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    result.hr = hr;
    if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)
        result.arg_error = static_cast<UINT>(count) - arg_error;
    if (hr == DISP_E_BADPARAMCOUNT || hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND ||
        hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_PARAMNOTOPTIONAL || hr == DISP_E_OVERFLOW) {
        switch (hr) {
        case DISP_E_BADPARAMCOUNT: result.error = "wrong number of arguments to \"" + name + "\""; break;
        case DISP_E_MEMBERNOTFOUND: result.error = "\"" + name + "\" cannot be called that way"; break;
        case DISP_E_PARAMNOTOPTIONAL: result.error = "\"" + name + "\" is missing an argument"; break;
        default:
            result.error = "argument " + std::to_string(result.arg_error) + " of \"" + name +
                           "\" has the wrong type or is out of range";
        }
        return result;
    }
    if (flags != DISPATCH_PROPERTYPUT && value.vt() != VT_EMPTY) result.value = variant_to_json(*value.get());
    if (!pack.outs.empty()) {
        result.outs = nlohmann::json::array();
        for (auto& o : pack.outs) result.outs.push_back(variant_to_json(*o.get()));
    }
    return result;
}

}  // namespace zcnt
