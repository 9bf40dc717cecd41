// Writing and reading the REGEDIT4 text of the registry file.
#include "platform/registry/reg_file.h"

#include <cstdio>

#include "platform/com/codepage.h"
#include "platform/registry/registry.h"
#include "platform/shell/text.h"

namespace registry {
namespace {

constexpr std::string_view header = "REGEDIT4";
constexpr std::string_view root_name = "HKEY_CLASSES_ROOT";
constexpr std::size_t hex_line_width = 76;

// The UTF-8 form of `text`, or false when it has an unpaired surrogate (which UTF-8 cannot
// carry).
bool exact_utf8(std::u16string_view text, std::string* out)
{
    *out = com::to_utf8(text);
    return com::from_utf8(*out) == text;
}

bool exact_utf16(std::string_view text, std::u16string* out)
{
    *out = com::from_utf8(text);
    return com::to_utf8(*out) == text;
}

void append_quoted(std::string* out, std::string_view utf8)
{
    out->push_back('"');
    for (char c : utf8) {
        if (c == '\\' || c == '"') out->push_back('\\');
        out->push_back(c);
    }
    out->push_back('"');
}

// The string a REG_SZ value holds, when a quoted line can carry it: terminated once at the end,
// no control characters, nothing UTF-8 cannot spell.
bool quotable_string(const std::vector<BYTE>& data, std::string* utf8)
{
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    std::u16string text(data.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (text.back() != u'\0') return false;
    text.pop_back();
    return is_valid_name(text) && exact_utf8(text, utf8);
}

void append_hex(std::string* out, DWORD type, const std::vector<BYTE>& data)
{
    char buffer[16];
    if (type == REG_BINARY) {
        out->append("hex:");
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
        out->append(buffer);
    }
    std::size_t line_start = out->rfind('\n') + 1;
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(data[i]));
        out->append(buffer);
        if (i + 1 == data.size()) break;
        out->push_back(',');
        if (out->size() - line_start > hex_line_width) {
            out->append("\\\n  ");
            line_start = out->size() - 2;
        }
    }
}

void append_value(std::string* out, const value& v)
{
    std::string text;
    if (v.name.empty()) {
        out->push_back('@');
    } else {
        exact_utf8(v.name, &text);  // names are checked when they are set
        append_quoted(out, text);
    }
    out->push_back('=');
    if (v.type == REG_SZ && quotable_string(v.data, &text)) {
        append_quoted(out, text);
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        char buffer[16];
        const unsigned number = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                (static_cast<unsigned>(v.data[3]) << 24);
        std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
        out->append(buffer);
    } else {
        append_hex(out, v.type, v.data);
    }
    out->push_back('\n');
}

void append_key(std::string* out, const key& k, const std::string& path)
{
    out->append("\n[").append(path).append("]\n");
    for (const value& v : k.values)
        if (v.name.empty()) append_value(out, v);
    for (const value& v : k.values)
        if (!v.name.empty()) append_value(out, v);
    for (const auto& entry : k.subkeys)
        append_key(out, *entry.second, path + "\\" + com::to_utf8(entry.second->name));
}

// ---- reading -----------------------------------------------------------------------------

bool is_hex_digit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hex_digit(char c)
{
    if (c <= '9') return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

// A quoted string at the front of `text`, unescaped; `text` moves past its closing quote.
bool take_quoted(std::string_view* text, std::string* out)
{
    if (text->empty() || text->front() != '"') return false;
    out->clear();
    for (std::size_t i = 1; i < text->size(); ++i) {
        char c = (*text)[i];
        if (c == '"') {
            text->remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (++i == text->size()) return false;
            c = (*text)[i];
            if (c != '\\' && c != '"') return false;
        }
        out->push_back(c);
    }
    return false;
}

bool parse_hex_list(std::string_view text, std::vector<BYTE>* data)
{
    data->clear();
    std::size_t i = 0;
    auto skip_space = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    skip_space();
    if (i == text.size()) return true;
    for (;;) {
        skip_space();
        if (i + 1 >= text.size() || !is_hex_digit(text[i]) || !is_hex_digit(text[i + 1]))
            return false;
        data->push_back(static_cast<BYTE>(hex_digit(text[i]) << 4 | hex_digit(text[i + 1])));
        i += 2;
        skip_space();
        if (i == text.size()) return true;
        if (text[i++] != ',') return false;
    }
}

bool parse_data(std::string_view text, value* v)
{
    std::string utf8;
    if (!text.empty() && text.front() == '"') {
        std::u16string string;
        if (!take_quoted(&text, &utf8) || !text.empty() || !exact_utf16(utf8, &string))
            return false;
        v->type = REG_SZ;
        v->data.clear();
        for (char16_t c : string) {
            v->data.push_back(static_cast<BYTE>(c & 0xFF));
            v->data.push_back(static_cast<BYTE>(c >> 8));
        }
        v->data.push_back(0);
        v->data.push_back(0);
        return true;
    }
    if (text.substr(0, 6) == "dword:") {
        text.remove_prefix(6);
        if (text.size() != 8) return false;
        unsigned number = 0;
        for (char c : text) {
            if (!is_hex_digit(c)) return false;
            number = number << 4 | hex_digit(c);
        }
        v->type = REG_DWORD;
        v->data = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8),
                   static_cast<BYTE>(number >> 16), static_cast<BYTE>(number >> 24)};
        return true;
    }
    if (text.substr(0, 4) == "hex:") {
        v->type = REG_BINARY;
        return parse_hex_list(text.substr(4), &v->data);
    }
    if (text.substr(0, 4) != "hex(") return false;
    text.remove_prefix(4);
    const std::size_t close = text.find("):");
    if (close == 0 || close > 8) return false;
    DWORD type = 0;
    for (char c : text.substr(0, close)) {
        if (!is_hex_digit(c)) return false;
        type = type << 4 | hex_digit(c);
    }
    v->type = type;
    return parse_hex_list(text.substr(close + 2), &v->data);
}

bool parse_value_line(std::string_view line, key* at)
{
    if (!at) return false;
    value v;
    std::string utf8;
    if (line.front() == '@') {
        line.remove_prefix(1);
    } else if (!take_quoted(&line, &utf8) || utf8.empty() || !exact_utf16(utf8, &v.name) ||
               !is_valid_name(v.name)) {
        return false;
    }
    if (line.empty() || line.front() != '=') return false;
    line.remove_prefix(1);
    if (!parse_data(line, &v)) return false;
    at->set_value(v.name, v.type, std::move(v.data));
    return true;
}

key* parse_section(std::string_view inner, key* root)
{
    if (inner.size() < root_name.size() ||
        !shell::equal_no_case(com::from_utf8(inner.substr(0, root_name.size())),
                              com::from_utf8(root_name)))
        return nullptr;
    inner.remove_prefix(root_name.size());
    if (inner.empty()) return root;
    std::u16string path_text;
    key_path path;
    if (inner.front() != '\\' || !exact_utf16(inner.substr(1), &path_text) ||
        !split_path(path_text, &path) || path.empty())
        return nullptr;
    return create(*root, path);
}

// The next logical line: physical lines joined where one ends in a backslash after a hex list.
bool next_line(std::string_view* text, std::string* line)
{
    if (text->empty()) return false;
    line->clear();
    for (;;) {
        const std::size_t end = text->find('\n');
        std::string_view physical = text->substr(0, end);
        text->remove_prefix(end == std::string_view::npos ? text->size() : end + 1);
        if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
        if (!line->empty()) {
            while (!physical.empty() && (physical.front() == ' ' || physical.front() == '\t'))
                physical.remove_prefix(1);
        }
        const bool continued = physical.size() >= 2 && physical.back() == '\\' &&
                               physical[physical.size() - 2] == ',';
        if (!continued || text->empty()) {
            line->append(physical);
            return true;
        }
        physical.remove_suffix(1);
        line->append(physical);
    }
}

}  // namespace

std::string format_file(const key& root)
{
    std::string out(header);
    out.push_back('\n');
    if (!root.values.empty()) {
        out.append("\n[").append(root_name).append("]\n");
        for (const value& v : root.values) append_value(&out, v);
    }
    for (const auto& entry : root.subkeys)
        append_key(&out, *entry.second,
                   std::string(root_name) + "\\" + com::to_utf8(entry.second->name));
    return out;
}

bool parse_file(std::string_view text, key* root)
{
    if (text.empty()) return true;
    std::string line;
    bool seen_header = false;
    key* section = nullptr;
    while (next_line(&text, &line)) {
        std::string_view l = line;
        while (!l.empty() && (l.back() == ' ' || l.back() == '\t')) l.remove_suffix(1);
        if (l.empty() || l.front() == ';') continue;
        if (!seen_header) {
            if (l != header) return false;
            seen_header = true;
        } else if (l.front() == '[') {
            if (l.back() != ']' || !(section = parse_section(l.substr(1, l.size() - 2), root)))
                return false;
        } else if (!parse_value_line(l, section)) {
            return false;
        }
    }
    return seen_header;
}

}  // namespace registry
