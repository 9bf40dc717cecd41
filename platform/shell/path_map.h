// Windows paths to Linux paths.
//
// Both '\' and '/' separate components. A path without a drive is used as it is (relative
// paths stay relative to the current directory). "Z:" is the Linux root. Another drive "X:"
// is the folder named by $ZCNT_DRIVE_X (upper-case letter) and does not exist when that is
// unset or empty. A drive-relative path such as "C:name" is read from the drive's root.
// Components are matched by the Linux file system, so directories are case-sensitive; only
// the names a wildcard enumeration matches are compared without regard to case.
#pragma once

#include <string>
#include <string_view>

#include "platform/shell/shell_types.h"

namespace shell {

// `windows_path` in the ANSI code page, `native` in UTF-8. False when the drive is not mapped
// (ERROR_PATH_NOT_FOUND) or memory ran out (ERROR_NOT_ENOUGH_MEMORY); `native` is then empty.
bool native_path_from_ansi(std::string_view windows_path, std::string& native) noexcept;
bool native_path_from_wide(std::u16string_view windows_path, std::string& native) noexcept;

// The same on a path already in UTF-8; throws std::bad_alloc only.
bool map_windows_path(std::string_view utf8_path, std::string& native);

// A Linux path as Windows shows it: an absolute path becomes "Z:\…", separators become '\'.
std::string windows_path_from_native(std::string_view native);

// The error a failed Linux call on a path reports, as a Win32 code.
DWORD win32_error_from_errno(int error) noexcept;

}  // namespace shell
