// The text mark element: its record, and MarkText over the engine's document view and over
// stand-in views and pages that report what the engine never would.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "contentelements/cnt_textmark.h"
#include "contentelements/zprint_page.h"
#include "elements/textmark/textmark.h"
#include "tests/elements/element_support.h"

namespace element_test {
namespace {

using lines = std::vector<std::string>;

com::ComPtr<IZCntElementTextMark> new_mark() { return made_by<IZCntElementTextMark>(cnt::create_textmark); }

// version, description, page object ids
bytes mark_record(ULONG version, std::u16string_view description, const std::vector<LONG>& ids)
{
    bytes out;
    put_u32(out, version);
    put_string(out, description);
    put_ids(out, ids);
    return out;
}

// ---- record ---------------------------------------------------------------------------------

TEST(TextMarkRecord, ANewMarkSavesVersionEmptyTextNoIdsAndVersionsZeroAndOneRestoreThem)
{
    EXPECT_EQ(saved(new_mark().get()), (bytes{1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    for (ULONG version : {1u, 0u}) {
        SCOPED_TRACE(version);
        auto mark = new_mark();
        ASSERT_EQ(load(mark.get(), mark_record(version, u"Überprüft", {12, 0, -3})), S_OK);
        EXPECT_EQ(description_of(mark.get()), u"Überprüft");
        EXPECT_EQ(page_object_ids(mark.get()), (std::vector<LONG>{12, 0, -3}));
        EXPECT_EQ(saved(mark.get()), mark_record(1, u"Überprüft", {12, 0, -3}));
    }
}

TEST(TextMarkRecord, ANegativeCountLoadsAsNoIdsANullDescriptionStaysNullAndNoPageMarksNothing)
{
    auto mark = new_mark();
    bytes record;
    put_u32(record, 1);
    put_u32(record, 0);  // a null description
    put_u32(record, static_cast<ULONG>(-5));
    ASSERT_EQ(load(mark.get(), record), S_OK);
    EXPECT_TRUE(page_object_ids(mark.get()).empty());
    com::Bstr description(u"x");
    ASSERT_EQ(mark->get_Description(description.put()), S_OK);
    EXPECT_TRUE(description.is_null());
    EXPECT_EQ(saved(mark.get()), (bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Without a page nothing is marked.
    EXPECT_EQ(mark->MarkText(nullptr, nullptr, zeCntMarkTextHighlight, 0), E_UNEXPECTED);
}

struct place {
    LONG left, top, right, bottom;
    LONG first_id = 0, last_id = 0;
    bool joined = false;  // continues the item before it on its line
    bool refused = false;
};

// A document view over a table of items 1…n; it keeps the (previous, item) pairs it is asked.
class fake_view
    : public com::object_root<fake_view, com::automation::dispatch_impl<IZDocumentView>> {
public:
    std::vector<place> places;
    std::vector<std::pair<LONG, LONG>> joins_asked;

    HRESULT ItemPlace(LONG, LONG item, LONG* left, LONG* top, LONG* right, LONG* bottom, LONG,
                      LONG, LONG* first_id, LONG* last_id) noexcept override
    {
        const place* p = find(item);
        if (!p || p->refused) return E_INVALIDARG;
        *left = p->left, *top = p->top, *right = p->right, *bottom = p->bottom;
        *first_id = p->first_id, *last_id = p->last_id;
        return S_OK;
    }
    HRESULT ItemsJoined(LONG, LONG previous, LONG item, VARIANT_BOOL* joined) noexcept override
    {
        try {
            joins_asked.emplace_back(previous, item);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        const place* p = find(item);
        *joined = p && p->joined ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

private:
    const place* find(LONG item) const noexcept
    {
        if (item < 1 || item > static_cast<LONG>(places.size())) return nullptr;
        return &places[static_cast<std::size_t>(item - 1)];
    }
};

// A text range of the given items; count_override replaces the count it reports.
class fake_range
    : public com::object_root<fake_range, com::automation::dispatch_impl<IZTextRange>> {
public:
    std::vector<LONG> items;
    LONG count_override = -1;

    HRESULT get_TextReference(LONG* text) noexcept override { return *text = 7, S_OK; }
    HRESULT get_ItemCount(LONG* count) noexcept override
    {
        *count = count_override >= 0 ? count_override : static_cast<LONG>(items.size());
        return S_OK;
    }
    HRESULT get_Item(LONG index, LONG* item) noexcept override
    {
        *item = 0;
        if (index < 1 || index > static_cast<LONG>(items.size())) return E_INVALIDARG;
        *item = items[static_cast<std::size_t>(index - 1)];
        return S_OK;
    }
    HRESULT get_Text(BSTR* value) noexcept override { return *value = nullptr, E_NOTIMPL; }
};

// ---- MarkText in the engine -----------------------------------------------------------------

class TextMark : public page_fixture {
protected:
    void SetUp() override
    {
        page_fixture::SetUp();
        com::ComPtr<IDispatch> p;
        ASSERT_EQ(doc.page(1, p.put()), S_OK);
        ASSERT_EQ(p->QueryInterface(IZPrintContentPage::iid, page.put_void()), S_OK);
        ASSERT_EQ(page->get_PageObjects(objects.put()), S_OK);
        mark = new_mark();
        ASSERT_EQ(attach(mark.get()), S_OK);
        ASSERT_EQ(com::make<fake_view>(fake.put()), S_OK);
        ASSERT_EQ(com::make<fake_range>(words.put()), S_OK);
    }

    // A text object in the page object list with a shape as its background; its id.
    LONG add_text(bool with_background = true)
    {
        com::ComPtr<IDispatch> made, filler;
        EXPECT_EQ(objects->Create(zeKindTextObject, made.put()), S_OK);
        LONG id = 0;
        EXPECT_EQ(objects->Add(*com::Variant::from_unknown(made.get()).get(), &id), S_OK);
        if (with_background) {
            EXPECT_EQ(objects->Create(zeKindShape, filler.put()), S_OK);
            com::ComPtr<IZTextObject> text;
            made->QueryInterface(IZTextObject::iid, text.put_void());
            EXPECT_EQ(text->putref_Background(filler.get()), S_OK);
        }
        return id;
    }

    void add_word(const char16_t* text, LONG l, LONG t, LONG r, LONG b, LONG id = 0)
    {
        com::Bstr word(text);
        ASSERT_EQ(page->AddWord(word.get(), l, t, r, b, id), S_OK);
    }

    com::ComPtr<IDispatch> view()
    {
        com::ComPtr<IDispatch> v;
        EXPECT_EQ(page->get_DocumentView(v.put()), S_OK);
        return v;
    }
    com::ComPtr<IDispatch> range(LONG first, LONG count)
    {
        com::ComPtr<IDispatch> r;
        EXPECT_EQ(page->CreateTextRange(first, count, r.put()), S_OK);
        return r;
    }
    // MarkText over the page's view and the range of `count` words from `first`.
    HRESULT mark_words(LONG first, LONG count, ZeCntMarkTextStyle style, OLE_COLOR colour = 0)
    {
        return mark->MarkText(view().get(), range(first, count).get(), style, colour);
    }

    std::vector<host::object_view> shapes() const { return doc.find(1, "shape"); }
    std::string path() const
    {
        const auto all = shapes();
        if (all.size() != 1) return "<shapes: " + std::to_string(all.size()) + ">";
        return property(all[0], "Path");
    }
    lines kinds() const
    {
        lines out;
        for (const auto& v : doc.objects(1)) out.push_back(v.kind + "#" + std::to_string(v.id));
        return out;
    }
    lines journal_with(const std::string& part)
    {
        lines out;
        for (const auto& line : doc.journal().lines())
            if (line.find(part) != std::string::npos) out.push_back(line);
        return out;
    }

    // MarkText over a stand-in view placing `places` and a range of `items`.
    HRESULT mark_fake(std::vector<place> places, std::vector<LONG> items, ZeCntMarkTextStyle style,
                      LONG count_override = -1)
    {
        fake->places = std::move(places);
        words->items = std::move(items);
        words->count_override = count_override;
        return mark->MarkText(fake.get(), words.get(), style, 0);
    }

    com::ComPtr<IZPrintContentPage> page;
    com::ComPtr<IZPageObjectList> objects;
    com::ComPtr<IZCntElementTextMark> mark;
    com::ComPtr<fake_view> fake;
    com::ComPtr<fake_range> words;
};

TEST_F(TextMark, UnderlineOfTwoJoinedWordsMakesTheExactHostCalls)
{
    const LONG quick = add_text(false), brown = add_text(false);  // ids 2 and 3
    add_word(u"Quick", 100, 100, 200, 140, quick);
    add_word(u"brown", 210, 100, 300, 140, brown);
    auto v = view();
    auto r = range(1, 2);
    doc.journal().enable();
    ASSERT_EQ(mark->MarkText(v.get(), r.get(), zeCntMarkTextUnderline, 0x0000FFFF), S_OK);
    EXPECT_EQ(doc.journal().lines(),
              (lines{
                  "page.get_PageObjects() -> page_objects",
                  "page.get_Resolution() -> 300",
                  "range.get_TextReference() -> 1",
                  "page_objects.Create(2) -> shape~3",
                  "page_objects.Add(shape~3) -> 4",
                  "shape#4.put_PaintMode(1)",
                  "shape#4.put_FillColor(0x0000FFFF)",
                  "shape#4.put_Transparency(50)",
                  "shape#4.put_BlendMode(0)",
                  "shape#4.get_Path() -> shape#4.path",
                  "range.get_ItemCount() -> 2",
                  "range.get_Item(1) -> 1",
                  "view.ItemPlace(1,1) -> 100,100,200,140,2,2",
                  "view.ItemsJoined(1,0,1) -> 0",
                  "range.get_Item(2) -> 2",
                  "view.ItemPlace(1,2) -> 210,100,300,140,3,3",
                  "view.ItemsJoined(1,1,2) -> -1",
                  // one point (300 / 72 = 4 units) at the bottom of the line's 100..140
                  "shape#4.path.Rectangle(100,136,300,140)",
                  "page_objects.Order(4,3,0)",
              }));
    // The mark comes right after the last word's text object.
    EXPECT_EQ(kinds(), (lines{"element#1", "text#2", "text#3", "shape#4"}));
    EXPECT_EQ(page_object_ids(mark.get()), (std::vector<LONG>{4}));
    EXPECT_EQ(property(shapes().at(0), "FillColor"), "0x0000FFFF");
    EXPECT_EQ(property(shapes().at(0), "Transparency"), "50");
}

TEST_F(TextMark, LinesAndHeightsSplitTheMarkIntoRectangles)
{
    add_word(u"one", 100, 100, 200, 140);
    add_word(u"two", 210, 100, 300, 140);   // same line, same height: joined
    add_word(u"three", 310, 95, 400, 140);  // same line, taller: a rectangle of its own
    add_word(u"four", 100, 200, 180, 240);  // next line
    doc.journal().enable();
    ASSERT_EQ(mark_words(1, 4, zeCntMarkTextHighlight), S_OK);
    EXPECT_EQ(journal_with(".path."), (lines{
                                          "shape#2.path.Rectangle(100,100,300,140)",
                                          "shape#2.path.NewFigure(4,0)",
                                          "shape#2.path.Rectangle(310,95,400,140)",
                                          "shape#2.path.NewFigure(4,0)",
                                          "shape#2.path.Rectangle(100,200,180,240)",
                                      }));
    EXPECT_EQ(path(), "R(100,100,300,140) | R(310,95,400,140) | R(100,200,180,240)");
}

TEST_F(TextMark, AnEmptyRangeMakesAnEmptyPathOrderedAfterNothing)
{
    add_word(u"word", 100, 100, 200, 140);
    doc.journal().enable();
    ASSERT_EQ(mark_words(1, 0, zeCntMarkTextUnderline, 0x00FF0000), S_OK);
    const auto got = doc.journal().lines();
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(lines(got.end() - 2, got.end()),
              (lines{"range.get_ItemCount() -> 0", "page_objects.Order(2,0,0)"}));
    EXPECT_EQ(path(), "");
    EXPECT_EQ(kinds(), (lines{"shape#2", "element#1"})) << "after 0: to the front of the list";
}

TEST_F(TextMark, MarkingAgainLeavesOnlyTheSecondShapeAndDeleteTakesItAway)
{
    add_word(u"word", 100, 100, 200, 140);
    auto v = view();
    auto r = range(1, 1);
    ASSERT_EQ(mark->MarkText(v.get(), r.get(), zeCntMarkTextHighlight, 0x000000FF), S_OK);
    doc.journal().enable();
    ASSERT_EQ(mark->MarkText(v.get(), r.get(), zeCntMarkTextUnderline, 0x0000FF00), S_OK);
    const auto got = doc.journal().lines();
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ((lines(got.begin(), got.begin() + 5)),
              (lines{
                  "page.get_PageObjects() -> page_objects",
                  "page.get_Resolution() -> 300",
                  "page.get_PageObjects() -> page_objects",  // the removal asks for the list
                  "page_objects.Remove(2)",
                  "range.get_TextReference() -> 1",
              }));
    ASSERT_EQ(shapes().size(), 1u);
    EXPECT_EQ(shapes()[0].id, 3);
    EXPECT_EQ(property(shapes()[0], "FillColor"), "0x0000FF00");
    EXPECT_EQ(page_object_ids(mark.get()), (std::vector<LONG>{3}));
    ASSERT_EQ(mark->Delete(), S_OK);
    EXPECT_TRUE(shapes().empty());
    EXPECT_TRUE(page_object_ids(mark.get()).empty());
}

TEST_F(TextMark, ANullOrWrongViewOrRangeIsRefusedAfterTheEarlierMarkWentAway)
{
    add_word(u"word", 100, 100, 200, 140);
    auto v = view();
    auto r = range(1, 1);
    const std::vector<std::pair<IDispatch*, IDispatch*>> refused{
        {nullptr, r.get()}, {v.get(), nullptr}, {r.get(), r.get()}, {v.get(), v.get()}};
    for (const auto& [given_view, given_range] : refused) {
        ASSERT_EQ(mark->MarkText(v.get(), r.get(), zeCntMarkTextHighlight, 0), S_OK);
        ASSERT_EQ(shapes().size(), 1u);
        EXPECT_EQ(mark->MarkText(given_view, given_range, zeCntMarkTextHighlight, 0), E_INVALIDARG);
        EXPECT_TRUE(shapes().empty());
        EXPECT_TRUE(page_object_ids(mark.get()).empty());
    }
}

TEST_F(TextMark, HighlightClearsTheBackgroundOfTextObjectsFromFirstToLastId)
{
    const LONG a = add_text(), b = add_text(), c = add_text(), d = add_text();  // 2..5
    // The word is shown by objects a to c; the list's element (id 1) and d are not touched.
    ASSERT_EQ(mark_fake({{100, 100, 200, 140, a, c}}, {1}, zeCntMarkTextUnderline), S_OK);
    for (const auto& text : doc.find(1, "text"))
        EXPECT_NE(property(text, "Background"), "null") << "underline clears nothing, id " << text.id;

    ASSERT_EQ(mark->MarkText(fake.get(), words.get(), zeCntMarkTextHighlight, 0), S_OK);
    std::vector<std::pair<LONG, bool>> cleared;
    for (const auto& text : doc.find(1, "text"))
        cleared.emplace_back(text.id, property(text, "Background") == "null");
    EXPECT_EQ(cleared, (std::vector<std::pair<LONG, bool>>{
                           {a, true}, {b, true}, {c, true}, {d, false}}));
    // Ordered right after the last id the view gave.
    EXPECT_EQ(kinds(), (lines{"element#1", "text#2", "text#3", "text#4", "shape#7", "text#5"}));
}

TEST_F(TextMark, HighlightAsksForEachIdAndOnlyClearsASetBackground)
{
    const std::string plain = std::to_string(add_text(false)), filled = std::to_string(add_text());
    doc.journal().enable();
    // Ids 1 (the element itself), 2, 3, 4 (the mark's own shape) and 5 (no such object).
    ASSERT_EQ(mark_fake({{100, 100, 200, 140, 1, 5}}, {1}, zeCntMarkTextHighlight), S_OK);
    lines touched;
    for (const auto& line : doc.journal().lines())
        if (line.find("ItemFromID") != std::string::npos || line.find("Background") != std::string::npos)
            touched.push_back(line);
    ASSERT_EQ(touched.size(), 8u);
    EXPECT_EQ(touched[0].rfind("page_objects.ItemFromID(1)", 0), 0u) << touched[0];
    EXPECT_EQ(touched[1].rfind("page_objects.ItemFromID(2)", 0), 0u) << touched[1];
    EXPECT_EQ(touched[2], "text#" + plain + ".get_Background() -> null");
    EXPECT_EQ(touched[3].rfind("page_objects.ItemFromID(3)", 0), 0u) << touched[3];
    EXPECT_EQ(touched[4].rfind("text#" + filled + ".get_Background() -> ", 0), 0u);
    EXPECT_EQ(touched[5], "text#" + filled + ".putref_Background(null)");
    EXPECT_EQ(touched[6], "page_objects.ItemFromID(4) -> shape#4");
    EXPECT_EQ(touched[7], "page_objects.ItemFromID(5) !0x80070057");
}

TEST_F(TextMark, JoinedItemsOfDifferentHeightsGiveTwoRectangles)
{
    ASSERT_EQ(mark_fake({{100, 100, 200, 140},
                         {210, 100, 300, 140, 0, 0, true},  // joined, same height: united
                         {310, 100, 400, 150, 0, 0, true},  // joined, but taller
                         {410, 90, 500, 140, 0, 0, true}},  // joined, taller than the first
                        {1, 2, 3, 4}, zeCntMarkTextHighlight),
              S_OK);
    // 310..400 is 50 high and 410..500 is 50 high as well: those two unite.
    EXPECT_EQ(path(), "R(100,100,300,140) | R(310,90,500,150)");
}

TEST_F(TextMark, ItemsTheViewRefusesAreSkippedAndPreviousStays)
{
    doc.journal().enable();
    // Item 2 is refused, 3 gives no last id, 40 is not in the view at all, and the range
    // itself refuses a fifth index.
    ASSERT_EQ(mark_fake({{100, 100, 200, 140, 0, 5}, {0, 0, 0, 0, 0, 9, false, true},
                         {210, 100, 300, 140, 0, 0, true}},
                        {1, 2, 3, 40}, zeCntMarkTextHighlight, 5),
              S_OK);
    EXPECT_EQ(fake->joins_asked, (std::vector<std::pair<LONG, LONG>>{{0, 1}, {1, 3}}));
    EXPECT_EQ(path(), "R(100,100,300,140)");
    // The last id is the last non-zero one the view gave for an item it placed.
    EXPECT_EQ(doc.journal().lines().back(), "page_objects.Order(2,5,0) !0x80070057");
}

TEST_F(TextMark, ARangeOfAnotherPageFindsNothingOnThisOne)
{
    add_word(u"here", 100, 100, 200, 140);
    LONG number = 0;
    ASSERT_EQ(doc.add_page(2550, 3300, 300, &number), S_OK);
    com::ComPtr<IDispatch> p, r;
    doc.page(number, p.put());
    com::ComPtr<IZPrintContentPage> other;
    p->QueryInterface(IZPrintContentPage::iid, other.put_void());
    com::Bstr word(u"there");
    other->AddWord(word.get(), 100, 100, 200, 140, 0);
    ASSERT_EQ(other->CreateTextRange(1, 1, r.put()), S_OK);
    ASSERT_EQ(mark->MarkText(view().get(), r.get(), zeCntMarkTextHighlight, 0), S_OK);
    EXPECT_EQ(path(), "");
    EXPECT_EQ(kinds(), (lines{"shape#2", "element#1"}));
}

TEST_F(TextMark, MarkingDoesNotDirtyTheMarkNorTellTheContainerAndSetPositionLeavesIt)
{
    add_word(u"word", 100, 100, 200, 140);
    saved(mark.get(), TRUE);
    doc.journal().enable();
    ASSERT_EQ(mark_words(1, 1, zeCntMarkTextHighlight), S_OK);
    EXPECT_FALSE(is_dirty(mark.get()));
    EXPECT_EQ(journal_with("get_PageID"), lines{});
    doc.journal().clear();
    ASSERT_EQ(mark->SetPosition(5, 5, 50, 50), S_OK);
    EXPECT_EQ(doc.journal().lines(), lines{});
    EXPECT_EQ(path(), "R(100,100,200,140)");
    // A description now reaches the container, which asks for the page id.
    doc.journal().clear();
    com::Bstr text(u"note");
    ASSERT_EQ(mark->put_Description(text.get()), S_OK);
    EXPECT_EQ(doc.journal().lines(), (lines{"page.get_PageID() -> 1"}));
}

// ---- resolutions and places at the ends of the range ---------------------------------------

TEST_F(TextMark, ResolutionsHeightsAndStylesGiveTheirArithmetic)
{
    constexpr LONG lo = -2147483647 - 1, hi = 2147483647;
    const place line{100, 100, 300, 140}, odd{10, 100, 50, 125}, tall{lo, lo, hi, hi};
    struct mark_case {
        LONG resolution;
        ZeCntMarkTextStyle style;
        place where;
        const char* path;
    };
    const mark_case cases[] = {
        // 300 / 72 = 4 units a point: 100 + (40 / 2 - 4 / 2) = 118, one point high
        {300, zeCntMarkTextStrikethrough, line, "R(100,118,300,122)"},
        // 720 / 72 = 10; height 25: 100 + (12 - 5) = 107
        {720, zeCntMarkTextStrikethrough, odd, "R(10,107,50,117)"},
        // 299 / 72 = 4 as well: an underline of 100..125 is 121..125
        {299, zeCntMarkTextUnderline, odd, "R(10,121,50,125)"},
        // 71 / 72 = 0: a band of no height at the bottom and at 100 + 20
        {71, zeCntMarkTextUnderline, line, "R(100,140,300,140)"},
        {71, zeCntMarkTextStrikethrough, line, "R(100,120,300,120)"},
        // 2147483647 / 72 = 29826161: 140 - 29826161 = -29826021
        {hi, zeCntMarkTextUnderline, line, "R(100,-29826021,300,140)"},
        // 100 + (20 - 14913080) = -14912960; + 29826161 = 14913201
        {hi, zeCntMarkTextStrikethrough, line, "R(100,-14912960,300,14913201)"},
        // The highlight does not use the unit at all, nor does a style the mark does not know.
        {71, zeCntMarkTextHighlight, line, "R(100,100,300,140)"},
        {300, static_cast<ZeCntMarkTextStyle>(7), line, "R(100,100,300,140)"},
        // Places at the ends of the range wrap instead of overflowing: the height hi - lo
        // wraps to -1; -1 / 2 = 0; lo + (0 - 2) wraps to hi - 1; + 4 wraps.
        {300, zeCntMarkTextStrikethrough, tall, "R(-2147483648,2147483646,2147483647,-2147483646)"},
        {300, zeCntMarkTextUnderline, tall, "R(-2147483648,2147483643,2147483647,2147483647)"},
    };
    for (const mark_case& c : cases) {
        ASSERT_EQ(page->put_Resolution(c.resolution), S_OK);
        EXPECT_EQ(mark_fake({c.where}, {1}, c.style), S_OK);
        EXPECT_EQ(path(), c.path) << "resolution " << c.resolution << ", style " << c.style;
    }
}

}  // namespace
}  // namespace element_test
