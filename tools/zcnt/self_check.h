// The tool's self-check: the COM layer exercised end to end, each step printed with its result.
#pragma once

#include <cstdio>

namespace zcnt {
// Returns true when every step succeeded; `out` may be null for no output.
bool run_self_check(std::FILE* out);
}  // namespace zcnt
