// Filing and finding records: container order by page id, insertion order within a page,
// lookups by (page id, element id), Item bounds, update, removal and the dirty flag.
#include "tests/container/support.h"

namespace container_test {
namespace {

class Records : public Released {};

LONG page_of(IZCntElementInfo* info)
{
    LONG id = -1;
    info->get_PageID(&id);
    return id;
}

TEST_F(Records, ItemWalksPagesInSignedIdOrderAndEachPageInInsertionOrder)
{
    auto c = new_container();
    auto e = element_at(0, 0, 10, 10);
    for (LONG id : {30, 10, 20}) c->AddElement(4, id, e->base());
    c->AddElement(3, 99, e->base());
    c->AddElement(4, 5, e->base());
    c->AddElement(-7, 1, e->base());
    EXPECT_EQ(ids_in_order(c.get()), (std::vector<LONG>{1, 99, 30, 10, 20, 5}));
    EXPECT_EQ(page_of(item(c.get(), 1).get()), -7) << "page ids compare signed";
    // Walking backwards gives the same records as walking forwards.
    const std::vector<LONG> ids = ids_in_order(c.get());
    for (LONG i = count_of(c.get()); i >= 1; --i)
        EXPECT_EQ(element_id_of(item(c.get(), i).get()), ids[static_cast<std::size_t>(i - 1)]);
    // After a change Item sees the new order.
    c->AddElement(1, 3, e->base());
    EXPECT_EQ(element_id_of(item(c.get(), 2).get()), 3);
    c->RemoveElement(4, 30);
    EXPECT_EQ(ids_in_order(c.get()), (std::vector<LONG>{1, 3, 99, 10, 20, 5}));
}

TEST_F(Records, ItemOutsideOneToCountIsRefusedWithANullResult)
{
    auto c = new_container();
    auto e = element_at(0, 0, 10, 10);
    c->AddElement(1, 1, e->base());
    for (LONG index : {0, 2, -1}) {
        SCOPED_TRACE(index);
        IZCntElementInfo* out = new_info().detach();
        IZCntElementInfo* stale = out;
        EXPECT_EQ(c->get_Item(index, &out), E_INVALIDARG);
        EXPECT_EQ(out, nullptr);
        stale->Release();
    }
    EXPECT_EQ(c->get_Item(1, nullptr), E_POINTER);
    EXPECT_EQ(c->get_Count(nullptr), E_POINTER);
}

TEST_F(Records, AddingAKnownPairRefreshesTheRecordWithoutASecondOneNorAReference)
{
    auto c = new_container();
    auto e = element_at(0, 0, 10, 10, u"first");
    c->AddElement(1, 1, e->base());
    auto before = item(c.get(), 1);
    e->values.description = u"second";
    e->values.width = 50;
    ASSERT_EQ(c->AddElement(1, 1, e->base()), S_OK);
    EXPECT_EQ(count_of(c.get()), 1);
    auto after = item(c.get(), 1);
    EXPECT_EQ(after.get(), before.get()) << "the same record object, refreshed";
    EXPECT_EQ(description_of(after.get()), u"second");
    LONG right = 0;
    after->GetPosition(nullptr, nullptr, &right, nullptr, nullptr);
    EXPECT_EQ(right, 50);
    e->AddRef();
    EXPECT_EQ(e->Release(), 1u) << "records keep no reference to the element";
}

TEST_F(Records, ItemFromIdFindsTheFirstMatchOfThePage)
{
    auto c = new_container();
    auto a = element_at(0, 0, 1, 1, u"a");
    auto b = element_at(0, 0, 1, 1, u"b");
    c->AddElement(1, 7, a->base());
    c->AddElement(2, 7, b->base());
    com::ComPtr<IZCntElementInfo> found;
    ASSERT_EQ(c->get_ItemFromID(2, 7, found.put()), S_OK);
    EXPECT_EQ(description_of(found.get()), u"b");
    EXPECT_EQ(c->get_ItemFromID(3, 7, found.put()), E_INVALIDARG);
    EXPECT_EQ(found.get(), nullptr);
    EXPECT_EQ(c->get_ItemFromID(1, 8, found.put()), E_INVALIDARG);
    EXPECT_EQ(c->get_ItemFromID(1, 7, nullptr), E_POINTER);
}

TEST_F(Records, DuplicatePairsFromAStreamAreFoundFirstInOrder)
{
    auto c = new_container();
    info_fields one{.page_id = 4, .element_id = 9, .description = u"one", .right = 1};
    info_fields two = one;
    two.description = u"two";
    ASSERT_EQ(load(c.get(), container_record({one, two}, 1)), S_OK);
    ASSERT_EQ(count_of(c.get()), 2);
    com::ComPtr<IZCntElementInfo> found;
    ASSERT_EQ(c->get_ItemFromID(4, 9, found.put()), S_OK);
    EXPECT_EQ(description_of(found.get()), u"one");
    ASSERT_EQ(c->RemoveElement(4, 9), S_OK);
    ASSERT_EQ(c->get_ItemFromID(4, 9, found.put()), S_OK);
    EXPECT_EQ(description_of(found.get()), u"two");
}

TEST_F(Records, UpdateOfAnUnknownPairAddsItAndANullElementIsRefused)
{
    auto c = new_container();
    EXPECT_EQ(c->AddElement(1, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(c->UpdateElement(1, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(count_of(c.get()), 0);
    EXPECT_FALSE(is_dirty(c.get())) << "nothing was filed";
    auto e = element_at(0, 0, 10, 10);
    ASSERT_EQ(c->UpdateElement(3, 4, e->base()), S_OK);
    EXPECT_EQ(count_of(c.get()), 1);
    ASSERT_EQ(c->UpdateElement(3, 4, e->base()), S_OK);
    EXPECT_EQ(count_of(c.get()), 1);
}

TEST_F(Records, RemoveTakesTheRecordOutButLeavesItToItsHolders)
{
    auto c = new_container();
    auto e = element_at(0, 0, 10, 10, u"held");
    c->AddElement(1, 1, e->base());
    c->AddElement(1, 2, e->base());
    auto held = item(c.get(), 1);
    ASSERT_EQ(c->RemoveElement(1, 1), S_OK);
    EXPECT_EQ(count_of(c.get()), 1);
    EXPECT_EQ(element_id_of(item(c.get(), 1).get()), 2);
    EXPECT_EQ(description_of(held.get()), u"held") << "a handed-out record stays alive";
    EXPECT_EQ(held->put_PageID(8), S_OK);
}

TEST_F(Records, DirtyFlagFollowsChangesAndNotFailedRemovals)
{
    auto c = new_container();
    EXPECT_FALSE(is_dirty(c.get())) << "a new container starts clean";
    EXPECT_EQ(query<IPersistStreamInit>(c.get())->InitNew(), S_OK);
    EXPECT_TRUE(is_dirty(c.get()));
    saved(c.get());
    EXPECT_FALSE(is_dirty(c.get()));

    auto e = element_at(0, 0, 10, 10);
    c->AddElement(1, 1, e->base());
    EXPECT_TRUE(is_dirty(c.get()));
    saved(c.get());
    c->UpdateElement(1, 1, e->base());
    EXPECT_TRUE(is_dirty(c.get()));
    saved(c.get());

    EXPECT_EQ(c->RemoveElement(1, 2), E_INVALIDARG);
    EXPECT_EQ(c->RemoveElement(2, 1), E_INVALIDARG);
    EXPECT_FALSE(is_dirty(c.get())) << "removing a missing pair changes nothing";
    query<IPersistStreamInit>(c.get())->InitNew();
    EXPECT_EQ(c->RemoveElement(2, 1), E_INVALIDARG);
    EXPECT_TRUE(is_dirty(c.get())) << "and leaves a set flag set";
    saved(c.get());

    EXPECT_EQ(c->RemoveElement(1, 1), S_OK);
    EXPECT_TRUE(is_dirty(c.get()));
    saved(c.get(), FALSE);
    EXPECT_TRUE(is_dirty(c.get()));

    auto e2 = element_at(0, 0, 10, 10);
    c->AddElement(1, 5, e2->base());
    saved(c.get());
    item(c.get(), 1)->put_ElementID(6);
    EXPECT_FALSE(is_dirty(c.get())) << "a change made on a record is not the container's";
    EXPECT_EQ(c->RemoveElement(1, 6), S_OK) << "lookups read the record's current element id";
}

}  // namespace
}  // namespace container_test
