// What only the memory stream does: its copied initial contents, growth up to the memory limit,
// CopyTo into its own clone and the bytes accessor (the shared contract is in
// stream_contract_test.cpp).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/streams.h"
#include "platform/com/task_memory.h"

namespace {

com::ComPtr<IStream> stream_of(std::string_view text)
{
    com::ComPtr<IStream> stream;
    EXPECT_EQ(com::create_memory_stream(text.data(), text.size(), stream.put()), S_OK);
    return stream;
}

std::string bytes_of(IStream* stream)
{
    std::vector<BYTE> bytes;
    EXPECT_EQ(com::memory_stream_bytes(stream, &bytes), S_OK);
    return std::string(bytes.begin(), bytes.end());
}

ULONGLONG seek(IStream* stream, LONGLONG move, DWORD origin = STREAM_SEEK_SET)
{
    ULARGE_INTEGER at{};
    at.QuadPart = 0xBADull;
    EXPECT_EQ(stream->Seek(LARGE_INTEGER{.QuadPart = move}, origin, &at), S_OK);
    return at.QuadPart;
}

ULONGLONG position(IStream* stream) { return seek(stream, 0, STREAM_SEEK_CUR); }

TEST(MemoryStream, InitialContentsAreACopyReadFromTheStart)
{
    char source[] = "xyz";
    com::ComPtr<IStream> stream;
    ASSERT_EQ(com::create_memory_stream(source, 3, stream.put()), S_OK);
    source[0] = '!';
    EXPECT_EQ(position(stream.get()), 0u);
    EXPECT_EQ(bytes_of(stream.get()), "xyz");
}

TEST(MemoryStream, ManySmallWritesKeepEveryByte)
{
    com::ComPtr<IStream> stream;
    ASSERT_EQ(com::create_memory_stream(stream.put()), S_OK);
    std::string expected;
    for (int i = 0; i < 50000; ++i) {
        char chunk[3] = {static_cast<char>(i), static_cast<char>(i >> 8), '-'};
        ASSERT_EQ(stream->Write(chunk, 3, nullptr), S_OK);
        expected.append(chunk, 3);
    }
    EXPECT_EQ(bytes_of(stream.get()), expected);
}

TEST(MemoryStream, GrowingBeyondMemoryFailsCleanly)
{
    com::ComPtr<IStream> stream = stream_of("abc");
    const ULONGLONG too_big = com::memory_stream_limit() + 1;
    EXPECT_EQ(stream->SetSize(ULARGE_INTEGER{.QuadPart = 1ull << 62}), STG_E_MEDIUMFULL);
    EXPECT_EQ(stream->SetSize(ULARGE_INTEGER{.QuadPart = too_big}), STG_E_MEDIUMFULL);
    seek(stream.get(), 1ll << 62);
    ULONG written = 99;
    EXPECT_EQ(stream->Write("x", 1, &written), STG_E_MEDIUMFULL);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(bytes_of(stream.get()), "abc");
}

TEST(MemoryStream, CopyToItsOwnCloneSurvivesTheBytesMoving)
{
    std::string text(300000, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7);
    com::ComPtr<IStream> stream = stream_of(text);
    com::ComPtr<IStream> clone;
    ASSERT_EQ(stream->Clone(clone.put()), S_OK);
    seek(clone.get(), 0, STREAM_SEEK_END);
    ULARGE_INTEGER read{}, written{};
    EXPECT_EQ(stream->CopyTo(clone.get(), ULARGE_INTEGER{.QuadPart = text.size()}, &read, &written),
              S_OK);
    EXPECT_EQ(read.QuadPart, text.size());
    EXPECT_EQ(written.QuadPart, text.size());
    EXPECT_EQ(bytes_of(stream.get()), text + text);
}

TEST(MemoryStream, BytesAccessorAnswersOnlyMemoryStreams)
{
    com::ComPtr<IStream> stream = stream_of("abc");
    com::ComPtr<IStream> wrapper;
    ASSERT_EQ(com::create_fault_stream(stream.get(), {}, wrapper.put()), S_OK);
    std::vector<BYTE> bytes{1, 2};
    EXPECT_EQ(com::memory_stream_bytes(wrapper.get(), &bytes), E_NOINTERFACE);
    EXPECT_EQ(com::memory_stream_bytes(nullptr, &bytes), E_INVALIDARG);
    EXPECT_EQ(com::memory_stream_bytes(stream.get(), nullptr), E_INVALIDARG);
}

TEST(MemoryStream, CreationChecksItsArguments)
{
    EXPECT_EQ(com::create_memory_stream(nullptr), E_POINTER);
    IStream* stream = reinterpret_cast<IStream*>(0x1);
    EXPECT_EQ(com::create_memory_stream(nullptr, 4, &stream), E_INVALIDARG);
    EXPECT_EQ(stream, nullptr);
    ASSERT_EQ(com::create_memory_stream(nullptr, 0, &stream), S_OK);
    com::ComPtr<ISequentialStream> sequential;
    EXPECT_EQ(stream->QueryInterface(ISequentialStream::iid, sequential.put_void()), S_OK);
    EXPECT_TRUE(com::same_object(stream, sequential.get()));
    sequential = nullptr;
    EXPECT_EQ(stream->Release(), 0u);
}

}  // namespace
