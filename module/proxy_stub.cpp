// The proxy/stub part of the module, without proxies: every request is refused, so that a
// client asking for the proxy-stub factory gets a clear CLASS_E_CLASSNOTAVAILABLE rather than
// an element.
#include "module/proxy_stub.h"

namespace cnt::module {

HRESULT proxy_stub_class_object(REFCLSID, REFIID, void** ppv) noexcept
{
    if (ppv) *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT proxy_stub_can_unload() noexcept { return S_OK; }

}  // namespace cnt::module
