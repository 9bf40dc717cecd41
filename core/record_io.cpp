// The record encodings; see record_io.h.
#include "core/record_io.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "platform/com/little_endian.h"

namespace cnt::record {
namespace {

// The memory stream whose bytes the innermost open direct_scope reaches; stream is null when
// none is open.
thread_local com::memory_window current;

const com::memory_window* window_of(IStream* stream) noexcept
{
    return current.stream == stream && stream ? &current : nullptr;
}

HRESULT write_bytes(IStream* stream, const void* bytes, ULONG size) noexcept
{
    if (const com::memory_window* w = window_of(stream)) {
        // Within the capacity, so within the stream's limit too; a write beyond the size
        // needs no gap filled, as it starts at or before the size.
        const ULONGLONG at = *w->position, end = at + size;
        if (at <= *w->size && end <= *w->capacity) {
            if (size) std::memcpy(*w->data + at, bytes, size);
            if (end > *w->size) *w->size = static_cast<std::size_t>(end);
            *w->position = end;
            return S_OK;
        }
    }
    ULONG written = 0;
    return stream->Write(bytes, size, &written);
}

HRESULT read_exact(IStream* stream, void* bytes, ULONG size) noexcept
{
    if (const com::memory_window* w = window_of(stream)) {
        const ULONGLONG at = *w->position;
        const ULONGLONG available = at < *w->size ? *w->size - at : 0;
        // A short read takes what there is and moves past it, as Read does.
        const ULONG count = available < size ? static_cast<ULONG>(available) : size;
        if (count) std::memcpy(bytes, *w->data + at, count);
        *w->position = at + count;
        return count == size ? S_OK : E_FAIL;
    }
    ULONG got = 0;
    const HRESULT hr = stream->Read(bytes, size, &got);
    if (FAILED(hr)) return hr;
    return got == size ? S_OK : E_FAIL;
}

template <typename T>
HRESULT write_le(IStream* stream, T value) noexcept
{
    std::uint8_t bytes[sizeof(T)];
    if constexpr (sizeof(T) == 2)
        com::le::store16(bytes, static_cast<std::uint16_t>(value));
    else
        com::le::store32(bytes, static_cast<std::uint32_t>(value));
    return write_bytes(stream, bytes, sizeof(T));
}

template <typename T>
HRESULT read_le(IStream* stream, T* value) noexcept
{
    std::uint8_t bytes[sizeof(T)];
    RETURN_IF_FAILED(read_exact(stream, bytes, sizeof(T)));
    if constexpr (sizeof(T) == 2)
        *value = static_cast<T>(com::le::load16(bytes));
    else
        *value = static_cast<T>(com::le::load32(bytes));
    return S_OK;
}

HRESULT tell(IStream* stream, ULARGE_INTEGER* at) noexcept
{
    if (const com::memory_window* w = window_of(stream)) {
        at->QuadPart = *w->position;
        return S_OK;
    }
    return stream->Seek(LARGE_INTEGER{.QuadPart = 0}, STREAM_SEEK_CUR, at);
}

HRESULT go_back(IStream* stream, ULARGE_INTEGER at, HRESULT why) noexcept
{
    if (const com::memory_window* w = window_of(stream)) {
        *w->position = at.QuadPart;  // a position tell gave: always one Seek takes
        return why;
    }
    stream->Seek(LARGE_INTEGER{.QuadPart = static_cast<LONGLONG>(at.QuadPart)}, STREAM_SEEK_SET,
                 nullptr);
    return why;
}

}  // namespace

direct_scope::direct_scope(IStream* stream) noexcept
{
    if (!stream || current.stream == stream) return;
    com::memory_window opened;
    if (!com::open_memory_window(stream, &opened)) return;
    saved_ = current;
    current = opened;
    opened_ = true;
}

direct_scope::~direct_scope()
{
    if (opened_) current = saved_;
}

const BYTE* direct_readable(IStream* stream, std::size_t* available) noexcept
{
    const com::memory_window* w = window_of(stream);
    return w ? window_readable(*w, available) : nullptr;
}

void direct_read_done(IStream* stream, std::size_t size) noexcept
{
    window_read_done(*window_of(stream), size);
}

BYTE* direct_writable(IStream* stream, std::size_t size) noexcept
{
    const com::memory_window* w = window_of(stream);
    return w ? window_writable(*w, size) : nullptr;
}

void direct_write_done(IStream* stream, std::size_t size) noexcept
{
    window_write_done(*window_of(stream), size);
}

bool direct_window(IStream* stream, com::memory_window* out) noexcept
{
    const com::memory_window* w = window_of(stream);
    if (w) *out = *w;
    return w != nullptr;
}

HRESULT write_u32(IStream* stream, ULONG value) noexcept { return write_le(stream, value); }
HRESULT write_i32(IStream* stream, LONG value) noexcept { return write_le(stream, value); }
HRESULT write_i16(IStream* stream, SHORT value) noexcept { return write_le(stream, value); }

HRESULT write_string(IStream* stream, BSTR text) noexcept
{
    if (!text) return write_u32(stream, 0);
    const ULONG bytes = SysStringByteLen(text);
    // A string the reader would refuse is not written at all, so that every record that saves
    // also loads. E_ACCESSDENIED is the code the reader gives it: both say "over the limit".
    if (bytes > max_string_bytes - 2) return E_ACCESSDENIED;
    if (BYTE* at = direct_writable(stream, std::size_t{bytes} + 6)) {
        com::le::store32(at, bytes + 2);
        if (bytes) std::memcpy(at + 4, text, bytes);
        com::le::store16(at + 4 + bytes, 0);
        direct_write_done(stream, std::size_t{bytes} + 6);
        return S_OK;
    }
    RETURN_IF_FAILED(write_u32(stream, bytes + 2));
    // The text is UTF-16LE on the stream; char16_t is little-endian on every target we build.
    RETURN_IF_FAILED(write_bytes(stream, text, bytes));
    return write_i16(stream, 0);
}

HRESULT write_ids(IStream* stream, const std::vector<LONG>& ids) noexcept
{
    RETURN_IF_FAILED(write_i32(stream, static_cast<LONG>(ids.size())));
    for (LONG id : ids) RETURN_IF_FAILED(write_i32(stream, id));
    return S_OK;
}

HRESULT read_u32(IStream* stream, ULONG* value) noexcept { return read_le(stream, value); }
HRESULT read_i32(IStream* stream, LONG* value) noexcept { return read_le(stream, value); }
HRESULT read_i16(IStream* stream, SHORT* value) noexcept { return read_le(stream, value); }

HRESULT read_string(IStream* stream, BSTR* text) noexcept
{
    SysFreeString(*text);
    *text = nullptr;
    // A whole, well-formed string in a memory stream is copied straight from its bytes; any
    // other goes the long way, which also gives every failure its code and position.
    std::size_t available = 0;
    if (const BYTE* at = direct_readable(stream, &available); at && available >= 4) {
        const ULONG count = com::le::load32(at);
        if (count == 0) {
            direct_read_done(stream, 4);
            return S_OK;
        }
        if (count != 1 && count <= max_string_bytes && available - 4 >= count &&
            com::le::load16(at + 4 + count - 2) == 0) {
            BSTR read = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(at + 4), count - 2);
            if (!read) return E_OUTOFMEMORY;
            direct_read_done(stream, 4 + std::size_t{count});
            *text = read;
            return S_OK;
        }
    }
    ULARGE_INTEGER start{};
    RETURN_IF_FAILED(tell(stream, &start));
    ULONG count = 0;
    HRESULT hr = read_u32(stream, &count);
    if (FAILED(hr)) return go_back(stream, start, hr);
    if (count == 0) return S_OK;
    if (count == 1) return go_back(stream, start, E_FAIL);
    if (count > max_string_bytes) return go_back(stream, start, E_ACCESSDENIED);
    const ULONG text_bytes = count - 2;
    BSTR read = SysAllocStringByteLen(nullptr, text_bytes);
    if (!read) return go_back(stream, start, E_OUTOFMEMORY);
    hr = read_exact(stream, read, text_bytes);
    SHORT terminator = 1;
    if (SUCCEEDED(hr)) hr = read_i16(stream, &terminator);
    if (SUCCEEDED(hr) && terminator != 0) hr = E_FAIL;
    if (FAILED(hr)) {
        SysFreeString(read);
        return go_back(stream, start, hr);
    }
    *text = read;
    return S_OK;
}

namespace {
// The most ids room is made for before they are read.
constexpr LONG kIdsAtOnce = 16;
}  // namespace

HRESULT read_ids(IStream* stream, std::vector<LONG>* ids) noexcept
{
    ids->clear();
    LONG count = 0;
    RETURN_IF_FAILED(read_i32(stream, &count));
    // The count is untrusted: grow as ids arrive instead of reserving what it claims; a short
    // list, what records mostly hold, gets its room at once.
    if (count > 0) {
        try {
            ids->reserve(static_cast<std::size_t>(count < kIdsAtOnce ? count : kIdsAtOnce));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    for (LONG i = 0; i < count; ++i) {
        LONG id = 0;
        RETURN_IF_FAILED(read_i32(stream, &id));
        try {
            ids->push_back(id);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    return S_OK;
}

}  // namespace cnt::record
