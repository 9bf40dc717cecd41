// The tool's self-check: the COM layer exercised end to end, each step printed with its result.
#pragma once

#include <cstdio>

namespace zcnt {
// Returns true when every step succeeded. Each step goes to `out` with its result code, then
// the verdict line; `quiet` leaves only the verdict.
bool run_self_check(std::FILE* out, bool quiet);
}  // namespace zcnt
