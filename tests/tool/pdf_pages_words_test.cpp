// The pages of a PDF read elsewhere given to a document: each word lands on its page in page
// units, once. Pages given up (an rvalue) leave their words to the document; pages lent keep
// theirs; pages refused keep everything.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/engine.h"
#include "host/input/pdf_text.h"
#include "host/model/document_object.h"
#include "host/model/page.h"

namespace {

using host::input::pdf_page_text;
using host::input::pdf_word;

// Two pages in points; the second word is long enough to live outside the string itself.
std::vector<pdf_page_text> sample_pages()
{
    return {{595.0, 842.0, 0, {{u"net", 72.0, 100.0, 90.5, 112.0},
                               {u"revenue-above-plan", 93.0, 100.0, 180.0, 112.0}}},
            {842.0, 595.0, 90, {{u"Totals", 10.25, 20.0, 40.0, 31.0}}}};
}

// What the document holds of page `index`, as the input would have given it at 720 units an inch.
void expect_words_of(host::document& doc, std::size_t index, const pdf_page_text& wanted)
{
    const auto& words = doc.model()->pages()[index]->words();
    ASSERT_EQ(words.size(), wanted.words.size()) << "page " << index + 1;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const pdf_word& w = wanted.words[i];
        EXPECT_EQ(words[i].text, w.text);
        EXPECT_EQ(words[i].left, static_cast<LONG>(w.left * 10 + 0.5));
        EXPECT_EQ(words[i].top, static_cast<LONG>(w.top * 10 + 0.5));
        EXPECT_EQ(words[i].right, static_cast<LONG>(w.right * 10 + 0.5));
        EXPECT_EQ(words[i].bottom, static_cast<LONG>(w.bottom * 10 + 0.5));
    }
}

TEST(PdfPagesWords, GivenUpTheyMoveToTheDocumentOnce)
{
    const std::vector<pdf_page_text> wanted = sample_pages();
    std::vector<pdf_page_text> pages = sample_pages();
    host::document doc;
    std::string message;
    ASSERT_EQ(doc.add_pdf_pages(std::move(pages), "in.pdf", 720, &message), S_OK) << message;
    ASSERT_EQ(doc.page_count(), 2);
    for (std::size_t p = 0; p < wanted.size(); ++p) expect_words_of(doc, p, wanted[p]);
    // The pages read keep their sizes for the caller, not a second copy of the words.
    ASSERT_EQ(pages.size(), wanted.size());
    for (std::size_t p = 0; p < wanted.size(); ++p) {
        EXPECT_TRUE(pages[p].words.empty()) << "page " << p + 1;
        EXPECT_EQ(pages[p].width, wanted[p].width);
        EXPECT_EQ(pages[p].height, wanted[p].height);
    }
}

TEST(PdfPagesWords, LentTheyStayAsGiven)
{
    const std::vector<pdf_page_text> pages = sample_pages();
    host::document doc;
    ASSERT_EQ(doc.add_pdf_pages(pages, "in.pdf", 720), S_OK);
    for (std::size_t p = 0; p < pages.size(); ++p) expect_words_of(doc, p, pages[p]);
    EXPECT_EQ(pages[1].words.front().text, u"Totals");
}

TEST(PdfPagesWords, RefusedTheyKeepTheirWords)
{
    struct refusal {
        const char* what;
        LONG resolution;
        double second_width;
    };
    const refusal cases[] = {{"resolution below 72", 71, 842.0},
                             {"resolution above 7200", 7201, 842.0},
                             {"a page without a width", 720, 0.0}};
    for (const refusal& c : cases) {
        std::vector<pdf_page_text> pages = sample_pages();
        pages[1].width = c.second_width;
        host::document doc;
        std::string message;
        EXPECT_EQ(doc.add_pdf_pages(std::move(pages), "in.pdf", c.resolution, &message),
                  E_INVALIDARG)
            << c.what;
        EXPECT_FALSE(message.empty()) << c.what;
        EXPECT_EQ(doc.page_count(), 0) << c.what;
        EXPECT_EQ(pages[0].words.size(), 2u) << c.what;
        EXPECT_EQ(pages[0].words[1].text, u"revenue-above-plan") << c.what;
    }
}

}  // namespace
