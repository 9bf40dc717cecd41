// The PDF writer through the engine's interfaces: shapes, text and fonts, page sizes, links and
// images built as any caller builds them, the file judged by qpdf and poppler; and the writing
// of the file itself (no partial or stray files).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "host/output/pdf/pdf_writer.h"
#include "platform/com/com.h"
#include "tests/pdf/pdf_probe.h"
#include "tests/road/support.h"

namespace {

namespace fs = std::filesystem;
using pdf_probe::colour_at;
using pdf_probe::inked;
using pdf_probe::raster;
using rgb = std::array<int, 3>;

constexpr OLE_COLOR kNoColour = 0xFFFFFFFF;
// 0x00BBGGRR
constexpr OLE_COLOR kRed = 0x000000FF, kGreen = 0x0000FF00, kBlue = 0x00FF0000, kBlack = 0;
const rgb kWhitePx{255, 255, 255}, kRedPx{255, 0, 0}, kGreenPx{0, 255, 0}, kBluePx{0, 0, 255},
    kBlackPx{0, 0, 0};

// Temporary paths are ASCII.
std::u16string wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

using road::path_of;
using road::set_rect;

// A document built through the page lists, written and read back with the PDF tools.
class PdfWriter : public ::testing::Test {
protected:
    host::document doc;
    pdf_probe::scoped_dir dir;
    host::pdf::write_report report;
    std::string message;

    void SetUp() override
    {
        ASSERT_TRUE(doc.ok());
        ASSERT_FALSE(dir.path().empty());
    }

    void add_page(LONG width, LONG height, LONG resolution)
    {
        LONG n = 0;
        EXPECT_EQ(doc.add_page(width, height, resolution, &n), S_OK);
    }

    template <typename I>
    com::ComPtr<I> make(LONG kind, LONG page = 1)
    {
        return road::make<I>(doc, kind, page);
    }

    void line_width(IZShape* s, LONG width)
    {
        auto style = make<IZLineStyle>(zeKindLineStyle);
        ASSERT_TRUE(style);
        style->put_Width(width);
        ASSERT_EQ(s->putref_LineStyle(style.get()), S_OK);
    }

    void link(std::u16string_view url, LONG l, LONG t, LONG r, LONG b, LONG page = 1)
    {
        auto k = make<IZLink>(zeKindLink, page);
        ASSERT_TRUE(k);
        com::Bstr u(url);
        ASSERT_EQ(k->put_URL(u.get()), S_OK);
        com::ComPtr<IZRect> rect;
        ASSERT_EQ(k->get_Rect(rect.put()), S_OK);
        set_rect(rect.get(), l, t, r, b);
    }

    HRESULT write(const std::string& path, bool compress = true)
    {
        host::pdf::write_options options;
        options.compress = compress;
        message.clear();
        return host::pdf::write_pdf(doc.model(), path, options, &report, &message);
    }
    // Writes to out.pdf, which must pass qpdf's check.
    std::string written(bool compress = true)
    {
        const std::string path = dir.file("out.pdf");
        EXPECT_EQ(write(path, compress), S_OK) << message;
        std::string check;
        EXPECT_TRUE(pdf_probe::qpdf_check(path, &check)) << check;
        return path;
    }
    raster rendered(const std::string& path, int dpi = 72)
    {
        raster r;
        EXPECT_TRUE(pdf_probe::render(path, 1, dpi, &r)) << path;
        return r;
    }
};

// A place on the page in units, and the colour it must show.
struct spot {
    double x, y;
    rgb want;
    int tolerance = 10;
};

// ---- shapes -----------------------------------------------------------------------------------

// 600 x 400 units at 72 per inch: a unit is a point, and a pixel at 72 dpi.
class PdfShapes : public PdfWriter {
protected:
    void SetUp() override
    {
        PdfWriter::SetUp();
        add_page(600, 400, 72);
    }
};

TEST_F(PdfShapes, FillStrokeAndBothLandWhereThePageUnitsSay)
{
    // Near the top, so that a page drawn upside down is caught.
    road::filled_rect(doc, 20, 20, 120, 80, kRed);
    auto ellipse = road::shape(doc, zeShapePaintStroke, kGreen, kBlue);
    ASSERT_EQ(path_of(ellipse.get())->Ellipse(200, 20, 300, 120), S_OK);
    auto rounded = road::shape(doc, zeShapePaintFillStroke, kGreen, kBlack);
    ASSERT_EQ(path_of(rounded.get())->RoundedRectangle(350, 20, 500, 120, 40, 40), S_OK);

    // Without a line style a line is one unit wide, which is drawn as the thinnest line the
    // device shows: one pixel on the edge, at four pixels a unit.
    const raster r = rendered(written(), 288);
    ASSERT_EQ(r.width, 2400);
    ASSERT_EQ(r.height, 1600);
    const spot spots[] = {
        {70, 50, kRedPx}, {70, 350, kWhitePx} /* mirrored stays paper */, {122, 50, kWhitePx},
        // The ellipse's outline at its leftmost and topmost points; stroked only, so its centre
        // and the corner of its box stay paper although a fill colour is set.
        {200, 70, kBluePx}, {250, 20, kBluePx}, {250, 70, kWhitePx}, {198.5, 70, kWhitePx},
        {205, 25, kWhitePx},
        // Filled inside, stroked on the edge; the corner radius is 20, so the box's corner point
        // lies well outside the arc.
        {425, 70, kGreenPx}, {350, 70, kBlackPx}, {425, 120, kBlackPx}, {352, 22, kWhitePx}};
    for (const spot& s : spots) EXPECT_TRUE(colour_at(r, int(4 * s.x), int(4 * s.y), s.want));
}

TEST_F(PdfShapes, LineWidthTransparencyTransformAndNoColour)
{
    auto ellipse = road::shape(doc, zeShapePaintStroke, kNoColour, kBlue);
    ASSERT_EQ(path_of(ellipse.get())->Ellipse(200, 20, 300, 120), S_OK);
    line_width(ellipse.get(), 6);
    road::filled_rect(doc, 20, 150, 120, 250, kBlack);
    ASSERT_EQ(road::filled_rect(doc, 70, 150, 170, 250, kRed)->put_Transparency(50), S_OK);
    auto moved = road::filled_rect(doc, 20, 300, 60, 340, kBlue);
    ASSERT_EQ(path_of(moved.get())->SetTransform(1, 0, 0, 1, 100, 0), S_OK);
    // Filled with "no colour": nothing, although a stroke colour is set (fill mode draws no
    // line); and fill and stroke, both without colour.
    auto none = road::shape(doc, zeShapePaintFill, kNoColour, kBlack);
    ASSERT_EQ(path_of(none.get())->Rectangle(300, 200, 400, 300), S_OK);
    line_width(none.get(), 6);
    auto neither = road::shape(doc, zeShapePaintFillStroke, kNoColour, kNoColour);
    ASSERT_EQ(path_of(neither.get())->Rectangle(450, 200, 550, 300), S_OK);

    const raster r = rendered(written());
    const spot spots[] = {
        // Six units about the edge at x = 200: 197 to 203.
        {198, 70, kBluePx}, {201, 70, kBluePx}, {207, 70, kWhitePx},
        // Alpha 0.5: over black 0.5·red, over paper halfway from white to red.
        {45, 200, kBlackPx}, {95, 200, {128, 0, 0}, 4}, {145, 200, {255, 128, 128}, 4},
        {140, 320, kBluePx}, {40, 320, kWhitePx}};
    for (const spot& s : spots) EXPECT_TRUE(colour_at(r, int(s.x), int(s.y), s.want, s.tolerance));
    EXPECT_EQ(inked(r, 290, 190, 600, 310), 0);
}

// ---- text and fonts ---------------------------------------------------------------------------

using PdfText = PdfShapes;

TEST_F(PdfText, TextIsFoundIncludingCharactersBeyondLatin1)
{
    auto f = road::font(doc, u"Arial", 24);
    road::text(doc, u"Gr\u00FC\u00DFe, Zo\u00EB \u2014 caf\u00E9 \u03A9", 20, 60, f.get(), kBlue);

    const std::string path = written();
    EXPECT_NE(pdf_probe::text(path).find("Grüße, Zoë — café Ω"), std::string::npos)
        << pdf_probe::text(path);
    // Blue ink in the line's box, none mirrored to the bottom of the page.
    const raster r = rendered(path);
    EXPECT_GT(inked(r, 20, 40, 300, 62), 100);
    EXPECT_EQ(inked(r, 0, 330, 600, 400), 0);
}

TEST_F(PdfText, FacesAreEmbeddedAsSubsetsWithUnicodeMapsAndShared)
{
    // Two objects with fonts of the same face share one embedded font; bold is another face.
    auto a = road::font(doc, u"Arial", 24), b = road::font(doc, u"Arial", 30);
    auto bold = road::font(doc, u"Arial", 24, true);
    road::text(doc, u"First line", 20, 60, a.get());
    road::text(doc, u"Second line", 20, 120, b.get());
    road::text(doc, u"Bold line", 20, 180, bold.get());

    const std::string path = written();
    const auto rows = pdf_probe::fonts(path);
    ASSERT_EQ(rows.size(), 2u);
    int bold_rows = 0;
    for (const auto& row : rows) {
        EXPECT_TRUE(row.embedded && row.subset && row.unicode) << row.name;
        EXPECT_EQ(row.type, "CID TrueType") << row.name;
        // The subset tag: six capitals and a plus.
        ASSERT_GT(row.name.size(), 7u);
        EXPECT_TRUE(std::all_of(row.name.begin(), row.name.begin() + 6,
                                [](char c) { return c >= 'A' && c <= 'Z'; }))
            << row.name;
        EXPECT_EQ(row.name[6], '+') << row.name;
        // Arial is not installed; the metric-compatible face stands in for it.
        EXPECT_NE(row.name.find("LiberationSans"), std::string::npos) << row.name;
        if (row.name.find("Bold") != std::string::npos) ++bold_rows;
    }
    EXPECT_EQ(bold_rows, 1);
    const std::string t = pdf_probe::text(path);
    for (const char* line : {"First line", "Second line", "Bold line"})
        EXPECT_NE(t.find(line), std::string::npos) << line << " in " << t;
}

TEST_F(PdfText, ClipFrameCutsTheText)
{
    auto f = road::font(doc, u"Arial", 60);
    auto clipped = road::text(doc, u"MMMMMMMM", 20, 100, f.get());
    auto clip = make<IZClipFrame>(zeKindClipFrame);
    ASSERT_TRUE(clip);
    ASSERT_EQ(clip->put_Mode(1), S_OK);
    com::ComPtr<IZRect> rect;
    ASSERT_EQ(clip->get_Rect(rect.put()), S_OK);
    set_rect(rect.get(), 20, 20, 120, 110);
    ASSERT_EQ(clipped->putref_ClipFrame(clip.get()), S_OK);
    // The same line unclipped further down shows that the text does reach past the clip.
    road::text(doc, u"MMMMMMMM", 20, 300, f.get());

    const raster r = rendered(written());
    EXPECT_GT(inked(r, 20, 50, 118, 100), 200);
    EXPECT_EQ(inked(r, 122, 20, 600, 130), 0);
    EXPECT_GT(inked(r, 122, 250, 600, 300), 200);
}

TEST_F(PdfText, TurnedTextIsStillText)
{
    // Rising to the right (a negative angle turns the baseline towards -y).
    auto f = road::font(doc, u"Arial", 30, false, -0.5);
    road::text(doc, u"Turned", 100, 300, f.get());

    const std::string path = written();
    const auto raw = pdf_probe::run({"pdftotext", "-raw", "-enc", "UTF-8", path, "-"});
    ASSERT_EQ(raw.status, 0) << raw.err;
    EXPECT_NE(raw.out.find("Turned"), std::string::npos) << raw.out;
    // The word climbs: level, its capitals would reach up to y = 278 only; turned, its end rises
    // above that. Nothing lies below the baseline's start.
    const raster r = rendered(path);
    EXPECT_GT(inked(r, 150, 200, 250, 270), 0);
    EXPECT_EQ(inked(r, 0, 320, 600, 400), 0);
}

TEST_F(PdfText, EmptyFaceNameFallsBackToAnEmbeddedFace)
{
    auto f = road::font(doc, u"", 24);
    road::text(doc, u"Fallback face", 20, 60, f.get());

    const std::string path = written();
    const auto rows = pdf_probe::fonts(path);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].embedded && rows[0].unicode);
    EXPECT_NE(pdf_probe::text(path).find("Fallback face"), std::string::npos);
}

// ---- pages and links --------------------------------------------------------------------------

TEST_F(PdfWriter, PageSizesComeFromUnitsAndResolution)
{
    add_page(5950, 8420, 720);  // A4: 5950 / 720 inch = 595 points
    add_page(850, 1100, 100);   // Letter
    road::filled_rect(doc, 10, 10, 20, 20, kRed, 2);

    const std::string path = written();
    EXPECT_EQ(report.pages, 2);
    EXPECT_EQ(report.bytes, fs::file_size(path));
    const auto sizes = pdf_probe::page_sizes(path);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_NEAR(sizes[0].width, 595, 0.01);
    EXPECT_NEAR(sizes[0].height, 842, 0.01);
    EXPECT_NEAR(sizes[1].width, 612, 0.01);
    EXPECT_NEAR(sizes[1].height, 792, 0.01);
}

TEST_F(PdfWriter, PageSizesOutsidePdfsLimitsAreRefused)
{
    const struct {
        LONG width, height, resolution;
        HRESULT want;
    } cases[] = {
        {3, 14400, 72, S_OK},
        {2, 300, 72, E_INVALIDARG},
        {1, 1, 2147483647, E_INVALIDARG},  // would be written as a box of size 0
        {300, 14401, 72, E_INVALIDARG},
        {2147483647, 2147483647, 1, E_INVALIDARG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.resolution);
        host::document one;
        LONG n = 0;
        ASSERT_EQ(one.add_page(c.width, c.height, c.resolution, &n), S_OK);
        EXPECT_EQ(host::pdf::write_pdf(one.model(), dir.file("size.pdf"), {}, &report, &message),
                  c.want);
    }
}

// Enough pages that the file takes its room from the first ones and spreads its small objects
// over several object streams; every page keeps its own text, link and size.
TEST_F(PdfWriter, LongDocumentsKeepEveryPageTheirTextAndLinks)
{
    constexpr LONG kPages = 60;
    for (LONG p = 1; p <= kPages; ++p) {
        add_page(p % 2 ? 600 : 400, 400, 72);
        auto f = road::font(doc, u"Liberation Sans", 12, false, 0, p);
        const std::string body = "Sheet " + std::to_string(p) + " body";
        ASSERT_TRUE(road::text(doc, wide(body), 20, 40, f.get(), kBlack, p));
        link(wide("https://example.org/p(" + std::to_string(p) + ")"), 10, 10 + p, 110, 30 + p, p);
    }

    const std::string path = written();
    EXPECT_EQ(report.pages, kPages);
    const auto sizes = pdf_probe::page_sizes(path);
    ASSERT_EQ(sizes.size(), std::size_t(kPages));
    EXPECT_NEAR(sizes[36].width, 600, 0.01);  // page 37
    EXPECT_NEAR(sizes[59].width, 400, 0.01);
    for (int p : {1, 17, 37, 60})
        EXPECT_NE(pdf_probe::text(path, p).find("Sheet " + std::to_string(p) + " body"),
                  std::string::npos) << p;
    // One subset font for all pages, however many pages use it.
    EXPECT_EQ(pdf_probe::fonts(path).size(), 1u);

    // Uncompressed, the annotations can be read: one per page, in page order, the string's
    // parentheses escaped.
    const std::string plain = pdf_probe::read_all(written(false));
    std::size_t at = 0;
    for (LONG p = 1; p <= kPages; ++p) {
        const std::string uri = "/URI (https://example.org/p\\(" + std::to_string(p) + "\\))";
        const std::size_t found = plain.find(uri, at);
        ASSERT_NE(found, std::string::npos) << p;
        at = found;
    }
}

// A link on A4 at 0.1 point a unit, 842 points high; the file uncompressed, so that the
// annotation can be read as it is written.
TEST_F(PdfWriter, LinksBecomeUriAnnotationsOverTheirRectangles)
{
    const struct {
        const char16_t* url;
        LONG right;
        const char* uri;  // null: no annotation at all
        double rect_right;
    } cases[] = {
        {u"https://example.org/report?q=1", 2165, "/URI (https://example.org/report?q=1)", 216.5},
        // é is C3 A9 and Ω is CE A9 in UTF-8; the space is escaped too.
        {u"https://example.org/caf\u00E9 \u03A9", 2160,
         "/URI (https://example.org/caf%C3%A9%20%CE%A9)", 216},
        {u"", 2160, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uri ? c.uri : "empty URL");
        doc = host::document();
        add_page(5950, 8420, 720);
        link(c.url, 720, 1000, c.right, 1200);
        const std::string pdf = pdf_probe::read_all(written(false));
        if (!c.uri) {
            EXPECT_EQ(pdf.find("/Annot"), std::string::npos);
            continue;
        }
        EXPECT_NE(pdf.find(c.uri), std::string::npos);
        EXPECT_NE(pdf.find("/Subtype /Link"), std::string::npos);
        // x·72/720, and y from the page's bottom: 842 − y·0.1. The link's is the only /Rect.
        const auto at = pdf.find("/Rect [");
        ASSERT_NE(at, std::string::npos);
        double v[4] = {-1, -1, -1, -1};
        ASSERT_EQ(std::sscanf(pdf.c_str() + at + 7, "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]), 4);
        EXPECT_EQ((std::vector<double>(v, v + 4)), (std::vector<double>{72, 722, c.rect_right, 742}));
    }
}

// ---- images -----------------------------------------------------------------------------------

class PdfImages : public PdfShapes {
protected:
    com::ComPtr<IZImageResource> image_placed_at_100_100_300_300()
    {
        auto image = make<IZImageResource>(zeKindImageResource);
        auto placed = make<IZPlacedImage>(zeKindPlacedImage);
        if (!placed || !image) return image;
        EXPECT_EQ(placed->putref_Image(image.get()), S_OK);
        com::ComPtr<IZRect> rect;
        EXPECT_EQ(placed->get_Rect(rect.put()), S_OK);
        set_rect(rect.get(), 100, 100, 300, 300);
        return image;
    }
};

template <typename T>
com::Variant array_of(VARTYPE type, const std::vector<T>& values)
{
    SAFEARRAY* a = SafeArrayCreateVector(type, 0, static_cast<ULONG>(values.size()));
    void* data = nullptr;
    if (a && SUCCEEDED(SafeArrayAccessData(a, &data))) {
        std::copy(values.begin(), values.end(), static_cast<T*>(data));
        SafeArrayUnaccessData(a);
    }
    com::Variant v;
    v->vt = VT_ARRAY | type;
    v->parray = a;
    return v;
}

// PNG files in the PDF: tests/host/harden_images_test.cpp, pixel by pixel; which way up the
// image lands is fixed by the one-bit image below, which a flip would turn.
TEST_F(PdfImages, OneBitPixelsStaySharpWhenScaledUp)
{
    auto image = image_placed_at_100_100_300_300();
    ASSERT_EQ(image->put_Width(2), S_OK);
    ASSERT_EQ(image->put_Height(2), S_OK);
    ASSERT_EQ(image->put_BitsPerPixel(1), S_OK);
    // Rows padded to a byte, leftmost pixel in the top bit: 1 0 / 0 1, index 1 is white.
    ASSERT_EQ(image->put_Pixels(*array_of<BYTE>(VT_UI1, {0x80, 0x40}).get()), S_OK);
    ASSERT_EQ(image->put_Palette(*array_of<OLE_COLOR>(VT_UI4, {0x000000, 0xFFFFFF}).get()), S_OK);

    const raster r = rendered(written());
    // Every pixel of every quarter, right up to the boundaries between them, is pure.
    for (int y = 100; y < 300; ++y)
        for (int x = 100; x < 300; ++x) {
            const bool white = (x < 200) == (y < 200);
            ASSERT_EQ(r.at(x, y), white ? kWhitePx : kBlackPx) << x << ", " << y;
        }
}

TEST_F(PdfImages, MissingFileGivesAPlaceholderAndAWarning)
{
    com::Bstr name(wide(dir.file("not-there.png")));
    EXPECT_TRUE(FAILED(image_placed_at_100_100_300_300()->Load(name.get(), -1)));
    road::filled_rect(doc, 400, 100, 500, 200, kRed);

    const raster r = rendered(written());
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find("not-there.png"), std::string::npos) << report.warnings[0];
    // The placeholder is filled light grey (0.9); this spot is off its diagonals.
    EXPECT_TRUE(colour_at(r, 200, 130, {230, 230, 230}, 3));
    EXPECT_TRUE(colour_at(r, 450, 150, kRedPx));
}

// ---- the file ---------------------------------------------------------------------------------

std::vector<std::string> entries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(PdfWriter, AWriteReplacesTheFileWholeOrLeavesItAsItWas)
{
    // No pages: nothing to write, and the file already there stays.
    const std::string path = dir.file("out.pdf");
    const std::string old = "%PDF-1.4 the previous file\n";
    std::ofstream(path, std::ios::binary) << old;
    EXPECT_EQ(write(path), E_INVALIDARG);
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(pdf_probe::read_all(path), old);
    // Targets that cannot be written: tests/host/user_files_test.cpp.
    add_page(600, 400, 72);
    road::filled_rect(doc, 20, 20, 120, 80, kRed);
    // Written, it replaces the old file and leaves nothing beside it.
    ASSERT_EQ(write(path), S_OK) << message;
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"out.pdf"});
    EXPECT_EQ(pdf_probe::page_sizes(path).size(), 1u);
    EXPECT_TRUE(pdf_probe::qpdf_check(path));
}

}  // namespace
