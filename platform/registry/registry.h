// The registry functions the library calls, over HKEY_CLASSES_ROOT kept in one REGEDIT4 file.
//
// The file is $ZCNT_REGISTRY, or $XDG_STATE_HOME/contentelements/registry.reg (XDG_STATE_HOME
// defaults to ~/.local/state). Every call rereads it under a shared lock; every change takes
// an exclusive lock, rereads, applies and replaces the file whole (reg_store.h), so several
// processes can change it at once. Key names compare case-insensitively and keep their case.
//
// Results are Win32 error codes as on Windows: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a
// missing key or value, ERROR_INVALID_HANDLE for a handle that is not open, ERROR_KEY_DELETED
// for an open key that another call removed, ERROR_INVALID_PARAMETER for bad arguments
// (a key name over 255 characters, a name with a control character or an unpaired surrogate,
// a null out pointer),
// ERROR_BADDB for a damaged file (left as it is), ERROR_CANTREAD / ERROR_CANTWRITE when the
// file cannot be read or replaced, ERROR_NOT_ENOUGH_MEMORY.
//
// HKEY_LOCAL_MACHINE reaches the same keys through SOFTWARE\Classes, as on Windows; nothing
// else exists beneath it.
#pragma once

#include <cstdint>

#include "platform/shell/shell_types.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;
using LPBYTE = BYTE*;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000u});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u});

// Value types. Any type number can be stored; the file writes these by name.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights are accepted and not checked: the file's permissions are the only guard.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr DWORD MAX_KEY_NAME_LENGTH = 255;

// Creates every missing key along `sub_key` ("a\b\c"; null or "" opens `key` again).
// `disposition` (may be null) says whether the last key was new. The class, options and
// security arguments are ignored.
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR sub_key, DWORD reserved, LPWSTR key_class,
                        DWORD options, REGSAM sam, const void* security, PHKEY result,
                        LPDWORD disposition) noexcept;
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR sub_key, DWORD options, REGSAM sam,
                      PHKEY result) noexcept;
// Predefined handles close without effect.
LSTATUS RegCloseKey(HKEY key) noexcept;

// A null or empty name is the key's default value. `data` is stored as given: a string value
// should count its terminator in `size`, as on Windows.
LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD size) noexcept;
// With `data` null, *size receives the byte count. A buffer smaller than the value gives
// ERROR_MORE_DATA with *size set to the count needed. `data` without `size` is
// ERROR_INVALID_PARAMETER. `type` may be null.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size) noexcept;

// The index-th subkey in case-insensitive name order. *name_size holds the buffer's length in
// characters and receives the name's length without the terminator; ERROR_MORE_DATA when the
// name and terminator do not fit, ERROR_NO_MORE_ITEMS past the last. The class is always ""
// and the write time zero.
LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD name_size, LPDWORD reserved,
                      LPWSTR key_class, LPDWORD class_size, FILETIME* last_write) noexcept;

// Removes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise, and for a root).
LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR sub_key) noexcept;
// Removes `sub_key` with everything below it; with a null `sub_key`, empties `key` of its
// subkeys and values and keeps it.
LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR sub_key) noexcept;
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name) noexcept;
