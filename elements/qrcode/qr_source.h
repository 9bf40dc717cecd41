// The text of a "qrcode" image source taken apart: an optional configuration name and
// language, and the text the symbol encodes. Works on the ANSI text after the six prefix
// characters.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"

namespace cnt::qrcode {

struct source {
    std::string name;      // empty: no configuration
    std::string language;  // empty: the user's default language
    std::string text;      // trimmed
};

// True when `file` begins with "qrcode" in any letter case.
bool is_qr_source(std::u16string_view file) noexcept;

// The same split made on the element's own UTF-16 text, as the ANSI code page sees it (best
// fits included: a fullwidth colon separates too): the name and the language come converted,
// the trimmed text only as a view into `rest`, so that a text far too long for any symbol is
// measured before anything copies it.
struct located_source {
    std::string name;
    std::string language;
    std::u16string_view text;
};
HRESULT locate_source(std::u16string_view rest, located_source* out) noexcept;

// Splits `rest` ("|name:text", "|name|language:text", ":text" or just text) and trims the
// text. E_UNEXPECTED for a form beginning with "|" that has no ":"; E_OUTOFMEMORY.
HRESULT parse_source(std::string_view rest, source* out) noexcept;

// The whole source again, as an element's ImageFile holds it: "qrcode", then "|" name and
// "|" language when given, then ":" and the text.
std::u16string compose_source(std::string_view name, std::string_view language,
                              std::string_view text);

}  // namespace cnt::qrcode
