// Windows paths to Linux paths, the program files folder and file existence.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/shell/file_info.h"
#include "platform/shell/folders.h"
#include "platform/shell/path_map.h"
#include "tests/shell/temp_tree.h"

namespace {

using shell_test::ScopedEnv;
using shell_test::TempTree;

TEST(PathMap, DrivesSeparatorsAndAnsiText)
{
    ScopedEnv c("ZCNT_DRIVE_C", "/mnt/c/");
    ScopedEnv d("ZCNT_DRIVE_D", nullptr);
    ScopedEnv e("ZCNT_DRIVE_E", "");
    const std::pair<const char*, const char*> cases[] = {
        {"dir\\sub/file.txt", "dir/sub/file.txt"}, {"\\abs\\path", "/abs/path"},
        {"README", "README"}, {"\\\\server\\share", "//server/share"}, {"", ""},
        // Drive Z is the root; other drives follow their variable.
        {"Z:", "/"}, {"Z:\\", "/"}, {"z:\\etc\\hosts", "/etc/hosts"}, {"Z:tmp", "/tmp"},
        {"C:\\Images\\logo.PNG", "/mnt/c/Images/logo.PNG"}, {"c:/x", "/mnt/c/x"}, {"C:", "/mnt/c"},
        {"C:rel", "/mnt/c/rel"}, {"Z:\\tmp\\K\xE4se", "/tmp/K\xC3\xA4se"},  // ANSI becomes UTF-8
    };
    for (const auto& [windows, want] : cases) {
        std::string native;
        EXPECT_TRUE(shell::native_path_from_ansi(windows, native)) << windows;
        EXPECT_EQ(native, want);
    }
    for (const char* unmapped : {"D:\\x", "E:\\x"}) {
        std::string native = "sentinel";
        SetLastError(0);
        EXPECT_FALSE(shell::native_path_from_ansi(unmapped, native));
        EXPECT_EQ(native, "");
        EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    }
    EXPECT_EQ(shell::windows_path_from_native("/opt/a b"), "Z:\\opt\\a b");
    EXPECT_EQ(shell::windows_path_from_native("rel/x"), "rel\\x");
}

TEST(ProgramFiles, DefaultVariableOtherFoldersAndBadArguments)
{
    char path[MAX_PATH];
    {
        ScopedEnv unset("ZCNT_PROGRAM_FILES", nullptr);
        ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
        EXPECT_STREQ(path, "Z:\\opt");
    }
    {
        ScopedEnv set("ZCNT_PROGRAM_FILES", "/srv/programs/");
        ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
        EXPECT_STREQ(path, "Z:\\srv\\programs");
        char16_t wide[MAX_PATH];
        ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, wide), S_OK);
        EXPECT_EQ(std::u16string(wide), u"Z:\\srv\\programs");
        char special[MAX_PATH] = "x";
        EXPECT_TRUE(SHGetSpecialFolderPathA(nullptr, special, CSIDL_PROGRAM_FILES, FALSE));
        EXPECT_STREQ(special, "Z:\\srv\\programs");
    }
    std::strcpy(path, "sentinel");
    EXPECT_EQ(SHGetFolderPathA(nullptr, 0x1A, nullptr, 0, path), E_NOTIMPL);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, nullptr), E_INVALIDARG);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x1A, FALSE));
    ScopedEnv long_one("ZCNT_PROGRAM_FILES", ("/" + std::string(300, 'p')).c_str());
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path),
              HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
}

TEST(FileInfo, ExistingMissingDirectoriesAndMappedDrives)
{
    TempTree tree;
    ASSERT_TRUE(tree.ok());
    tree.file("present.txt", "x");
    tree.folder("sub");
    tree.folder("Images");
    tree.file("Images/logo.PNG", "png");
    ScopedEnv drive_c("ZCNT_DRIVE_C", tree.root().c_str());
    ScopedEnv q("ZCNT_DRIVE_Q", nullptr);
    // Directories are matched by the Linux file system, so their case counts.
    const struct {
        std::string path;
        bool exists;
        DWORD error;  // when it does not
    } cases[] = {
        {tree.windows("present.txt"), true, 0}, {tree.root() + "/present.txt", true, 0},
        {tree.windows("sub"), true, 0}, {tree.windows("sub\\"), true, 0},
        {"C:\\Images\\logo.PNG", true, 0}, {"C:/Images/logo.PNG", true, 0},
        {"C:\\images\\logo.PNG", false, 0},
        {tree.windows("missing.txt"), false, ERROR_FILE_NOT_FOUND},
        {tree.windows("present.txt\\inner"), false, ERROR_PATH_NOT_FOUND}, {"", false, 0},
        {"Q:\\anything", false, 0},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(PathFileExistsA(c.path.c_str()), c.exists ? TRUE : FALSE) << c.path;
        if (c.error != 0) {
            EXPECT_EQ(GetLastError(), c.error) << c.path;
        }
    }
    EXPECT_FALSE(PathFileExistsA(nullptr));

    EXPECT_TRUE(PathIsDirectoryA(tree.windows("sub").c_str()));
    EXPECT_FALSE(PathIsDirectoryA(tree.windows("present.txt").c_str()));
    EXPECT_EQ(GetFileAttributesA(tree.windows("present.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(tree.windows("sub").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(tree.windows("missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
