// Helpers shared by the VARIANT functions; not part of the Windows surface.
#pragma once

#include "platform/com/variant.h"

namespace com::variant_detail {

// DISP_E_BADVARTYPE for a type tag no variant can carry (vectors, reserved bits, VT_VOID and
// above except VT_RECORD and VT_CLSID, type 15, by-reference or array EMPTY/NULL).
HRESULT validate_type(VARTYPE vt) noexcept;

}  // namespace com::variant_detail
