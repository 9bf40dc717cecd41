// The document's LookUp over many pages: the first page in page order that lists the id, page
// objects before resources for a positive id and the other way round for a negative one, as
// objects come and go (how its cost grows with the pages: bench/scaling_bench.cpp).
#include <gtest/gtest.h>

#include <vector>

#include "tests/host/page_lists.h"

namespace {

// The object listed under `id` in `list`.
template <typename List>
com::ComPtr<IDispatch> item_of(List* list, LONG id)
{
    com::ComPtr<IDispatch> o;
    EXPECT_EQ(list->ItemFromID(id, o.put()), S_OK) << id;
    return o;
}

TEST(LookUp, FindsTheFirstPageListingTheIdAsObjectsComeAndGo)
{
    host::document doc;
    constexpr LONG kPages = 300;
    std::vector<lists> pages;
    for (LONG n = 1; n <= kPages; ++n) {
        ASSERT_EQ(doc.add_page(100, 100, 72), S_OK);
        pages.push_back(lists_of(doc, n));
        // Page n lists ids 1 … (n mod 7) + 1, so id 7 is first on page 6.
        for (LONG i = 0; i <= n % 7; ++i) place<IDispatch>(pages.back().objects.get(), zeKindShape);
    }
    // Page 9's resources list ids 1 … 10; no page object has an id above 7.
    for (int i = 0; i < 10; ++i) keep<IDispatch>(pages[8].resources.get(), zeKindFont);
    com::ComPtr<IDispatch> d;
    ASSERT_EQ(doc.dispatch(d.put()), S_OK);
    auto document = as<IZDocument>(d.get());

    struct expected {
        LONG id;
        bool resource;
        LONG page;  // 0: none
    };
    auto check = [&](const std::vector<expected>& table) {
        for (const expected& e : table) {
            SCOPED_TRACE(e.id);
            com::ComPtr<IDispatch> found;
            if (e.page == 0) {
                EXPECT_EQ(document->LookUp(e.id, found.put()), E_INVALIDARG);
                continue;
            }
            ASSERT_EQ(document->LookUp(e.id, found.put()), S_OK);
            const LONG wanted = e.id < 0 ? -e.id : e.id;
            const auto& p = pages[static_cast<std::size_t>(e.page - 1)];
            auto listed = e.resource ? item_of(p.resources.get(), wanted)
                                     : item_of(p.objects.get(), wanted);
            EXPECT_TRUE(com::same_object(found.get(), listed.get()));
        }
    };
    check({{1, false, 1}, {2, false, 1}, {3, false, 2}, {7, false, 6}, {8, true, 9},
           {10, true, 9}, {-3, true, 9}, {-10, true, 9}, {11, false, 0}, {-11, false, 0},
           {0, false, 0}});

    // Taken from the first pages, an id is found further on; gone everywhere, not at all.
    ASSERT_EQ(pages[0].objects->Remove(1), S_OK);
    ASSERT_EQ(pages[5].objects->Remove(7), S_OK);
    ASSERT_EQ(pages[8].resources->Remove(3), S_OK);
    check({{1, false, 2}, {7, false, 13}, {-3, false, 2}, {3, false, 2}});
    for (LONG n = 13; n <= kPages; n += 7) {
        ASSERT_EQ(pages[static_cast<std::size_t>(n - 1)].objects->Remove(7), S_OK);
    }
    check({{7, true, 9}, {-7, true, 9}});
    ASSERT_EQ(pages[8].resources->Remove(7), S_OK);
    check({{7, false, 0}});
    // Id 6 gone from pages 1 … 200: found on page 201, which lists 1 … 6.
    for (LONG n = 1; n <= 200; ++n) {
        if (n % 7 < 5) continue;
        ASSERT_EQ(pages[static_cast<std::size_t>(n - 1)].objects->Remove(6), S_OK);
    }
    check({{6, false, 201}, {-6, true, 9}});
    // A page before every page that lists an id comes first once it lists the id too, and
    // the later page again once it lets the id go. Pages 6 and 13 have both given ids 1 … 7.
    place<IDispatch>(pages[12].objects.get(), zeKindShape);
    check({{8, false, 13}});
    place<IDispatch>(pages[5].objects.get(), zeKindShape);
    check({{8, false, 6}});
    ASSERT_EQ(pages[5].objects->Remove(8), S_OK);
    check({{8, false, 13}});
}

}  // namespace
