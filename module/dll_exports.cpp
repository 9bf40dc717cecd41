// The four entry points of libcontentelements.so, the only symbols it exports, and the module's
// life around them: set up when the library is loaded, torn down when it is unloaded.
//
// The module's lock count is com::module_lock_count(): every live object and every server
// lock holds one. The class objects are made once under the module's critical section and
// cached by the class map.
#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "module/class_map.h"
#include "module/proxy_stub.h"
#include "module/server_registration.h"
#include "platform/com/process_classes.h"

#define ZCNT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Set by the load-time constructor: entry points called before it (or after teardown) fail.
bool module_initialised = false;

__attribute__((constructor)) void attach_module() { module_initialised = true; }

__attribute__((destructor)) void detach_module()
{
    module_initialised = false;
    com::leave_process_classes();
    cnt::module::release_class_objects();
}

HRESULT with_module_path(HRESULT (*run)(std::string_view) noexcept) noexcept;

}  // namespace

ZCNT_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (cnt::module::proxy_stub_class_object(clsid, riid, ppv) == S_OK) return S_OK;
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!module_initialised) return E_UNEXPECTED;
    // Joined on first use rather than at load time, when this copy's own class source may not
    // have installed itself yet: the objects made here create others (the document's
    // container, the host's kinds) through the process's class table.
    com::join_process_classes();
    return cnt::module::get_class_object(clsid, riid, ppv);
}

ZCNT_EXPORT HRESULT DllCanUnloadNow()
{
    const HRESULT proxies = cnt::module::proxy_stub_can_unload();
    if (proxies != S_OK) return proxies;
    return com::module_lock_count() == 0 ? S_OK : S_FALSE;
}

ZCNT_EXPORT HRESULT DllRegisterServer()
{
    return with_module_path(&cnt::module::register_server);
}

ZCNT_EXPORT HRESULT DllUnregisterServer()
{
    return with_module_path(&cnt::module::unregister_server);
}

namespace {

// The scripts name the file this code was loaded from, as the loader resolved it.
HRESULT with_module_path(HRESULT (*run)(std::string_view) noexcept) noexcept
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&DllGetClassObject), &info) || !info.dli_fname)
        return E_UNEXPECTED;
    // The loader keeps the name it was given, which may be relative to a former directory.
    char* absolute = realpath(info.dli_fname, nullptr);
    const std::string path = absolute ? absolute : info.dli_fname;
    free(absolute);
    return run(path);
}

}  // namespace
