// One class table for the whole process, as on Windows, although a loadable library carries its
// own copy of this layer: the program's copy publishes its class lookups under a C name, and a
// library's copy, once joined, asks them for every class its own table does not have. So an
// element loaded through the registry still finds the classes the program registered itself
// (the host's kinds) and the library's own classes through the program's registry.
#pragma once

#include "platform/com/guid.h"
#include "platform/com/types.h"

extern "C" {

struct zcnt_process_class_lookups {
    HRESULT (*get_class_object)(REFCLSID clsid, REFIID riid, void** object) noexcept;
    HRESULT (*clsid_from_progid)(LPCOLESTR progid, CLSID* clsid) noexcept;
};

// Exported by the program (or by the client runtime library it links); a library's own copy
// stays hidden, so a lookup by name finds the process's.
extern const zcnt_process_class_lookups zcnt_process_classes;
}

namespace com {

// Makes this copy's class table fall back to the process's lookups, when the process publishes
// some other than this copy's own; what they cannot serve goes to the class source installed
// before. S_FALSE when there is nothing to join.
HRESULT join_process_classes() noexcept;
// Undoes that, before the copy goes away.
void leave_process_classes() noexcept;

}  // namespace com
