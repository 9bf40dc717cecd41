// What a saved document gives a run that goes on with it: its pages, as a description gives
// them, and its pages' objects and elements, numbered page by page as the run numbers its own.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "contentelements/cnt_document.h"
#include "host/engine.h"
#include "tools/zcnt/render_report.h"

namespace zcnt {

// [{"resolution", "width", "height"}, …] for every page.
nlohmann::json page_sizes(const host::document& doc);

// Appends every page and every element of `doc`; false, naming the page, when the engine has
// no page for a number it counts.
bool saved_pages_and_elements(const host::document& doc,
                              std::vector<com::ComPtr<IZPrintContentPage>>* pages,
                              std::vector<made_element>* elements, std::string* error);

}  // namespace zcnt
