// Which font file a LOGFONTA resolves to, what GetFontData reads from it, and private font
// registration.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "gdi_fixtures.h"

namespace {

using gdi_test::Display;
using gdi_test::Selected;
using gdi_test::dejavu_dir;
using gdi_test::face_name;
using gdi_test::font_file;
using gdi_test::liberation_dir;
using gdi_test::read_file;

std::string liberation(const char* file) { return std::string(liberation_dir) + file; }

TEST(FaceResolution, WindowsNamesMapToMetricCompatibleFiles)
{
    struct Case {
        const char* face;
        int weight;
        bool italic;
        std::string file;
    };
    // The regular faces of the Windows names, and no name, are checked in tests/oracle.
    const Case cases[] = {
        {"ARIAL", FW_NORMAL, false, liberation("LiberationSans-Regular.ttf")},
        {"Arial", FW_BOLD, false, liberation("LiberationSans-Bold.ttf")},
        {"Arial", FW_BOLD, true, liberation("LiberationSans-BoldItalic.ttf")},
        {"Arial", 0, true, liberation("LiberationSans-Italic.ttf")},
        {"Times New Roman", FW_BOLD, false, liberation("LiberationSerif-Bold.ttf")},
        {"Liberation Serif", 0, true, liberation("LiberationSerif-Italic.ttf")},
        {"DejaVu Sans", FW_BOLD, false, std::string(dejavu_dir) + "DejaVuSans-Bold.ttf"},
    };
    Display dc;
    for (const Case& c : cases) {
        Selected font(dc.get(), -20, c.face, c.weight, c.italic);
        const auto expected = read_file(c.file);
        ASSERT_FALSE(expected.empty()) << c.file;
        EXPECT_TRUE(font_file(dc.get()) == expected) << c.face << " " << c.weight << " -> " << c.file;
    }
}

TEST(FaceResolution, UnknownNamesFallBackToTheArialStandIn)
{
    Display dc;
    const auto sans = read_file(liberation("LiberationSans-Regular.ttf"));
    for (const char* name : {"No Such Face 4711", "Wingdings Deluxe", "\xC4rial"}) {
        Selected font(dc.get(), -16, name);
        EXPECT_TRUE(font_file(dc.get()) == sans) << name;
        EXPECT_EQ(face_name(dc.get()), "Liberation Sans") << name;
        EXPECT_EQ(gdi_test::metrics(dc.get()).tmHeight, 17) << name;
    }
}

TEST(FaceResolution, FaceNameReportsTheRequestedWindowsName)
{
    Display dc;
    for (const char* name : {"Arial", "Liberation Serif"}) {
        Selected font(dc.get(), -16, name);
        EXPECT_EQ(face_name(dc.get()), name);
    }
    char small[4] = {'x', 'x', 'x', 'x'};
    Selected font(dc.get(), -16, "Courier New");
    EXPECT_EQ(GetTextFaceA(dc.get(), sizeof small, small), 3);
    EXPECT_STREQ(small, "Cou");
    EXPECT_EQ(GetTextFaceA(dc.get(), 0, nullptr), 12);
}

// What the file and its tables hold is read back by the font reader's and the oracle's tests;
// here the bounds of a read.
TEST(FontData, ReadsStopAtTheTablesEnd)
{
    Display dc;
    Selected font(dc.get(), -1000, "Arial");
    const DWORD head = MakeTableTag('h', 'e', 'a', 'd');
    ASSERT_EQ(GetFontData(dc.get(), head, 0, nullptr, 0), 54u);
    unsigned char table[54] = {};
    ASSERT_EQ(GetFontData(dc.get(), head, 0, table, sizeof table), 54u);
    unsigned char tail[100] = {};
    EXPECT_EQ(GetFontData(dc.get(), head, 50, tail, sizeof tail), 4u);
    EXPECT_EQ(std::memcmp(tail, table + 50, 4), 0);
    EXPECT_EQ(GetFontData(dc.get(), head, 54, tail, sizeof tail), GDI_ERROR);
    EXPECT_EQ(GetFontData(dc.get(), MakeTableTag('z', 'z', 'z', 'z'), 0, nullptr, 0), GDI_ERROR);
    EXPECT_EQ(GetFontData(dc.get(), MakeTableTag('V', 'D', 'M', 'X'), 0, tail, 4), GDI_ERROR);
}

// A copy of Liberation Mono whose names say "Zcntfixtur" instead of "Liberation", so that its
// family exists nowhere but in this file.
std::string renamed_font_copy()
{
    auto bytes = read_file(liberation("LiberationMono-Regular.ttf"));
    const std::string from = "Liberation", to = "Zcntfixtur";
    for (std::size_t i = 0; i + from.size() * 2 <= bytes.size(); ++i) {
        bool ascii = true, wide = true;
        for (std::size_t k = 0; k < from.size(); ++k) {
            ascii = ascii && bytes[i + k] == static_cast<unsigned char>(from[k]);
            wide = wide && bytes[i + 2 * k] == 0 && bytes[i + 2 * k + 1] == static_cast<unsigned char>(from[k]);
        }
        for (std::size_t k = 0; k < from.size(); ++k) {
            if (ascii) bytes[i + k] = static_cast<unsigned char>(to[k]);
            if (wide) bytes[i + 2 * k + 1] = static_cast<unsigned char>(to[k]);
        }
    }
    const std::string path = testing::TempDir() + "zcnt_gdi_private_font.ttf";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(PrivateFonts, RegisteredFileResolvesByItsFamily)
{
    const std::string path = renamed_font_copy();
    ASSERT_FALSE(path.empty());
    Display dc;
    {
        Selected font(dc.get(), -16, "Zcntfixtur Mono");
        EXPECT_EQ(face_name(dc.get()), "Liberation Sans");  // not known yet
    }
    // Unreadable files, no name and unknown flags are refused.
    EXPECT_EQ(AddFontResourceExA("/nonexistent/font.ttf", FR_PRIVATE, nullptr), 0);
    EXPECT_EQ(AddFontResourceExA(nullptr, FR_PRIVATE, nullptr), 0);
    EXPECT_EQ(AddFontResourceExA(path.c_str(), 0x4000, nullptr), 0);
    EXPECT_EQ(AddFontResourceExA(path.c_str(), FR_PRIVATE, nullptr), 1);
    Selected font(dc.get(), -16, "Zcntfixtur Mono");
    EXPECT_EQ(face_name(dc.get()), "Zcntfixtur Mono");
    EXPECT_TRUE(font_file(dc.get()) == read_file(path));
    // Liberation Mono: every advance 1229, 1229 / 128 = 9.6 -> 10.
    EXPECT_EQ(gdi_test::extent(dc.get(), "Hi").cx, 20);
}

}  // namespace
