// Helpers shared by the VARIANT functions; not part of the Windows surface.
#pragma once

#include <cstddef>

#include "platform/com/variant.h"

namespace com::variant_detail {

// DISP_E_BADVARTYPE for a type tag no variant can carry (vectors, reserved bits, VT_VOID and
// above except VT_RECORD and VT_CLSID, type 15, by-reference or array EMPTY/NULL).
HRESULT validate_type(VARTYPE vt) noexcept;

// Bytes of a value held as plain bits (numbers, booleans, errors, currency, dates); 0 for every
// other type. Array elements and by-reference copies both size their data with it.
constexpr std::size_t plain_size(VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_I1:
    case VT_UI1: return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR: return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE: return 8;
    default: return 0;
    }
}

}  // namespace com::variant_detail
