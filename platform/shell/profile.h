// INI files: GetPrivateProfileStringA/W, GetPrivateProfileIntA/W, GetPrivateProfileSectionA/W.
//
// The reading and buffer rules are those of profile_data.h. The file name is a Windows path
// (path_map.h); null means "win.ini", and a bare name without a folder or drive lives in the
// Windows folder, C:\windows (so it exists only when drive C is mapped). A missing file reads
// as an empty one and sets ERROR_FILE_NOT_FOUND. Parsed files are cached and reread when their
// size, times or inode change. The A functions convert through the ANSI code page.
#pragma once

#include "platform/shell/shell_types.h"

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer,
                               DWORD size, LPCSTR file_name) noexcept;
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR default_value,
                               LPWSTR buffer, DWORD size, LPCWSTR file_name) noexcept;

// The value read as profile_integer() does, or `default_value` when the key is missing or its
// value is empty (a negative default comes back as its 32-bit pattern).
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT default_value,
                           LPCSTR file_name) noexcept;
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT default_value,
                           LPCWSTR file_name) noexcept;

// A null section or buffer gives 0 with ERROR_INVALID_PARAMETER. The A form returns 0 (and ends
// the buffer in two NULs) when the result is shorter than two characters.
DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD size,
                                LPCSTR file_name) noexcept;
DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD size,
                                LPCWSTR file_name) noexcept;
