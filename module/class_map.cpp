// The class-object map and the process registration of its classes.
#include "module/class_map.h"

#include <array>
#include <string>

#include "contentelements/cnt_types.h"
#include "container/element_container.h"
#include "contentelements/cnt_fields.h"
#include "elements/image/image.h"
#include "elements/link/link.h"
#include "elements/note/note.h"
#include "elements/pagebreak/pagebreak.h"
#include "elements/stamp/stamp.h"
#include "elements/textmark/textmark.h"
#include "fields/field_classes.h"
#include "platform/com/sync.h"

namespace cnt::module {
namespace {

using com::automation::implements;

// The standard class factory over a creation function.
class function_factory : public com::object_root<function_factory, IClassFactory> {
public:
    explicit function_factory(create_fn create) noexcept : create_(create) {}
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept override
    {
        return create_(outer, riid, object);
    }
    HRESULT LockServer(BOOL lock) noexcept override
    {
        if (lock)
            com::module_lock();
        else
            com::module_unlock();
        return S_OK;
    }

private:
    create_fn create_;
};

// Registration and unregistration visit the classes in this order.
constexpr std::array entries{
    class_entry{&CLSID_ZCntElementContainer, u"ZCntElementContainer", &create_element_container,
                &implements<IZCntElementContainer>},
    class_entry{&CLSID_ZCntElementFieldButton, u"ZCntElementFieldButton",
                &fields::create_field_button, &implements<IZCntElementFieldButton>},
    class_entry{&CLSID_ZCntElementFieldCheck, u"ZCntElementFieldCheck", &fields::create_field_check,
                &implements<IZCntElementFieldCheck>},
    class_entry{&CLSID_ZCntElementFieldCombo, u"ZCntElementFieldCombo", &fields::create_field_combo,
                &implements<IZCntElementFieldCombo>},
    class_entry{&CLSID_ZCntElementFieldDateTime, u"ZCntElementFieldDateTime",
                &fields::create_field_date_time, &implements<IZCntElementFieldDateTime>},
    class_entry{&CLSID_ZCntElementFieldGroup, u"ZCntElementFieldGroup", &fields::create_field_group,
                &implements<IZCntElementFieldGroup>},
    class_entry{&CLSID_ZCntElementFieldList, u"ZCntElementFieldList", &fields::create_field_list,
                &implements<IZCntElementFieldList>},
    class_entry{&CLSID_ZCntElementFieldRadio, u"ZCntElementFieldRadio", &fields::create_field_radio,
                &implements<IZCntElementFieldRadio>},
    class_entry{&CLSID_ZCntElementFieldText, u"ZCntElementFieldText", &fields::create_field_text,
                &implements<IZCntElementFieldText>},
    class_entry{&CLSID_ZCntElementImage, u"ZCntElementImage", &create_image,
                &implements<IZCntElementImage>},
    class_entry{&CLSID_ZCntElementLink, u"ZCntElementLink", &create_link,
                &implements<IZCntElementLink>},
    class_entry{&CLSID_ZCntElementNote, u"ZCntElementNote", &create_note,
                &implements<IZCntElementNote>},
    class_entry{&CLSID_ZCntElementPageBreak, u"ZCntElementPageBreak", &create_page_break,
                &implements<IZCntElementPageBreak>},
    class_entry{&CLSID_ZCntElementStamp, u"ZCntElementStamp", &create_stamp,
                &implements<IZCntElementStamp>},
    class_entry{&CLSID_ZCntElementTextMark, u"ZCntElementTextMark", &create_textmark,
                &implements<IZCntElementTextMark>},
};

struct registration {
    DWORD cookie = 0;
};

std::array<IClassFactory*, entries.size()> factories{};
std::array<registration, entries.size()> registrations{};
CZCriticalSection factory_lock;

}  // namespace

std::span<const class_entry> class_map() noexcept { return entries; }

HRESULT get_class_object(REFCLSID clsid, REFIID riid, void** ppv) noexcept
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (*entries[i].clsid != clsid) continue;
        if (!factories[i]) {
            factory_lock.Enter();
            if (!factories[i]) {
                function_factory* made = nullptr;
                // The cached factory does not count as a live object of the module.
                if (SUCCEEDED(com::make<function_factory>(&made, entries[i].create))) {
                    factories[i] = made;
                    com::module_unlock();
                }
            }
            factory_lock.Leave();
        }
        if (!factories[i]) return E_OUTOFMEMORY;
        const HRESULT hr = factories[i]->QueryInterface(riid, ppv);
        if (SUCCEEDED(hr) && !*ppv) return CLASS_E_CLASSNOTAVAILABLE;
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT register_classes() noexcept
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (registrations[i].cookie != 0) continue;
        com::ComPtr<IUnknown> factory;
        RETURN_IF_FAILED(get_class_object(*entries[i].clsid, IID_IUnknown, factory.put_void()));
        RETURN_IF_FAILED(CoRegisterClassObject(*entries[i].clsid, factory.get(),
                                               CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                               &registrations[i].cookie));
        std::u16string progid = std::u16string(u"Orvane.") + entries[i].coclass;
        RETURN_IF_FAILED(com::register_progid(progid, *entries[i].clsid));
        RETURN_IF_FAILED(com::register_progid(progid + u".1", *entries[i].clsid));
    }
    return S_OK;
}

void revoke_classes() noexcept
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (registrations[i].cookie == 0) continue;
        CoRevokeClassObject(registrations[i].cookie);
        registrations[i].cookie = 0;
        std::u16string progid = std::u16string(u"Orvane.") + entries[i].coclass;
        com::revoke_progid(progid);
        com::revoke_progid(progid + u".1");
    }
}

}  // namespace cnt::module
