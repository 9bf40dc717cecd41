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

TEST_F(HitTest, CornerIsInsideAndEdgeBetweenCornersIsOutside)
{
    auto c = new_container();
    auto e = element_at(100, 100, 200, 200);
    c->AddElement(1, 1, e->base());
    EXPECT_EQ(hit(c.get(), 1, 150, 150), 1);
    EXPECT_EQ(hit(c.get(), 1, 100, 150), 0) << "left edge";
    EXPECT_EQ(hit(c.get(), 1, 150, 200), 0) << "bottom edge";
    EXPECT_EQ(hit(c.get(), 1, 200, 150), 0) << "right edge";
    EXPECT_EQ(hit(c.get(), 1, 150, 100), 0) << "top edge";
    for (auto [x, y] : {std::pair{100, 100}, {200, 100}, {200, 200}, {100, 200}})
        EXPECT_EQ(hit(c.get(), 1, x, y), 1) << x << "," << y << " is a corner";
    EXPECT_EQ(hit(c.get(), 1, 99, 150), 0);
    EXPECT_EQ(hit(c.get(), 1, 201, 201), 0);
}

TEST_F(HitTest, ReversedRectangleIsHitEitherWinding)
{
    auto c = new_container();
    auto e = element_at(200, 100, 100, 200);  // negative width
    c->AddElement(1, 1, e->base());
    EXPECT_EQ(hit(c.get(), 1, 150, 150), 1);
}

TEST_F(HitTest, AllZeroRectangleIsNeverHit)
{
    auto c = new_container();
    auto e = element_at(0, 0, 0, 0);
    c->AddElement(1, 1, e->base());
    EXPECT_EQ(hit(c.get(), 1, 0, 0), 0);
    // A degenerate figure elsewhere counts as inside on its own point.
    auto dot = element_at(5, 5, 5, 5);
    c->AddElement(1, 2, dot->base());
    EXPECT_EQ(hit(c.get(), 1, 5, 5), 2);
    EXPECT_EQ(hit(c.get(), 1, 0, 0), 2) << "every sign is 0 on a point figure's line";
}

TEST_F(HitTest, RotatedRecordIsTestedAsItsQuadrilateral)
{
    // (0, 0, 100, 50) turned by 90 degrees about (0, 50): (-50, 50), (-50, -50), (0, -50), (0, 50).
    auto c = new_container();
    auto e = element_at(0, 0, 100, 50, u"", zeCntElementTypeStamp, 90);
    c->AddElement(1, 1, e->base());
    EXPECT_EQ(hit(c.get(), 1, -25, 0), 1);
    EXPECT_EQ(hit(c.get(), 1, 50, 25), 0) << "inside the unturned rectangle only";
    for (auto [x, y] : {std::pair{-50, 50}, {-50, -50}, {0, -50}, {0, 50}})
        EXPECT_EQ(hit(c.get(), 1, x, y), 1) << x << "," << y << " is a turned corner";
    EXPECT_EQ(hit(c.get(), 1, 0, 0), 0) << "on the turned right edge";
    EXPECT_EQ(hit(c.get(), 1, -51, 0), 0);
    EXPECT_EQ(hit(c.get(), 1, -25, 51), 0);
}

TEST_F(HitTest, NegativeInclinationTurnsTheOtherWay)
{
    // Turned by -90 degrees about (0, 50): (50, 50), (50, 150), (0, 150), (0, 50).
    auto c = new_container();
    auto e = element_at(0, 0, 100, 50, u"", zeCntElementTypeStamp, -90);
    c->AddElement(1, 1, e->base());
    EXPECT_EQ(hit(c.get(), 1, 25, 100), 1);
    EXPECT_EQ(hit(c.get(), 1, -25, 0), 0);
    EXPECT_EQ(hit(c.get(), 1, 50, 150), 1) << "turned corner";
}

TEST_F(HitTest, StationeryIsHitOnlyOnItsBorderBand)
{
    auto c = new_container();
    auto stationery = element_at(0, 0, 1000, 1000, u"_STATIONERY:letterhead");
    auto behind = element_at(400, 400, 600, 600);
    c->AddElement(1, 1, stationery->base());
    c->AddElement(1, 2, behind->base());
    EXPECT_EQ(hit(c.get(), 1, 500, 500, 10), 2) << "the walk goes on behind the stationery";
    EXPECT_EQ(hit(c.get(), 1, 5, 500, 10), 1);
    EXPECT_EQ(hit(c.get(), 1, 995, 995, 10), 1);
    EXPECT_EQ(hit(c.get(), 1, 10, 500, 10), 1) << "the inner rectangle's edge is outside it";
    EXPECT_EQ(hit(c.get(), 1, 300, 300, 10), 0);
    EXPECT_EQ(hit(c.get(), 1, 1005, 500, 10), 0) << "HitWidth does not widen the outer test";
}

TEST_F(HitTest, StationeryPrefixNeedsAllTwelveCharacters)
{
    auto c = new_container();
    auto exact = element_at(0, 0, 100, 100, u"_stationery:");
    auto shorter = element_at(0, 0, 100, 100, u"_Stationery");
    auto mixed = element_at(0, 0, 100, 100, u"_sTaTiOnErY:x");
    c->AddElement(1, 1, exact->base());
    c->AddElement(2, 1, shorter->base());
    c->AddElement(3, 1, mixed->base());
    EXPECT_EQ(hit(c.get(), 1, 50, 50, 10), 0);
    EXPECT_EQ(hit(c.get(), 2, 50, 50, 10), 1) << "without the colon it is an ordinary record";
    EXPECT_EQ(hit(c.get(), 3, 50, 50, 10), 0);
    EXPECT_EQ(hit(c.get(), 3, 5, 50, 10), 1);
}

TEST_F(HitTest, InclinedStationeryUsesTheUnturnedInnerRectangle)
{
    // Turned by 10 degrees about (0, 1000); the band is measured on (10, 10, 990, 990).
    auto c = new_container();
    auto e = element_at(0, 0, 1000, 1000, u"_Stationery:", zeCntElementTypeStamp, 10);
    c->AddElement(1, 1, e->base());
    EXPECT_EQ(hit(c.get(), 1, 500, 500, 10), 0);
    EXPECT_EQ(hit(c.get(), 1, -50, 500, 10), 1) << "inside the turned figure, left of the band";
    EXPECT_EQ(hit(c.get(), 1, 980, 900, 10), 0) << "outside the turned figure";
}

TEST_F(HitTest, PageBreakIsHitInItsWholeArea)
{
    auto c = new_container();
    auto e = element_at(0, 0, 1000, 1000, u"_Stationery:band", zeCntElementTypePageBreak);
    c->AddElement(1, 1, e->base());
    EXPECT_EQ(hit(c.get(), 1, 500, 500, 10), 1);
}

TEST_F(HitTest, OnlyRecordsOfThePageAreHitFirstInContainerOrder)
{
    auto c = new_container();
    auto e = element_at(0, 0, 100, 100);
    c->AddElement(2, 20, e->base());
    c->AddElement(1, 10, e->base());
    c->AddElement(1, 11, e->base());
    EXPECT_EQ(hit(c.get(), 1, 50, 50), 10);
    EXPECT_EQ(hit(c.get(), 2, 50, 50), 20);
    EXPECT_EQ(hit(c.get(), 3, 50, 50), 0) << "a page without records";
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

TEST_F(HitTest, PageObjectIsCheckedAndReleased)
{
    auto c = new_container();
    auto e = element_at(0, 0, 100, 100);
    c->AddElement(1, 1, e->base());
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
}

TEST_F(HitTest, PageWhoseIdGetterFailsCountsAsPageZero)
{
    auto c = new_container();
    auto e = element_at(0, 0, 100, 100);
    c->AddElement(0, 1, e->base());
    auto page = make_page(5);
    page->answers_page_id = false;
    com::ComPtr<IZCntElementInfo> found;
    EXPECT_EQ(c->FindElementFromPoint(page->dispatch(), 0, 5, 5, found.put()), S_OK);
    EXPECT_EQ(element_id_of(found.get()), 1);
}

TEST_F(HitTest, HitRecordCarriesAReferenceForTheCaller)
{
    auto c = new_container();
    auto e = element_at(0, 0, 100, 100);
    c->AddElement(1, 1, e->base());
    com::ComPtr<IZCntElementInfo> found;
    auto page = make_page(1);
    ASSERT_EQ(c->FindElementFromPoint(page->dispatch(), 0, 5, 5, found.put()), S_OK);
    c = nullptr;
    EXPECT_EQ(element_id_of(found.get()), 1) << "the record outlives the container";
}

}  // namespace
}  // namespace container_test
