// The process's class table: class objects registered at run time, looked up by class id, and
// the creation of objects through them.
//
// A lookup asks the registered class objects first and then the class source (the registry
// and the in-process servers it names, loaded with dlopen), when one has been installed.
#pragma once

#include <string_view>

#include "platform/com/objidl.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr DWORD REGCLS_SINGLEUSE = 0;
constexpr DWORD REGCLS_MULTIPLEUSE = 1;
constexpr DWORD REGCLS_MULTI_SEPARATE = 2;

constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_MULTITHREADED = 0x0;

// A thread enters a single-threaded apartment of its own or the process's multithreaded one
// (platform/com/apartment.cpp). S_FALSE when it is already in that kind of apartment,
// RPC_E_CHANGED_MODE when it is in the other; CoUninitialize balances each success.
HRESULT CoInitialize(void* reserved) noexcept;
HRESULT CoInitializeEx(void* reserved, DWORD flags) noexcept;
void CoUninitialize() noexcept;

// Registers `factory` (AddRef'd) for `clsid`; the cookie revokes it. A later registration for
// the same class id hides an earlier one until it is revoked. E_INVALIDARG for a null factory
// or cookie pointer.
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD context, DWORD flags,
                              DWORD* cookie) noexcept;
// CO_E_OBJNOTREG for a cookie that names no registration.
HRESULT CoRevokeClassObject(DWORD cookie) noexcept;
// REGDB_E_CLASSNOTREG when neither the table nor the class source knows the class id.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* server_info, REFIID riid,
                         void** object) noexcept;
// The class object's IClassFactory::CreateInstance; its errors (CLASS_E_NOAGGREGATION, …)
// pass through unchanged. *object is null on failure.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) noexcept;
// ProgID to class id: the process's own ProgID table first, then the class source;
// CO_E_CLASSSTRING when neither knows it.
HRESULT CLSIDFromProgID(LPCOLESTR progid, CLSID* clsid) noexcept;
// Asks every in-process server loaded by the class source whether it can be unloaded.
void CoFreeUnusedLibraries() noexcept;

namespace com {

// Where class ids and ProgIDs not registered in the process are looked up.
struct class_source {
    virtual HRESULT get_class_object(REFCLSID clsid, REFIID riid, void** object) noexcept = 0;
    virtual HRESULT clsid_from_progid(std::u16string_view progid, CLSID* clsid) noexcept = 0;
    virtual void free_unused_libraries() noexcept = 0;
    // The class id of the proxy-stub factory that marshals `iid`: S_OK, or REGDB_E_IIDNOTREG
    // when the source does not know the interface.
    virtual HRESULT ps_clsid(REFIID iid, CLSID* clsid) noexcept;

protected:
    ~class_source() = default;
};

// Installs the class source (null removes it); returns the previous one. The source must
// outlive its installation.
class_source* set_class_source(class_source* source) noexcept;
// The installed source's proxy-stub class id for `iid`; REGDB_E_IIDNOTREG without a source.
HRESULT source_ps_clsid(REFIID iid, CLSID* clsid) noexcept;

// ProgIDs known to the process itself, as an application manifest declares them. Matching is
// case-insensitive, as registry key names are.
HRESULT register_progid(std::u16string_view progid, REFCLSID clsid) noexcept;
HRESULT revoke_progid(std::u16string_view progid) noexcept;

}  // namespace com
