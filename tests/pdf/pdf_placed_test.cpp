// Pages placed on pages in the PDF: a page of a PDF file (ours, written first) and a page of a
// stored document, each scaled into its rectangle, and unreadable sources shown as placeholders;
// and the library's elements (a note, a turned stamp) attached and written end to end.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "host/output/pdf/pdf_writer.h"
#include "module/class_map.h"
#include "platform/com/com.h"
#include "tests/pdf/pdf_probe.h"

namespace {

namespace fs = std::filesystem;
using pdf_probe::raster;
using rgb = std::array<int, 3>;

constexpr OLE_COLOR kNoColour = 0xFFFFFFFF;
constexpr OLE_COLOR kGreen = 0x0000FF00, kBlue = 0x00FF0000;  // 0x00BBGGRR
const rgb kWhitePx{255, 255, 255}, kGreenPx{0, 255, 0}, kBluePx{0, 0, 255};
// The placeholder's fill: 0.9 grey.
const rgb kPlaceholderPx{230, 230, 230};

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

std::u16string wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

template <typename I>
com::ComPtr<I> as(IUnknown* object)
{
    com::ComPtr<I> out;
    if (!object) return out;
    EXPECT_EQ(object->QueryInterface(I::iid, out.put_void()), S_OK);
    return out;
}

// One 600 x 400 page at 72 units per inch (a unit is a point and a pixel at 72 dpi), reached
// through its lists.
struct sheet {
    host::document doc;
    com::ComPtr<IZPageObjectList> objects;
    com::ComPtr<IZResourceList> resources;

    sheet()
    {
        EXPECT_EQ(doc.add_page(600, 400, 72), S_OK);
        com::ComPtr<IDispatch> d;
        doc.page_objects(1, d.put());
        objects = as<IZPageObjectList>(d.get());
        d.reset();
        doc.resources(1, d.put());
        resources = as<IZResourceList>(d.get());
    }

    template <typename I>
    com::ComPtr<I> make(LONG kind)
    {
        com::ComPtr<IDispatch> made;
        LONG id = 0;
        if (kind > 100) {
            EXPECT_EQ(resources->Create(kind, made.put()), S_OK);
            EXPECT_EQ(resources->Add(*com::Variant::from_dispatch(made.get()).get(), &id), S_OK);
        } else {
            EXPECT_EQ(objects->Create(kind, made.put()), S_OK);
            EXPECT_EQ(objects->Add(*com::Variant::from_dispatch(made.get()).get(), &id), S_OK);
        }
        return as<I>(made.get());
    }

    void filled_rect(LONG l, LONG t, LONG r, LONG b, OLE_COLOR fill)
    {
        auto s = make<IZShape>(zeKindShape);
        ASSERT_TRUE(s);
        s->put_PaintMode(zeShapePaintFill);
        s->put_FillColor(fill);
        com::ComPtr<IZPath> path;
        s->get_Path(path.put());
        ASSERT_TRUE(path);
        ASSERT_EQ(path->Rectangle(l, t, r, b), S_OK);
    }

    HRESULT write(const std::string& path, host::pdf::write_report* report = nullptr,
                  std::string* message = nullptr)
    {
        return host::pdf::write_pdf(doc.model(), path, {}, report, message);
    }
};

class PlacedPages : public ::testing::Test {
protected:
    pdf_probe::scoped_dir dir;
    host::pdf::write_report report;
    std::string message;

    // Writes `s`, which must pass qpdf's check, and renders it at 72 dpi.
    raster written(sheet& s, const std::string& name = "out.pdf")
    {
        const std::string path = dir.file(name);
        EXPECT_EQ(s.write(path, &report, &message), S_OK) << message;
        std::string check;
        EXPECT_TRUE(pdf_probe::qpdf_check(path, &check)) << check;
        raster r;
        EXPECT_TRUE(pdf_probe::render(path, 1, 72, &r));
        return r;
    }

    // A PDF of our own: green at (100, 50)–(200, 150) of a 600 x 400 point page.
    std::string green_pdf()
    {
        sheet source;
        source.filled_rect(100, 50, 200, 150, kGreen);
        const std::string path = dir.file("green.pdf");
        EXPECT_EQ(source.write(path), S_OK);
        return path;
    }

    com::ComPtr<IZPdfDocument> open_pdf(const std::string& path, HRESULT* hr)
    {
        com::ComPtr<IZPdfDocument> pdf;
        EXPECT_EQ(CoCreateInstance(CLSID_ZPdfDocument, nullptr, 0x17, IZPdfDocument::iid,
                                   pdf.put_void()),
                  S_OK);
        if (!pdf) return pdf;
        com::Bstr file(wide(path)), password(u"");
        *hr = pdf->Open(file.get(), 0, password.get());
        return pdf;
    }

    // The PDF's first page placed at (left, top), width x height on `s`.
    void place_pdf(sheet& s, IZPdfDocument* pdf, LONG left, LONG top, LONG width, LONG height)
    {
        ASSERT_EQ(s.resources->AddObject(pdf), S_OK);
        LONG id = 0;
        ASSERT_EQ(s.resources->Add(*com::Variant::from_unknown(pdf).get(), &id), S_OK);
        com::ComPtr<IZPlacedPdfPage> placed;
        ASSERT_EQ(CoCreateInstance(CLSID_ZPlacedPdfPage, nullptr, 0x17, IZPlacedPdfPage::iid,
                                   placed.put_void()),
                  S_OK);
        ASSERT_EQ(placed->putref_Document(pdf), S_OK);
        ASSERT_EQ(placed->put_PageNumber(1), S_OK);
        ASSERT_EQ(placed->SetPosition(left, top, width, height), S_OK);
        auto element = as<IZElement>(placed.get());
        ASSERT_TRUE(element);
        ASSERT_EQ(s.objects->AddElement(element.get()), S_OK);
        ASSERT_EQ(s.objects->Add(*com::Variant::from_unknown(element.get()).get(), &id), S_OK);
    }
};

// Green at (100, 50)–(200, 150) of 600 x 400, shown in (300, 200)–(600, 400): half size, so
// (350, 225)–(400, 275).
void expect_green_scaled_into_the_lower_right(const raster& r)
{
    EXPECT_TRUE(colour_at(r, 375, 250, kGreenPx));
    EXPECT_TRUE(colour_at(r, 150, 100, kWhitePx));  // not where it was on its own page
    EXPECT_TRUE(colour_at(r, 340, 250, kWhitePx));
    EXPECT_TRUE(colour_at(r, 410, 250, kWhitePx));
    EXPECT_TRUE(colour_at(r, 375, 215, kWhitePx));
    EXPECT_TRUE(colour_at(r, 375, 285, kWhitePx));
}

TEST_F(PlacedPages, PdfPageIsScaledIntoItsRectangle)
{
    HRESULT hr = E_FAIL;
    auto pdf = open_pdf(green_pdf(), &hr);
    ASSERT_TRUE(pdf);
    ASSERT_EQ(hr, S_OK);
    LONG pages = 0;
    ASSERT_EQ(pdf->get_PageCount(&pages), S_OK);
    EXPECT_EQ(pages, 1);
    double width = 0, height = 0;
    ASSERT_EQ(pdf->GetPageSize(1, &width, &height), S_OK);
    EXPECT_NEAR(width, 600, 0.01);
    EXPECT_NEAR(height, 400, 0.01);

    sheet s;
    place_pdf(s, pdf.get(), 300, 200, 300, 200);
    expect_green_scaled_into_the_lower_right(written(s));
    EXPECT_TRUE(report.warnings.empty());
}

TEST_F(PlacedPages, DamagedPdfFailsToOpenAndShowsAPlaceholder)
{
    const std::string good = green_pdf();
    std::string bytes;
    {
        std::ifstream in(good, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(bytes.size(), 100u);
    std::string random(2000, '\0');
    unsigned seed = 12345;
    for (char& c : random) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    const std::vector<std::pair<std::string, std::string>> damaged{
        {"truncated.pdf", bytes.substr(0, bytes.size() / 3)},
        {"random.pdf", random},
        {"empty.pdf", ""},
    };
    std::vector<std::string> files;
    for (const auto& [name, content] : damaged) {
        std::ofstream(dir.file(name), std::ios::binary) << content;
        files.push_back(dir.file(name));
    }
    files.push_back(dir.file("missing.pdf"));

    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        HRESULT hr = S_OK;
        auto pdf = open_pdf(file, &hr);
        ASSERT_TRUE(pdf);
        EXPECT_TRUE(FAILED(hr));
        sheet s;
        place_pdf(s, pdf.get(), 300, 200, 300, 200);
        const raster r = written(s, "placed.pdf");
        EXPECT_FALSE(report.warnings.empty());
        // Off the placeholder's diagonals.
        EXPECT_TRUE(colour_at(r, 450, 220, kPlaceholderPx, 3));
    }
}

// A PDF that opens (its structure is sound) but whose page content is not the deflate data it
// claims to be: only writing finds out.
std::string pdf_with_undecodable_content()
{
    const std::string junk = "this is not deflate data at all";
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 400] /Resources << >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(junk.size()) + " /Filter /FlateDecode >>\nstream\n" + junk +
            "\nendstream",
    };
    std::string out = "%PDF-1.7\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < std::size(objects); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 5\n0000000000 65535 f \n";
    char line[24];
    for (std::size_t at : offsets) {
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", at);
        out += line;
    }
    out += "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

TEST_F(PlacedPages, UndecodableContentIsLeftEmptyWithAWarningAndTheRestIsWritten)
{
    sheet s;  // first: a document registers the engine's classes
    const std::string source = dir.file("undecodable.pdf");
    std::ofstream(source, std::ios::binary) << pdf_with_undecodable_content();
    HRESULT hr = E_FAIL;
    auto pdf = open_pdf(source, &hr);
    ASSERT_TRUE(pdf);
    ASSERT_EQ(hr, S_OK);

    s.filled_rect(10, 10, 100, 100, kGreen);
    place_pdf(s, pdf.get(), 300, 200, 300, 200);
    const raster r = written(s);
    EXPECT_TRUE(colour_at(r, 50, 50, kGreenPx));
    EXPECT_TRUE(colour_at(r, 450, 300, kWhitePx));  // the placed page, drawn empty
    ASSERT_FALSE(report.warnings.empty());
    EXPECT_NE(report.warnings[0].find("left empty"), std::string::npos) << report.warnings[0];
}

TEST_F(PlacedPages, StoredDocumentPageIsScaledIntoItsRectangle)
{
    const std::string stored = dir.file("blue.pjd");
    {
        sheet source;
        source.filled_rect(100, 50, 200, 150, kBlue);
        ASSERT_EQ(source.doc.save(stored, &message), S_OK) << message;
    }
    sheet s;
    auto document = s.make<IZStoredDocument>(zeKindStoredDocument);
    com::Bstr file(wide(stored));
    ASSERT_EQ(document->Load(file.get(), 0), S_OK);
    auto placed = s.make<IZPlacedDocumentPage>(zeKindPlacedDocumentPage);
    ASSERT_EQ(placed->putref_Document(document.get()), S_OK);
    ASSERT_EQ(placed->put_PageNumber(1), S_OK);
    com::ComPtr<IZRect> rect;
    ASSERT_EQ(placed->get_Rect(rect.put()), S_OK);
    rect->put_Left(300);
    rect->put_Top(200);
    rect->put_Right(600);
    rect->put_Bottom(400);

    const raster r = written(s);
    EXPECT_TRUE(colour_at(r, 375, 250, kBluePx));
    EXPECT_TRUE(colour_at(r, 150, 100, kWhitePx));
    EXPECT_TRUE(colour_at(r, 340, 250, kWhitePx));
    EXPECT_TRUE(colour_at(r, 375, 285, kWhitePx));
    EXPECT_TRUE(report.warnings.empty());
}

TEST_F(PlacedPages, StoredDocumentThatDidNotLoadShowsAPlaceholder)
{
    sheet s;
    auto document = s.make<IZStoredDocument>(zeKindStoredDocument);
    com::Bstr file(wide(dir.file("missing.pjd")));
    EXPECT_TRUE(FAILED(document->Load(file.get(), 0)));
    auto placed = s.make<IZPlacedDocumentPage>(zeKindPlacedDocumentPage);
    ASSERT_EQ(placed->putref_Document(document.get()), S_OK);
    ASSERT_EQ(placed->put_PageNumber(1), S_OK);
    com::ComPtr<IZRect> rect;
    ASSERT_EQ(placed->get_Rect(rect.put()), S_OK);
    rect->put_Left(300);
    rect->put_Top(200);
    rect->put_Right(600);
    rect->put_Bottom(400);

    const raster r = written(s);
    EXPECT_EQ(report.warnings.size(), 1u);
    EXPECT_TRUE(colour_at(r, 450, 220, kPlaceholderPx, 3));
}

// ---- elements ---------------------------------------------------------------------------------

class PdfElements : public PlacedPages {
protected:
    void SetUp() override { ASSERT_EQ(cnt::module::register_classes(), S_OK); }
    void TearDown() override { cnt::module::revoke_classes(); }

    // Created by ProgID and attached to the page as the tools attach it.
    template <typename I>
    com::ComPtr<I> element(sheet& s, const char16_t* progid)
    {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(progid, &clsid), S_OK);
        com::ComPtr<I> made;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.put_void()),
                  S_OK);
        auto e = as<IZElement>(made.get());
        if (!e) return made;
        com::ComPtr<IDispatch> objects, resources, document;
        s.doc.page_objects(1, objects.put());
        s.doc.resources(1, resources.put());
        s.doc.dispatch(document.put());
        EXPECT_EQ(e->Attach(objects.get(), resources.get(), document.get()), S_OK);
        return made;
    }
};

TEST_F(PdfElements, NoteAndTurnedStampAreWrittenAsTheyShow)
{
    constexpr OLE_COLOR kInk = 0x202020, kPale = 0x00CCFFFF, kOrange = 0x000080FF;
    constexpr OLE_COLOR kStampFill = 0x00FFC080, kRed = 0x001C1CC8;
    constexpr int kScale = 4;  // rendered at 288 dpi: four pixels a unit
    sheet s;

    auto note = element<IZCntElementNote>(s, u"Orvane.ZCntElementNote.1");
    ASSERT_TRUE(note);
    ASSERT_EQ(note->SetPosition(40, 40, 240, 120), S_OK);
    com::Bstr body(u"Check the figures"), face(u"Arial");
    ASSERT_EQ(note->SetNoteData(body.get(), kInk, face.get(), 110, VARIANT_FALSE, VARIANT_FALSE,
                                kPale, kOrange, zeCntNoteStyleRectangle, VARIANT_FALSE,
                                VARIANT_FALSE, 0),
              S_OK);

    auto stamp = element<IZCntElementStamp>(s, u"Orvane.ZCntElementStamp.1");
    ASSERT_TRUE(stamp);
    ASSERT_EQ(stamp->SetPosition(100, 220, 450, 100), S_OK);
    com::Bstr header(u"APPROVED"), content(u"Finance");
    constexpr SHORT kInclination = 15;
    ASSERT_EQ(stamp->SetStampData(header.get(), kRed, face.get(), 60, VARIANT_TRUE, VARIANT_FALSE,
                                  content.get(), kRed, face.get(), VARIANT_FALSE, VARIANT_FALSE,
                                  kStampFill, kRed, zeCntStampStyleRectangle, VARIANT_FALSE, 0,
                                  kInclination),
              S_OK);

    const std::string path = dir.file("elements.pdf");
    ASSERT_EQ(s.write(path, &report, &message), S_OK) << message;
    std::string check;
    EXPECT_TRUE(pdf_probe::qpdf_check(path, &check)) << check;
    EXPECT_NE(pdf_probe::text(path).find("Check the figures"), std::string::npos)
        << pdf_probe::text(path);
    const auto raw = pdf_probe::run({"pdftotext", "-raw", "-enc", "UTF-8", path, "-"});
    EXPECT_NE(raw.out.find("APPROVED"), std::string::npos) << raw.out;

    raster r;
    ASSERT_TRUE(pdf_probe::render(path, 1, 72 * kScale, &r));
    // The note's border is one unit wide about its edge: the pixels either side of the left edge
    // at mid height lie under it.
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(note->GetPosition(&left, &top, &width, &height), S_OK);
    const int mid = kScale * (top + height / 2);
    EXPECT_TRUE(colour_at(r, kScale * left, mid, {255, 128, 0}));
    EXPECT_TRUE(colour_at(r, kScale * left - 1, mid, {255, 128, 0}));
    EXPECT_TRUE(colour_at(r, kScale * left + 8, mid, {255, 255, 204}));

    // The stamp turns about its bottom-left corner by the inclination, rising to the right.
    // Its texts are centred, so a point at mid height a tenth in from the left shows only fill.
    ASSERT_EQ(stamp->GetPosition(&left, &top, &width, &height), S_OK);
    const double a = -kInclination * 3.14159265358979 / 180;
    const double dx = width / 10.0, dy = -height / 2.0;  // from the bottom-left corner
    const double x = left + dx * std::cos(a) - dy * std::sin(a);
    const double y = top + height + dx * std::sin(a) + dy * std::cos(a);
    EXPECT_TRUE(colour_at(r, static_cast<int>(kScale * x), static_cast<int>(kScale * y),
                          {0x80, 0xC0, 0xFF}));
    // Near the unturned frame's bottom-right corner: turned, the frame has risen away from it.
    EXPECT_TRUE(colour_at(r, kScale * (left + width - 10), kScale * (top + height - 10), kWhitePx));
}

}  // namespace
