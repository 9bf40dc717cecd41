// Choosing the registry or the built-in class table for the tool's elements; see
// element_classes.h.
#include "tools/zcnt/element_classes.h"

#include <utility>

#include "module/class_map.h"
#include "platform/com/class_table.h"
#include "platform/com/com_ptr.h"
#include "platform/com/guid.h"
#include "platform/com/result.h"
#include "platform/registry/registry.h"
#include "platform/shell/text.h"

namespace zcnt {
namespace {

// The default value of CLSID\{clsid}\InprocServer32, empty when there is none.
std::string server_of(REFCLSID clsid)
{
    const std::u16string key = u"CLSID\\" + com::format_guid_u16(clsid) + u"\\InprocServer32";
    HKEY server = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &server) != ERROR_SUCCESS)
        return {};
    std::u16string path(1024, u'\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(path.size() * sizeof(char16_t));
    const LSTATUS r = RegQueryValueExW(server, nullptr, nullptr, &type,
                                       reinterpret_cast<LPBYTE>(path.data()), &size);
    RegCloseKey(server);
    if (r != ERROR_SUCCESS || type != REG_SZ) return {};
    path.resize(size / sizeof(char16_t));
    while (!path.empty() && path.back() == u'\0') path.pop_back();
    return shell::utf16_to_utf8(path);
}

// Asked before anything is put into the process's table, so that a class object found here
// can only have come through the registry. One class the registry cannot serve (a library
// since moved or rebuilt with fewer classes) makes the tool use its own classes for all.
bool registry_serves_every_class()
{
    for (const cnt::module::class_entry& c : cnt::module::class_map()) {
        com::ComPtr<IClassFactory> factory;
        if (FAILED(CoGetClassObject(*c.clsid, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid,
                                    factory.put_void())))
            return false;
    }
    return true;
}

}  // namespace

HRESULT use_element_classes(element_classes* chosen) noexcept
{
    try {
        element_classes choice;
        const std::string library = server_of(*cnt::module::class_map().front().clsid);
        if (!library.empty() && registry_serves_every_class()) {
            choice = {true, library};
        } else {
            RETURN_IF_FAILED(cnt::module::register_classes());
        }
        if (chosen) *chosen = std::move(choice);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

std::string describe(const element_classes& chosen)
{
    if (chosen.from_registry) return "zcnt: classes from the registry (" + chosen.library + ")";
    return "zcnt: classes from the built-in table";
}

}  // namespace zcnt
