// A highlight as it shows in the written PDF: a line of black text on a white page, the mark
// over its first three words, and the page rendered by poppler at 72 dpi, where one pixel is one
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
#include "platform/com/com.h"
#include "tests/pdf/pdf_probe.h"
#include "tests/road/support.h"

namespace {

constexpr LONG kResolution = 720;
constexpr LONG kUnitsPerPixel = 10;  // at 72 dpi
constexpr LONG kBaseline = 1500;

using rgb = std::array<int, 3>;
constexpr rgb kWhite{255, 255, 255};

// Half of `colour` over white, as a mark at 50 % transparency shows on empty paper.
rgb half_over_white(rgb c) { return {(255 + c[0]) / 2, (255 + c[1]) / 2, (255 + c[2]) / 2}; }

// Pixel columns and rows lying wholly inside [from, to) page units.
int first_inside(LONG from) { return static_cast<int>((from + kUnitsPerPixel - 1) / kUnitsPerPixel); }
int end_inside(LONG to) { return static_cast<int>(to / kUnitsPerPixel); }

// The mean of each channel over the pixels wholly inside the box.
std::array<double, 3> mean_over(const pdf_probe::raster& r, LONG left, LONG top, LONG right, LONG bottom)
{
    std::array<double, 3> m{};
    int n = 0;
    for (int y = first_inside(top); y < end_inside(bottom); ++y)
        for (int x = first_inside(left); x < end_inside(right); ++x, ++n)
            for (int c = 0; c < 3; ++c) m[c] += r.at(x, y)[c];
    EXPECT_GT(n, 0);
    for (double& v : m) v /= n ? n : 1;
    return m;
}


class TextMarkPdf : public road::classes {
protected:
    void SetUp() override
    {
        if (pdf_probe::run({"pdftoppm", "-v"}).status == 127)
            GTEST_SKIP() << "pdftoppm is not installed";
        road::classes::SetUp();
        ASSERT_FALSE(dir_.path().empty());
    }

    // Letter size, ten units to the point, "Highlight this sentence please" in 12 pt Arial on
    // `baseline` from x = 1000; the page's words recognised.
    void make_page(host::document& doc, LONG baseline)
    {
        ASSERT_EQ(doc.add_page(6120, 7920, kResolution), S_OK);
        auto font = road::font(doc, u"Arial", 120);
        ASSERT_TRUE(road::text(doc, u"Highlight this sentence please", 1000, baseline, font.get()));
        LONG added = 0;
        ASSERT_EQ(doc.recognise_words(1, &added), S_OK);
        ASSERT_EQ(added, 4);
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

    pdf_probe::scoped_dir dir_;
    int count_ = 0;
};

TEST_F(TextMarkPdf, AHighlightTintsTheMarkedWordsYellowAtHalfStrength)
{
    host::document plain, marked;
    make_page(plain, kBaseline);
    make_page(marked, kBaseline);
    ASSERT_FALSE(HasFatalFailure());
    road::mark_words(marked, 1, 3, zeCntMarkTextHighlight, 0x00FFFF);
    ASSERT_FALSE(HasFatalFailure());
    const pdf_probe::raster before = render(plain), after = render(marked);
    const auto& w = words_of(marked);
    ASSERT_EQ(w.size(), 4u);
    const LONG top = w[0].top, bottom = w[0].bottom;

    // In the spaces inside the marked run there is no ink: only the mark over white paper.
    for (std::size_t gap : {0u, 1u}) {
        const int x = gap_column(w, gap);
        for (int y = first_inside(top); y < end_inside(bottom); ++y) {
            SCOPED_TRACE("space " + std::to_string(gap) + " row " + std::to_string(y));
            EXPECT_TRUE(pdf_probe::colour_at(after, x, y, half_over_white({255, 255, 0}), 3));
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
    const auto grey = mean_over(before, w[0].left, top, w[2].right, bottom);
    const auto tinted = mean_over(after, w[0].left, top, w[2].right, bottom);
    EXPECT_NEAR(grey[0], grey[2], 1.0);
    EXPECT_NEAR(grey[1], grey[2], 1.0);
    EXPECT_GT(tinted[0] - tinted[2], 100.0);
    EXPECT_GT(tinted[1] - tinted[2], 100.0);
    // Half transparent: the text still shows through, as dark as black under half yellow.
    int darkest = 255;
    for (int y = first_inside(top); y < end_inside(bottom); ++y)
        for (int x = first_inside(w[1].left); x < end_inside(w[1].right); ++x)
            darkest = std::min(darkest, after.at(x, y)[0]);
    EXPECT_LT(darkest, 160);
    // The unmarked last word keeps its neutral grey.
    const auto last = mean_over(after, w[3].left, top, w[3].right, bottom);
    EXPECT_NEAR(last[0], last[2], 1.0);
    EXPECT_NEAR(last[0], mean_over(before, w[3].left, top, w[3].right, bottom)[0], 1.0);
}

// Where an underline's or a strikethrough's band lies follows from the words' boxes alone:
// tests/elements/textmark_test.cpp gives its rectangle to the unit; the writer's fills and
// transparency are checked in pdf_writer_test.cpp.

}  // namespace
