// Directory enumeration: FindFirstFileA, FindNextFileA and FindClose.
//
// The pattern is a Windows path (ANSI code page) whose last component may hold '*' and '?'
// (see wildcard.h); names are compared without regard to case, folders before it are looked up
// as they are. The directory is read once, when the search starts: "." and ".." first (not at
// a drive's root), then the other matches in upper-case order, as NTFS returns them. Names
// reach the caller in the ANSI code page; Linux names that do not fit in MAX_PATH bytes are
// skipped.
//
// Errors (GetLastError): ERROR_PATH_NOT_FOUND for an empty pattern, a missing or unmapped
// folder or a folder that is a file; ERROR_FILE_NOT_FOUND when nothing matches or the pattern
// ends in a separator; ERROR_NO_MORE_FILES at the end; ERROR_INVALID_HANDLE for a handle that
// is not an open search; ERROR_INVALID_PARAMETER for null arguments.
#pragma once

#include "platform/shell/file_info.h"
#include "platform/shell/shell_types.h"

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};

// INVALID_HANDLE_VALUE on failure.
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) noexcept;
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data) noexcept;
BOOL FindClose(HANDLE search) noexcept;
