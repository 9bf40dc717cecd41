// The file names the engine is given, mapped to Linux paths, and the atomic file write every
// writer of the engine uses.
#include "host/io/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "host/model/journal.h"
#include "platform/shell/path_map.h"

namespace host {

std::string native_path(std::u16string_view path)
{
    std::string native;
    if (shell::native_path_from_wide(path, native)) return native;
    return utf8(path);  // an unmapped drive: the name as it stands, which then does not open
}

HRESULT write_file_atomically(const std::string& path, const BYTE* data, std::size_t size,
                              std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    try {
        const std::string temporary = path + ".tmp-" + std::to_string(::getpid());
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            *message = "cannot create " + temporary + ": " + std::strerror(errno);
            return HRESULT_FROM_WIN32(errno == ENOENT ? 3 : 5);
        }
        std::size_t done = 0;
        bool ok = true;
        while (ok && done < size) {
            ssize_t n = ::write(fd, data + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) done += static_cast<std::size_t>(n);
        }
        ok = ok && ::fsync(fd) == 0;
        const int saved_errno = errno;
        ok = ::close(fd) == 0 && ok;
        if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) ok = false;
        if (!ok) {
            *message = "cannot write " + path + ": " + std::strerror(saved_errno ? saved_errno : errno);
            ::unlink(temporary.c_str());
            return STG_E_WRITEFAULT;
        }
        // The rename itself is made durable by flushing the folder.
        const std::size_t slash = path.find_last_of('/');
        std::string folder;
        if (slash == std::string::npos)
            folder.assign(1, '.');
        else if (slash == 0)
            folder.assign(1, '/');
        else
            folder.assign(path, 0, slash);
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        *message = "out of memory while writing";
        return E_OUTOFMEMORY;
    }
}

}  // namespace host
