// The registry file on disk: its path, its lock and its atomic replacement.
#include "platform/registry/reg_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/com/regular_file.h"
#include "platform/registry/reg_file.h"

namespace registry {
namespace {

class descriptor {
public:
    explicit descriptor(int fd = -1) : fd_(fd) {}
    ~descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

std::string home_folder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return "/";
}

std::string parent_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The folders above the file, made private to the user as the state folder should be.
void make_parent_folders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);  // an existing folder is fine
}

bool lock(int fd, int operation)
{
    while (::flock(fd, operation) != 0)
        if (errno != EINTR) return false;
    return true;
}

// The file's text; a missing file reads as empty.
LONG read_text(const std::string& path, std::string* text)
{
    text->clear();
    descriptor file(com::open_regular_file(path.c_str()));
    if (file.get() < 0) return errno == ENOENT ? ERROR_SUCCESS : ERROR_CANTREAD;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got == 0) return ERROR_SUCCESS;
        if (got < 0) {
            if (errno == EINTR) continue;
            return ERROR_CANTREAD;
        }
        text->append(buffer, static_cast<std::size_t>(got));
    }
}

bool write_all(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

LONG replace_file(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".XXXXXX";
    descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) return ERROR_CANTWRITE;
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const bool written = ::fchmod(file.get(), mode) == 0 && write_all(file.get(), text) &&
                         ::fsync(file.get()) == 0 && ::close(file.release()) == 0;
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return ERROR_CANTWRITE;
    }
    // The rename itself reaches the disk only with the folder.
    descriptor folder(::open(parent_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return ERROR_SUCCESS;
}

}  // namespace

std::string registry_file_path()
{
    if (const char* path = std::getenv("ZCNT_REGISTRY"); path && *path) return path;
    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg == '/')
        state = xdg;
    else
        state = home_folder() + "/.local/state";
    return state + "/contentelements/registry.reg";
}

LONG read_registry(const std::function<LONG(const key& root)>& read) noexcept
{
    try {
        const std::string path = registry_file_path();
        descriptor lock_file(::open((path + ".lock").c_str(), O_RDONLY | O_CLOEXEC));
        if (lock_file.get() < 0) {
            // Without a lock file no change has ever been made, unless the file came from
            // elsewhere; either way there is nobody to wait for.
            if (errno != ENOENT) return ERROR_CANTREAD;
        } else if (!lock(lock_file.get(), LOCK_SH)) {
            return ERROR_CANTREAD;
        }
        std::string text;
        if (const LONG r = read_text(path, &text); r != static_cast<LONG>(ERROR_SUCCESS))
            return r;
        key root;
        if (!parse_file(text, &root)) return ERROR_BADDB;
        return read(root);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG change_registry(const std::function<LONG(key& root)>& change) noexcept
{
    try {
        const std::string path = registry_file_path();
        make_parent_folders(path);
        descriptor lock_file(
            ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (lock_file.get() < 0 || !lock(lock_file.get(), LOCK_EX)) return ERROR_CANTWRITE;
        std::string text;
        if (const LONG r = read_text(path, &text); r != static_cast<LONG>(ERROR_SUCCESS))
            return r;
        key root;
        if (!parse_file(text, &root)) return ERROR_BADDB;
        if (const LONG r = change(root); r != static_cast<LONG>(ERROR_SUCCESS)) return r;
        const std::string changed = format_file(root);
        return changed == text ? static_cast<LONG>(ERROR_SUCCESS) : replace_file(path, changed);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace registry
