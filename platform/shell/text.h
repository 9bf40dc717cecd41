// Text helpers of the shell services: the conversions between the ANSI code page, UTF-16 and
// the UTF-8 that Linux file names use, and case folding for Windows' case-insensitive names.
// The conversions may throw std::bad_alloc; the Windows-named entry points catch it.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"

namespace shell {

std::u16string utf8_to_utf16(std::string_view text);
std::string utf16_to_utf8(std::u16string_view text);
std::u16string ansi_to_utf16(std::string_view text);
std::string utf16_to_ansi(std::u16string_view text);
std::string ansi_to_utf8(std::string_view text);
std::string utf8_to_ansi(std::string_view text);

// Upper case as Windows folds names: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
char16_t upper(char16_t c) noexcept;
bool equal_no_case(std::u16string_view a, std::u16string_view b) noexcept;

// The characters the profile reader treats as white space: the Unicode spaces, CR and ^Z.
bool is_profile_space(char16_t c) noexcept;

std::u16string_view trim_profile_space(std::u16string_view text) noexcept;

// Length of a NUL-terminated UTF-16 string.
std::size_t length(const char16_t* text) noexcept;

}  // namespace shell
