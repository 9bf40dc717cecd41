// The standard class factory: creates T stand-alone or as the inner object of an aggregate,
// and holds the module's lock count for LockServer.
#pragma once

#include "platform/com/object.h"
#include "platform/com/objidl.h"

namespace com {

template <typename T>
class class_factory : public object_root<class_factory<T>, IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept override
    {
        return create_instance<T>(outer, riid, object);
    }
    HRESULT LockServer(BOOL lock) noexcept override
    {
        if (lock)
            module_lock();
        else
            module_unlock();
        return S_OK;
    }
};

// Makes T's factory and registers it in the process's class table under `clsid`.
template <typename T>
HRESULT register_class_factory(REFCLSID clsid, DWORD* cookie) noexcept;

}  // namespace com

#include "platform/com/class_table.h"
#include "platform/com/com_ptr.h"

template <typename T>
HRESULT com::register_class_factory(REFCLSID clsid, DWORD* cookie) noexcept
{
    if (!cookie) return E_INVALIDARG;
    *cookie = 0;
    ComPtr<IClassFactory> factory;
    HRESULT hr = make<class_factory<T>>(factory.put());
    if (FAILED(hr)) return hr;
    return CoRegisterClassObject(clsid, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                 cookie);
}
