// Hostile values for the text elements: empty and null strings, a word wider than the note,
// sizes at the 16-bit limits, zero and negative rectangles, unknown faces and styles out of
// range. Each gives its documented result, and a rebuild leaves either a whole set of host
// objects or none.
#include <climits>
#include <string>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/cnt_stamp.h"
#include "tests/road/support.h"

namespace {

using road::property;

class BadInput : public road::on_pages {};

TEST_F(BadInput, NoteSurvivesEveryAwkwardValue)
{
    auto note = attached<IZCntElementNote>(u"Orvane.ZCntElementNote.1");
    ASSERT_TRUE(note);
    const std::u16string long_word(5000, u'W');
    const std::u16string many_lines(3000, u'\n');
    const char16_t* texts[] = {u"", nullptr, long_word.c_str(), many_lines.c_str(),
                               u"  leading and  double  spaces  "};
    const SHORT sizes[] = {SHRT_MIN, -1, 0, 1, 100, SHRT_MAX};
    const LONG rects[][4] = {{0, 0, 0, 0}, {100, 100, 0, 0}, {100, 100, -50, -20},
                             {INT_MAX - 10, INT_MAX - 10, 5, 5}, {-1000, -1000, 20, 20}};
    const LONG styles[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, -1, INT_MAX};
    const char16_t* faces[] = {u"Arial", u"No Such Face At All", u"", nullptr,
                               u"A face name longer than thirty-one characters in all"};
    for (const auto& r : rects) {
        note->SetPosition(r[0], r[1], r[2], r[3]);
        for (const char16_t* text : texts)
            for (SHORT size : sizes)
                for (LONG style : {styles[0], styles[3], styles[4], styles[8]}) {
                    com::Bstr t(text ? text : u""), f(u"Arial");
                    EXPECT_EQ(note->SetNoteData(text ? t.get() : nullptr, 0, f.get(), size, 0, 0,
                                                0xFFFFFF, 0, static_cast<ZeCntNoteStyle>(style),
                                                0, 0, 0),
                              S_OK);
                }
    }
    note->SetPosition(100, 100, 2000, 500);
    for (const char16_t* face : faces)
        for (LONG style : styles) {
            com::Bstr t(u"Some words to wrap"), f(face ? face : u"");
            EXPECT_EQ(note->SetNoteData(t.get(), 0, face ? f.get() : nullptr, 100, 0, 0,
                                        0xFFFFFF, 0, static_cast<ZeCntNoteStyle>(style), 0, 0, 0),
                      S_OK);
        }
    // A word wider than the note still gets a line of its own.
    note->SetPosition(100, 100, 300, 2000);
    com::Bstr word(long_word.substr(0, 40)), arial(u"Arial");
    note->SetNoteData(word.get(), 0, arial.get(), 100, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF,
                      zeCntNoteStyleTextOnly, 0, 0, 0);
    const auto lines = doc.find(1, "text");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(property(lines[0], "Text").size(), 40u);
    // Out-of-range alignment for an automatic text: no text object, no crash.
    note->SetPosition(100, 100, 300, 200);
    note->put_TextHorizontalAlignment(static_cast<ZeCntHorizontalAlignmentType>(7));
    com::Bstr page(u"$p");
    note->SetNoteData(page.get(), 0, arial.get(), 100, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF,
                      zeCntNoteStyleAutoTextPageNumber, 0, 0, 0);
    EXPECT_TRUE(doc.find(1, "text").empty());
    EXPECT_EQ(doc.find(1, "font").size(), 1u);
}

TEST_F(BadInput, StampSurvivesEveryAwkwardValue)
{
    auto stamp = attached<IZCntElementStamp>(u"Orvane.ZCntElementStamp.1");
    ASSERT_TRUE(stamp);
    const std::u16string long_text(3000, u'M');
    const LONG rects[][4] = {{100, 100, 10, 10}, {100, 100, -300, -300}, {0, 0, 1, 1},
                             {INT_MAX - 100, 0, 50, 50}, {100, 100, 3000, 100000}};
    const SHORT inclinations[] = {-32768, -91, -90, 0, 45, 90, 91, 32767};
    const SHORT header_sizes[] = {-1, 0, 50, 100, 101};
    for (const auto& r : rects)
        for (SHORT inclination : inclinations)
            for (SHORT header_size : header_sizes) {
                stamp->SetPosition(r[0], r[1], r[2], r[3]);
                com::Bstr h(u"HEADER"), c(long_text), f(u"No Such Face");
                EXPECT_EQ(stamp->SetStampData(h.get(), 0xFF, f.get(), header_size, -1, -1,
                                              c.get(), 0, f.get(), 0, 0, 0xFFFFFF, 0,
                                              static_cast<ZeCntStampStyle>(inclination & 3), 0,
                                              static_cast<SHORT>(inclination), inclination),
                          S_OK);
            }
    // Null strings are stored as null and give no text.
    stamp->SetPosition(100, 100, 1000, 500);
    com::Bstr f(u"Arial");
    EXPECT_EQ(stamp->SetStampData(nullptr, 0, f.get(), 70, 0, 0, nullptr, 0, nullptr, 0, 0,
                                  0xFFFFFF, 0, zeCntStampStyleOval, 0, 0, 0),
              S_OK);
    BSTR header = reinterpret_cast<BSTR>(1);
    stamp->get_HeaderText(&header);
    EXPECT_EQ(header, nullptr);
    EXPECT_TRUE(doc.find(1, "text").empty());
    EXPECT_TRUE(doc.find(1, "shape").empty());
}

TEST_F(BadInput, ANullPageBreakLabelShowsNothing)
{
    auto marker = attached<IZCntElementPageBreak>(u"Orvane.ZCntElementPageBreak.1");
    ASSERT_TRUE(marker);
    marker->put_LabelFlowRegion(nullptr);
    marker->SetPosition(0, 0, 100, 100);
    EXPECT_EQ(marker->put_PageBreakPosY(50), S_OK);
    EXPECT_EQ(doc.find(1, "shape").size(), 6u);
    const auto labels = doc.find(1, "text");
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(property(labels[0], "Text"), "");
}

}  // namespace
