// What every record test shares: records built by hand byte by byte, memory streams, saving and
// loading an object's record and its dirty flag, and loading and saving through a stream that fails on a
// chosen call, where every failure must come back as it is.
#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace record_faults {

using bytes = std::vector<BYTE>;

inline void put_u16(bytes& b, USHORT v)
{
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}
inline void put_u32(bytes& b, ULONG v)
{
    put_u16(b, static_cast<USHORT>(v));
    put_u16(b, static_cast<USHORT>(v >> 16));
}
inline void put_i16(bytes& b, SHORT v) { put_u16(b, static_cast<USHORT>(v)); }
inline void put_i32(bytes& b, LONG v) { put_u32(b, static_cast<ULONG>(v)); }
// The counted string: byte count, UTF-16LE text, a 16-bit zero.
inline void put_string(bytes& b, std::u16string_view text)
{
    put_u32(b, static_cast<ULONG>(text.size() * 2 + 2));
    for (char16_t c : text) put_u16(b, c);
    put_u16(b, 0);
}
inline void put_ids(bytes& b, const std::vector<LONG>& ids)
{
    put_u32(b, static_cast<ULONG>(ids.size()));
    for (LONG id : ids) put_i32(b, id);
}

// A memory stream holding `b`, at its start; what a memory stream holds; where a stream stands.
inline com::ComPtr<IStream> stream_of(const bytes& b)
{
    com::ComPtr<IStream> s;
    EXPECT_EQ(com::create_memory_stream(b.data(), b.size(), s.put()), S_OK);
    return s;
}
inline bytes contents(IStream* s)
{
    bytes b;
    EXPECT_EQ(com::memory_stream_bytes(s, &b), S_OK);
    return b;
}
inline ULONGLONG position_in(IStream* s)
{
    ULARGE_INTEGER at{};
    s->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &at);
    return at.QuadPart;
}

inline com::ComPtr<IPersistStreamInit> persist_of(IUnknown* object)
{
    com::ComPtr<IPersistStreamInit> persist;
    if (object) object->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    return persist;
}

inline bytes saved(IUnknown* object, BOOL clear_dirty = TRUE)
{
    com::ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    EXPECT_EQ(persist_of(object)->Save(s.get(), clear_dirty), S_OK);
    return contents(s.get());
}

inline HRESULT load(IUnknown* object, const bytes& record)
{
    return persist_of(object)->Load(stream_of(record).get());
}

inline bool is_dirty(IUnknown* object) { return persist_of(object)->IsDirty() == S_OK; }

// Loads `whole` into a new object from make() through a stream whose n-th read fails, for
// n = 1, 2, … until a load needs fewer reads: each failure comes back as expected_at(where the
// failed load left the stream) says, and the load that succeeds saves `whole` again.
template <typename Make, typename Expected>
void expect_every_failing_read_reported(Make make, const bytes& whole, Expected expected_at)
{
    for (ULONG n = 1;; ++n) {
        SCOPED_TRACE(n);
        com::ComPtr<IStream> inner = stream_of(whole), faulty;
        ASSERT_EQ(com::create_fault_stream(inner.get(), {.fail_read_at = n}, faulty.put()), S_OK);
        auto object = make();
        const HRESULT hr = persist_of(object.get())->Load(faulty.get());
        com::fault_counts counts;
        com::fault_stream_counts(faulty.get(), &counts);
        if (counts.reads < n) {
            EXPECT_EQ(hr, S_OK) << "every read done, none failed";
            EXPECT_EQ(saved(object.get()), whole);
            return;
        }
        EXPECT_EQ(hr, expected_at(position_in(inner.get()))) << "at " << position_in(inner.get());
    }
}

// As above, where every failure must come back as it is.
template <typename Make>
void expect_every_failing_read_reported(Make make, const bytes& whole)
{
    expect_every_failing_read_reported(make, whole, [](ULONGLONG) { return STG_E_READFAULT; });
}

// Saves `object`, made dirty by touch(), through a stream whose n-th write fails, for
// n = 1, 2, … until a save needs fewer writes: each failure comes back as it is, writes
// nothing more and keeps the dirty flag; the save that succeeds writes `expected` and clears it.
template <typename Touch>
void expect_every_failing_write_reported(IUnknown* object, const bytes& expected, Touch touch)
{
    auto persist = persist_of(object);
    for (ULONG n = 1;; ++n) {
        SCOPED_TRACE(n);
        touch();
        com::ComPtr<IStream> inner, faulty;
        com::create_memory_stream(inner.put());
        ASSERT_EQ(com::create_fault_stream(inner.get(), {.fail_write_at = n}, faulty.put()), S_OK);
        const HRESULT hr = persist->Save(faulty.get(), TRUE);
        com::fault_counts counts;
        com::fault_stream_counts(faulty.get(), &counts);
        if (counts.writes < n) {
            EXPECT_EQ(hr, S_OK);
            EXPECT_EQ(persist->IsDirty(), S_FALSE);
            EXPECT_EQ(contents(inner.get()), expected);
            return;
        }
        EXPECT_EQ(hr, STG_E_WRITEFAULT);
        EXPECT_EQ(persist->IsDirty(), S_OK);
        EXPECT_EQ(counts.writes, n) << "nothing is written after the failure";
    }
}

}  // namespace record_faults
