// Whether a file exists and what it is: PathFileExistsA, PathIsDirectoryA, GetFileAttributesA.
// Paths are Windows paths in the ANSI code page, mapped as path_map.h says.
#pragma once

#include "platform/shell/shell_types.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// TRUE when the file or directory exists. A null or empty path gives FALSE; a failure sets the
// last error (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND for a missing folder or drive).
BOOL PathFileExistsA(LPCSTR path) noexcept;

// FILE_ATTRIBUTE_DIRECTORY when the path names a directory, else FALSE.
BOOL PathIsDirectoryA(LPCSTR path) noexcept;

// The attributes (directory, read-only when the owner may not write, hidden for a dot name,
// normal when nothing else applies), or INVALID_FILE_ATTRIBUTES with the last error set.
DWORD GetFileAttributesA(LPCSTR path) noexcept;
