// The fault stream: a small record writer and reader meeting a chosen failure (the record tests
// of the elements and the container drive theirs through every position), short reads, a full medium, failing seeks, the counts, and forwarding to the inner stream.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/result.h"
#include "platform/com/streams.h"
#include "tests/platform/test_support.h"

namespace {

const std::vector<std::string> kRecords = {"alpha", "", "gamma ray", "d"};
constexpr DWORD kMagic = 0x4345525A;
constexpr DWORD kUnpatched = 0xFFFFFFFF;

HRESULT write_all(IStream* stream, const void* data, ULONG size)
{
    ULONG written = 0;
    RETURN_IF_FAILED(stream->Write(data, size, &written));
    return written == size ? S_OK : STG_E_WRITEFAULT;
}

// Magic, a record count patched in at the end, then each record as a length and its bytes.
HRESULT write_records(IStream* stream, const std::vector<std::string>& records)
{
    RETURN_IF_FAILED(write_all(stream, &kMagic, 4));
    RETURN_IF_FAILED(write_all(stream, &kUnpatched, 4));
    for (const std::string& record : records) {
        DWORD length = static_cast<DWORD>(record.size());
        RETURN_IF_FAILED(write_all(stream, &length, 4));
        if (length) RETURN_IF_FAILED(write_all(stream, record.data(), length));
    }
    RETURN_IF_FAILED(stream->Seek(LARGE_INTEGER{.QuadPart = 4}, STREAM_SEEK_SET, nullptr));
    DWORD count = static_cast<DWORD>(records.size());
    RETURN_IF_FAILED(write_all(stream, &count, 4));
    return stream->Seek(LARGE_INTEGER{.QuadPart = 0}, STREAM_SEEK_END, nullptr);
}

// Goes on after short reads until everything came or the stream ended.
HRESULT read_exact(IStream* stream, void* data, ULONG size)
{
    ULONG done = 0;
    while (done < size) {
        ULONG got = 0;
        RETURN_IF_FAILED(stream->Read(static_cast<BYTE*>(data) + done, size - done, &got));
        if (got == 0) return STG_E_READFAULT;
        done += got;
    }
    return S_OK;
}

HRESULT read_records(IStream* stream, std::vector<std::string>* records)
{
    DWORD magic = 0, count = 0;
    RETURN_IF_FAILED(read_exact(stream, &magic, 4));
    RETURN_IF_FAILED(read_exact(stream, &count, 4));
    if (magic != kMagic) return STG_E_INVALIDHEADER;
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = 0;
        RETURN_IF_FAILED(read_exact(stream, &length, 4));
        std::string record(length, '\0');
        if (length) RETURN_IF_FAILED(read_exact(stream, record.data(), length));
        records->push_back(record);
    }
    return S_OK;
}

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

std::string good_output()
{
    faulty f = make_faulty({});
    EXPECT_EQ(write_records(f.stream.get(), kRecords), S_OK);
    return bytes_of(f.inner.get());
}

TEST(FaultStream, WithoutAPlanItPassesEverythingThroughAndCounts)
{
    faulty f = make_faulty({});
    ASSERT_EQ(write_records(f.stream.get(), kRecords), S_OK);
    com::fault_counts counts = counts_of(f.stream.get());
    EXPECT_EQ(counts.writes, 10u) << "magic, count, 4 lengths, 3 non-empty records, the patch";
    EXPECT_EQ(counts.seeks, 2u);
    EXPECT_EQ(counts.bytes_written, 8u + 16u + 15u + 4u);

    std::vector<std::string> records;
    ASSERT_EQ(f.stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(read_records(f.stream.get(), &records), S_OK);
    EXPECT_EQ(records, kRecords);
    EXPECT_EQ(counts_of(f.stream.get()).reads, 9u);
}

TEST(FaultStream, TheNamedWriteOrReadFailsWithThePlansError)
{
    faulty writer = make_faulty({.fail_write_at = 3, .write_error = E_ABORT});
    EXPECT_EQ(write_records(writer.stream.get(), kRecords), E_ABORT);
    EXPECT_EQ(counts_of(writer.stream.get()).writes, 3u) << "the writer stops at the failure";

    const std::string file = good_output();
    faulty reader = make_faulty({.fail_read_at = 4, .read_error = E_ABORT}, file);
    std::vector<std::string> partial;
    EXPECT_EQ(read_records(reader.stream.get(), &partial), E_ABORT);
    EXPECT_EQ(counts_of(reader.stream.get()).reads, 4u);
    faulty f = make_faulty({.fail_read_at = 1}, file);
    char c;
    ULONG read = 99;
    EXPECT_EQ(f.stream->Read(&c, 1, &read), STG_E_READFAULT);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(f.stream->Read(&c, 1, &read), S_OK) << "only the named read fails";

    // Capped reads are short, but a patient reader gets everything.
    for (ULONG cap = 1; cap <= 5; ++cap) {
        SCOPED_TRACE(cap);
        faulty capped = make_faulty({.read_cap = cap}, file);
        std::vector<std::string> records;
        EXPECT_EQ(read_records(capped.stream.get(), &records), S_OK);
        EXPECT_EQ(records, kRecords);
        EXPECT_EQ(counts_of(capped.stream.get()).bytes_read, file.size());
    }
    f = make_faulty({.read_cap = 3}, file);
    char buffer[8];
    EXPECT_EQ(f.stream->Read(buffer, 8, &read), S_FALSE);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(std::memcmp(buffer, file.data(), 3), 0);
}

TEST(FaultStream, AFullMediumKeepsWhatFitsAtEveryLimit)
{
    const std::string full = good_output();
    const std::size_t data_end = full.size();  // the patch rewrites bytes 4..8 at the end
    for (std::size_t limit = 0; limit < data_end + 4; ++limit) {
        SCOPED_TRACE(limit);
        faulty f = make_faulty({.write_limit = limit});
        EXPECT_EQ(write_records(f.stream.get(), kRecords), STG_E_MEDIUMFULL);
        EXPECT_EQ(counts_of(f.stream.get()).bytes_written, limit);
        std::string kept = bytes_of(f.inner.get());
        ASSERT_EQ(kept.size(), std::min(limit, data_end));
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (i < 4 || i >= 8) {
                ASSERT_EQ(kept[i], full[i]) << "at byte " << i;
            }
        }
    }
    faulty f = make_faulty({.write_limit = data_end + 4});
    EXPECT_EQ(write_records(f.stream.get(), kRecords), S_OK);
    ULONG written = 99;
    EXPECT_EQ(f.stream->Write("x", 1, &written), STG_E_MEDIUMFULL);
    EXPECT_EQ(written, 0u);
}

TEST(FaultStream, SeeksFailFromTheNamedCallOn)
{
    faulty f = make_faulty({.fail_seek_from = 2}, "abcdef");
    ULARGE_INTEGER at{};
    EXPECT_EQ(f.stream->Seek(LARGE_INTEGER{.QuadPart = 3}, STREAM_SEEK_SET, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f.stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), STG_E_SEEKERROR);
    char c = 0;
    EXPECT_EQ(f.stream->Read(&c, 1, nullptr), S_OK);
    EXPECT_EQ(c, 'd') << "the failed seeks moved nothing";

    faulty writer = make_faulty({.fail_seek_from = 1});
    EXPECT_EQ(write_records(writer.stream.get(), kRecords), STG_E_SEEKERROR);
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
    EXPECT_EQ(f.stream->Commit(STGC_DEFAULT), S_OK);

    com::ComPtr<IStream> clone;
    ASSERT_EQ(f.stream->Clone(clone.put()), S_OK);
    EXPECT_EQ(f.stream->Write("x", 1, nullptr), S_OK);
    EXPECT_EQ(clone->Write("y", 1, nullptr), STG_E_WRITEFAULT) << "the second write overall";
    EXPECT_EQ(counts_of(clone.get()).writes, 2u);
    EXPECT_EQ(com::fault_stream_counts(f.inner.get(), nullptr), E_INVALIDARG);
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
        inner->AddRef();
        EXPECT_EQ(inner->Release(), 2u) << "the wrapper holds one reference";
        EXPECT_EQ(stream->Release(), 0u);
        inner->AddRef();
        EXPECT_EQ(inner->Release(), 1u);
    }
    EXPECT_EQ(com::module_lock_count(), locks);
}

}  // namespace
