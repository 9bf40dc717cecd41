// FindElementFromPoint: the page's records in container order, the corner and edge rule,
// turned records, stationery border bands, page breaks, and the page object's handling.
#include "tests/container/support.h"

namespace container_test {
namespace {

class HitTest : public Released {
protected:
    // The element id of the record hit on page `page` at (x, y), 0 for none.
    LONG hit(IZCntElementContainer* c, LONG page, LONG x, LONG y, LONG hit_width = 0)
    {
        auto host = make_page(page);
        com::ComPtr<IZCntElementInfo> found;
        const HRESULT hr = c->FindElementFromPoint(host->dispatch(), hit_width, x, y, found.put());
        if (hr == S_FALSE) {
            EXPECT_EQ(found.get(), nullptr);
            return 0;
        }
        EXPECT_EQ(hr, S_OK);
        return found ? element_id_of(found.get()) : -1;
    }
};

struct placed {
    LONG page, id;
    std::vector<LONG> rect;  // left, top, right, bottom
    SHORT inclination = 0;
    std::u16string description = u"";
    ZeCntElementType type = zeCntElementTypeLink;
};
struct probe {
    LONG page, x, y, hit_width, expected;
    const char* why = "";
};
struct layout {
    const char* name;
    std::vector<placed> records;
    std::vector<probe> probes;
};

TEST_F(HitTest, PointsAgainstLayoutsOfRecords)
{
    const layout layouts[] = {
        {"corners are inside, edges between them outside",
         {{1, 1, {100, 100, 200, 200}}},
         {{1, 150, 150, 0, 1}, {1, 100, 150, 0, 0, "left edge"}, {1, 150, 200, 0, 0, "bottom"},
          {1, 200, 150, 0, 0, "right edge"}, {1, 150, 100, 0, 0, "top edge"},
          {1, 100, 100, 0, 1}, {1, 200, 100, 0, 1}, {1, 200, 200, 0, 1}, {1, 100, 200, 0, 1},
          {1, 99, 150, 0, 0}, {1, 201, 201, 0, 0}}},
        {"a reversed rectangle is hit either winding", {{1, 1, {200, 100, 100, 200}}},
         {{1, 150, 150, 0, 1}}},
        {"an all-zero rectangle is never hit; a point figure is",
         {{1, 1, {0, 0, 0, 0}}, {1, 2, {5, 5, 5, 5}}},
         {{1, 5, 5, 0, 2}, {1, 0, 0, 0, 2, "every sign is 0 on a point figure's line"}}},
        // (0, 0, 100, 50) turned by 90 degrees about (0, 50): (-50, 50), (-50, -50), (0, -50),
        // (0, 50).
        {"turned by 90 degrees", {{1, 1, {0, 0, 100, 50}, 90, u"", zeCntElementTypeStamp}},
         {{1, -25, 0, 0, 1}, {1, 50, 25, 0, 0, "inside the unturned rectangle only"},
          {1, -50, 50, 0, 1}, {1, -50, -50, 0, 1}, {1, 0, -50, 0, 1}, {1, 0, 50, 0, 1},
          {1, 0, 0, 0, 0, "on the turned right edge"}, {1, -51, 0, 0, 0}, {1, -25, 51, 0, 0}}},
        // Turned by -90 degrees about (0, 50): (50, 50), (50, 150), (0, 150), (0, 50).
        {"turned by -90 degrees", {{1, 1, {0, 0, 100, 50}, -90, u"", zeCntElementTypeStamp}},
         {{1, 25, 100, 0, 1}, {1, -25, 0, 0, 0}, {1, 50, 150, 0, 1, "turned corner"}}},
        {"stationery is hit only on its border band",
         {{1, 1, {0, 0, 1000, 1000}, 0, u"_STATIONERY:letterhead"}, {1, 2, {400, 400, 600, 600}}},
         {{1, 500, 500, 10, 2, "the walk goes on behind the stationery"}, {1, 5, 500, 10, 1},
          {1, 995, 995, 10, 1}, {1, 10, 500, 10, 1, "the inner rectangle's edge is outside it"},
          {1, 300, 300, 10, 0}, {1, 1005, 500, 10, 0, "HitWidth does not widen the outer test"}}},
        {"the stationery prefix needs all twelve characters",
         {{1, 1, {0, 0, 100, 100}, 0, u"_stationery:"}, {2, 1, {0, 0, 100, 100}, 0, u"_Stationery"},
          {3, 1, {0, 0, 100, 100}, 0, u"_sTaTiOnErY:x"}},
         {{1, 50, 50, 10, 0}, {2, 50, 50, 10, 1, "without the colon an ordinary record"},
          {3, 50, 50, 10, 0}, {3, 5, 50, 10, 1}}},
        // Turned by 10 degrees about (0, 1000); the band is measured on (10, 10, 990, 990).
        {"inclined stationery uses the unturned inner rectangle",
         {{1, 1, {0, 0, 1000, 1000}, 10, u"_Stationery:", zeCntElementTypeStamp}},
         {{1, 500, 500, 10, 0}, {1, -50, 500, 10, 1, "inside the turned figure, left of the band"},
          {1, 980, 900, 10, 0, "outside the turned figure"}}},
        {"a page break is hit in its whole area",
         {{1, 1, {0, 0, 1000, 1000}, 0, u"_Stationery:band", zeCntElementTypePageBreak}},
         {{1, 500, 500, 10, 1}}},
        {"only records of the page, the first in container order",
         {{2, 20, {0, 0, 100, 100}}, {1, 10, {0, 0, 100, 100}}, {1, 11, {0, 0, 100, 100}}},
         {{1, 50, 50, 0, 10}, {2, 50, 50, 0, 20}, {3, 50, 50, 0, 0, "a page without records"}}},
    };
    for (const layout& l : layouts) {
        SCOPED_TRACE(l.name);
        auto c = new_container();
        std::vector<com::ComPtr<CElement>> elements;
        for (const placed& p : l.records) {
            elements.push_back(element_at(p.rect[0], p.rect[1], p.rect[2], p.rect[3],
                                          p.description, p.type, p.inclination));
            ASSERT_EQ(c->AddElement(p.page, p.id, elements.back()->base()), S_OK);
        }
        for (const probe& p : l.probes)
            EXPECT_EQ(hit(c.get(), p.page, p.x, p.y, p.hit_width), p.expected)
                << "page " << p.page << " at " << p.x << "," << p.y << " " << p.why;
    }
}

TEST_F(HitTest, RecordMovedToAnotherPageThroughItsPageIdIsHitThere)
{
    auto c = new_container();
    auto e = element_at(0, 0, 100, 100);
    c->AddElement(1, 10, e->base());
    c->AddElement(3, 30, e->base());
    com::ComPtr<IZCntElementInfo> record;
    ASSERT_EQ(c->get_ItemFromID(1, 10, record.put()), S_OK);
    record->put_PageID(3);
    EXPECT_EQ(hit(c.get(), 1, 50, 50), 0) << "the walk compares the record's PageID";
    EXPECT_EQ(hit(c.get(), 3, 50, 50), 10) << "and it stays first in container order";
    record->put_PageID(1);
    EXPECT_EQ(hit(c.get(), 1, 50, 50), 10);
    EXPECT_EQ(hit(c.get(), 3, 50, 50), 30);
    // Lookups go by the key the record is filed under and its element id.
    record->put_PageID(3);
    EXPECT_EQ(c->RemoveElement(3, 10), E_INVALIDARG) << "filed under 1, whatever its PageID says";
    ASSERT_EQ(c->RemoveElement(1, 10), S_OK);
    EXPECT_EQ(hit(c.get(), 3, 50, 50), 30) << "the removed record is gone from the walk";
    EXPECT_EQ(record->put_PageID(1), S_OK);
    EXPECT_EQ(hit(c.get(), 1, 50, 50), 0);
    c = nullptr;
    EXPECT_EQ(record->put_PageID(4), S_OK) << "a record outliving its container";
}

TEST_F(HitTest, PageObjectIsCheckedReleasedAndCountsAsPageZeroWithoutAnId)
{
    auto c = new_container();
    auto e = element_at(0, 0, 100, 100);
    c->AddElement(1, 1, e->base());
    c->AddElement(0, 2, e->base());
    auto page = make_page(1);
    EXPECT_EQ(c->FindElementFromPoint(page->dispatch(), 0, 5, 5, nullptr), E_POINTER);
    IZCntElementInfo* found = new_info().detach();
    IZCntElementInfo* stale = found;
    EXPECT_EQ(c->FindElementFromPoint(nullptr, 0, 5, 5, &found), E_INVALIDARG);
    EXPECT_EQ(found, nullptr);
    stale->Release();
    EXPECT_EQ(c->FindElementFromPoint(e->base(), 0, 5, 5, &found), E_INVALIDARG)
        << "an object that is not a host page";
    ASSERT_EQ(c->FindElementFromPoint(page->dispatch(), 0, 5, 5, &found), S_OK);
    found->Release();
    page->AddRef();
    EXPECT_EQ(page->Release(), 1u) << "the container let the page go";

    page->answers_page_id = false;  // the failing getter counts as page 0
    com::ComPtr<IZCntElementInfo> hit;
    EXPECT_EQ(c->FindElementFromPoint(page->dispatch(), 0, 5, 5, hit.put()), S_OK);
    EXPECT_EQ(element_id_of(hit.get()), 2);
    c = nullptr;
    EXPECT_EQ(element_id_of(hit.get()), 2) << "the hit record outlives the container";
}

}  // namespace
}  // namespace container_test
