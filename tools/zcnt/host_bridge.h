// What the tool needs of the host engine beyond the interfaces: making a document, reading and
// writing .pjd files.
#pragma once

#include <string>

#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "platform/com/com.h"

namespace zcnt::bridge {

// The document's IZDocument; null only for a document that could not be made.
com::ComPtr<IZDocument> interface_of(const host::document& document);

HRESULT save_document(const host::document& document, const std::string& path,
                      std::string* error);
HRESULT load_document(const std::string& path, host::document* out, std::string* error);

}  // namespace zcnt::bridge
