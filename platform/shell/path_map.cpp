// Drive letters and separators between Windows and Linux paths.
#include "platform/shell/path_map.h"

#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/shell/text.h"

namespace shell {
namespace {

bool is_separator(char c) noexcept { return c == '\\' || c == '/'; }

bool is_drive_letter(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool map_windows_path(std::string_view path, std::string& native)
{
    native.clear();
    std::string root;
    bool has_drive = path.size() >= 2 && is_drive_letter(path[0]) && path[1] == ':';
    if (has_drive) {
        const char letter = static_cast<char>(path[0] & ~0x20);
        if (letter != 'Z') {
            const std::string variable = std::string("ZCNT_DRIVE_") + letter;
            const char* value = std::getenv(variable.c_str());
            if (!value || !*value) return false;
            root = value;
            while (root.size() > 1 && root.back() == '/') root.pop_back();
            if (root == "/") root.clear();
        }
        path.remove_prefix(2);
        if (path.empty()) {
            native = root.empty() ? "/" : root;
            return true;
        }
        native = root;
        if (!is_separator(path.front())) native += '/';
    }
    native.reserve(native.size() + path.size());
    for (char c : path) native += is_separator(c) ? '/' : c;
    return true;
}

bool native_path_from_ansi(std::string_view windows_path, std::string& native) noexcept
{
    try {
        if (map_windows_path(ansi_to_utf8(windows_path), native)) return true;
        SetLastError(ERROR_PATH_NOT_FOUND);
    } catch (const std::bad_alloc&) {
        native.clear();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return false;
}

bool native_path_from_wide(std::u16string_view windows_path, std::string& native) noexcept
{
    try {
        if (map_windows_path(utf16_to_utf8(windows_path), native)) return true;
        SetLastError(ERROR_PATH_NOT_FOUND);
    } catch (const std::bad_alloc&) {
        native.clear();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return false;
}

std::string windows_path_from_native(std::string_view native)
{
    std::string out;
    if (!native.empty() && native.front() == '/') out = "Z:";
    for (char c : native) out += c == '/' ? '\\' : c;
    return out;
}

DWORD win32_error_from_errno(int error) noexcept
{
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_ACCESS_DENIED;
    }
}

}  // namespace shell
