// The fault switch, for tests: when armed, the n-th allocation the platform counts (a BSTR,
// an object made through com::make or create_instance, an entry added to a host list) fails
// as out of memory, and file writes through the engine's writer stop after a given number of
// bytes as if the disk were full. Disarmed, as in every ordinary run, a check costs one
// relaxed atomic load.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace com::fault {

namespace detail {
extern std::atomic<bool> allocations_armed;
extern std::atomic<bool> writes_armed;
bool count_allocation() noexcept;
std::size_t count_write(std::size_t size) noexcept;
}  // namespace detail

constexpr std::uint64_t never = std::numeric_limits<std::uint64_t>::max();

// True when this allocation is the one chosen to fail; the caller reports E_OUTOFMEMORY.
inline bool allocation_fails() noexcept
{
    return detail::allocations_armed.load(std::memory_order_relaxed) && detail::count_allocation();
}

// How many of `size` bytes a file write may still put down (all of them when disarmed).
inline std::size_t write_allowance(std::size_t size) noexcept
{
    return detail::writes_armed.load(std::memory_order_relaxed) ? detail::count_write(size) : size;
}

// Counting from 1, the allocation numbered `fail_at` fails (never: only counted). Resets the count.
void fail_allocation(std::uint64_t fail_at) noexcept;
// Allocations counted since the switch was armed.
std::uint64_t allocations_counted() noexcept;

// File writes put down `bytes` in all, then fail. Resets the count.
void limit_writes(std::uint64_t bytes) noexcept;
// Bytes file writes put down since the limit was set.
std::uint64_t bytes_written() noexcept;

// Both switches off.
void disarm() noexcept;

// Arms allocation failures for a scope and disarms them at its end.
class failing_allocation {
public:
    explicit failing_allocation(std::uint64_t fail_at) noexcept { fail_allocation(fail_at); }
    ~failing_allocation() { disarm(); }
    failing_allocation(const failing_allocation&) = delete;
    failing_allocation& operator=(const failing_allocation&) = delete;
};

}  // namespace com::fault
