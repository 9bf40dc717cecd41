// The registry in memory: a tree of keys under HKEY_CLASSES_ROOT, each with its values.
//
// Subkeys are ordered and found by their folded (upper-case) name, so lookups ignore case
// while every key keeps the spelling it was created with. Values keep the order they were
// first set in; the default value has the empty name. Value data are the bytes the API
// passes (UTF-16LE for strings). These types may throw std::bad_alloc; the entry points
// catch it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/types.h"

namespace registry {

struct value {
    std::u16string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct key {
    std::u16string name;
    std::vector<value> values;
    std::map<std::u16string, std::unique_ptr<key>> subkeys;  // by folded name

    key* find_child(std::u16string_view child) const;
    // The existing child of that name, or a new one; `*created` says which.
    key* add_child(std::u16string_view child, bool* created = nullptr);
    // False when there is no such child.
    bool remove_child(std::u16string_view child);

    const value* find_value(std::u16string_view value_name) const;
    void set_value(std::u16string_view value_name, DWORD type, std::vector<BYTE> data);
    bool remove_value(std::u16string_view value_name);

    void clear();
};

// A key path below the root, one name a step.
using key_path = std::vector<std::u16string>;

// Splits "a\b\c" at backslashes. False for an empty step (a leading, doubled or trailing
// backslash), a name over 255 characters or one holding a control character.
bool split_path(std::u16string_view text, key_path* path);

// Key and value names may hold any character but a control character or an unpaired
// surrogate (and, for keys, `\`).
bool is_valid_name(std::u16string_view name);

key* find(key& root, const key_path& path);
const key* find(const key& root, const key_path& path);
// Creates whatever is missing along `path`; `*created` says whether its last step was new.
key* create(key& root, const key_path& path, bool* created = nullptr);
// Removes the key at `path` with everything below it. False when it does not exist.
bool remove_tree(key& root, const key_path& path);

std::u16string fold(std::u16string_view name);

}  // namespace registry
