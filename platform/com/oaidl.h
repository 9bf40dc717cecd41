// The Automation interfaces: IDispatch with its parameter blocks, error information and
// variant enumerators. ITypeInfo and ITypeLib live with the dispatch engine.
#pragma once

#include "platform/com/unknown.h"
#include "platform/com/variant.h"

struct ITypeInfo;
struct ITypeLib;

struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;
constexpr DISPID DISPID_EVALUATE = -5;
constexpr DISPID DISPID_CONSTRUCTOR = -6;
constexpr DISPID DISPID_DESTRUCTOR = -7;
constexpr DISPID DISPID_COLLECT = -8;

struct IDispatch : IUnknown {
    static constexpr IID iid = com::make_guid("{00020400-0000-0000-C000-000000000046}");
    using base = IUnknown;

    virtual HRESULT GetTypeInfoCount(UINT* count) noexcept = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) noexcept = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                  DISPID* ids) noexcept = 0;
    virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* arg_error) noexcept = 0;
};

struct IEnumVARIANT : IUnknown {
    static constexpr IID iid = com::make_guid("{00020404-0000-0000-C000-000000000046}");
    using base = IUnknown;

    virtual HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) noexcept = 0;
    virtual HRESULT Skip(ULONG count) noexcept = 0;
    virtual HRESULT Reset() noexcept = 0;
    virtual HRESULT Clone(IEnumVARIANT** clone) noexcept = 0;
};

struct IErrorInfo : IUnknown {
    static constexpr IID iid = com::make_guid("{1CF2B120-547D-101B-8E65-08002B2BD119}");
    using base = IUnknown;

    virtual HRESULT GetGUID(GUID* guid) noexcept = 0;
    virtual HRESULT GetSource(BSTR* source) noexcept = 0;
    virtual HRESULT GetDescription(BSTR* description) noexcept = 0;
    virtual HRESULT GetHelpFile(BSTR* help_file) noexcept = 0;
    virtual HRESULT GetHelpContext(DWORD* help_context) noexcept = 0;
};

struct ISupportErrorInfo : IUnknown {
    static constexpr IID iid = com::make_guid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
    using base = IUnknown;

    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) noexcept = 0;
};
