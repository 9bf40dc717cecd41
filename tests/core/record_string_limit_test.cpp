// Strings at the record's limit: what is written is what can be read back, and a string the
// reader would refuse is not written at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/record_io.h"
#include "platform/com/streams.h"

namespace {

TEST(RecordStringLimit, TheWriterRefusesWhatTheReaderWould)
{
    struct size_case {
        UINT bytes;
        HRESULT written;
    };
    // The longest text, one unit more, and the odd byte counts either side of the limit.
    const size_case cases[] = {
        {2 * cnt::record::max_string_units, S_OK},
        {2 * cnt::record::max_string_units + 2, E_ACCESSDENIED},
        {cnt::record::max_string_bytes - 3, S_OK},
        {cnt::record::max_string_bytes - 1, E_ACCESSDENIED},
    };
    for (const size_case& c : cases) {
        SCOPED_TRACE(c.bytes);
        BSTR text = SysAllocStringByteLen(nullptr, c.bytes);
        ASSERT_NE(text, nullptr);
        std::fill_n(reinterpret_cast<char*>(text), c.bytes, 'a');
        com::ComPtr<IStream> stream;
        ASSERT_EQ(com::create_memory_stream(stream.put()), S_OK);
        EXPECT_EQ(cnt::record::write_string(stream.get(), text), c.written);
        std::vector<BYTE> bytes;
        ASSERT_EQ(com::memory_stream_bytes(stream.get(), &bytes), S_OK);
        if (FAILED(c.written)) {
            EXPECT_TRUE(bytes.empty());
        } else {
            com::ComPtr<IStream> back;
            ASSERT_EQ(com::create_memory_stream(bytes.data(), bytes.size(), back.put()), S_OK);
            BSTR read = nullptr;
            ASSERT_EQ(cnt::record::read_string(back.get(), &read), S_OK);
            EXPECT_EQ(SysStringByteLen(read), c.bytes);
            EXPECT_EQ(std::memcmp(read, text, c.bytes), 0);
            SysFreeString(read);
        }
        SysFreeString(text);
    }
}

}  // namespace
