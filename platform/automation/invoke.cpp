// The dispatch engine: binds DISPPARAMS to a member's parameters, coerces them into argument
// slots, calls the member through its thunk and hands back the result or the exception.
#include "platform/automation/invoke.h"

#include <cstring>
#include <memory>
#include <new>

#include "platform/automation/names.h"
#include "platform/com/error_info.h"
#include "platform/com/result.h"

namespace com::automation {
namespace {

constexpr UINT stack_slots = 8;

// Whether VariantClear has anything to free in a variant of this type.
bool owns_something(VARTYPE vt) noexcept
{
    if (vt & VT_BYREF) return false;
    return vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN || vt == VT_RECORD ||
           (vt & VT_ARRAY) != 0;
}

void clear_slot(arg_slot& s) noexcept
{
    if (owns_something(s.v.vt)) VariantClear(&s.v);
    s.v.vt = VT_EMPTY;
    if (s.held) static_cast<IUnknown*>(s.held)->Release();
    s.held = nullptr;
}

bool is_missing(const VARIANT* v) noexcept
{
    return v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND;
}

// A by-value argument into the slot as the scalar type `vt`.
HRESULT coerce_scalar(const param_desc& p, VARIANT* src, arg_slot& s) noexcept
{
    const VARIANT* v = src;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    // Automation clients pass colours such as 0xFFFFFFFF as VT_I4 -1, which VT_UI4 cannot
    // hold: an OLE_COLOR takes a VT_I4's bits as they are.
    if (v->vt == p.vt || (p.color && (v->vt == VT_I4 || v->vt == VT_INT))) {
        std::memcpy(&s.v.llVal, &v->llVal, sizeof(s.v.llVal));
        s.v.vt = p.vt;
        return S_OK;
    }
    return VariantChangeType(&s.v, src, 0, p.vt);
}

HRESULT bind_object(const param_desc& p, VARIANT* src, arg_slot& s) noexcept
{
    const VARIANT* v = src;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    IUnknown* given = nullptr;
    VARTYPE given_vt = v->vt;
    if (v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) {
        given = v->punkVal;
    } else if (v->vt == (VT_BYREF | VT_UNKNOWN) || v->vt == (VT_BYREF | VT_DISPATCH)) {
        if (!v->ppunkVal) return DISP_E_TYPEMISMATCH;
        given = *v->ppunkVal;
        given_vt = static_cast<VARTYPE>(v->vt & ~VT_BYREF);
    } else {
        RETURN_IF_FAILED(VariantChangeType(&s.v, src, 0, VT_UNKNOWN));
        given = s.v.punkVal;
        given_vt = VT_UNKNOWN;
    }
    s.ref = nullptr;
    if (!given) return S_OK;
    const bool as_given = *p.iid == IID_IUnknown ||
                          (*p.iid == IDispatch::iid && given_vt == VT_DISPATCH);
    if (as_given) {
        s.ref = given;
        return S_OK;
    }
    void* asked = nullptr;
    if (FAILED(given->QueryInterface(*p.iid, &asked)) || !asked) return DISP_E_TYPEMISMATCH;
    s.held = asked;
    s.ref = asked;
    return S_OK;
}

HRESULT bind_out(const param_desc& p, VARIANT* src, arg_slot& s) noexcept
{
    if (p.vt == VT_VARIANT) {
        if (src->vt == (VT_BYREF | VT_VARIANT)) {
            if (!src->pvarVal) return DISP_E_TYPEMISMATCH;
            s.ref = src->pvarVal;
            return S_OK;
        }
        if (src->vt & VT_BYREF) return DISP_E_TYPEMISMATCH;
        s.v.vt = VT_EMPTY;
        s.ref = &s.v;
        s.back = src;
        return S_OK;
    }
    VARIANT* owner = src;
    if (owner->vt == (VT_BYREF | VT_VARIANT)) {
        owner = owner->pvarVal;
        if (!owner) return DISP_E_TYPEMISMATCH;
    }
    if (owner->vt == (VT_BYREF | p.vt)) {
        if (!owner->byref) return DISP_E_TYPEMISMATCH;
        s.ref = owner->byref;
        return S_OK;
    }
    if (owner->vt & VT_BYREF) return DISP_E_TYPEMISMATCH;
    if (p.scalar_pointee) {
        // The temporary holds the argument's value, so that a wrong one is caught here.
        const HRESULT hr = coerce_scalar(p, owner, s);
        if (FAILED(hr)) return hr;
    } else {
        // Strings and interfaces start out null: an [out] parameter is not read, only written.
        s.v.vt = p.vt;
        s.v.llVal = 0;
    }
    s.ref = &s.v.llVal;
    s.back = owner;
    return S_OK;
}

HRESULT bind_value(const param_desc& p, VARIANT* src, arg_slot& s) noexcept
{
    switch (p.kind) {
    case arg_kind::scalar:
        return coerce_scalar(p, src, s);
    case arg_kind::bstr: {
        const VARIANT* v = src;
        if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
        if (v->vt == VT_BSTR) {
            s.ref = v->bstrVal;
            return S_OK;
        }
        if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal) {
            s.ref = *v->pbstrVal;
            return S_OK;
        }
        RETURN_IF_FAILED(VariantChangeType(&s.v, src, 0, VT_BSTR));
        s.ref = s.v.bstrVal;
        return S_OK;
    }
    case arg_kind::variant:
        return VariantCopy(&s.v, src);
    case arg_kind::variant_in:
        s.ref = (src->vt == (VT_BYREF | VT_VARIANT) && src->pvarVal) ? src->pvarVal : src;
        return S_OK;
    case arg_kind::object:
        return bind_object(p, src, s);
    case arg_kind::out:
        return bind_out(p, src, s);
    case arg_kind::retval:
        break;
    }
    return E_UNEXPECTED;
}

// A missing optional argument.
HRESULT bind_default(const param_desc& p, arg_slot& s) noexcept
{
    const default_value& d = p.def;
    if (d.vt == VT_EMPTY) {
        // Only VARIANT parameters are optional without a default: they see the "missing" mark.
        s.v.vt = VT_ERROR;
        s.v.scode = DISP_E_PARAMNOTFOUND;
        s.ref = &s.v;
        return S_OK;
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = d.vt;
    switch (d.vt) {
    case VT_I4: value.lVal = static_cast<LONG>(d.i); break;
    case VT_BOOL: value.boolVal = static_cast<VARIANT_BOOL>(d.i); break;
    case VT_R8: value.dblVal = d.d; break;
    case VT_BSTR:
        value.bstrVal = SysAllocString(d.s ? d.s : u"");
        if (!value.bstrVal) return E_OUTOFMEMORY;
        if (p.kind == arg_kind::bstr) {
            // The slot owns the default string and frees it after the call.
            s.v = value;
            s.ref = value.bstrVal;
            return S_OK;
        }
        break;
    default: return E_UNEXPECTED;
    }
    HRESULT hr = bind_value(p, &value, s);
    if (p.kind == arg_kind::variant_in && SUCCEEDED(hr)) {
        // The pointer must outlive this function: keep the value in the slot.
        s.v = value;
        s.ref = &s.v;
        return S_OK;
    }
    if (owns_something(value.vt)) VariantClear(&value);
    return hr;
}

// Puts an [out] temporary back into the caller's variant.
HRESULT write_back(const param_desc& p, arg_slot& s) noexcept
{
    VARIANT* owner = s.back;
    if (!owner) return S_OK;
    if (p.vt == VT_VARIANT || owner->vt == VT_EMPTY || owner->vt == s.v.vt) {
        // An empty slot takes the value as it is, rather than converting it to nothing.
        VariantClear(owner);
        *owner = s.v;
        s.v.vt = VT_EMPTY;
        return S_OK;
    }
    if (p.color && owner->vt == VT_I4) {
        owner->lVal = static_cast<LONG>(s.v.ulVal);
        return S_OK;
    }
    VARIANT converted;
    VariantInit(&converted);
    RETURN_IF_FAILED(VariantChangeType(&converted, &s.v, 0, owner->vt));
    VariantClear(owner);
    *owner = converted;
    return S_OK;
}

void fill_exception(EXCEPINFO* e, HRESULT hr) noexcept
{
    std::memset(e, 0, sizeof(*e));
    e->scode = hr;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        info->GetSource(&e->bstrSource);
        info->GetDescription(&e->bstrDescription);
        info->GetHelpFile(&e->bstrHelpFile);
        info->GetHelpContext(&e->dwHelpContext);
        info->Release();
    }
}

// All slots of one call, on the stack for up to eight parameters.
class slot_block {
public:
    explicit slot_block(UINT count) noexcept : count_(count)
    {
        if (count > stack_slots) {
            heap_.reset(new (std::nothrow) arg_slot[count]);
            slots_ = heap_.get();
        }
        if (slots_)
            for (UINT i = 0; i < count; ++i) {
                slots_[i].v.vt = VT_EMPTY;
                slots_[i].ref = nullptr;
                slots_[i].held = nullptr;
                slots_[i].back = nullptr;
                slots_[i].src = nullptr;
                slots_[i].index = 0;
            }
    }
    ~slot_block()
    {
        if (slots_)
            for (UINT i = 0; i < count_; ++i) clear_slot(slots_[i]);
    }
    slot_block(const slot_block&) = delete;
    slot_block& operator=(const slot_block&) = delete;

    arg_slot* get() noexcept { return slots_; }

private:
    UINT count_;
    arg_slot local_[stack_slots];
    std::unique_ptr<arg_slot[]> heap_;
    arg_slot* slots_ = local_;
};

// The result of a [retval] temporary into *result.
void hand_over(arg_slot& s, VARIANT* result) noexcept
{
    if (!result) return;
    VariantInit(result);
    if (s.v.vt & VT_BYREF) {
        VariantCopyInd(result, &s.v);
        return;
    }
    *result = s.v;
    s.v.vt = VT_EMPTY;
}

HRESULT call_member(const member_desc& m, IUnknown* self, arg_slot* slots,
                    EXCEPINFO* exception) noexcept
{
    clear_error_info();
    const HRESULT hr = m.call(m.pm, self, slots);
    if (FAILED(hr)) {
        if (exception) fill_exception(exception, hr);
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}

void prepare_retval(const param_desc& p, arg_slot& s) noexcept
{
    s.v.vt = p.vt;
    s.v.llVal = 0;
    if (p.vt == VT_VARIANT) {
        s.v.vt = VT_EMPTY;
        s.ref = &s.v;
    } else {
        s.ref = &s.v.llVal;
    }
}

// A property without parameters called with arguments: the arguments go to the default member
// of the object it returns.
HRESULT invoke_collection(const member_desc& m, IUnknown* self, LCID lcid, WORD flags,
                          DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                          UINT* arg_error) noexcept
{
    slot_block block(1);
    arg_slot& s = block.get()[0];
    prepare_retval(m.params[0], s);
    RETURN_IF_FAILED(call_member(m, self, &s, exception));
    if (s.v.vt != VT_DISPATCH || !s.v.pdispVal) return DISP_E_NOTACOLLECTION;
    return s.v.pdispVal->Invoke(DISPID_VALUE, IID_NULL, lcid, flags, params, result, exception,
                                arg_error);
}

}  // namespace

HRESULT invoke(const interface_desc& desc, IUnknown* self, DISPID id, LCID lcid, WORD flags,
               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
               UINT* arg_error) noexcept
{
    if (!params || params->cNamedArgs > params->cArgs) return E_INVALIDARG;
    if ((params->cArgs && !params->rgvarg) || (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    const member_desc* m = desc.find(id, flags);
    if (!m || (id >= 0 && (m->func_flags & FUNCFLAG_FRESTRICTED))) return DISP_E_MEMBERNOTFOUND;

    const UINT args = params->cArgs, named = params->cNamedArgs;
    VARIANT* rgvarg = params->rgvarg;
    const DISPID* names = params->rgdispidNamedArgs;
    const bool put = (m->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0;
    UINT first_named = 0;
    if (put) {
        if (named == 0 || names[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTFOUND;
        first_named = 1;
    }
    const UINT visible = m->visible;
    if (visible == 0 && m->has_retval && args > 0 && result)
        return invoke_collection(*m, self, lcid, flags, params, result, exception, arg_error);

    // Named arguments must name parameters the caller can pass (a put's value has its own).
    const UINT nameable = put ? visible - 1 : visible;
    for (UINT j = first_named; j < named; ++j) {
        if (names[j] < 0 || static_cast<UINT>(names[j]) >= nameable) {
            if (arg_error) *arg_error = j;
            return DISP_E_PARAMNOTFOUND;
        }
    }

    slot_block block(m->count);
    arg_slot* slots = block.get();
    if (!slots) return E_OUTOFMEMORY;

    // Binding: which argument each parameter takes, before anything is converted.
    const UINT positional = args - named;
    UINT taken = 0;
    for (UINT i = 0; i < visible; ++i) {
        arg_slot& s = slots[i];
        if (put && i == visible - 1) {
            s.src = &rgvarg[0];
            s.index = 0;
            continue;
        }
        for (UINT j = first_named; j < named; ++j)
            if (static_cast<UINT>(names[j]) == i) {
                s.src = &rgvarg[j];
                s.index = j;
                break;
            }
        if (!s.src && taken < positional) {
            s.index = args - 1 - taken;
            s.src = &rgvarg[s.index];
            ++taken;
        }
        const bool optional = (m->params[i].flags & PARAMFLAG_FOPT) != 0;
        if (s.src && optional && is_missing(s.src)) s.src = nullptr;
        if (!s.src && !optional) return DISP_E_BADPARAMCOUNT;
    }
    if (taken < positional) return DISP_E_BADPARAMCOUNT;

    // Conversion, in parameter order; the first failure ends the call.
    for (UINT i = 0; i < visible; ++i) {
        arg_slot& s = slots[i];
        const param_desc& p = m->params[i];
        const HRESULT hr = s.src ? bind_value(p, s.src, s) : bind_default(p, s);
        if (FAILED(hr)) {
            if (s.src && arg_error && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND))
                *arg_error = s.index;
            return hr;
        }
    }
    if (m->has_retval) prepare_retval(m->params[m->count - 1], slots[m->count - 1]);

    RETURN_IF_FAILED(call_member(*m, self, slots, exception));

    for (UINT i = 0; i < visible; ++i)
        if (slots[i].back) RETURN_IF_FAILED(write_back(m->params[i], slots[i]));
    if (put) return S_OK;
    if (m->has_retval)
        hand_over(slots[m->count - 1], result);
    else if (result)
        VariantInit(result);
    return S_OK;
}

HRESULT ids_of_names(const interface_desc& desc, LPOLESTR* names, UINT count,
                     DISPID* ids) noexcept
{
    if (count == 0) return S_OK;
    if (!names || !ids) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const member_desc* m = names[0] ? desc.find_name(names[0]) : nullptr;
    if (!m) return DISP_E_UNKNOWNNAME;
    ids[0] = m->id;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        const std::u16string_view name = name_view(names[i]);
        for (UINT k = 0; k < m->visible && names[i]; ++k)
            if (m->params[k].name && names_equal(name_view(m->params[k].name), name)) {
                ids[i] = static_cast<DISPID>(k);
                break;
            }
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

}  // namespace com::automation
