// Registration of the module in the registry: the application id, each class of the class map
// by its own script, and ContentElementsLib.
#include "module/server_registration.h"

#include <iterator>
#include <new>
#include <string>

#include "contentelements/cnt_types.h"
#include "contentelements/libraries.h"
#include "module/class_map.h"
#include "module/proxy_stub.h"
#include "module/registrar_scripts.h"
#include "platform/registry/registrar.h"
#include "platform/registry/type_library_registration.h"
#include "platform/shell/locale_info.h"
#include "platform/shell/text.h"

namespace cnt::module {
namespace {

using script_runner = HRESULT (*)(std::u16string_view, std::span<const registry::replacement>) noexcept;

struct script_context {
    std::u16string module, quoted_module, appid;
    registry::replacement bound[2];

    explicit script_context(std::string_view path)
        : module(shell::utf8_to_utf16(path)),
          quoted_module(registry::quote_for_script(module)),
          appid(com::format_guid_u16(APPID_ContentElements)),
          bound{{u"MODULE", quoted_module}, {u"APPID", appid}}
    {
    }

    HRESULT run(WORD id, script_runner runner) const
    {
        std::u16string text;
        if (!registrar_script(id, &text)) return E_UNEXPECTED;
        return runner(text, {bound, std::size(bound)});
    }
};

// The module's scripts run in the system's locale, whatever the calling thread had set.
class system_locale {
public:
    system_locale() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~system_locale() { SetThreadLocale(saved_); }
    system_locale(const system_locale&) = delete;
    system_locale& operator=(const system_locale&) = delete;

private:
    LCID saved_;
};

HRESULT register_module(const script_context& scripts)
{
    const system_locale locale;
    RETURN_IF_FAILED(scripts.run(kAppIdScript, &registry::register_script));
    for (const class_entry& c : class_map())
        RETURN_IF_FAILED(scripts.run(c.script, &registry::register_script));
    com::ComPtr<ITypeLib> lib;
    RETURN_IF_FAILED(com::automation::get_type_library<ContentElementsLib>(lib.put()));
    // The library names no help file, so no help folder is given.
    return RegisterTypeLib(lib.get(), scripts.module.c_str(), nullptr);
}

HRESULT register_all(std::string_view path)
{
    const script_context scripts(path);
    RETURN_IF_FAILED(register_module(scripts));
    // Last, so that the interfaces are marshalled by the module's own factory rather than by
    // the automation marshaller the type library names.
    return register_proxy_stub_server(scripts.module);
}

HRESULT unregister_module(const script_context& scripts)
{
    const system_locale locale;
    for (const class_entry& c : class_map())
        RETURN_IF_FAILED(scripts.run(c.script, &registry::unregister_script));
    com::ComPtr<ITypeLib> lib;
    RETURN_IF_FAILED(com::automation::get_type_library<ContentElementsLib>(lib.put()));
    TLIBATTR* attr = nullptr;
    RETURN_IF_FAILED(lib->GetLibAttr(&attr));
    const TLIBATTR a = *attr;
    lib->ReleaseTLibAttr(attr);
    RETURN_IF_FAILED(UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind));
    return scripts.run(kAppIdScript, &registry::unregister_script);
}

HRESULT unregister_all(std::string_view path)
{
    const script_context scripts(path);
    RETURN_IF_FAILED(unregister_module(scripts));
    // The factory's entries are written once more before they go, so that what the type
    // library's removal took from the interface keys is removed whole as well.
    RETURN_IF_FAILED(register_proxy_stub_server(scripts.module));
    return unregister_proxy_stub_server();
}

}  // namespace

HRESULT register_server(std::string_view module_path) noexcept
{
    try {
        return register_all(module_path);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT unregister_server(std::string_view module_path) noexcept
{
    try {
        return unregister_all(module_path);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace cnt::module
