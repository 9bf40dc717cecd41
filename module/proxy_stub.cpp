// The proxy-stub factory of ContentElementsLib's interfaces, in the order the module's proxy
// table lists them.
#include "module/proxy_stub.h"

#include <new>
#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_field_parts.h"
#include "contentelements/cnt_fields.h"
#include "contentelements/cnt_image.h"
#include "contentelements/cnt_link.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/cnt_textmark.h"
#include "platform/automation/proxy.h"
#include "platform/com/rpc.h"
#include "platform/registry/proxy_registration.h"

namespace cnt::module {
namespace {

using factory_type = com::automation::ps_factory<
    IZCntElementFormField, IZCntElementImage, IZCntElementFieldGroup, IZCntElementFieldRadio,
    IZCntElementFieldList, IZCntElementStamp, IZCntElementContainer, IZCntElementPageBreak,
    IZCntElementFieldDateTime, IZCntChoiceFieldOptionCollection, IZCntElementFieldCombo,
    IZCntElementBase, IZCntElementFieldText, IZCntElementLink, IZCntElementFieldButton,
    IZCntTextAttributes, IZCntElementInfo, IZCntElementFieldCheck, IZCntElementTextMark,
    IZCntChoiceFieldOption, IZCntElementNote, IZCntFormFieldAppearance>;

factory_type factory;

template <typename... I>
HRESULT register_all(com::automation::ps_factory<I...>*) noexcept
{
    HRESULT hr = S_OK;
    ((hr = SUCCEEDED(hr) ? CoRegisterPSClsid(com::iid_of<I>(), CLSID_ContentElementsPS) : hr), ...);
    return hr;
}

std::vector<registry::proxy_interface> proxy_interfaces()
{
    std::vector<registry::proxy_interface> out;
    factory_type::for_each_interface([&](REFIID iid, const char16_t* name, unsigned methods) {
        out.push_back({iid, name, methods});
    });
    return out;
}

}  // namespace

HRESULT proxy_stub_class_object(REFCLSID clsid, REFIID riid, void** ppv) noexcept
{
    if (clsid != CLSID_ContentElementsPS) {
        if (ppv) *ppv = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return factory.QueryInterface(riid, ppv);
}

HRESULT proxy_stub_can_unload() noexcept
{
    return com::automation::live_proxy_stub_objects() == 0 ? S_OK : S_FALSE;
}

HRESULT register_proxy_stub_interfaces() noexcept { return register_all(&factory); }

HRESULT register_proxy_stub_server(std::u16string_view module_path) noexcept
{
    try {
        return registry::register_proxy(module_path, proxy_interfaces(), CLSID_ContentElementsPS);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT unregister_proxy_stub_server() noexcept
{
    try {
        return registry::unregister_proxy(proxy_interfaces(), CLSID_ContentElementsPS);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace cnt::module
