// The fault switch's counters. Tests arm it from one thread at a time; the counts are atomic
// so that a worker thread of the code under test still counts in order.
#include "platform/com/fault_switch.h"

namespace com::fault {
namespace {

std::atomic<std::uint64_t> allocation_count{0};
std::atomic<std::uint64_t> allocation_fails_at{never};
std::atomic<std::uint64_t> write_count{0};
std::atomic<std::uint64_t> write_limit{never};

}  // namespace

namespace detail {

std::atomic<bool> allocations_armed{false};
std::atomic<bool> writes_armed{false};

bool count_allocation() noexcept
{
    return allocation_count.fetch_add(1, std::memory_order_relaxed) + 1 ==
           allocation_fails_at.load(std::memory_order_relaxed);
}

std::size_t count_write(std::size_t size) noexcept
{
    const std::uint64_t limit = write_limit.load(std::memory_order_relaxed);
    const std::uint64_t done = write_count.load(std::memory_order_relaxed);
    const std::uint64_t room = limit > done ? limit - done : 0;
    const std::size_t allowed = room < size ? static_cast<std::size_t>(room) : size;
    write_count.fetch_add(allowed, std::memory_order_relaxed);
    return allowed;
}

}  // namespace detail

void fail_allocation(std::uint64_t fail_at) noexcept
{
    allocation_count.store(0, std::memory_order_relaxed);
    allocation_fails_at.store(fail_at, std::memory_order_relaxed);
    detail::allocations_armed.store(true, std::memory_order_relaxed);
}

std::uint64_t allocations_counted() noexcept
{
    return allocation_count.load(std::memory_order_relaxed);
}

void limit_writes(std::uint64_t bytes) noexcept
{
    write_count.store(0, std::memory_order_relaxed);
    write_limit.store(bytes, std::memory_order_relaxed);
    detail::writes_armed.store(true, std::memory_order_relaxed);
}

std::uint64_t bytes_written() noexcept { return write_count.load(std::memory_order_relaxed); }

void disarm() noexcept
{
    detail::allocations_armed.store(false, std::memory_order_relaxed);
    detail::writes_armed.store(false, std::memory_order_relaxed);
}

}  // namespace com::fault
