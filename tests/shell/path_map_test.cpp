// Windows paths to Linux paths, the program files folder and file existence.
#include <gtest/gtest.h>

#include <string>

#include "platform/shell/file_info.h"
#include "platform/shell/folders.h"
#include "platform/shell/path_map.h"
#include "tests/shell/temp_tree.h"

namespace {

using shell_test::ScopedEnv;
using shell_test::TempTree;

std::string mapped(const std::string& windows)
{
    std::string native = "sentinel";
    if (!shell::native_path_from_ansi(windows, native)) return "<unmapped:" + native + ">";
    return native;
}

TEST(PathMap, SeparatorsAndPathsWithoutDrive)
{
    EXPECT_EQ(mapped("dir\\sub/file.txt"), "dir/sub/file.txt");
    EXPECT_EQ(mapped("\\abs\\path"), "/abs/path");
    EXPECT_EQ(mapped("README"), "README");
    EXPECT_EQ(mapped("\\\\server\\share"), "//server/share");
    EXPECT_EQ(mapped(""), "");
}

TEST(PathMap, DriveZIsTheRoot)
{
    EXPECT_EQ(mapped("Z:"), "/");
    EXPECT_EQ(mapped("Z:\\"), "/");
    EXPECT_EQ(mapped("z:\\etc\\hosts"), "/etc/hosts");
    EXPECT_EQ(mapped("Z:tmp"), "/tmp");
}

TEST(PathMap, OtherDrivesFollowTheirVariable)
{
    ScopedEnv c("ZCNT_DRIVE_C", "/mnt/c/");
    ScopedEnv d("ZCNT_DRIVE_D", nullptr);
    ScopedEnv e("ZCNT_DRIVE_E", "");
    EXPECT_EQ(mapped("C:\\Images\\logo.PNG"), "/mnt/c/Images/logo.PNG");
    EXPECT_EQ(mapped("c:/x"), "/mnt/c/x");
    EXPECT_EQ(mapped("C:"), "/mnt/c");
    EXPECT_EQ(mapped("C:rel"), "/mnt/c/rel");
    SetLastError(0);
    EXPECT_EQ(mapped("D:\\x"), "<unmapped:>");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(mapped("E:\\x"), "<unmapped:>");
}

TEST(PathMap, NativePathsReadBackAsDriveZ)
{
    EXPECT_EQ(shell::windows_path_from_native("/opt/a b"), "Z:\\opt\\a b");
    EXPECT_EQ(shell::windows_path_from_native("rel/x"), "rel\\x");
}

TEST(PathMap, AnsiTextBecomesUtf8)
{
    EXPECT_EQ(mapped("Z:\\tmp\\K\xE4se"), "/tmp/K\xC3\xA4se");
}

TEST(ProgramFiles, DefaultAndVariable)
{
    char path[MAX_PATH];
    {
        ScopedEnv unset("ZCNT_PROGRAM_FILES", nullptr);
        ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
        EXPECT_STREQ(path, "Z:\\opt");
    }
    ScopedEnv set("ZCNT_PROGRAM_FILES", "/srv/programs/");
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES | CSIDL_FLAG_CREATE, nullptr, 0, path),
              S_OK);
    EXPECT_STREQ(path, "Z:\\srv\\programs");
    char16_t wide[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, wide), S_OK);
    EXPECT_EQ(std::u16string(wide), u"Z:\\srv\\programs");
    char special[MAX_PATH] = "x";
    EXPECT_TRUE(SHGetSpecialFolderPathA(nullptr, special, CSIDL_PROGRAM_FILES, FALSE));
    EXPECT_STREQ(special, "Z:\\srv\\programs");
}

TEST(ProgramFiles, OtherFoldersAndBadArguments)
{
    char path[MAX_PATH] = "sentinel";
    EXPECT_EQ(SHGetFolderPathA(nullptr, 0x1A, nullptr, 0, path), E_NOTIMPL);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, nullptr), E_INVALIDARG);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x1A, FALSE));
    ScopedEnv long_one("ZCNT_PROGRAM_FILES", ("/" + std::string(300, 'p')).c_str());
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path),
              HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
}

TEST(FileInfo, ExistingMissingAndDirectories)
{
    TempTree tree;
    ASSERT_TRUE(tree.ok());
    tree.file("present.txt", "x");
    tree.folder("sub");
    EXPECT_TRUE(PathFileExistsA(tree.windows("present.txt").c_str()));
    EXPECT_TRUE(PathFileExistsA((tree.root() + "/present.txt").c_str()));
    EXPECT_TRUE(PathFileExistsA(tree.windows("sub").c_str()));
    EXPECT_TRUE(PathFileExistsA(tree.windows("sub\\").c_str()));
    SetLastError(0);
    EXPECT_FALSE(PathFileExistsA(tree.windows("missing.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(PathFileExistsA(tree.windows("present.txt\\inner").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(PathFileExistsA(nullptr));
    EXPECT_FALSE(PathFileExistsA(""));
    ScopedEnv q("ZCNT_DRIVE_Q", nullptr);
    EXPECT_FALSE(PathFileExistsA("Q:\\anything"));

    EXPECT_TRUE(PathIsDirectoryA(tree.windows("sub").c_str()));
    EXPECT_FALSE(PathIsDirectoryA(tree.windows("present.txt").c_str()));
    EXPECT_EQ(GetFileAttributesA(tree.windows("present.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(tree.windows("sub").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(tree.windows("missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FileInfo, MappedDriveReachesTheFile)
{
    TempTree tree;
    ASSERT_TRUE(tree.ok());
    tree.folder("Images");
    tree.file("Images/logo.PNG", "png");
    ScopedEnv c("ZCNT_DRIVE_C", tree.root().c_str());
    EXPECT_TRUE(PathFileExistsA("C:\\Images\\logo.PNG"));
    EXPECT_TRUE(PathFileExistsA("C:/Images/logo.PNG"));
    // Directories are matched by the Linux file system, so their case counts.
    EXPECT_FALSE(PathFileExistsA("C:\\images\\logo.PNG"));
}

}  // namespace
