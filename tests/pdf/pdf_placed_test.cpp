// Pages placed on pages in the PDF: a page of a PDF file (ours, written first) and a page of a
// stored document, each scaled into its rectangle, and unreadable sources shown as placeholders;
// and the library's elements (a note, a turned stamp) attached and written end to end.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <qpdf/QPDF.hh>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "host/output/pdf/pdf_writer.h"
#include "module/class_map.h"
#include "platform/com/com.h"
#include "tests/pdf/pdf_probe.h"
#include "tests/road/support.h"

namespace {

using pdf_probe::colour_at;
using pdf_probe::raster;
using rgb = std::array<int, 3>;

constexpr OLE_COLOR kGreen = 0x0000FF00, kBlue = 0x00FF0000;  // 0x00BBGGRR
const rgb kWhitePx{255, 255, 255}, kGreenPx{0, 255, 0}, kBluePx{0, 0, 255};
// The placeholder's fill: 0.9 grey.
const rgb kPlaceholderPx{230, 230, 230};

std::u16string wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

using road::as;

template <typename I>
com::ComPtr<I> create(const CLSID& clsid)
{
    com::ComPtr<I> out;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, out.put_void()), S_OK);
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
        com::ComPtr<IDispatch> o, r;
        doc.page_objects(1, o.put());
        doc.resources(1, r.put());
        objects = as<IZPageObjectList>(o.get());
        resources = as<IZResourceList>(r.get());
    }

    template <typename I>
    com::ComPtr<I> make(LONG kind)
    {
        return road::make<I>(doc, kind);
    }

    void filled_rect(LONG l, LONG t, LONG r, LONG b, OLE_COLOR fill)
    {
        road::filled_rect(doc, l, t, r, b, fill);
    }
};

class PlacedPages : public ::testing::Test {
protected:
    pdf_probe::scoped_dir dir;
    host::pdf::write_report report;
    std::string message;

    HRESULT write(sheet& s, const std::string& path, const host::pdf::write_options& options = {})
    {
        report = {};
        return host::pdf::write_pdf(s.doc.model(), path, options, &report, &message);
    }
    // Writes `s`, which must pass qpdf's check, and renders it at `dpi`.
    raster written(sheet& s, const std::string& name = "out.pdf", int dpi = 72,
                   const host::pdf::write_options& options = {})
    {
        const std::string path = dir.file(name);
        EXPECT_EQ(write(s, path, options), S_OK) << message;
        std::string check;
        EXPECT_TRUE(pdf_probe::qpdf_check(path, &check)) << check;
        raster r;
        EXPECT_TRUE(pdf_probe::render(path, 1, dpi, &r));
        return r;
    }

    // A PDF of our own: green at (100, 50)–(200, 150) of a 600 x 400 point page.
    std::string green_pdf()
    {
        sheet source;
        source.filled_rect(100, 50, 200, 150, kGreen);
        const std::string path = dir.file("green.pdf");
        EXPECT_EQ(write(source, path), S_OK);
        return path;
    }

    com::ComPtr<IZPdfDocument> open_pdf(const std::string& path, HRESULT* hr)
    {
        auto pdf = create<IZPdfDocument>(CLSID_ZPdfDocument);
        if (!pdf) return pdf;
        com::Bstr file(wide(path)), password(u"");
        *hr = pdf->Open(file.get(), 0, password.get());
        return pdf;
    }

    // A PDF written by hand from its objects into `name`, opened.
    com::ComPtr<IZPdfDocument> open_hand_pdf(const std::string& name,
                                             const std::vector<std::string>& objects)
    {
        const std::string path = dir.file(name);
        std::ofstream(path, std::ios::binary) << pdf_probe::hand_pdf(objects);
        HRESULT hr = E_FAIL;
        auto pdf = open_pdf(path, &hr);
        EXPECT_EQ(hr, S_OK);
        if (FAILED(hr)) pdf.reset();
        return pdf;
    }

    // A page of the PDF (the first unless told) placed in a rectangle of `s`, (300, 200)–(600,
    // 400) unless told; the PDF is one of the page's resources unless `placed_out` is given, which
    // then gets the placed page.
    void place_pdf(sheet& s, IZPdfDocument* pdf, LONG page = 1,
                   std::array<LONG, 4> at = {300, 200, 300, 200},
                   com::ComPtr<IZPlacedPdfPage>* placed_out = nullptr)
    {
        LONG id = 0;
        if (!placed_out) {
            ASSERT_EQ(s.resources->AddObject(pdf), S_OK);
            ASSERT_EQ(s.resources->Add(*com::Variant::from_unknown(pdf).get(), &id), S_OK);
        }
        auto placed = create<IZPlacedPdfPage>(CLSID_ZPlacedPdfPage);
        ASSERT_TRUE(placed);
        if (placed_out) *placed_out = placed;
        ASSERT_EQ(placed->putref_Document(pdf), S_OK);
        ASSERT_EQ(placed->put_PageNumber(page), S_OK);
        ASSERT_EQ(placed->SetPosition(at[0], at[1], at[2], at[3]), S_OK);
        auto element = as<IZElement>(placed.get());
        ASSERT_TRUE(element);
        ASSERT_EQ(s.objects->AddElement(element.get()), S_OK);
        ASSERT_EQ(s.objects->Add(*com::Variant::from_unknown(element.get()).get(), &id), S_OK);
    }
};

// A square at (100, 50)–(200, 150) of 600 x 400, shown in (300, 200)–(600, 400): half size, so
// (350, 225)–(400, 275).
void expect_scaled_into_the_lower_right(const raster& r, rgb colour)
{
    EXPECT_TRUE(colour_at(r, 375, 250, colour));
    EXPECT_TRUE(colour_at(r, 352, 227, colour));
    EXPECT_TRUE(colour_at(r, 398, 273, colour));
    for (auto [x, y] : std::vector<std::pair<int, int>>{
             {150, 100} /* not where it was on its own page */, {340, 250}, {410, 250},
             {375, 215}, {375, 285}})
        EXPECT_TRUE(colour_at(r, x, y, kWhitePx)) << x << ", " << y;
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
    place_pdf(s, pdf.get());
    expect_scaled_into_the_lower_right(written(s), kGreenPx);
    EXPECT_TRUE(report.warnings.empty());
}

TEST_F(PlacedPages, DamagedPdfFailsToOpenAndShowsAPlaceholder)
{
    const std::string bytes = pdf_probe::read_all(green_pdf());
    ASSERT_GT(bytes.size(), 100u);
    std::string random(2000, '\0');
    unsigned seed = 12345;
    for (char& c : random) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    const std::vector<std::pair<std::string, std::string>> damaged{
        {"truncated.pdf", bytes.substr(0, bytes.size() / 3)},
        {"random.pdf", random},
        {"empty.pdf", ""},
        {"missing.pdf", ""},
    };
    for (const auto& [name, content] : damaged) {
        SCOPED_TRACE(name);
        if (name != "missing.pdf") std::ofstream(dir.file(name), std::ios::binary) << content;
        HRESULT hr = S_OK;
        auto pdf = open_pdf(dir.file(name), &hr);
        ASSERT_TRUE(pdf);
        EXPECT_TRUE(FAILED(hr));
        sheet s;
        place_pdf(s, pdf.get());
        const raster r = written(s, "placed.pdf");
        EXPECT_FALSE(report.warnings.empty());
        // Off the placeholder's diagonals.
        EXPECT_TRUE(colour_at(r, 450, 220, kPlaceholderPx, 3));
    }
}

// A PDF that opens (its structure is sound) but whose page content is not the deflate data it
// claims to be: only writing finds out.
TEST_F(PlacedPages, UndecodableContentIsLeftEmptyWithAWarningAndTheRestIsWritten)
{
    sheet s;  // first: a document registers the engine's classes
    const std::string junk = "this is not deflate data at all";
    auto pdf = open_hand_pdf("undecodable.pdf", {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 400] /Resources << >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(junk.size()) + " /Filter /FlateDecode >>\nstream\n" + junk +
            "\nendstream",
    });
    ASSERT_TRUE(pdf);

    s.filled_rect(10, 10, 100, 100, kGreen);
    place_pdf(s, pdf.get());
    const raster r = written(s);
    EXPECT_TRUE(colour_at(r, 50, 50, kGreenPx));
    EXPECT_TRUE(colour_at(r, 450, 300, kWhitePx));  // the placed page, drawn empty
    ASSERT_FALSE(report.warnings.empty());
    EXPECT_NE(report.warnings[0].find("left empty"), std::string::npos) << report.warnings[0];
}

// A page that takes its turn and its resources from the page tree and whose content is two
// streams, the first ending inside an operation ("0 0 1" + "rg"): it shows turned upright, the
// inherited form drawn in the colour the streams set together. The page is 400 x 600 with a
// square at its lower left; turned a quarter clockwise it is 600 x 400 with the square at its
// upper left, and placed at half size in (300, 200)-(600, 400) that is (300, 200)-(350, 250).
TEST_F(PlacedPages, TurnedPageWithInheritedResourcesAndSplitContentShowsUpright)
{
    sheet s;
    const std::string first = "q 0 0 1", second = "rg /X0 Do Q", square = "0 0 100 100 re f";
    auto pdf = open_hand_pdf("turned.pdf", {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 /Rotate 90 /MediaBox [0 0 400 600]"
        " /Resources << /XObject << /X0 6 0 R >> >> >>",
        "<< /Type /Page /Parent 2 0 R /Contents [4 0 R 5 0 R] >>",
        "<< /Length " + std::to_string(first.size()) + " >>\nstream\n" + first + "\nendstream",
        "<< /Length " + std::to_string(second.size()) + " >>\nstream\n" + second + "\nendstream",
        "<< /Type /XObject /Subtype /Form /BBox [0 0 100 100] /Length " +
            std::to_string(square.size()) + " >>\nstream\n" + square + "\nendstream",
    });
    ASSERT_TRUE(pdf);
    place_pdf(s, pdf.get());
    const raster r = written(s);
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_TRUE(colour_at(r, 325, 225, kBluePx));
    EXPECT_TRUE(colour_at(r, 302, 248, kBluePx));
    for (auto [x, y] : std::vector<std::pair<int, int>>{{375, 225}, {325, 275}, {325, 375}})
        EXPECT_TRUE(colour_at(r, x, y, kWhitePx)) << x << ", " << y;
}

// A damaged page whose group is the page tree and whose resources name the page itself: what
// refers to pages is not copied (it becomes null), and the rest of the page still shows.
TEST_F(PlacedPages, ReferencesToPagesAreLeftOutOfThePlacedCopy)
{
    sheet s;
    const std::string content = "0 0 1 rg 0 0 600 400 re f";
    auto pdf = open_hand_pdf("self.pdf", {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 400] /Group 2 0 R"
        " /Resources << /XObject << /P 3 0 R /T 2 0 R >> >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
    });
    ASSERT_TRUE(pdf);
    place_pdf(s, pdf.get());
    const raster r = written(s);
    EXPECT_TRUE(colour_at(r, 450, 300, kBluePx));
    EXPECT_TRUE(colour_at(r, 150, 100, kWhitePx));
}

// Two pages of one file share a form; a second file has a form of its own under the same
// object number. Each object of each file is written once, and the two files' objects are
// kept apart: each square shows in its own colour, and the output holds two such forms.
TEST_F(PlacedPages, ObjectsOfPlacedFilesAreWrittenOnceEachAndKeptApart)
{
    sheet s;
    const std::string draw = "/X0 Do";
    auto square = [](const char* colour) {
        const std::string content = std::string(colour) + " rg 0 0 100 100 re f";
        return "<< /Type /XObject /Subtype /Form /BBox [0 0 100 100] /Length " +
               std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
    };
    const std::string contents =
        "<< /Length " + std::to_string(draw.size()) + " >>\nstream\n" + draw + "\nendstream";
    auto two = open_hand_pdf("two.pdf", {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 2 /MediaBox [0 0 600 400] >>",
        "<< /Type /Page /Parent 2 0 R /Resources << /XObject << /X0 5 0 R >> >> /Contents 4 0 R >>",
        contents,
        square("0 0 1"),
        "<< /Type /Page /Parent 2 0 R /Resources << /XObject << /X0 5 0 R >> >> /Contents 4 0 R >>",
    });
    auto other = open_hand_pdf("other.pdf", {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 600 400] >>",
        "<< /Type /Page /Parent 2 0 R /Resources << /XObject << /X0 5 0 R >> >> /Contents 4 0 R >>",
        contents,
        square("0 1 0"),
    });
    ASSERT_TRUE(two && other);
    place_pdf(s, two.get(), 1, {0, 0, 300, 200});
    place_pdf(s, two.get(), 2, {300, 0, 300, 200});
    place_pdf(s, other.get(), 1, {0, 200, 300, 200});
    const raster r = written(s);
    EXPECT_TRUE(report.warnings.empty());
    // Each source square lands in the lower left 50 x 50 of its half-size rectangle.
    EXPECT_TRUE(colour_at(r, 25, 175, kBluePx));
    EXPECT_TRUE(colour_at(r, 325, 175, kBluePx));
    EXPECT_TRUE(colour_at(r, 25, 375, kGreenPx));
    EXPECT_TRUE(colour_at(r, 450, 300, kWhitePx));

    QPDF written_file;
    written_file.processFile(dir.file("out.pdf").c_str());
    int squares = 0;
    for (QPDFObjectHandle o : written_file.getAllObjects())
        if (o.isStream() && o.getDict().getKey("/BBox").unparse() == "[ 0 0 100 100 ]") ++squares;
    EXPECT_EQ(squares, 2);
}

// One opened file placed by two documents written on two threads at once: each comes out as
// it does written alone. The pages' content streams are long and differ throughout, so that a
// read of one write that strays into the other's shows.
TEST_F(PlacedPages, OneFilePlacedByTwoDocumentsWrittenOnTwoThreadsAtOnce)
{
    std::array<sheet, 2> sheets;
    constexpr int kPages = 8, kLines = 20000;
    std::vector<std::string> objects{"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (int page = 0; page < kPages; ++page) {
        std::string content;
        for (int line = 0; line < kLines; ++line) content += "% " + std::to_string(page * kLines + line) + "\n";
        kids += std::to_string(objects.size() + 1) + " 0 R ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 400] /Contents " +
                          std::to_string(objects.size() + 2) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                          "\nendstream");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(kPages) + " >>";
    auto pdf = open_hand_pdf("long.pdf", objects);
    ASSERT_TRUE(pdf);
    // In opposite orders, so that the two writes read different streams at the same time.
    for (LONG page = 1; page <= kPages; ++page) {
        place_pdf(sheets[0], pdf.get(), page);
        place_pdf(sheets[1], pdf.get(), kPages + 1 - page);
    }
    host::pdf::write_options plain;
    plain.compress = false;  // the placed bytes as they were read
    auto write = [&](int i, std::string* out) {
        return host::pdf::write_pdf_bytes(sheets[i].doc.model(), plain, out, nullptr, nullptr);
    };
    std::array<std::string, 2> alone;
    for (int i : {0, 1}) ASSERT_EQ(write(i, &alone[i]), S_OK);
    for (int round = 0; round < 8; ++round) {
        // Opened again, so that the two writes are the first to read the file's objects.
        com::Bstr file(wide(dir.file("long.pdf"))), none(u"");
        ASSERT_EQ(pdf->Open(file.get(), 0, none.get()), S_OK);
        std::array<std::string, 2> out;
        HRESULT second = E_FAIL;
        std::thread other([&] { second = write(1, &out[1]); });
        EXPECT_EQ(write(0, &out[0]), S_OK);
        other.join();
        EXPECT_EQ(second, S_OK);
        EXPECT_TRUE(out == alone) << "round " << round;
    }
}

// A file written over after it was opened and opened again: each opening shows what it read,
// though both name the same path.
// A page filled with one colour, its content stream padded with `padding` spaces: past 16 MB,
// qpdf reads the file itself instead of the bytes read whole.
std::string filled_page_pdf(const char* colour, std::size_t padding)
{
    const std::string content = std::string(padding, ' ') + colour + " rg 0 0 600 400 re f";
    return pdf_probe::hand_pdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 400] /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
    });
}

TEST_F(PlacedPages, AFileChangedSinceItWasOpenedShowsWhatWasRead)
{
    for (const std::size_t padding : {std::size_t{0}, std::size_t{17} << 20}) {
        SCOPED_TRACE(padding);
        sheet s;
        const std::string path = dir.file("changing.pdf");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << filled_page_pdf("0 1 0", padding);
        HRESULT hr = E_FAIL;
        auto before = open_pdf(path, &hr);
        ASSERT_EQ(hr, S_OK);
        // Replaced as the writers here and most editors replace a file: a new one renamed over it.
        // (qpdf reads a large file as it goes, so one rewritten in place shows what it holds then.)
        std::ofstream(path + ".new", std::ios::binary) << filled_page_pdf("0 0 1", padding);
        ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
        auto after = open_pdf(path, &hr);
        ASSERT_EQ(hr, S_OK);
        place_pdf(s, before.get(), 1, {0, 0, 300, 200});
        place_pdf(s, after.get(), 1, {300, 0, 300, 200});
        const raster r = written(s);
        EXPECT_TRUE(colour_at(r, 150, 100, kGreenPx));
        EXPECT_TRUE(colour_at(r, 450, 100, kBluePx));
    }
}

// A progress callback that closes the placed file before the write is done, by opening it
// again on a file that is not there or by letting go of it altogether: the write goes on with
// the file as it was opened.
TEST_F(PlacedPages, AFileClosedDuringTheWriteShowsWhatWasOpened)
{
    for (const bool let_go : {false, true}) {
        SCOPED_TRACE(let_go ? "let go" : "opened again");
        sheet s;
        HRESULT hr = E_FAIL;
        auto pdf = open_pdf(green_pdf(), &hr);
        ASSERT_EQ(hr, S_OK);
        com::ComPtr<IZPlacedPdfPage> placed;
        place_pdf(s, pdf.get(), 1, {300, 200, 300, 200}, &placed);
        host::pdf::write_options options;
        options.progress = [&](LONG, LONG) {
            if (let_go) {
                placed->putref_Document(nullptr);
                pdf.reset();
            } else {
                com::Bstr gone(wide(dir.file("gone.pdf"))), none(u"");
                EXPECT_TRUE(FAILED(pdf->Open(gone.get(), 0, none.get())));
            }
        };
        expect_scaled_into_the_lower_right(written(s, "closed.pdf", 72, options), kGreenPx);
        EXPECT_TRUE(report.warnings.empty()) << report.warnings[0];
    }
}

// A page of a stored document that loaded is scaled into its rectangle; one that did not load
// shows a placeholder and a warning.
TEST_F(PlacedPages, StoredDocumentPageIsScaledIntoItsRectangleOrAPlaceholder)
{
    const std::string stored = dir.file("blue.pjd");
    {
        sheet source;
        source.filled_rect(100, 50, 200, 150, kBlue);
        ASSERT_EQ(source.doc.save(stored, &message), S_OK) << message;
    }
    for (bool loads : {true, false}) {
        SCOPED_TRACE(loads ? "stored" : "missing");
        sheet s;
        auto document = s.make<IZStoredDocument>(zeKindStoredDocument);
        com::Bstr file(wide(loads ? stored : dir.file("missing.pjd")));
        EXPECT_EQ(SUCCEEDED(document->Load(file.get(), 0)), loads);
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
        if (loads) {
            expect_scaled_into_the_lower_right(r, kBluePx);
            EXPECT_TRUE(report.warnings.empty());
        } else {
            EXPECT_EQ(report.warnings.size(), 1u);
            EXPECT_TRUE(colour_at(r, 450, 220, kPlaceholderPx, 3));
        }
    }
}

// ---- elements ---------------------------------------------------------------------------------

class PdfElements : public PlacedPages {
protected:
    void SetUp() override { ASSERT_EQ(cnt::module::register_classes(), S_OK); }
    void TearDown() override { cnt::module::revoke_classes(); }

    // Created by ProgID and attached to the page as the tools attach it.
    template <typename I>
    static com::ComPtr<I> element(sheet& s, const char16_t* progid)
    {
        auto made = road::create<I>(progid);
        EXPECT_TRUE(made && road::attach(made.get(), s.doc) == S_OK) << "attached";
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

    const raster r = written(s, "elements.pdf", 72 * kScale);
    const std::string path = dir.file("elements.pdf");
    EXPECT_NE(pdf_probe::text(path).find("Check the figures"), std::string::npos)
        << pdf_probe::text(path);
    const auto raw = pdf_probe::run({"pdftotext", "-raw", "-enc", "UTF-8", path, "-"});
    EXPECT_NE(raw.out.find("APPROVED"), std::string::npos) << raw.out;

    // The note's border is one unit wide, drawn as a hairline on its edge: the pixel on the left
    // edge at mid height is the border's, the one beside it outside is paper.
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(note->GetPosition(&left, &top, &width, &height), S_OK);
    const int mid = kScale * (top + height / 2);
    EXPECT_TRUE(colour_at(r, kScale * left, mid, {255, 128, 0}));
    EXPECT_TRUE(colour_at(r, kScale * left - 2, mid, {255, 255, 255}));
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
