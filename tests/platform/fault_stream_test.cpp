// The fault stream (the record walks of the core and the elements drive theirs through every
// position): the named read or write fails, capped reads are short, a full medium keeps what
// fits, seeks fail from a call on, the counts, clones sharing the plan, and forwarding.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/streams.h"
#include "tests/platform/test_support.h"

namespace {

struct faulty {
    com::ComPtr<IStream> inner;
    com::ComPtr<IStream> stream;
};

faulty make_faulty(const com::fault_plan& plan, std::string_view contents = {})
{
    faulty f;
    EXPECT_EQ(com::create_memory_stream(contents.data(), contents.size(), f.inner.put()), S_OK);
    EXPECT_EQ(com::create_fault_stream(f.inner.get(), plan, f.stream.put()), S_OK);
    return f;
}

com::fault_counts counts_of(IStream* stream)
{
    com::fault_counts counts;
    EXPECT_EQ(com::fault_stream_counts(stream, &counts), S_OK);
    return counts;
}

// Each call's result and count, then what the inner stream holds.
TEST(FaultStream, TheNamedWriteFailsAndAFullMediumKeepsWhatFits)
{
    faulty f = make_faulty({.fail_write_at = 2, .write_error = E_ABORT, .write_limit = 6});
    ULONG written = 99;
    EXPECT_EQ(f.stream->Write("abc", 3, &written), S_OK);
    EXPECT_EQ(f.stream->Write("XYZ", 3, &written), E_ABORT);
    EXPECT_EQ(written, 0u) << "the failed write wrote nothing";
    EXPECT_EQ(f.stream->Write("defgh", 5, &written), STG_E_MEDIUMFULL);
    EXPECT_EQ(written, 3u) << "the part that fits";
    EXPECT_EQ(f.stream->Write("i", 1, &written), STG_E_MEDIUMFULL);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(bytes_of(f.inner.get()), "abcdef");
    const com::fault_counts counts = counts_of(f.stream.get());
    EXPECT_EQ(counts.writes, 4u) << "the failing writes count";
    EXPECT_EQ(counts.bytes_written, 6u);
}

TEST(FaultStream, TheNamedReadFailsAndCappedReadsAreShort)
{
    faulty f = make_faulty({.fail_read_at = 2, .read_cap = 3}, "abcdefgh");
    char buffer[8] = {};
    ULONG read = 99;
    EXPECT_EQ(f.stream->Read(buffer, 8, &read), S_FALSE);
    EXPECT_EQ(std::string(buffer, read), "abc");
    EXPECT_EQ(f.stream->Read(buffer, 1, &read), STG_E_READFAULT) << "the default error";
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(f.stream->Read(buffer, 3, &read), S_OK) << "only the named read fails";
    EXPECT_EQ(std::string(buffer, read), "def");
    const com::fault_counts counts = counts_of(f.stream.get());
    EXPECT_EQ(counts.reads, 3u);
    EXPECT_EQ(counts.bytes_read, 6u);

    faulty other = make_faulty({.fail_read_at = 1, .read_error = E_ABORT}, "x");
    EXPECT_EQ(other.stream->Read(buffer, 1, &read), E_ABORT);
}

TEST(FaultStream, SeeksFailFromTheNamedCallOnAndMoveNothing)
{
    faulty f = make_faulty({.fail_seek_from = 2}, "abcdef");
    ULARGE_INTEGER at{};
    EXPECT_EQ(f.stream->Seek(LARGE_INTEGER{.QuadPart = 3}, STREAM_SEEK_SET, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f.stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), STG_E_SEEKERROR);
    char c = 0;
    EXPECT_EQ(f.stream->Read(&c, 1, nullptr), S_OK);
    EXPECT_EQ(c, 'd');
    EXPECT_EQ(counts_of(f.stream.get()).seeks, 4u);
}

TEST(FaultStream, CopyToReadsThroughThePlan)
{
    faulty f = make_faulty({.fail_read_at = 2}, std::string(100000, 'z'));
    com::ComPtr<IStream> target;
    ASSERT_EQ(com::create_memory_stream(target.put()), S_OK);
    ULARGE_INTEGER read{}, written{};
    EXPECT_EQ(f.stream->CopyTo(target.get(), ULARGE_INTEGER{.QuadPart = 100000}, &read, &written),
              STG_E_READFAULT);
    EXPECT_EQ(read.QuadPart, 65536u) << "the first chunk came before the failure";
    EXPECT_EQ(written.QuadPart, 65536u);
}

TEST(FaultStream, OtherCallsGoToTheInnerStreamAndClonesShareThePlan)
{
    faulty f = make_faulty({.fail_write_at = 2}, "abc");
    EXPECT_EQ(f.stream->SetSize(ULARGE_INTEGER{.QuadPart = 2}), S_OK);
    EXPECT_EQ(bytes_of(f.inner.get()), "ab");
    STATSTG stat{};
    EXPECT_EQ(f.stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 2u);
    EXPECT_EQ(f.stream->LockRegion({}, {}, 0), STG_E_INVALIDFUNCTION);

    com::ComPtr<IStream> clone;
    ASSERT_EQ(f.stream->Clone(clone.put()), S_OK);
    EXPECT_EQ(f.stream->Write("x", 1, nullptr), S_OK);
    EXPECT_EQ(clone->Write("y", 1, nullptr), STG_E_WRITEFAULT) << "the second write overall";
    EXPECT_EQ(counts_of(clone.get()).writes, 2u);
    com::fault_counts counts;
    EXPECT_EQ(com::fault_stream_counts(f.inner.get(), &counts), E_NOINTERFACE);
}

TEST(FaultStream, CreationChecksItsArgumentsAndReleasesTheInnerStream)
{
    const LONG locks = com::module_lock_count();
    {
        com::ComPtr<IStream> inner;
        ASSERT_EQ(com::create_memory_stream(inner.put()), S_OK);
        EXPECT_EQ(com::create_fault_stream(inner.get(), {}, nullptr), E_POINTER);
        IStream* stream = reinterpret_cast<IStream*>(0x1);
        EXPECT_EQ(com::create_fault_stream(nullptr, {}, &stream), E_INVALIDARG);
        EXPECT_EQ(stream, nullptr);
        ASSERT_EQ(com::create_fault_stream(inner.get(), {}, &stream), S_OK);
        EXPECT_EQ(counted::references(inner.get()), 2u) << "the wrapper holds one reference";
        EXPECT_EQ(stream->Release(), 0u);
        EXPECT_EQ(counted::references(inner.get()), 1u);
    }
    EXPECT_EQ(com::module_lock_count(), locks);
}

}  // namespace
