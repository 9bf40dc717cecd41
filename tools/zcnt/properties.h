// An object's properties as its type information lists them, for `zcnt inspect`: every
// property get without arguments on the object's IDispatch and on the element interfaces it
// also answers. A value that is an object is listed the same way (a field's Appearance,
// TextAttributes), and a collection (a Count and a default member taking an index) with each
// of its items.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/com/com.h"

namespace zcnt {

// {"Name": "f1", "Appearance": {"BorderColor": 255, …},
//  "ChoiceItems": {"Count": 2, "Item": [{"DisplayName": "Red", …}, …]}, …}
nlohmann::json describe_properties(IDispatch* object);

// The same as "Appearance.BorderColor = 255" and "ChoiceItems.Item(1).DisplayName = Red"
// lines, in order.
std::vector<std::string> property_lines(const nlohmann::json& properties);

}  // namespace zcnt
