// The call journal's storage and the formatting of its arguments.
#include "host/model/journal.h"

#include <charconv>
#include <cstdio>
#include <new>

#include "platform/com/codepage.h"

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

// The code page layer's UTF-8, so the journal, the PDF writer and the tool agree on every byte.
std::string utf8(std::u16string_view text) { return com::to_utf8(text); }

std::u16string utf16(std::string_view text) { return com::from_utf8(text); }

}  // namespace host
