// Text marks as they show in the written PDF: a line of black text on a white page, a mark over
// its first three words, and the page rendered by poppler at 72 dpi, where one pixel is one
// point and ten page units. Pixel places come from the words' boxes the page recognised.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "contentelements/cnt_textmark.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "host/model/document_object.h"
#include "host/output/pdf/pdf_writer.h"
#include "module/class_map.h"
#include "platform/com/com.h"
#include "tests/pdf/pdf_probe.h"

namespace {

constexpr LONG kResolution = 720;
constexpr LONG kUnitsPerPixel = 10;  // at 72 dpi
constexpr LONG kTextLeft = 1000;
constexpr LONG kBaseline = 1500;
constexpr char16_t kText[] = u"Highlight this sentence please";

using rgb = std::array<int, 3>;
constexpr rgb kWhite{255, 255, 255};

// Half of `colour` over white, as a mark at 50 % transparency shows on empty paper.
rgb half_over_white(int r, int g, int b)
{
    return {(255 + r) / 2, (255 + g) / 2, (255 + b) / 2};
}

void expect_near(const rgb& seen, const rgb& expected, const std::string& where)
{
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(seen[c], expected[c], 3) << where << " channel " << c;
}

struct mean_colour {
    double r = 0, g = 0, b = 0;
};

// Pixel columns and rows lying wholly inside [from, to) page units.
int first_inside(LONG from)
{
    return static_cast<int>((from + kUnitsPerPixel - 1) / kUnitsPerPixel);
}
int end_inside(LONG to) { return static_cast<int>(to / kUnitsPerPixel); }

mean_colour mean_over(const pdf_probe::raster& r, LONG left, LONG top, LONG right, LONG bottom)
{
    mean_colour m;
    int n = 0;
    for (int y = first_inside(top); y < end_inside(bottom); ++y)
        for (int x = first_inside(left); x < end_inside(right); ++x) {
            const rgb p = r.at(x, y);
            m.r += p[0];
            m.g += p[1];
            m.b += p[2];
            ++n;
        }
    EXPECT_GT(n, 0);
    if (n) {
        m.r /= n;
        m.g /= n;
        m.b /= n;
    }
    return m;
}

class TextMarkPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (pdf_probe::run({"pdftoppm", "-v"}).status == 127)
            GTEST_SKIP() << "pdftoppm is not installed";
        ASSERT_EQ(cnt::module::register_classes(), S_OK);
        registered_ = true;
        ASSERT_FALSE(dir_.path().empty());
    }
    void TearDown() override
    {
        if (registered_) cnt::module::revoke_classes();
    }

    // Letter size, ten units to the point, the sentence in 12 pt Arial on `baseline`; the
    // page's words recognised.
    void make_page(host::document& doc, LONG baseline)
    {
        ASSERT_EQ(doc.add_page(6120, 7920, kResolution), S_OK);
        com::ComPtr<IDispatch> o, r;
        ASSERT_EQ(doc.page_objects(1, o.put()), S_OK);
        ASSERT_EQ(doc.resources(1, r.put()), S_OK);
        com::ComPtr<IZPageObjectList> objects;
        com::ComPtr<IZResourceList> resources;
        ASSERT_EQ(o->QueryInterface(IZPageObjectList::iid, objects.put_void()), S_OK);
        ASSERT_EQ(r->QueryInterface(IZResourceList::iid, resources.put_void()), S_OK);
        com::ComPtr<IDispatch> made_font, made_text;
        ASSERT_EQ(resources->Create(zeKindFont, made_font.put()), S_OK);
        ASSERT_EQ(objects->Create(zeKindTextObject, made_text.put()), S_OK);
        com::ComPtr<IZFont> font;
        com::ComPtr<IZTextObject> line;
        made_font->QueryInterface(IZFont::iid, font.put_void());
        made_text->QueryInterface(IZTextObject::iid, line.put_void());
        com::Bstr face(u"Arial"), body(kText);
        font->put_FaceName(face.get());
        font->put_Size(120);
        line->put_Text(body.get());
        line->put_X(kTextLeft);
        line->put_Y(baseline);
        line->putref_Font(font.get());
        VARIANT v{};
        v.vt = VT_UNKNOWN;
        LONG id = 0;
        v.punkVal = font.get();
        ASSERT_EQ(resources->Add(v, &id), S_OK);
        v.punkVal = line.get();
        ASSERT_EQ(objects->Add(v, &id), S_OK);
        LONG added = 0;
        ASSERT_EQ(doc.recognise_words(1, &added), S_OK);
        ASSERT_EQ(added, 4);
    }

    // A text mark made by its ProgID over words 1 to 3.
    void mark(host::document& doc, ZeCntMarkTextStyle style, OLE_COLOR colour)
    {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(u"Orvane.ZCntElementTextMark.1", &clsid), S_OK);
        com::ComPtr<IZCntElementTextMark> m;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                   IZCntElementTextMark::iid, m.put_void()),
                  S_OK);
        com::ComPtr<IZElement> element;
        ASSERT_EQ(m->QueryInterface(IZElement::iid, element.put_void()), S_OK);
        com::ComPtr<IDispatch> objects, resources, document, p, view, range;
        doc.page_objects(1, objects.put());
        doc.resources(1, resources.put());
        doc.dispatch(document.put());
        ASSERT_EQ(element->Attach(objects.get(), resources.get(), document.get()), S_OK);
        ASSERT_EQ(doc.page(1, p.put()), S_OK);
        com::ComPtr<IZPrintContentPage> page;
        ASSERT_EQ(p->QueryInterface(IZPrintContentPage::iid, page.put_void()), S_OK);
        ASSERT_EQ(page->get_DocumentView(view.put()), S_OK);
        ASSERT_EQ(page->CreateTextRange(1, 3, range.put()), S_OK);
        ASSERT_EQ(m->MarkText(view.get(), range.get(), style, colour), S_OK);
    }

    pdf_probe::raster render(const host::document& doc)
    {
        const std::string pdf = dir_.file("mark" + std::to_string(++count_) + ".pdf");
        std::string message;
        host::pdf::write_report report;
        EXPECT_EQ(host::pdf::write_pdf(doc.model(), pdf, {}, &report, &message), S_OK) << message;
        EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
        pdf_probe::raster out;
        EXPECT_TRUE(pdf_probe::render(pdf, 1, 72, &out));
        return out;
    }

    static const std::vector<host::word>& words_of(const host::document& doc)
    {
        return doc.model()->pages()[0]->words();
    }

    // A pixel column wholly inside the space after word `i` (0-based).
    static int gap_column(const std::vector<host::word>& w, std::size_t i)
    {
        const int x = first_inside(w[i].right);
        EXPECT_LE((x + 1) * kUnitsPerPixel, w[i + 1].left) << "no whole pixel between words";
        return x;
    }

    // The baseline closest below kBaseline that puts page units `offset` below the baseline on a
    // pixel boundary, so that a one-point band covers exactly one pixel row.
    static LONG aligned_baseline(LONG offset)
    {
        const LONG at = kBaseline + offset;
        return kBaseline + (kUnitsPerPixel - at % kUnitsPerPixel) % kUnitsPerPixel;
    }

    pdf_probe::scoped_dir dir_;
    int count_ = 0;
    bool registered_ = false;
};

TEST_F(TextMarkPdf, AHighlightTintsTheMarkedWordsYellowAtHalfStrength)
{
    host::document plain, marked;
    make_page(plain, kBaseline);
    make_page(marked, kBaseline);
    ASSERT_FALSE(HasFatalFailure());
    mark(marked, zeCntMarkTextHighlight, 0x00FFFF);
    ASSERT_FALSE(HasFatalFailure());
    const pdf_probe::raster before = render(plain), after = render(marked);
    const auto& w = words_of(marked);
    ASSERT_EQ(w.size(), 4u);
    const LONG top = w[0].top, bottom = w[0].bottom;

    // In the spaces inside the marked run there is no ink: only the mark over white paper.
    const rgb yellow = half_over_white(255, 255, 0);
    for (std::size_t gap : {0u, 1u}) {
        const int x = gap_column(w, gap);
        for (int y = first_inside(top); y < end_inside(bottom); ++y) {
            expect_near(after.at(x, y), yellow,
                        "space " + std::to_string(gap) + " row " + std::to_string(y));
            EXPECT_EQ(before.at(x, y), kWhite);
        }
    }
    // The space after the last marked word, and the rows above and below the box, stay white.
    const int after_last = gap_column(w, 2);
    for (int y = first_inside(top); y < end_inside(bottom); ++y)
        EXPECT_EQ(after.at(after_last, y), kWhite) << "row " << y;
    for (int x = first_inside(w[0].left); x < end_inside(w[2].right); ++x) {
        EXPECT_EQ(after.at(x, end_inside(top) - 1), kWhite) << "above, column " << x;
        EXPECT_EQ(after.at(x, first_inside(bottom)), kWhite) << "below, column " << x;
    }

    // Over the words themselves: without the mark black ink on white is neutral grey; with it
    // blue drops well below red and green.
    const mean_colour grey = mean_over(before, w[0].left, top, w[2].right, bottom);
    const mean_colour tinted = mean_over(after, w[0].left, top, w[2].right, bottom);
    EXPECT_NEAR(grey.r, grey.b, 1.0);
    EXPECT_NEAR(grey.g, grey.b, 1.0);
    EXPECT_GT(tinted.r - tinted.b, 100.0);
    EXPECT_GT(tinted.g - tinted.b, 100.0);
    // Half transparent: the text still shows through, as dark as black under half yellow.
    int darkest = 255;
    for (int y = first_inside(top); y < end_inside(bottom); ++y)
        for (int x = first_inside(w[1].left); x < end_inside(w[1].right); ++x)
            darkest = std::min(darkest, after.at(x, y)[0]);
    EXPECT_LT(darkest, 160);
    // The unmarked last word keeps its neutral grey.
    const mean_colour last = mean_over(after, w[3].left, top, w[3].right, bottom);
    EXPECT_NEAR(last.r, last.b, 1.0);
    const mean_colour last_before = mean_over(before, w[3].left, top, w[3].right, bottom);
    EXPECT_NEAR(last.r, last_before.r, 1.0);
}

TEST_F(TextMarkPdf, AnUnderlineIsAOnePointBandAtTheBottomOfTheWords)
{
    // Where the boxes' bottom falls relative to the baseline, from the same text on a first page.
    host::document probe;
    make_page(probe, kBaseline);
    ASSERT_FALSE(HasFatalFailure());
    const LONG below = words_of(probe)[0].bottom - kBaseline;

    host::document doc;
    make_page(doc, aligned_baseline(below));
    ASSERT_FALSE(HasFatalFailure());
    mark(doc, zeCntMarkTextUnderline, 0x0000FF);
    ASSERT_FALSE(HasFatalFailure());
    const pdf_probe::raster shown = render(doc);
    const auto& w = words_of(doc);
    ASSERT_EQ(w[0].bottom % kUnitsPerPixel, 0);
    const int band = static_cast<int>(w[0].bottom / kUnitsPerPixel) - 1;

    // The band runs red under the whole marked run, descenders and spaces alike.
    for (int x = first_inside(w[0].left); x < end_inside(w[2].right); ++x) {
        const rgb p = shown.at(x, band);
        EXPECT_GE(p[0] - p[1], 60) << "column " << x;
        EXPECT_GE(p[0] - p[2], 60) << "column " << x;
    }
    // In the spaces it is the only paint: half red over white, one row high.
    for (std::size_t gap : {0u, 1u}) {
        const int x = gap_column(w, gap);
        expect_near(shown.at(x, band), half_over_white(255, 0, 0), "space " + std::to_string(gap));
        EXPECT_EQ(shown.at(x, band - 1), kWhite) << "above the band, space " << gap;
        EXPECT_EQ(shown.at(x, band + 1), kWhite) << "below the band, space " << gap;
        EXPECT_EQ(shown.at(x, first_inside(w[0].top)), kWhite) << "top of the box, space " << gap;
    }
    // Nothing red under the last word or after it.
    for (int x = first_inside(w[2].right); x < end_inside(w[3].right) + 5; ++x) {
        const rgb p = shown.at(x, band);
        EXPECT_LE(p[0] - p[2], 2) << "column " << x;
    }
}

TEST_F(TextMarkPdf, AStrikethroughIsAOnePointBandAcrossTheMiddleOfTheWords)
{
    host::document probe;
    make_page(probe, kBaseline);
    ASSERT_FALSE(HasFatalFailure());
    const host::word& p0 = words_of(probe)[0];
    // The band's top: half the box's height less half a point below its top.
    const LONG band_offset = p0.top - kBaseline + (p0.bottom - p0.top) / 2 - kUnitsPerPixel / 2;

    host::document doc;
    make_page(doc, aligned_baseline(band_offset));
    ASSERT_FALSE(HasFatalFailure());
    mark(doc, zeCntMarkTextStrikethrough, 0xFF0000);
    ASSERT_FALSE(HasFatalFailure());
    const pdf_probe::raster shown = render(doc);
    const auto& w = words_of(doc);
    const LONG band_top = w[0].top + (w[0].bottom - w[0].top) / 2 - kUnitsPerPixel / 2;
    ASSERT_EQ(band_top % kUnitsPerPixel, 0);
    const int band = static_cast<int>(band_top / kUnitsPerPixel);

    for (int x = first_inside(w[0].left); x < end_inside(w[2].right); ++x) {
        const rgb p = shown.at(x, band);
        EXPECT_GE(p[2] - p[0], 60) << "column " << x;
        EXPECT_GE(p[2] - p[1], 60) << "column " << x;
    }
    for (std::size_t gap : {0u, 1u}) {
        const int x = gap_column(w, gap);
        expect_near(shown.at(x, band), half_over_white(0, 0, 255), "space " + std::to_string(gap));
        EXPECT_EQ(shown.at(x, band - 1), kWhite) << "above the band, space " << gap;
        EXPECT_EQ(shown.at(x, band + 1), kWhite) << "below the band, space " << gap;
        // Neither at the box's top nor at its bottom.
        EXPECT_EQ(shown.at(x, first_inside(w[0].top)), kWhite) << "space " << gap;
        EXPECT_EQ(shown.at(x, end_inside(w[0].bottom) - 1), kWhite) << "space " << gap;
    }
    for (int x = first_inside(w[2].right); x < end_inside(w[3].right) + 5; ++x) {
        const rgb p = shown.at(x, band);
        EXPECT_LE(p[2] - p[0], 2) << "column " << x;
    }
}

}  // namespace
