// The module's registrar scripts: 101 for the application id, 102–116 one for each class of
// the class map, made from its row. They are .rgs text with the variables %MODULE% (the
// library's path, quotes doubled) and %APPID%.
#pragma once

#include <string>

#include "platform/com/com.h"

namespace cnt::module {

constexpr WORD kAppIdScript = 101;

// The script of resource `id`: false for an id that is none of the module's scripts. May throw
// std::bad_alloc.
bool registrar_script(WORD id, std::u16string* text);

}  // namespace cnt::module
