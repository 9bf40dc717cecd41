// SAFEARRAY: the self-describing arrays of OLE Automation, here in their one-dimensional use.
#pragma once

#include "platform/com/variant.h"

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_AUTO = 0x0001;
constexpr USHORT FADF_STATIC = 0x0002;
constexpr USHORT FADF_EMBEDDED = 0x0004;
constexpr USHORT FADF_FIXEDSIZE = 0x0010;
constexpr USHORT FADF_RECORD = 0x0020;
constexpr USHORT FADF_HAVEIID = 0x0040;
constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_DISPATCH = 0x0400;
constexpr USHORT FADF_VARIANT = 0x0800;

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds) noexcept;
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lower_bound, ULONG count) noexcept;
HRESULT SafeArrayDestroy(SAFEARRAY* array) noexcept;
HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** out) noexcept;
UINT SafeArrayGetDim(SAFEARRAY* array) noexcept;
UINT SafeArrayGetElemsize(SAFEARRAY* array) noexcept;
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) noexcept;
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) noexcept;
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) noexcept;
HRESULT SafeArrayLock(SAFEARRAY* array) noexcept;
HRESULT SafeArrayUnlock(SAFEARRAY* array) noexcept;
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) noexcept;
HRESULT SafeArrayUnaccessData(SAFEARRAY* array) noexcept;
// Element access copies: BSTRs are duplicated, interfaces AddRef'd, variants VariantCopy'd.
HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) noexcept;
HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) noexcept;
HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element) noexcept;
HRESULT SafeArrayRedim(SAFEARRAY* array, SAFEARRAYBOUND* bound) noexcept;
