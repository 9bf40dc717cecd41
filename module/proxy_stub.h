// The module's proxy/stub part: the proxy-stub factory for the library's own 22 dual
// interfaces, asked before the class map. Its proxies and stubs are generated from the
// interfaces' member tables (platform/automation/proxy.h); while any is alive the module
// cannot unload.
#pragma once

#include <string_view>

#include "contentelements/cnt_formfield.h"
#include "platform/com/com.h"

namespace cnt::module {

// The proxy-stub factory's class id is the id of the first interface it marshals.
constexpr CLSID CLSID_ContentElementsPS = IZCntElementFormField::iid;

// S_OK with the factory's `riid` interface (IPSFactoryBuffer, IUnknown) when `clsid` is the
// proxy-stub factory's; CLASS_E_CLASSNOTAVAILABLE for any other class id.
HRESULT proxy_stub_class_object(REFCLSID clsid, REFIID riid, void** ppv) noexcept;
// S_OK when no proxy or stub of the factory is alive, else S_FALSE.
HRESULT proxy_stub_can_unload() noexcept;
// Maps every interface of the factory to its class id in this process (CoRegisterPSClsid), for
// a client that registered the factory as a class object rather than in the registry.
HRESULT register_proxy_stub_interfaces() noexcept;
// The factory's registry entries (Interface\{IID}\ProxyStubClsid32 for each interface and the
// factory's own class key naming `module_path`), and their removal.
HRESULT register_proxy_stub_server(std::u16string_view module_path) noexcept;
HRESULT unregister_proxy_stub_server() noexcept;

}  // namespace cnt::module
