// Reading registration scripts: variable replacement, words, and the entry grammar.
#include "platform/registry/rgs_script.h"

#include "platform/registry/registry.h"
#include "platform/shell/text.h"

namespace registry {
namespace {

struct word {
    std::u16string text;
    bool quoted = false;

    bool is(std::u16string_view keyword) const
    {
        return !quoted && shell::equal_no_case(text, keyword);
    }
};

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

class reader {
public:
    explicit reader(std::u16string_view text) : text_(text) {}

    // The next word; false at the end, or (with *error set) for an unterminated quote.
    bool next(word* out)
    {
        while (at_ < text_.size() && is_space(text_[at_])) ++at_;
        if (at_ == text_.size()) return false;
        out->text.clear();
        out->quoted = text_[at_] == u'\'';
        if (!out->quoted) {
            while (at_ < text_.size() && !is_space(text_[at_])) out->text.push_back(text_[at_++]);
            return true;
        }
        for (++at_; at_ < text_.size(); ++at_) {
            if (text_[at_] != u'\'') {
                out->text.push_back(text_[at_]);
            } else if (at_ + 1 < text_.size() && text_[at_ + 1] == u'\'') {
                out->text.push_back(u'\'');
                ++at_;
            } else {
                ++at_;
                return true;
            }
        }
        error_ = true;
        return false;
    }

    bool peek(word* out)
    {
        const std::size_t saved = at_;
        const bool got = next(out);
        at_ = saved;
        return got;
    }

    bool failed() const { return error_; }

private:
    std::u16string_view text_;
    std::size_t at_ = 0;
    bool error_ = false;
};

int hex_value(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool parse_dword(std::u16string_view text, DWORD* number)
{
    unsigned base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    std::uint64_t n = 0;
    for (char16_t c : text) {
        const int digit = hex_value(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
        n = n * base + static_cast<unsigned>(digit);
        if (n > 0xFFFFFFFFu) return false;
    }
    *number = static_cast<DWORD>(n);
    return true;
}

// "= type value" after a name.
bool parse_data(reader& in, rgs_entry* entry)
{
    word type, data;
    if (!in.next(&type) || !in.next(&data)) return false;
    entry->has_data = true;
    entry->data.clear();
    if (type.is(u"s")) {
        entry->type = REG_SZ;
        for (char16_t c : data.text) {
            entry->data.push_back(static_cast<BYTE>(c & 0xFF));
            entry->data.push_back(static_cast<BYTE>(c >> 8));
        }
        entry->data.insert(entry->data.end(), {0, 0});
        return true;
    }
    if (type.is(u"d")) {
        DWORD n = 0;
        if (!parse_dword(data.text, &n)) return false;
        entry->type = REG_DWORD;
        entry->data = {static_cast<BYTE>(n), static_cast<BYTE>(n >> 8),
                       static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24)};
        return true;
    }
    if (type.is(u"b")) {
        if (data.text.size() % 2 != 0) return false;
        entry->type = REG_BINARY;
        for (std::size_t i = 0; i < data.text.size(); i += 2) {
            const int high = hex_value(data.text[i]), low = hex_value(data.text[i + 1]);
            if (high < 0 || low < 0) return false;
            entry->data.push_back(static_cast<BYTE>(high << 4 | low));
        }
        return true;
    }
    return false;
}

bool parse_entries(reader& in, std::vector<rgs_entry>* entries, int depth);

bool parse_entry(reader& in, word first, rgs_entry* entry, int depth)
{
    if (first.is(u"NoRemove")) entry->kind = entry_kind::no_remove;
    else if (first.is(u"ForceRemove")) entry->kind = entry_kind::force_remove;
    else if (first.is(u"Delete")) entry->kind = entry_kind::remove;
    else if (first.is(u"val")) entry->kind = entry_kind::value;
    word name = first;
    if (entry->kind != entry_kind::key && !in.next(&name)) return false;
    if (name.is(u"{") || name.is(u"}") || name.is(u"=")) return false;
    entry->name = name.text;
    if (entry->kind == entry_kind::value) {
        word equals;
        return is_valid_name(entry->name) && in.next(&equals) && equals.is(u"=") &&
               parse_data(in, entry);
    }
    if (!split_path(entry->name, &entry->path) || entry->path.empty()) return false;
    word after;
    if (in.peek(&after) && after.is(u"=")) {
        in.next(&after);
        if (!parse_data(in, entry)) return false;
    }
    if (in.peek(&after) && after.is(u"{")) {
        in.next(&after);
        return parse_entries(in, &entry->children, depth + 1);
    }
    return !in.failed();
}

// Entries up to and including the closing brace.
bool parse_entries(reader& in, std::vector<rgs_entry>* entries, int depth)
{
    if (depth > 64) return false;  // deeper than any registry path can go
    word w;
    while (in.next(&w)) {
        if (w.is(u"}")) return true;
        entries->emplace_back();
        if (!parse_entry(in, std::move(w), &entries->back(), depth)) return false;
    }
    return false;
}

}  // namespace

bool replace_variables(std::u16string_view script, std::span<const replacement> replacements,
                       std::u16string* out)
{
    out->clear();
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] != u'%') {
            out->push_back(script[i]);
            continue;
        }
        const std::size_t close = script.find(u'%', i + 1);
        if (close == std::u16string_view::npos) return false;
        const std::u16string_view name = script.substr(i + 1, close - i - 1);
        i = close;
        if (name.empty()) {
            out->push_back(u'%');
            continue;
        }
        const replacement* found = nullptr;
        for (const replacement& r : replacements)
            if (shell::equal_no_case(r.name, name)) found = &r;
        if (!found) return false;
        out->append(found->value);
    }
    return true;
}

bool parse_script(std::u16string_view text, std::vector<rgs_entry>* entries)
{
    reader in(text);
    word root, open;
    while (in.next(&root)) {
        if (!root.is(u"HKCR") && !root.is(u"HKEY_CLASSES_ROOT")) return false;
        if (!in.next(&open) || !open.is(u"{") || !parse_entries(in, entries, 0)) return false;
    }
    return !in.failed();
}

}  // namespace registry
