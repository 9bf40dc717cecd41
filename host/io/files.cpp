// The file names the engine is given, mapped to Linux paths, and the atomic file write every
// writer of the engine (and the tool) uses.
#include "host/io/files.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "host/model/journal.h"
#include "platform/com/fault_switch.h"
#include "platform/com/result.h"
#include "platform/shell/path_map.h"

namespace host {
namespace {

constexpr int kMostLinks = 40;  // as the kernel's own limit before ELOOP

std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A target that is a symbolic link is written through: the link stays and the file it names
// (which need not exist yet) is replaced, so the temporary file must sit beside that file.
bool follow_links(const std::string& path, std::string* real, int* error)
{
    *real = path;
    for (int hop = 0; hop < kMostLinks; ++hop) {
        struct stat info;
        if (::lstat(real->c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(real->c_str(), target, sizeof target);
        if (n < 0 || n == static_cast<ssize_t>(sizeof target)) {
            *error = n < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        std::string next(target, static_cast<std::size_t>(n));
        if (!next.empty() && next.front() != '/' && real->find('/') != std::string::npos)
            next = folder_of(*real) + "/" + next;
        *real = std::move(next);
    }
    *error = ELOOP;
    return false;
}

// Letters and digits, so the name stays a plain file name; getrandom makes it hard to guess,
// and the O_EXCL create makes a planted name (a link above all) fail instead of being followed.
std::string random_suffix(unsigned attempt)
{
    static constexpr char digits[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[12] = {};
    std::size_t have = 0;
    while (have < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + have, sizeof bytes - have, GRND_NONBLOCK);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        have += static_cast<std::size_t>(n);
    }
    // Without an entropy source each attempt must still try another name.
    std::uint64_t fallback = (static_cast<std::uint64_t>(::getpid()) << 32) ^ attempt;
    std::string suffix;
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        fallback = fallback * 6364136223846793005u + 1442695040888963407u;
        const unsigned byte = i < have ? bytes[i] : static_cast<unsigned>(fallback >> 56);
        suffix += digits[byte % (sizeof digits - 1)];
    }
    return suffix;
}

// A name beside `real` for its temporary file or its backup: the file's own name, `tag` and a
// random suffix. A name near the longest a folder takes is cut (at a whole UTF-8 character)
// to leave room for the rest, so that a target that can be written never fails for its
// temporary file's name.
std::string sibling_name(const std::string& real, const char* tag, unsigned attempt)
{
    const std::size_t slash = real.find_last_of('/');
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    const std::string added = tag + random_suffix(attempt);
    std::size_t keep = real.size() - base;
    if (keep + added.size() > NAME_MAX) {
        keep = NAME_MAX - added.size();
        while (keep > 0 && (static_cast<unsigned char>(real[base + keep]) & 0xC0) == 0x80) --keep;
    }
    return real.substr(0, base + keep) + added;
}

// The temporary file goes away with this unless it was renamed over the target.
struct temporary_file {
    std::string name;
    int fd = -1;
    bool renamed = false;

    temporary_file() = default;
    temporary_file(const temporary_file&) = delete;
    temporary_file& operator=(const temporary_file&) = delete;
    ~temporary_file()
    {
        if (fd >= 0) ::close(fd);
        if (!renamed && !name.empty()) ::unlink(name.c_str());
    }
};

// Created with the mode a new file gets today (0644 less the umask), never over anything there.
int create_temporary(const std::string& real, temporary_file* file)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string name = sibling_name(real, ".tmp-", attempt);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            file->name = std::move(name);
            file->fd = fd;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

bool write_all(int fd, const BYTE* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const std::size_t allowed = com::fault::write_allowance(size - done);
        if (allowed == 0) {
            errno = ENOSPC;
            return false;
        }
        const ssize_t n = ::write(fd, data + done, allowed);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;  // no progress and no error: do not spin
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string native_path(std::u16string_view path)
{
    std::string native;
    if (shell::native_path_from_wide(path, native)) return native;
    return utf8(path);  // an unmapped drive: the name as it stands, which then does not open
}

// One output of a batch: its temporary file until the commit, and what the target held before.
struct file_batch::entry {
    std::string path;  // as given, for messages
    std::string real;  // the file a link at `path` leads to
    temporary_file temporary;
    std::string backup;  // a second name for the old target while the batch commits
    bool existed = false;
};

file_batch::file_batch() noexcept = default;

file_batch::~file_batch()
{
    // Uncommitted temporaries go with their entries.
    for (std::unique_ptr<entry>& e : entries_)
        if (!e->backup.empty()) ::unlink(e->backup.c_str());
}

HRESULT file_batch::prepare(const std::string& path, const BYTE* data, std::size_t size,
                            std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    try {
        auto e = std::make_unique<entry>();
        e->path = path;
        int error = 0;
        if (!follow_links(path, &e->real, &error)) {
            *message = "cannot write " + path + ": " + std::strerror(error);
            return HRESULT_FROM_WIN32(3);
        }
        struct stat info;
        const bool exists = ::stat(e->real.c_str(), &info) == 0;
        if (exists && S_ISDIR(info.st_mode)) {
            *message = "cannot write " + path + ": it is a folder";
            return HRESULT_FROM_WIN32(5);
        }
        // The rename would replace a device, a FIFO or a socket (/dev/null) instead of writing
        // to it.
        if (exists && !S_ISREG(info.st_mode)) {
            *message = "cannot write " + path + ": not a regular file";
            return HRESULT_FROM_WIN32(5);
        }
        if ((error = create_temporary(e->real, &e->temporary)) != 0) {
            *message = "cannot write " + path + ": " + std::strerror(error);
            return HRESULT_FROM_WIN32(error == ENOENT ? 3 : 5);
        }
        bool ok = write_all(e->temporary.fd, data, size) && ::fsync(e->temporary.fd) == 0;
        error = ok ? 0 : errno;
        const int fd = e->temporary.fd;
        e->temporary.fd = -1;
        if (::close(fd) != 0 && ok) {
            ok = false;
            error = errno;
        }
        if (!ok) {
            *message = "cannot write " + path + ": " + std::strerror(error);
            return STG_E_WRITEFAULT;
        }
        entries_.push_back(std::move(e));
        return S_OK;
    } catch (const std::bad_alloc&) {
        *message = "out of memory while writing";
        return E_OUTOFMEMORY;
    }
}

HRESULT file_batch::commit(std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    try {
        // A second name for every old target first, so that a rename failing half-way can put
        // back what the targets held.
        for (std::unique_ptr<entry>& e : entries_) {
            struct stat info;
            e->existed = ::lstat(e->real.c_str(), &info) == 0;
            if (!e->existed) continue;
            for (unsigned attempt = 0; attempt < 100 && e->backup.empty(); ++attempt) {
                std::string name = sibling_name(e->real, ".old-", attempt);
                if (::link(e->real.c_str(), name.c_str()) == 0) e->backup = std::move(name);
                else if (errno != EEXIST) break;
            }
        }
        std::size_t done = 0;
        int error = 0;
        for (; done < entries_.size(); ++done) {
            entry& e = *entries_[done];
            if (::rename(e.temporary.name.c_str(), e.real.c_str()) != 0) {
                error = errno;
                break;
            }
            e.temporary.renamed = true;
        }
        if (done < entries_.size()) {
            for (std::size_t i = 0; i < done; ++i) {
                entry& e = *entries_[i];
                if (!e.backup.empty() && ::rename(e.backup.c_str(), e.real.c_str()) == 0)
                    e.backup.clear();
                else if (!e.existed)
                    ::unlink(e.real.c_str());
            }
            // Targets not reached are as they were; a backup not put back is what remains
            // of its old file and stays.
            for (std::size_t i = done; i < entries_.size(); ++i)
                if (!entries_[i]->backup.empty()) ::unlink(entries_[i]->backup.c_str());
            *message = "cannot write " + entries_[done]->path + ": " +
                       (error == EISDIR ? "it is a folder" : std::strerror(error));
            entries_.clear();
            return STG_E_WRITEFAULT;
        }
        // The renames themselves are made durable by flushing the folders.
        for (std::unique_ptr<entry>& e : entries_) {
            if (!e->backup.empty()) ::unlink(e->backup.c_str());
            int dir = ::open(folder_of(e->real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dir >= 0) {
                ::fsync(dir);
                ::close(dir);
            }
        }
        entries_.clear();
        return S_OK;
    } catch (const std::bad_alloc&) {
        *message = "out of memory while writing";
        entries_.clear();
        return E_OUTOFMEMORY;
    }
}

HRESULT write_file_atomically(const std::string& path, const BYTE* data, std::size_t size,
                              std::string* message) noexcept
{
    file_batch one;
    RETURN_IF_FAILED(one.prepare(path, data, size, message));
    return one.commit(message);
}

}  // namespace host
