// What only the file stream does, on files in a fresh temporary folder: open modes and their
// errors, access checks, Stat's mode and times, and closing (the shared contract is in
// stream_test.cpp).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/com/com_ptr.h"
#include "platform/com/streams.h"
#include "tests/shell/temp_tree.h"

namespace {

namespace fs = std::filesystem;

class FileStream : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree_.ok()); }
    std::string path(const char* name) const { return tree_.root() + "/" + name; }
    void put_file(const char* name, const char* text) const { tree_.file(name, text); }
    std::string file_text(const char* name) const { return shell_test::read_all(path(name)); }
    com::ComPtr<IStream> open(const char* name, DWORD mode) const
    {
        com::ComPtr<IStream> stream;
        EXPECT_EQ(com::create_file_stream(path(name).c_str(), mode, stream.put()), S_OK);
        return stream;
    }
    HRESULT open_error(const std::string& full_path, DWORD mode) const
    {
        IStream* stream = reinterpret_cast<IStream*>(0x1);
        HRESULT hr = com::create_file_stream(full_path.c_str(), mode, &stream);
        EXPECT_EQ(stream, nullptr);
        return hr;
    }

    shell_test::TempTree tree_;
};

std::size_t open_descriptors()
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

TEST_F(FileStream, CreateMakesOrTruncatesAFileThatReopensWithTheSameBytes)
{
    put_file("old.bin", "old contents");
    for (const char* name : {"new.bin", "old.bin"}) {
        SCOPED_TRACE(name);
        {
            com::ComPtr<IStream> stream = open(name, STGM_WRITE | STGM_CREATE);
            EXPECT_EQ(file_text(name), "");
            EXPECT_EQ(stream->Write("record", 6, nullptr), S_OK);
        }
        EXPECT_EQ(file_text(name), "record");
        char buffer[10] = {};
        ULONG read = 0;
        EXPECT_EQ(open(name, STGM_READ)->Read(buffer, 10, &read), S_FALSE);
        EXPECT_EQ(std::string(buffer, read), "record");
    }
}

TEST_F(FileStream, OpenErrorsSayWhatIsMissingOrRefused)
{
    put_file("a.bin", "x");
    const struct {
        std::string path;
        DWORD mode;
        HRESULT hr;
    } cases[] = {
        {path("missing.bin"), STGM_READ, STG_E_FILENOTFOUND},
        {path("no-folder/a.bin"), STGM_READ, STG_E_PATHNOTFOUND},
        {path("no-folder/a.bin"), STGM_WRITE | STGM_CREATE, STG_E_PATHNOTFOUND},
        {tree_.root(), STGM_READ, STG_E_ACCESSDENIED},  // a folder
        {tree_.root(), STGM_READWRITE, STG_E_ACCESSDENIED}, {path("a.bin"), 3, STG_E_INVALIDFLAG},
        {path("a.bin"), STGM_READ | STGM_CREATE, STG_E_INVALIDFLAG},
        {path("a.bin"), 0x50, STG_E_INVALIDFLAG}, {path("a.bin"), 0x80000, STG_E_INVALIDFLAG},
    };
    for (const auto& c : cases)
        EXPECT_EQ(open_error(c.path, c.mode), c.hr) << c.path << " " << c.mode;
    EXPECT_FALSE(fs::exists(path("missing.bin"))) << "opening without STGM_CREATE creates nothing";
    EXPECT_EQ(file_text("a.bin"), "x");
    EXPECT_EQ(com::create_file_stream(path("a.bin").c_str(), STGM_READ, nullptr), E_POINTER);
    IStream* stream = nullptr;
    EXPECT_EQ(com::create_file_stream(nullptr, STGM_READ, &stream), STG_E_INVALIDPOINTER);
    EXPECT_NE(open("a.bin", STGM_READ | STGM_SHARE_EXCLUSIVE), nullptr) << "share flags pass";
}

TEST_F(FileStream, FilePermissionsAreAccessDenied)
{
    std::string locked = path("locked.bin");
    if (::geteuid() == 0) {
        // Root may write any file, but not a read-only kernel attribute.
        locked = "/sys/kernel/uevent_seqnum";
        if (!fs::exists(locked)) GTEST_SKIP() << "no file that root cannot write";
    } else {
        put_file("locked.bin", "x");
        fs::permissions(locked, fs::perms::owner_read);
    }
    EXPECT_EQ(open_error(locked, STGM_WRITE), STG_E_ACCESSDENIED);
    EXPECT_EQ(open_error(locked, STGM_READWRITE | STGM_CREATE), STG_E_ACCESSDENIED);
}

TEST_F(FileStream, AccessModesRefuseTheOtherDirectionAndStatReportsThem)
{
    put_file("a.bin", "abc");
    com::ComPtr<IStream> reader = open("a.bin", STGM_READ);
    ULONG count = 99;
    EXPECT_EQ(reader->Write("x", 1, &count), STG_E_ACCESSDENIED);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(reader->SetSize(ULARGE_INTEGER{.QuadPart = 0}), STG_E_ACCESSDENIED);
    EXPECT_EQ(file_text("a.bin"), "abc");

    com::ComPtr<IStream> writer = open("a.bin", STGM_WRITE);
    char c;
    count = 99;
    EXPECT_EQ(writer->Read(&c, 1, &count), STG_E_ACCESSDENIED);
    EXPECT_EQ(count, 0u);

    // Stat reports the open mode and the file's times.
    STATSTG stat{};
    ASSERT_EQ(reader->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 3u);
    EXPECT_EQ(stat.grfMode, STGM_READ);
    EXPECT_NE(stat.mtime.dwHighDateTime, 0u);
    ASSERT_EQ(writer->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.grfMode, STGM_WRITE);
}

TEST_F(FileStream, ReleasingTheLastStreamClosesTheFile)
{
    put_file("a.bin", "abc");
    const std::size_t before = open_descriptors();
    com::ComPtr<IStream> stream = open("a.bin", STGM_READ);
    com::ComPtr<IStream> clone;
    ASSERT_EQ(stream->Clone(clone.put()), S_OK);
    EXPECT_EQ(open_descriptors(), before + 1) << "clones share one descriptor";
    stream = nullptr;
    EXPECT_EQ(open_descriptors(), before + 1);
    clone = nullptr;
    EXPECT_EQ(open_descriptors(), before);
}

}  // namespace
