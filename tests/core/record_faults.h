// Loading and saving a record through a stream that fails on a chosen call, for the record
// tests of the elements and of the container: every failure must come back as it is.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace record_faults {

using bytes = std::vector<BYTE>;

inline com::ComPtr<IPersistStreamInit> persist_of(IUnknown* object)
{
    com::ComPtr<IPersistStreamInit> persist;
    object->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    return persist;
}

// Loads `whole` into a new object from make() through a stream whose n-th read fails, for
// n = 1, 2, … until a load needs fewer reads: each failure comes back as it is, and the load
// that succeeds saves `whole` again.
template <typename Make>
void expect_every_failing_read_reported(Make make, const bytes& whole)
{
    for (ULONG n = 1;; ++n) {
        SCOPED_TRACE(n);
        com::ComPtr<IStream> inner, faulty, out;
        com::create_memory_stream(whole.data(), whole.size(), inner.put());
        com::fault_plan plan;
        plan.fail_read_at = n;
        ASSERT_EQ(com::create_fault_stream(inner.get(), plan, faulty.put()), S_OK);
        auto object = make();
        auto persist = persist_of(object.get());
        const HRESULT hr = persist->Load(faulty.get());
        com::fault_counts counts;
        com::fault_stream_counts(faulty.get(), &counts);
        if (counts.reads < n) {
            EXPECT_EQ(hr, S_OK) << "every read done, none failed";
            com::create_memory_stream(out.put());
            EXPECT_EQ(persist->Save(out.get(), TRUE), S_OK);
            bytes again;
            com::memory_stream_bytes(out.get(), &again);
            EXPECT_EQ(again, whole);
            return;
        }
        EXPECT_EQ(hr, STG_E_READFAULT);
    }
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
        com::fault_plan plan;
        plan.fail_write_at = n;
        ASSERT_EQ(com::create_fault_stream(inner.get(), plan, faulty.put()), S_OK);
        const HRESULT hr = persist->Save(faulty.get(), TRUE);
        com::fault_counts counts;
        com::fault_stream_counts(faulty.get(), &counts);
        if (counts.writes < n) {
            EXPECT_EQ(hr, S_OK);
            EXPECT_EQ(persist->IsDirty(), S_FALSE);
            bytes written;
            com::memory_stream_bytes(inner.get(), &written);
            EXPECT_EQ(written, expected);
            return;
        }
        EXPECT_EQ(hr, STG_E_WRITEFAULT);
        EXPECT_EQ(persist->IsDirty(), S_OK);
        EXPECT_EQ(counts.writes, n) << "nothing is written after the failure";
    }
}

}  // namespace record_faults
