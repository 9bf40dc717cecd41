// Registering a type library under HKEY_CLASSES_ROOT, as the system's RegisterTypeLib does:
//
//   TypeLib\{LIBID}\1.0                  @ = the library's help string (else its name)
//   TypeLib\{LIBID}\1.0\0\linux64        @ = the file the library was loaded from
//   TypeLib\{LIBID}\1.0\FLAGS            @ = the library flags in decimal
//   TypeLib\{LIBID}\1.0\HELPDIR          @ = the help folder, when one is given
//   Interface\{IID}                      @ = the interface's name, for every dispatch or
//                                            automation-compatible interface of the library,
//     ProxyStubClsid, ProxyStubClsid32   @ = the automation marshaller's class id
//     TypeLib                            @ = {LIBID}, Version = "1.0"
//
// The keys are written as one registration script, so a registration is one change of the
// registry file, and unregistration removes exactly what registration wrote: a key that holds
// subkeys of another registration (another version, locale or system) stays.
#pragma once

#include <string>

#include "platform/automation/typeinfo.h"

// `full_path` names the library's file; `help_dir` may be null. Results as the registrar's
// (registrar.h), E_INVALIDARG for a null library or path.
HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR full_path, LPCOLESTR help_dir) noexcept;

// Removes the registration of a library built in this process (find_type_library);
// TYPE_E_LIBNOTREGISTERED when there is none of that version, or the lcid and system kind are
// not its own.
HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid,
                          SYSKIND syskind) noexcept;

namespace registry {

// The registration script for `lib` with its file as %MODULE%. May throw std::bad_alloc.
HRESULT type_library_script(ITypeLib* lib, std::u16string_view help_dir, std::u16string* out);

}  // namespace registry
