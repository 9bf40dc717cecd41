// The colour an element leaves out: an OLE_COLOR of all ones draws no fill, border or text.
#pragma once

#include "platform/com/types.h"

namespace cnt {
inline constexpr OLE_COLOR no_colour = 0xFFFFFFFF;
}
