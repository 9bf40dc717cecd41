// Parsing INI text and answering queries on it with Windows' truncation and return rules.
#include "platform/shell/profile_data.h"

#include "platform/shell/text.h"

namespace shell {
namespace {

std::u16string decode(std::string_view bytes)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
        return utf8_to_utf16(bytes.substr(3));
    if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) ||
                              (byte(0) == 0xFE && byte(1) == 0xFF))) {
        const bool little = byte(0) == 0xFF;
        std::u16string out;
        out.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const unsigned lo = little ? byte(i) : byte(i + 1);
            const unsigned hi = little ? byte(i + 1) : byte(i);
            out += static_cast<char16_t>(lo | (hi << 8));
        }
        return out;
    }
    return ansi_to_utf16(bytes);
}

std::u16string_view up_to_nul(std::u16string_view text) noexcept
{
    return text.substr(0, text.find(u'\0'));
}

// lstrcpynW: at most size - 1 characters and a NUL; returns the characters copied.
DWORD copy_n(char16_t* to, std::u16string_view from, DWORD size) noexcept
{
    if (size == 0) return 0;
    DWORD n = 0;
    while (n + 1 < size && n < from.size()) {
        to[n] = from[n];
        ++n;
    }
    to[n] = u'\0';
    return n;
}

// Copies a value, dropping one pair of enclosing quotes when the whole of it fits.
void copy_entry(char16_t* to, std::u16string_view value, DWORD size) noexcept
{
    bool quoted = false;
    if (value.size() >= 2 && (value[0] == u'\'' || value[0] == u'"') && value.back() == value[0]) {
        quoted = true;
        value.remove_prefix(1);
    }
    const DWORD n = copy_n(to, value, size);
    if (quoted && size >= value.size() && n > 0) to[n - 1] = u'\0';
}

const profile_section* find_section(const profile_data& data, std::u16string_view name) noexcept
{
    for (const profile_section& section : data.sections)
        if (!section.name.empty() && equal_no_case(section.name, name)) return &section;
    return nullptr;
}

const profile_key* find_key(const profile_data& data, std::u16string_view section_name,
                            std::u16string_view key_name) noexcept
{
    const profile_section* section = find_section(data, trim_profile_space(section_name));
    if (!section) return nullptr;
    key_name = trim_profile_space(key_name);
    for (const profile_key& key : section->keys)
        if (equal_no_case(key.name, key_name)) return &key;
    return nullptr;
}

DWORD section_names(const profile_data& data, char16_t* buffer, DWORD size) noexcept
{
    if (size == 1) {
        buffer[0] = u'\0';
        return 0;
    }
    DWORD room = size - 1;
    char16_t* at = buffer;
    for (const profile_section& section : data.sections) {
        if (section.name.empty()) continue;
        const DWORD needed = static_cast<DWORD>(section.name.size()) + 1;
        if (needed >= room) {
            if (room > 0) {
                for (DWORD i = 0; i + 1 < room; ++i) *at++ = section.name[i];
                *at++ = u'\0';
            }
            *at = u'\0';
            return size - 2;
        }
        for (char16_t c : section.name) *at++ = c;
        *at++ = u'\0';
        room -= needed;
    }
    *at = u'\0';
    return static_cast<DWORD>(at - buffer);
}

// The key list (values false) or the section's lines (values true) of one section.
DWORD section_list(const profile_data& data, std::u16string_view name, char16_t* buffer,
                   DWORD size, bool values) noexcept
{
    if (size == 1) {
        buffer[0] = u'\0';
        return 0;
    }
    const profile_section* section = find_section(data, name);
    if (!section) {
        buffer[0] = buffer[1] = u'\0';
        return 0;
    }
    const DWORD start = size;
    DWORD left = size;
    char16_t* at = buffer;
    for (const profile_key& key : section->keys) {
        if (left <= 2) break;
        if (key.name.empty() || key.name[0] == u';') continue;
        if (!values && !key.has_value) continue;
        DWORD n = copy_n(at, key.name, left - 1);
        left -= n + 1;
        at += n + 1;
        if (left < 2) break;
        if (values && key.has_value) {
            at[-1] = u'=';
            n = copy_n(at, key.value, left - 1);
            left -= n + 1;
            at += n + 1;
        }
    }
    *at = u'\0';
    if (left <= 1) {
        at[-1] = u'\0';
        return start - 2;
    }
    return start - left;
}

std::u16string_view without_trailing_blanks(std::u16string_view text) noexcept
{
    while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    return text;
}

}  // namespace

profile_data parse_profile(std::string_view bytes)
{
    const std::u16string text = decode(bytes);
    profile_data data;
    data.sections.emplace_back();
    std::u16string_view rest(text);
    while (!rest.empty()) {
        const std::size_t end = rest.find(u'\n');
        std::u16string_view line = rest.substr(0, end);
        rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
        line = trim_profile_space(line);
        if (line.empty()) continue;
        if (line.front() == u'[') {
            const std::size_t close = line.rfind(u']');
            if (close != std::u16string_view::npos) {
                profile_section section;
                section.name = trim_profile_space(up_to_nul(line.substr(1, close - 1)));
                data.sections.push_back(std::move(section));
                continue;
            }
        }
        profile_key key;
        const std::size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos) {
            key.name = up_to_nul(line);
        } else {
            key.name = up_to_nul(trim_profile_space(line.substr(0, equals)));
            key.value = up_to_nul(trim_profile_space(line.substr(equals + 1)));
            key.has_value = true;
        }
        if (key.name.empty()) continue;
        data.sections.back().keys.push_back(std::move(key));
    }
    return data;
}

DWORD profile_string(const profile_data& data, LPCWSTR section, LPCWSTR key,
                     LPCWSTR default_value, LPWSTR buffer, DWORD size) noexcept
{
    if (!buffer || size == 0) return 0;
    if (!section) return section_names(data, buffer, size);
    const std::u16string_view fallback =
        without_trailing_blanks(default_value ? std::u16string_view(default_value) : u"");
    if (key) {
        if (!key[0]) {
            buffer[0] = u'\0';
            return 0;
        }
        const profile_key* found = find_key(data, section, key);
        copy_entry(buffer, found && found->has_value ? std::u16string_view(found->value) : fallback,
                   size);
        return static_cast<DWORD>(length(buffer));
    }
    if (section[0]) {
        DWORD written = section_list(data, section, buffer, size, false);
        if (!buffer[0]) {
            copy_entry(buffer, fallback, size);
            written = static_cast<DWORD>(length(buffer));
        }
        return written;
    }
    buffer[0] = u'\0';
    return 0;
}

DWORD profile_section_lines(const profile_data& data, LPCWSTR section, LPWSTR buffer,
                            DWORD size) noexcept
{
    if (!section || !buffer || size == 0) return 0;
    return section_list(data, section, buffer, size, true);
}

UINT profile_integer(std::u16string_view text) noexcept
{
    std::size_t i = 0;
    while (i < text.size() && text[i] <= u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    UINT base = 10;
    if (i + 1 < text.size() && text[i] == u'0') {
        if (text[i + 1] == u'b') base = 2;
        else if (text[i + 1] == u'o') base = 8;
        else if (text[i + 1] == u'x') base = 16;
        if (base != 10) i += 2;
    }
    UINT total = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        UINT digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'A' && c <= u'Z') digit = c - u'A' + 10;
        else if (c >= u'a' && c <= u'z') digit = c - u'a' + 10;
        else break;
        if (digit >= base) break;
        total = total * base + digit;
    }
    return negative ? 0u - total : total;
}

}  // namespace shell
