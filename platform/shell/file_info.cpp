// File existence and attributes through stat(2).
#include "platform/shell/file_info.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/shell/path_map.h"

namespace {

std::string_view last_component(std::string_view path) noexcept
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    const auto at = path.find_last_of("\\/");
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

}  // namespace

DWORD GetFileAttributesA(LPCSTR path) noexcept
{
    if (!path || !*path) {
        SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string native;
    if (!shell::native_path_from_ansi(path, native)) return INVALID_FILE_ATTRIBUTES;
    struct stat info;
    if (stat(native.c_str(), &info) != 0) {
        SetLastError(shell::win32_error_from_errno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    const std::string_view name = last_component(path);
    if (name.size() > 1 && name.front() == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL PathFileExistsA(LPCSTR path) noexcept
{
    if (!path || !*path) return FALSE;
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

BOOL PathIsDirectoryA(LPCSTR path) noexcept
{
    if (!path || !*path) return FALSE;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
    return static_cast<BOOL>(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
