// Directory enumeration with DOS wildcards in a scratch tree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/shell/find_file.h"
#include "platform/shell/wildcard.h"
#include "tests/shell/temp_tree.h"

namespace {

using shell_test::TempTree;

// Every name a search returns, in order; "error N" when it fails.
std::vector<std::string> names(const std::string& pattern)
{
    WIN32_FIND_DATAA data;
    SetLastError(0);
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return {"error " + std::to_string(GetLastError())};
    std::vector<std::string> out{data.cFileName};
    while (FindNextFileA(search, &data)) out.push_back(data.cFileName);
    const DWORD end = GetLastError();
    EXPECT_TRUE(FindClose(search));
    if (end != ERROR_NO_MORE_FILES) out.push_back("end " + std::to_string(end));
    return out;
}

class FindFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.ok());
        for (const char* name : {"Alpha.INI", "beta.ini", "a.b.ini", "gamma.txt", "noext",
                                 "qr.ini", "qrX.ini", "x.ini.bak", "Zeta.Ini"})
            tree.file(name, "12345");
        tree.folder("DEU");
        tree.folder("en");
        tree.folder("Long");
    }
    std::string in(const std::string& pattern) const { return tree.windows(pattern); }

    TempTree tree;
};

using list = std::vector<std::string>;

TEST_F(FindFile, StarDotExtensionMatchesWithoutRegardToCase)
{
    EXPECT_EQ(names(in("*.ini")), (list{"a.b.ini", "Alpha.INI", "beta.ini", "qr.ini", "qrX.ini", "Zeta.Ini"}));
    EXPECT_EQ(names(in("*.INI")), names(in("*.ini")));
    EXPECT_EQ(names(in("ALPHA.ini")), (list{"Alpha.INI"}));
}

TEST_F(FindFile, StarAndStarDotStarListEverythingWithDotsFirst)
{
    const list all{".", "..", "a.b.ini", "Alpha.INI", "beta.ini", "DEU", "en", "gamma.txt",
                   "Long", "noext", "qr.ini", "qrX.ini", "x.ini.bak", "Zeta.Ini"};
    EXPECT_EQ(names(in("*")), all);
    EXPECT_EQ(names(in("*.*")), all);
}

TEST_F(FindFile, QuestionMarksMatchUpToTheirCount)
{
    // As on Windows, trailing '?'s also match shorter names; callers check the length.
    EXPECT_EQ(names(in("???")), (list{"DEU", "en"}));
    EXPECT_EQ(names(in("qr?.ini")), (list{"qr.ini", "qrX.ini"}));
    EXPECT_EQ(names(in("?eta.ini")), (list{"beta.ini", "Zeta.Ini"}));
}

TEST_F(FindFile, StarDotMatchesNamesWithoutExtension)
{
    EXPECT_EQ(names(in("*.")), (list{".", "..", "DEU", "en", "Long", "noext"}));
}

TEST_F(FindFile, ErrorsForMissingFoldersAndNoMatches)
{
    EXPECT_EQ(names(in("*.pdf")), (list{"error 2"}));
    EXPECT_EQ(names(in("missing\\*.ini")), (list{"error 3"}));
    EXPECT_EQ(names(in("beta.ini\\*")), (list{"error 3"}));
    EXPECT_EQ(names(in("DEU\\")), (list{"error 2"}));
    EXPECT_EQ(names(""), (list{"error 3"}));
    EXPECT_EQ(names("Y:\\*"), (list{"error 3"}));
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FindFile, EntriesCarryAttributesAndSizes)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(in("DEU").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "DEU");
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(data.cAlternateFileName[0], '\0');
    EXPECT_TRUE(FindClose(search));

    search = FindFirstFileA(in("gamma.txt").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    // Written just now: after 2020 in FILETIME ticks.
    const ULONGLONG ticks = (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
                            data.ftLastWriteTime.dwLowDateTime;
    EXPECT_GT(ticks, 132223104000000000ull);
    EXPECT_TRUE(FindClose(search));
}

TEST_F(FindFile, HandlesAreCheckedAndEndsReported)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(in("noext").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(FindFile, SnapshotIsTakenAtTheFirstCall)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(in("*.txt").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    tree.file("late.txt");
    EXPECT_FALSE(FindNextFileA(search, &data));
    FindClose(search);
    EXPECT_EQ(names(in("*.txt")), (list{"gamma.txt", "late.txt"}));
}

TEST(Wildcard, DosRules)
{
    EXPECT_TRUE(shell::wildcard_match(u"*.txt", u"a.b.txt"));
    EXPECT_FALSE(shell::wildcard_match(u"*.txt", u"a.txt.bak"));
    EXPECT_TRUE(shell::wildcard_match(u"*txt", u"a.txt.txt"));
    EXPECT_TRUE(shell::wildcard_match(u"abc.?", u"abc"));
    EXPECT_TRUE(shell::wildcard_match(u"abc.?", u"abc.d"));
    EXPECT_FALSE(shell::wildcard_match(u"abc.?", u"abc.de"));
    EXPECT_TRUE(shell::wildcard_match(u"\u00e4*", u"\u00c4rger"));
    EXPECT_FALSE(shell::wildcard_match(u"a", u"ab"));
    EXPECT_FALSE(shell::wildcard_match(u"ab", u"a"));
    EXPECT_TRUE(shell::wildcard_match(u"", u""));
    EXPECT_FALSE(shell::has_wildcards(u"plain.ini"));
    EXPECT_TRUE(shell::has_wildcards(u"p?ain.ini"));
    // Many stars against a long name stays polynomial.
    const std::u16string stars(200, u'*');
    EXPECT_FALSE(shell::wildcard_match(stars + u"x", std::u16string(250, u'a')));
}

}  // namespace
