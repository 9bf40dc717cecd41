// Files' content keys: a key follows a file's bytes as it is written over, and a host that
// writes one path over and over (its output, a scratch input) does not pile up remembered keys.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "host/io/content_key.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count; its header is not installed with every compiler.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

std::size_t allocated_bytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

class ContentKey : public ::testing::Test {
protected:
    std::string path_ = ::testing::TempDir() + "content_key_" + std::to_string(::getpid()) + ".bin";
    void TearDown() override { ::unlink(path_.c_str()); }

    // Writes `bytes` with a modification time of its own, so that two versions never share one.
    void write(const std::string& bytes, long long version)
    {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
        const timespec times[2] = {{1000000 + version, 0}, {1000000 + version, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
    }
};

TEST_F(ContentKey, FollowsTheBytesOfAFileWrittenOver)
{
    // Same size every time: only the bytes (and the time) tell the versions apart.
    const struct {
        std::string bytes;
        long long version;
    } versions[] = {{"first version", 1}, {"other version", 2}, {"first version", 3}};
    std::string keys[3];
    for (int i = 0; i < 3; ++i) {
        write(versions[i].bytes, versions[i].version);
        keys[i] = host::file_content_key(path_);
        ASSERT_FALSE(keys[i].empty());
        // Asked again unchanged, the file gives the same key.
        EXPECT_EQ(host::file_content_key(path_), keys[i]);
    }
    EXPECT_NE(keys[0], keys[1]);
    EXPECT_EQ(keys[0], keys[2]);
    EXPECT_EQ(keys[0], host::bytes_key("file:", "first version", 13));
}

TEST_F(ContentKey, ForgetsTheVersionsOfAPathWrittenOver)
{
    write("version 0", 0);
    ASSERT_FALSE(host::file_content_key(path_).empty());
    const std::size_t before = allocated_bytes();
    std::string last;
    for (int i = 1; i <= 600; ++i) {
        write("version " + std::to_string(i % 10), i);
        last = host::file_content_key(path_);
    }
    EXPECT_EQ(last, host::bytes_key("file:", "version 0", 9));
    // Remembering every version would hold a few hundred bytes each, a quarter of a megabyte in all.
    const std::size_t after = allocated_bytes();
    EXPECT_LT(after, before + 48 * 1024) << "grew by " << after - before << " bytes";
}

TEST_F(ContentKey, IsEmptyForWhatIsNoReadableFile)
{
    EXPECT_EQ(host::file_content_key(path_ + ".absent"), "");
    EXPECT_EQ(host::file_content_key(::testing::TempDir()), "");
}

}  // namespace
