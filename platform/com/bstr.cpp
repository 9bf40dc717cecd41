// The BSTR allocator: one block holds the byte length, the characters and a terminator.
#include "platform/com/bstr.h"

#include "platform/com/fault_switch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

std::atomic<long> live_count{0};

// The length prefix is the 32-bit word just before the characters; the block starts 8 bytes
// earlier so that the characters keep 8-byte alignment, as the system allocator's do.
constexpr std::size_t header = 8;
constexpr std::size_t max_bytes = std::numeric_limits<UINT>::max() - header - 2;

std::uint32_t& byte_length(BSTR text)
{
    return *reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - 4);
}

BSTR allocate_bytes(const void* source, std::size_t bytes)
{
    if (bytes > max_bytes || com::fault::allocation_fails()) return nullptr;
    char* block = static_cast<char*>(std::malloc(header + bytes + 2));
    if (!block) return nullptr;
    BSTR text = reinterpret_cast<BSTR>(block + header);
    byte_length(text) = static_cast<std::uint32_t>(bytes);
    if (source)
        std::memcpy(text, source, bytes);
    else
        std::memset(text, 0, bytes);
    block[header + bytes] = 0;
    block[header + bytes + 1] = 0;
    live_count.fetch_add(1, std::memory_order_relaxed);
    return text;
}

std::size_t length_of(LPCOLESTR text)
{
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}

}  // namespace

BSTR SysAllocString(LPCOLESTR text) noexcept
{
    if (!text) return nullptr;
    return allocate_bytes(text, length_of(text) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept
{
    return allocate_bytes(text, static_cast<std::size_t>(length) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) noexcept
{
    return allocate_bytes(bytes, length);
}

INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length) noexcept
{
    if (!target) return FALSE;
    // The source may lie inside the old string, so copy before freeing.
    BSTR fresh = SysAllocStringLen(text, length);
    if (!fresh) return FALSE;
    SysFreeString(*target);
    *target = fresh;
    return TRUE;
}

INT SysReAllocString(BSTR* target, LPCOLESTR text) noexcept
{
    if (!target) return FALSE;
    if (!text) {
        SysFreeString(*target);
        *target = nullptr;
        return TRUE;
    }
    return SysReAllocStringLen(target, text, static_cast<UINT>(length_of(text)));
}

void SysFreeString(BSTR text) noexcept
{
    if (!text) return;
    live_count.fetch_sub(1, std::memory_order_relaxed);
    std::free(reinterpret_cast<char*>(text) - header);
}

UINT SysStringByteLen(BSTR text) noexcept { return text ? byte_length(text) : 0; }

UINT SysStringLen(BSTR text) noexcept { return text ? byte_length(text) / sizeof(OLECHAR) : 0; }

long com::bstr_live_count() noexcept { return live_count.load(std::memory_order_relaxed); }
