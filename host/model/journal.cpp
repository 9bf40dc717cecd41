// The call journal's storage and the formatting of its arguments.
#include "host/model/journal.h"

#include <charconv>
#include <cstdio>
#include <new>

namespace host {

std::vector<std::string> journal::lines() const
{
    std::vector<std::string> out;
    out.reserve(entries_.size());
    for (const entry& e : entries_) out.push_back(e.text);
    return out;
}

std::vector<std::string> journal::lines_of_page(LONG page_id) const
{
    std::vector<std::string> out;
    for (const entry& e : entries_)
        if (e.page_id == page_id) out.push_back(e.text);
    return out;
}

void journal::add(LONG page_id, std::string text) noexcept
{
    try {
        entries_.push_back({page_id, std::move(text)});
    } catch (const std::bad_alloc&) {
    }
}

void append_value(std::string& out, LONG value) { out += std::to_string(value); }

void append_value(std::string& out, ULONG value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    out += buffer;
}

void append_value(std::string& out, SHORT value) { out += std::to_string(value); }

void append_value(std::string& out, double value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void append_value(std::string& out, float value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void append_value(std::string& out, std::u16string_view text)
{
    out += '"';
    for (char c : utf8(text)) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    out += '"';
}

void append_value(std::string& out, std::string_view name) { out += name; }

void append_hresult(std::string& out, HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    out += buffer;
}

std::string utf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;  // an unpaired surrogate
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string utf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i++]);
        std::size_t extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 4;
        char32_t c = extra == 0 ? b : 0xFFFD;
        if (extra >= 1 && extra <= 3 && text.size() - i >= extra) {
            char32_t v = b & (0x3F >> extra);
            bool ok = true;
            for (std::size_t k = 0; k < extra && ok; ++k) {
                const unsigned char n = static_cast<unsigned char>(text[i + k]);
                ok = (n & 0xC0) == 0x80;
                v = (v << 6) | (n & 0x3F);
            }
            if (ok) {
                c = v;
                i += extra;
            }
        }
        if (c >= 0x10000 && c < 0x110000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c >= 0x110000 ? 0xFFFD : c);
        }
    }
    return out;
}

}  // namespace host
