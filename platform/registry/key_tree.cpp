// The in-memory key tree: lookups by folded name, creation and removal along paths.
#include "platform/registry/key_tree.h"

#include <algorithm>

#include "platform/shell/text.h"

namespace registry {

std::u16string fold(std::u16string_view name)
{
    std::u16string folded(name);
    for (char16_t& c : folded) c = shell::upper(c);
    return folded;
}

key* key::find_child(std::u16string_view child) const
{
    auto it = subkeys.find(fold(child));
    return it == subkeys.end() ? nullptr : it->second.get();
}

key* key::add_child(std::u16string_view child, bool* created)
{
    auto [it, inserted] = subkeys.try_emplace(fold(child));
    if (inserted) {
        it->second = std::make_unique<key>();
        it->second->name = std::u16string(child);
    }
    if (created) *created = inserted;
    return it->second.get();
}

bool key::remove_child(std::u16string_view child) { return subkeys.erase(fold(child)) != 0; }

const value* key::find_value(std::u16string_view value_name) const
{
    for (const value& v : values)
        if (shell::equal_no_case(v.name, value_name)) return &v;
    return nullptr;
}

void key::set_value(std::u16string_view value_name, DWORD type, std::vector<BYTE> data)
{
    for (value& v : values) {
        if (shell::equal_no_case(v.name, value_name)) {
            v.type = type;
            v.data = std::move(data);
            return;
        }
    }
    values.push_back({std::u16string(value_name), type, std::move(data)});
}

bool key::remove_value(std::u16string_view value_name)
{
    auto it = std::find_if(values.begin(), values.end(), [&](const value& v) {
        return shell::equal_no_case(v.name, value_name);
    });
    if (it == values.end()) return false;
    values.erase(it);
    return true;
}

void key::clear()
{
    values.clear();
    subkeys.clear();
}

bool is_valid_name(std::u16string_view name)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c < u' ' || c == u'\x7F') return false;
        // The file is UTF-8, which has no spelling for half a surrogate pair.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
            name[i + 1] <= 0xDFFF)
            ++i;
        else if (c >= 0xD800 && c <= 0xDFFF)
            return false;
    }
    return true;
}

bool split_path(std::u16string_view text, key_path* path)
{
    path->clear();
    if (text.empty()) return true;
    for (;;) {
        const std::size_t slash = text.find(u'\\');
        const std::u16string_view step = text.substr(0, slash);
        if (step.empty() || step.size() > 255 || !is_valid_name(step)) return false;
        path->emplace_back(step);
        if (slash == std::u16string_view::npos) return true;
        text.remove_prefix(slash + 1);
    }
}

key* find(key& root, const key_path& path)
{
    key* at = &root;
    for (const std::u16string& step : path)
        if (!(at = at->find_child(step))) return nullptr;
    return at;
}

const key* find(const key& root, const key_path& path)
{
    return find(const_cast<key&>(root), path);
}

key* create(key& root, const key_path& path, bool* created)
{
    key* at = &root;
    bool last_new = false;
    for (const std::u16string& step : path) at = at->add_child(step, &last_new);
    if (created) *created = last_new;
    return at;
}

bool remove_tree(key& root, const key_path& path)
{
    if (path.empty()) return false;
    key* parent = find(root, key_path(path.begin(), path.end() - 1));
    return parent && parent->remove_child(path.back());
}

}  // namespace registry
