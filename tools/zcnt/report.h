// The parts of the tool's JSON reports that render, inspect and hit share: an object's saved
// record as hex, a page's objects, the container's records, and a hit test.
#pragma once

#include <nlohmann/json.hpp>

#include "contentelements/cnt_container.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"

namespace zcnt {

// A VARIANT as JSON: numbers, strings, booleans, null; objects as "<object>".
nlohmann::json variant_to_json(const VARIANT& value);

// The object's IPersistStreamInit record, as lower-case hex; null when it has none.
nlohmann::json saved_record_hex(IUnknown* object);

// Every object of page `number`'s object list and resource list, in list order, with kind, id
// and properties: {"objects": […], "resources": […]}.
nlohmann::json describe_page(const host::document& document, LONG number);

// The container's records in container order and its own saved record; null without one.
nlohmann::json describe_container(IZCntElementContainer* container);

// One element info record: page id, element id, type, description, rectangle, inclination.
nlohmann::json describe_info(IZCntElementInfo* info);

// The container's hit test at (x, y) of `page`.
nlohmann::json hit_test(IZCntElementContainer* container, IZPrintContentPage* page,
                        LONG page_number, LONG x, LONG y, LONG hit_width);

}  // namespace zcnt
