// zcnt measure FACE SIZE_TENTHS TEXT [--resolution R]
#pragma once

#include <cstdio>
#include <string>

namespace zcnt {

struct measure_options {
    std::string face;
    long long size_tenths = 100;
    std::string text;  // UTF-8, measured in the ANSI code page as the elements measure it
    long long resolution = 720;
};

// 0 on success, 2 for bad input (one line on `err`).
int run_measure(const measure_options& options, std::FILE* out, std::FILE* err);

}  // namespace zcnt
