// What the engine benchmarks share: the library's classes in the process's class table for the
// length of a benchmark, and an element created by class id or ProgID and attached to a page
// the way the engine attaches it.
#pragma once

#include "contentelements/zprint_objects.h"
#include "host/engine.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace bench_support {

struct registered {
    registered() { cnt::module::register_classes(); }
    ~registered() { cnt::module::revoke_classes(); }
};

// A new element of `clsid`, attached to page `page` of `doc`; null when it cannot be made.
template <typename I>
com::ComPtr<I> attached(const host::document& doc, REFCLSID clsid, LONG page = 1)
{
    com::ComPtr<I> element;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, element.put_void());
    if (!element || FAILED(doc.attach(page, element.get()))) return {};
    return element;
}

template <typename I>
com::ComPtr<I> attached(const host::document& doc, const char16_t* progid, LONG page = 1)
{
    CLSID clsid{};
    CLSIDFromProgID(progid, &clsid);
    return attached<I>(doc, clsid, page);
}

}  // namespace bench_support
