// Type libraries: the builder, the ITypeLib object, and the built-in and stand-alone
// libraries.
#include "platform/automation/type_library_impl.h"

#include <new>

#include "platform/automation/names.h"

namespace com::automation {
namespace {

constexpr GUID LIBID_stdole = com::make_guid("{00020430-0000-0000-C000-000000000046}");
constexpr GUID GUID_OLE_COLOR = com::make_guid("{66504301-BE0F-101A-8BBB-00AA00300CAB}");

HRESULT copy_bstr(const std::u16string& text, BSTR* out) noexcept
{
    if (!out) return S_OK;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Name and help string of a library or type into optional out pointers.
HRESULT documentation(const std::u16string& name, const std::u16string& doc,
                      const std::u16string& file, BSTR* name_out, BSTR* doc_out,
                      DWORD* context, BSTR* file_out) noexcept
{
    if (name_out) *name_out = nullptr;
    if (doc_out) *doc_out = nullptr;
    if (file_out) *file_out = nullptr;
    if (context) *context = 0;
    HRESULT hr = copy_bstr(name, name_out);
    if (SUCCEEDED(hr) && doc_out && !doc.empty()) hr = copy_bstr(doc, doc_out);
    if (SUCCEEDED(hr) && file_out && !file.empty()) hr = copy_bstr(file, file_out);
    if (FAILED(hr)) {
        if (name_out) SysFreeString(std::exchange(*name_out, nullptr));
        if (doc_out) SysFreeString(std::exchange(*doc_out, nullptr));
        if (file_out) SysFreeString(std::exchange(*file_out, nullptr));
    }
    return hr;
}

// Libraries built in this process, for find_type_library.
struct library_registry {
    std::mutex lock;
    std::vector<type_library*> libraries;
};
library_registry& registry()
{
    static library_registry* r = new library_registry;
    return *r;
}

}  // namespace

// ---- Builder -------------------------------------------------------------------------------

type_library_builder& type_library_builder::name(std::u16string_view text)
{
    name_ = text;
    return *this;
}
type_library_builder& type_library_builder::libid(REFGUID id)
{
    libid_ = id;
    return *this;
}
type_library_builder& type_library_builder::version(WORD major, WORD minor)
{
    major_ = major;
    minor_ = minor;
    return *this;
}
type_library_builder& type_library_builder::doc(std::u16string_view text)
{
    doc_ = text;
    return *this;
}
type_library_builder& type_library_builder::help_file(std::u16string_view path)
{
    help_file_ = path;
    return *this;
}

type_library_builder& type_library_builder::add_described(describe_fn describe)
{
    type_decl t;
    t.kind = TKIND_DISPATCH;
    t.describe = describe;
    types_.push_back(std::move(t));
    return *this;
}

type_library_builder& type_library_builder::add_enum_keyed(
    const void* key, std::u16string_view type_name, REFGUID guid,
    std::span<const enum_constant> constants, std::u16string_view text)
{
    type_decl t;
    t.kind = TKIND_ENUM;
    t.name = type_name;
    t.doc = text;
    t.guid = guid;
    t.enum_key = key;
    for (const enum_constant& c : constants)
        t.constants.push_back({c.name ? c.name : u"", c.doc ? c.doc : u"", c.value});
    types_.push_back(std::move(t));
    return *this;
}

type_library_builder& type_library_builder::add_coclass(
    std::u16string_view type_name, REFCLSID clsid,
    std::initializer_list<implemented_interface> interfaces, std::u16string_view text,
    WORD type_flags)
{
    type_decl t;
    t.kind = TKIND_COCLASS;
    t.name = type_name;
    t.doc = text;
    t.guid = clsid;
    t.type_flags = type_flags;
    bool has_default = false;
    for (const implemented_interface& i : interfaces) {
        t.interfaces.push_back({i.iid, i.desc, i.flags});
        has_default = has_default || (i.flags & IMPLTYPEFLAG_FDEFAULT);
    }
    // A coclass always has a default interface: the first one unless another says so.
    if (!has_default && !t.interfaces.empty()) t.interfaces[0].flags |= IMPLTYPEFLAG_FDEFAULT;
    types_.push_back(std::move(t));
    return *this;
}

type_library_builder& type_library_builder::add_plain_interface(std::u16string_view type_name,
                                                                REFIID iid, const IID* base)
{
    type_decl t;
    t.kind = TKIND_INTERFACE;
    t.name = type_name;
    t.guid = iid;
    t.has_base = base != nullptr;
    if (base) t.base = *base;
    types_.push_back(std::move(t));
    return *this;
}

type_library_builder& type_library_builder::add_alias(std::u16string_view type_name,
                                                      REFGUID guid, VARTYPE vt)
{
    type_decl t;
    t.kind = TKIND_ALIAS;
    t.name = type_name;
    t.guid = guid;
    t.alias_vt = vt;
    types_.push_back(std::move(t));
    return *this;
}

// ---- Library -------------------------------------------------------------------------------

type_library::type_library(type_library_builder&& decl, bool grows)
    : name_(std::move(decl.name_)),
      doc_(std::move(decl.doc_)),
      help_file_(std::move(decl.help_file_)),
      libid_(decl.libid_),
      major_(decl.major_),
      minor_(decl.minor_),
      grows_(grows)
{
    for (auto& t : decl.types_) {
        if (t.describe) {
            add_described(t.describe());
            continue;
        }
        auto info = std::make_unique<type_info_impl>(this, static_cast<UINT>(infos_.size()), t.kind);
        info->name = std::move(t.name);
        info->doc = std::move(t.doc);
        info->guid = t.guid;
        info->enum_key = t.enum_key;
        info->type_flags = t.type_flags;
        info->alias_vt = t.alias_vt;
        for (auto& c : t.constants) info->constants.push_back({std::move(c.name), std::move(c.doc), c.value});
        for (auto& i : t.interfaces) {
            ref_target target;
            target.guid = i.iid;
            target.desc = i.desc ? &i.desc() : nullptr;
            info->interfaces.push_back({target, i.flags});
        }
        if (t.has_base) {
            ref_target target;
            target.guid = t.base;
            info->interfaces.push_back({target, 0});
        }
        infos_.push_back(std::move(info));
    }
    // References are collected once every type exists, so that they can see each other.
    for (auto& info : infos_) info->collect_refs();
}

type_info_impl* type_library::add_described(const interface_desc& desc)
{
    auto info = std::make_unique<type_info_impl>(
        this, static_cast<UINT>(infos_.size()), desc.dispatch ? TKIND_DISPATCH : TKIND_INTERFACE);
    info->name = desc.name ? desc.name : u"";
    info->doc = desc.doc ? desc.doc : u"";
    info->guid = desc.iid;
    info->desc = &desc;
    info->type_flags = desc.dispatch ? TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE : 0;
    infos_.push_back(std::move(info));
    return infos_.back().get();
}

HRESULT type_library::QueryInterface(REFIID riid, void** object) noexcept
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ITypeLib) {
        *object = static_cast<ITypeLib*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

type_info_impl* type_library::at(UINT index) const noexcept
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return index < infos_.size() ? infos_[index].get() : nullptr;
}

type_info_impl* type_library::find_guid(REFGUID guid) const noexcept
{
    if (guid == GUID_NULL) return nullptr;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (const auto& info : infos_)
        if (info->guid == guid && info->kind() != TKIND_COCLASS) return info.get();
    return nullptr;
}

bool type_library::declares_enum(const void* key) const noexcept
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (const auto& info : infos_)
        if (info->kind() == TKIND_ENUM && info->enum_key == key) return true;
    return false;
}

type_info_impl* type_library::info_for(const interface_desc& desc)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (const auto& info : infos_)
        if (info->desc == &desc || (info->desc && info->guid == desc.iid)) return info.get();
    if (!grows_) return nullptr;
    type_info_impl* added = add_described(desc);
    try {
        added->collect_refs();
    } catch (...) {
        infos_.pop_back();
        throw;
    }
    return added;
}

type_info_impl* type_library::resolve(const ref_target& target)
{
    if (target.color) return builtin_library().find_guid(GUID_OLE_COLOR);
    if (target.enum_key) {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        for (const auto& info : infos_)
            if (info->kind() == TKIND_ENUM && info->enum_key == target.enum_key) return info.get();
        return nullptr;
    }
    if (type_info_impl* own = find_guid(target.guid)) return own;
    if (this != &builtin_library())
        if (type_info_impl* system = builtin_library().find_guid(target.guid)) return system;
    if (target.desc) return standalone_library().info_for(*target.desc);
    return nullptr;
}

UINT type_library::GetTypeInfoCount() noexcept
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return static_cast<UINT>(infos_.size());
}

HRESULT type_library::GetTypeInfo(UINT index, ITypeInfo** info) noexcept
{
    if (!info) return E_INVALIDARG;
    *info = at(index);
    if (!*info) return TYPE_E_ELEMENTNOTFOUND;
    (*info)->AddRef();
    return S_OK;
}

HRESULT type_library::GetTypeInfoType(UINT index, TYPEKIND* kind) noexcept
{
    if (!kind) return E_INVALIDARG;
    type_info_impl* info = at(index);
    if (!info) return TYPE_E_ELEMENTNOTFOUND;
    *kind = info->kind();
    return S_OK;
}

HRESULT type_library::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) noexcept
{
    if (!info) return E_INVALIDARG;
    *info = nullptr;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (const auto& t : infos_)
        if (t->guid == guid) {
            *info = t.get();
            (*info)->AddRef();
            return S_OK;
        }
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT type_library::GetLibAttr(TLIBATTR** attr) noexcept
{
    if (!attr) return E_INVALIDARG;
    *attr = new (std::nothrow) TLIBATTR{};
    if (!*attr) return E_OUTOFMEMORY;
    (*attr)->guid = libid_;
    (*attr)->lcid = lcid();
    (*attr)->syskind = SYS_WIN64;
    (*attr)->wMajorVerNum = major_;
    (*attr)->wMinorVerNum = minor_;
    (*attr)->wLibFlags = 0;
    return S_OK;
}

void type_library::ReleaseTLibAttr(TLIBATTR* attr) noexcept { delete attr; }

HRESULT type_library::GetTypeComp(ITypeComp** comp) noexcept
{
    if (comp) *comp = nullptr;
    return E_NOTIMPL;
}

HRESULT type_library::GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* help_context,
                                       BSTR* help_file) noexcept
{
    if (index == -1)
        return documentation(name_, doc_, help_file_, name, doc, help_context, help_file);
    if (index < 0) return TYPE_E_ELEMENTNOTFOUND;
    type_info_impl* info = at(static_cast<UINT>(index));
    if (!info) return TYPE_E_ELEMENTNOTFOUND;
    return documentation(info->name, info->doc, help_file_, name, doc, help_context, help_file);
}

HRESULT type_library::IsName(LPOLESTR name, ULONG, BOOL* found) noexcept
{
    if (!name || !found) return E_INVALIDARG;
    *found = FALSE;
    const std::u16string_view key = name_view(name);
    auto matched = [&](std::u16string_view stored) {
        if (!names_equal(stored, key)) return false;
        // As the system does, the buffer gets the library's spelling of the name.
        for (std::size_t i = 0; i < stored.size(); ++i) name[i] = stored[i];
        *found = TRUE;
        return true;
    };
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (const auto& info : infos_) {
        if (matched(info->name)) return S_OK;
        if (info->desc)
            for (const member_desc& m : info->desc->members)
                if (matched(name_view(m.name))) return S_OK;
        for (const auto& c : info->constants)
            if (matched(c.name)) return S_OK;
    }
    return S_OK;
}

HRESULT type_library::FindName(LPOLESTR name, ULONG, ITypeInfo** infos, MEMBERID* ids,
                               USHORT* found) noexcept
{
    if (!name || !infos || !ids || !found) return E_INVALIDARG;
    const USHORT room = *found;
    USHORT count = 0;
    const std::u16string_view key = name_view(name);
    auto add = [&](type_info_impl* info, MEMBERID id) {
        if (count >= room) return;
        info->AddRef();
        infos[count] = info;
        ids[count] = id;
        ++count;
    };
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (const auto& info : infos_) {
        if (names_equal(info->name, key)) {
            add(info.get(), MEMBERID_NIL);
            continue;
        }
        if (info->desc)
            for (const member_desc& m : info->desc->members)
                if (names_equal(name_view(m.name), key)) {
                    add(info.get(), m.id);
                    break;
                }
        for (std::size_t i = 0; i < info->constants.size(); ++i)
            if (names_equal(info->constants[i].name, key)) {
                add(info.get(), static_cast<MEMBERID>(0x40000000 + i));
                break;
            }
    }
    *found = count;
    return S_OK;
}

// ---- The process's libraries ----------------------------------------------------------------

type_library& builtin_library()
{
    static type_library* lib = [] {
        type_library_builder b;
        b.name(u"stdole").libid(LIBID_stdole).version(2, 0).doc(u"OLE Automation");
        b.add_plain_interface(u"IUnknown", IID_IUnknown, nullptr);
        b.add_plain_interface(u"IDispatch", IDispatch::iid, &IID_IUnknown);
        b.add_alias(u"OLE_COLOR", GUID_OLE_COLOR, VT_UI4);
        return new type_library(std::move(b));
    }();
    return *lib;
}

type_library& standalone_library()
{
    static type_library* lib = new type_library(type_library_builder{}, true);
    return *lib;
}

HRESULT standalone_type_info(const interface_desc& desc, ITypeInfo** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        type_info_impl* info = standalone_library().info_for(desc);
        if (!info) return TYPE_E_ELEMENTNOTFOUND;
        info->AddRef();
        *out = info;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT find_type_library(REFGUID libid, WORD major, WORD minor, ITypeLib** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    library_registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    for (type_library* lib : r.libraries)
        if (lib->libid() == libid && lib->major() == major && lib->minor() >= minor) {
            lib->AddRef();
            *out = lib;
            return S_OK;
        }
    return TYPE_E_LIBNOTREGISTERED;
}

namespace detail {

HRESULT build_library(void (*declare)(type_library_builder&), type_library** out) noexcept
{
    try {
        type_library_builder b;
        declare(b);
        auto lib = std::make_unique<type_library>(std::move(b));
        library_registry& r = registry();
        std::lock_guard<std::mutex> guard(r.lock);
        r.libraries.push_back(lib.get());
        *out = lib.release();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT library_type_info(type_library* lib, const interface_desc& desc, ITypeInfo** out) noexcept
{
    try {
        type_info_impl* info = lib->info_for(desc);
        if (!info) return TYPE_E_ELEMENTNOTFOUND;
        info->AddRef();
        *out = info;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT library_interface(type_library* lib, ITypeLib** out) noexcept
{
    lib->AddRef();
    *out = lib;
    return S_OK;
}

}  // namespace detail
}  // namespace com::automation
