// The class table behind CoRegisterClassObject and CoCreateInstance.
#include "platform/com/class_table.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/rpc.h"

namespace com::detail {
IClassFactory* global_table_class() noexcept;
}  // namespace com::detail

namespace {

struct registration {
    DWORD cookie;
    CLSID clsid;
    IUnknown* factory;
};

// Case-insensitive for ASCII letters, as registry key names compare.
std::u16string fold(std::u16string_view text)
{
    std::u16string folded(text);
    for (char16_t& c : folded)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return folded;
}

struct table {
    std::mutex lock;
    std::vector<registration> entries;
    std::map<std::u16string, CLSID> progids;
    DWORD next_cookie = 1;
    com::class_source* source = nullptr;
};

table& the_table()
{
    static table* t = new table;  // never destroyed: objects may be released during exit
    return *t;
}

}  // namespace

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD, DWORD,
                              DWORD* cookie) noexcept
{
    if (!cookie) return E_INVALIDARG;
    *cookie = 0;
    if (!factory) return E_INVALIDARG;
    table& t = the_table();
    std::lock_guard<std::mutex> guard(t.lock);
    try {
        t.entries.push_back({t.next_cookie, clsid, factory});
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    factory->AddRef();
    *cookie = t.next_cookie++;
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) noexcept
{
    IUnknown* factory = nullptr;
    {
        table& t = the_table();
        std::lock_guard<std::mutex> guard(t.lock);
        auto it = std::find_if(t.entries.begin(), t.entries.end(),
                               [&](const registration& r) { return r.cookie == cookie; });
        if (it == t.entries.end()) return CO_E_OBJNOTREG;
        factory = it->factory;
        t.entries.erase(it);
    }
    factory->Release();  // outside the lock: the factory's destructor may use the table
    return S_OK;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD, void*, REFIID riid, void** object) noexcept
{
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (clsid == CLSID_StdGlobalInterfaceTable)
        return com::detail::global_table_class()->QueryInterface(riid, object);
    com::ComPtr<IUnknown> factory;
    com::class_source* source;
    {
        table& t = the_table();
        std::lock_guard<std::mutex> guard(t.lock);
        auto it = std::find_if(t.entries.rbegin(), t.entries.rend(),
                               [&](const registration& r) { return r.clsid == clsid; });
        if (it != t.entries.rend()) factory = com::ComPtr<IUnknown>(it->factory);
        source = t.source;
    }
    if (factory) return factory->QueryInterface(riid, object);
    if (source) return source->get_class_object(clsid, riid, object);
    return REGDB_E_CLASSNOTREG;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    com::ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IClassFactory::iid, factory.put_void());
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, riid, object);
    if (FAILED(hr)) *object = nullptr;
    return hr;
}

HRESULT CLSIDFromProgID(LPCOLESTR progid, CLSID* clsid) noexcept
{
    if (!progid || !clsid) return E_INVALIDARG;
    *clsid = CLSID_NULL;
    std::u16string_view name(progid);
    com::class_source* source;
    try {
        table& t = the_table();
        std::lock_guard<std::mutex> guard(t.lock);
        auto it = t.progids.find(fold(name));
        if (it != t.progids.end()) {
            *clsid = it->second;
            return S_OK;
        }
        source = t.source;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (source) return source->clsid_from_progid(name, clsid);
    return CO_E_CLASSSTRING;
}

void CoFreeUnusedLibraries() noexcept
{
    com::class_source* source;
    {
        table& t = the_table();
        std::lock_guard<std::mutex> guard(t.lock);
        source = t.source;
    }
    if (source) source->free_unused_libraries();
}

namespace com {

HRESULT class_source::ps_clsid(REFIID, CLSID* clsid) noexcept
{
    *clsid = GUID_NULL;
    return REGDB_E_IIDNOTREG;
}

HRESULT source_ps_clsid(REFIID iid, CLSID* clsid) noexcept
{
    class_source* source;
    {
        table& t = the_table();
        std::lock_guard<std::mutex> guard(t.lock);
        source = t.source;
    }
    if (!source) {
        *clsid = GUID_NULL;
        return REGDB_E_IIDNOTREG;
    }
    return source->ps_clsid(iid, clsid);
}

class_source* set_class_source(class_source* source) noexcept
{
    table& t = the_table();
    std::lock_guard<std::mutex> guard(t.lock);
    return std::exchange(t.source, source);
}

HRESULT register_progid(std::u16string_view progid, REFCLSID clsid) noexcept
{
    if (progid.empty()) return E_INVALIDARG;
    try {
        table& t = the_table();
        std::lock_guard<std::mutex> guard(t.lock);
        t.progids[fold(progid)] = clsid;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT revoke_progid(std::u16string_view progid) noexcept
{
    try {
        table& t = the_table();
        std::lock_guard<std::mutex> guard(t.lock);
        return t.progids.erase(fold(progid)) ? S_OK : E_INVALIDARG;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

bool same_object(IUnknown* a, IUnknown* b) noexcept
{
    if (!a || !b) return a == b;
    ComPtr<IUnknown> ua, ub;
    if (FAILED(a->QueryInterface(IID_IUnknown, ua.put_void()))) return false;
    if (FAILED(b->QueryInterface(IID_IUnknown, ub.put_void()))) return false;
    return ua.get() == ub.get();
}

}  // namespace com
