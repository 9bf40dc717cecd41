// The choice option the collection makes for Add and Load; not visible outside this folder.
#pragma once

#include "contentelements/cnt_field_parts.h"

namespace cnt::fields {

// A new option: empty DisplayName and ExportValue, dirty.
HRESULT create_option(IZCntChoiceFieldOption** out) noexcept;

}  // namespace cnt::fields
