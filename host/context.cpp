// Journal names of objects that are not host objects, and of host objects behind any pointer.
#include "host/context.h"

#include "host/host_object.h"

namespace host {

std::string context::name_of(IUnknown* object) const
{
    if (!object) return "null";
    com::ComPtr<IUnknown> identity;
    object->QueryInterface(IID_IUnknown, identity.put_void());
    if (identity) {
        auto it = names.find(identity.get());
        if (it != names.end()) return it->second;
    }
    if (host_object* h = host_object_of(object)) return h->name();
    return "object";
}

void context::set_name(IUnknown* object, std::string name) noexcept
{
    try {
        names[object] = std::move(name);
    } catch (...) {
    }
}

void context::forget_name(IUnknown* object) noexcept { names.erase(object); }

}  // namespace host
