// What DllRegisterServer and DllUnregisterServer do: the application id script, one script per
// class of the class map, the type library and the proxy-stub factory's entries, written to or
// removed from HKEY_CLASSES_ROOT for the module file at `module_path`.
#pragma once

#include <string_view>

#include "platform/com/com.h"

namespace cnt::module {

HRESULT register_server(std::string_view module_path) noexcept;
HRESULT unregister_server(std::string_view module_path) noexcept;

}  // namespace cnt::module
