// Reading a `zcnt render` description from its JSON form; see description.h.
#pragma once

#include <nlohmann/json.hpp>

#include "tools/zcnt/description.h"

namespace zcnt {

// Everything up to the first fault, which is kept with the part it belongs to. Each text and
// element of `input` is freed once read, so a long description is not held twice.
description parse_description(nlohmann::json input);

}  // namespace zcnt
