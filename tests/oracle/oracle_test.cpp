// The GDI stand-in's text metrics and the font reader's glyph data checked against
// text_metrics.json, which generate_text_metrics.py computes from the font files' tables with
// fontTools, independently of the stand-in's code. The values only hold for the exact font files
// they were generated from, so every comparison first checks the installed files' SHA-256.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fonts/open_type_font.h"
#include "platform/gdi/gdi.h"
#include "tests/oracle/sha256.h"

namespace {

using nlohmann::json;

const char* const kFamilies[] = {"Liberation Sans", "Liberation Serif", "Liberation Mono",
                                 "DejaVu Sans"};
const LONG kResolutions[] = {72, 300, 600, 720, 1200};
const LONG kTenths[] = {80, 100, 120, 240};

// The parsed file, or a discarded value when it cannot be read or parsed.
const json& oracle()
{
    static const json data = [] {
        std::ifstream in(ZCNT_ORACLE_JSON);
        if (!in) return json(json::value_t::discarded);
        std::stringstream text;
        text << in.rdbuf();
        return json::parse(text.str(), nullptr, false);
    }();
    return data;
}

const json* face_entry(const std::string& family)
{
    const json& data = oracle();
    if (data.is_discarded() || !data.contains("faces")) return nullptr;
    for (const json& face : data["faces"])
        if (face.value("family", "") == family) return &face;
    return nullptr;
}

const json* case_entry(const json& face, LONG tenths, LONG resolution)
{
    for (const json& c : face["cases"])
        if (c["tenths"].get<LONG>() == tenths && c["resolution"].get<LONG>() == resolution)
            return &c;
    return nullptr;
}

std::string installed_version(const std::string& package)
{
    const std::string command = "dpkg-query -W -f='${Version}' " + package + " 2>/dev/null";
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out.empty() ? "(not installed)" : out;
}

// Empty when every recorded font file is installed unchanged; otherwise what differs and how to
// bring the data in line.
const std::string& font_file_differences()
{
    static const std::string report = [] {
        const json& data = oracle();
        if (data.is_discarded()) return std::string("cannot read " ZCNT_ORACLE_JSON);
        std::string out;
        for (const json& face : data["faces"]) {
            const std::string path = face["file"];
            const std::string found = oracle::file_sha256_hex(path);
            if (found == face["sha256"].get<std::string>()) continue;
            const std::string package = face["package"];
            out += "\n  " + path + ": SHA-256 " + (found.empty() ? "(unreadable)" : found) +
                   ", recorded " + face["sha256"].get<std::string>() + "; package " + package +
                   " expected " + data["packages"][package].get<std::string>() + ", found " +
                   installed_version(package);
        }
        if (!out.empty())
            out = "the installed fonts are not the ones text_metrics.json was generated from:" +
                  out +
                  "\n  install the recorded package versions, or regenerate with"
                  " `/usr/bin/python3 tests/oracle/generate_text_metrics.py` (python3-fonttools)"
                  " after checking the new values";
        return out;
    }();
    return report;
}

// A "DISPLAY" context mapped as the elements map it: MM_ANISOTROPIC with the window extents
// scaled by resolution / LOGPIXELSX.
class MappedDisplay {
public:
    explicit MappedDisplay(LONG resolution) : dc_(CreateDCA("DISPLAY", nullptr, nullptr, nullptr))
    {
        if (!dc_) return;
        const int pixels = GetDeviceCaps(dc_, LOGPIXELSX);
        SetMapMode(dc_, MM_ANISOTROPIC);
        ScaleWindowExtEx(dc_, resolution, pixels, resolution, pixels, nullptr);
    }
    ~MappedDisplay()
    {
        if (dc_) DeleteDC(dc_);
    }
    MappedDisplay(const MappedDisplay&) = delete;
    MappedDisplay& operator=(const MappedDisplay&) = delete;
    HDC get() const { return dc_; }

    // The logical font height of a character size in tenths of a point.
    LONG font_height(LONG tenths) const
    {
        POINT points[2] = {{0, MulDiv(GetDeviceCaps(dc_, LOGPIXELSY), tenths, 720)}, {0, 0}};
        DPtoLP(dc_, points, 2);
        const LONG difference = points[0].y - points[1].y;
        return difference < 0 ? difference : -difference;
    }

private:
    HDC dc_;
};

class SelectedFont {
public:
    SelectedFont(HDC dc, LONG height, const std::string& face) : dc_(dc)
    {
        font_ = CreateFontA(height, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str());
        old_ = font_ ? SelectObject(dc, font_) : nullptr;
    }
    ~SelectedFont()
    {
        if (old_) SelectObject(dc_, old_);
        if (font_) DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
    bool ok() const { return font_ != nullptr && old_ != nullptr; }

private:
    HDC dc_;
    HFONT font_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

std::string selected_font_sha256(HDC dc)
{
    const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0) return {};
    std::vector<unsigned char> bytes(size);
    if (GetFontData(dc, 0, 0, bytes.data(), size) != size) return {};
    return oracle::sha256_hex(bytes);
}

void expect_metrics(const json& expected, const TEXTMETRICA& tm)
{
    EXPECT_EQ(tm.tmHeight, expected["tmHeight"].get<LONG>()) << "tmHeight";
    EXPECT_EQ(tm.tmAscent, expected["tmAscent"].get<LONG>()) << "tmAscent";
    EXPECT_EQ(tm.tmDescent, expected["tmDescent"].get<LONG>()) << "tmDescent";
    EXPECT_EQ(tm.tmInternalLeading, expected["tmInternalLeading"].get<LONG>())
        << "tmInternalLeading";
    EXPECT_EQ(tm.tmExternalLeading, expected["tmExternalLeading"].get<LONG>())
        << "tmExternalLeading";
    EXPECT_EQ(tm.tmAveCharWidth, expected["tmAveCharWidth"].get<LONG>()) << "tmAveCharWidth";
    EXPECT_EQ(tm.tmMaxCharWidth, expected["tmMaxCharWidth"].get<LONG>()) << "tmMaxCharWidth";
}

TEST(OracleSha256, KnownDigests)
{
    EXPECT_EQ(oracle::sha256_hex({}),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string abc = "abc";
    EXPECT_EQ(oracle::sha256_hex({abc.begin(), abc.end()}),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Two blocks: the padding no longer fits after the 56-byte message.
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(oracle::sha256_hex({two.begin(), two.end()}),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(OracleData, CoversEveryFaceSizeAndResolution)
{
    const json& data = oracle();
    ASSERT_FALSE(data.is_discarded()) << "cannot read " ZCNT_ORACLE_JSON;
    const std::size_t strings = data["strings"].size();
    ASSERT_EQ(strings, 4u);
    ASSERT_EQ(data["faces"].size(), std::size(kFamilies));
    for (const char* family : kFamilies) {
        SCOPED_TRACE(family);
        const json* face = face_entry(family);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ((*face)["cases"].size(), std::size(kTenths) * std::size(kResolutions));
        for (LONG tenths : kTenths)
            for (LONG resolution : kResolutions) {
                const json* c = case_entry(*face, tenths, resolution);
                ASSERT_NE(c, nullptr) << tenths << " tenths at " << resolution;
                EXPECT_EQ((*c)["extents"].size(), strings);
            }
        EXPECT_GE((*face)["glyphs"].size(), 95u);
        EXPECT_FALSE((*face)["requests"].empty());
    }
}

// Fails outright when the fonts differ, so a changed font package cannot pass unnoticed; where
// other fonts are expected (a developer machine), ZCNT_ORACLE_ALLOW_OTHER_FONTS turns this into a
// skip and the comparisons below skip with the same explanation.
TEST(OracleFonts, InstalledFilesAreTheRecordedOnes)
{
    const std::string& differences = font_file_differences();
    if (differences.empty()) return;
    if (std::getenv("ZCNT_ORACLE_ALLOW_OTHER_FONTS"))
        GTEST_SKIP() << differences << "\n  (allowed by ZCNT_ORACLE_ALLOW_OTHER_FONTS)";
    ADD_FAILURE() << differences
                  << "\n  set ZCNT_ORACLE_ALLOW_OTHER_FONTS=1 to skip instead of failing";
}

class OracleFace : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(oracle().is_discarded()) << "cannot read " ZCNT_ORACLE_JSON;
        if (!font_file_differences().empty()) GTEST_SKIP() << font_file_differences();
        face_ = face_entry(GetParam());
        ASSERT_NE(face_, nullptr) << GetParam() << " is not in the data";
    }
    const json* face_ = nullptr;
};

class OracleFaceAtResolution
    : public testing::TestWithParam<std::tuple<const char*, LONG>> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(oracle().is_discarded()) << "cannot read " ZCNT_ORACLE_JSON;
        if (!font_file_differences().empty()) GTEST_SKIP() << font_file_differences();
        face_ = face_entry(std::get<0>(GetParam()));
        ASSERT_NE(face_, nullptr) << std::get<0>(GetParam()) << " is not in the data";
    }
    const json* face_ = nullptr;
};

// Height, metrics, extents and DrawText rectangles on the mapped display for every character
// size and every face name that resolves to this face.
TEST_P(OracleFaceAtResolution, TextMetricsAndExtents)
{
    const LONG resolution = std::get<1>(GetParam());
    const std::vector<std::string> strings = oracle()["strings"];
    const std::string sha256 = (*face_)["sha256"];
    for (const std::string request : (*face_)["requests"]) {
        SCOPED_TRACE("face name \"" + request + "\"");
        for (LONG tenths : kTenths) {
            SCOPED_TRACE(std::to_string(tenths) + " tenths of a point at " +
                         std::to_string(resolution));
            const json* c = case_entry(*face_, tenths, resolution);
            ASSERT_NE(c, nullptr);
            MappedDisplay display(resolution);
            ASSERT_NE(display.get(), nullptr);
            SIZE window{};
            ASSERT_TRUE(GetWindowExtEx(display.get(), &window));
            EXPECT_EQ(window.cx, (*c)["window_extent"].get<LONG>());
            EXPECT_EQ(window.cy, (*c)["window_extent"].get<LONG>());
            const LONG height = display.font_height(tenths);
            EXPECT_EQ(height, (*c)["lf_height"].get<LONG>());

            SelectedFont font(display.get(), height, request);
            ASSERT_TRUE(font.ok());
            EXPECT_EQ(selected_font_sha256(display.get()), sha256)
                << "the face name resolved to another font file";
            TEXTMETRICA tm{};
            ASSERT_TRUE(GetTextMetricsA(display.get(), &tm));
            expect_metrics((*c)["metrics"], tm);

            for (std::size_t i = 0; i < strings.size(); ++i) {
                const std::string& text = strings[i];
                SCOPED_TRACE("\"" + text + "\"");
                const LONG cx = (*c)["extents"][i][0];
                const LONG cy = (*c)["extents"][i][1];
                SIZE size{-1, -1};
                ASSERT_TRUE(GetTextExtentPoint32A(display.get(), text.data(),
                                                  static_cast<int>(text.size()), &size));
                EXPECT_EQ(size.cx, cx) << "extent width";
                EXPECT_EQ(size.cy, cy) << "extent height";
                // No characters measure 0 x 0; their drawing rectangle is not part of the data.
                if (text.empty()) continue;
                // One line: the rectangle is the extent, one tmHeight high, from the left top.
                RECT box{10, 20, 10 + 100000, 20 + 100000};
                const int drawn = DrawTextA(display.get(), text.data(),
                                            static_cast<int>(text.size()), &box,
                                            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
                EXPECT_EQ(drawn, cy) << "DrawTextA height";
                EXPECT_EQ(box.left, 10);
                EXPECT_EQ(box.top, 20);
                EXPECT_EQ(box.right - box.left, cx) << "DrawTextA width";
                EXPECT_EQ(box.bottom - box.top, cy) << "DrawTextA rectangle height";
            }
        }
    }
}

// Character map (3, 1) glyph indices, hmtx advances and units per em as the font reader gives
// them, and the outline metrics' text metrics on its unmapped display context.
TEST_P(OracleFace, FontReaderGlyphsAndAdvances)
{
    for (const std::string request : (*face_)["requests"]) {
        SCOPED_TRACE("face name \"" + request + "\"");
        for (LONG tenths : kTenths) {
            SCOPED_TRACE(std::to_string(tenths) + " tenths of a point");
            // At 72 the window extent is 1, so logical units are pixels, as on the reader's own
            // MM_TEXT context.
            const json* c = case_entry(*face_, tenths, 72);
            ASSERT_NE(c, nullptr);
            ASSERT_EQ((*c)["window_extent"].get<LONG>(), 1);
            CZOpenTypeFont font;
            ASSERT_EQ(font.Open(request.c_str(), FALSE, FALSE, (*c)["lf_height"].get<LONG>()),
                      TRUE);
            EXPECT_EQ(font.GetUnitsPerEm(), (*face_)["units_per_em"].get<WORD>());
            const OUTLINETEXTMETRICA* otm = font.GetOutlineTextMetrics();
            ASSERT_NE(otm, nullptr);
            expect_metrics((*c)["metrics"], otm->otmTextMetrics);
            if (tenths != kTenths[0]) continue;  // the tables do not depend on the size
            for (const json& g : (*face_)["glyphs"]) {
                const WORD code = g[0];
                const WORD glyph = g[1];
                const WORD advance = g[2];
                SCOPED_TRACE("character code " + std::to_string(code));
                EXPECT_EQ(font.GetGlyphIndex(code), glyph) << "glyph index";
                if (glyph != 0) {
                    EXPECT_EQ(font.GetAdvanceWidth(glyph), advance) << "advance";
                }
            }
        }
    }
}

std::string family_name(const char* family)
{
    std::string name;
    for (const char* p = family; *p; ++p)
        if (*p != ' ') name += *p;
    return name;
}

std::string face_test_name(const testing::TestParamInfo<const char*>& param)
{
    return family_name(param.param);
}

std::string face_at_resolution_test_name(
    const testing::TestParamInfo<std::tuple<const char*, LONG>>& param)
{
    return family_name(std::get<0>(param.param)) + "_at_" +
           std::to_string(std::get<1>(param.param));
}

INSTANTIATE_TEST_SUITE_P(Faces, OracleFace, testing::ValuesIn(kFamilies), face_test_name);

INSTANTIATE_TEST_SUITE_P(Faces, OracleFaceAtResolution,
                         testing::Combine(testing::ValuesIn(kFamilies),
                                          testing::ValuesIn(kResolutions)),
                         face_at_resolution_test_name);

}  // namespace
