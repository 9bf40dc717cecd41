// Type library registration as a registration script built from the library's own attributes.
#include "platform/registry/type_library_registration.h"

#include <new>

#include "platform/automation/type_library.h"
#include "platform/com/com_ptr.h"
#include "platform/com/raii.h"
#include "platform/registry/registrar.h"

namespace registry {
namespace {

// The automation marshaller, which marshals any interface its type library describes.
constexpr char16_t kAutomationMarshaller[] = u"{00020424-0000-0000-C000-000000000046}";

// `text` as a quoted word of the script: quotes doubled, and % doubled so that variable
// replacement leaves it as it is.
std::u16string literal(std::u16string_view text)
{
    std::u16string out = u"'";
    for (char16_t c : text) {
        out.push_back(c);
        if (c == u'\'' || c == u'%') out.push_back(c);
    }
    out.push_back(u'\'');
    return out;
}

std::u16string hex(unsigned n)
{
    static constexpr char16_t digits[] = u"0123456789abcdef";
    std::u16string out;
    do {
        out.insert(out.begin(), digits[n % 16]);
        n /= 16;
    } while (n);
    return out;
}

std::u16string decimal(unsigned n)
{
    std::u16string out;
    do {
        out.insert(out.begin(), static_cast<char16_t>(u'0' + n % 10));
        n /= 10;
    } while (n);
    return out;
}

// The folder beneath the locale that names the file for this kind of system.
std::u16string_view system_name(SYSKIND kind)
{
    switch (kind) {
    case SYS_WIN16: return u"win16";
    case SYS_WIN32: return u"win32";
    case SYS_MAC: return u"mac";
    case SYS_WIN64: break;
    }
    return u"linux64";
}

struct lib_attributes {
    TLIBATTR attr{};
    std::u16string title;
};

HRESULT read_attributes(ITypeLib* lib, lib_attributes* out)
{
    TLIBATTR* attr = nullptr;
    RETURN_IF_FAILED(lib->GetLibAttr(&attr));
    out->attr = *attr;
    lib->ReleaseTLibAttr(attr);
    com::Bstr name, doc;
    RETURN_IF_FAILED(lib->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr));
    out->title = doc.view().empty() ? name.view() : doc.view();
    return S_OK;
}

// The interface keys: every dispatch interface, and every interface marked as automation
// compatible, is marshalled through the library.
HRESULT append_interfaces(ITypeLib* lib, const std::u16string& libid,
                          const std::u16string& version, std::u16string* script)
{
    for (UINT i = 0, n = lib->GetTypeInfoCount(); i < n; ++i) {
        com::ComPtr<ITypeInfo> info;
        RETURN_IF_FAILED(lib->GetTypeInfo(i, info.put()));
        TYPEATTR* attr = nullptr;
        RETURN_IF_FAILED(info->GetTypeAttr(&attr));
        const TYPEKIND kind = attr->typekind;
        const WORD flags = attr->wTypeFlags;
        const GUID iid = attr->guid;
        info->ReleaseTypeAttr(attr);
        if (kind != TKIND_DISPATCH &&
            !(kind == TKIND_INTERFACE && (flags & (TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDUAL))))
            continue;
        com::Bstr name;
        RETURN_IF_FAILED(lib->GetDocumentation(static_cast<INT>(i), name.put(), nullptr,
                                               nullptr, nullptr));
        *script += u"        " + literal(com::format_guid_u16(iid)) + u" = s " +
                   literal(name.view()) + u"\n        {\n";
        *script += u"            ProxyStubClsid = s " + literal(kAutomationMarshaller) + u"\n";
        *script += u"            ProxyStubClsid32 = s " + literal(kAutomationMarshaller) + u"\n";
        *script += u"            TypeLib = s " + literal(libid) + u"\n            {\n" +
                   u"                val Version = s " + literal(version) +
                   u"\n            }\n        }\n";
    }
    return S_OK;
}

}  // namespace

HRESULT type_library_script(ITypeLib* lib, std::u16string_view help_dir, std::u16string* out)
{
    lib_attributes a;
    RETURN_IF_FAILED(read_attributes(lib, &a));
    const std::u16string libid = com::format_guid_u16(a.attr.guid);
    const std::u16string version = hex(a.attr.wMajorVerNum) + u"." + hex(a.attr.wMinorVerNum);
    std::u16string& s = *out;
    s = u"HKCR\n{\n    TypeLib\n    {\n";
    s += u"        " + literal(libid) + u"\n        {\n";
    s += u"            " + literal(version) + u" = s " + literal(a.title) + u"\n            {\n";
    s += u"                " + literal(hex(a.attr.lcid)) + u"\n                {\n";
    s += u"                    " + literal(system_name(a.attr.syskind)) +
         u" = s '%MODULE%'\n                }\n";
    s += u"                FLAGS = s " + literal(decimal(a.attr.wLibFlags)) + u"\n";
    s += u"                HELPDIR";
    if (!help_dir.empty()) s += u" = s " + literal(help_dir);
    s += u"\n            }\n        }\n    }\n    Interface\n    {\n";
    RETURN_IF_FAILED(append_interfaces(lib, libid, version, &s));
    s += u"    }\n}\n";
    return S_OK;
}

}  // namespace registry

namespace {

HRESULT run_script(ITypeLib* lib, std::u16string_view path, std::u16string_view help_dir,
                   bool registering) noexcept
{
    try {
        std::u16string script;
        RETURN_IF_FAILED(registry::type_library_script(lib, help_dir, &script));
        const std::u16string quoted = registry::quote_for_script(path);
        const registry::replacement module{u"MODULE", quoted};
        return registering ? registry::register_script(script, {&module, 1})
                           : registry::unregister_script(script, {&module, 1});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace

HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR full_path, LPCOLESTR help_dir) noexcept
{
    if (!lib || !full_path || !*full_path) return E_INVALIDARG;
    return run_script(lib, full_path, help_dir ? help_dir : u"", true);
}

HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid,
                          SYSKIND syskind) noexcept
{
    com::ComPtr<ITypeLib> lib;
    RETURN_IF_FAILED(com::automation::find_type_library(libid, major, minor, lib.put()));
    TLIBATTR* attr = nullptr;
    RETURN_IF_FAILED(lib->GetLibAttr(&attr));
    const bool same = attr->wMinorVerNum == minor && attr->lcid == lcid &&
                      attr->syskind == syskind;
    lib->ReleaseTLibAttr(attr);
    if (!same) return TYPE_E_LIBNOTREGISTERED;
    // The file's name is not needed to remove the keys: only their names are compared.
    return run_script(lib.get(), u"-", u"", false);
}
