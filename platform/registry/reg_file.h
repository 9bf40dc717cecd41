// The registry file's text: the REGEDIT4 export format, in UTF-8.
//
//   REGEDIT4
//
//   [HKEY_CLASSES_ROOT\CLSID\{…}\InprocServer32]
//   @="/usr/lib/libx.so"
//   "ThreadingModel"="Apartment"
//   "Flags"=dword:0000000a
//   "Note"=hex(1):41,00,0a,00,42,00,00,00
//
// Every key has a section, so empty keys survive; subkeys follow their parent in name order.
// "@" is the default value. In quoted strings `\` and `"` are escaped with a backslash. A
// string that a quoted line cannot hold (a line break or other control character, an unpaired
// surrogate, no terminator) and every type without a name of its own is written as hex(N):
// the value's bytes exactly as the API stores them, so strings appear there in UTF-16LE.
// Long hex lists continue on the next line after a trailing backslash.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry/key_tree.h"

namespace registry {

// The whole file for `root`. May throw std::bad_alloc.
std::string format_file(const key& root);

// Reads a file into the empty `root`. An empty file is an empty registry. False for anything
// this format does not allow: no REGEDIT4 header, a value outside a section, a section naming
// another root, bad escapes, hex or UTF-8. May throw std::bad_alloc.
bool parse_file(std::string_view text, key* root);

}  // namespace registry
