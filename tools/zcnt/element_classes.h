// Where the tool's elements come from: the registry, when it serves every class of the library
// (`zcnt register`), so that the tool drives the installed library as any client does; else the
// classes the tool carries, put into its own class table.
#pragma once

#include <string>

#include "platform/com/types.h"

namespace zcnt {

struct element_classes {
    bool from_registry = false;
    std::string library;  // the file the registry names, when from_registry
};

// Asked before the tool's own classes are in its table (or after they were revoked). Failure
// only when the built-in classes cannot be registered.
HRESULT use_element_classes(element_classes* chosen) noexcept;

// "zcnt: classes from the registry (/usr/lib/libcontentelements.so)", or "… the built-in table".
std::string describe(const element_classes& chosen);

}  // namespace zcnt
