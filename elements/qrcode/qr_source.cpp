// Parsing a QR source. The ANSI code page is single-byte, so each UTF-16 unit is one byte of
// the ANSI text and positions in the one are positions in the other.
#include "elements/qrcode/qr_source.h"

#include <new>

#include "platform/com/codepage.h"
#include "platform/com/result.h"

namespace cnt::qrcode {
namespace {

constexpr std::u16string_view kPrefix = u"qrcode";

char16_t lower_ascii(char16_t c) noexcept { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

// The C runtime's space test in the "C" locale: blank, tab, line feed, vertical tab, form
// feed and carriage return.
bool is_space(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Units are converted a block at a time, so that a search costs what lies before its hit and
// never a copy of the whole text.
constexpr std::size_t kBlock = 256;

std::string ansi_block(std::u16string_view units)
{
    std::string bytes = com::to_ansi(units);
    if (bytes.size() != units.size()) throw std::bad_alloc();  // the conversion ran out
    return bytes;
}

// The first unit whose ANSI byte satisfies `hit`, or npos.
template <typename Hit>
std::size_t find_ansi(std::u16string_view s, Hit hit)
{
    for (std::size_t at = 0; at < s.size(); at += kBlock) {
        const std::string bytes = ansi_block(s.substr(at, kBlock));
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (hit(bytes[i])) return at + i;
    }
    return std::u16string_view::npos;
}

// The last such unit, or npos.
template <typename Hit>
std::size_t rfind_ansi(std::u16string_view s, Hit hit)
{
    for (std::size_t end = s.size(); end > 0;) {
        const std::size_t begin = end > kBlock ? end - kBlock : 0;
        const std::string bytes = ansi_block(s.substr(begin, end - begin));
        for (std::size_t i = bytes.size(); i-- > 0;)
            if (hit(bytes[i])) return begin + i;
        end = begin;
    }
    return std::u16string_view::npos;
}

std::u16string_view trim(std::u16string_view s)
{
    const auto solid = [](char c) { return !is_space(c); };
    const std::size_t first = find_ansi(s, solid);
    if (first == std::u16string_view::npos) return {};
    return s.substr(first, rfind_ansi(s, solid) + 1 - first);
}

}  // namespace

bool is_qr_source(std::u16string_view file) noexcept
{
    if (file.size() < kPrefix.size()) return false;
    for (std::size_t i = 0; i < kPrefix.size(); ++i)
        if (lower_ascii(file[i]) != kPrefix[i]) return false;
    return true;
}

HRESULT locate_source(std::u16string_view rest, located_source* out) noexcept
{
    try {
        out->name.clear();
        out->language.clear();
        std::u16string_view text = rest;
        const char first = rest.empty() ? '\0' : ansi_block(rest.substr(0, 1))[0];
        if (first == '|') {
            const std::size_t colon = find_ansi(rest.substr(1), [](char c) { return c == ':'; });
            if (colon == std::u16string_view::npos) return E_UNEXPECTED;
            // Both positions count from rest[1].
            const std::u16string_view head = rest.substr(1, colon);
            const std::size_t bar = find_ansi(head, [](char c) { return c == '|'; });
            if (bar != std::u16string_view::npos) {
                out->name = ansi_block(head.substr(0, bar));
                out->language = ansi_block(head.substr(bar + 1));
            } else {
                out->name = ansi_block(head);
            }
            text = rest.substr(colon + 2);
        } else if (first == ':') {
            text = rest.substr(1);
        }
        out->text = trim(text);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT parse_source(std::string_view rest, source* out) noexcept
{
    try {
        // Every ANSI byte comes back from the round trip as itself.
        const std::u16string wide = com::from_ansi(rest);
        if (wide.size() != rest.size()) return E_OUTOFMEMORY;
        located_source found;
        RETURN_IF_FAILED(locate_source(wide, &found));
        out->name = std::move(found.name);
        out->language = std::move(found.language);
        out->text = ansi_block(found.text);
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
