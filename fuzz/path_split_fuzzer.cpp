// Fuzz target: arbitrary bytes as a path for CPath, _splitpath_s and the wildcard matcher.
//
// The first byte picks the buffer sizes for _splitpath_s (so short buffers are exercised), the
// rest is the path; the path is also matched as a pattern against its own pieces. Nothing may
// write past a buffer, and CPath's parts must recompose into a path no longer than the input.
// Build with -DZCNT_FUZZ_REPLAY_MAIN to replay files without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/com/codepage.h"
#include "platform/shell/path_parts.h"
#include "platform/shell/wildcard.h"
#include "support/path.h"

namespace {

void check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "path invariant broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const unsigned choice = data[0];
    std::string path(reinterpret_cast<const char*>(data + 1), size - 1);
    path = path.c_str();  // the functions see NUL-terminated text

    const CPath parsed(path.c_str());
    if (parsed.GetStatus() == S_OK) {
        check(parsed.GetDrive().size() <= 2, "drive longer than two characters");
        check(parsed.GetPath().size() <= path.size(), "composed path grew");
        check(parsed.GetDirectory().find('/') == std::string::npos, "slash left in directory");
    }

    const std::size_t small = 1 + (choice & 0x0F);
    char drive[3 + 8], dir[256 + 8], fname[256 + 8], ext[256 + 8];
    std::memset(drive, 0x5A, sizeof drive);
    std::memset(dir, 0x5A, sizeof dir);
    std::memset(fname, 0x5A, sizeof fname);
    std::memset(ext, 0x5A, sizeof ext);
    const std::size_t dir_size = choice & 0x10 ? small : 256;
    const std::size_t fname_size = choice & 0x20 ? small : 256;
    const std::size_t ext_size = choice & 0x40 ? small : 256;
    _splitpath_s(path.c_str(), drive, 3, dir, dir_size, fname, fname_size, ext, ext_size);
    check(drive[3] == 0x5A && dir[dir_size] == 0x5A && fname[fname_size] == 0x5A &&
              ext[ext_size] == 0x5A,
          "write past a _splitpath_s buffer");

    std::string quoted = path;
    PathUnquoteSpacesA(quoted.data());

    const std::u16string wide = com::from_ansi(path);
    shell::wildcard_match(wide, wide);
    shell::wildcard_match(wide.substr(0, wide.size() / 2), wide.substr(wide.size() / 2));
    return 0;
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif
