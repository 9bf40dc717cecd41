// The task allocator: memory handed across interfaces (Stat names, out strings), freed by the receiver.
#pragma once

#include <cstddef>

// A block of `size` bytes, aligned for any type; a zero-byte request still gives a valid,
// distinct pointer, as the system allocator does. Null when memory runs out.
void* CoTaskMemAlloc(std::size_t size) noexcept;
// Resizes a block, keeping its contents up to the smaller size. A null block allocates; a zero
// size frees the block and returns null. On failure the old block is untouched and null is
// returned.
void* CoTaskMemRealloc(void* block, std::size_t size) noexcept;
// Frees a block from the two functions above; null is ignored.
void CoTaskMemFree(void* block) noexcept;

namespace com {
// Blocks allocated and not yet freed; tests use it to see that callers free what they get.
long task_memory_live_count() noexcept;
}  // namespace com
