// VARIANT: the tagged value of OLE Automation, with the 24-byte layout of 64-bit Windows.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/guid.h"

struct IUnknown;
struct IDispatch;
struct IRecordInfo;
struct SAFEARRAY;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_SAFEARRAY = 27,
    VT_CARRAY = 28,
    VT_USERDEFINED = 29,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_RECORD = 36,
    VT_INT_PTR = 37,
    VT_UINT_PTR = 38,
    VT_FILETIME = 64,
    VT_BLOB = 65,
    VT_STREAM = 66,
    VT_STORAGE = 67,
    VT_STREAMED_OBJECT = 68,
    VT_STORED_OBJECT = 69,
    VT_BLOB_OBJECT = 70,
    VT_CF = 71,
    VT_CLSID = 72,
    VT_VERSIONED_STREAM = 73,
    VT_BSTR_BLOB = 0x0FFF,
    VT_VECTOR = 0x1000,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_RESERVED = 0x8000,
    VT_ILLEGAL = 0xFFFF,
    VT_ILLEGALMASKED = 0x0FFF,
    VT_TYPEMASK = 0x0FFF,
};

struct DECIMAL {
    WORD wReserved;
    BYTE scale;
    BYTE sign;
    ULONG Hi32;
    ULONGLONG Lo64;
};
static_assert(sizeof(DECIMAL) == 16);

struct VARIANT {
    union {
        struct {
            VARTYPE vt;
            WORD wReserved1;
            WORD wReserved2;
            WORD wReserved3;
            union {
                LONGLONG llVal;
                LONG lVal;
                BYTE bVal;
                SHORT iVal;
                float fltVal;
                double dblVal;
                VARIANT_BOOL boolVal;
                SCODE scode;
                CY cyVal;
                DATE date;
                BSTR bstrVal;
                IUnknown* punkVal;
                IDispatch* pdispVal;
                SAFEARRAY* parray;
                BYTE* pbVal;
                SHORT* piVal;
                LONG* plVal;
                LONGLONG* pllVal;
                float* pfltVal;
                double* pdblVal;
                VARIANT_BOOL* pboolVal;
                SCODE* pscode;
                CY* pcyVal;
                DATE* pdate;
                BSTR* pbstrVal;
                IUnknown** ppunkVal;
                IDispatch** ppdispVal;
                SAFEARRAY** pparray;
                VARIANT* pvarVal;
                void* byref;
                CHAR cVal;
                USHORT uiVal;
                ULONG ulVal;
                ULONGLONG ullVal;
                INT intVal;
                UINT uintVal;
                DECIMAL* pdecVal;
                CHAR* pcVal;
                USHORT* puiVal;
                ULONG* pulVal;
                ULONGLONG* pullVal;
                INT* pintVal;
                UINT* puintVal;
                struct {
                    void* pvRecord;
                    IRecordInfo* pRecInfo;
                } brecVal;
            };
        };
        DECIMAL decVal;
    };
};
static_assert(sizeof(VARIANT) == 24, "VARIANT must keep the 64-bit Windows layout");

using VARIANTARG = VARIANT;

// Accessors named as in the Windows headers.
#define V_VT(v) ((v)->vt)
#define V_ISBYREF(v) (((v)->vt & VT_BYREF) != 0)
#define V_ISARRAY(v) (((v)->vt & VT_ARRAY) != 0)

// VariantChangeType(Ex) flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
constexpr USHORT VARIANT_CALENDAR_HIJRI = 0x08;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_INVARIANT = 0x007F;
constexpr LCID LOCALE_NEUTRAL = 0x0000;

void VariantInit(VARIANT* v) noexcept;
// Frees what the variant owns (BSTR, interface reference, array) and leaves it VT_EMPTY;
// DISP_E_BADVARTYPE for a type a variant cannot hold, DISP_E_ARRAYISLOCKED for a locked array.
HRESULT VariantClear(VARIANT* v) noexcept;
// Deep copy: BSTRs and arrays duplicated, interfaces AddRef'd; the destination is cleared first.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) noexcept;
// As VariantCopy, but a by-reference source is copied as the value it points to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* source) noexcept;
// Converts `source` to type `vt` into `dest` (which may be `source`), with Windows' rules:
// DISP_E_OVERFLOW out of range, DISP_E_TYPEMISMATCH when no conversion exists or text does not
// parse, DISP_E_BADVARTYPE for a type no variant can hold. On failure `dest` is untouched.
// Every LCID is treated as English (United States): '.' decimal point, ',' thousands
// separator, '$' currency, dates as m/d/yyyy h:mm:ss AM/PM, "True"/"False" for booleans.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, USHORT flags, VARTYPE vt) noexcept;
HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* source, LCID lcid, USHORT flags,
                            VARTYPE vt) noexcept;
