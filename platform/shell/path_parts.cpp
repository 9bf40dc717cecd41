// PathUnquoteSpacesA and _splitpath_s.
#include "platform/shell/path_parts.h"

#include <cerrno>
#include <cstring>

namespace {

struct part {
    char* buffer;
    std::size_t size;
};

void clear(const part (&parts)[4]) noexcept
{
    for (const part& p : parts)
        if (p.buffer && p.size) p.buffer[0] = '\0';
}

bool store(const part& p, const char* from, std::size_t count) noexcept
{
    if (!p.buffer) return true;
    if (count + 1 > p.size) return false;
    std::memcpy(p.buffer, from, count);
    p.buffer[count] = '\0';
    return true;
}

}  // namespace

BOOL PathUnquoteSpacesA(LPSTR path) noexcept
{
    if (!path || path[0] != '"') return FALSE;
    const std::size_t last = std::strlen(path) - 1;
    if (path[last] != '"') return FALSE;
    path[last] = '\0';
    std::memmove(path, path + 1, last);
    return TRUE;
}

int _splitpath_s(const char* path, char* drive, std::size_t drive_size, char* dir,
                 std::size_t dir_size, char* fname, std::size_t fname_size, char* ext,
                 std::size_t ext_size) noexcept
{
    const part parts[4] = {{drive, drive_size}, {dir, dir_size}, {fname, fname_size},
                           {ext, ext_size}};
    bool consistent = path != nullptr;
    for (const part& p : parts)
        if ((p.buffer == nullptr) != (p.size == 0)) consistent = false;
    if (!consistent) {
        clear(parts);
        return EINVAL;
    }

    const char* rest = path;
    bool fits = true;
    if (rest[0] != '\0' && rest[1] == ':') {
        fits = store(parts[0], rest, 2);
        rest += 2;
    } else {
        fits = store(parts[0], rest, 0);
    }

    const char* after_slash = nullptr;
    const char* last_dot = nullptr;
    for (const char* p = rest; *p; ++p) {
        if (*p == '\\' || *p == '/') after_slash = p + 1;
        else if (*p == '.') last_dot = p;
    }
    const char* name = rest;
    if (after_slash) {
        fits = store(parts[1], rest, static_cast<std::size_t>(after_slash - rest)) && fits;
        name = after_slash;
    } else {
        fits = store(parts[1], rest, 0) && fits;
    }
    const char* end = name + std::strlen(name);
    if (last_dot && last_dot >= name) {
        fits = store(parts[2], name, static_cast<std::size_t>(last_dot - name)) && fits;
        fits = store(parts[3], last_dot, static_cast<std::size_t>(end - last_dot)) && fits;
    } else {
        fits = store(parts[2], name, static_cast<std::size_t>(end - name)) && fits;
        fits = store(parts[3], end, 0) && fits;
    }
    if (!fits) {
        clear(parts);
        return ERANGE;
    }
    return 0;
}
