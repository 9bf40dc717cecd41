// The files the demo places: a product photo (a PNG drawn here, pixel by pixel) and a one-page
// data sheet (a PDF the engine writes from its own description). They go into a folder beside
// the output when the document is kept, into a temporary folder otherwise.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace zcnt {

// A 480 x 360 RGB picture: a lit ball on a studio backdrop with its shadow.
bool write_product_photo(const std::string& path, std::string* error);

// The description of the data sheet's page (as `zcnt render` reads it).
nlohmann::json datasheet_description();

}  // namespace zcnt
