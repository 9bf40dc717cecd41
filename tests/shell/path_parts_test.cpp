// PathUnquoteSpacesA and _splitpath_s.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/shell/path_parts.h"

namespace {

std::string unquote(std::string text, BOOL* changed = nullptr)
{
    text.push_back('\0');
    const BOOL result = PathUnquoteSpacesA(text.data());
    if (changed) *changed = result;
    return text.c_str();
}

TEST(PathUnquoteSpaces, RemovesOneEnclosingPair)
{
    BOOL changed = FALSE;
    EXPECT_EQ(unquote("\"C:\\Program Files\\x\"", &changed), "C:\\Program Files\\x");
    EXPECT_TRUE(changed);
    EXPECT_EQ(unquote("\"\"twice\"\""), "\"twice\"");
    EXPECT_EQ(unquote("\"open only", &changed), "\"open only");
    EXPECT_FALSE(changed);
    EXPECT_EQ(unquote("close only\""), "close only\"");
    EXPECT_EQ(unquote(" \"spaced\""), " \"spaced\"");
    EXPECT_EQ(unquote("\""), "");
    EXPECT_EQ(unquote("\"\""), "");
    EXPECT_EQ(unquote(""), "");
    EXPECT_FALSE(PathUnquoteSpacesA(nullptr));
}

struct parts {
    int result;
    std::string drive, dir, fname, ext;
};

parts split(const char* path)
{
    char drive[_MAX_DRIVE] = "?", dir[_MAX_DIR] = "?", fname[_MAX_FNAME] = "?", ext[_MAX_EXT] = "?";
    const int result = _splitpath_s(path, drive, sizeof drive, dir, sizeof dir, fname,
                                    sizeof fname, ext, sizeof ext);
    return {result, drive, dir, fname, ext};
}

void expect_parts(const char* path, const char* drive, const char* dir, const char* fname,
                  const char* ext)
{
    SCOPED_TRACE(path);
    const parts p = split(path);
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.drive, drive);
    EXPECT_EQ(p.dir, dir);
    EXPECT_EQ(p.fname, fname);
    EXPECT_EQ(p.ext, ext);
}

TEST(SplitPath, PartsOfOrdinaryAndAwkwardPaths)
{
    expect_parts("C:/Images/logo.PNG", "C:", "/Images/", "logo", ".PNG");
    expect_parts("C:\\Images\\", "C:", "\\Images\\", "", "");
    expect_parts("archive.tar.gz", "", "", "archive.tar", ".gz");
    expect_parts("README", "", "", "README", "");
    expect_parts("dir.d\\file", "", "dir.d\\", "file", "");
    expect_parts(".profile", "", "", "", ".profile");
    expect_parts("name.", "", "", "name", ".");
    expect_parts("C:", "C:", "", "", "");
    expect_parts("C:name.txt", "C:", "", "name", ".txt");
    expect_parts("\\\\server\\share\\f.x", "", "\\\\server\\share\\", "f", ".x");
    expect_parts("", "", "", "", "");
    expect_parts("1:odd", "1:", "", "odd", "");
    expect_parts("a/b\\c/", "", "a/b\\c/", "", "");
}

TEST(SplitPath, PartsMayBeSkipped)
{
    char fname[_MAX_FNAME];
    EXPECT_EQ(_splitpath_s("C:\\a\\b.c", nullptr, 0, nullptr, 0, fname, sizeof fname, nullptr, 0), 0);
    EXPECT_STREQ(fname, "b");
}

TEST(SplitPath, BadArgumentsAndShortBuffers)
{
    char drive[_MAX_DRIVE] = "?", dir[_MAX_DIR] = "?", fname[4] = "?", ext[_MAX_EXT] = "?";
    EXPECT_EQ(_splitpath_s(nullptr, drive, sizeof drive, dir, sizeof dir, fname, sizeof fname, ext,
                           sizeof ext),
              EINVAL);
    EXPECT_STREQ(drive, "");
    std::strcpy(dir, "?");
    EXPECT_EQ(_splitpath_s("a", drive, 0, dir, sizeof dir, fname, sizeof fname, ext, sizeof ext),
              EINVAL);
    EXPECT_STREQ(dir, "");

    std::strcpy(drive, "?");
    std::strcpy(ext, "?");
    // "name" needs five characters with its NUL.
    EXPECT_EQ(_splitpath_s("C:\\d\\name.e", drive, sizeof drive, dir, sizeof dir, fname,
                           sizeof fname, ext, sizeof ext),
              ERANGE);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(dir, "");
    EXPECT_STREQ(fname, "");
    EXPECT_STREQ(ext, "");
    EXPECT_EQ(_splitpath_s("C:\\d\\nam.e", drive, sizeof drive, dir, sizeof dir, fname,
                           sizeof fname, ext, sizeof ext),
              0);
    EXPECT_STREQ(fname, "nam");

    const std::string long_dir = "\\" + std::string(255, 'd') + "\\f";
    EXPECT_EQ(split(long_dir.c_str()).result, ERANGE);
    const std::string fitting_dir = std::string(254, 'd') + "\\f";
    EXPECT_EQ(split(fitting_dir.c_str()).dir.size(), 255u);
}

}  // namespace
