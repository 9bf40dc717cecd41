// Loading INI files for the profile functions, with a small cache of parsed files.
#include "platform/shell/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/codepage.h"
#include "platform/com/regular_file.h"
#include "platform/shell/path_map.h"
#include "platform/shell/profile_data.h"
#include "platform/shell/text.h"

namespace {

struct cached_file {
    std::string path;
    struct stat info;
    std::shared_ptr<const shell::profile_data> data;
};

bool same_version(const struct stat& a, const struct stat& b) noexcept
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

constexpr std::size_t kCachedFiles = 8;
constexpr std::int64_t kSettled = 2;
std::mutex cache_lock;
std::vector<cached_file>& cache()
{
    static std::vector<cached_file> files;
    return files;
}

const std::shared_ptr<const shell::profile_data>& empty_profile()
{
    static const auto empty = std::make_shared<const shell::profile_data>();
    return empty;
}

// The Windows path a profile name stands for.
std::u16string resolve(LPCWSTR file_name)
{
    std::u16string name = file_name ? file_name : u"win.ini";
    const bool bare = name.find_first_of(u"\\/") == std::u16string::npos &&
                      !(name.size() >= 2 && name[1] == u':');
    if (bare) name = u"C:\\windows\\" + name;
    return name;
}

std::optional<std::string> read_all(int fd)
{
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) return bytes;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

// The parsed file, or the empty profile (with the last error set) when it cannot be read.
std::shared_ptr<const shell::profile_data> load(LPCWSTR file_name)
{
    std::string native;
    if (!shell::map_windows_path(shell::utf16_to_utf8(resolve(file_name)), native)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return empty_profile();
    }
    const int fd = com::open_regular_file(native.c_str());
    if (fd < 0) {
        SetLastError(errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : shell::win32_error_from_errno(errno));
        return empty_profile();
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return empty_profile();
    }
    {
        std::lock_guard<std::mutex> hold(cache_lock);
        auto& files = cache();
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (files[i].path != native) continue;
            if (same_version(files[i].info, info)) {
                close(fd);
                return files[i].data;
            }
            files.erase(files.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    const std::optional<std::string> bytes = read_all(fd);
    close(fd);
    if (!bytes) {
        SetLastError(ERROR_ACCESS_DENIED);
        return empty_profile();
    }
    auto data = std::make_shared<const shell::profile_data>(shell::parse_profile(*bytes));
    // File times are coarse: a file changed within the last moments could change again without
    // a new time, so it is not cached until it has settled.
    if (info.st_mtim.tv_sec + kSettled >= static_cast<std::int64_t>(std::time(nullptr)))
        return data;
    std::lock_guard<std::mutex> hold(cache_lock);
    auto& files = cache();
    if (files.size() == kCachedFiles) files.pop_back();
    files.insert(files.begin(), cached_file{native, info, data});
    return data;
}

// An ANSI argument as UTF-16, keeping null as null.
struct wide_arg {
    explicit wide_arg(LPCSTR text) : present(text != nullptr)
    {
        if (text) value = shell::ansi_to_utf16(text);
    }
    LPCWSTR get() const noexcept { return present ? value.c_str() : nullptr; }
    bool present;
    std::u16string value;
};

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR default_value,
                               LPWSTR buffer, DWORD size, LPCWSTR file_name) noexcept
{
    if (!buffer || size == 0) return 0;
    try {
        const auto data = load(file_name);
        return shell::profile_string(*data, section, key, default_value, buffer, size);
    } catch (const std::bad_alloc&) {
        buffer[0] = u'\0';
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer,
                               DWORD size, LPCSTR file_name) noexcept
{
    if (!buffer || size == 0) return 0;
    try {
        const wide_arg section_w(section), key_w(key), default_w(default_value), file_w(file_name);
        std::u16string wide(size, u'\0');
        const DWORD count = GetPrivateProfileStringW(section_w.get(), key_w.get(), default_w.get(),
                                                     wide.data(), size, file_w.get());
        // A list ends in two NULs, which both have to reach the caller.
        const bool list = !section || !key;
        const DWORD chars = std::min<DWORD>(size, count + (list ? 2 : 1));
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(chars),
                                              buffer, static_cast<int>(size), nullptr, nullptr);
        if (bytes == 0) {
            buffer[size - 1] = '\0';
            return size - 1;
        }
        return static_cast<DWORD>(bytes) - (chars - count);
    } catch (const std::bad_alloc&) {
        buffer[0] = '\0';
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT default_value,
                           LPCWSTR file_name) noexcept
{
    char16_t value[30];
    if (GetPrivateProfileStringW(section, key, u"", value, 30, file_name) == 0 || !value[0])
        return static_cast<UINT>(default_value);
    return shell::profile_integer(value);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT default_value,
                           LPCSTR file_name) noexcept
{
    try {
        const wide_arg section_w(section), key_w(key), file_w(file_name);
        return GetPrivateProfileIntW(section_w.get(), key_w.get(), default_value, file_w.get());
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return static_cast<UINT>(default_value);
    }
}

DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD size,
                                LPCWSTR file_name) noexcept
{
    if (!section || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (size == 0) return 0;
    try {
        const auto data = load(file_name);
        return shell::profile_section_lines(*data, section, buffer, size);
    } catch (const std::bad_alloc&) {
        buffer[0] = u'\0';
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD size,
                                LPCSTR file_name) noexcept
{
    if (!section || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (size <= 2) {
        for (DWORD i = 0; i < size; ++i) buffer[i] = '\0';
        return 0;
    }
    try {
        const wide_arg section_w(section), file_w(file_name);
        std::u16string wide(size, u'\0');
        const DWORD count = GetPrivateProfileSectionW(section_w.get(), wide.data(), size,
                                                      file_w.get());
        const DWORD chars = std::min<DWORD>(size, count + 2);
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(chars),
                                              buffer, static_cast<int>(size), nullptr, nullptr);
        if (bytes > 0 && count >= 2) return static_cast<DWORD>(bytes) - (chars - count);
        buffer[0] = buffer[1] = '\0';
        buffer[size - 2] = buffer[size - 1] = '\0';
        return 0;
    } catch (const std::bad_alloc&) {
        buffer[0] = buffer[1] = '\0';
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
