// Content keys: FNV-1a and a multiply-rotate hash over the same bytes; a file's key is cached
// by path.
#include "host/io/content_key.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/com/regular_file.h"

namespace host {
namespace {

struct hasher {
    std::uint64_t fnv = 0xcbf29ce484222325ull, mix = 0x9E3779B97F4A7C15ull;
    std::size_t size = 0;
    void add(const unsigned char* p, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i) {
            fnv = (fnv ^ p[i]) * 0x100000001b3ull;
            mix = ((mix ^ p[i]) * 0xff51afd7ed558ccdull);
            mix = (mix << 29) | (mix >> 35);
        }
        size += n;
    }
    std::string key(const std::string& tag) const
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%zu:%016llx%016llx", size,
                      static_cast<unsigned long long>(fnv), static_cast<unsigned long long>(mix));
        return tag + buffer;
    }
};

using identity = std::tuple<dev_t, ino_t, off_t, long long, long long>;

// What a path held when it was last hashed. One entry a path: a file written over again and
// again (a host's output, a scratch input) replaces its entry rather than adding one.
struct known_file {
    identity id;
    std::string key;
};

// Past this many paths the cache starts again: a host that reads thousands of files keeps
// hashing them, not remembering each one for ever.
constexpr std::size_t kMaxKnownFiles = 4096;

// What a file's key starts with, telling it from the keys of decoded pictures.
const char kFileTag[] = "file:";

}  // namespace

std::string bytes_key(const std::string& tag, const void* data, std::size_t size)
{
    hasher h;
    if (data) h.add(static_cast<const unsigned char*>(data), size);
    return h.key(tag);
}

std::string file_bytes_key(const void* data, std::size_t size)
{
    return bytes_key(kFileTag, data, size);
}

std::string file_content_key(const std::string& path, std::FILE* file)
{
    static std::mutex lock;
    static std::map<std::string, known_file> known;
    struct stat st {};
    if (!file || ::fstat(::fileno(file), &st) != 0 || std::fseek(file, 0, SEEK_SET) != 0) return {};
    const identity id{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    {
        std::lock_guard<std::mutex> hold(lock);
        if (auto it = known.find(path); it != known.end() && it->second.id == id) return it->second.key;
    }
    // A block on the stack: the file is read through once, and a zeroed heap block as large
    // cost more than hashing a small file.
    hasher h;
    unsigned char block[16384];
    std::size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) h.add(block, n);
    if (std::ferror(file) != 0) return {};
    std::string key = h.key(kFileTag);
    std::lock_guard<std::mutex> hold(lock);
    if (auto it = known.find(path); it != known.end()) {
        it->second.id = id;
        it->second.key = key;
        return key;
    }
    if (known.size() >= kMaxKnownFiles) known.clear();
    known.emplace(path, known_file{id, key});
    return key;
}

std::string file_content_key(const std::string& path)
{
    const com::file_ptr file(com::fopen_regular_file(path.c_str()));
    return file ? file_content_key(path, file.get()) : std::string();
}

}  // namespace host
