// The PDF writer through the engine's interfaces: shapes, text and fonts, page sizes, links and
// images built as any caller builds them, the file judged by qpdf and poppler; and the writing
// of the file itself (no partial or stray files).
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "host/output/pdf/pdf_writer.h"
#include "platform/com/com.h"
#include "tests/pdf/pdf_probe.h"

namespace {

namespace fs = std::filesystem;
using pdf_probe::raster;
using rgb = std::array<int, 3>;

constexpr OLE_COLOR kNoColour = 0xFFFFFFFF;
// 0x00BBGGRR
constexpr OLE_COLOR kRed = 0x000000FF, kGreen = 0x0000FF00, kBlue = 0x00FF0000, kBlack = 0;
const rgb kWhitePx{255, 255, 255}, kRedPx{255, 0, 0}, kGreenPx{0, 255, 0}, kBluePx{0, 0, 255},
    kBlackPx{0, 0, 0};

::testing::AssertionResult colour_at(const raster& r, int x, int y, rgb want, int tolerance = 10)
{
    const rgb got = r.at(x, y);
    for (int i = 0; i < 3; ++i) {
        if (std::abs(got[i] - want[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "pixel (" << x << ", " << y << ") is (" << got[0] << ", " << got[1] << ", "
                   << got[2] << "), expected (" << want[0] << ", " << want[1] << ", " << want[2]
                   << ") within " << tolerance;
    }
    return ::testing::AssertionSuccess();
}

// Pixels darker than paper in [x0, x1) x [y0, y1).
int inked(const raster& r, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const rgb p = r.at(x, y);
            if (p[0] < 200 || p[1] < 200 || p[2] < 200) ++n;
        }
    return n;
}

std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Temporary paths are ASCII.
std::u16string wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

void set_rect(IZRect* r, LONG left, LONG top, LONG right, LONG bottom)
{
    ASSERT_TRUE(r);
    r->put_Left(left);
    r->put_Top(top);
    r->put_Right(right);
    r->put_Bottom(bottom);
}

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

    LONG add_page(LONG width, LONG height, LONG resolution)
    {
        LONG n = 0;
        EXPECT_EQ(doc.add_page(width, height, resolution, &n), S_OK);
        return n;
    }

    // An object of `kind` made and listed by page `page`'s object list or resource list.
    template <typename I>
    com::ComPtr<I> make(LONG kind, LONG page = 1)
    {
        com::ComPtr<IDispatch> list_dispatch, made;
        const bool resource = kind > 100;
        if (resource)
            doc.resources(page, list_dispatch.put());
        else
            doc.page_objects(page, list_dispatch.put());
        com::ComPtr<I> out;
        if (!list_dispatch) {
            ADD_FAILURE() << "page " << page << " has no lists";
            return out;
        }
        LONG id = 0;
        HRESULT created = E_FAIL, added = E_FAIL;
        if (resource) {
            com::ComPtr<IZResourceList> list;
            list_dispatch->QueryInterface(IZResourceList::iid, list.put_void());
            created = list->Create(kind, made.put());
            added = list->Add(*com::Variant::from_dispatch(made.get()).get(), &id);
        } else {
            com::ComPtr<IZPageObjectList> list;
            list_dispatch->QueryInterface(IZPageObjectList::iid, list.put_void());
            created = list->Create(kind, made.put());
            added = list->Add(*com::Variant::from_dispatch(made.get()).get(), &id);
        }
        EXPECT_EQ(created, S_OK) << kind;
        EXPECT_EQ(added, S_OK) << kind;
        if (!made) return out;
        EXPECT_EQ(made->QueryInterface(I::iid, out.put_void()), S_OK);
        return out;
    }

    com::ComPtr<IZShape> shape(ZeShapePaintMode mode, OLE_COLOR fill, OLE_COLOR stroke, LONG page = 1)
    {
        auto s = make<IZShape>(zeKindShape, page);
        if (!s) return s;
        s->put_PaintMode(mode);
        s->put_FillColor(fill);
        s->put_StrokeColor(stroke);
        return s;
    }
    static com::ComPtr<IZPath> path_of(IZShape* s)
    {
        com::ComPtr<IZPath> p;
        if (s) s->get_Path(p.put());
        return p;
    }
    com::ComPtr<IZShape> filled_rect(LONG l, LONG t, LONG r, LONG b, OLE_COLOR fill, LONG page = 1)
    {
        auto s = shape(zeShapePaintFill, fill, kNoColour, page);
        if (!s) return s;
        EXPECT_EQ(path_of(s.get())->Rectangle(l, t, r, b), S_OK);
        return s;
    }
    void line_width(IZShape* s, LONG width, LONG page = 1)
    {
        auto style = make<IZLineStyle>(zeKindLineStyle, page);
        ASSERT_TRUE(style);
        style->put_Width(width);
        ASSERT_EQ(s->putref_LineStyle(style.get()), S_OK);
    }

    com::ComPtr<IZFont> font(const char16_t* face, LONG size, bool bold = false, double angle = 0,
                             LONG page = 1)
    {
        auto f = make<IZFont>(zeKindFont, page);
        if (!f) return f;
        com::Bstr name(face);
        f->put_FaceName(name.get());
        f->put_Size(size);
        f->put_Bold(bold ? VARIANT_TRUE : VARIANT_FALSE);
        f->put_Angle(angle);
        return f;
    }
    com::ComPtr<IZTextObject> text(std::u16string_view body, LONG x, LONG y, IZFont* f,
                                   OLE_COLOR colour = kBlack, LONG page = 1)
    {
        auto t = make<IZTextObject>(zeKindTextObject, page);
        if (!t) return t;
        com::Bstr b(body);
        t->put_Text(b.get());
        t->put_X(x);
        t->put_Y(y);
        t->putref_Font(f);
        t->put_Color(colour);
        return t;
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
    raster rendered(const std::string& path, int page = 1, int dpi = 72)
    {
        raster r;
        EXPECT_TRUE(pdf_probe::render(path, page, dpi, &r)) << path;
        return r;
    }
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
    filled_rect(20, 20, 120, 80, kRed);
    auto ellipse = shape(zeShapePaintStroke, kGreen, kBlue);
    ASSERT_EQ(path_of(ellipse.get())->Ellipse(200, 20, 300, 120), S_OK);
    auto rounded = shape(zeShapePaintFillStroke, kGreen, kBlack);
    ASSERT_EQ(path_of(rounded.get())->RoundedRectangle(350, 20, 500, 120, 40, 40), S_OK);

    // Without a line style a line is one unit wide: at four pixels a unit, the two pixels on
    // either side of an edge lie wholly under it.
    const raster r = rendered(written(), 1, 288);
    ASSERT_EQ(r.width, 2400);
    ASSERT_EQ(r.height, 1600);
    auto at = [&](int x, int y, rgb want) { return colour_at(r, 4 * x, 4 * y, want); };
    EXPECT_TRUE(at(70, 50, kRedPx));
    EXPECT_TRUE(at(70, 350, kWhitePx));  // the same place mirrored stays paper
    EXPECT_TRUE(at(122, 50, kWhitePx));
    // The ellipse's outline at its leftmost and topmost points; stroked only, so its centre and
    // the corner of its box stay paper although a fill colour is set.
    EXPECT_TRUE(at(200, 70, kBluePx));
    EXPECT_TRUE(colour_at(r, 4 * 200 - 1, 4 * 70, kBluePx));
    EXPECT_TRUE(at(250, 20, kBluePx));
    EXPECT_TRUE(at(250, 70, kWhitePx));
    EXPECT_TRUE(at(205, 25, kWhitePx));
    // Filled inside, stroked on the edge; the corner radius is 20, so the box's corner point
    // lies well outside the arc.
    EXPECT_TRUE(at(425, 70, kGreenPx));
    EXPECT_TRUE(at(350, 70, kBlackPx));
    EXPECT_TRUE(colour_at(r, 4 * 425, 4 * 120 - 1, kBlackPx));
    EXPECT_TRUE(at(352, 22, kWhitePx));
}

TEST_F(PdfShapes, LineStyleSetsTheLineWidth)
{
    auto ellipse = shape(zeShapePaintStroke, kNoColour, kBlue);
    ASSERT_EQ(path_of(ellipse.get())->Ellipse(200, 20, 300, 120), S_OK);
    line_width(ellipse.get(), 6);

    // Six units about the edge at x = 200: 197 to 203.
    const raster r = rendered(written());
    EXPECT_TRUE(colour_at(r, 198, 70, kBluePx));
    EXPECT_TRUE(colour_at(r, 201, 70, kBluePx));
    EXPECT_TRUE(colour_at(r, 207, 70, kWhitePx));
}

TEST_F(PdfShapes, TransparencyBlendsWithWhatLiesBelow)
{
    filled_rect(20, 150, 120, 250, kBlack);
    auto half = filled_rect(70, 150, 170, 250, kRed);
    ASSERT_EQ(half->put_Transparency(50), S_OK);

    const raster r = rendered(written());
    // Alpha 0.5: over black 0.5·red, over paper halfway from white to red.
    const int half_of_255 = 128;
    EXPECT_TRUE(colour_at(r, 45, 200, kBlackPx));
    EXPECT_TRUE(colour_at(r, 95, 200, {half_of_255, 0, 0}, 4));
    EXPECT_TRUE(colour_at(r, 145, 200, {255, half_of_255, half_of_255}, 4));
}

TEST_F(PdfShapes, TransformMovesTheFigures)
{
    auto moved = filled_rect(20, 300, 60, 340, kBlue);
    ASSERT_EQ(path_of(moved.get())->SetTransform(1, 0, 0, 1, 100, 0), S_OK);

    const raster r = rendered(written());
    EXPECT_TRUE(colour_at(r, 140, 320, kBluePx));
    EXPECT_TRUE(colour_at(r, 40, 320, kWhitePx));
}

TEST_F(PdfShapes, NoColourPaintsNothing)
{
    // Filled with "no colour": nothing, although a stroke colour is set (fill mode draws no line).
    auto none = shape(zeShapePaintFill, kNoColour, kBlack);
    ASSERT_EQ(path_of(none.get())->Rectangle(300, 200, 400, 300), S_OK);
    line_width(none.get(), 6);
    // Fill and stroke, both without colour.
    auto neither = shape(zeShapePaintFillStroke, kNoColour, kNoColour);
    ASSERT_EQ(path_of(neither.get())->Rectangle(450, 200, 550, 300), S_OK);
    // Something painted, so that an empty page is not mistaken for success.
    filled_rect(20, 300, 60, 340, kRed);

    const raster r = rendered(written());
    EXPECT_EQ(inked(r, 290, 190, 600, 310), 0);
    EXPECT_TRUE(colour_at(r, 40, 320, kRedPx));
}

// ---- text and fonts ---------------------------------------------------------------------------

class PdfText : public PdfShapes {};

TEST_F(PdfText, TextIsFoundIncludingCharactersBeyondLatin1)
{
    auto f = font(u"Arial", 24);
    text(u"Gr\u00FC\u00DFe, Zo\u00EB \u2014 caf\u00E9 \u03A9", 20, 60, f.get(), kBlue);

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
    auto a = font(u"Arial", 24), b = font(u"Arial", 30), bold = font(u"Arial", 24, true);
    text(u"First line", 20, 60, a.get());
    text(u"Second line", 20, 120, b.get());
    text(u"Bold line", 20, 180, bold.get());

    const std::string path = written();
    const auto rows = pdf_probe::fonts(path);
    ASSERT_EQ(rows.size(), 2u);
    int bold_rows = 0;
    for (const auto& row : rows) {
        EXPECT_TRUE(row.embedded) << row.name;
        EXPECT_TRUE(row.subset) << row.name;
        EXPECT_TRUE(row.unicode) << row.name;
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
    auto f = font(u"Arial", 60);
    const std::u16string body = u"MMMMMMMM";
    auto clipped = text(body, 20, 100, f.get());
    auto clip = make<IZClipFrame>(zeKindClipFrame);
    ASSERT_TRUE(clip);
    ASSERT_EQ(clip->put_Mode(1), S_OK);
    com::ComPtr<IZRect> rect;
    ASSERT_EQ(clip->get_Rect(rect.put()), S_OK);
    set_rect(rect.get(), 20, 20, 120, 110);
    ASSERT_EQ(clipped->putref_ClipFrame(clip.get()), S_OK);
    // The same line unclipped further down shows that the text does reach past the clip.
    text(body, 20, 300, f.get());

    const raster r = rendered(written());
    EXPECT_GT(inked(r, 20, 50, 118, 100), 200);
    EXPECT_EQ(inked(r, 122, 20, 600, 130), 0);
    EXPECT_GT(inked(r, 122, 250, 600, 300), 200);
}

TEST_F(PdfText, TurnedTextIsStillText)
{
    // Rising to the right (a negative angle turns the baseline towards -y).
    auto f = font(u"Arial", 30, false, -0.5);
    text(u"Turned", 100, 300, f.get());

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
    auto f = font(u"", 24);
    text(u"Fallback face", 20, 60, f.get());

    const std::string path = written();
    const auto rows = pdf_probe::fonts(path);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].embedded);
    EXPECT_TRUE(rows[0].unicode);
    EXPECT_NE(pdf_probe::text(path).find("Fallback face"), std::string::npos);
}

// ---- pages ------------------------------------------------------------------------------------

TEST_F(PdfWriter, PageSizesComeFromUnitsAndResolution)
{
    add_page(5950, 8420, 720);  // A4: 5950 / 720 inch = 595 points
    add_page(850, 1100, 100);   // Letter
    filled_rect(10, 10, 20, 20, kRed, 2);

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

// Enough pages that the file takes its room from the first ones and spreads its small objects
// over several object streams; every page keeps its own text, link and size.
TEST_F(PdfWriter, LongDocumentsKeepEveryPageTheirTextAndLinks)
{
    constexpr LONG kPages = 60;
    for (LONG p = 1; p <= kPages; ++p) {
        add_page(p % 2 ? 600 : 400, 400, 72);
        auto f = font(u"Liberation Sans", 12, false, 0, p);
        ASSERT_TRUE(f);
        const std::string label = "Sheet " + std::to_string(p) + " body";
        ASSERT_TRUE(text(std::u16string(label.begin(), label.end()), 20, 40, f.get(), kBlack, p));
        auto k = make<IZLink>(zeKindLink, p);
        ASSERT_TRUE(k);
        const std::string url = "https://example.org/p(" + std::to_string(p) + ")";
        com::Bstr u(std::u16string(url.begin(), url.end()));
        ASSERT_EQ(k->put_URL(u.get()), S_OK);
        com::ComPtr<IZRect> rect;
        ASSERT_EQ(k->get_Rect(rect.put()), S_OK);
        set_rect(rect.get(), 10, 10 + p, 110, 30 + p);
    }

    const std::string path = written();
    EXPECT_EQ(report.pages, kPages);
    EXPECT_EQ(pdf_probe::page_count(path), kPages);
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
    const std::string plain = read_all(written(false));
    std::size_t at = 0;
    for (LONG p = 1; p <= kPages; ++p) {
        const std::string uri = "/URI (https://example.org/p\\(" + std::to_string(p) + "\\))";
        const std::size_t found = plain.find(uri, at);
        ASSERT_NE(found, std::string::npos) << p;
        at = found;
    }
}

// ---- links ------------------------------------------------------------------------------------

class PdfLinks : public PdfWriter {
protected:
    void SetUp() override
    {
        PdfWriter::SetUp();
        add_page(5950, 8420, 720);  // 0.1 point a unit; 842 points high
    }
    void link(std::u16string_view url, LONG l, LONG t, LONG r, LONG b)
    {
        auto k = make<IZLink>(zeKindLink);
        ASSERT_TRUE(k);
        com::Bstr u(url);
        ASSERT_EQ(k->put_URL(u.get()), S_OK);
        com::ComPtr<IZRect> rect;
        ASSERT_EQ(k->get_Rect(rect.put()), S_OK);
        set_rect(rect.get(), l, t, r, b);
    }
    // The file uncompressed, so that the annotations can be read as they are written.
    std::string plain() { return read_all(written(false)); }
};

// The four numbers after the first "/Rect [" from `from` on.
std::vector<double> rect_after(const std::string& pdf, std::size_t from)
{
    std::vector<double> v(4, -1);
    const auto at = pdf.find("/Rect [", from);
    if (at == std::string::npos) return {};
    if (std::sscanf(pdf.c_str() + at + 7, "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]) != 4) return {};
    return v;
}

TEST_F(PdfLinks, UriAnnotationCoversTheLinkRectangle)
{
    link(u"https://example.org/report?q=1", 720, 1000, 2165, 1200);

    const std::string pdf = plain();
    const auto uri = pdf.find("/URI (https://example.org/report?q=1)");
    ASSERT_NE(uri, std::string::npos);
    EXPECT_NE(pdf.find("/Subtype /Link"), std::string::npos);
    // x·72/720, and y from the page's bottom: 842 − y·0.1.
    // The link's is the only /Rect of the file.
    const auto rect = rect_after(pdf, 0);
    ASSERT_EQ(rect.size(), 4u);
    EXPECT_NEAR(rect[0], 72, 0.001);
    EXPECT_NEAR(rect[1], 722, 0.001);
    EXPECT_NEAR(rect[2], 216.5, 0.001);
    EXPECT_NEAR(rect[3], 742, 0.001);
}

TEST_F(PdfLinks, EmptyUrlGivesNoAnnotation)
{
    link(u"", 720, 1000, 2160, 1200);
    const std::string pdf = plain();
    EXPECT_EQ(pdf.find("/Annots"), std::string::npos);
    EXPECT_EQ(pdf.find("/Annot"), std::string::npos);
}

TEST_F(PdfLinks, NonAsciiUrlIsPercentEscapedUtf8)
{
    // é is C3 A9 and Ω is CE A9 in UTF-8; the space is escaped too.
    link(u"https://example.org/caf\u00E9 \u03A9", 720, 1000, 2160, 1200);
    const std::string pdf = plain();
    EXPECT_NE(pdf.find("/URI (https://example.org/caf%C3%A9%20%CE%A9)"), std::string::npos);
}

// ---- images -----------------------------------------------------------------------------------

class PdfImages : public PdfShapes {
protected:
    com::ComPtr<IZPlacedImage> place(IZImageResource* image, LONG l, LONG t, LONG r, LONG b)
    {
        auto placed = make<IZPlacedImage>(zeKindPlacedImage);
        if (!placed) return placed;
        EXPECT_EQ(placed->putref_Image(image), S_OK);
        com::ComPtr<IZRect> rect;
        EXPECT_EQ(placed->get_Rect(rect.put()), S_OK);
        set_rect(rect.get(), l, t, r, b);
        return placed;
    }
};

com::Variant byte_array(const std::vector<BYTE>& bytes)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void* data = nullptr;
    if (a && SUCCEEDED(SafeArrayAccessData(a, &data))) {
        std::copy(bytes.begin(), bytes.end(), static_cast<BYTE*>(data));
        SafeArrayUnaccessData(a);
    }
    com::Variant v;
    v->vt = VT_ARRAY | VT_UI1;
    v->parray = a;
    return v;
}

com::Variant colour_array(const std::vector<OLE_COLOR>& colours)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_UI4, 0, static_cast<ULONG>(colours.size()));
    void* data = nullptr;
    if (a && SUCCEEDED(SafeArrayAccessData(a, &data))) {
        std::copy(colours.begin(), colours.end(), static_cast<OLE_COLOR*>(data));
        SafeArrayUnaccessData(a);
    }
    com::Variant v;
    v->vt = VT_ARRAY | VT_UI4;
    v->parray = a;
    return v;
}

TEST_F(PdfImages, PngFileShowsItsPixelsTopRowFirst)
{
    // 20 x 20 in four quarters: red, green over blue, white. Each quarter is ten pixels wide,
    // so that smoothing while scaling up leaves the quarters' middles alone.
    const rgb quarter[2][2] = {{kRedPx, kGreenPx}, {kBluePx, kWhitePx}};
    std::vector<png_byte> pixels;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            for (int c : quarter[y / 10][x / 10]) pixels.push_back(static_cast<png_byte>(c));
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = 20;
    png.height = 20;
    png.format = PNG_FORMAT_RGB;
    const std::string file = dir.file("quarters.png");
    ASSERT_NE(png_image_write_to_file(&png, file.c_str(), 0, pixels.data(), 0, nullptr), 0)
        << png.message;

    auto image = make<IZImageResource>(zeKindImageResource);
    com::Bstr name(wide(file));
    ASSERT_EQ(image->Load(name.get(), -1), S_OK);
    place(image.get(), 100, 100, 300, 300);

    const raster r = rendered(written());
    EXPECT_TRUE(colour_at(r, 150, 150, kRedPx));
    EXPECT_TRUE(colour_at(r, 250, 150, kGreenPx));
    EXPECT_TRUE(colour_at(r, 150, 250, kBluePx));
    EXPECT_TRUE(colour_at(r, 250, 250, kWhitePx));
    EXPECT_TRUE(colour_at(r, 50, 50, kWhitePx));
    EXPECT_TRUE(report.warnings.empty());
}

TEST_F(PdfImages, OneBitPixelsStaySharpWhenScaledUp)
{
    auto image = make<IZImageResource>(zeKindImageResource);
    ASSERT_EQ(image->put_Width(2), S_OK);
    ASSERT_EQ(image->put_Height(2), S_OK);
    ASSERT_EQ(image->put_BitsPerPixel(1), S_OK);
    // Rows padded to a byte, leftmost pixel in the top bit: 1 0 / 0 1, index 1 is white.
    ASSERT_EQ(image->put_Pixels(*byte_array({0x80, 0x40}).get()), S_OK);
    ASSERT_EQ(image->put_Palette(*colour_array({0x000000, 0xFFFFFF}).get()), S_OK);
    place(image.get(), 100, 100, 300, 300);

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
    const std::string file = dir.file("not-there.png");
    auto image = make<IZImageResource>(zeKindImageResource);
    com::Bstr name(wide(file));
    EXPECT_TRUE(FAILED(image->Load(name.get(), -1)));
    place(image.get(), 100, 100, 300, 300);
    filled_rect(400, 100, 500, 200, kRed);

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

TEST_F(PdfWriter, FolderThatDoesNotExistFailsAndCreatesNothing)
{
    add_page(600, 400, 72);
    const std::string folder = dir.file("missing");
    EXPECT_TRUE(FAILED(write(folder + "/out.pdf")));
    EXPECT_FALSE(message.empty());
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(entries(dir.path()).empty());
}

TEST_F(PdfWriter, FailedWriteLeavesTheOldFileAsItWas)
{
    const std::string path = dir.file("out.pdf");
    const std::string old = "%PDF-1.4 the previous file\n";
    std::ofstream(path, std::ios::binary) << old;
    // No pages: nothing to write.
    EXPECT_EQ(write(path), E_INVALIDARG);
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(read_all(path), old);
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"out.pdf"});
}

TEST_F(PdfWriter, SuccessfulWriteReplacesTheFileAndLeavesNothingBeside)
{
    add_page(600, 400, 72);
    filled_rect(20, 20, 120, 80, kRed);
    const std::string path = dir.file("out.pdf");
    std::ofstream(path, std::ios::binary) << "old";
    ASSERT_EQ(write(path), S_OK) << message;
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"out.pdf"});
    EXPECT_EQ(pdf_probe::page_count(path), 1);
    EXPECT_TRUE(pdf_probe::qpdf_check(path));
}

}  // namespace
