// ITypeInfo, ITypeComp and ITypeLib: the type information interfaces, in Windows slot order.
#pragma once

#include "platform/automation/typeinfo_types.h"

struct ITypeComp : IUnknown {
    static constexpr IID iid = com::make_guid("{00020403-0000-0000-C000-000000000046}");
    using base = IUnknown;

    virtual HRESULT Bind(LPOLESTR name, ULONG hash, WORD flags, ITypeInfo** info,
                         DESCKIND* kind, BINDPTR* bound) noexcept = 0;
    virtual HRESULT BindType(LPOLESTR name, ULONG hash, ITypeInfo** info,
                             ITypeComp** comp) noexcept = 0;
};

struct ITypeInfo : IUnknown {
    static constexpr IID iid = com::make_guid("{00020401-0000-0000-C000-000000000046}");
    using base = IUnknown;

    virtual HRESULT GetTypeAttr(TYPEATTR** attr) noexcept = 0;
    virtual HRESULT GetTypeComp(ITypeComp** comp) noexcept = 0;
    virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) noexcept = 0;
    virtual HRESULT GetVarDesc(UINT index, VARDESC** desc) noexcept = 0;
    virtual HRESULT GetNames(MEMBERID id, BSTR* names, UINT max_names, UINT* count) noexcept = 0;
    virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) noexcept = 0;
    virtual HRESULT GetImplTypeFlags(UINT index, INT* flags) noexcept = 0;
    virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) noexcept = 0;
    virtual HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* arg_error) noexcept = 0;
    virtual HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* help_context,
                                     BSTR* help_file) noexcept = 0;
    virtual HRESULT GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name,
                                WORD* ordinal) noexcept = 0;
    virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) noexcept = 0;
    virtual HRESULT AddressOfMember(MEMBERID id, INVOKEKIND kind, void** address) noexcept = 0;
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept = 0;
    virtual HRESULT GetMops(MEMBERID id, BSTR* mops) noexcept = 0;
    virtual HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) noexcept = 0;
    virtual void ReleaseTypeAttr(TYPEATTR* attr) noexcept = 0;
    virtual void ReleaseFuncDesc(FUNCDESC* desc) noexcept = 0;
    virtual void ReleaseVarDesc(VARDESC* desc) noexcept = 0;
};

struct ITypeLib : IUnknown {
    static constexpr IID iid = com::make_guid("{00020402-0000-0000-C000-000000000046}");
    using base = IUnknown;

    virtual UINT GetTypeInfoCount() noexcept = 0;
    virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** info) noexcept = 0;
    virtual HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) noexcept = 0;
    virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) noexcept = 0;
    virtual HRESULT GetLibAttr(TLIBATTR** attr) noexcept = 0;
    virtual HRESULT GetTypeComp(ITypeComp** comp) noexcept = 0;
    virtual HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* help_context,
                                     BSTR* help_file) noexcept = 0;
    virtual HRESULT IsName(LPOLESTR name, ULONG hash, BOOL* found) noexcept = 0;
    virtual HRESULT FindName(LPOLESTR name, ULONG hash, ITypeInfo** infos, MEMBERID* ids,
                             USHORT* found) noexcept = 0;
    virtual void ReleaseTLibAttr(TLIBATTR* attr) noexcept = 0;
};

constexpr IID IID_ITypeInfo = ITypeInfo::iid;
constexpr IID IID_ITypeLib = ITypeLib::iid;
constexpr IID IID_ITypeComp = ITypeComp::iid;
