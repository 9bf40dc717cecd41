// What the tool needs of the host engine beyond the interfaces: making a document, reading and
// writing .pjd files, and describing a page's objects for reports.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "contentelements/zprint_page.h"
#include "platform/com/com.h"

namespace zcnt::bridge {

HRESULT new_document(com::ComPtr<IZDocument>* out, std::string* error);
HRESULT save_document(IZDocument* document, const std::string& path, std::string* error);
HRESULT load_document(const std::string& path, com::ComPtr<IZDocument>* out, std::string* error);

// Every object of the page's object list and resource list, in list order, with kind, id and
// properties.
nlohmann::json describe_page(IZPrintContentPage* page);

}  // namespace zcnt::bridge
