// ITypeInfo over a library's types: attributes, names, documentation, implemented types and
// references, and Invoke through the dispatch engine.
#include "platform/automation/type_library_impl.h"

#include <new>

#include "platform/automation/invoke.h"
#include "platform/automation/names.h"
#include "platform/com/class_table.h"

namespace com::automation {
namespace {

constexpr MEMBERID first_constant_id = 0x40000000;

bool same_target(const ref_target& a, const ref_target& b) noexcept
{
    return a.color == b.color && a.enum_key == b.enum_key && a.guid == b.guid;
}

HRESULT copy_name(std::u16string_view text, BSTR* out) noexcept
{
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

// ---- IUnknown ------------------------------------------------------------------------------

HRESULT type_info_impl::QueryInterface(REFIID riid, void** object) noexcept
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ITypeInfo) {
        *object = static_cast<ITypeInfo*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG type_info_impl::AddRef() noexcept { return lib_->AddRef(); }
ULONG type_info_impl::Release() noexcept { return lib_->Release(); }

// ---- References ----------------------------------------------------------------------------

bool type_info_impl::param_target(const param_desc& p, ref_target* target) const noexcept
{
    switch (p.udt) {
    case udt_kind::color:
        target->color = true;
        return true;
    case udt_kind::enumeration:
        if (!lib_->declares_enum(p.type_key)) return false;
        target->enum_key = p.type_key;
        return true;
    case udt_kind::object:
        if (!p.object_desc && !lib_->find_guid(*p.iid)) return false;
        target->guid = *p.iid;
        target->desc = p.object_desc ? &p.object_desc() : nullptr;
        return true;
    case udt_kind::none:
        break;
    }
    return false;
}

bool type_info_impl::add_ref_target(const ref_target& target)
{
    for (const ref_target& r : refs_)
        if (same_target(r, target)) return false;
    refs_.push_back(target);
    return true;
}

void type_info_impl::collect_refs()
{
    refs_.clear();
    if (desc) {
        ref_target base;
        if (desc->base) {
            base.guid = desc->base->iid;
            base.desc = desc->base;
        } else {
            base.guid = desc->dispatch ? IDispatch::iid : IID_IUnknown;
        }
        add_ref_target(base);
        for (const member_desc& m : desc->members)
            for (BYTE i = 0; i < m.count; ++i) {
                ref_target t;
                if (param_target(m.params[i], &t)) add_ref_target(t);
            }
    }
    for (const implemented& i : interfaces) add_ref_target(i.target);
}

bool type_info_impl::href_of(const ref_target& target, HREFTYPE* ref) const noexcept
{
    for (std::size_t i = 0; i < refs_.size(); ++i)
        if (same_target(refs_[i], target)) {
            *ref = static_cast<HREFTYPE>(i);
            return true;
        }
    return false;
}

HRESULT type_info_impl::GetRefTypeOfImplType(UINT index, HREFTYPE* ref) noexcept
{
    if (!ref) return E_INVALIDARG;
    if (desc) {
        // The base interface; the vtable view of a dual interface (index -1) is not provided.
        if (index != 0) return TYPE_E_ELEMENTNOTFOUND;
        *ref = 0;
        return S_OK;
    }
    if (index >= interfaces.size()) return TYPE_E_ELEMENTNOTFOUND;
    return href_of(interfaces[index].target, ref) ? S_OK : TYPE_E_ELEMENTNOTFOUND;
}

HRESULT type_info_impl::GetImplTypeFlags(UINT index, INT* flags) noexcept
{
    if (!flags) return E_INVALIDARG;
    if (desc) {
        if (index != 0) return TYPE_E_ELEMENTNOTFOUND;
        *flags = 0;
        return S_OK;
    }
    if (index >= interfaces.size()) return TYPE_E_ELEMENTNOTFOUND;
    *flags = kind_ == TKIND_COCLASS ? interfaces[index].flags : 0;
    return S_OK;
}

HRESULT type_info_impl::GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) noexcept
{
    if (!info) return E_INVALIDARG;
    *info = nullptr;
    if (ref >= refs_.size()) return TYPE_E_ELEMENTNOTFOUND;
    try {
        type_info_impl* target = lib_->resolve(refs_[ref]);
        if (!target) return TYPE_E_ELEMENTNOTFOUND;
        target->AddRef();
        *info = target;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT type_info_impl::GetContainingTypeLib(ITypeLib** lib, UINT* index) noexcept
{
    if (lib) {
        lib_->AddRef();
        *lib = lib_;
    }
    if (index) *index = index_;
    return S_OK;
}

// ---- Attributes ----------------------------------------------------------------------------

HRESULT type_info_impl::GetTypeAttr(TYPEATTR** attr) noexcept
{
    if (!attr) return E_INVALIDARG;
    TYPEATTR* a = new (std::nothrow) TYPEATTR{};
    if (!a) return E_OUTOFMEMORY;
    a->guid = guid;
    a->lcid = lib_->lcid();
    a->memidConstructor = MEMBERID_NIL;
    a->memidDestructor = MEMBERID_NIL;
    a->typekind = kind_;
    a->wTypeFlags = type_flags;
    a->cbAlignment = 8;
    a->cbSizeInstance = sizeof(void*);
    switch (kind_) {
    case TKIND_DISPATCH:
    case TKIND_INTERFACE:
        a->cImplTypes = desc ? 1 : static_cast<WORD>(interfaces.size());
        a->cFuncs = desc ? static_cast<WORD>(desc->members.size()) : 0;
        // A dispatch interface's vtable is IDispatch's seven slots.
        a->cbSizeVft = static_cast<WORD>(
            (kind_ == TKIND_DISPATCH || guid == IDispatch::iid ? 7 : 3) * sizeof(void*));
        break;
    case TKIND_ENUM:
        a->cVars = static_cast<WORD>(constants.size());
        a->cbSizeInstance = 4;
        a->cbAlignment = 4;
        break;
    case TKIND_COCLASS:
        a->cImplTypes = static_cast<WORD>(interfaces.size());
        break;
    case TKIND_ALIAS:
        a->tdescAlias.vt = alias_vt;
        a->cbSizeInstance = 4;
        a->cbAlignment = 4;
        break;
    default:
        break;
    }
    *attr = a;
    return S_OK;
}

void type_info_impl::ReleaseTypeAttr(TYPEATTR* attr) noexcept { delete attr; }

// ---- Names and documentation ---------------------------------------------------------------

HRESULT type_info_impl::names_of(const member_desc& m, BSTR* names, UINT max_names,
                                 UINT* count) noexcept
{
    UINT n = 0;
    auto put = [&](const OLECHAR* text) {
        if (n >= max_names) return S_OK;
        HRESULT hr = copy_name(name_view(text), &names[n]);
        if (SUCCEEDED(hr)) ++n;
        return hr;
    };
    HRESULT hr = put(m.name);
    for (BYTE i = 0; SUCCEEDED(hr) && i < m.visible && m.params[i].name; ++i)
        hr = put(m.params[i].name);
    if (FAILED(hr)) {
        while (n) SysFreeString(std::exchange(names[--n], nullptr));
        return hr;
    }
    *count = n;
    return S_OK;
}

HRESULT type_info_impl::GetNames(MEMBERID id, BSTR* names, UINT max_names, UINT* count) noexcept
{
    if (!count || (max_names && !names)) return E_INVALIDARG;
    *count = 0;
    if (desc) {
        const member_desc* m = desc->find_any(id);
        if (!m) return TYPE_E_ELEMENTNOTFOUND;
        return names_of(*m, names, max_names, count);
    }
    if (kind_ == TKIND_ENUM && id >= first_constant_id &&
        static_cast<std::size_t>(id - first_constant_id) < constants.size()) {
        if (max_names == 0) return S_OK;
        RETURN_IF_FAILED(copy_name(constants[static_cast<std::size_t>(id - first_constant_id)].name, names));
        *count = 1;
        return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT type_info_impl::GetDocumentation(MEMBERID id, BSTR* name_out, BSTR* doc_out,
                                         DWORD* help_context, BSTR* help_file) noexcept
{
    std::u16string_view n, d;
    if (id == MEMBERID_NIL) {
        n = name;
        d = doc;
    } else if (const member_desc* m = desc ? desc->find_any(id) : nullptr) {
        n = name_view(m->name);
        d = name_view(m->doc);
    } else if (kind_ == TKIND_ENUM && id >= first_constant_id &&
               static_cast<std::size_t>(id - first_constant_id) < constants.size()) {
        n = constants[static_cast<std::size_t>(id - first_constant_id)].name;
        d = constants[static_cast<std::size_t>(id - first_constant_id)].doc;
    } else {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    if (name_out) *name_out = nullptr;
    if (doc_out) *doc_out = nullptr;
    if (help_file) *help_file = nullptr;
    if (help_context) *help_context = 0;
    HRESULT hr = S_OK;
    if (name_out) hr = copy_name(n, name_out);
    if (SUCCEEDED(hr) && doc_out && !d.empty()) hr = copy_name(d, doc_out);
    const std::u16string& file = lib_->help_file();
    if (SUCCEEDED(hr) && help_file && !file.empty()) hr = copy_name(file, help_file);
    if (FAILED(hr)) {
        if (name_out) SysFreeString(std::exchange(*name_out, nullptr));
        if (doc_out) SysFreeString(std::exchange(*doc_out, nullptr));
    }
    return hr;
}

HRESULT type_info_impl::GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) noexcept
{
    if (desc) return ids_of_names(*desc, names, count, ids);
    if (count == 0) return S_OK;
    if (!names || !ids) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = MEMBERID_NIL;
    if (count == 1 && names[0])
        for (std::size_t i = 0; i < constants.size(); ++i)
            if (names_equal(constants[i].name, name_view(names[0]))) {
                ids[0] = static_cast<MEMBERID>(first_constant_id + i);
                return S_OK;
            }
    return DISP_E_UNKNOWNNAME;
}

// ---- Calls ---------------------------------------------------------------------------------

HRESULT type_info_impl::Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* arg_error) noexcept
{
    if (!desc) return DISP_E_MEMBERNOTFOUND;
    if (!instance) return E_INVALIDARG;
    // The instance is asked for the interface, so that a pointer to another interface of the
    // object still reaches the right vtable.
    void* self = nullptr;
    if (FAILED(static_cast<IUnknown*>(instance)->QueryInterface(desc->iid, &self)) || !self)
        return E_NOINTERFACE;
    IUnknown* unknown = static_cast<IUnknown*>(self);
    const HRESULT hr = invoke(*desc, unknown, id, lib_->lcid(), flags, params, result, exception,
                              arg_error);
    unknown->Release();
    return hr;
}

HRESULT type_info_impl::CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept
{
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (kind_ != TKIND_COCLASS) return TYPE_E_BADMODULEKIND;
    return CoCreateInstance(guid, outer, CLSCTX_INPROC_SERVER, riid, object);
}

// ---- Not provided --------------------------------------------------------------------------

HRESULT type_info_impl::GetTypeComp(ITypeComp** comp) noexcept
{
    if (comp) *comp = nullptr;
    return E_NOTIMPL;
}

HRESULT type_info_impl::GetDllEntry(MEMBERID, INVOKEKIND, BSTR* dll, BSTR* name,
                                    WORD* ordinal) noexcept
{
    if (dll) *dll = nullptr;
    if (name) *name = nullptr;
    if (ordinal) *ordinal = 0;
    return E_NOTIMPL;
}

HRESULT type_info_impl::AddressOfMember(MEMBERID, INVOKEKIND, void** address) noexcept
{
    if (address) *address = nullptr;
    return E_NOTIMPL;
}

HRESULT type_info_impl::GetMops(MEMBERID, BSTR* mops) noexcept
{
    if (mops) *mops = nullptr;
    return E_NOTIMPL;
}

}  // namespace com::automation
