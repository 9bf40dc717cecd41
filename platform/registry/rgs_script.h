// Registration scripts parsed: the entries under HKEY_CLASSES_ROOT that a script names.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/key_tree.h"
#include "platform/registry/registrar.h"

namespace registry {

enum class entry_kind { key, no_remove, force_remove, remove, value };

struct rgs_entry {
    entry_kind kind = entry_kind::key;
    std::u16string name;  // a value's name; for a key, its path below the parent
    key_path path;
    bool has_data = false;  // a key's default value, or a value's data
    DWORD type = 0;
    std::vector<BYTE> data;
    std::vector<rgs_entry> children;
};

// The script's text with its %NAME% variables replaced; false for an unknown name or an
// unmatched %. May throw std::bad_alloc.
bool replace_variables(std::u16string_view script, std::span<const replacement> replacements,
                       std::u16string* out);

// The entries of every HKCR block, in order; false for any syntax error. May throw
// std::bad_alloc.
bool parse_script(std::u16string_view text, std::vector<rgs_entry>* entries);

}  // namespace registry
