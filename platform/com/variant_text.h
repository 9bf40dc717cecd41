// Text forms of numbers for VariantChangeType: parsing BSTRs and formatting numbers, in the
// English (United States) conventions: '.' decimal point, ',' thousands separator, '$'.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/variant_number.h"

namespace com::variant_detail {

// Parses a number as Windows' standard number parsing accepts it: surrounding white space, one
// sign before or after the digits, "(n)" for negative, a leading '$', thousands separators
// after the first digit, one decimal point, an exponent, or "&H"/"&O" hex and octal. Anything
// left over, or no digits at all, is DISP_E_TYPEMISMATCH; a hex value over 64 bits
// DISP_E_OVERFLOW. The text ends at its first NUL, as a C string would.
HRESULT parse_number(std::u16string_view text, number* out);

// Text ending at the first NUL of a BSTR.
std::u16string_view bstr_text(BSTR text) noexcept;

std::u16string format_signed(long long value);
std::u16string format_unsigned(unsigned long long value);
// "%G" style with `precision` significant digits: "1.5", "1E+16", "1.5E-07", "-0" as "0".
std::u16string format_general(const decimal_number& value, int precision);
// Plain positional notation without exponent or trailing zeros: "922337203685477.5807".
std::u16string format_fixed(const decimal_number& value);

}  // namespace com::variant_detail
