// Whole-file reads and atomic writes for the tool.
#include "tools/zcnt/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/io/files.h"
#include "platform/com/regular_file.h"

namespace zcnt {

bool write_file_atomically(const std::string& path, std::string_view contents, std::string* error)
{
    // The engine's own writer: one place that creates temporary files safely.
    std::string message;
    if (SUCCEEDED(host::write_file_atomically(
            path, reinterpret_cast<const BYTE*>(contents.data()), contents.size(), &message)))
        return true;
    *error = message;
    return false;
}

bool read_file(const std::string& path, std::string* contents, std::string* error)
{
    std::FILE* f = com::fopen_regular_file(path.c_str());
    if (!f) {
        if (errno == EISDIR)
            *error = path + ": is a folder";
        else if (errno == ESPIPE)
            *error = path + ": not a regular file";
        else
            *error = path + ": " + std::strerror(errno);
        return false;
    }
    contents->clear();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) contents->append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        *error = path + ": read error";
        return false;
    }
    return true;
}

}  // namespace zcnt
