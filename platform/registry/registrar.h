// The registrar: runs registration scripts (.rgs text) against the registry file.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {…} = s 'Note Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Before parsing, each %NAME% is replaced by its value from `replacements` (names compare
// without case; %% is one %). Words are separated by white space; a quoted word is 'text' with
// '' for a quote. An entry is [NoRemove|ForceRemove|Delete|val] name [= type value]
// [{ entries }], with the types s (string), d (a DWORD in decimal or 0x hex) and b (bytes as
// hex digits). Only HKCR (HKEY_CLASSES_ROOT) is a root here.
//
// Registering creates every key and value named. ForceRemove removes the key's tree first;
// Delete removes it and creates nothing. Unregistering removes, children first, each key the
// script names unless it is NoRemove or still has subkeys it did not name; a ForceRemove key
// goes with its whole tree, and `val` values are removed from the keys that stay.
//
// The script is parsed whole before anything changes, and the change is one replacement of
// the registry file. DISP_E_EXCEPTION for a script that does not parse or names an unknown
// variable (the registry is then untouched); a registry failure as HRESULT_FROM_WIN32 of its
// code (ERROR_BADDB, ERROR_CANTWRITE, …); E_OUTOFMEMORY.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/com/types.h"

namespace registry {

struct replacement {
    std::u16string_view name;
    std::u16string_view value;
};

HRESULT register_script(std::u16string_view script,
                        std::span<const replacement> replacements) noexcept;
HRESULT unregister_script(std::u16string_view script,
                          std::span<const replacement> replacements) noexcept;

// `text` with every single quote doubled, for a value that the script places between quotes
// (a module path in '%MODULE%'). May throw std::bad_alloc.
std::u16string quote_for_script(std::u16string_view text);

}  // namespace registry
