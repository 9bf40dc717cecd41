// Registration of the module in the registry.
#include "module/server_registration.h"

namespace cnt::module {

HRESULT register_server(std::string_view) noexcept { return E_NOTIMPL; }
HRESULT unregister_server(std::string_view) noexcept { return E_NOTIMPL; }

}  // namespace cnt::module
