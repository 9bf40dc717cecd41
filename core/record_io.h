// Reading and writing element records: little-endian integers, counted strings and id lists,
// each value with its own stream call. Every element, the element info and the container use
// these, so one encoding serves every record.
//
// Strings: a 32-bit byte count n, then n bytes. A null string is n = 0 and nothing more;
// otherwise n is the text's byte length + 2 and the text is followed by a 16-bit zero.
// Reading refuses n = 1 and a missing or non-zero terminator with E_FAIL and n above 1 MiB with
// E_ACCESSDENIED; on any failure the stream goes back to the count and the field stays null.
// Writing refuses a string that reading would refuse (more than max_string_units units) with
// the same E_ACCESSDENIED, before writing anything.
// Id lists: a 32-bit signed count, then that many 32-bit ids; a count of 0 or less reads as an
// empty list.
//
// A fixed-size value the stream cannot deliver in full fails with E_FAIL, so that a truncated
// record never leaves a value half read.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace cnt::record {

// While one is alive, the functions below given `stream` read and write a memory stream's bytes
// in place (the same results, bytes and position as through its Read, Write and Seek) rather
// than call the stream once a value. Records open one for their Load and Save; a nested record
// on the same stream finds it open already. Any other stream is used through its interface.
class direct_scope {
public:
    explicit direct_scope(IStream* stream) noexcept;
    ~direct_scope();
    direct_scope(const direct_scope&) = delete;
    direct_scope& operator=(const direct_scope&) = delete;

private:
    com::memory_window saved_;
    bool opened_ = false;
};

// For a record that encodes or decodes its whole layout at once, the bytes an open direct_scope
// reaches in place at the stream's position. readable: what there is up to the end (null when
// no scope is open for the stream); writable: room for `size` bytes that fit in the capacity
// without a gap before them (null otherwise: the caller goes value by value). The *_done calls
// move the position past the bytes used, a write extending the size as Write would.
const BYTE* direct_readable(IStream* stream, std::size_t* available) noexcept;
void direct_read_done(IStream* stream, std::size_t size) noexcept;
BYTE* direct_writable(IStream* stream, std::size_t size) noexcept;
void direct_write_done(IStream* stream, std::size_t size) noexcept;

// A copy of the window an open direct_scope has on `stream` (false when none is open), for a
// walk over many records that reaches their bytes through the calls below, the same as the
// direct_* calls above, without looking the window up for each.
bool direct_window(IStream* stream, com::memory_window* out) noexcept;

inline const BYTE* window_readable(const com::memory_window& w, std::size_t* available) noexcept
{
    const ULONGLONG at = *w.position;
    *available = at < *w.size ? static_cast<std::size_t>(*w.size - at) : 0;
    return *available ? *w.data + at : *w.data;
}
inline void window_read_done(const com::memory_window& w, std::size_t size) noexcept
{
    *w.position += size;
}
inline BYTE* window_writable(const com::memory_window& w, std::size_t size) noexcept
{
    const ULONGLONG at = *w.position;
    if (at > *w.size || size > *w.capacity || at > *w.capacity - size) return nullptr;
    return *w.data + at;
}
inline void window_write_done(const com::memory_window& w, std::size_t size) noexcept
{
    const ULONGLONG end = *w.position + size;
    if (end > *w.size) *w.size = static_cast<std::size_t>(end);
    *w.position = end;
}

inline constexpr ULONG max_string_bytes = 0x100000;
// The longest text a record holds, in UTF-16 units (the count includes the 2-byte terminator).
inline constexpr ULONG max_string_units = (max_string_bytes - 2) / 2;

HRESULT write_u32(IStream* stream, ULONG value) noexcept;
HRESULT write_i32(IStream* stream, LONG value) noexcept;
HRESULT write_i16(IStream* stream, SHORT value) noexcept;
HRESULT write_string(IStream* stream, BSTR text) noexcept;
HRESULT write_ids(IStream* stream, const std::vector<LONG>& ids) noexcept;

HRESULT read_u32(IStream* stream, ULONG* value) noexcept;
HRESULT read_i32(IStream* stream, LONG* value) noexcept;
HRESULT read_i16(IStream* stream, SHORT* value) noexcept;
// Frees *text first; *text is null after any failure.
HRESULT read_string(IStream* stream, BSTR* text) noexcept;
// Empties *ids first, then appends every id read (zeros included).
HRESULT read_ids(IStream* stream, std::vector<LONG>* ids) noexcept;

// Typed helpers for the enumerations, colours and 16-bit booleans records hold.
template <typename E>
HRESULT write_enum(IStream* stream, E value) noexcept
{
    static_assert(sizeof(E) == 4);
    return write_i32(stream, static_cast<LONG>(value));
}
template <typename E>
HRESULT read_enum(IStream* stream, E* value) noexcept
{
    static_assert(sizeof(E) == 4);
    LONG raw = 0;
    RETURN_IF_FAILED(read_i32(stream, &raw));
    *value = static_cast<E>(raw);
    return S_OK;
}

}  // namespace cnt::record
