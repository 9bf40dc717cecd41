// The built libcontentelements.so, opened with dlopen for the duration of a test suite, and its
// four entry points.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/com/com.h"

namespace module_test {

struct entry_points {
    HRESULT (*get_class_object)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT (*can_unload_now)() = nullptr;
    HRESULT (*register_server)() = nullptr;
    HRESULT (*unregister_server)() = nullptr;
};

// Opens `file` and resolves the entry points; a missing one is a test failure.
inline void* open_module(const char* file, entry_points& out)
{
    // Kept mapped after dlclose: what the library keeps for the process's life (its class
    // objects' cache, fontconfig's state) then stays reachable, as in a client that loads it
    // once, and a leak check names real leaks only.
    void* handle = dlopen(file, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    EXPECT_NE(handle, nullptr) << dlerror();
    if (!handle) return nullptr;
    auto resolve = [&](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name));
        EXPECT_NE(fn, nullptr) << name;
    };
    resolve(out.get_class_object, "DllGetClassObject");
    resolve(out.can_unload_now, "DllCanUnloadNow");
    resolve(out.register_server, "DllRegisterServer");
    resolve(out.unregister_server, "DllUnregisterServer");
    return handle;
}

}  // namespace module_test
