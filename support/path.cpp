// Splitting a path into its parts.
#include "support/path.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/shell/file_info.h"
#include "platform/shell/path_parts.h"

namespace {

// The working buffer holds the unquoted path with its NUL.
constexpr std::size_t kWorkingBuffer = _MAX_PATH;

}  // namespace

CPath::CPath(LPCSTR path) noexcept
{
    try {
        Parse(path);
    } catch (const std::bad_alloc&) {
        Clear();
        status_ = E_OUTOFMEMORY;
    }
}

CPath::~CPath() = default;

void CPath::Clear() noexcept
{
    drive_.clear();
    directory_.clear();
    file_name_.clear();
    extension_.clear();
}

void CPath::Parse(LPCSTR path)
{
    Clear();
    std::string working = path ? path : "";
    PathUnquoteSpacesA(working.data());
    working.resize(std::strlen(working.c_str()));
    if (working.empty()) return;
    if (working.size() >= kWorkingBuffer) {
        status_ = E_INVALIDARG;
        return;
    }

    char drive[_MAX_DRIVE];
    char dir[_MAX_DIR];
    char fname[_MAX_FNAME];
    char ext[_MAX_EXT];
    if (_splitpath_s(working.c_str(), drive, sizeof drive, dir, sizeof dir, fname, sizeof fname,
                     ext, sizeof ext) != 0) {
        status_ = E_INVALIDARG;
        return;
    }

    drive_ = drive;
    // The ANSI code page is single-byte, so every byte is a whole character here.
    directory_ = dir;
    std::replace(directory_.begin(), directory_.end(), '/', '\\');
    file_name_ = fname;
    if (!file_name_.empty()) {
        extension_ = ext;
        extension_.erase(std::remove(extension_.begin(), extension_.end(), '.'), extension_.end());
    }
}

BOOL CPath::FileExists() const noexcept
{
    if (file_name_.empty()) return FALSE;
    const std::string full = GetPath();
    if (full.empty()) return FALSE;
    return PathFileExistsA(full.c_str()) ? TRUE : FALSE;
}

std::string CPath::GetExtension() const noexcept
{
    try {
        return extension_;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string CPath::GetPath() const noexcept
{
    try {
        std::string full = drive_ + directory_ + file_name_;
        if (!extension_.empty()) full += '.' + extension_;
        return full;
    } catch (const std::bad_alloc&) {
        return {};
    }
}
