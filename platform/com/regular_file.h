// Opening a file the user named, for reading: a FIFO, a device or a socket is refused at once
// instead of blocking until some writer appears, and a folder is refused as well.
#pragma once

#include <cstdio>
#include <memory>

namespace com {

// A descriptor open for blocking reads (close-on-exec), or -1 with errno set: EISDIR for a
// folder, ESPIPE for any other file that is not a regular one (nothing a reader can seek in).
int open_regular_file(const char* path) noexcept;

// The same as a stdio stream in "rb" mode; null with errno set as above.
std::FILE* fopen_regular_file(const char* path) noexcept;

// What a failed open above says in a message: "not a file" for a folder or anything else that
// is not a regular file, else the system's words for `error`.
const char* open_failure(int error) noexcept;

// A stdio stream closed when its holder goes, whatever path the code takes out.
struct file_closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

}  // namespace com
