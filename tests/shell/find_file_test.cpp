// Directory enumeration with DOS wildcards in a scratch tree.
#include <gtest/gtest.h>

#include <tuple>
#include <string>
#include <vector>

#include "platform/shell/find_file.h"
#include "platform/shell/wildcard.h"
#include "tests/shell/temp_tree.h"

namespace {

using list = std::vector<std::string>;

// Every name a search returns, in order; "error N" when it fails.
list names(const std::string& pattern)
{
    WIN32_FIND_DATAA data;
    SetLastError(0);
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return {"error " + std::to_string(GetLastError())};
    list out{data.cFileName};
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
        for (const char* name : {"DEU", "en", "Long"}) tree.folder(name);
    }
    std::string in(const std::string& pattern) const { return tree.windows(pattern); }

    shell_test::TempTree tree;
};

TEST_F(FindFile, PatternsMatchAsOnWindows)
{
    const list all{".", "..", "a.b.ini", "Alpha.INI", "beta.ini", "DEU", "en", "gamma.txt",
                   "Long", "noext", "qr.ini", "qrX.ini", "x.ini.bak", "Zeta.Ini"};
    const list ini{"a.b.ini", "Alpha.INI", "beta.ini", "qr.ini", "qrX.ini", "Zeta.Ini"};
    const struct {
        const char* pattern;
        list want;
    } cases[] = {
        // Without regard to case; "*" and "*.*" list everything, the dot entries first.
        {"*.ini", ini}, {"*.INI", ini}, {"ALPHA.ini", {"Alpha.INI"}}, {"*", all}, {"*.*", all},
        // Trailing '?'s also match shorter names, as on Windows; callers check the length.
        {"???", {"DEU", "en"}}, {"qr?.ini", {"qr.ini", "qrX.ini"}},
        {"?eta.ini", {"beta.ini", "Zeta.Ini"}},
        // "*." matches names without extension.
        {"*.", {".", "..", "DEU", "en", "Long", "noext"}},
        {"*.pdf", {"error 2"}}, {"missing\\*.ini", {"error 3"}}, {"beta.ini\\*", {"error 3"}},
        {"DEU\\", {"error 2"}},
    };
    for (const auto& c : cases) EXPECT_EQ(names(in(c.pattern)), c.want) << c.pattern;
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
    EXPECT_EQ(std::tuple(data.dwFileAttributes, data.nFileSizeLow, data.nFileSizeHigh),
              std::tuple(FILE_ATTRIBUTE_NORMAL, 5u, 0u));
    // Written just now: after 2020 in FILETIME ticks.
    EXPECT_GT((ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime,
              132223104000000000ull);
    EXPECT_TRUE(FindClose(search));
}

TEST_F(FindFile, HandlesAreCheckedAndTheSnapshotTakenAtTheFirstCall)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(in("noext").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(FindNextFileA(search, &data));
        EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    }
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));

    search = FindFirstFileA(in("*.txt").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    tree.file("late.txt");
    EXPECT_FALSE(FindNextFileA(search, &data));
    FindClose(search);
    EXPECT_EQ(names(in("*.txt")), (list{"gamma.txt", "late.txt"}));
}

TEST(Wildcard, DosRules)
{
    const struct {
        std::u16string pattern, name;
        bool match;
    } cases[] = {
        {u"*.txt", u"a.b.txt", true}, {u"*.txt", u"a.txt.bak", false}, {u"*txt", u"a.txt.txt", true},
        {u"abc.?", u"abc", true},     {u"abc.?", u"abc.d", true},      {u"abc.?", u"abc.de", false},
        {u"\u00e4*", u"\u00c4rger", true}, {u"a", u"ab", false},       {u"ab", u"a", false},
        {u"", u"", true},
        // Many stars against a long name stays polynomial.
        {std::u16string(200, u'*') + u"x", std::u16string(250, u'a'), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shell::wildcard_match(c.pattern, c.name), c.match)
            << c.pattern.size() << " " << c.name.size();
    EXPECT_FALSE(shell::has_wildcards(u"plain.ini"));
    EXPECT_TRUE(shell::has_wildcards(u"p?ain.ini"));
}

}  // namespace
