// INI files through GetPrivateProfileString, -Int and -Section: parsing rules, lookups, defaults
// and Windows' answers for buffers that are too small.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "platform/com/codepage.h"
#include "platform/shell/profile.h"
#include "platform/shell/profile_data.h"
#include "tests/shell/temp_tree.h"

namespace {

using shell_test::ScopedEnv;
using shell_test::TempTree;

std::u16string wide(const std::string& ansi) { return com::from_ansi(ansi); }

// "a\0b\0\0": a list as the enumerations return it.
std::string list_of(std::initializer_list<const char*> items)
{
    std::string out;
    for (const char* item : items) {
        out += item;
        out += '\0';
    }
    return out + '\0';
}

constexpr char kIni[] =
    "; leading comment\r\n"
    "orphan=before any section\r\n"
    "[QRCode]\r\n"
    "  left =  150  \r\n"
    "top=20\r\n"
    "name=\"  Quoted Name  \"\r\n"
    "single='it''s'\r\n"
    "mixed=\"half'\r\n"
    "lone=\"\r\n"
    "empty=\r\n"
    "bare key\r\n"
    ";comment=hidden\r\n"
    "color=0x00FF00\r\n"
    "Left=second left\r\n"
    "[ Spaced Section ]\r\n"
    "k=v\r\n"
    "[qrcode]\r\n"
    "extra=only in the duplicate\r\n"
    "[broken\r\n"
    "[numbers]\r\n"
    "neg=-1\r\n"
    "hex=0x1F\r\n"
    "oct=0o17\r\n"
    "bin=0b101\r\n"
    "upperhex=0X1F\r\n"
    "trail=12abc\r\n"
    "word=abc\r\n"
    "spaces=   42\r\n"
    "plus=+7\r\n";

class Profile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.ok());
        tree.file("config.ini", kIni);
        file = tree.windows("config.ini");
    }

    std::string get(const char* section, const char* key, const char* fallback = "dflt",
                    DWORD size = 256, DWORD* count = nullptr)
    {
        std::string buffer(size + 4, '#');
        const DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size,
                                                 file.c_str());
        if (count) *count = n;
        return std::string(buffer.data(), n);
    }

    // The whole buffer up to `size`, embedded NULs and all.
    std::string raw(const char* section, const char* key, DWORD size, DWORD* count,
                    const char* fallback = "dflt")
    {
        std::string buffer(size, '#');
        *count = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
        return buffer;
    }

    TempTree tree;
    std::string file;
};

TEST_F(Profile, ValuesAreTrimmedAndKeysFoundWithoutRegardToCase)
{
    EXPECT_EQ(get("QRCode", "left"), "150");
    EXPECT_EQ(get("qrcode", "LEFT"), "150");
    EXPECT_EQ(get("  QRCODE ", " left "), "150");
    EXPECT_EQ(get("QRCode", "top"), "20");
    EXPECT_EQ(get("QRCode", "empty", "dflt"), "");
    EXPECT_EQ(get("Spaced Section", "k"), "v");
}

TEST_F(Profile, EnclosingQuotesAreRemovedOnce)
{
    EXPECT_EQ(get("QRCode", "name"), "  Quoted Name  ");
    EXPECT_EQ(get("QRCode", "single"), "it''s");
    EXPECT_EQ(get("QRCode", "mixed"), "\"half'");
    EXPECT_EQ(get("QRCode", "lone"), "\"");
}

TEST_F(Profile, MissingKeysSectionsAndFilesGiveTheDefault)
{
    EXPECT_EQ(get("QRCode", "size", "0"), "0");
    EXPECT_EQ(get("QRCode", "size", "trailing   "), "trailing");
    EXPECT_EQ(get("QRCode", "size", "  leading"), "  leading");
    EXPECT_EQ(get("QRCode", "size", nullptr), "");
    EXPECT_EQ(get("QRCode", "size", "\"quoted\""), "quoted");
    EXPECT_EQ(get("nosuch", "left"), "dflt");
    EXPECT_EQ(get("QRCode", "bare key"), "dflt");  // a line without '=' has no value
    EXPECT_EQ(get("", "left"), "dflt");
    EXPECT_EQ(get("broken", "x"), "dflt");
    EXPECT_EQ(get("QRCode", "orphan"), "dflt");

    file = tree.windows("absent.ini");
    SetLastError(0);
    EXPECT_EQ(get("QRCode", "left", "fallback"), "fallback");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Profile, OnlyTheFirstOfDuplicateSectionsAndKeysIsRead)
{
    EXPECT_EQ(get("QRCode", "extra"), "dflt");
    EXPECT_EQ(get("QRCode", "Left"), "150");
}

TEST_F(Profile, CommentLinesReadOnlyByTheirFullName)
{
    EXPECT_EQ(get("QRCode", "comment"), "dflt");
    EXPECT_EQ(get("QRCode", ";comment"), "hidden");
}

TEST_F(Profile, EmptyKeyNameGivesNothing)
{
    DWORD count = 99;
    EXPECT_EQ(get("QRCode", "", "dflt", 256, &count), "");
    EXPECT_EQ(count, 0u);
}

TEST_F(Profile, ValuesAreCutToTheBuffer)
{
    DWORD count = 0;
    EXPECT_EQ(get("QRCode", "left", "", 3, &count), "15");
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(get("QRCode", "left", "", 1, &count), "");
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(get("QRCode", "missing", "default", 4, &count), "def");
    EXPECT_EQ(count, 3u);
    // A quoted value loses its closing quote only when all of it fits.
    EXPECT_EQ(get("QRCode", "name", "", 17, &count), "  Quoted Name  ");
    EXPECT_EQ(get("QRCode", "name", "", 10, &count), "  Quoted ");
    EXPECT_EQ(count, 9u);

    char untouched[4] = "abc";
    EXPECT_EQ(GetPrivateProfileStringA("QRCode", "left", "", untouched, 0, file.c_str()), 0u);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(GetPrivateProfileStringA("QRCode", "left", "", nullptr, 10, file.c_str()), 0u);
}

TEST_F(Profile, NullSectionListsSectionNames)
{
    DWORD count = 0;
    const std::string all = raw(nullptr, nullptr, 256, &count);
    const std::string expected = list_of({"QRCode", "Spaced Section", "qrcode", "numbers"});
    EXPECT_EQ(count, expected.size() - 1);
    EXPECT_EQ(all.substr(0, expected.size()), expected);

    // Too small: the last name is cut, two NULs end the list, size - 2 comes back.
    const std::string cut = raw(nullptr, nullptr, 12, &count);
    EXPECT_EQ(count, 10u);
    EXPECT_EQ(cut, std::string("QRCode\0Spa\0\0", 12));
    // A list that fills the buffer exactly still counts as too small.
    const std::string exact = raw(nullptr, nullptr, static_cast<DWORD>(expected.size()), &count);
    EXPECT_EQ(count, expected.size() - 2);
    EXPECT_EQ(exact, expected);
    const std::string next_too_long = raw(nullptr, nullptr, 9, &count);
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(next_too_long, std::string("QRCode\0\0\0", 9));
    const std::string two = raw(nullptr, nullptr, 2, &count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(two, std::string("\0\0", 2));
}

TEST_F(Profile, NullKeyListsKeysWithValues)
{
    DWORD count = 0;
    const std::string keys = raw("QRCode", nullptr, 256, &count);
    const std::string expected =
        list_of({"left", "top", "name", "single", "mixed", "lone", "empty", "color", "Left"});
    EXPECT_EQ(count, expected.size() - 1);
    EXPECT_EQ(keys.substr(0, expected.size()), expected);

    // Stops when only two characters are left: the list is whole, the count is size - 2.
    const std::string cut = raw("QRCode", nullptr, 11, &count);
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(cut.substr(0, 10), std::string("left\0top\0\0", 10));
    const std::string cut_in_name = raw("QRCode", nullptr, 8, &count);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(cut_in_name, std::string("left\0t\0\0", 8));

    // A section without keys, or none at all, gives the default instead.
    EXPECT_EQ(get("nosuch", nullptr, "dflt"), "dflt");
}

TEST_F(Profile, SectionLines)
{
    std::string buffer(256, '#');
    DWORD count = GetPrivateProfileSectionA("qrcode", buffer.data(), 256, file.c_str());
    const std::string expected =
        list_of({"left=150", "top=20", "name=\"  Quoted Name  \"", "single='it''s'",
                 "mixed=\"half'", "lone=\"", "empty=", "bare key", "color=0x00FF00",
                 "Left=second left"});
    EXPECT_EQ(count, expected.size() - 1);
    EXPECT_EQ(buffer.substr(0, expected.size()), expected);

    buffer.assign(14, '#');
    count = GetPrivateProfileSectionA("QRCode", buffer.data(), 14, file.c_str());
    EXPECT_EQ(count, 12u);
    EXPECT_EQ(buffer, std::string("left=150\0top\0\0", 14));

    buffer.assign(8, '#');
    EXPECT_EQ(GetPrivateProfileSectionA("nosuch", buffer.data(), 8, file.c_str()), 0u);
    EXPECT_EQ(buffer.substr(0, 2), std::string("\0\0", 2));

    SetLastError(0);
    EXPECT_EQ(GetPrivateProfileSectionA(nullptr, buffer.data(), 8, file.c_str()), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetPrivateProfileSectionA("QRCode", nullptr, 8, file.c_str()), 0u);
}

TEST_F(Profile, IntegersAsWindowsReadsThem)
{
    const char* f = file.c_str();
    EXPECT_EQ(GetPrivateProfileIntA("QRCode", "left", 7, f), 150u);
    EXPECT_EQ(GetPrivateProfileIntA("QRCode", "color", 7, f), 0xFF00u);
    EXPECT_EQ(GetPrivateProfileIntA("QRCode", "size", 7, f), 7u);
    EXPECT_EQ(GetPrivateProfileIntA("QRCode", "size", -3, f), static_cast<UINT>(-3));
    EXPECT_EQ(GetPrivateProfileIntA("QRCode", "empty", 7, f), 7u);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "neg", 7, f), 0xFFFFFFFFu);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "hex", 7, f), 31u);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "oct", 7, f), 15u);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "bin", 7, f), 5u);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "upperhex", 7, f), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "trail", 7, f), 12u);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "word", 7, f), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "spaces", 7, f), 42u);
    EXPECT_EQ(GetPrivateProfileIntA("numbers", "plus", 9, f), 7u);
    EXPECT_EQ(GetPrivateProfileIntW(u"numbers", u"hex", 7, wide(f).c_str()),
              31u);
}

TEST_F(Profile, RewrittenFilesAreReadAgain)
{
    EXPECT_EQ(get("QRCode", "top"), "20");
    tree.file("config.ini", "[QRCode]\ntop=21\n");
    EXPECT_EQ(get("QRCode", "top"), "21");
    tree.file("config.ini", "[QRCode]\ntop=22\n");
    EXPECT_EQ(get("QRCode", "top"), "22");
}

TEST_F(Profile, ByteOrderMarksSelectTheEncoding)
{
    // UTF-16 little-endian "[s]\nk=\u00e9\u20ac\n"
    const std::u16string text = u"[s]\nk=\u00e9\u20ac\n";
    std::string le("\xFF\xFE", 2), be("\xFE\xFF", 2);
    for (char16_t c : text) {
        le += static_cast<char>(c & 0xFF);
        le += static_cast<char>(c >> 8);
        be += static_cast<char>(c >> 8);
        be += static_cast<char>(c & 0xFF);
    }
    for (const std::string& bytes : {le, be, std::string("\xEF\xBB\xBF[s]\nk=\xC3\xA9\xE2\x82\xAC\n"),
                                     std::string("[s]\nk=\xE9\x80\n")}) {
        tree.file("enc.ini", bytes);
        file = tree.windows("enc.ini");
        EXPECT_EQ(get("s", "k"), "\xE9\x80");  // both characters exist in Windows-1252
        char16_t value[8] = {};
        const std::u16string wide_file = wide(file);
        EXPECT_EQ(GetPrivateProfileStringW(u"s", u"k", u"", value, 8, wide_file.c_str()), 2u);
        EXPECT_EQ(std::u16string(value), u"\u00e9\u20ac");
    }
}

TEST_F(Profile, BareNamesLiveInTheWindowsFolder)
{
    tree.folder("windows");
    tree.file("windows/app.ini", "[a]\nb=from windows\n");
    ScopedEnv c("ZCNT_DRIVE_C", tree.root().c_str());
    char buffer[32];
    EXPECT_EQ(GetPrivateProfileStringA("a", "b", "", buffer, 32, "app.ini"), 12u);
    EXPECT_STREQ(buffer, "from windows");
    ScopedEnv unmapped("ZCNT_DRIVE_C", nullptr);
    EXPECT_EQ(GetPrivateProfileStringA("a", "b", "none", buffer, 32, "app.ini"), 4u);
}

TEST(ProfileData, ParserKeepsNulsAndOddLinesContained)
{
    constexpr char text[] = "[a\0b]\nk\0ey=va\0lue\n=novalue\n[]\nx=1\n";
    const std::string bytes(text, sizeof text - 1);
    const shell::profile_data data = shell::parse_profile(bytes);
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
