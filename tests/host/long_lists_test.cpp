// Long page object lists, many elements on a page and many pages: removing, ordering and
// finding keep the answers of a plain list (how the costs grow: bench/scaling_bench.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "contentelements/zprint_page.h"
#include "host/model/document_object.h"
#include "tests/host/page_lists.h"

namespace {

struct listed {
    LONG id;
    com::ComPtr<IDispatch> object;
};

class LongLists : public ::testing::Test, protected page_lists {
protected:
    listed add_shape()
    {
        com::ComPtr<IDispatch> o;
        EXPECT_EQ(objects->Create(zeKindShape, o.put()), S_OK);
        auto v = com::Variant::from_dispatch(o.get());
        LONG id = 0;
        EXPECT_EQ(objects->Add(*v.get(), &id), S_OK);
        return {id, o};
    }

    void expect_list(const std::vector<listed>& model)
    {
        LONG count = -1;
        ASSERT_EQ(objects->get_Count(&count), S_OK);
        ASSERT_EQ(count, static_cast<LONG>(model.size()));
        for (std::size_t i = 0; i < model.size(); ++i) {
            LONG id = 0;
            ASSERT_EQ(objects->get_ItemID(static_cast<LONG>(i + 1), &id), S_OK);
            ASSERT_EQ(id, model[i].id) << i;
            com::ComPtr<IDispatch> found;
            ASSERT_EQ(objects->ItemFromID(id, found.put()), S_OK);
            EXPECT_TRUE(com::same_object(found.get(), model[i].object.get())) << id;
        }
    }
};

// Removals, moves and objects listed again at random, on a short list and on one long enough
// to be looked up through an index (which it crosses into as it grows): found by id on the way,
// the order and ids then read as a plain list gives them; most of a list removed between two
// reads by index leaves no id 0.
TEST_F(LongLists, RandomRemovalsMovesAndAddsKeepTheIdsPlacesAndObjects)
{
    for (const int length : {40, 700}) {
        SCOPED_TRACE(length);
        std::vector<listed> model;
        for (int i = 0; i < length; ++i) model.push_back(add_shape());
        std::vector<listed> gone;
        LONG highest = model.back().id;
        std::mt19937 random(static_cast<unsigned>(length));
        auto any = [&random](std::size_t size) {
            return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
        };
        const auto begin = [&model](std::size_t at) { return model.begin() + static_cast<std::ptrdiff_t>(at); };
        for (int step = 0; step < 3 * length; ++step) {
            const std::size_t at = any(model.size());
            if (step % 4 == 3 && !gone.empty()) {  // a removed object listed again: a new id
                const std::size_t which = any(gone.size());
                auto v = com::Variant::from_dispatch(gone[which].object.get());
                LONG id = 0;
                ASSERT_EQ(objects->Add(*v.get(), &id), S_OK);
                EXPECT_EQ(id, ++highest);
                model.push_back({id, gone[which].object});
                gone.erase(gone.begin() + static_cast<std::ptrdiff_t>(which));
            } else if (step % 8 == 1) {  // to the front
                ASSERT_EQ(objects->Order(model[at].id, 0, 0), S_OK);
                std::rotate(model.begin(), begin(at), begin(at + 1));
            } else if (step % 8 == 5) {  // just after another, before or behind it
                const std::size_t after = any(model.size());
                ASSERT_EQ(objects->Order(model[at].id, model[after].id, 0), S_OK);
                if (at < after) std::rotate(begin(at), begin(at + 1), begin(after + 1));
                if (after < at) std::rotate(begin(after + 1), begin(at), begin(at + 1));
            } else if (step % 16 == 7) {  // a new one at the end
                model.push_back(add_shape());
                EXPECT_EQ(model.back().id, ++highest);
            } else if (model.size() > 1) {
                ASSERT_EQ(objects->Remove(model[at].id), S_OK);
                EXPECT_EQ(objects->Remove(model[at].id), E_INVALIDARG);
                com::ComPtr<IDispatch> found;
                EXPECT_EQ(objects->ItemFromID(model[at].id, found.put()), E_INVALIDARG);
                gone.push_back(model[at]);
                model.erase(begin(at));
            }
            // No id is 0, however many places stand empty.
            com::ComPtr<IDispatch> none;
            EXPECT_EQ(objects->ItemFromID(0, none.put()), E_INVALIDARG);
            EXPECT_EQ(objects->Remove(0), E_INVALIDARG);
            EXPECT_EQ(objects->Order(0, 0, 0), E_INVALIDARG);
            LONG count = 0;
            ASSERT_EQ(objects->get_Count(&count), S_OK);
            ASSERT_EQ(count, static_cast<LONG>(model.size()));
            const listed& some = model[any(model.size())];
            com::ComPtr<IDispatch> found;
            ASSERT_EQ(objects->ItemFromID(some.id, found.put()), S_OK);
            EXPECT_TRUE(com::same_object(found.get(), some.object.get()));
            if (step % 8 == 5) expect_list(model);  // read just after a move over empty places
        }
        expect_list(model);
        // A listed object added again keeps its id; unknown ids are refused.
        auto v = com::Variant::from_dispatch(model[model.size() / 2].object.get());
        LONG id = 0;
        ASSERT_EQ(objects->Add(*v.get(), &id), S_OK);
        EXPECT_EQ(id, model[model.size() / 2].id);
        EXPECT_EQ(objects->Order(999999, 0, 0), E_INVALIDARG);
        EXPECT_EQ(objects->Order(model[0].id, 999999, 0), E_INVALIDARG);
        while (!model.empty()) {  // emptied, then listed again from empty
            ASSERT_EQ(objects->Remove(model.back().id), S_OK);
            model.pop_back();
        }
        expect_list(model);
    }
}

TEST_F(LongLists, AnElementGivenTwiceIsKnownOnceInTheOrderFirstGiven)
{
    std::vector<com::ComPtr<IZElement>> given;
    for (int i = 0; i < 300; ++i) {
        com::ComPtr<IZElement> element;
        ASSERT_EQ(CoCreateInstance(CLSID_ZPlacedPdfPage, nullptr, 0x17, IZElement::iid,
                                   element.put_void()),
                  S_OK);
        given.push_back(element);
    }
    for (const auto& e : given) ASSERT_EQ(objects->AddElement(e.get()), S_OK);
    // Again, also through another of its interfaces.
    for (const auto& e : given) {
        com::ComPtr<IZPlacedPdfPage> other;
        ASSERT_EQ(e->QueryInterface(IZPlacedPdfPage::iid, other.put_void()), S_OK);
        ASSERT_EQ(objects->AddElement(e.get()), S_OK);
        com::ComPtr<IZElement> same;
        ASSERT_EQ(other->QueryInterface(IZElement::iid, same.put_void()), S_OK);
        ASSERT_EQ(objects->AddElement(same.get()), S_OK);
    }
    const auto known = doc.elements(1);
    ASSERT_EQ(known.size(), given.size());
    for (std::size_t i = 0; i < given.size(); ++i) {
        EXPECT_EQ(known[i].id, 0);
        EXPECT_TRUE(com::same_object(known[i].object.get(), given[i].get())) << i;
    }
}

TEST(ManyPages, EachPageIdHasItsNumberAndNoIdIsGivenTwice)
{
    host::document doc;
    for (int i = 0; i < 500; ++i) ASSERT_EQ(doc.add_page(100, 100, 72), S_OK);
    com::ComPtr<IDispatch> d;
    ASSERT_EQ(doc.dispatch(d.put()), S_OK);
    com::ComPtr<IZDocument> document;
    ASSERT_EQ(d->QueryInterface(IZDocument::iid, document.put_void()), S_OK);
    com::ComPtr<IZPageList> pages;
    ASSERT_EQ(document->get_Pages(pages.put()), S_OK);
    for (LONG number = 1; number <= 500; number += 37) {
        const LONG id = doc.page_id(number);
        LONG found = 0;
        ASSERT_EQ(pages->PageNumberOf(id, &found), S_OK);
        EXPECT_EQ(found, number);
        com::ComPtr<IZPrintContentPage> page;
        ASSERT_EQ(pages->get_Item(number, page.put()), S_OK);
        ASSERT_EQ(page->get_PageNumber(&found), S_OK);
        EXPECT_EQ(found, number);
    }
    LONG found = -1;
    EXPECT_EQ(pages->PageNumberOf(501, &found), E_INVALIDARG);
    EXPECT_EQ(found, 0);
    host::page* made = nullptr;
    EXPECT_EQ(doc.model()->new_page(100, 100, 72, doc.page_id(250), &made), E_INVALIDARG);
    ASSERT_EQ(doc.model()->new_page(100, 100, 72, 9000, &made), S_OK);
    made->Release();
    ASSERT_EQ(pages->PageNumberOf(9000, &found), S_OK);
    EXPECT_EQ(found, 501);
    EXPECT_EQ(doc.add_page(100, 100, 72), S_OK);
    EXPECT_EQ(doc.page_id(502), 9001);
}

}  // namespace
