// Case-insensitive member names: the folding that GetIDsOfNames, GetNames and IsName share.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"

namespace com::automation {

// Upper case for ASCII and Latin-1 letters; member names of this project are ASCII, and
// Latin-1 covers what scripting clients type in practice.
constexpr OLECHAR fold_char(OLECHAR c) noexcept
{
    if (c >= u'a' && c <= u'z') return static_cast<OLECHAR>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<OLECHAR>(c - 0x20);
    return c;
}

// Folded copy; throws std::bad_alloc.
std::u16string fold_name(std::u16string_view name);

// Compares `folded` (already folded) with `name` folded on the fly: <0, 0, >0.
int compare_folded(std::u16string_view folded, std::u16string_view name) noexcept;

bool names_equal(std::u16string_view a, std::u16string_view b) noexcept;

// The length of a NUL-terminated name, at most `limit` characters read.
std::u16string_view name_view(const OLECHAR* name, std::size_t limit = 0xFFFF) noexcept;

}  // namespace com::automation
