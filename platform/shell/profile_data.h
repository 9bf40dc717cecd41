// The INI reader behind GetPrivateProfileStringW and friends, on text already in memory, so that
// the rules can be used (and fuzzed) without a file.
//
// Reading: a UTF-8 or UTF-16 (either order) byte-order mark selects that encoding, anything else
// is the ANSI code page. Lines end at LF; white space (Unicode spaces, CR, ^Z) is trimmed at
// both ends. "[name]" up to the line's last ']' starts a section (its name trimmed); other lines
// are keys, "name=value" with the space around '=' removed, or a bare name without a value.
// Keys before the first section, and keys with an empty name, are never found. A NUL inside
// a name or value ends it. Lines that begin with ';' are comments for the enumerations but,
// as on Windows, can still be read by their full name.
//
// Looking up: section and key names are trimmed and compared without regard to case; only the
// first section of a name is searched, and in it the first key of a name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/shell/shell_types.h"

namespace shell {

struct profile_key {
    std::u16string name;
    std::u16string value;
    bool has_value = false;
};

struct profile_section {
    std::u16string name;
    std::vector<profile_key> keys;
};

struct profile_data {
    std::vector<profile_section> sections;
};

// Throws std::bad_alloc only.
profile_data parse_profile(std::string_view bytes);

// GetPrivateProfileStringW on parsed data, with Windows' buffer rules:
// - section null: every section name, each NUL-terminated, then one more NUL;
// - key null: the names of the section's keys that have a value, the same way; the default when
//   there are none;
// - otherwise the value, or the default (its trailing blanks removed; null is ""), with one
//   pair of enclosing ' or " quotes removed; key "" gives 0 and "".
// A value is cut to size - 1 characters and the count written is returned. A list that does
// not fit is cut inside its last name, ends in two NULs, and size - 2 is returned. A null
// buffer or size 0 gives 0 and writes nothing.
DWORD profile_string(const profile_data& data, LPCWSTR section, LPCWSTR key,
                     LPCWSTR default_value, LPWSTR buffer, DWORD size) noexcept;

// GetPrivateProfileSectionW: every "name=value" line of the section (names without a value as
// they are, comments and empty names left out, quotes kept), as a list with the same rules.
DWORD profile_section_lines(const profile_data& data, LPCWSTR section, LPWSTR buffer,
                            DWORD size) noexcept;

// The number GetPrivateProfileIntW reads from a value: leading blanks and control characters
// skipped, an optional sign, "0x", "0o" or "0b" for another base, digits up to the first that
// does not belong; no digits is 0. Arithmetic wraps at 32 bits, so "-1" is 0xFFFFFFFF.
UINT profile_integer(std::u16string_view text) noexcept;

}  // namespace shell
