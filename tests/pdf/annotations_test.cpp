// Elements as the annotations a viewer lists: a note, a stamp, two text marks and a page break
// on one page, read back by pypdf (kinds, texts, quads, appearances) and drawn by poppler,
// which must show the same pixels as the page drawn flat. The .pjd file keeps what made what.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/cnt_stamp.h"
#include "host/engine.h"
#include "host/output/pdf/annotations.h"
#include "host/output/pdf/pdf_writer.h"
#include "platform/com/com.h"
#include "tests/pdf/pdf_probe.h"
#include "tests/road/support.h"

namespace {

constexpr LONG kResolution = 720;  // ten units to the point

class Annotations : public road::on_pages {
protected:
    Annotations() : on_pages(1, 6120, 7920, kResolution) {}
    void SetUp() override
    {
        if (pdf_probe::run({"/usr/bin/python3", "-c", "import pypdf"}).status != 0)
            GTEST_SKIP() << "pypdf is not installed";
        road::on_pages::SetUp();
        auto font = road::font(doc, u"Arial", 120);
        ASSERT_TRUE(road::text(doc, u"Highlight this sentence please", 1000, 1500, font.get()));
        ASSERT_TRUE(road::text(doc, u"Underline these words", 1000, 2500, font.get()));
        ASSERT_EQ(doc.recognise_words(1), S_OK);
    }

    void add_elements()
    {
        auto note = attached<IZCntElementNote>(u"Orvane.ZCntElementNote.1");
        ASSERT_TRUE(note);
        ASSERT_EQ(note->SetPosition(1000, 3000, 2000, 800), S_OK);
        com::Bstr body(u"Check the figures"), face(u"Arial");
        ASSERT_EQ(note->SetNoteData(body.get(), 0x202020, face.get(), 110, VARIANT_FALSE,
                                    VARIANT_FALSE, 0x00CCFFFF, 0x000080FF, zeCntNoteStyleRectangle,
                                    VARIANT_FALSE, VARIANT_FALSE, 0),
                  S_OK);
        auto stamp = attached<IZCntElementStamp>(u"Orvane.ZCntElementStamp.1");
        ASSERT_TRUE(stamp);
        ASSERT_EQ(stamp->SetPosition(3500, 3000, 2000, 900), S_OK);
        com::Bstr header(u"APPROVED"), content(u"Finance");
        ASSERT_EQ(stamp->SetStampData(header.get(), 0x1C1CC8, face.get(), 60, VARIANT_TRUE,
                                      VARIANT_FALSE, content.get(), 0x1C1CC8, face.get(),
                                      VARIANT_FALSE, VARIANT_FALSE, 0x00FFC080, 0x1C1CC8,
                                      zeCntStampStyleRectangle, VARIANT_FALSE, 0, 15),
                  S_OK);
        road::mark_words(doc, 1, 3, zeCntMarkTextHighlight, 0x00FFFF);
        road::mark_words(doc, 5, 3, zeCntMarkTextUnderline, 0x00FFFF);
        auto marker = attached<IZCntElementPageBreak>(u"Orvane.ZCntElementPageBreak.1");
        ASSERT_TRUE(marker);
        ASSERT_EQ(marker->put_PageBreakPosY(5000), S_OK);
        auto footer = attached<IZCntElementNote>(u"Orvane.ZCntElementNote.1");
        ASSERT_TRUE(footer);
        ASSERT_EQ(footer->SetPosition(1000, 6000, 2000, 300), S_OK);
        com::Bstr numbered(u"Page $p of $P");
        ASSERT_EQ(footer->SetNoteData(numbered.get(), 0, face.get(), 90, VARIANT_FALSE, VARIANT_FALSE,
                                      -1, -1, zeCntNoteStyleAutoTextPageNumber, VARIANT_FALSE,
                                      VARIANT_FALSE, 0),
                  S_OK);
    }

    std::string write(const host::document& d, const std::string& name, bool flatten)
    {
        const std::string pdf = dir.file(name);
        host::pdf::write_options options;
        options.flatten = flatten;
        std::string message;
        EXPECT_EQ(host::pdf::write_pdf(d.model(), pdf, options, nullptr, &message), S_OK) << message;
        EXPECT_TRUE(pdf_probe::qpdf_check(pdf));
        return pdf;
    }

    static std::vector<std::string> read(const std::string& pdf)
    {
        const auto r = pdf_probe::run({"/usr/bin/python3", ZCNT_SOURCE_ROOT "/tests/pdf/read_annotations.py", pdf});
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> lines;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    pdf_probe::scoped_dir dir;
};

TEST_F(Annotations, EachElementIsOneAnnotationWithItsAppearanceAndMarkersPrintOff)
{
    add_elements();
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<std::string> lines = read(write(doc, "annotated.pdf", false));
    std::vector<std::string> kinds;
    std::map<std::string, int> names;
    for (const std::string& l : lines) {
        EXPECT_TRUE(l.find("|ap|inside|") != std::string::npos || l.rfind("layer", 0) == 0) << l;
        kinds.push_back(l.substr(0, l.find("|ap|")));
        const std::string nm = l.substr(l.rfind('|') + 1);
        if (l.rfind("layer", 0) != 0) {
            EXPECT_EQ(++names[nm], 1) << "/NM given twice: " << nm;
        }
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{
                         "1|/FreeText|Check the figures||0",
                         "1|/Stamp|APPROVED \xE2\x80\x93 Finance|/APPROVED|0",
                         "1|/Highlight|||1",
                         "1|/Underline|||1",
                         "1|/FreeText|Page 1 of 1||0",  // as shown, not its placeholders
                         "layer|Layout markers|/OFF|/ON",
                     }));
}

TEST_F(Annotations, TheAppearancesShowWhatTheFlatPageShows)
{
    add_elements();
    ASSERT_FALSE(HasFatalFailure());
    const std::string annotated = write(doc, "annotated.pdf", false);
    const std::string flat = write(doc, "flat.pdf", true);
    for (const std::string& l : read(flat)) {
        ADD_FAILURE() << "a flat page has " << l;
    }
    // Poppler and MuPDF each draw the appearances as they draw the flat page.
    for (const auto with : {pdf_probe::renderer::poppler, pdf_probe::renderer::mupdf}) {
        SCOPED_TRACE(with == pdf_probe::renderer::mupdf ? "mutool draw" : "pdftoppm");
        pdf_probe::raster a, b;
        ASSERT_TRUE(pdf_probe::render(annotated, 1, 72, &a, with));
        ASSERT_TRUE(pdf_probe::render(flat, 1, 72, &b, with));
        ASSERT_EQ(a.rgb.size(), b.rgb.size());
        int differing = 0, inked = 0;
        for (std::size_t i = 0; i < a.rgb.size(); i += 3) {
            int d = 0;
            for (int c = 0; c < 3; ++c)
                d = std::max(d, std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])));
            differing += d > 24;
            inked += b.rgb[i] < 200;
        }
        EXPECT_GT(inked, 2000) << "the flat page shows too little to compare";
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(Annotations, SavedAndLoadedDocumentsKeepWhatEachElementMade)
{
    add_elements();
    ASSERT_FALSE(HasFatalFailure());
    std::vector<BYTE> bytes;
    std::string message;
    ASSERT_EQ(doc.save_bytes(&bytes, &message), S_OK) << message;
    host::document loaded;
    ASSERT_EQ(host::document::load_bytes(bytes.data(), bytes.size(), &loaded, &message), S_OK) << message;
    EXPECT_EQ(read(write(loaded, "loaded.pdf", false)), read(write(doc, "saved.pdf", false)));
}

TEST(AnnotationParts, MarkSubtypesFollowWhereTheBandLies)
{
    const std::vector<host::paint_rect> words{{100, 100, 200, 220}, {220, 100, 300, 220}};
    struct row {
        host::paint_rect band;
        const char* subtype;
        host::paint_rect line;
    } rows[] = {
        {{100, 100, 300, 220}, "/Highlight", {100, 100, 300, 220}},
        {{100, 205, 300, 215}, "/Underline", {100, 100, 300, 220}},
        {{100, 155, 300, 165}, "/StrikeOut", {100, 100, 300, 220}},
        {{500, 155, 600, 165}, "/Underline", {500, 155, 600, 165}},  // no word under it
    };
    for (const row& r : rows) {
        host::paint_rect line{};
        EXPECT_STREQ(host::pdf::mark_subtype(r.band, words, 10, &line), r.subtype);
        EXPECT_EQ((std::vector<LONG>{line.left, line.top, line.right, line.bottom}),
                  (std::vector<LONG>{r.line.left, r.line.top, r.line.right, r.line.bottom}));
    }
    EXPECT_EQ(host::pdf::name_token(u"A (b)#\u00E9"), "/A#20#28b#29#23#C3#A9");
    EXPECT_EQ(host::pdf::pdf_date(86400 * 365 + 3661), "D:19710101010101Z");
    EXPECT_EQ(host::pdf::quad_points({{1, 2, 3, 4}}), "[1 4 3 4 1 2 3 2]");
}

}  // namespace
