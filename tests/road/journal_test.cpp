// The exact host calls of a note and a stamp rebuild, read from the engine's journal: which
// objects are made, in which order, with which values — and which are left alone.
#include <string>
#include <vector>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_stamp.h"
#include "tests/road/support.h"

namespace {

class Journal : public road::classes {};

TEST_F(Journal, NoteRebuildRemovesThenMakesOutlineFontClipFrameAndOneTextPerLine)
{
    host::document doc;
    doc.add_page(5950, 8420, 720);
    auto note = road::create<IZCntElementNote>(u"Orvane.ZCntElementNote.1");
    road::attach(note.get(), doc);
    note->SetPosition(500, 500, 2000, 300);
    doc.journal().enable();
    com::Bstr t(u"two words\nnext"), f(u"Arial");
    note->SetNoteData(t.get(), 0x112233, f.get(), 100, 0, 0, 0xFFFFFF, 0xFF,
                      zeCntNoteStyleRectangle, 0, 0, 0);
    // The clip frame is kept without an id and never removed; the baselines are the text
    // rectangle's top (500 + 28) plus ascent and internal leading, then one line height more.
    EXPECT_EQ(doc.journal().lines(),
              (std::vector<std::string>{
                  "page.get_Resources() -> resources",
                  "page.get_PageObjects() -> page_objects",
                  "page.get_PageObjects() -> page_objects",
                  "page_objects.Remove(2)",
                  "page.get_Resources() -> resources",
                  "resources.Remove(1)",
                  "page_objects.Create(2) -> shape~4",
                  "page_objects.Add(shape~4) -> 3",
                  "shape#3.put_PaintMode(2)",
                  "shape#3.put_FillColor(0x00FFFFFF)",
                  "shape#3.put_StrokeColor(0x000000FF)",
                  "shape#3.get_Path() -> shape#3.path",
                  "shape#3.path.Rectangle(500,500,2500,800)",
                  "page.get_Resolution() -> 720",
                  "resources.Create(102) -> font~5",
                  "resources.Add(font~5) -> 2",
                  "font#2.put_FaceName(\"Arial\")",
                  "font#2.put_Size(100)",
                  "font#2.put_Bold(0)",
                  "font#2.put_Italic(0)",
                  "page.get_Resolution() -> 720",
                  "page.get_PageID() -> 1",
                  "page.get_PageList() -> pages",
                  "pages.get_Count() -> 1",
                  "pages.PageNumberOf(1) -> 1",
                  "resources.Create(103) -> clip~6",
                  "clip~6.put_Mode(1)",
                  "clip~6.get_Rect() -> clip~6.rect",
                  "clip~6.rect.put_Left(557)",
                  "clip~6.rect.put_Top(528)",
                  "clip~6.rect.put_Right(2443)",
                  "clip~6.rect.put_Bottom(772)",
                  "resources.AddWithoutID(clip~6)",
                  "page_objects.Create(1) -> text~7",
                  "page_objects.Add(text~7) -> 4",
                  "text#4.put_Color(0x00112233)",
                  "text#4.put_Text(\"two words\")",
                  "text#4.put_X(557)",
                  "text#4.put_Y(626)",
                  "text#4.putref_Font(font#2)",
                  "text#4.Attach(page_objects,resources,null)",
                  "page_objects.Create(1) -> text~8",
                  "page_objects.Add(text~8) -> 5",
                  "text#5.put_Color(0x00112233)",
                  "text#5.put_Text(\"next\")",
                  "text#5.put_X(557)",
                  "text#5.put_Y(731)",
                  "text#5.putref_Font(font#2)",
                  "text#5.Attach(page_objects,resources,null)",
                  "page.get_PageID() -> 1"}));
}

TEST_F(Journal, StampRebuildMakesFrameLineStyleThenFontAndTextTurnedTogether)
{
    host::document doc;
    doc.add_page(5950, 8420, 720);
    com::Bstr f(u"Arial");
    auto stamp = road::create<IZCntElementStamp>(u"Orvane.ZCntElementStamp.1");
    road::attach(stamp.get(), doc);
    stamp->SetPosition(3000, 3000, 100, 100);
    doc.journal().enable();
    com::Bstr h(u"OK"), c(u"");
    stamp->SetStampData(h.get(), 0xFF, f.get(), 70, 0, 0, c.get(), 0, f.get(), 0, 0, 0xFFFFFFFF,
                        0xFF, zeCntStampStyleRectangle, 0, 10, 20);
    // A header alone takes the whole height (100 units); the stamp grows by 4 mm margins
    // (113 units) around it.
    EXPECT_EQ(doc.journal().lines(),
              (std::vector<std::string>{
                  "page.get_Resources() -> resources",
                  "page.get_PageObjects() -> page_objects",
                  "page.get_Resolution() -> 720",
                  "page_objects.Create(2) -> shape~1",
                  "page_objects.Add(shape~1) -> 2",
                  "shape#2.put_PaintMode(0)",
                  "shape#2.put_Transparency(10)",
                  "shape#2.put_StrokeColor(0x000000FF)",
                  "resources.Create(110) -> line_style~2",
                  "resources.Add(line_style~2) -> 1",
                  "line_style#1.put_Width(28)",
                  "shape#2.putref_LineStyle(line_style#1)",
                  "shape#2.get_Path() -> shape#2.path",
                  "shape#2.path.Rectangle(3000,3000,3366,3303)",
                  "shape#2.path.SetTransform(0.9396926,-0.34202015,0.34202015,0.9396926,-948.7704,1225.2557)",
                  "shape#2.Attach(page_objects,resources,null)",
                  "resources.Create(102) -> font~3",
                  "resources.Add(font~3) -> 2",
                  "font#2.put_FaceName(\"Arial\")",
                  "font#2.put_Size(100)",
                  "font#2.put_Bold(0)",
                  "font#2.put_Italic(0)",
                  "font#2.put_Angle(-0.34888890385627747)",
                  "page_objects.Create(1) -> text~4",
                  "page_objects.Add(text~4) -> 3",
                  "text#3.put_Color(0x000000FF)",
                  "text#3.put_Text(\"OK\")",
                  "text#3.put_X(3067)",
                  "text#3.put_Y(3158)",
                  "text#3.putref_Font(font#2)",
                  "text#3.put_Transparency(10)",
                  "text#3.Attach(page_objects,resources,null)",
                  "page.get_PageID() -> 1"}));
}

}  // namespace
