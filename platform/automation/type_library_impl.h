// The objects behind ITypeLib and ITypeInfo: a library owns its type infos, which count their
// references on it; both are built from a type_library_builder and never change afterwards
// (except the stand-alone library, which gains types as they are asked for).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/automation/type_library.h"

namespace com::automation {


// What an HREFTYPE stands for, resolved by the library when it is asked for.
struct ref_target {
    GUID guid{};                           // interfaces, aliases
    const interface_desc* desc = nullptr;  // interfaces with a table
    const void* enum_key = nullptr;        // enumerations
    bool color = false;                    // OLE_COLOR
};

class type_info_impl final : public ITypeInfo {
public:
    type_info_impl(type_library* lib, UINT index, TYPEKIND kind) noexcept
        : lib_(lib), index_(index), kind_(kind)
    {
    }

    // IUnknown, on the library's count.
    HRESULT QueryInterface(REFIID riid, void** object) noexcept override;
    ULONG AddRef() noexcept override;
    ULONG Release() noexcept override;

    HRESULT GetTypeAttr(TYPEATTR** attr) noexcept override;
    HRESULT GetTypeComp(ITypeComp** comp) noexcept override;
    HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) noexcept override;
    HRESULT GetVarDesc(UINT index, VARDESC** desc) noexcept override;
    HRESULT GetNames(MEMBERID id, BSTR* names, UINT max_names, UINT* count) noexcept override;
    HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) noexcept override;
    HRESULT GetImplTypeFlags(UINT index, INT* flags) noexcept override;
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) noexcept override;
    HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* arg_error) noexcept override;
    HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* help_context,
                             BSTR* help_file) noexcept override;
    HRESULT GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name,
                        WORD* ordinal) noexcept override;
    HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) noexcept override;
    HRESULT AddressOfMember(MEMBERID id, INVOKEKIND kind, void** address) noexcept override;
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept override;
    HRESULT GetMops(MEMBERID id, BSTR* mops) noexcept override;
    HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) noexcept override;
    void ReleaseTypeAttr(TYPEATTR* attr) noexcept override;
    void ReleaseFuncDesc(FUNCDESC* desc) noexcept override;
    void ReleaseVarDesc(VARDESC* desc) noexcept override;

    // Filled by the library while it builds.
    struct constant {
        std::u16string name, doc;
        LONG value;
    };
    struct implemented {
        ref_target target;
        INT flags;
    };
    std::u16string name, doc;
    GUID guid{};
    const interface_desc* desc = nullptr;  // TKIND_DISPATCH with a table
    const void* enum_key = nullptr;
    std::vector<constant> constants;
    std::vector<implemented> interfaces;   // coclasses; a plain interface's base
    WORD type_flags = 0;
    VARTYPE alias_vt = VT_EMPTY;

    TYPEKIND kind() const noexcept { return kind_; }
    UINT index() const noexcept { return index_; }
    type_library* library() const noexcept { return lib_; }

    // Collects the references of the functions and implemented types; may throw bad_alloc.
    void collect_refs();
    // The HREFTYPE of a target, or false when it has none (it is then described by its
    // plain VARTYPE).
    bool href_of(const ref_target& target, HREFTYPE* ref) const noexcept;
    // The reference a parameter's type makes, if any.
    bool param_target(const param_desc& p, ref_target* target) const noexcept;

private:
    bool add_ref_target(const ref_target& target);
    HRESULT names_of(const member_desc& m, BSTR* names, UINT max_names, UINT* count) noexcept;

    type_library* lib_;
    UINT index_;
    TYPEKIND kind_;
    std::vector<ref_target> refs_;
};

class type_library final : public ITypeLib {
public:
    // Builds every type of the declaration. Throws std::bad_alloc.
    explicit type_library(type_library_builder&& decl, bool grows = false);

    HRESULT QueryInterface(REFIID riid, void** object) noexcept override;
    ULONG AddRef() noexcept override { return ++count_; }
    // Libraries live as long as the process; the count is kept so that lost references show.
    ULONG Release() noexcept override { return --count_; }

    UINT GetTypeInfoCount() noexcept override;
    HRESULT GetTypeInfo(UINT index, ITypeInfo** info) noexcept override;
    HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) noexcept override;
    HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) noexcept override;
    HRESULT GetLibAttr(TLIBATTR** attr) noexcept override;
    HRESULT GetTypeComp(ITypeComp** comp) noexcept override;
    HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* help_context,
                             BSTR* help_file) noexcept override;
    HRESULT IsName(LPOLESTR name, ULONG hash, BOOL* found) noexcept override;
    HRESULT FindName(LPOLESTR name, ULONG hash, ITypeInfo** infos, MEMBERID* ids,
                     USHORT* found) noexcept override;
    void ReleaseTLibAttr(TLIBATTR* attr) noexcept override;

    // The type info for an interface's description: this library's own, else (for the
    // stand-alone library) a new one; null when there is none.
    type_info_impl* info_for(const interface_desc& desc);
    // Resolves a reference one of this library's types makes; null when nothing answers.
    type_info_impl* resolve(const ref_target& target);
    bool declares_enum(const void* key) const noexcept;
    type_info_impl* find_guid(REFGUID guid) const noexcept;
    REFGUID libid() const noexcept { return libid_; }
    WORD major() const noexcept { return major_; }
    WORD minor() const noexcept { return minor_; }

    LCID lcid() const noexcept { return 0; }
    const std::u16string& help_file() const noexcept { return help_file_; }

    std::recursive_mutex& lock() noexcept { return lock_; }

private:
    type_info_impl* at(UINT index) const noexcept;
    type_info_impl* add_described(const interface_desc& desc);

    std::u16string name_, doc_, help_file_;
    GUID libid_{};
    WORD major_ = 0, minor_ = 0;
    std::atomic<ULONG> count_{0};
    bool grows_ = false;      // the stand-alone library
    mutable std::recursive_mutex lock_;
    std::vector<std::unique_ptr<type_info_impl>> infos_;

};

// The system's own types: IUnknown, IDispatch and OLE_COLOR.
type_library& builtin_library();
// The types of interfaces no declared library holds.
type_library& standalone_library();

}  // namespace com::automation
