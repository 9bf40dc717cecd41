// A main for a fuzz target built without libFuzzer (-DZCNT_FUZZ_REPLAY_MAIN): replays each file
// named on the command line through LLVMFuzzerTestOneInput, so that a crash found elsewhere can
// be rerun under a debugger or valgrind. Included once, at the end of a target's file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::FILE* f = std::fopen(argv[i], "rb");
        if (!f) continue;
        std::string bytes;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
        std::fclose(f);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    return 0;
}
