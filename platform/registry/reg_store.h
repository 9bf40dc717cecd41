// Where the registry file lives and how it is read and changed safely.
//
// A read takes a shared flock on "<file>.lock" and parses the file; a change takes the lock
// exclusively, rereads and parses the file, applies itself to the tree and, when the text
// differs, writes a new file beside the old one (created with O_EXCL), fsyncs it and renames it
// over the old, so a crash leaves either file whole and concurrent changes are serialised
// without losing any. A missing file is an empty registry; a damaged one fails every call with
// ERROR_BADDB and is never rewritten.
#pragma once

#include <functional>
#include <string>

#include "platform/registry/key_tree.h"

namespace registry {

// $ZCNT_REGISTRY when set and not empty, else $XDG_STATE_HOME (when absolute) or
// ~/.local/state, followed by /contentelements/registry.reg. May throw std::bad_alloc.
std::string registry_file_path();

// `read` sees the registry as it is now; its result is returned. ERROR_CANTREAD when the file
// or its lock cannot be read, ERROR_BADDB when it is damaged, ERROR_NOT_ENOUGH_MEMORY.
LONG read_registry(const std::function<LONG(const key& root)>& read) noexcept;

// `change` edits the tree; on ERROR_SUCCESS the result is stored, on anything else nothing is.
// ERROR_CANTWRITE when the new file cannot be written, besides the read errors above.
LONG change_registry(const std::function<LONG(key& root)>& change) noexcept;

}  // namespace registry
