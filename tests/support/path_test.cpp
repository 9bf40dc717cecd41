// CPath: splitting awkward paths, the composed path and FileExists on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <type_traits>

#include "support/path.h"
#include "tests/shell/temp_tree.h"

namespace {

struct expected_parts {
    const char* drive;
    const char* directory;
    const char* file_name;
    const char* extension;
    const char* composed;
};

void expect_split(const char* path, const expected_parts& want)
{
    SCOPED_TRACE(path ? path : "(null)");
    const CPath p(path);
    EXPECT_EQ(p.GetStatus(), S_OK);
    EXPECT_EQ(p.GetDrive(), want.drive);
    EXPECT_EQ(p.GetDirectory(), want.directory);
    EXPECT_EQ(p.GetFileName(), want.file_name);
    EXPECT_EQ(p.GetExtension(), want.extension);
    EXPECT_EQ(p.GetPath(), want.composed);
}

TEST(CPathSplit, OrdinaryAndAwkwardPaths)
{
    expect_split("C:/Images/logo.PNG", {"C:", "\\Images\\", "logo", "PNG", "C:\\Images\\logo.PNG"});
    expect_split("\"C:/Images/logo.PNG\"", {"C:", "\\Images\\", "logo", "PNG", "C:\\Images\\logo.PNG"});
    expect_split("archive.tar.gz", {"", "", "archive.tar", "gz", "archive.tar.gz"});
    expect_split("C:\\Images\\", {"C:", "\\Images\\", "", "", "C:\\Images\\"});
    expect_split("README", {"", "", "README", "", "README"});
    expect_split("C:", {"C:", "", "", "", "C:"});
    expect_split("dir.v2/sub\\name", {"", "dir.v2\\sub\\", "name", "", "dir.v2\\sub\\name"});
    expect_split("name.", {"", "", "name", "", "name"});
    expect_split(".hidden", {"", "", "", "", ""});
    expect_split("x.PJD", {"", "", "x", "PJD", "x.PJD"});
    expect_split("\"\"", {"", "", "", "", ""});
    expect_split("\"", {"", "", "", "", ""});
    expect_split("\"unbalanced.txt", {"", "", "\"unbalanced", "txt", "\"unbalanced.txt"});
    expect_split("\" spaced name .doc\"", {"", "", " spaced name ", "doc", " spaced name .doc"});
    // Nothing at all is an empty path, and no file.
    for (const char* nothing : {static_cast<const char*>(nullptr), ""}) {
        expect_split(nothing, {"", "", "", "", ""});
        EXPECT_FALSE(CPath(nothing).FileExists());
    }
}

TEST(CPathSplit, OverlongPathsAreRefused)
{
    const std::string longest = "C:\\" + std::string(252, 'd') + "\\f.x";  // 259 characters
    ASSERT_EQ(longest.size(), 259u);
    const CPath fits(longest.c_str());
    EXPECT_EQ(fits.GetStatus(), S_OK);
    EXPECT_EQ(fits.GetExtension(), "x");

    const std::string too_long = longest + "x";
    const CPath refused(too_long.c_str());
    EXPECT_EQ(refused.GetStatus(), E_INVALIDARG);
    EXPECT_EQ(refused.GetPath(), "");
    EXPECT_FALSE(refused.FileExists());

    // Quotes do not count against the limit.
    const CPath quoted(("\"" + longest + "\"").c_str());
    EXPECT_EQ(quoted.GetStatus(), S_OK);

    const std::string long_name(256, 'n');
    const CPath name_too_long(long_name.c_str());
    EXPECT_EQ(name_too_long.GetStatus(), E_INVALIDARG);
    EXPECT_EQ(name_too_long.GetFileName(), "");
}

class CPathFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.ok());
        tree.folder("Images");
        tree.file("Images/logo.PNG", "png");
        tree.file("Images/README", "text");
    }
    shell_test::TempTree tree;
    const std::string root = tree.root();
    shell_test::ScopedEnv drive{"ZCNT_DRIVE_C", root.c_str()};
};

TEST_F(CPathFiles, FileExistsOnTheComposedPath)
{
    EXPECT_TRUE(CPath("C:/Images/logo.PNG").FileExists());
    EXPECT_TRUE(CPath("\"C:\\Images\\logo.PNG\"").FileExists());
    EXPECT_FALSE(CPath("C:\\Images\\logo.png").FileExists());
    EXPECT_FALSE(CPath("C:\\Images\\missing.PNG").FileExists());
    EXPECT_FALSE(CPath("D:\\Images\\logo.PNG").FileExists());
    // A folder is not a file name: no file system question is asked.
    EXPECT_FALSE(CPath("C:\\Images\\").FileExists());
    // Without the separator "Images" is the file name, and PathFileExistsA accepts folders.
    EXPECT_TRUE(CPath("C:\\Images").FileExists());
}

TEST_F(CPathFiles, NamesWithoutExtensionAreRelativeToTheCurrentFolder)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(root + "/Images");
    EXPECT_TRUE(CPath("README").FileExists());
    EXPECT_FALSE(CPath("README.txt").FileExists());
    std::filesystem::current_path(previous);
    EXPECT_FALSE(CPath("README-that-is-not-here").FileExists());
}

TEST(CPathCopy, CopiesAreIndependent)
{
    CPath a("C:\\a\\b.pdf");
    const CPath b = a;
    a = CPath("x.pjd");
    EXPECT_EQ(b.GetExtension(), "pdf");
    EXPECT_EQ(a.GetExtension(), "pjd");
    static_assert(std::has_virtual_destructor_v<CPath>);
}

}  // namespace
