// The words the engine recognises in its own text objects land where the PDF shows them:
// pdftotext reads the word boxes back out of the written file, independently of our arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "host/model/document_object.h"
#include "host/output/pdf/pdf_writer.h"
#include "tests/pdf/pdf_probe.h"
#include "tests/road/support.h"

namespace {

struct box {
    std::string text;
    double left, top, right, bottom;
};

// A text object with its font, added to page 1.
void place_text(host::document& doc, const char16_t* face, LONG size, double angle, LONG x, LONG y,
                const std::u16string& text)
{
    road::text(doc, text, x, y, road::font(doc, face, size, false, angle).get());
}

// The <word xMin=".." yMin=".." xMax=".." yMax="..">text</word> lines of pdftotext -bbox.
std::vector<box> pdf_words(const std::string& pdf)
{
    const pdf_probe::run_result r = pdf_probe::run({"pdftotext", "-bbox", pdf, "-"});
    std::vector<box> out;
    auto attribute = [](const std::string& line, const char* name) {
        const std::size_t at = line.find(std::string(name) + "=\"");
        return at == std::string::npos ? -1.0 : std::stod(line.substr(at + std::strlen(name) + 2));
    };
    std::size_t at = 0;
    while ((at = r.out.find("<word ", at)) != std::string::npos) {
        const std::size_t close = r.out.find('>', at), end = r.out.find("</word>", at);
        if (close == std::string::npos || end == std::string::npos) break;
        const std::string tag = r.out.substr(at, close - at);
        out.push_back({r.out.substr(close + 1, end - close - 1), attribute(tag, "xMin"),
                       attribute(tag, "yMin"), attribute(tag, "xMax"), attribute(tag, "yMax")});
        at = end;
    }
    return out;
}

TEST(RecognisedWords, BoxesMatchWhatThePdfShows)
{
    host::document doc;
    ASSERT_EQ(doc.add_page(6120, 7920, 720), S_OK);  // ten units to the point
    place_text(doc, u"Arial", 120, 0, 1000, 1500, u"Sales grew  by twelve percent");
    place_text(doc, u"Times New Roman", 200, 0, 1000, 3000, u"Quarterly");
    place_text(doc, u"Arial", 120, -0.3, 1000, 5000, u"turned text has no box");
    LONG added = 0;
    ASSERT_EQ(doc.recognise_words(1, &added), S_OK);
    const auto& words = doc.model()->pages()[0]->words();
    ASSERT_EQ(added, 6);
    ASSERT_EQ(words.size(), 6u);
    EXPECT_EQ(words[2].text, u"by");  // the double space makes no empty word
    EXPECT_EQ(words[5].text, u"Quarterly");

    pdf_probe::scoped_dir dir;
    const std::string pdf = dir.file("words.pdf");
    std::string message;
    ASSERT_EQ(host::pdf::write_pdf(doc.model(), pdf, {}, nullptr, &message), S_OK) << message;
    const std::vector<box> shown = pdf_words(pdf);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const host::word& w = words[i];
        const LONG baseline = i < 5 ? 1500 : 3000;
        const box* match = nullptr;
        for (const box& b : shown)
            if (std::u16string(b.text.begin(), b.text.end()) == w.text && std::abs(b.left * 10 - w.left) < 20)
                match = &b;
        ASSERT_NE(match, nullptr) << std::string(w.text.begin(), w.text.end());
        // Horizontal extents from the same advances: within a tenth of a point.
        EXPECT_NEAR(match->left * 10, w.left, 1.0);
        EXPECT_NEAR(match->right * 10, w.right, 1.0);
        // Vertically the boxes straddle the baseline the text was placed on.
        EXPECT_LT(w.top, baseline);
        EXPECT_GT(w.bottom, baseline);
        EXPECT_NE(w.object_id, 0);
    }
}

}  // namespace
