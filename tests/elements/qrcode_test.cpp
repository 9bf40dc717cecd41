// QR code images: the source forms, the symbol's bitmap, the configuration lookup in a
// program files folder of the test's own, and QR codes placed by an image element, alone or
// on a template page.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "elements/qrcode/qr_config.h"
#include "elements/qrcode/qr_source.h"
#include "elements/qrcode/qr_symbol.h"
#include "platform/shell/overrides.h"
#include "tests/elements/image_fixture.h"

namespace element_test {
namespace {

using cnt::qrcode::configuration;
using cnt::qrcode::source;
using strings = std::vector<std::string>;

// ---- sources ------------------------------------------------------------------------------

TEST(QrSource, ThePrefixIgnoresCaseAndNothingMayPrecedeIt)
{
    for (const char16_t* yes : {u"qrcode", u"QRCODE:abc", u"QrCoDe|x:y"})
        EXPECT_TRUE(cnt::qrcode::is_qr_source(yes));
    for (const char16_t* no : {u"qrcod", u" qrcode:abc", u"qrc0de:abc"})
        EXPECT_FALSE(cnt::qrcode::is_qr_source(no));
}

TEST(QrSource, TheFormsAfterThePrefix)
{
    struct source_case {
        const char* rest;
        const char *name, *language, *text;
    };
    const source_case cases[] = {
        {"|card:Hello", "card", "", "Hello"},
        {"|card|DEU:Hallo", "card", "DEU", "Hallo"},
        {":just text", "", "", "just text"},
        {"whole rest|with:marks", "", "", "whole rest|with:marks"},
        // Text after the first colon keeps colons and bars: no language separator there.
        {"|card:https://example.org/a|b:c", "card", "", "https://example.org/a|b:c"},
        {"|a:b|c", "a", "", "b|c"},
        {"::x", "", "", ":x"},
        // The text is trimmed.
        {":  \t abc \r\n", "", "", "abc"},
        {"", "", "", ""},
        {":   ", "", "", ""},
        {"|name|lang:", "name", "lang", ""},
        // An empty name and language are still the first form.
        {"||:x", "", "", "x"},
    };
    for (const source_case& c : cases) {
        SCOPED_TRACE(c.rest);
        source s;
        ASSERT_EQ(cnt::qrcode::parse_source(c.rest, &s), S_OK);
        EXPECT_EQ((strings{s.name, s.language, s.text}), (strings{c.name, c.language, c.text}));
    }
    for (const char* refused : {"|name", "|", "|a|b"}) {  // a bar without a colon
        source s;
        EXPECT_EQ(cnt::qrcode::parse_source(refused, &s), E_UNEXPECTED) << refused;
    }
}

// ---- symbols and bitmaps ------------------------------------------------------------------

bool pixel(const cnt::qrcode::bitmap& b, LONG x, LONG y)
{
    return (b.bits[static_cast<std::size_t>(y * b.row_bytes + x / 8)] >> (7 - x % 8)) & 1;
}

TEST(QrBitmap, ThreePixelsAModuleInsideAQuietZoneOfMarginModules)
{
    cnt::qrcode::symbol code;
    ASSERT_TRUE(cnt::qrcode::encode("abc", 0, &code));
    ASSERT_EQ(code.width, 21);
    // A margin below zero is none; one too large to allocate is refused.
    const struct {
        SHORT margin;
        HRESULT hr;
        LONG side;
    } cases[] = {{1, S_OK, 69},  {0, S_OK, 63},  {-1, S_OK, 63},
                 {-32768, S_OK, 63}, {4, S_OK, 87}, {32767, E_OUTOFMEMORY, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.margin);
        cnt::qrcode::bitmap b;
        ASSERT_EQ(cnt::qrcode::make_bitmap(code, c.margin, &b), c.hr);
        if (FAILED(c.hr)) continue;
        const LONG quiet = c.margin > 0 ? c.margin * 3 : 0;
        ASSERT_EQ(b.side, c.side);
        ASSERT_EQ(b.row_bytes, (c.side + 7) / 8);
        ASSERT_EQ(b.bits.size(), static_cast<std::size_t>(b.row_bytes * c.side));
        // The quiet zone is light; the finder pattern's corner module is dark and covers three
        // pixels of three rows; the row's padding after the last pixel stays light.
        for (LONG y = 0; y < quiet; ++y)
            for (LONG x = 0; x < c.side; ++x) ASSERT_TRUE(pixel(b, x, y)) << x << "," << y;
        for (LONG y = quiet; y < quiet + 3; ++y) {
            for (LONG x = 0; x < quiet; ++x) EXPECT_TRUE(pixel(b, x, y));
            for (LONG x = quiet; x < quiet + 3; ++x) EXPECT_FALSE(pixel(b, x, y));
            for (LONG x = c.side; x < b.row_bytes * 8; ++x) EXPECT_TRUE(pixel(b, x, y));
        }
        // Module (1, 1) is the light ring of the finder pattern; (2, 2) its dark centre.
        EXPECT_TRUE(pixel(b, quiet + 3, quiet + 3));
        EXPECT_FALSE(pixel(b, quiet + 6, quiet + 6));
        // Rows come in threes.
        const auto row = [&](LONG y) { return b.bits.begin() + y * b.row_bytes; };
        for (LONG y = quiet; y < c.side - quiet; y += 3)
            for (LONG k = 1; k < 3; ++k)
                EXPECT_TRUE(std::equal(row(y), row(y) + b.row_bytes, row(y + k))) << y;
    }
}

TEST(QrSymbol, LevelsAndCapacity)
{
    cnt::qrcode::symbol code;
    // 17 bytes fit version 1 at level L, not at level H (7 bytes), which needs version 3.
    ASSERT_TRUE(cnt::qrcode::encode(std::string(17, 'a'), 0, &code));
    EXPECT_EQ(code.width, 21);
    ASSERT_TRUE(cnt::qrcode::encode(std::string(17, 'a'), 3, &code));
    EXPECT_EQ(code.width, 29);
    EXPECT_FALSE(cnt::qrcode::encode("abc", 4, &code));
    EXPECT_FALSE(cnt::qrcode::encode("abc", -1, &code));
    // 2953 bytes are the most any symbol holds at level L.
    EXPECT_TRUE(cnt::qrcode::encode(std::string(2953, 'x'), 0, &code));
    EXPECT_EQ(code.width, 177);
    EXPECT_FALSE(cnt::qrcode::encode(std::string(2954, 'x'), 0, &code));
    EXPECT_EQ(code.width, 0);
    // The same text again, after others: its own symbol, not the last one made.
    ASSERT_TRUE(cnt::qrcode::encode(std::string(17, 'a'), 3, &code));
    EXPECT_EQ(code.width, 29);
    ASSERT_TRUE(cnt::qrcode::encode(std::string(17, 'a'), 0, &code));
    EXPECT_EQ(code.width, 21);
    ASSERT_TRUE(cnt::qrcode::encode(std::string(17, 'a'), 0, &code));
    EXPECT_EQ(code.modules.size(), 21u * 21u);
}

// ---- configurations -----------------------------------------------------------------------

// A program files folder of the test's own, and a German user.
class QrFolders : public image_page {
protected:
    void SetUp() override
    {
        image_page::SetUp();
        shell::set_locale_override("de_DE.UTF-8");
    }
    void TearDown() override { shell::set_locale_override(std::nullopt); }
    // The Windows spelling of a path below the folder.
    std::string windows(const std::string& relative) const
    {
        std::string out = "Z:" + files.root() + "/" + relative;
        std::replace(out.begin(), out.end(), '/', '\\');
        return out;
    }
    void ini(const std::string& relative, const std::string& contents)
    {
        files.write("Orvane/QRCode/" + relative, contents);
    }

    shell_test::ScopedEnv program_files_{"ZCNT_PROGRAM_FILES", files.root().c_str()};
};

// The words and numbers a configuration read from its file, compared in one step.
auto fields(const configuration& c)
{
    return std::tuple(c.title, c.display_name, c.left, c.top, c.size, c.colour);
}

const char* const kCard =
    "[qrcode]\r\nleft=1500\r\ntop=200\r\nsize=400\r\nname=Visiting card\r\ncolor=255\r\n";

TEST_F(QrFolders, TheUsersLanguageFolderIsSearchedFirst)
{
    ini("DEU/card.ini", kCard);
    ini("ENU/card.ini", "[qrcode]\nleft=1\n");
    configuration c;
    ASSERT_EQ(cnt::qrcode::find_configuration("card", "", &c), S_OK);
    EXPECT_EQ(fields(c), std::tuple("card", "Visiting card", 1500, 200, 400, 255u));
    EXPECT_EQ(c.ini_path, windows("Orvane/QRCode/DEU/card.ini"));
    EXPECT_EQ(c.template_path, windows("Orvane/QRCode/DEU/card.pjd"));

    ASSERT_EQ(cnt::qrcode::find_configuration("card", "ENU", &c), S_OK);
    EXPECT_EQ(fields(c), std::tuple("card", "", 1, 0, 0, 0u));
}

TEST_F(QrFolders, WithoutTheLanguageFolderTheFirstThreeLetterFolderServes)
{
    ini("AB/card.ini", kCard);        // two letters: not a language folder
    ini("LONG/card.ini", kCard);      // four letters neither
    files.write("Orvane/QRCode/ABC", "a file, not a folder");
    ini("FRA/card.ini", "[qrcode]\nsize=77\n");
    ini("ITA/card.ini", "[qrcode]\nsize=88\n");
    configuration c;
    ASSERT_EQ(cnt::qrcode::find_configuration("card", "", &c), S_OK);
    EXPECT_EQ(c.size, 77);  // FRA comes before ITA
    EXPECT_EQ(c.ini_path, windows("Orvane/QRCode/FRA/card.ini"));
}

TEST_F(QrFolders, NothingFoundThenBackslashesWildcardsAndExtensionsInTheName)
{
    configuration c;
    EXPECT_EQ(cnt::qrcode::find_configuration("card", "", &c), S_FALSE);  // no folder at all
    files.write("Orvane/QRCode/DEU/readme.txt", "");
    EXPECT_EQ(cnt::qrcode::find_configuration("card", "", &c), S_FALSE);  // no INI file
    EXPECT_EQ(cnt::qrcode::find_configuration("card", "XYZ", &c), S_FALSE);

    // A name with a backslash skips the language folder.
    ini("DEU/shared/card.ini", "[qrcode]\nsize=1\n");
    ini("shared/card.ini", "[qrcode]\nsize=2\n");
    ASSERT_EQ(cnt::qrcode::find_configuration("shared\\card", "", &c), S_OK);
    EXPECT_EQ(c.size, 2);
    EXPECT_EQ(c.title, "card");
    EXPECT_EQ(c.ini_path, windows("Orvane/QRCode/shared/card.ini"));

    ini("DEU/beta.ini", "[qrcode]\nsize=2\n");
    ini("DEU/alpha.ini", "[qrcode]\nsize=1\n");
    ini("DEU/other.cfg", "[qrcode]\nsize=3\n");
    ASSERT_EQ(cnt::qrcode::find_configuration("*", "", &c), S_OK);
    EXPECT_EQ(c.title, "alpha");  // upper-case order
    ASSERT_EQ(cnt::qrcode::find_configuration("other.cfg", "", &c), S_OK);
    EXPECT_EQ(c.size, 3);
    EXPECT_EQ(c.template_path, windows("Orvane/QRCode/DEU/other.pjd"));
}

TEST_F(QrFolders, JunkInTheIniFileReadsAsDefaults)
{
    ini("DEU/junk.ini",
        "left=5\n[other]\nsize=9\n[qrcode\nsize=8\n[qrcode]\nleft=abc\ntop=12px\n=3\n"
        "color=0x00FF00\nname\n\x01\x02\xFF\n");
    configuration c;
    ASSERT_EQ(cnt::qrcode::find_configuration("junk", "", &c), S_OK);
    EXPECT_EQ(fields(c), std::tuple("junk", "", 0, 12, 0, 0x00FF00u));
}

// ---- QR codes on a page -------------------------------------------------------------------

TEST_F(QrFolders, TheResourceGetsItsBitmapInOrderAndIsFitted)
{
    auto image = this->image_at(0, 0, 200, 100);
    image->put_QRCodeMargin(0);
    doc.journal().enable();
    com::Bstr file(u"qrcode:abc");
    image->put_ImageFile(file.get());
    strings calls;
    for (const std::string& line : doc.journal().lines())
        if (line.rfind("image#", 0) == 0) calls.push_back(line);
    ASSERT_GE(calls.size(), 8u);
    const std::string id = calls[0].substr(0, calls[0].find('.'));
    EXPECT_EQ(strings(calls.begin(), calls.begin() + 8),
              (strings{id + ".put_BitsPerPixel(1)", id + ".put_Interpolate(0)",
                       id + ".put_Width(63)", id + ".put_Height(63)", id + ".put_Pixels(bytes)",
                       id + ".put_Palette(colours)", id + ".get_Width() -> 63",
                       id + ".get_Height() -> 63"}));
    // A square symbol in a wide rectangle keeps the top-left corner and the shorter side;
    // without keep it is stretched.
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 100, 100}));
    image->SetImageData(file.get(), VARIANT_FALSE, 0xFFFFFFFF, 0);
    image->SetPosition(0, 0, 200, 100);
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 200, 100}));
}

TEST_F(QrFolders, AnEmptyTextMakesNoContentButStillABorder)
{
    // The prefix in any case: the element reads the text after it whatever its spelling.
    for (const char16_t* source : {u"qrcode", u"QRCode:   ", u"qrcode|card: \t"}) {
        auto image = this->image_at(0, 0, 100, 100);
        com::Bstr file(source);
        image->SetImageData(file.get(), VARIANT_TRUE, 0xFF0000, 0);
        const auto ids = page_object_ids(image.get());
        ASSERT_EQ(ids.size(), 1u);
        EXPECT_TRUE(resource_ids(image.get()).empty());
    }
    EXPECT_EQ(of_kind("shape").size(), 3u);
    EXPECT_TRUE(of_kind("placed_image").empty());
}

TEST_F(QrFolders, BadSourcesLeaveNothing)
{
    ini("DEU/readme.txt", "");  // a language folder without configurations
    const char16_t* bad[] = {u"qrcode|card", u"qrcode|card:text", u"qrcode|nope|ENU:text"};
    for (const char16_t* source : bad) {
        auto image = this->image_at(0, 0, 100, 100);
        com::Bstr file(source);
        EXPECT_EQ(image->SetImageData(file.get(), VARIANT_TRUE, 0xFF, 0), S_OK);
        EXPECT_TRUE(page_object_ids(image.get()).empty());
        EXPECT_TRUE(resource_ids(image.get()).empty());
    }
    // A level libqrencode does not know (text no symbol holds: the long-text tests).
    auto image = this->image_at(0, 0, 100, 100);
    image->put_QRCodeErrorCorrectionLevel(static_cast<ZeQRCodeErrorCorrectionLevel>(7));
    com::Bstr small(u"qrcode:abc");
    image->put_ImageFile(small.get());
    EXPECT_TRUE(page_object_ids(image.get()).empty());
    image->put_QRCodeErrorCorrectionLevel(zeQRCodeErrorCorrectionLevelQ);
    image->put_ImageFile(small.get());
    EXPECT_EQ(page_object_ids(image.get()).size(), 1u);
    EXPECT_EQ(kinds(doc.objects(1)).size(), 4u + 1u);  // four elements and one placed image
}

TEST_F(QrFolders, ANamedSourceWithoutItsTemplateIsTheSymbolAlone)
{
    ini("DEU/card.ini", kCard);
    auto image = this->image_at(0, 0, 1000, 2000);
    com::Bstr file(u"qrcode|card:https://example.org");
    image->put_ImageFile(file.get());
    EXPECT_TRUE(of_kind("stored_document").empty());
    EXPECT_EQ(of_kind("placed_image").size(), 1u);
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 1000, 1000}));
}

// Where the symbol sits on the template is pinned end to end by the tool's QR road; here the
// order of what the element made.
TEST_F(QrFolders, OnATemplateTheSymbolComesAfterThePage)
{
    ini("DEU/card.ini", kCard);
    stored_document(files.path("Orvane/QRCode/DEU/card.pjd"), 2100, 2970, 254);
    auto image = this->image_at(0, 0, 1000, 2000);
    com::Bstr file(u"qrcode|card:https://example.org");
    image->put_ImageFile(file.get());
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 1000, 1414}));
    // Resources: the symbol, then the template; page objects: the template page, then the
    // symbol, stacked in that order.
    EXPECT_EQ(kinds(doc.resource_objects(1)), (strings{"image", "stored_document"}));
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element", "placed_page", "placed_image"}));
}

}  // namespace
}  // namespace element_test
