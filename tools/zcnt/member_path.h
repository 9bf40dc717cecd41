// Dotted member paths of `zcnt render` calls: "Appearance.BorderColor",
// "ChoiceItems.Item(2).DisplayName". Every step but the last is a property get that must give
// an object; an index in parentheses is passed as that get's arguments, so that a property
// without parameters of its own hands it to its object's default member.
#pragma once

#include <string>
#include <vector>

#include "tools/zcnt/description.h"

namespace zcnt {

// Splits `text` into the steps before the member and the member itself (its index in
// `member->index`). Index values are integers or quoted strings ('a' or "a"). False with a
// message naming the step for a path that cannot be read.
bool parse_member_path(const std::string& text, std::vector<path_step>* steps, path_step* member,
                       std::string* error);

}  // namespace zcnt
