// Joining the process's class table from a library's own copy; see process_classes.h.
#include "platform/com/process_classes.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

#include "platform/com/class_table.h"

extern "C" __attribute__((visibility("default"))) const zcnt_process_class_lookups
    zcnt_process_classes = {
        [](REFCLSID clsid, REFIID riid, void** object) noexcept {
            return CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, riid, object);
        },
        [](LPCOLESTR progid, CLSID* clsid) noexcept { return CLSIDFromProgID(progid, clsid); },
};

namespace com {
namespace {

// Asks the process first; what it cannot serve goes on to the source this one replaced.
struct process_source final : class_source {
    const zcnt_process_class_lookups* process = nullptr;
    class_source* previous = nullptr;

    HRESULT get_class_object(REFCLSID clsid, REFIID riid, void** object) noexcept override
    {
        const HRESULT hr = process->get_class_object(clsid, riid, object);
        if (SUCCEEDED(hr) || !previous) return hr;
        return previous->get_class_object(clsid, riid, object);
    }
    HRESULT clsid_from_progid(std::u16string_view progid, CLSID* clsid) noexcept override
    {
        HRESULT hr = CO_E_CLASSSTRING;
        try {
            const std::u16string terminated(progid);
            hr = process->clsid_from_progid(terminated.c_str(), clsid);
        } catch (...) {
            hr = E_OUTOFMEMORY;
        }
        if (SUCCEEDED(hr) || !previous) return hr;
        return previous->clsid_from_progid(progid, clsid);
    }
    HRESULT ps_clsid(REFIID iid, CLSID* clsid) noexcept override
    {
        return previous ? previous->ps_clsid(iid, clsid) : class_source::ps_clsid(iid, clsid);
    }
    // The process frees what its own sources loaded.
    void free_unused_libraries() noexcept override
    {
        if (previous) previous->free_unused_libraries();
    }
};

std::mutex joined_lock;
process_source joined;
bool is_joined = false;

}  // namespace

HRESULT join_process_classes() noexcept
{
    const auto* process =
        static_cast<const zcnt_process_class_lookups*>(dlsym(RTLD_DEFAULT, "zcnt_process_classes"));
    if (!process || process == &zcnt_process_classes) return S_FALSE;
    const std::lock_guard<std::mutex> hold(joined_lock);
    if (is_joined) return S_OK;
    joined.process = process;
    joined.previous = set_class_source(&joined);
    is_joined = true;
    return S_OK;
}

void leave_process_classes() noexcept
{
    const std::lock_guard<std::mutex> hold(joined_lock);
    if (!is_joined) return;
    set_class_source(joined.previous);
    is_joined = false;
}

}  // namespace com
