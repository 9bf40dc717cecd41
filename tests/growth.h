// How a cost grows with the size of the work, for the tests that guard against steps that
// search everything done before them.
#pragma once

#include <time.h>

#include <algorithm>
#include <limits>

namespace growth_test {

// The processor time this process has used, in seconds: a busy machine stretches the wall
// clock of a long run more than that of a short one.
inline double processor_seconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The time of run(8 n) over that of run(n), best of three each: about 8 when each step costs
// the same however much came before, about 64 when each step looks at everything before it.
template <typename Run>
double growth_of(Run run, int n)
{
    auto best = [&run](int size) {
        double fastest = std::numeric_limits<double>::max();
        for (int i = 0; i < 3; ++i) {
            const double start = processor_seconds();
            run(size);
            fastest = std::min(fastest, processor_seconds() - start);
        }
        return fastest;
    };
    return best(8 * n) / best(n);
}

// Between the two: room for caches and noise, far from a square.
constexpr double kLinearGrowth = 24;

}  // namespace growth_test
