// The module's proxy/stub part: the class object that marshals the library's own interfaces,
// asked before the class map. Marshalling across apartments is not provided yet, so it knows no
// class and never keeps the module loaded.
#pragma once

#include "contentelements/cnt_formfield.h"
#include "platform/com/com.h"

namespace cnt::module {

// The proxy-stub factory's class id is the id of the first interface it marshals.
constexpr CLSID CLSID_ContentElementsPS = IZCntElementFormField::iid;

// S_OK with the class object when `clsid` is the proxy-stub factory's; otherwise
// CLASS_E_CLASSNOTAVAILABLE.
HRESULT proxy_stub_class_object(REFCLSID clsid, REFIID riid, void** ppv) noexcept;
// S_OK when the proxy/stub part holds nothing alive.
HRESULT proxy_stub_can_unload() noexcept;

}  // namespace cnt::module
