// DATE text for VariantChangeType: days since 30 December 1899, written and read in the
// English (United States) form "m/d/yyyy h:mm:ss AM".
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"

namespace com::variant_detail {

// Date and time, date only when there is no time of day, time only on day 0 (so 0.0 is
// "12:00:00 AM"); E_INVALIDARG outside 1 January 100 .. 31 December 9999.
HRESULT format_date(DATE date, std::u16string* out);

// Reads a date and/or a time: "12/30/1900", "1900-12-30", "30 Dec 1900", "December 30, 1900",
// "6:00", "6:00:00 AM", "6 pm", and a date followed by a time. Two-digit years below 30 are in
// the 2000s; a date without a year is in the current year. DISP_E_TYPEMISMATCH otherwise.
HRESULT parse_date(std::u16string_view text, DATE* out);

// Days since 1 January 1970 as a date of the proleptic Gregorian calendar.
void civil_from_days(long long days, long long* year, unsigned* month, unsigned* day);

}  // namespace com::variant_detail
