// The class-object map and the process registration of its classes.
#include "module/class_map.h"

#include <array>
#include <atomic>
#include <mutex>
#include <new>
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

// The standard class factory over a creation function, made to be cached: the cache's own
// reference holds nothing, every further one holds the module, so that a client keeping a
// class object keeps the library loaded.
class function_factory final : public IClassFactory {
public:
    explicit function_factory(create_fn create) noexcept : create_(create) {}

    HRESULT QueryInterface(REFIID riid, void** object) noexcept override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IClassFactory::iid) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override
    {
        const ULONG count = ++count_;
        if (count == 2) com::module_lock();
        return count;
    }
    ULONG Release() noexcept override
    {
        const ULONG count = --count_;
        if (count == 1) com::module_unlock();
        if (count == 0) delete this;
        return count;
    }
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
    std::atomic<ULONG> count_{1};  // the cache's reference
    create_fn create_;
};

// Registration and unregistration visit the classes in this order.
constexpr std::array entries{
    class_entry{&CLSID_ZCntElementContainer, u"ZCntElementContainer", 107,
                &create_element_container, &implements<IZCntElementContainer>},
    class_entry{&CLSID_ZCntElementFieldButton, u"ZCntElementFieldButton", 109,
                &fields::create_field<zeCntElementTypeFieldButton>, &implements<IZCntElementFieldButton>},
    class_entry{&CLSID_ZCntElementFieldCheck, u"ZCntElementFieldCheck", 110,
                &fields::create_field<zeCntElementTypeFieldCheck>, &implements<IZCntElementFieldCheck>},
    class_entry{&CLSID_ZCntElementFieldCombo, u"ZCntElementFieldCombo", 112,
                &fields::create_field<zeCntElementTypeFieldCombo>, &implements<IZCntElementFieldCombo>},
    class_entry{&CLSID_ZCntElementFieldDateTime, u"ZCntElementFieldDateTime", 114,
                &fields::create_field<zeCntElementTypeFieldDateTime>, &implements<IZCntElementFieldDateTime>},
    class_entry{&CLSID_ZCntElementFieldGroup, u"ZCntElementFieldGroup", 115,
                &fields::create_field<zeCntElementTypeFieldGroup>, &implements<IZCntElementFieldGroup>},
    class_entry{&CLSID_ZCntElementFieldList, u"ZCntElementFieldList", 113,
                &fields::create_field<zeCntElementTypeFieldList>, &implements<IZCntElementFieldList>},
    class_entry{&CLSID_ZCntElementFieldRadio, u"ZCntElementFieldRadio", 111,
                &fields::create_field<zeCntElementTypeFieldRadio>, &implements<IZCntElementFieldRadio>},
    class_entry{&CLSID_ZCntElementFieldText, u"ZCntElementFieldText", 108,
                &fields::create_field<zeCntElementTypeFieldText>, &implements<IZCntElementFieldText>},
    class_entry{&CLSID_ZCntElementImage, u"ZCntElementImage", 103, &create_image,
                &implements<IZCntElementImage>},
    class_entry{&CLSID_ZCntElementLink, u"ZCntElementLink", 104, &create_link,
                &implements<IZCntElementLink>},
    class_entry{&CLSID_ZCntElementNote, u"ZCntElementNote", 102, &create_note,
                &implements<IZCntElementNote>},
    class_entry{&CLSID_ZCntElementPageBreak, u"ZCntElementPageBreak", 116, &create_page_break,
                &implements<IZCntElementPageBreak>},
    class_entry{&CLSID_ZCntElementStamp, u"ZCntElementStamp", 105, &create_stamp,
                &implements<IZCntElementStamp>},
    class_entry{&CLSID_ZCntElementTextMark, u"ZCntElementTextMark", 106, &create_textmark,
                &implements<IZCntElementTextMark>},
};

struct registration {
    DWORD cookie = 0;
};

std::array<std::atomic<IClassFactory*>, entries.size()> factories{};
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
        IClassFactory* factory = factories[i].load(std::memory_order_acquire);
        if (!factory) {
            std::lock_guard<CZCriticalSection> guard(factory_lock);
            factory = factories[i].load(std::memory_order_relaxed);
            if (!factory) {
                factory = new (std::nothrow) function_factory(entries[i].create);
                if (!factory) return E_OUTOFMEMORY;
                factories[i].store(factory, std::memory_order_release);
            }
        }
        const HRESULT hr = factory->QueryInterface(riid, ppv);
        if (SUCCEEDED(hr) && !*ppv) return CLASS_E_CLASSNOTAVAILABLE;
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

void release_class_objects() noexcept
{
    std::lock_guard<CZCriticalSection> guard(factory_lock);
    for (std::atomic<IClassFactory*>& cached : factories) {
        IClassFactory* factory = cached.exchange(nullptr);
        if (factory) factory->Release();
    }
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
