// The registry as the class table's source of classes: a ProgID's CLSID key gives its class
// id, a class id's InprocServer32 key names the library that serves it, which is loaded with
// dlopen (once, and kept) and asked through its DllGetClassObject. What a lookup read is
// remembered while the registry file stays the same file (its inode, time and size), so a
// change by any process is seen at the next lookup.
//
// Linking the registry library installs this source in the process's class table before
// main; CoFreeUnusedLibraries closes each loaded library whose DllCanUnloadNow answers S_OK.
//
// Lookups give REGDB_E_CLASSNOTREG for a class id without a server, CO_E_CLASSSTRING for an
// unknown ProgID, REGDB_E_READREGDB when the registry file cannot be read or is damaged,
// CO_E_DLLNOTFOUND when the named library does not load and CO_E_ERRORINDLL when it has no
// DllGetClassObject.
#pragma once

#include <cstddef>

// Referenced by the registry library's link options, so that every program linking it pulls
// in the source's installation.
extern "C" const int zcnt_registry_classes_installed;

namespace registry {

// How many libraries the source holds loaded now.
std::size_t loaded_server_count() noexcept;

}  // namespace registry
