// The GDI stand-in's text metrics and the font reader's glyph data checked against
// text_metrics.json, which generate_text_metrics.py computes from the font files' tables with
// fontTools, independently of the stand-in's code. The values only hold for the exact font files
// they were generated from, so every comparison first checks the installed files' SHA-256.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "fonts/open_type_font.h"
#include "platform/gdi/gdi.h"

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
        return in ? json::parse(in, nullptr, false) : json(json::value_t::discarded);
    }();
    return data;
}

const json* face_entry(const std::string& family)
{
    if (oracle().is_discarded() || !oracle().contains("faces")) return nullptr;
    for (const json& face : oracle()["faces"])
        if (face.value("family", "") == family) return &face;
    return nullptr;
}

const json* case_entry(const json& face, LONG tenths, LONG resolution)
{
    for (const json& c : face["cases"])
        if (c["tenths"].get<LONG>() == tenths && c["resolution"].get<LONG>() == resolution) return &c;
    return nullptr;
}

std::string command_output(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

std::vector<unsigned char> file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
            const std::string path = face["file"], recorded = face["sha256"];
            const std::string found = command_output("sha256sum '" + path + "' 2>/dev/null").substr(0, 64);
            if (found == recorded) continue;
            const std::string package = face["package"];
            const std::string version =
                command_output("dpkg-query -W -f='${Version}' " + package + " 2>/dev/null");
            out += "\n  " + path + ": SHA-256 " + (found.empty() ? "(unreadable)" : found) +
                   ", recorded " + recorded + "; package " + package + " expected " +
                   data["packages"][package].get<std::string>() + ", found " +
                   (version.empty() ? "(not installed)" : version);
        }
        if (!out.empty())
            out = "the installed fonts are not the ones text_metrics.json was generated from:" + out +
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
        const int pixels = GetDeviceCaps(dc_, LOGPIXELSX);
        SetMapMode(dc_, MM_ANISOTROPIC);
        ScaleWindowExtEx(dc_, resolution, pixels, resolution, pixels, nullptr);
    }
    ~MappedDisplay()
    {
        SelectObject(dc_, GetStockObject(SYSTEM_FONT));
        if (font_) DeleteObject(font_);
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
    bool select(LONG height, const std::string& face)
    {
        font_ = CreateFontA(height, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str());
        return font_ && SelectObject(dc_, font_);
    }

private:
    HDC dc_;
    HFONT font_ = nullptr;
};

void expect_metrics(const json& expected, const TEXTMETRICA& tm)
{
    const std::pair<const char*, LONG TEXTMETRICA::*> fields[] = {
        {"tmHeight", &TEXTMETRICA::tmHeight},
        {"tmAscent", &TEXTMETRICA::tmAscent},
        {"tmDescent", &TEXTMETRICA::tmDescent},
        {"tmInternalLeading", &TEXTMETRICA::tmInternalLeading},
        {"tmExternalLeading", &TEXTMETRICA::tmExternalLeading},
        {"tmAveCharWidth", &TEXTMETRICA::tmAveCharWidth},
        {"tmMaxCharWidth", &TEXTMETRICA::tmMaxCharWidth}};
    for (const auto& [name, field] : fields) EXPECT_EQ(tm.*field, expected[name].get<LONG>()) << name;
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
    ADD_FAILURE() << differences << "\n  set ZCNT_ORACLE_ALLOW_OTHER_FONTS=1 to skip instead of failing";
}

const char* family_of(const char* param) { return param; }
const char* family_of(const std::tuple<const char*, LONG>& param) { return std::get<0>(param); }

// The face's entry, once the data is readable and the installed fonts are the recorded ones.
template <typename Param>
class Oracle : public testing::TestWithParam<Param> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(oracle().is_discarded()) << "cannot read " ZCNT_ORACLE_JSON;
        if (!font_file_differences().empty()) GTEST_SKIP() << font_file_differences();
        face_ = face_entry(family_of(this->GetParam()));
        ASSERT_NE(face_, nullptr) << family_of(this->GetParam()) << " is not in the data";
        // Every case is looked up where it is compared; these would let the loops pass empty.
        ASSERT_FALSE((*face_)["requests"].empty());
        ASSERT_GE((*face_)["glyphs"].size(), 95u);
        ASSERT_EQ(oracle()["strings"].size(), 4u);
    }
    const json* face_ = nullptr;
};
using OracleFace = Oracle<const char*>;
using OracleFaceAtResolution = Oracle<std::tuple<const char*, LONG>>;

// Height, metrics, extents and DrawText rectangles on the mapped display for every character
// size and every face name that resolves to this face.
TEST_P(OracleFaceAtResolution, TextMetricsAndExtents)
{
    const LONG resolution = std::get<1>(GetParam());
    const std::vector<std::string> strings = oracle()["strings"];
    const std::vector<unsigned char> file = file_bytes((*face_)["file"]);
    for (const std::string request : (*face_)["requests"]) {
        SCOPED_TRACE("face name \"" + request + "\"");
        for (LONG tenths : kTenths) {
            SCOPED_TRACE(std::to_string(tenths) + " tenths of a point at " + std::to_string(resolution));
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

            ASSERT_TRUE(display.select(height, request));
            // The selected face is the recorded file, whose SHA-256 was checked above.
            std::vector<unsigned char> selected(GetFontData(display.get(), 0, 0, nullptr, 0));
            ASSERT_EQ(GetFontData(display.get(), 0, 0, selected.data(), static_cast<DWORD>(selected.size())),
                      selected.size());
            EXPECT_TRUE(selected == file) << "the face name resolved to another font file";
            TEXTMETRICA tm{};
            ASSERT_TRUE(GetTextMetricsA(display.get(), &tm));
            expect_metrics((*c)["metrics"], tm);

            for (std::size_t i = 0; i < strings.size(); ++i) {
                const std::string& text = strings[i];
                SCOPED_TRACE("\"" + text + "\"");
                const LONG cx = (*c)["extents"][i][0], cy = (*c)["extents"][i][1];
                SIZE size{-1, -1};
                ASSERT_TRUE(GetTextExtentPoint32A(display.get(), text.data(),
                                                  static_cast<int>(text.size()), &size));
                EXPECT_EQ(size.cx, cx) << "extent width";
                EXPECT_EQ(size.cy, cy) << "extent height";
                // No characters measure 0 x 0; their drawing rectangle is not part of the data.
                if (text.empty()) continue;
                // One line: the rectangle is the extent, one tmHeight high, from the left top.
                RECT box{10, 20, 10 + 100000, 20 + 100000};
                EXPECT_EQ(DrawTextA(display.get(), text.data(), static_cast<int>(text.size()), &box,
                                    DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX),
                          cy)
                    << "DrawTextA height";
                EXPECT_EQ((std::vector<LONG>{box.left, box.top, box.right, box.bottom}),
                          (std::vector<LONG>{10, 20, 10 + cx, 20 + cy}))
                    << "DrawTextA rectangle";
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
            ASSERT_EQ(font.Open(request.c_str(), FALSE, FALSE, (*c)["lf_height"].get<LONG>()), TRUE);
            EXPECT_EQ(font.GetUnitsPerEm(), (*face_)["units_per_em"].get<WORD>());
            const OUTLINETEXTMETRICA* otm = font.GetOutlineTextMetrics();
            ASSERT_NE(otm, nullptr);
            expect_metrics((*c)["metrics"], otm->otmTextMetrics);
            if (tenths != kTenths[0]) continue;  // the tables do not depend on the size
            for (const json& g : (*face_)["glyphs"]) {
                const WORD code = g[0], glyph = g[1], advance = g[2];
                SCOPED_TRACE("character code " + std::to_string(code));
                EXPECT_EQ(font.GetGlyphIndex(code), glyph) << "glyph index";
                if (glyph != 0) {
                    EXPECT_EQ(font.GetAdvanceWidth(glyph), advance) << "advance";
                }
            }
        }
    }
}

std::string test_name(const char* family, const std::string& suffix = "")
{
    std::string name;
    for (const char* p = family; *p; ++p)
        if (*p != ' ') name += *p;
    return name + suffix;
}

INSTANTIATE_TEST_SUITE_P(Faces, OracleFace, testing::ValuesIn(kFamilies),
                         [](const auto& p) { return test_name(p.param); });
INSTANTIATE_TEST_SUITE_P(Faces, OracleFaceAtResolution,
                         testing::Combine(testing::ValuesIn(kFamilies), testing::ValuesIn(kResolutions)),
                         [](const auto& p) {
                             return test_name(std::get<0>(p.param),
                                              "_at_" + std::to_string(std::get<1>(p.param)));
                         });

}  // namespace
