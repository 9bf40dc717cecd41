// The record encodings: byte-exact strings and id lists, what a damaged record gives back, and
// strings at the limit: what is written can be read back, what the reader refuses is not written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/record_io.h"
#include "platform/com/fault_switch.h"
#include "platform/com/streams.h"
#include "tests/core/record_faults.h"

namespace {

using namespace record_faults;

TEST(RecordStrings, AreCountedUtf16WithATerminatorAndNullIsCountZero)
{
    com::ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    BSTR text = SysAllocStringLen(u"A\0b", 3);
    BSTR empty = SysAllocString(u"");
    EXPECT_EQ(cnt::record::write_string(s.get(), text), S_OK);
    EXPECT_EQ(cnt::record::write_string(s.get(), empty), S_OK);
    EXPECT_EQ(cnt::record::write_string(s.get(), nullptr), S_OK);
    SysFreeString(text);
    SysFreeString(empty);
    const bytes expected{8, 0, 0, 0, 'A', 0, 0, 0, 'b', 0, 0, 0,  // embedded zero kept
                         2, 0, 0, 0, 0, 0,                        // "" is count 2
                         0, 0, 0, 0};                             // null is count 0
    EXPECT_EQ(contents(s.get()), expected);

    s->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    BSTR read = SysAllocString(u"old");
    ASSERT_EQ(cnt::record::read_string(s.get(), &read), S_OK);
    ASSERT_EQ(SysStringLen(read), 3u);
    EXPECT_EQ(std::u16string(read, 3), std::u16string(u"A\0b", 3));
    ASSERT_EQ(cnt::record::read_string(s.get(), &read), S_OK);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(SysStringLen(read), 0u);
    ASSERT_EQ(cnt::record::read_string(s.get(), &read), S_OK);
    EXPECT_EQ(read, nullptr);
}

TEST(RecordStrings, BadCountsAndTerminatorsFailAndRewindToTheCount)
{
    struct damaged {
        bytes record;
        HRESULT expected;
    };
    const damaged cases[] = {
        {{1, 0, 0, 0, 0, 0}, E_FAIL},                      // count 1
        {{6, 0, 0, 0, 'a', 0, 'b', 0}, E_FAIL},            // terminator missing
        {{6, 0, 0, 0, 'a', 0, 'b', 0, 1, 0}, E_FAIL},      // terminator not zero
        {{6, 0, 0, 0, 'a', 0}, E_FAIL},                    // text cut short
        {{1, 0, 0x10, 0, 0, 0}, E_ACCESSDENIED},           // 0x100001 bytes: over the limit
        {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, E_ACCESSDENIED},  // far over it, compared unsigned
        {{0xB8, 0x0B, 0, 0, 'a', 0, 0, 0}, E_FAIL},        // 3000 bytes claimed, 4 there
        {{2, 0}, E_FAIL},                                  // count cut short
    };
    // Through the stream's calls and, as a record's Load reads it, in place.
    for (const bool direct : {false, true}) {
        for (const damaged& c : cases) {
            SCOPED_TRACE(testing::Message() << (direct ? "in place" : "through the stream")
                                            << ", row " << &c - cases);
            bytes record = {0xEE, 0xEE};  // something before the count, to see where it rewinds
            record.insert(record.end(), c.record.begin(), c.record.end());
            com::ComPtr<IStream> s = stream_of(record);
            s->Seek(LARGE_INTEGER{.QuadPart = 2}, STREAM_SEEK_SET, nullptr);
            const cnt::record::direct_scope scope(direct ? s.get() : nullptr);
            BSTR field = SysAllocString(u"kept?");
            EXPECT_EQ(cnt::record::read_string(s.get(), &field), c.expected);
            EXPECT_EQ(field, nullptr);
            EXPECT_EQ(position_in(s.get()), 2u);
        }
    }
}

TEST(RecordStrings, AStringThatCannotBeAllocatedRewindsToTheCount)
{
    for (const bool direct : {false, true}) {
        SCOPED_TRACE(direct);
        com::ComPtr<IStream> s = stream_of({0xEE, 0xEE, 6, 0, 0, 0, 'a', 0, 'b', 0, 0, 0});
        s->Seek(LARGE_INTEGER{.QuadPart = 2}, STREAM_SEEK_SET, nullptr);
        const cnt::record::direct_scope scope(direct ? s.get() : nullptr);
        BSTR field = nullptr;
        HRESULT hr = S_OK;
        {
            com::fault::failing_allocation fault(1);
            hr = cnt::record::read_string(s.get(), &field);
        }
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(field, nullptr);
        EXPECT_EQ(position_in(s.get()), 2u);
        ASSERT_EQ(cnt::record::read_string(s.get(), &field), S_OK);
        EXPECT_EQ(std::u16string(field, SysStringLen(field)), u"ab");
        EXPECT_EQ(position_in(s.get()), 12u);
        SysFreeString(field);
    }
}

// The longest text (count 0x100000, the reader's largest) and one unit more, and the odd byte
// counts either side of the limit: the writer refuses what the reader would.
TEST(RecordStrings, AtTheLimitWhatIsWrittenReadsBackAndTheRestIsNotWritten)
{
    const std::pair<UINT, HRESULT> cases[] = {
        {2 * cnt::record::max_string_units, S_OK},
        {2 * cnt::record::max_string_units + 2, E_ACCESSDENIED},
        {cnt::record::max_string_bytes - 3, S_OK},
        {cnt::record::max_string_bytes - 1, E_ACCESSDENIED},
    };
    for (const auto& [size, result] : cases) {
        SCOPED_TRACE(size);
        BSTR text = SysAllocStringByteLen(nullptr, size);
        ASSERT_NE(text, nullptr);
        std::fill_n(reinterpret_cast<char*>(text), size, 'a');
        com::ComPtr<IStream> s;
        com::create_memory_stream(s.put());
        EXPECT_EQ(cnt::record::write_string(s.get(), text), result);
        const bytes written = contents(s.get());
        BSTR read = nullptr;
        EXPECT_EQ(cnt::record::read_string(stream_of(written).get(), &read),
                  SUCCEEDED(result) ? S_OK : E_FAIL)
            << "nothing was written: the count itself is missing";
        EXPECT_EQ(written.empty(), FAILED(result));
        if (read) {
            EXPECT_EQ(SysStringByteLen(read), size);
            EXPECT_EQ(std::memcmp(read, text, size), 0);
        }
        SysFreeString(read);
        SysFreeString(text);
    }
}

TEST(RecordIdLists, AReadReplacesWhatTheListHeldAndACountPastTheStreamFails)
{
    std::vector<LONG> ids{99};
    ASSERT_EQ(cnt::record::read_ids(stream_of({2, 0, 0, 0, 7, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF}).get(), &ids), S_OK);
    EXPECT_EQ(ids, (std::vector<LONG>{7, -3}));
    // Without reserving room for the count first.
    ids.clear();
    EXPECT_EQ(cnt::record::read_ids(stream_of({0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0}).get(), &ids), E_FAIL);
    EXPECT_EQ(ids, std::vector<LONG>{1});
}

TEST(RecordIntegers, StreamErrorsPassThroughUnchanged)
{
    com::ComPtr<IStream> inner = stream_of({1, 2, 3, 4});
    com::ComPtr<IStream> faulty;
    ASSERT_EQ(com::create_fault_stream(inner.get(), {.fail_read_at = 1, .read_error = STG_E_READFAULT,
                                                     .fail_write_at = 1, .write_error = STG_E_MEDIUMFULL},
                                       faulty.put()),
              S_OK);
    LONG value = 0;
    EXPECT_EQ(cnt::record::read_i32(faulty.get(), &value), STG_E_READFAULT);
    EXPECT_EQ(cnt::record::write_i32(faulty.get(), 5), STG_E_MEDIUMFULL);
}

}  // namespace
