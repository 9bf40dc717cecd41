// Opening a file for reading only when it is a regular file (see regular_file.h).
#include "platform/com/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace com {

int open_regular_file(const char* path) noexcept
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer; with it, the open returns and
    // fstat says what the file is before anything reads from it.
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat info;
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        error = ESPIPE;
    else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) error = errno;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

std::FILE* fopen_regular_file(const char* path) noexcept
{
    const int fd = open_regular_file(path);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

const char* open_failure(int error) noexcept
{
    return error == EISDIR || error == ESPIPE ? "not a file" : std::strerror(error);
}

}  // namespace com
