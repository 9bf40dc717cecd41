// VariantInit, VariantClear, VariantCopy and VariantCopyInd.
#include "platform/com/variant.h"

#include <cstring>

#include "platform/com/result.h"
#include "platform/com/safearray.h"
#include "platform/com/unknown.h"
#include "platform/com/variant_detail.h"

namespace {

// Records need IRecordInfo, which this platform does not provide yet; an empty record slot is
// harmless, a real one is refused rather than leaked or copied wrongly.
HRESULT check_record(const VARIANT* v) noexcept
{
    if (v->brecVal.pRecInfo) return E_NOTIMPL;
    return v->brecVal.pvRecord ? E_INVALIDARG : S_OK;
}

// Stores `value` in `dest` after clearing what `dest` held; on failure `value` is freed and
// `dest` keeps its old contents.
HRESULT replace(VARIANT* dest, VARIANT* value) noexcept
{
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(value);
        return hr;
    }
    *dest = *value;
    return S_OK;
}

}  // namespace

HRESULT com::variant_detail::validate_type(VARTYPE vt) noexcept
{
    const VARTYPE extra = vt & (VT_VECTOR | VT_ARRAY | VT_BYREF | VT_RESERVED);
    const VARTYPE base = vt & VT_TYPEMASK;
    if (extra & (VT_VECTOR | VT_RESERVED)) return DISP_E_BADVARTYPE;
    if (base >= VT_VOID && base != VT_RECORD && base != VT_CLSID) return DISP_E_BADVARTYPE;
    if ((extra & (VT_BYREF | VT_ARRAY)) && base <= VT_NULL) return DISP_E_BADVARTYPE;
    if (base == 15) return DISP_E_BADVARTYPE;
    return S_OK;
}

void VariantInit(VARIANT* v) noexcept
{
    if (v) v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) noexcept
{
    if (!v) return E_INVALIDARG;
    RETURN_IF_FAILED(com::variant_detail::validate_type(v->vt));
    if (!V_ISBYREF(v)) {
        if (V_ISARRAY(v)) {
            // A locked array stays where it is, so that the caller can unlock and retry.
            RETURN_IF_FAILED(SafeArrayDestroy(v->parray));
        } else {
            switch (v->vt) {
            case VT_BSTR: SysFreeString(v->bstrVal); break;
            case VT_UNKNOWN:
            case VT_DISPATCH:
                if (v->punkVal) v->punkVal->Release();
                break;
            case VT_RECORD: RETURN_IF_FAILED(check_record(v)); break;
            default: break;
            }
        }
    }
    v->vt = VT_EMPTY;
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) noexcept
{
    if (!dest || !source) return E_INVALIDARG;
    if ((source->vt & VT_TYPEMASK) == VT_CLSID ||
        FAILED(com::variant_detail::validate_type(source->vt)))
        return DISP_E_BADVARTYPE;
    if (source == dest) return S_OK;

    // The copy is made before the destination is cleared, so a failure leaves it intact.
    VARIANT copy = *source;
    if (!V_ISBYREF(source)) {
        if (V_ISARRAY(source)) {
            copy.parray = nullptr;
            RETURN_IF_FAILED(SafeArrayCopy(source->parray, &copy.parray));
        } else {
            switch (source->vt) {
            case VT_BSTR:
                if (source->bstrVal) {
                    // Byte length, not character length: odd byte counts and zeros survive.
                    copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source->bstrVal),
                                                         SysStringByteLen(source->bstrVal));
                    RETURN_IF_NULL_ALLOC(copy.bstrVal);
                }
                break;
            case VT_UNKNOWN:
            case VT_DISPATCH:
                if (copy.punkVal) copy.punkVal->AddRef();
                break;
            case VT_RECORD: RETURN_IF_FAILED(check_record(source)); break;
            default: break;
            }
        }
    }
    return replace(dest, &copy);
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* source) noexcept
{
    if (!dest || !source) return E_INVALIDARG;
    if (!V_ISBYREF(source)) return VariantCopy(dest, source);

    const VARTYPE base = source->vt & VT_TYPEMASK;
    const bool array = V_ISARRAY(source);
    const bool plain_ok = base > VT_NULL && base != 15 && base < VT_VOID &&
                          !(source->vt & (VT_VECTOR | VT_RESERVED));
    if (!array && !plain_ok && source->vt != (VT_RECORD | VT_BYREF)) return E_INVALIDARG;
    if (!source->byref) return E_INVALIDARG;

    VARIANT value;
    std::memset(&value, 0, sizeof value);
    if (array) {
        RETURN_IF_FAILED(SafeArrayCopy(*source->pparray, &value.parray));
    } else {
        switch (base) {
        case VT_BSTR:
            if (*source->pbstrVal) {
                value.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(*source->pbstrVal),
                                                      SysStringByteLen(*source->pbstrVal));
                RETURN_IF_NULL_ALLOC(value.bstrVal);
            }
            break;
        case VT_UNKNOWN:
        case VT_DISPATCH:
            value.punkVal = *source->ppunkVal;
            if (value.punkVal) value.punkVal->AddRef();
            break;
        case VT_VARIANT: {
            // One level only: a reference to a reference to a variant is refused.
            const VARIANT* inner = source->pvarVal;
            if (inner->vt == (VT_VARIANT | VT_BYREF)) return E_INVALIDARG;
            VARIANT deref;
            VariantInit(&deref);
            RETURN_IF_FAILED(VariantCopyInd(&deref, inner));
            if (dest == source) {
                *dest = deref;
                return S_OK;
            }
            return replace(dest, &deref);
        }
        case VT_DECIMAL: value.decVal = *source->pdecVal; break;
        case VT_RECORD: return E_NOTIMPL;
        default:
            std::memcpy(&value.llVal, source->byref, com::variant_detail::plain_size(base));
            break;
        }
    }
    value.vt = source->vt & ~VT_BYREF;
    // In place, the by-reference variant owns nothing, so it is simply overwritten.
    if (dest == source) {
        *dest = value;
        return S_OK;
    }
    return replace(dest, &value);
}
