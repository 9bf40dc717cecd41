// The proxy-stub factory's keys, written and removed in one registry change.
#include "platform/registry/proxy_registration.h"

#include <new>
#include <string>
#include <vector>

#include "platform/registry/key_tree.h"
#include "platform/registry/reg_store.h"
#include "platform/registry/registry.h"
#include "platform/shell/text.h"

namespace registry {
namespace {

std::vector<BYTE> string_data(std::u16string_view text)
{
    std::vector<BYTE> data;
    data.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

void set_default(key* at, std::u16string_view text)
{
    at->set_value(u"", REG_SZ, string_data(text));
}

HRESULT result_of(LONG r)
{
    if (r == ERROR_SUCCESS) return S_OK;
    if (r == static_cast<LONG>(ERROR_NOT_ENOUGH_MEMORY)) return E_OUTOFMEMORY;
    return HRESULT_FROM_WIN32(static_cast<std::uint32_t>(r));
}

}  // namespace

HRESULT register_proxy(std::u16string_view module_path,
                       std::span<const proxy_interface> interfaces, REFCLSID factory) noexcept
{
    if (module_path.empty()) return E_INVALIDARG;
    try {
        const std::u16string clsid = com::format_guid_u16(factory);
        return result_of(change_registry([&](key& root) -> LONG {
            for (const proxy_interface& i : interfaces) {
                key* at = create(root, {u"Interface", com::format_guid_u16(i.iid)});
                set_default(at, i.name);
                set_default(at->add_child(u"ProxyStubClsid32"), clsid);
                const std::u16string methods = shell::utf8_to_utf16(std::to_string(i.methods));
                set_default(at->add_child(u"NumMethods"), methods);
            }
            key* server = create(root, {u"CLSID", clsid});
            set_default(server, u"PSFactoryBuffer");
            key* inproc = server->add_child(u"InProcServer32");
            set_default(inproc, module_path);
            inproc->set_value(u"ThreadingModel", REG_SZ, string_data(u"Both"));
            return ERROR_SUCCESS;
        }));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT unregister_proxy(std::span<const proxy_interface> interfaces, REFCLSID factory) noexcept
{
    try {
        return result_of(change_registry([&](key& root) -> LONG {
            for (const proxy_interface& i : interfaces)
                remove_tree(root, {u"Interface", com::format_guid_u16(i.iid)});
            // The interfaces' folder goes when it empties, as a type library's script leaves it;
            // the class folder stays, as every class script keeps it.
            if (const key* all = root.find_child(u"Interface"); all && all->subkeys.empty())
                root.remove_child(u"Interface");
            remove_tree(root, {u"CLSID", com::format_guid_u16(factory)});
            return ERROR_SUCCESS;
        }));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace registry
