// PathUnquoteSpacesA and _splitpath_s.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/shell/path_parts.h"

namespace {

TEST(PathUnquoteSpaces, RemovesOneEnclosingPair)
{
    const struct {
        std::string text, want;
        BOOL changed;
    } cases[] = {
        {"\"C:\\Program Files\\x\"", "C:\\Program Files\\x", TRUE}, {"\"\"twice\"\"", "\"twice\"", TRUE},
        {"\"open only", "\"open only", FALSE}, {"close only\"", "close only\"", FALSE},
        {" \"spaced\"", " \"spaced\"", FALSE}, {"\"", "", TRUE}, {"\"\"", "", TRUE}, {"", "", FALSE},
    };
    for (const auto& c : cases) {
        std::string text = c.text + '\0';
        EXPECT_EQ(PathUnquoteSpacesA(text.data()), c.changed) << c.text;
        EXPECT_EQ(std::string(text.c_str()), c.want);
    }
    EXPECT_FALSE(PathUnquoteSpacesA(nullptr));
}

struct parts {
    int result;
    std::string drive, dir, fname, ext;
    bool operator==(const parts&) const = default;
};

parts split(const char* path)
{
    char drive[_MAX_DRIVE] = "?", dir[_MAX_DIR] = "?", fname[_MAX_FNAME] = "?", ext[_MAX_EXT] = "?";
    const int result = _splitpath_s(path, drive, sizeof drive, dir, sizeof dir, fname,
                                    sizeof fname, ext, sizeof ext);
    return {result, drive, dir, fname, ext};
}

TEST(SplitPath, PartsOfOrdinaryAndAwkwardPaths)
{
    const std::pair<const char*, parts> cases[] = {
        {"C:/Images/logo.PNG", {0, "C:", "/Images/", "logo", ".PNG"}},
        {"C:\\Images\\", {0, "C:", "\\Images\\", "", ""}},
        {"archive.tar.gz", {0, "", "", "archive.tar", ".gz"}},
        {"README", {0, "", "", "README", ""}}, {"dir.d\\file", {0, "", "dir.d\\", "file", ""}},
        {".profile", {0, "", "", "", ".profile"}}, {"name.", {0, "", "", "name", "."}},
        {"C:", {0, "C:", "", "", ""}}, {"C:name.txt", {0, "C:", "", "name", ".txt"}},
        {"\\\\server\\share\\f.x", {0, "", "\\\\server\\share\\", "f", ".x"}},
        {"", {0, "", "", "", ""}}, {"1:odd", {0, "1:", "", "odd", ""}},
        {"a/b\\c/", {0, "", "a/b\\c/", "", ""}},
    };
    for (const auto& [path, want] : cases) EXPECT_TRUE(split(path) == want) << path;
}

TEST(SplitPath, SkippedPartsBadArgumentsAndShortBuffers)
{
    char drive[_MAX_DRIVE] = "?", dir[_MAX_DIR] = "?", fname[4] = "?", ext[_MAX_EXT] = "?";
    EXPECT_EQ(_splitpath_s("C:\\a\\b.c", nullptr, 0, nullptr, 0, fname, sizeof fname, nullptr, 0), 0);
    EXPECT_STREQ(fname, "b");
    EXPECT_EQ(_splitpath_s(nullptr, drive, sizeof drive, dir, sizeof dir, fname, sizeof fname, ext,
                           sizeof ext),
              EINVAL);
    EXPECT_STREQ(drive, "");
    std::strcpy(dir, "?");
    EXPECT_EQ(_splitpath_s("a", drive, 0, dir, sizeof dir, fname, sizeof fname, ext, sizeof ext), EINVAL);
    EXPECT_STREQ(dir, "");

    std::strcpy(drive, "?");
    std::strcpy(ext, "?");
    // "name" needs five characters with its NUL: every part is emptied.
    EXPECT_EQ(_splitpath_s("C:\\d\\name.e", drive, sizeof drive, dir, sizeof dir, fname,
                           sizeof fname, ext, sizeof ext),
              ERANGE);
    for (const char* part : {drive, dir, fname, ext}) EXPECT_STREQ(part, "");
    EXPECT_EQ(_splitpath_s("C:\\d\\nam.e", drive, sizeof drive, dir, sizeof dir, fname,
                           sizeof fname, ext, sizeof ext),
              0);
    EXPECT_STREQ(fname, "nam");

    EXPECT_EQ(split(("\\" + std::string(255, 'd') + "\\f").c_str()).result, ERANGE);
    EXPECT_EQ(split((std::string(254, 'd') + "\\f").c_str()).dir.size(), 255u);
}

}  // namespace
