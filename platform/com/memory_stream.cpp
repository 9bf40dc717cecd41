// The memory stream: a growable byte store shared by a stream and its clones, each with its own
// position.
#include "platform/com/streams.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/stream_common.h"

namespace {

using com::stream_detail::max_position;

ULONGLONG physical_memory() noexcept
{
    long pages = sysconf(_SC_PHYS_PAGES);
    long page_size = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return max_position;
    ULONGLONG bytes = static_cast<ULONGLONG>(pages);
    ULONGLONG unit = static_cast<ULONGLONG>(page_size);
    return bytes > max_position / unit ? max_position : bytes * unit;
}

// The bytes of a stream and its clones. Bytes between `size` and `capacity` hold garbage, so
// whatever extends `size` fills its gap itself: memory about to be overwritten is not zeroed.
struct byte_store {
    BYTE* data = nullptr;
    std::size_t size = 0;
    std::size_t capacity = 0;

    byte_store() = default;
    byte_store(const byte_store&) = delete;
    byte_store& operator=(const byte_store&) = delete;
    ~byte_store() { std::free(data); }

    // Room for `needed` bytes (at most the stream limit), growing by doubling so that a run of
    // small writes costs linear time; E_OUTOFMEMORY when the heap refuses.
    HRESULT reserve(std::size_t needed) noexcept
    {
        if (needed <= capacity) return S_OK;
        constexpr std::size_t first_capacity = 4096;
        const std::size_t limit = com::memory_stream_limit();
        std::size_t grown = capacity > limit / 2 ? limit : std::max(capacity * 2, first_capacity);
        std::size_t target = std::max(needed, std::min(grown, limit));
        void* moved = std::realloc(data, target);
        if (!moved && target > needed) {
            target = needed;  // the doubled size may be what does not fit
            moved = std::realloc(data, target);
        }
        if (!moved) return E_OUTOFMEMORY;
        data = static_cast<BYTE*>(moved);
        capacity = target;
        return S_OK;
    }

    // Makes the store `new_size` long, zero-filling what it gains.
    HRESULT resize(std::size_t new_size) noexcept
    {
        if (new_size > size) {
            if (HRESULT hr = reserve(new_size); FAILED(hr)) return hr;
            std::memset(data + size, 0, new_size - size);
        }
        size = new_size;
        return S_OK;
    }
};

// The IID of memory_stream_access in this copy of the code: its last eight bytes are the address
// of a variable of this file, so a stream made by another module (a program and a library it
// loaded each carry this file) does not answer it, and its bytes are reached through its calls,
// not through a layout that only happens to be the same.
const char module_mark = 0;

IID module_access_iid() noexcept
{
    IID iid = com::make_guid("{5E1A0C01-7D3B-4C55-9A21-3F6B2D8E4A10}");
    const auto mark = reinterpret_cast<std::uintptr_t>(&module_mark);
    static_assert(sizeof mark == sizeof iid.Data4);
    for (std::size_t i = 0; i < sizeof iid.Data4; ++i)
        iid.Data4[i] = static_cast<unsigned char>(mark >> (8 * i));
    return iid;
}

// Lets memory_stream_bytes recognise the streams of this file; no other object answers its IID.
struct memory_stream_access : IUnknown {
    static inline const IID iid = module_access_iid();
    using base = IUnknown;

    virtual HRESULT copy_bytes(std::vector<BYTE>* out) noexcept = 0;
    virtual void window(com::memory_window* out) noexcept = 0;
    virtual HRESULT reserve(std::size_t bytes) noexcept = 0;
};

class memory_stream : public com::object_root<memory_stream, IStream, memory_stream_access> {
public:
    memory_stream(std::shared_ptr<byte_store> store, ULONGLONG position) noexcept
        : store_(std::move(store)), position_(position)
    {
    }

    HRESULT Read(void* buffer, ULONG size, ULONG* read) noexcept override
    {
        if (read) *read = 0;
        if (!buffer && size) return STG_E_INVALIDPOINTER;
        const byte_store& s = *store_;
        ULONGLONG available = position_ < s.size ? s.size - position_ : 0;
        ULONG count = static_cast<ULONG>(std::min<ULONGLONG>(available, size));
        if (count) std::memcpy(buffer, s.data + position_, count);
        position_ += count;
        if (read) *read = count;
        return count < size ? S_FALSE : S_OK;
    }

    HRESULT Write(const void* buffer, ULONG size, ULONG* written) noexcept override
    {
        if (written) *written = 0;
        if (!buffer && size) return STG_E_INVALIDPOINTER;
        if (size == 0) return S_OK;
        // position_ <= max_position, so the sum cannot wrap.
        const ULONGLONG end = position_ + size;
        if (end > com::memory_stream_limit()) return STG_E_MEDIUMFULL;
        byte_store& s = *store_;
        if (end > s.size) {
            if (HRESULT hr = s.reserve(static_cast<std::size_t>(end)); FAILED(hr)) return hr;
            if (position_ > s.size) std::memset(s.data + s.size, 0, position_ - s.size);
            s.size = static_cast<std::size_t>(end);
        }
        std::memcpy(s.data + position_, buffer, size);
        position_ = end;
        if (written) *written = size;
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) noexcept override
    {
        ULONGLONG base;
        switch (origin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = position_; break;
        case STREAM_SEEK_END: base = store_->size; break;
        default: return STG_E_INVALIDFUNCTION;
        }
        ULONGLONG target;
        if (HRESULT hr = com::stream_detail::seek_target(base, move.QuadPart, &target); FAILED(hr))
            return hr;
        position_ = target;
        if (position) position->QuadPart = target;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) noexcept override
    {
        if (size.QuadPart > com::memory_stream_limit()) return STG_E_MEDIUMFULL;
        return store_->resize(static_cast<std::size_t>(size.QuadPart));
    }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                   ULARGE_INTEGER* written) noexcept override
    {
        return com::stream_detail::copy_through_buffer(this, target, size.QuadPart, read, written);
    }

    HRESULT Commit(DWORD) noexcept override { return S_OK; }
    HRESULT Revert() noexcept override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override
    {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT Stat(STATSTG* stat, DWORD flags) noexcept override
    {
        if (HRESULT hr = com::stream_detail::begin_stat(stat, flags); FAILED(hr)) return hr;
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = store_->size;
        stat->grfMode = STGM_READWRITE;
        return com::stream_detail::set_stat_name(stat, flags, u"");
    }

    HRESULT Clone(IStream** clone) noexcept override
    {
        if (!clone) return STG_E_INVALIDPOINTER;
        *clone = nullptr;
        memory_stream* copy = nullptr;
        if (HRESULT hr = com::make<memory_stream>(&copy, store_, position_); FAILED(hr)) return hr;
        *clone = copy;
        return S_OK;
    }

    HRESULT copy_bytes(std::vector<BYTE>* out) noexcept override
    {
        try {
            out->assign(store_->data, store_->data + store_->size);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    void window(com::memory_window* out) noexcept override
    {
        out->data = &store_->data;
        out->size = &store_->size;
        out->capacity = &store_->capacity;
        out->position = &position_;
    }

    HRESULT reserve(std::size_t bytes) noexcept override
    {
        const ULONGLONG end = position_ + bytes;
        if (end < position_ || end > com::memory_stream_limit()) return STG_E_MEDIUMFULL;
        return store_->reserve(static_cast<std::size_t>(end));
    }

private:
    std::shared_ptr<byte_store> store_;
    ULONGLONG position_;
};

}  // namespace

ULONGLONG com::memory_stream_limit() noexcept
{
    static const ULONGLONG limit = physical_memory();
    return limit;
}

HRESULT com::create_memory_stream(IStream** out) noexcept
{
    return create_memory_stream(nullptr, 0, out);
}

HRESULT com::create_memory_stream(const void* data, std::size_t size, IStream** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!data && size) return E_INVALIDARG;
    if (size > memory_stream_limit()) return STG_E_MEDIUMFULL;
    std::shared_ptr<byte_store> store;
    try {
        store = std::make_shared<byte_store>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (size) {
        if (HRESULT hr = store->reserve(size); FAILED(hr)) return hr;
        std::memcpy(store->data, data, size);
        store->size = size;
    }
    memory_stream* stream = nullptr;
    if (HRESULT hr = make<memory_stream>(&stream, std::move(store), 0ull); FAILED(hr)) return hr;
    *out = stream;
    return S_OK;
}

HRESULT com::memory_stream_bytes(IStream* stream, std::vector<BYTE>* out) noexcept
{
    if (!stream || !out) return E_INVALIDARG;
    ComPtr<memory_stream_access> access;
    if (HRESULT hr = stream->QueryInterface(memory_stream_access::iid, access.put_void());
        FAILED(hr))
        return hr;
    return access->copy_bytes(out);
}

bool com::open_memory_window(IStream* stream, memory_window* out) noexcept
{
    if (!stream || !out) return false;
    ComPtr<memory_stream_access> access;
    if (FAILED(stream->QueryInterface(memory_stream_access::iid, access.put_void())) || !access)
        return false;
    access->window(out);
    out->stream = stream;  // the interface the caller holds, as the one it compares with
    return true;
}

HRESULT com::reserve_memory_stream(IStream* stream, std::size_t bytes) noexcept
{
    if (!stream) return E_INVALIDARG;
    ComPtr<memory_stream_access> access;
    if (HRESULT hr = stream->QueryInterface(memory_stream_access::iid, access.put_void());
        FAILED(hr))
        return hr;
    return access->reserve(bytes);
}
