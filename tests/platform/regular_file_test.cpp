// Opening user-named files for reading: a regular file opens as a plain blocking descriptor,
// anything else (a FIFO above all, which would wait for a writer) is refused at once, both by
// the helper and by a file stream opened for reading.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/com/com_ptr.h"
#include "platform/com/regular_file.h"
#include "platform/com/streams.h"
#include "tests/platform/user_files.h"

namespace {

class RegularFile : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch_.ok());
        std::ofstream(path("plain.txt"), std::ios::binary) << "abc";
        std::filesystem::create_directory(path("folder"));
        ASSERT_TRUE(user_files::make_fifo(path("fifo")));
    }

    std::string path(const char* name) const { return scratch_.root() + "/" + name; }

    shell_test::TempTree scratch_;
};

TEST_F(RegularFile, OnlyARegularFileOpensAndNothingWaitsForAWriter)
{
    struct refused {
        std::string path;
        int error;
    };
    const refused cases[] = {
        {path("fifo"), ESPIPE},
        {path("folder"), EISDIR},
        {"/dev/null", ESPIPE},
        {path("missing"), ENOENT},
    };
    for (const refused& c : cases) {
        SCOPED_TRACE(c.path);
        int fd = 0, error = 0;
        std::FILE* file = reinterpret_cast<std::FILE*>(0x1);
        int file_error = 0;
        EXPECT_TRUE(user_files::returns_without_writer(c.path, [&] {
            fd = com::open_regular_file(c.path.c_str());
            error = errno;
            file = com::fopen_regular_file(c.path.c_str());
            file_error = errno;
        }));
        EXPECT_EQ(fd, -1);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(file, nullptr);
        EXPECT_EQ(file_error, c.error);
        if (fd >= 0) ::close(fd);
        if (file != nullptr) std::fclose(file);
    }
}

TEST_F(RegularFile, ARegularFileReadsAsABlockingDescriptor)
{
    const int fd = com::open_regular_file(path("plain.txt").c_str());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    char text[4] = {};
    EXPECT_EQ(::read(fd, text, sizeof text), 3);
    EXPECT_STREQ(text, "abc");
    ::close(fd);

    std::FILE* file = com::fopen_regular_file(path("plain.txt").c_str());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::fread(text, 1, sizeof text, file), 3u);
    std::fclose(file);
}

TEST_F(RegularFile, AFileStreamForReadingRefusesAFifoAtOnce)
{
    const std::string fifo = path("fifo");
    HRESULT hr = S_OK;
    IStream* stream = reinterpret_cast<IStream*>(0x1);
    EXPECT_TRUE(user_files::returns_without_writer(
        fifo, [&] { hr = com::create_file_stream(fifo.c_str(), STGM_READ, &stream); }));
    EXPECT_EQ(hr, STG_E_ACCESSDENIED);
    EXPECT_EQ(stream, nullptr);
    if (SUCCEEDED(hr) && stream) stream->Release();
}

}  // namespace
