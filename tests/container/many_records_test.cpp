// The container with many records on one page: finding, removing and renaming records keeps
// the order and answers of a plain list of them, on short pages and on long ones alike (how
// the costs grow: bench/scaling_bench.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "tests/container/support.h"

namespace {

struct filed {
    LONG page_id, element_id;
};

using container_test::count_of;
using container_test::element_id_of;
using container_test::item;
using container_test::new_container;

// Every record in container order against the model, and each found by its ids.
void expect_records(IZCntElementContainer* c, const std::vector<filed>& model)
{
    ASSERT_EQ(count_of(c), static_cast<LONG>(model.size()));
    for (std::size_t i = 0; i < model.size(); ++i) {
        auto info = item(c, static_cast<LONG>(i + 1));
        ASSERT_TRUE(info);
        LONG page_id = 0;
        info->get_PageID(&page_id);
        EXPECT_EQ(page_id, model[i].page_id) << i;
        EXPECT_EQ(element_id_of(info.get()), model[i].element_id) << i;
    }
    for (const filed& f : model) {
        com::ComPtr<IZCntElementInfo> found;
        EXPECT_EQ(c->get_ItemFromID(f.page_id, f.element_id, found.put()), S_OK) << f.element_id;
    }
}

// Pages 2 and 1 get `count` records each, page 2 first; the model is in container order.
std::vector<filed> fill(IZCntElementContainer* c, IZCntElementBase* element, LONG count)
{
    std::vector<filed> model;
    for (LONG page : {LONG{1}, LONG{2}})
        for (LONG id = 1; id <= count; ++id) model.push_back({page, id * 10});
    for (LONG page : {LONG{2}, LONG{1}})
        for (LONG id = 1; id <= count; ++id) EXPECT_EQ(c->AddElement(page, id * 10, element), S_OK);
    return model;
}

class ManyRecords : public ::testing::TestWithParam<LONG> {
protected:
    com::ComPtr<container_test::CElement> element = container_test::make_element({});
    com::ComPtr<IZCntElementContainer> c = new_container();
};

TEST_P(ManyRecords, RemovingInAnyOrderKeepsTheOrderOfTheRest)
{
    std::vector<filed> model = fill(c.get(), element->base(), GetParam());
    std::mt19937 random(5);
    std::vector<filed> gone;
    while (model.size() > 2) {
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, model.size() - 1)(random);
        ASSERT_EQ(c->RemoveElement(model[at].page_id, model[at].element_id), S_OK);
        gone.push_back(model[at]);
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        if (model.size() % 7 == 0) expect_records(c.get(), model);
    }
    expect_records(c.get(), model);
    for (const filed& f : gone) {
        com::ComPtr<IZCntElementInfo> found;
        EXPECT_EQ(c->get_ItemFromID(f.page_id, f.element_id, found.put()), E_INVALIDARG);
        EXPECT_EQ(c->RemoveElement(f.page_id, f.element_id), E_INVALIDARG);
    }
    // Filing again after removals appends at the end of the page.
    ASSERT_EQ(c->AddElement(1, 5, element->base()), S_OK);
    const auto page_end = std::find_if(model.begin(), model.end(),
                                       [](const filed& f) { return f.page_id == 2; });
    model.insert(page_end, filed{1, 5});
    expect_records(c.get(), model);
}

TEST_P(ManyRecords, WalkingFromTheFrontWhileRemovingSeesEachRecordOnce)
{
    std::vector<filed> model = fill(c.get(), element->base(), GetParam());
    for (const filed& f : model) {
        ASSERT_EQ(element_id_of(item(c.get(), 1).get()), f.element_id);
        ASSERT_EQ(c->RemoveElement(f.page_id, f.element_id), S_OK);
    }
    EXPECT_EQ(count_of(c.get()), 0);
}

TEST_P(ManyRecords, ARenamedRecordIsFoundUnderItsNewIdAndTheFirstOfTwoAlike)
{
    std::vector<filed> model = fill(c.get(), element->base(), GetParam());
    // Record 3 of page 1 takes a new id; the last record of page 1 takes the id of record 2.
    const LONG last = GetParam();
    ASSERT_EQ(item(c.get(), 3)->put_ElementID(7), S_OK);
    ASSERT_EQ(item(c.get(), last)->put_ElementID(20), S_OK);
    model[2].element_id = 7;
    model[static_cast<std::size_t>(last - 1)].element_id = 20;
    com::ComPtr<IZCntElementInfo> found;
    EXPECT_EQ(c->get_ItemFromID(1, 30, found.put()), E_INVALIDARG);
    ASSERT_EQ(c->get_ItemFromID(1, 7, found.put()), S_OK);
    EXPECT_EQ(found.get(), item(c.get(), 3).get());

    ASSERT_EQ(c->get_ItemFromID(1, 20, found.put()), S_OK);
    EXPECT_EQ(found.get(), item(c.get(), 2).get());
    // Refreshing refreshes the first and files nothing new.
    ASSERT_EQ(c->UpdateElement(1, 20, element->base()), S_OK);
    expect_records(c.get(), model);
    // Removing takes the first; the second is then the one found.
    const auto second = item(c.get(), last);
    ASSERT_EQ(c->RemoveElement(1, 20), S_OK);
    model.erase(model.begin() + 1);
    ASSERT_EQ(c->get_ItemFromID(1, 20, found.put()), S_OK);
    EXPECT_EQ(found.get(), second.get());
    expect_records(c.get(), model);
}

TEST_P(ManyRecords, SavedAfterRemovalsLoadsInTheSameOrder)
{
    std::vector<filed> model = fill(c.get(), element->base(), GetParam());
    for (std::size_t i = model.size(); i-- > 0;)
        if (i % 3 == 1) {
            ASSERT_EQ(c->RemoveElement(model[i].page_id, model[i].element_id), S_OK);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
        }
    auto loaded = new_container();
    ASSERT_EQ(container_test::load(loaded.get(), container_test::saved(c.get())), S_OK);
    expect_records(loaded.get(), model);
}

// Below and well above the length from which a page's records are indexed.
INSTANTIATE_TEST_SUITE_P(PageLengths, ManyRecords, ::testing::Values(LONG{5}, LONG{300}));

}  // namespace
