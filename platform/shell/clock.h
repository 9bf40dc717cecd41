// The C runtime's clock as the library calls it: _time64, _localtime64_s and a wcsftime on
// UTF-16 strings.
//
// _time64 reads the system clock, or shell::set_clock_override. _localtime64_s converts through
// the C library's local time (TZ); like the Windows runtime it refuses times before 1970 and
// after 3000-12-31 23:59:59 UTC with EINVAL, setting every field of the result to -1.
//
// wcsftime formats as the Windows runtime does in its "C" locale (the library never sets a
// locale): English day and month names, %c "%m/%d/%y %H:%M:%S", %x "%m/%d/%y", %X "%H:%M:%S",
// %p "AM"/"PM", %#c "Tuesday, March 14, 1995 12:41:29", %#x "Tuesday, March 14, 1995"; '#'
// drops the leading zeros of numbers; the C99 items %C %D %e %F %g %G %h %n %r %R %t %T %u %V
// are understood; E and O modifiers are accepted and ignored; %z is the offset from UTC
// ("+0100") and %Z the zone's abbreviation. An unknown item, a lone '%' at the end, a field
// out of range, null arguments or a result that does not fit in `size` characters with its NUL
// give 0 with the buffer set to "" (when there is room for that).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

#include "platform/shell/overrides.h"

std::int64_t _time64(std::int64_t* result) noexcept;
int _localtime64_s(std::tm* result, const std::int64_t* time) noexcept;

std::size_t wcsftime(char16_t* buffer, std::size_t size, const char16_t* format,
                     const std::tm* time) noexcept;
