// Files a user names, written and read the safe way: the atomic writer never follows a link
// planted at a temporary name, writes through a target that is a link, refuses a folder or a FIFO and
// leaves nothing behind when it fails; every reader refuses a FIFO instead of waiting on it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/engine.h"
#include "host/io/files.h"
#include "host/output/image/decode.h"
#include "host/output/pdf/pdf_file.h"
#include "platform/gdi/gdi.h"
#include "platform/shell/path_map.h"
#include "platform/shell/profile.h"
#include "tests/host/harden_support.h"
#include "tests/platform/user_files.h"

namespace {

namespace fs = std::filesystem;

class UserFiles : public harden_test::in_scratch {
public:
    using in_scratch::path;
    using in_scratch::put;
    std::string text_of(const std::string& name) const { return harden_test::read_all(path(name)); }
    HRESULT write(const std::string& name, const std::string& text, std::string* message) const
    {
        return host::write_file_atomically(path(name), reinterpret_cast<const BYTE*>(text.data()),
                                           text.size(), message);
    }
    // Every name in the scratch folder and its subfolders, sorted, links as links.
    std::vector<std::string> names() const
    {
        std::vector<std::string> all;
        for (const auto& entry : fs::recursive_directory_iterator(folder_))
            all.push_back(entry.path().lexically_relative(folder_).string());
        std::sort(all.begin(), all.end());
        return all;
    }

protected:
    const fs::path folder_{scratch.root()};
};

TEST_F(UserFiles, ALinkPlantedAtTheOldTemporaryNameIsNotFollowed)
{
    put("victim.txt", "keep me");
    const std::string planted = "out.pdf.tmp-" + std::to_string(::getpid());
    fs::create_symlink(path("victim.txt"), path(planted));
    std::string message;
    ASSERT_EQ(write("out.pdf", "new bytes", &message), S_OK) << message;
    EXPECT_EQ(text_of("victim.txt"), "keep me");
    EXPECT_EQ(text_of("out.pdf"), "new bytes");
    EXPECT_TRUE(fs::is_symlink(path(planted)));
    EXPECT_EQ(names(), (std::vector<std::string>{"out.pdf", planted, "victim.txt"}));
}

TEST_F(UserFiles, ATargetThatIsALinkIsWrittenThroughAndStaysALink)
{
    struct link_case {
        const char* name;
        std::function<void(const UserFiles&)> plant;  // makes "doc.pjd" a link
        const char* real;                             // the file that gets the bytes
        std::vector<std::string> after;
    };
    const link_case cases[] = {
        {"relative, into a subfolder",
         [](const UserFiles& t) {
             fs::create_directory(t.path("sub"));
             t.put("sub/real.pjd", "old");
             fs::create_symlink("sub/real.pjd", t.path("doc.pjd"));
         },
         "sub/real.pjd", {"doc.pjd", "sub", "sub/real.pjd"}},
        {"absolute",
         [](const UserFiles& t) {
             t.put("real.pjd", "old");
             fs::create_symlink(t.path("real.pjd"), t.path("doc.pjd"));
         },
         "real.pjd", {"doc.pjd", "real.pjd"}},
        {"a link to a link, relative to its own folder",
         [](const UserFiles& t) {
             fs::create_directory(t.path("sub"));
             t.put("sub/real.pjd", "old");
             fs::create_symlink("real.pjd", t.path("sub/middle.pjd"));
             fs::create_symlink("sub/middle.pjd", t.path("doc.pjd"));
         },
         "sub/real.pjd", {"doc.pjd", "sub", "sub/middle.pjd", "sub/real.pjd"}},
        {"dangling: the file it names is made",
         [](const UserFiles& t) { fs::create_symlink("new.pjd", t.path("doc.pjd")); },
         "new.pjd", {"doc.pjd", "new.pjd"}},
    };
    for (const link_case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_);
        fs::create_directory(folder_);
        c.plant(*this);
        std::string message;
        ASSERT_EQ(write("doc.pjd", "saved", &message), S_OK) << message;
        EXPECT_TRUE(fs::is_symlink(path("doc.pjd")));
        EXPECT_EQ(text_of(c.real), "saved");
        EXPECT_EQ(text_of("doc.pjd"), "saved");
        EXPECT_EQ(names(), c.after);
    }
}

TEST_F(UserFiles, AFailedWriteSaysWhyAndLeavesNothingBehind)
{
    fs::create_directory(path("folder"));
    fs::create_symlink("loop-b", path("loop-a"));
    fs::create_symlink("loop-a", path("loop-b"));
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    struct failure {
        const char* target;
        HRESULT hr;
        const char* says;
    };
    const failure cases[] = {
        {"folder", HRESULT_FROM_WIN32(5), "it is a folder"},
        {"missing/out.pdf", HRESULT_FROM_WIN32(3), "No such file or directory"},
        {"loop-a", HRESULT_FROM_WIN32(3), "Too many levels of symbolic links"},
        {"fifo", HRESULT_FROM_WIN32(5), "not a regular file"},  // not replaced by a regular file
    };
    for (const failure& c : cases) {
        SCOPED_TRACE(c.target);
        std::string message;
        EXPECT_EQ(write(c.target, "bytes", &message), c.hr);
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_NE(message.find(path(c.target)), std::string::npos) << message;
        EXPECT_EQ(names(), (std::vector<std::string>{"fifo", "folder", "loop-a", "loop-b"}));
    }
}

TEST_F(UserFiles, ANewFileGetsTheUsualModeLessTheUmask)
{
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        SCOPED_TRACE(mask);
        const mode_t old = ::umask(mask);
        std::string message;
        const std::string name = "mode-" + std::to_string(mask);
        EXPECT_EQ(write(name, "x", &message), S_OK) << message;
        ::umask(old);
        struct stat info {};
        ASSERT_EQ(::stat(path(name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0644 & ~mask);
    }
}

TEST_F(UserFiles, EveryReaderOfAUserNamedFileRefusesAFifoAtOnce)
{
    const std::string fifo = path("fifo");
    ASSERT_TRUE(user_files::make_fifo(fifo));
    struct reader {
        const char* name;
        std::function<bool()> refuses;
    };
    const reader readers[] = {
        {"a .pjd file",
         [&] {
             host::document doc;
             std::string message;
             const HRESULT hr = host::document::load(fifo, &doc, &message);
             return FAILED(hr) && message.find(fifo) != std::string::npos;
         }},
        {"an image probed",
         [&] {
             host::image::info info{};
             std::string message;
             return FAILED(host::image::probe_file(fifo, &info, &message)) &&
                    message == "cannot open " + fifo + ": not a regular file";
         }},
        {"an image decoded",
         [&] {
             host::image::picture picture{};
             return FAILED(host::image::decode_file(fifo, false, &picture, nullptr));
         }},
        {"a PDF to place",
         [&] {
             host::pdf::pdf_file pdf;
             std::string message;
             return pdf.open(fifo, "", &message) == STG_E_FILENOTFOUND &&
                    message == "cannot open " + fifo + ": not a file";
         }},
        {"a font file", [&] { return AddFontResourceExA(fifo.c_str(), FR_PRIVATE, nullptr) == 0; }},
        {"an INI file",
         [&] {
             char value[16] = {};
             const std::string ini = shell::windows_path_from_native(fifo);
             GetPrivateProfileStringA("s", "k", "none", value, sizeof value, ini.c_str());
             return std::string(value) == "none";
         }},
    };
    for (const reader& r : readers) {
        SCOPED_TRACE(r.name);
        bool refused = false;
        EXPECT_TRUE(user_files::returns_without_writer(fifo, [&] { refused = r.refuses(); }));
        EXPECT_TRUE(refused);
    }
}

}  // namespace
