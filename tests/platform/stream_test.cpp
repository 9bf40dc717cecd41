// What every stream does alike (streams.h), run on a memory stream and on a file stream in a
// fresh temporary folder: reads, writes, seeks, sizes, Stat, clones and CopyTo; then what only
// the memory stream does (file_stream_test.cpp has the file stream's own).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/streams.h"
#include "platform/com/task_memory.h"
#include "tests/platform/test_support.h"
#include "tests/shell/temp_tree.h"

namespace {

com::ComPtr<IStream> stream_of(std::string_view text)
{
    com::ComPtr<IStream> stream;
    EXPECT_EQ(com::create_memory_stream(text.data(), text.size(), stream.put()), S_OK);
    return stream;
}

struct memory_kind {
    com::ComPtr<IStream> open(std::string_view text) { return stream_of(text); }
    std::string contents(IStream* stream) const { return bytes_of(stream); }
    std::u16string name() const { return u""; }
};

struct file_kind {
    com::ComPtr<IStream> open(std::string_view text)
    {
        std::ofstream(path, std::ios::binary) << text;
        com::ComPtr<IStream> stream;
        EXPECT_EQ(com::create_file_stream(path.c_str(), STGM_READWRITE, stream.put()), S_OK);
        return stream;
    }
    std::string contents(IStream*) const { return shell_test::read_all(path); }
    std::u16string name() const { return std::u16string(path.begin(), path.end()); }
    shell_test::TempTree tree;
    std::string path = tree.root() + "/s.bin";
};

ULONGLONG seek(IStream* stream, LONGLONG move, DWORD origin = STREAM_SEEK_SET)
{
    ULARGE_INTEGER at{};
    at.QuadPart = 0xBADull;
    EXPECT_EQ(stream->Seek(LARGE_INTEGER{.QuadPart = move}, origin, &at), S_OK);
    return at.QuadPart;
}

ULONGLONG position(IStream* stream) { return seek(stream, 0, STREAM_SEEK_CUR); }

template <typename Kind>
class Stream : public testing::Test {
protected:
    com::ComPtr<IStream> open(std::string_view text) { return kind_.open(text); }
    std::string contents(IStream* stream) const { return kind_.contents(stream); }
    Kind kind_;
};

struct kind_names {
    template <typename T>
    static std::string GetName(int)
    {
        return std::is_same_v<T, memory_kind> ? "Memory" : "File";
    }
};
using kinds = testing::Types<memory_kind, file_kind>;
TYPED_TEST_SUITE(Stream, kinds, kind_names);

TYPED_TEST(Stream, ReadsBackWhatWasWrittenAndShortReadsGiveSFalse)
{
    com::ComPtr<IStream> stream = this->open("");
    ULONG count = 99;
    EXPECT_EQ(stream->Write("hello", 5, &count), S_OK);
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(position(stream.get()), 5u);
    EXPECT_EQ(this->contents(stream.get()), "hello");
    seek(stream.get(), 2);
    char buffer[8] = {};
    count = 99;
    EXPECT_EQ(stream->Read(buffer, 2, &count), S_OK);
    EXPECT_EQ(std::string(buffer, count), "ll");
    EXPECT_EQ(stream->Read(buffer, 8, &count), S_FALSE);
    EXPECT_EQ(std::string(buffer, count), "o");
    EXPECT_EQ(stream->Read(buffer, 8, &count), S_FALSE) << "at the end";
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(stream->Read(buffer, 8, nullptr), S_FALSE) << "a null count is allowed";
}

TYPED_TEST(Stream, EmptyAndNullBuffersMoveNothing)
{
    com::ComPtr<IStream> stream = this->open("abc");
    for (ULONG size : {0u, 1u}) {
        const HRESULT hr = size ? STG_E_INVALIDPOINTER : S_OK;
        ULONG read = 99, written = 99;
        EXPECT_EQ(stream->Read(nullptr, size, &read), hr) << size;
        EXPECT_EQ(stream->Write(nullptr, size, &written), hr) << size;
        EXPECT_EQ(std::pair(read, written), std::pair(0u, 0u)) << size;
    }
    EXPECT_EQ(position(stream.get()), 0u);
    EXPECT_EQ(this->contents(stream.get()), "abc");
}

TYPED_TEST(Stream, WritesOverwriteInPlaceAndZeroFillAGapAfterTheEnd)
{
    com::ComPtr<IStream> stream = this->open("abcdef");
    seek(stream.get(), 2);
    EXPECT_EQ(stream->Write("XY", 2, nullptr), S_OK);
    EXPECT_EQ(this->contents(stream.get()), "abXYef");
    EXPECT_EQ(seek(stream.get(), 3, STREAM_SEEK_END), 9u);
    EXPECT_EQ(stream->Write("!", 1, nullptr), S_OK);
    EXPECT_EQ(this->contents(stream.get()), std::string("abXYef\0\0\0!", 10));
    // A gap over bytes that SetSize cut off must read as zeros too.
    EXPECT_EQ(stream->SetSize(ULARGE_INTEGER{.QuadPart = 1}), S_OK);
    seek(stream.get(), 4);
    EXPECT_EQ(stream->Write("?", 1, nullptr), S_OK);
    EXPECT_EQ(this->contents(stream.get()), std::string("a\0\0\0?", 5));
}

TYPED_TEST(Stream, SeekMovesFromEachOriginAndRefusesPositionsBeforeTheStart)
{
    const struct {
        DWORD origin;
        LONGLONG move;
        HRESULT hr;
        ULONGLONG expected;  // where the stream is afterwards (it starts at 4 of 10 bytes)
    } cases[] = {
        {STREAM_SEEK_SET, 0, S_OK, 0}, {STREAM_SEEK_SET, 10, S_OK, 10},
        {STREAM_SEEK_SET, 25, S_OK, 25}, {STREAM_SEEK_SET, -1, STG_E_INVALIDFUNCTION, 4},
        {STREAM_SEEK_CUR, -4, S_OK, 0}, {STREAM_SEEK_CUR, -5, STG_E_INVALIDFUNCTION, 4},
        {STREAM_SEEK_CUR, INT64_MAX, STG_E_INVALIDFUNCTION, 4},
        {STREAM_SEEK_CUR, INT64_MIN, STG_E_INVALIDFUNCTION, 4}, {STREAM_SEEK_END, 0, S_OK, 10},
        {STREAM_SEEK_END, -10, S_OK, 0}, {STREAM_SEEK_END, -11, STG_E_INVALIDFUNCTION, 4},
        {STREAM_SEEK_END, 3, S_OK, 13}, {3, 0, STG_E_INVALIDFUNCTION, 4},
        {7, 0, STG_E_INVALIDFUNCTION, 4},
    };
    com::ComPtr<IStream> stream = this->open("0123456789");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "origin " << c.origin << " move " << c.move);
        seek(stream.get(), 4);
        ULARGE_INTEGER at{};
        at.QuadPart = 0xBAD;
        EXPECT_EQ(stream->Seek(LARGE_INTEGER{.QuadPart = c.move}, c.origin, &at), c.hr);
        EXPECT_EQ(at.QuadPart, c.hr == S_OK ? c.expected : 0xBADull);
        EXPECT_EQ(position(stream.get()), c.expected);
    }
    EXPECT_EQ(stream->Seek(LARGE_INTEGER{.QuadPart = INT64_MAX}, STREAM_SEEK_SET, nullptr), S_OK);
    char c = 'q';
    ULONG read = 99;
    EXPECT_EQ(stream->Read(&c, 1, &read), S_FALSE) << "nothing past the end";
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(c, 'q');
}

TYPED_TEST(Stream, SetSizeGrowsWithZerosAndShrinksWithoutMovingThePosition)
{
    com::ComPtr<IStream> stream = this->open("abcdef");
    seek(stream.get(), 5);
    EXPECT_EQ(stream->SetSize(ULARGE_INTEGER{.QuadPart = 2}), S_OK);
    EXPECT_EQ(position(stream.get()), 5u);
    EXPECT_EQ(this->contents(stream.get()), "ab");
    // The bytes cut off must not come back when the stream grows again.
    EXPECT_EQ(stream->SetSize(ULARGE_INTEGER{.QuadPart = 6}), S_OK);
    EXPECT_EQ(this->contents(stream.get()), std::string("ab\0\0\0\0", 6));
    EXPECT_EQ(position(stream.get()), 5u);
    EXPECT_EQ(stream->SetSize(ULARGE_INTEGER{.QuadPart = 1ull << 63}), STG_E_MEDIUMFULL);
}

TYPED_TEST(Stream, StatReportsTypeSizeModeAndAnAllocatedName)
{
    com::ComPtr<IStream> stream = this->open("abcd");
    const long blocks = com::task_memory_live_count();
    STATSTG stat;
    std::memset(&stat, 0xCD, sizeof stat);
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STREAM));
    EXPECT_EQ(std::tuple(stat.cbSize.QuadPart, stat.grfMode, stat.clsid),
              std::tuple(4u, STGM_READWRITE, CLSID_NULL));
    ASSERT_NE(stat.pwcsName, nullptr);
    EXPECT_EQ(std::u16string(stat.pwcsName), this->kind_.name());
    EXPECT_EQ(com::task_memory_live_count(), blocks + 1);
    CoTaskMemFree(stat.pwcsName);

    std::memset(&stat, 0xCD, sizeof stat);
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(stat.cbSize.QuadPart, 4u);
    EXPECT_EQ(stream->Stat(&stat, 0x10), STG_E_INVALIDFLAG);
    EXPECT_EQ(stream->Stat(nullptr, STATFLAG_NONAME), STG_E_INVALIDPOINTER);
    EXPECT_EQ(com::task_memory_live_count(), blocks);

    EXPECT_EQ(stream->Commit(STGC_DEFAULT), S_OK);
    EXPECT_EQ(stream->Revert(), S_OK);
    EXPECT_EQ(stream->LockRegion({}, ULARGE_INTEGER{.QuadPart = 1}, 0), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->UnlockRegion({}, ULARGE_INTEGER{.QuadPart = 1}, 0), STG_E_INVALIDFUNCTION);
}

TYPED_TEST(Stream, CloneSharesTheBytesButHasItsOwnPosition)
{
    const LONG locks = com::module_lock_count();
    com::ComPtr<IStream> stream = this->open("abcdef");
    seek(stream.get(), 2);
    com::ComPtr<IStream> clone;
    ASSERT_EQ(stream->Clone(clone.put()), S_OK);
    EXPECT_EQ(position(clone.get()), 2u) << "a clone starts where the original is";
    EXPECT_EQ(clone->Write("XY", 2, nullptr), S_OK);
    EXPECT_EQ(position(stream.get()), 2u);
    char buffer[2];
    EXPECT_EQ(stream->Read(buffer, 2, nullptr), S_OK);
    EXPECT_EQ(std::string(buffer, 2), "XY") << "a write through the clone is seen";
    stream = nullptr;
    EXPECT_EQ(clone->Write("0123456789", 10, nullptr), S_OK) << "the clone outlives it";
    EXPECT_EQ(this->contents(clone.get()), "abXY0123456789");
    EXPECT_EQ(clone->Clone(nullptr), STG_E_INVALIDPOINTER);
    clone = nullptr;
    EXPECT_EQ(com::module_lock_count(), locks) << "every stream was freed";
}

TYPED_TEST(Stream, CopyToCopiesFromThePositionAndReportsTheCounts)
{
    std::string text(200000, 'x');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i % 251);
    com::ComPtr<IStream> source = this->open(text);
    com::ComPtr<IStream> target = stream_of(">");
    seek(target.get(), 0, STREAM_SEEK_END);
    seek(source.get(), 10);
    ULARGE_INTEGER read{}, written{};
    EXPECT_EQ(source->CopyTo(target.get(), ULARGE_INTEGER{.QuadPart = ~0ull}, &read, &written),
              S_OK);
    EXPECT_EQ(read.QuadPart, text.size() - 10) << "a short source is not an error";
    EXPECT_EQ(written.QuadPart, text.size() - 10);
    EXPECT_EQ(position(source.get()), text.size());
    std::string copied = bytes_of(target.get());
    EXPECT_EQ(copied[0], '>');
    EXPECT_EQ(copied.substr(1), text.substr(10));

    seek(source.get(), 0);
    EXPECT_EQ(source->CopyTo(target.get(), ULARGE_INTEGER{.QuadPart = 2}, nullptr, nullptr), S_OK);
    EXPECT_EQ(bytes_of(target.get()).substr(text.size() - 9), text.substr(0, 2));

    read.QuadPart = written.QuadPart = 7;
    EXPECT_EQ(source->CopyTo(nullptr, ULARGE_INTEGER{.QuadPart = 2}, &read, &written),
              STG_E_INVALIDPOINTER);
    EXPECT_EQ(read.QuadPart, 0u);
    EXPECT_EQ(written.QuadPart, 0u);

    // A target that fills up stops the copy with its error and counts what went.
    com::ComPtr<IStream> full;
    ASSERT_EQ(com::create_fault_stream(target.get(), {.write_limit = 5}, full.put()), S_OK);
    EXPECT_EQ(source->CopyTo(full.get(), ULARGE_INTEGER{.QuadPart = 100}, &read, &written),
              STG_E_MEDIUMFULL);
    EXPECT_EQ(written.QuadPart, 5u);
}

// ---- Memory streams only ----------------------------------------------------------------

TEST(MemoryStream, InitialContentsAreACopyReadFromTheStart)
{
    char source[] = "xyz";
    com::ComPtr<IStream> stream;
    ASSERT_EQ(com::create_memory_stream(source, 3, stream.put()), S_OK);
    source[0] = '!';
    EXPECT_EQ(position(stream.get()), 0u);
    EXPECT_EQ(bytes_of(stream.get()), "xyz");
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

// Room made ahead changes nothing a reader sees: the bytes, size and position stay, and the
// writes into the room give what they give without it.
TEST(MemoryStream, ReservingRoomKeepsBytesAndPositionAndRefusesWhatCannotGrow)
{
    com::ComPtr<IStream> stream = stream_of("abc");
    seek(stream.get(), 5);
    ASSERT_EQ(com::reserve_memory_stream(stream.get(), 100000), S_OK);
    com::memory_window window;
    ASSERT_TRUE(com::open_memory_window(stream.get(), &window));
    EXPECT_GE(*window.capacity, 100005u);
    EXPECT_EQ(position(stream.get()), 5u);
    EXPECT_EQ(bytes_of(stream.get()), "abc");
    EXPECT_EQ(stream->Write("de", 2, nullptr), S_OK);
    EXPECT_EQ(bytes_of(stream.get()), std::string("abc\0\0de", 7));

    const auto too_big = static_cast<std::size_t>(com::memory_stream_limit());
    EXPECT_EQ(com::reserve_memory_stream(stream.get(), too_big), STG_E_MEDIUMFULL);
    EXPECT_EQ(bytes_of(stream.get()), std::string("abc\0\0de", 7));
    com::ComPtr<IStream> wrapper;
    ASSERT_EQ(com::create_fault_stream(stream.get(), {}, wrapper.put()), S_OK);
    EXPECT_EQ(com::reserve_memory_stream(wrapper.get(), 10), E_NOINTERFACE);
    EXPECT_EQ(com::reserve_memory_stream(nullptr, 10), E_INVALIDARG);
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
