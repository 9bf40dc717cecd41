// The form fields' icons, bitmap resources 201 to 207 of this module, and the token that
// stands for this module where a module handle is asked for.
#pragma once

#include "platform/gdi/resources.h"

namespace cnt::fields {

// This module's instance handle: the address of a byte of the module's own, unique per module
// as a DLL's instance is, so that the resources it registers are its own.
HINSTANCE this_module() noexcept;

// Registers the seven icons under this_module() the first time it is asked; later calls only
// report the first one's success.
bool register_field_icons() noexcept;

}  // namespace cnt::fields
