// Parsing a QR source. The ANSI code page is single-byte, so searching byte by byte treats
// every character as one.
#include "elements/qrcode/qr_source.h"

#include <new>

#include "platform/com/codepage.h"

namespace cnt::qrcode {
namespace {

constexpr std::u16string_view kPrefix = u"qrcode";

char16_t lower_ascii(char16_t c) noexcept { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

// The C runtime's space test in the "C" locale: blank, tab, line feed, vertical tab, form
// feed and carriage return.
bool is_space(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view trim(std::string_view s) noexcept
{
    while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

bool is_qr_source(std::u16string_view file) noexcept
{
    if (file.size() < kPrefix.size()) return false;
    for (std::size_t i = 0; i < kPrefix.size(); ++i)
        if (lower_ascii(file[i]) != kPrefix[i]) return false;
    return true;
}

HRESULT parse_source(std::string_view rest, source* out) noexcept
{
    try {
        out->name.clear();
        out->language.clear();
        std::string_view text = rest;
        if (!rest.empty() && rest.front() == '|') {
            const std::size_t colon = rest.find(':', 1);
            if (colon == std::string_view::npos) return E_UNEXPECTED;
            const std::size_t bar = rest.find('|', 1);
            if (bar != std::string_view::npos && bar < colon) {
                out->name = rest.substr(1, bar - 1);
                out->language = rest.substr(bar + 1, colon - bar - 1);
            } else {
                out->name = rest.substr(1, colon - 1);
            }
            text = rest.substr(colon + 1);
        } else if (!rest.empty() && rest.front() == ':') {
            text = rest.substr(1);
        }
        out->text = trim(text);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

std::u16string compose_source(std::string_view name, std::string_view language,
                              std::string_view text)
{
    std::u16string out(kPrefix);
    if (!name.empty()) {
        out += u'|';
        out += com::from_ansi(name);
        if (!language.empty()) {
            out += u'|';
            out += com::from_ansi(language);
        }
    }
    out += u':';
    out += com::from_ansi(text);
    return out;
}

}  // namespace cnt::qrcode
