// The file stream: IStream over a POSIX file descriptor, shared by a stream and its clones.
#include "platform/com/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/com/codepage.h"
#include "platform/com/object.h"
#include "platform/com/regular_file.h"
#include "platform/com/stream_common.h"

namespace {

using com::stream_detail::max_position;

constexpr HRESULT STG_E_TOOMANYOPENFILES = ZCNT_HR(0x80030004);

constexpr DWORD access_mask = 0x3;
constexpr DWORD share_mask = 0x70;

// The descriptor closes when the last stream using it goes.
struct open_file {
    int fd = -1;
    DWORD mode = 0;
    std::u16string name;

    open_file() = default;
    open_file(const open_file&) = delete;
    open_file& operator=(const open_file&) = delete;
    ~open_file()
    {
        // EINTR from close leaves the descriptor closed on Linux: retrying could close another.
        if (fd >= 0) ::close(fd);
    }

    bool can_read() const noexcept { return (mode & access_mask) != STGM_WRITE; }
    bool can_write() const noexcept { return (mode & access_mask) != STGM_READ; }
};

HRESULT write_error(int error) noexcept
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return STG_E_MEDIUMFULL;
    case EBADF:
    case EPERM:
    case EACCES: return STG_E_ACCESSDENIED;
    default: return STG_E_WRITEFAULT;
    }
}

// Seconds since 1970 to 100-nanosecond intervals since 1601; earlier times clamp to zero.
FILETIME to_filetime(const struct timespec& t) noexcept
{
    constexpr LONGLONG seconds_1601_to_1970 = 11644473600LL;
    LONGLONG seconds = static_cast<LONGLONG>(t.tv_sec) + seconds_1601_to_1970;
    ULONGLONG ticks = seconds < 0 ? 0
                                  : static_cast<ULONGLONG>(seconds) * 10000000ull +
                                        static_cast<ULONGLONG>(t.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FILETIME to_filetime(const struct statx_timestamp& t) noexcept
{
    struct timespec converted{};
    converted.tv_sec = static_cast<time_t>(t.tv_sec);
    converted.tv_nsec = static_cast<long>(t.tv_nsec);
    return to_filetime(converted);
}

class file_stream : public com::object_root<file_stream, IStream> {
public:
    file_stream(std::shared_ptr<open_file> file, ULONGLONG position) noexcept
        : file_(std::move(file)), position_(position)
    {
    }

    HRESULT Read(void* buffer, ULONG size, ULONG* read) noexcept override
    {
        if (read) *read = 0;
        if (!buffer && size) return STG_E_INVALIDPOINTER;
        if (!file_->can_read()) return STG_E_ACCESSDENIED;
        // Nothing lies beyond the largest offset, and pread would refuse to look.
        const ULONG want =
            static_cast<ULONG>(std::min<ULONGLONG>(size, max_position - position_));
        auto* bytes = static_cast<BYTE*>(buffer);
        ULONG done = 0;
        HRESULT hr = S_OK;
        while (done < want) {
            ssize_t n = ::pread(file_->fd, bytes + done, want - done,
                                static_cast<off_t>(position_ + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                hr = errno == EBADF ? STG_E_ACCESSDENIED : STG_E_READFAULT;
                break;
            }
            if (n == 0) break;  // end of file
            done += static_cast<ULONG>(n);
        }
        position_ += done;
        if (read) *read = done;
        if (FAILED(hr)) return hr;
        return done < size ? S_FALSE : S_OK;
    }

    HRESULT Write(const void* buffer, ULONG size, ULONG* written) noexcept override
    {
        if (written) *written = 0;
        if (!buffer && size) return STG_E_INVALIDPOINTER;
        if (!file_->can_write()) return STG_E_ACCESSDENIED;
        if (size == 0) return S_OK;
        if (size > max_position - position_) return STG_E_MEDIUMFULL;
        const auto* bytes = static_cast<const BYTE*>(buffer);
        ULONG done = 0;
        HRESULT hr = S_OK;
        // pwrite may write less than asked (a signal, a nearly full disk): go on from there.
        while (done < size) {
            ssize_t n = ::pwrite(file_->fd, bytes + done, size - done,
                                 static_cast<off_t>(position_ + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                hr = write_error(errno);
                break;
            }
            if (n == 0) {
                hr = STG_E_WRITEFAULT;  // no progress and no error: do not spin
                break;
            }
            done += static_cast<ULONG>(n);
        }
        position_ += done;
        if (written) *written = done;
        return hr;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) noexcept override
    {
        ULONGLONG base;
        switch (origin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = position_; break;
        case STREAM_SEEK_END: {
            struct stat info;
            if (::fstat(file_->fd, &info) != 0) return STG_E_SEEKERROR;
            base = static_cast<ULONGLONG>(info.st_size);
            break;
        }
        default: return STG_E_INVALIDFUNCTION;
        }
        ULONGLONG target;
        if (HRESULT hr = com::stream_detail::seek_target(base, move.QuadPart, &target); FAILED(hr))
            return hr;
        position_ = target;
        if (position) position->QuadPart = target;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) noexcept override
    {
        if (!file_->can_write()) return STG_E_ACCESSDENIED;
        if (size.QuadPart > max_position) return STG_E_MEDIUMFULL;
        while (::ftruncate(file_->fd, static_cast<off_t>(size.QuadPart)) != 0) {
            if (errno == EINTR) continue;
            // EINVAL: longer than the file system allows.
            return errno == EINVAL ? STG_E_MEDIUMFULL : write_error(errno);
        }
        return S_OK;
    }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                   ULARGE_INTEGER* written) noexcept override
    {
        return com::stream_detail::copy_through_buffer(this, target, size.QuadPart, read, written);
    }

    HRESULT Commit(DWORD) noexcept override
    {
        if (!file_->can_write()) return S_OK;
        while (::fsync(file_->fd) != 0) {
            if (errno == EINTR) continue;
            if (errno == EINVAL || errno == EROFS) return S_OK;  // a device that cannot sync
            return write_error(errno);
        }
        return S_OK;
    }
    HRESULT Revert() noexcept override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override
    {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT Stat(STATSTG* stat, DWORD flags) noexcept override
    {
        if (HRESULT hr = com::stream_detail::begin_stat(stat, flags); FAILED(hr)) return hr;
        struct statx info;
        if (::statx(file_->fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
            return STG_E_ACCESSDENIED;
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = info.stx_size;
        stat->mtime = to_filetime(info.stx_mtime);
        stat->atime = to_filetime(info.stx_atime);
        // Windows' ctime is the creation time; file systems without one give the change time.
        stat->ctime = to_filetime((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_ctime);
        stat->grfMode = file_->mode & (access_mask | share_mask);
        return com::stream_detail::set_stat_name(stat, flags, file_->name);
    }

    HRESULT Clone(IStream** clone) noexcept override
    {
        if (!clone) return STG_E_INVALIDPOINTER;
        *clone = nullptr;
        file_stream* copy = nullptr;
        if (HRESULT hr = com::make<file_stream>(&copy, file_, position_); FAILED(hr)) return hr;
        *clone = copy;
        return S_OK;
    }

private:
    std::shared_ptr<open_file> file_;
    ULONGLONG position_;
};

bool is_directory(const std::string& path) noexcept
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// ENOENT means a missing file when its folder exists, else a missing folder.
HRESULT missing_entry_error(const char* path, bool creating)
{
    if (creating) return STG_E_PATHNOTFOUND;
    std::string_view text(path);
    std::size_t slash = text.find_last_of('/');
    if (slash == std::string_view::npos) return STG_E_FILENOTFOUND;
    std::string folder(text.substr(0, slash == 0 ? 1 : slash));
    return is_directory(folder) ? STG_E_FILENOTFOUND : STG_E_PATHNOTFOUND;
}

HRESULT open_error(int error, const char* path, bool creating) noexcept
{
    switch (error) {
    case ENOENT:
        try {
            return missing_entry_error(path, creating);
        } catch (const std::bad_alloc&) {
            return STG_E_INSUFFICIENTMEMORY;
        }
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case ESPIPE: return STG_E_ACCESSDENIED;
    case EMFILE:
    case ENFILE: return STG_E_TOOMANYOPENFILES;
    case ENOMEM: return STG_E_INSUFFICIENTMEMORY;
    case ENOSPC:
    case EDQUOT: return STG_E_MEDIUMFULL;
    default: return E_FAIL;
    }
}

HRESULT check_mode(DWORD mode) noexcept
{
    if (mode & ~(access_mask | share_mask | STGM_CREATE)) return STG_E_INVALIDFLAG;
    const DWORD access = mode & access_mask;
    if (access == access_mask) return STG_E_INVALIDFLAG;
    const DWORD share = mode & share_mask;
    if (share > STGM_SHARE_DENY_NONE) return STG_E_INVALIDFLAG;
    // Truncating is writing.
    if ((mode & STGM_CREATE) && access == STGM_READ) return STG_E_INVALIDFLAG;
    return S_OK;
}

HRESULT utf16_name(const char* path, std::u16string* name) noexcept
{
    try {
        if (*path == 0) return S_OK;
        int count = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
        if (count <= 0) return S_OK;  // cannot happen for UTF-8: bad bytes decode to U+FFFD
        name->resize(static_cast<std::size_t>(count));
        MultiByteToWideChar(CP_UTF8, 0, path, -1, name->data(), count);
        name->pop_back();  // the terminator
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
}

}  // namespace

HRESULT com::create_file_stream(const char* path, DWORD mode, IStream** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!path) return STG_E_INVALIDPOINTER;
    if (HRESULT hr = check_mode(mode); FAILED(hr)) return hr;

    std::shared_ptr<open_file> file;
    try {
        file = std::make_shared<open_file>();
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    file->mode = mode;
    if (HRESULT hr = utf16_name(path, &file->name); FAILED(hr)) return hr;

    const DWORD access = mode & access_mask;
    const bool creating = (mode & STGM_CREATE) != 0;
    int flags = O_CLOEXEC;
    flags |= access == STGM_READ ? O_RDONLY : access == STGM_WRITE ? O_WRONLY : O_RDWR;
    if (creating) flags |= O_CREAT | O_TRUNC;
    int fd;
    if (access == STGM_READ) {
        // A FIFO or a device would block or never end: only a regular file is read.
        fd = open_regular_file(path);
    } else {
        do {
            fd = ::open(path, flags, 0666);
        } while (fd < 0 && errno == EINTR);
    }
    if (fd < 0) return open_error(errno, path, creating);
    file->fd = fd;

    // A folder opens for reading on Linux; as a stream it is no more readable than on Windows.
    struct stat info;
    if (::fstat(fd, &info) != 0) return STG_E_ACCESSDENIED;
    if (S_ISDIR(info.st_mode)) return STG_E_ACCESSDENIED;

    file_stream* stream = nullptr;
    if (HRESULT hr = make<file_stream>(&stream, std::move(file), 0ull); FAILED(hr)) return hr;
    *out = stream;
    return S_OK;
}
