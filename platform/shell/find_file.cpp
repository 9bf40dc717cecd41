// Searches are snapshots of a directory listing, kept in a table of open handles so that a
// stale or foreign handle is refused instead of dereferenced.
#include "platform/shell/find_file.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/shell/path_map.h"
#include "platform/shell/text.h"
#include "platform/shell/wildcard.h"

namespace {

struct search {
    std::vector<WIN32_FIND_DATAA> entries;
    std::size_t next = 0;
};

std::mutex table_lock;
std::unordered_set<search*>& open_searches()
{
    static std::unordered_set<search*> table;
    return table;
}

FILETIME file_time(const timespec& t) noexcept
{
    // 100-nanosecond ticks since 1601-01-01.
    constexpr std::int64_t epoch_offset = 11644473600LL;
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(t.tv_sec + epoch_offset) * 10000000u +
        static_cast<std::uint64_t>(t.tv_nsec / 100);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

bool fill(const std::string& folder, const std::string& utf8_name, const std::string& ansi_name,
          WIN32_FIND_DATAA& data)
{
    if (ansi_name.size() >= MAX_PATH) return false;
    struct stat info;
    if (stat((folder + utf8_name).c_str(), &info) != 0 &&
        lstat((folder + utf8_name).c_str(), &info) != 0)
        return false;
    std::memset(&data, 0, sizeof data);
    DWORD attributes = 0;
    if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (ansi_name.size() > 1 && ansi_name[0] == '.' && ansi_name != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    data.dwFileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    data.ftCreationTime = file_time(info.st_ctim);
    data.ftLastAccessTime = file_time(info.st_atim);
    data.ftLastWriteTime = file_time(info.st_mtim);
    if (!S_ISDIR(info.st_mode)) {
        const auto size = static_cast<std::uint64_t>(info.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
    }
    std::memcpy(data.cFileName, ansi_name.c_str(), ansi_name.size() + 1);
    return true;
}

bool is_drive_root(std::string_view folder) noexcept
{
    return (folder.size() == 2 || folder.size() == 3) && folder[1] == ':';
}

// Reads the folder and keeps the matches, or returns the Win32 error.
DWORD collect(std::string_view pattern, search& found)
{
    if (pattern.empty()) return ERROR_PATH_NOT_FOUND;
    const auto split = pattern.find_last_of("\\/");
    std::string_view folder = split == std::string_view::npos ? std::string_view() : pattern.substr(0, split + 1);
    std::string_view mask = split == std::string_view::npos ? pattern : pattern.substr(split + 1);
    if (folder.empty() && mask.size() >= 2 && mask[1] == ':') {
        folder = mask.substr(0, 2);
        mask.remove_prefix(2);
    }
    if (mask.empty()) return ERROR_FILE_NOT_FOUND;

    std::string native;
    if (folder.empty()) {
        native = "./";
    } else if (!shell::map_windows_path(shell::ansi_to_utf8(folder), native)) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (native.back() != '/') native += '/';

    DIR* dir = opendir(native.c_str());
    if (!dir) return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                         : shell::win32_error_from_errno(errno);
    std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);

    const std::u16string mask16 = shell::ansi_to_utf16(mask);
    const bool skip_dots = is_drive_root(folder);
    struct match {
        std::u16string key;
        std::string utf8;
        std::string ansi;
    };
    std::vector<match> matches;
    while (const dirent* entry = readdir(dir)) {
        const std::string utf8(entry->d_name);
        const bool dots = utf8 == "." || utf8 == "..";
        if (dots && skip_dots) continue;
        std::u16string name16 = shell::utf8_to_utf16(utf8);
        if (!shell::wildcard_match(mask16, name16)) continue;
        std::u16string key = dots ? std::u16string(utf8.size(), u'\1') : std::move(name16);
        std::transform(key.begin(), key.end(), key.begin(), shell::upper);
        matches.push_back({std::move(key), utf8, shell::utf8_to_ansi(utf8)});
    }
    std::sort(matches.begin(), matches.end(),
              [](const match& a, const match& b) { return a.key < b.key; });
    for (const match& m : matches) {
        WIN32_FIND_DATAA data;
        if (fill(native, m.utf8, m.ansi, data)) found.entries.push_back(data);
    }
    return found.entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) noexcept
{
    if (!pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    try {
        auto found = std::make_unique<search>();
        const DWORD error = collect(pattern, *found);
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        *data = found->entries[0];
        found->next = 1;
        std::lock_guard<std::mutex> hold(table_lock);
        open_searches().insert(found.get());
        return found.release();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
}

BOOL FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) noexcept
{
    auto* s = static_cast<search*>(handle);
    std::lock_guard<std::mutex> hold(table_lock);
    if (!open_searches().count(s)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (s->next >= s->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = s->entries[s->next++];
    return TRUE;
}

BOOL FindClose(HANDLE handle) noexcept
{
    auto* s = static_cast<search*>(handle);
    {
        std::lock_guard<std::mutex> hold(table_lock);
        if (!open_searches().erase(s)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    delete s;
    return TRUE;
}
