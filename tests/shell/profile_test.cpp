// INI files through GetPrivateProfileString, -Int and -Section: parsing rules, lookups, defaults
// and Windows' answers for buffers that are too small.
#include <gtest/gtest.h>

#include <string>

#include "platform/com/codepage.h"
#include "platform/shell/profile.h"
#include "platform/shell/profile_data.h"
#include "tests/shell/temp_tree.h"

namespace {

using namespace std::string_literals;
using shell_test::TempTree;

constexpr char kIni[] =
    "; leading comment\r\norphan=before any section\r\n"
    "[QRCode]\r\n  left =  150  \r\ntop=20\r\nname=\"  Quoted Name  \"\r\nsingle='it''s'\r\n"
    "mixed=\"half'\r\nlone=\"\r\nempty=\r\nbare key\r\n;comment=hidden\r\ncolor=0x00FF00\r\n"
    "Left=second left\r\n"
    "[ Spaced Section ]\r\nk=v\r\n"
    "[qrcode]\r\nextra=only in the duplicate\r\n"
    "[broken\r\n"
    "[numbers]\r\nneg=-1\r\nhex=0x1F\r\noct=0o17\r\nbin=0b101\r\nupperhex=0X1F\r\ntrail=12abc\r\n"
    "word=abc\r\nspaces=   42\r\nplus=+7\r\n";

class Profile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.ok());
        tree.file("config.ini", kIni);
        file = tree.windows("config.ini");
    }
    // The value GetPrivateProfileStringA writes into a 256-character buffer.
    std::string get(const char* section, const char* key)
    {
        char buffer[256];
        return std::string(buffer, GetPrivateProfileStringA(section, key, "dflt", buffer, 256,
                                                            file.c_str()));
    }

    TempTree tree;
    std::string file;
};

// The buffer's first want.size() characters must be `want` (its NULs included); count is the
// return value.
struct Lookup {
    const char* section;
    const char* key;
    std::string want;
    DWORD count;
    const char* fallback = "dflt";
    DWORD size = 256;
};

const Lookup kLookups[] = {
    // Values are trimmed; sections and keys are found without regard to case or spaces.
    {"QRCode", "left", "150\0"s, 3}, {"qrcode", "LEFT", "150\0"s, 3}, {"  QRCODE ", " left ", "150\0"s, 3},
    {"QRCode", "top", "20\0"s, 2}, {"QRCode", "empty", "\0"s, 0}, {"Spaced Section", "k", "v\0"s, 1},
    // One pair of enclosing quotes is removed.
    {"QRCode", "name", "  Quoted Name  \0"s, 15}, {"QRCode", "single", "it''s\0"s, 5},
    {"QRCode", "mixed", "\"half'\0"s, 6}, {"QRCode", "lone", "\"\0"s, 1},
    // Missing keys and sections give the default, trimmed at the end and unquoted; a line
    // without '=' has no value.
    {"QRCode", "size", "0\0"s, 1, "0"}, {"QRCode", "size", "trailing\0"s, 8, "trailing   "},
    {"QRCode", "size", "  leading\0"s, 9, "  leading"}, {"QRCode", "size", "\0"s, 0, nullptr},
    {"QRCode", "size", "quoted\0"s, 6, "\"quoted\""}, {"nosuch", "left", "dflt\0"s, 4},
    {"QRCode", "bare key", "dflt\0"s, 4}, {"", "left", "dflt\0"s, 4}, {"broken", "x", "dflt\0"s, 4},
    {"QRCode", "orphan", "dflt\0"s, 4}, {"nosuch", nullptr, "dflt\0"s, 4},
    // Only the first of duplicate sections and keys is read.
    {"QRCode", "extra", "dflt\0"s, 4}, {"QRCode", "Left", "150\0"s, 3},
    // Comment lines are read only by their full name; an empty key name gives nothing.
    {"QRCode", "comment", "dflt\0"s, 4}, {"QRCode", ";comment", "hidden\0"s, 6}, {"QRCode", "", "\0"s, 0},
    // Values are cut to the buffer; a quoted one loses its closing quote only when it all fits.
    {"QRCode", "left", "15\0"s, 2, "", 3}, {"QRCode", "left", "\0"s, 0, "", 1},
    {"QRCode", "missing", "def\0"s, 3, "default", 4}, {"QRCode", "name", "  Quoted Name  \0"s, 15, "", 17},
    {"QRCode", "name", "  Quoted \0"s, 9, "", 10},
    // A null section lists the section names. Too small: the last name is cut, two NULs end
    // the list and size - 2 comes back, also when the list fills the buffer exactly.
    {nullptr, nullptr, "QRCode\0Spaced Section\0qrcode\0numbers\0\0"s, 37},
    {nullptr, nullptr, "QRCode\0Spaced Section\0qrcode\0numbers\0\0"s, 36, "dflt", 38},
    {nullptr, nullptr, "QRCode\0Spa\0\0"s, 10, "dflt", 12}, {nullptr, nullptr, "QRCode\0\0\0"s, 7, "dflt", 9},
    {nullptr, nullptr, "\0\0"s, 0, "dflt", 2},
    // A null key lists the keys that have values, by the same rules.
    {"QRCode", nullptr, "left\0top\0name\0single\0mixed\0lone\0empty\0color\0Left\0\0"s, 49},
    {"QRCode", nullptr, "left\0top\0\0"s, 9, "dflt", 11}, {"QRCode", nullptr, "left\0t\0\0"s, 6, "dflt", 8},
};

TEST_F(Profile, StringsListsAndShortBuffers)
{
    for (const Lookup& c : kLookups) {
        SCOPED_TRACE(std::string(c.section ? c.section : "(null)") + " / " +
                     (c.key ? c.key : "(null)") + " in " + std::to_string(c.size));
        std::string buffer(c.size, '#');
        EXPECT_EQ(GetPrivateProfileStringA(c.section, c.key, c.fallback, buffer.data(), c.size,
                                           file.c_str()),
                  c.count);
        EXPECT_EQ(buffer.substr(0, c.want.size()), c.want);
    }
}

TEST_F(Profile, MissingFileAndUnusableBuffers)
{
    char untouched[4] = "abc";
    EXPECT_EQ(GetPrivateProfileStringA("QRCode", "left", "", untouched, 0, file.c_str()), 0u);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(GetPrivateProfileStringA("QRCode", "left", "", nullptr, 10, file.c_str()), 0u);

    file = tree.windows("absent.ini");
    SetLastError(0);
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("QRCode", "left", "fallback", buffer, 16, file.c_str()), 8u);
    EXPECT_STREQ(buffer, "fallback");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Profile, SectionLines)
{
    const std::string all =
        "left=150\0top=20\0name=\"  Quoted Name  \"\0single='it''s'\0mixed=\"half'\0lone=\"\0"
        "empty=\0bare key\0color=0x00FF00\0Left=second left\0\0"s;
    const struct {
        const char* section;
        DWORD size;
        std::string want;
        DWORD count;
    } cases[] = {{"qrcode", 256, all, static_cast<DWORD>(all.size() - 1)},
                 {"QRCode", 14, "left=150\0top\0\0"s, 12},
                 {"nosuch", 8, "\0\0"s, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::string buffer(c.size, '#');
        EXPECT_EQ(GetPrivateProfileSectionA(c.section, buffer.data(), c.size, file.c_str()), c.count);
        EXPECT_EQ(buffer.substr(0, c.want.size()), c.want);
    }
    char buffer[8];
    SetLastError(0);
    EXPECT_EQ(GetPrivateProfileSectionA(nullptr, buffer, 8, file.c_str()), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetPrivateProfileSectionA("QRCode", nullptr, 8, file.c_str()), 0u);
}

TEST_F(Profile, IntegersAsWindowsReadsThem)
{
    const struct {
        const char* section;
        const char* key;
        INT fallback;
        UINT want;
    } cases[] = {
        {"QRCode", "left", 7, 150},       {"QRCode", "color", 7, 0xFF00},
        {"QRCode", "size", 7, 7},         {"QRCode", "size", -3, static_cast<UINT>(-3)},
        {"QRCode", "empty", 7, 7},        {"numbers", "neg", 7, 0xFFFFFFFFu},
        {"numbers", "hex", 7, 31},        {"numbers", "oct", 7, 15},
        {"numbers", "bin", 7, 5},         {"numbers", "upperhex", 7, 0},
        {"numbers", "trail", 7, 12},      {"numbers", "word", 7, 0},
        {"numbers", "spaces", 7, 42},     {"numbers", "plus", 9, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPrivateProfileIntA(c.section, c.key, c.fallback, file.c_str()), c.want) << c.key;
    EXPECT_EQ(GetPrivateProfileIntW(u"numbers", u"hex", 7, com::from_ansi(file).c_str()), 31u);
}

TEST_F(Profile, RewrittenFilesAreReadAgain)
{
    EXPECT_EQ(get("QRCode", "top"), "20");
    for (const char* top : {"21", "22"}) {
        tree.file("config.ini", "[QRCode]\ntop="s + top + "\n");
        EXPECT_EQ(get("QRCode", "top"), top);
    }
}

TEST_F(Profile, ByteOrderMarksSelectTheEncoding)
{
    const std::u16string text = u"[s]\nk=\u00e9\u20ac\n";
    std::string le("\xFF\xFE", 2), be("\xFE\xFF", 2);
    for (char16_t c : text) {
        le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    for (const std::string& bytes : {le, be, "\xEF\xBB\xBF[s]\nk=\xC3\xA9\xE2\x82\xAC\n"s,
                                     "[s]\nk=\xE9\x80\n"s}) {
        tree.file("enc.ini", bytes);
        file = tree.windows("enc.ini");
        EXPECT_EQ(get("s", "k"), "\xE9\x80");  // both characters exist in Windows-1252
        char16_t value[8] = {};
        EXPECT_EQ(GetPrivateProfileStringW(u"s", u"k", u"", value, 8, com::from_ansi(file).c_str()), 2u);
        EXPECT_EQ(std::u16string(value), u"\u00e9\u20ac");
    }
}

TEST_F(Profile, BareNamesLiveInTheWindowsFolder)
{
    tree.folder("windows");
    tree.file("windows/app.ini", "[a]\nb=from windows\n");
    shell_test::ScopedEnv c("ZCNT_DRIVE_C", tree.root().c_str());
    char buffer[32];
    EXPECT_EQ(GetPrivateProfileStringA("a", "b", "", buffer, 32, "app.ini"), 12u);
    EXPECT_STREQ(buffer, "from windows");
    shell_test::ScopedEnv unmapped("ZCNT_DRIVE_C", nullptr);
    EXPECT_EQ(GetPrivateProfileStringA("a", "b", "none", buffer, 32, "app.ini"), 4u);
}

TEST(ProfileData, ParserKeepsNulsAndOddLinesContained)
{
    const shell::profile_data data = shell::parse_profile("[a\0b]\nk\0ey=va\0lue\n=novalue\n[]\nx=1\n"s);
    ASSERT_EQ(data.sections.size(), 3u);
    EXPECT_EQ(data.sections[1].name, u"a");
    ASSERT_EQ(data.sections[1].keys.size(), 1u);
    EXPECT_EQ(data.sections[1].keys[0].name, u"k");
    EXPECT_EQ(data.sections[1].keys[0].value, u"va");
    EXPECT_EQ(data.sections[2].name, u"");
    char16_t out[16];
    EXPECT_EQ(shell::profile_string(data, u"", u"x", u"d", out, 16), 1u);
    EXPECT_EQ(std::u16string(out), u"d");
}

}  // namespace
