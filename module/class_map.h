// The library's class-object map: one entry per creatable class, in registration order, with
// the function that creates an instance and the interface its coclass in ContentElementsLib
// names as the default. Class objects are the standard factory, made on first request and
// cached for the life of the process.
#pragma once

#include <span>

#include "platform/automation/type_library.h"
#include "platform/com/com.h"

namespace cnt::module {

using create_fn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv) noexcept;

struct class_entry {
    const CLSID* clsid;
    const char16_t* coclass;  // "ZCntElementNote": ProgIDs are "Orvane." + coclass (+ ".1")
    WORD script;              // the id of its registrar script among the module's resources
    create_fn create;
    // The coclass's interface in the type library: com::automation::implements<I>.
    com::automation::implemented_interface (*default_interface)(INT flags);
};

std::span<const class_entry> class_map() noexcept;

// The class object for `clsid`: CLASS_E_CLASSNOTAVAILABLE when the map has no such class.
HRESULT get_class_object(REFCLSID clsid, REFIID riid, void** ppv) noexcept;
// Releases the cached class objects, as the module does when it is torn down; a later request
// makes them again.
void release_class_objects() noexcept;

// Puts every class of the map into the process's class table under its class id and both
// ProgIDs, as an application that carries the library inside itself does. Idempotent.
HRESULT register_classes() noexcept;
// Takes them out again.
void revoke_classes() noexcept;

}  // namespace cnt::module
