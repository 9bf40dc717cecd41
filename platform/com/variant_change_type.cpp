// VariantChangeType and VariantChangeTypeEx: coercion between the variant types.
//
// Every locale is treated as English (United States); see variant.h. A by-reference source is
// first dereferenced into a private copy; the converted value is built in a temporary and only a
// successful result replaces the destination, so the destination may be the source itself and
// is left untouched when the conversion fails.
#include "platform/com/variant.h"

#include <cmath>
#include <cstring>
#include <new>

#include "platform/com/oaidl.h"
#include "platform/com/result.h"
#include "platform/com/safearray.h"
#include "platform/com/variant_date.h"
#include "platform/com/variant_detail.h"
#include "platform/com/variant_number.h"
#include "platform/com/variant_text.h"

namespace {

using namespace com::variant_detail;

// Objects whose value property is another object are followed this far, no further.
constexpr int max_dispatch_depth = 16;
thread_local int dispatch_depth = 0;

VARTYPE normalize(VARTYPE vt) noexcept
{
    if (vt == VT_INT) return VT_I4;
    if (vt == VT_UINT) return VT_UI4;
    return vt;
}

bool is_integer(VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_I8:
    case VT_UI8: return true;
    default: return false;
    }
}

int bits_of(VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_I1:
    case VT_UI1: return 8;
    case VT_I2:
    case VT_UI2: return 16;
    case VT_I4:
    case VT_UI4: return 32;
    default: return 64;
    }
}

bool is_signed(VARTYPE vt) noexcept { return vt == VT_I1 || vt == VT_I2 || vt == VT_I4 || vt == VT_I8; }

void store_integer(VARIANT* v, VARTYPE vt, unsigned long long raw) noexcept
{
    switch (vt) {
    case VT_I1: v->cVal = static_cast<CHAR>(static_cast<signed char>(raw)); break;
    case VT_UI1: v->bVal = static_cast<BYTE>(raw); break;
    case VT_I2: v->iVal = static_cast<SHORT>(raw); break;
    case VT_UI2: v->uiVal = static_cast<USHORT>(raw); break;
    case VT_I4: v->lVal = static_cast<LONG>(raw); break;
    case VT_UI4: v->ulVal = static_cast<ULONG>(raw); break;
    case VT_I8: v->llVal = static_cast<LONGLONG>(raw); break;
    default: v->ullVal = raw; break;
    }
}

unsigned long long integer_bits(const VARIANT* v, VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_I1:
    case VT_UI1: return v->bVal;
    case VT_I2:
    case VT_UI2: return v->uiVal;
    case VT_I4:
    case VT_UI4: return v->ulVal;
    default: return v->ullVal;
    }
}

HRESULT read_number(const VARIANT* v, VARTYPE vt, number* n)
{
    using kind = number::kind;
    switch (vt) {
    case VT_I1: n->i = static_cast<signed char>(v->cVal); break;
    case VT_I2: n->i = v->iVal; break;
    case VT_I4: n->i = v->lVal; break;
    case VT_I8: n->i = v->llVal; break;
    case VT_BOOL: n->i = v->boolVal; break;
    case VT_UI1: n->k = kind::unsigned_int; n->u = v->bVal; break;
    case VT_UI2: n->k = kind::unsigned_int; n->u = v->uiVal; break;
    case VT_UI4: n->k = kind::unsigned_int; n->u = v->ulVal; break;
    case VT_UI8: n->k = kind::unsigned_int; n->u = v->ullVal; break;
    case VT_R4: n->k = kind::real; n->d = v->fltVal; n->precision = 7; break;
    case VT_R8: n->k = kind::real; n->d = v->dblVal; break;
    case VT_DATE: n->k = kind::real; n->d = v->date; break;
    case VT_CY: n->k = kind::exact; n->dec = currency_digits(v->cyVal.int64); break;
    case VT_DECIMAL: n->k = kind::exact; return read_decimal(v->decVal, &n->dec);
    default: return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

HRESULT convert_number(VARIANT* r, const number& n, VARTYPE to)
{
    if (is_integer(to)) {
        unsigned long long raw = 0;
        RETURN_IF_FAILED(to_integer(n, bits_of(to), is_signed(to), &raw));
        store_integer(r, to, raw);
        return S_OK;
    }
    switch (to) {
    case VT_R4: return to_float(n, &r->fltVal);
    case VT_R8: return to_double(n, &r->dblVal);
    case VT_DATE: return to_date(n, &r->date);
    case VT_CY: return to_currency(n, &r->cyVal.int64);
    case VT_DECIMAL: return to_decimal(n, &r->decVal);
    case VT_BOOL: r->boolVal = is_nonzero(n) ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}

HRESULT make_bstr(const std::u16string& text, BSTR* out) noexcept
{
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::u16string real_text(double value, int precision)
{
    // Not numbers as C's "%G" writes them; Windows has no better-defined form.
    if (std::isnan(value)) return u"NAN";
    if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
    return format_general(real_digits(value, precision), precision);
}

HRESULT to_text(const VARIANT* v, VARTYPE from, USHORT flags, BSTR* out)
{
    std::u16string text;
    switch (from) {
    case VT_I1: text = format_signed(static_cast<signed char>(v->cVal)); break;
    case VT_I2: text = format_signed(v->iVal); break;
    case VT_I4: text = format_signed(v->lVal); break;
    case VT_I8: text = format_signed(v->llVal); break;
    case VT_UI1: text = format_unsigned(v->bVal); break;
    case VT_UI2: text = format_unsigned(v->uiVal); break;
    case VT_UI4: text = format_unsigned(v->ulVal); break;
    case VT_UI8: text = format_unsigned(v->ullVal); break;
    case VT_R4: text = real_text(v->fltVal, 7); break;
    case VT_R8: text = real_text(v->dblVal, 15); break;
    case VT_DATE: RETURN_IF_FAILED(format_date(v->date, &text)); break;
    case VT_CY: text = format_fixed(currency_digits(v->cyVal.int64)); break;
    case VT_DECIMAL: {
        decimal_number d;
        RETURN_IF_FAILED(read_decimal(v->decVal, &d));
        text = format_fixed(d);
        break;
    }
    case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
            text = v->boolVal ? u"True" : u"False";
        else
            text = format_signed(v->boolVal);
        break;
    default: return DISP_E_TYPEMISMATCH;
    }
    return make_bstr(text, out);
}

bool equals_ignoring_case(std::u16string_view text, std::u16string_view word) noexcept
{
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        if (c != word[i]) return false;
    }
    return true;
}

HRESULT from_text(VARIANT* r, BSTR source, VARTYPE to)
{
    const std::u16string_view text = bstr_text(source);
    if (to == VT_DATE) return parse_date(text, &r->date);
    if (to == VT_BOOL) {
        if (text == u"#TRUE#" || equals_ignoring_case(text, u"true")) {
            r->boolVal = VARIANT_TRUE;
            return S_OK;
        }
        if (text == u"#FALSE#" || equals_ignoring_case(text, u"false")) {
            r->boolVal = VARIANT_FALSE;
            return S_OK;
        }
        number n;
        double d = 0;
        RETURN_IF_FAILED(parse_number(text, &n));
        RETURN_IF_FAILED(to_double(n, &d));
        r->boolVal = d != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    number n;
    RETURN_IF_FAILED(parse_number(text, &n));
    return convert_number(r, n, to);
}

// The object's value property, converted.
HRESULT from_dispatch(VARIANT* r, IDispatch* object, LCID lcid, USHORT flags, VARTYPE to) noexcept
{
    if (!object) return DISP_E_BADVARTYPE;
    if (dispatch_depth >= max_dispatch_depth) return DISP_E_TYPEMISMATCH;
    DISPPARAMS no_arguments{nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    ++dispatch_depth;
    HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, lcid, DISPATCH_PROPERTYGET, &no_arguments,
                                &value, nullptr, nullptr);
    if (SUCCEEDED(hr)) {
        VARIANT converted;
        VariantInit(&converted);
        hr = VariantChangeTypeEx(&converted, &value, lcid, flags, to);
        if (SUCCEEDED(hr)) *r = converted;
    } else {
        hr = DISP_E_TYPEMISMATCH;
    }
    --dispatch_depth;
    VariantClear(&value);
    return hr;
}

HRESULT query(IUnknown* object, REFIID iid, void** out) noexcept
{
    *out = nullptr;
    return object ? object->QueryInterface(iid, out) : S_OK;
}

HRESULT zero_of(VARIANT* r, VARTYPE to) noexcept
{
    std::memset(&r->decVal, 0, sizeof r->decVal);
    if (to == VT_BSTR) {
        r->bstrVal = SysAllocStringLen(nullptr, 0);
        RETURN_IF_NULL_ALLOC(r->bstrVal);
    }
    return S_OK;
}

// Converts `source` (dereferenced, not an array) into the data of `r`; r->vt is set by the
// caller. On failure `r` owns nothing.
HRESULT coerce(VARIANT* r, const VARIANT* source, LCID lcid, USHORT flags, VARTYPE vt)
{
    const VARTYPE to = normalize(vt);
    const VARTYPE from = normalize(source->vt);
    if (to == from) return VariantCopy(r, source);
    if ((flags & VARIANT_NOVALUEPROP) && from == VT_DISPATCH && to != VT_UNKNOWN)
        return DISP_E_TYPEMISMATCH;

    switch (to) {
    case VT_EMPTY:
        if (from == VT_NULL) return DISP_E_TYPEMISMATCH;
        [[fallthrough]];
    case VT_NULL:
        return from <= VT_UINT && from != 15 && from != VT_ERROR ? S_OK : DISP_E_TYPEMISMATCH;
    case VT_UNKNOWN:
        if (from != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
        return query(source->pdispVal, IID_IUnknown, reinterpret_cast<void**>(&r->punkVal));
    case VT_DISPATCH:
        if (from != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
        return query(source->punkVal, IDispatch::iid, reinterpret_cast<void**>(&r->pdispVal));
    case VT_BSTR:
    case VT_BOOL:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
    case VT_DECIMAL:
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_I8:
    case VT_UI8: break;
    default: return DISP_E_TYPEMISMATCH;
    }

    if (from == VT_EMPTY) return zero_of(r, to);
    if (from == VT_DISPATCH) return from_dispatch(r, source->pdispVal, lcid, flags, to);
    if (from == VT_BSTR) return from_text(r, source->bstrVal, to);
    if (to == VT_BSTR) return to_text(source, from, flags, &r->bstrVal);
    if (from == VT_BOOL && is_integer(to)) {
        // A boolean keeps its bits: VARIANT_TRUE is 255 as UI1 and 65535 as UI2.
        store_integer(r, to, static_cast<unsigned long long>(static_cast<long long>(source->boolVal)));
        return S_OK;
    }
    if (from == VT_BOOL && to == VT_DECIMAL) {
        std::memset(&r->decVal, 0, sizeof r->decVal);
        r->decVal.Lo64 = source->boolVal ? 1 : 0;
        return S_OK;
    }
    if (is_integer(from) && is_integer(to) && bits_of(from) == bits_of(to)) {
        // Same width, other signedness: Windows copies the bits without a range check.
        store_integer(r, to, integer_bits(source, from));
        return S_OK;
    }
    number n;
    RETURN_IF_FAILED(read_number(source, from, &n));
    return convert_number(r, n, to);
}

HRESULT coerce_array(VARIANT* r, const VARIANT* source, VARTYPE vt) noexcept
{
    if (vt == VT_BSTR && source->vt == (VT_ARRAY | VT_UI1)) {
        // The bytes of a one-dimensional byte array become the bytes of the string.
        const SAFEARRAY* a = source->parray;
        if (!a || a->cDims != 1 || a->cbElements != 1) return E_INVALIDARG;
        r->bstrVal = SysAllocStringByteLen(static_cast<LPCSTR>(a->pvData), a->rgsabound[0].cElements);
        return r->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    if (source->vt == VT_BSTR && vt == (VT_ARRAY | VT_UI1)) {
        const UINT bytes = SysStringByteLen(source->bstrVal);
        SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, bytes);
        RETURN_IF_NULL_ALLOC(a);
        if (bytes) std::memcpy(a->pvData, source->bstrVal, bytes);
        r->parray = a;
        return S_OK;
    }
    if (source->vt == vt) return SafeArrayCopy(source->parray, &r->parray);
    return DISP_E_TYPEMISMATCH;
}

HRESULT coerce_guarded(VARIANT* r, const VARIANT* source, LCID lcid, USHORT flags,
                       VARTYPE vt) noexcept
{
    try {
        if (V_ISARRAY(source) || (vt & VT_ARRAY)) return coerce_array(r, source, vt);
        return coerce(r, source, lcid, flags, vt);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* source, LCID lcid, USHORT flags,
                            VARTYPE vt) noexcept
{
    if (!dest || !source) return E_INVALIDARG;
    if (vt == VT_CLSID) return DISP_E_BADVARTYPE;
    RETURN_IF_FAILED(validate_type(source->vt));
    RETURN_IF_FAILED(validate_type(vt));
    if (V_ISBYREF(source) && !source->byref) return DISP_E_TYPEMISMATCH;

    // A by-value source is read where it is: the destination is only written at the end.
    VARIANT value;
    VariantInit(&value);
    if (V_ISBYREF(source)) RETURN_IF_FAILED(VariantCopyInd(&value, source));
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    HRESULT hr = coerce_guarded(&result, V_ISBYREF(source) ? &value : source, lcid, flags, vt);
    VariantClear(&value);
    RETURN_IF_FAILED(hr);

    result.vt = vt;
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *dest = result;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, USHORT flags, VARTYPE vt) noexcept
{
    return VariantChangeTypeEx(dest, source, LOCALE_USER_DEFAULT, flags, vt);
}
