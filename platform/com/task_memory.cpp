// CoTaskMemAlloc and its companions, on the C heap with a count of live blocks.
#include "platform/com/task_memory.h"

#include <atomic>
#include <cstdlib>

namespace {
std::atomic<long> live_blocks{0};
}  // namespace

void* CoTaskMemAlloc(std::size_t size) noexcept
{
    // malloc(0) may return null, which callers would take for a failure.
    void* block = std::malloc(size ? size : 1);
    if (block) live_blocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void* CoTaskMemRealloc(void* block, std::size_t size) noexcept
{
    if (!block) return CoTaskMemAlloc(size);
    if (size == 0) {
        CoTaskMemFree(block);
        return nullptr;
    }
    return std::realloc(block, size);  // null leaves the old block live, so the count stays
}

void CoTaskMemFree(void* block) noexcept
{
    if (!block) return;
    live_blocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

long com::task_memory_live_count() noexcept { return live_blocks.load(std::memory_order_relaxed); }
