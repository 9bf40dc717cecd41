// Reading a `zcnt render` description from its JSON form; see description.h.
#pragma once

#include <nlohmann/json.hpp>

#include "tools/zcnt/description.h"

namespace zcnt {

// Everything up to the first fault, which is kept with the part it belongs to.
description parse_description(const nlohmann::json& input);

}  // namespace zcnt
