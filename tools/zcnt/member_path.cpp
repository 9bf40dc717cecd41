// Reading dotted member paths; see member_path.h.
#include "tools/zcnt/member_path.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace zcnt {
namespace {

bool is_name_char(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

void skip_spaces(const std::string& s, std::size_t* at)
{
    while (*at < s.size() && s[*at] == ' ') ++*at;
}

// One index value at *at: an integer or a quoted string; *at ends after it.
bool parse_index_value(const std::string& s, std::size_t* at, argument* out)
{
    skip_spaces(s, at);
    if (*at >= s.size()) return false;
    const char first = s[*at];
    if (first == '"' || first == '\'') {
        const std::size_t end = s.find(first, *at + 1);
        if (end == std::string::npos) return false;
        out->kind = argument::kinds::string;
        out->string = s.substr(*at + 1, end - *at - 1);
        *at = end + 1;
        return true;
    }
    std::size_t end = *at;
    if (s[end] == '-' || s[end] == '+') ++end;
    const std::size_t digits = end;
    while (end < s.size() && std::isdigit(static_cast<unsigned char>(s[end]))) ++end;
    if (end == digits) return false;
    errno = 0;
    const long long value = std::strtoll(s.c_str() + *at, nullptr, 10);
    if (errno == ERANGE) return false;
    out->kind = argument::kinds::integer;
    out->integer = value;
    *at = end;
    return true;
}

// The step "Name" or "Name(i, …)" in `text`.
bool parse_step(const std::string& text, path_step* out)
{
    out->text = text;
    std::size_t at = 0;
    while (at < text.size() && is_name_char(text[at])) ++at;
    out->name = text.substr(0, at);
    if (out->name.empty()) return false;
    if (at == text.size()) return true;
    if (text[at] != '(' || text.back() != ')') return false;
    ++at;
    skip_spaces(text, &at);
    if (text[at] == ')') return at + 1 == text.size();
    for (;;) {
        argument value;
        if (!parse_index_value(text, &at, &value)) return false;
        out->index.push_back(std::move(value));
        skip_spaces(text, &at);
        if (at >= text.size()) return false;
        if (text[at] == ')') return at + 1 == text.size();
        if (text[at] != ',') return false;
        ++at;
    }
}

}  // namespace

bool parse_member_path(const std::string& text, std::vector<path_step>* steps, path_step* member,
                       std::string* error)
{
    // Dots inside an index's quotes or parentheses do not end a step.
    std::vector<std::string> parts(1);
    char quote = 0;
    int depth = 0;
    for (char c : text) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == '.' && depth == 0) {
            parts.emplace_back();
            continue;
        }
        parts.back().push_back(c);
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        path_step step;
        if (!parse_step(parts[i], &step)) {
            *error = "\"" + text + "\": step " + std::to_string(i + 1) + " \"" + parts[i] +
                     "\" is not Name or Name(index, …) with integer or quoted indexes";
            return false;
        }
        if (i + 1 < parts.size())
            steps->push_back(std::move(step));
        else
            *member = std::move(step);
    }
    return true;
}

}  // namespace zcnt
