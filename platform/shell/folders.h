// Special folders: SHGetFolderPathA/W and SHGetSpecialFolderPathA.
//
// Only the program files folder exists here: $ZCNT_PROGRAM_FILES, or /opt when that is unset or
// empty, reported as a Windows path ("Z:\opt"; a relative setting keeps no drive). Other folder
// ids are not provided and give E_NOTIMPL (FALSE from SHGetSpecialFolderPathA). The CSIDL_FLAG_*
// bits in the id are accepted and ignored: the folder is never created.
#pragma once

#include "platform/shell/shell_types.h"

constexpr int CSIDL_PROGRAM_FILES = 0x26;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr int CSIDL_FLAG_DONT_VERIFY = 0x4000;
constexpr int CSIDL_FLAG_MASK = 0xFF00;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;
constexpr DWORD SHGFP_TYPE_DEFAULT = 1;

// `path` receives at most MAX_PATH characters with the NUL. S_OK; E_INVALIDARG for a null
// `path`; E_NOTIMPL for another folder; HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) when the
// folder does not fit (`path` is then ""). The owner window and token are not used.
HRESULT SHGetFolderPathA(void* owner, int csidl, HANDLE token, DWORD flags, LPSTR path) noexcept;
HRESULT SHGetFolderPathW(void* owner, int csidl, HANDLE token, DWORD flags, LPWSTR path) noexcept;
BOOL SHGetSpecialFolderPathA(void* owner, LPSTR path, int csidl, BOOL create) noexcept;
