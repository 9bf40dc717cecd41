// The registry entries of a module's proxy-stub factory, as the RPC runtime writes them.
//
// Registering sets, for each interface, Interface\{IID} to the interface's name with
// ProxyStubClsid32 (the factory's class id) and NumMethods (its vtable's length, in decimal)
// beneath it, then CLSID\{factory} to "PSFactoryBuffer" with InProcServer32 naming the module
// and ThreadingModel "Both". Unregistering removes each of those keys with its whole tree, and
// the Interface folder when nothing else is left in it.
// Either is one change of the registry file: all of it or nothing, HRESULT_FROM_WIN32 of the
// registry's code when it fails.
#pragma once

#include <span>
#include <string_view>

#include "platform/com/guid.h"
#include "platform/com/types.h"

namespace registry {

struct proxy_interface {
    GUID iid;
    std::u16string_view name;
    unsigned methods;
};

HRESULT register_proxy(std::u16string_view module_path,
                       std::span<const proxy_interface> interfaces, REFCLSID factory) noexcept;
HRESULT unregister_proxy(std::span<const proxy_interface> interfaces, REFCLSID factory) noexcept;

}  // namespace registry
