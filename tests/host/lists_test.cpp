// The page object list, the resource list, pages and the document through their interfaces:
// which kinds each list makes, how ids are given and kept, order, lookup and the journal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/page_lists.h"

namespace {

struct page_fixture : ::testing::Test, page_lists {
    void SetUp() override { ASSERT_TRUE(objects && resources && page); }

    com::ComPtr<IDispatch> make(LONG kind)
    {
        com::ComPtr<IDispatch> o;
        EXPECT_EQ(objects->Create(kind, o.put()), S_OK) << kind;
        return o;
    }
    LONG add(IDispatch* o)
    {
        auto v = com::Variant::from_dispatch(o);
        LONG id = -1;
        EXPECT_EQ(objects->Add(*v.get(), &id), S_OK);
        return id;
    }
    std::vector<LONG> ids()
    {
        std::vector<LONG> out;
        LONG n = 0;
        objects->get_Count(&n);
        for (LONG i = 1; i <= n; ++i) {
            LONG id = 0;
            objects->get_ItemID(i, &id);
            out.push_back(id);
        }
        return out;
    }
};

using PageObjectList = page_fixture;
using ResourceList = page_fixture;

TEST_F(PageObjectList, CreatesOnlyPageObjectKindsAndEachAnswersItsKind)
{
    for (LONG kind : {LONG{zeKindTextObject}, LONG{zeKindShape}, LONG{zeKindPlacedImage},
                      LONG{zeKindLink}, LONG{zeKindPlacedDocumentPage}}) {
        com::ComPtr<IDispatch> o = make(kind);
        ASSERT_TRUE(o);
        com::ComPtr<IZObject> z;
        ASSERT_EQ(o->QueryInterface(IZObject::iid, z.put_void()), S_OK);
        LONG got = 0;
        EXPECT_EQ(z->GetObjectKind(&got), S_OK);
        EXPECT_EQ(got, kind);
    }
    for (LONG kind : {LONG{zeKindFont}, LONG{zeKindClipFrame}, LONG{zeKindLineStyle},
                      LONG{zeKindImageResource}, LONG{zeKindStoredDocument}, LONG{0}, LONG{6},
                      LONG{-1}, LONG{9999}}) {
        com::ComPtr<IDispatch> o;
        EXPECT_EQ(objects->Create(kind, o.put()), E_INVALIDARG) << kind;
        EXPECT_FALSE(o);
    }
    // Creating does not list.
    LONG n = -1;
    EXPECT_EQ(objects->get_Count(&n), S_OK);
    EXPECT_EQ(n, 0);
}

TEST_F(PageObjectList, IdsCountUpAreKeptForAnObjectAddedTwiceAndNeverReused)
{
    auto a = make(zeKindShape), b = make(zeKindLink), c = make(zeKindTextObject);
    EXPECT_EQ(add(a.get()), 1);
    EXPECT_EQ(add(b.get()), 2);
    EXPECT_EQ(add(a.get()), 1);  // already listed: same id, listed once
    EXPECT_EQ(ids(), (std::vector<LONG>{1, 2}));
    EXPECT_EQ(objects->Remove(2), S_OK);
    EXPECT_EQ(objects->Remove(2), E_INVALIDARG);
    EXPECT_EQ(add(c.get()), 3);
    EXPECT_EQ(add(b.get()), 4);  // removed and added again: a new id
    EXPECT_EQ(ids(), (std::vector<LONG>{1, 3, 4}));

    com::ComPtr<IDispatch> found;
    EXPECT_EQ(objects->ItemFromID(3, found.put()), S_OK);
    EXPECT_TRUE(com::same_object(found.get(), c.get()));
    found.reset();
    EXPECT_EQ(objects->ItemFromID(2, found.put()), E_INVALIDARG);
    EXPECT_FALSE(found);
}

// Long lists, looked up through an index: tests/host/long_lists_test.cpp.
TEST_F(PageObjectList, RefusesResourceKindsNullsAndNonObjects)
{
    com::ComPtr<IDispatch> font;
    ASSERT_EQ(resources->Create(zeKindFont, font.put()), S_OK);
    auto v = com::Variant::from_dispatch(font.get());
    LONG id = -1;
    EXPECT_EQ(objects->Add(*v.get(), &id), E_INVALIDARG);
    EXPECT_EQ(id, 0);
    auto number = com::Variant::from_i4(5);
    EXPECT_EQ(objects->Add(*number.get(), &id), E_INVALIDARG);
    auto shape = com::Variant::from_dispatch(make(zeKindShape).get());
    EXPECT_EQ(objects->Add(*shape.get(), nullptr), E_POINTER);
}

// Moves after another and to the front are checked by the elements' stacking; here the edges.
TEST_F(PageObjectList, OrderAfterItselfOrAnUnknownIdChangesNothing)
{
    for (int i = 0; i < 4; ++i) add(make(zeKindShape).get());
    EXPECT_EQ(objects->Order(2, 2, 0), S_OK);
    EXPECT_EQ(objects->Order(9, 0, 0), E_INVALIDARG);
    EXPECT_EQ(objects->Order(1, 9, 0), E_INVALIDARG);
    EXPECT_EQ(objects->Order(1, 2, 1), E_INVALIDARG);
    EXPECT_EQ(ids(), (std::vector<LONG>{1, 2, 3, 4}));
}

TEST_F(PageObjectList, ItemIndexesRunFromOne)
{
    add(make(zeKindShape).get());
    com::ComPtr<IDispatch> o;
    LONG id = -1;
    EXPECT_EQ(objects->get_Item(0, o.put()), E_INVALIDARG);
    EXPECT_EQ(objects->get_Item(2, o.put()), E_INVALIDARG);
    EXPECT_EQ(objects->get_ItemID(0, &id), E_INVALIDARG);
    EXPECT_EQ(objects->get_Item(1, o.put()), S_OK);
    EXPECT_TRUE(o);
    com::ComPtr<IZPrintContentPage> p;
    EXPECT_EQ(objects->get_Page(p.put()), S_OK);
    EXPECT_TRUE(com::same_object(p.get(), page.get()));
}

TEST_F(ResourceList, KeepsObjectsWithAndWithoutIds)
{
    com::ComPtr<IDispatch> font, clip;
    ASSERT_EQ(resources->Create(zeKindFont, font.put()), S_OK);
    ASSERT_EQ(resources->Create(zeKindClipFrame, clip.put()), S_OK);
    com::ComPtr<IDispatch> shape;
    EXPECT_EQ(resources->Create(zeKindShape, shape.put()), E_INVALIDARG);

    auto vf = com::Variant::from_dispatch(font.get());
    auto vc = com::Variant::from_dispatch(clip.get());
    LONG id = 0;
    EXPECT_EQ(resources->Add(*vf.get(), &id), S_OK);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(resources->AddWithoutID(*vc.get()), S_OK);
    EXPECT_EQ(resources->AddWithoutID(*vc.get()), S_OK);
    LONG n = 0;
    EXPECT_EQ(resources->get_Count(&n), S_OK);
    EXPECT_EQ(n, 1);  // only the object with an id is counted
    const auto all = doc.resource_objects(1);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].kind, "font");
    EXPECT_EQ(all[0].id, 1);
    EXPECT_EQ(all[1].kind, "clip");
    EXPECT_EQ(all[1].id, 0);
}

// A clip frame a note has given up is held by nothing but the list: the host lets such objects
// go once the kept ones have piled up, and keeps every one still in use.
TEST_F(ResourceList, LetsGoOfObjectsKeptWithoutIdsThatNothingUses)
{
    auto clip_frame = [&] {
        com::ComPtr<IDispatch> clip;
        EXPECT_EQ(resources->Create(zeKindClipFrame, clip.put()), S_OK);
        auto v = com::Variant::from_dispatch(clip.get());
        EXPECT_EQ(resources->AddWithoutID(*v.get()), S_OK);
        return clip;
    };
    auto kept_clips = [&] {
        std::size_t n = 0;
        for (const auto& o : doc.resource_objects(1)) n += o.kind == "clip" && o.id == 0;
        return n;
    };
    // Text objects use half of the frames; the other half are dropped by whoever made them.
    std::vector<com::ComPtr<IDispatch>> texts;
    for (int n = 0; n < 40; ++n) {
        com::ComPtr<IDispatch> clip = clip_frame();
        if (n % 2) continue;
        com::ComPtr<IDispatch> made = make(zeKindTextObject);
        com::ComPtr<IZTextObject> text;
        ASSERT_EQ(made->QueryInterface(IZTextObject::iid, text.put_void()), S_OK);
        com::ComPtr<IZClipFrame> frame;
        ASSERT_EQ(clip->QueryInterface(IZClipFrame::iid, frame.put_void()), S_OK);
        ASSERT_EQ(text->putref_ClipFrame(frame.get()), S_OK);
        add(made.get());
        texts.push_back(made);
    }
    const std::size_t kept = kept_clips();
    EXPECT_GE(kept, 20u);
    EXPECT_LT(kept, 40u);  // some of the unused ones are gone already
    // Every frame a text object uses is still there and still a resource of the page.
    for (const auto& t : texts) {
        com::ComPtr<IZTextObject> text;
        t->QueryInterface(IZTextObject::iid, text.put_void());
        com::ComPtr<IZClipFrame> frame;
        ASSERT_EQ(text->get_ClipFrame(frame.put()), S_OK);
        ASSERT_TRUE(frame);
        LONG mode = -1;
        EXPECT_EQ(frame->get_Mode(&mode), S_OK);
    }
    // Once the text objects are gone too, their frames go with the next ones kept.
    for (LONG id = 1; id <= 20; ++id) EXPECT_EQ(objects->Remove(id), S_OK);
    texts.clear();
    for (int n = 0; n < 60; ++n) clip_frame();
    EXPECT_LT(kept_clips(), 20u);
    // An object kept twice is kept once.
    com::ComPtr<IDispatch> held = clip_frame();
    auto again = com::Variant::from_dispatch(held.get());
    const std::size_t before = kept_clips();
    EXPECT_EQ(resources->AddWithoutID(*again.get()), S_OK);
    EXPECT_EQ(kept_clips(), before);
}

TEST(HostDocument, PagesHaveIdsNumbersAndSizes)
{
    host::document doc;
    com::ComPtr<IDispatch> d;
    ASSERT_EQ(doc.dispatch(d.put()), S_OK);
    com::ComPtr<IZDocument> document;
    ASSERT_EQ(d->QueryInterface(IZDocument::iid, document.put_void()), S_OK);
    com::ComPtr<IZPrintContentPage> first, second, bad;
    ASSERT_EQ(document->AddPage(5950, 8420, 720, first.put()), S_OK);
    ASSERT_EQ(document->AddPage(8420, 5950, 1440, second.put()), S_OK);
    EXPECT_EQ(document->AddPage(100, 100, 0, bad.put()), E_INVALIDARG);
    EXPECT_EQ(document->AddPage(-1, 100, 720, bad.put()), E_INVALIDARG);

    // Sizes, resolutions and numbers from the page list reach the elements' tests.
    LONG id = 0, number = 0;
    EXPECT_EQ(second->get_PageID(&id), S_OK);
    EXPECT_EQ(id, 2);
    EXPECT_EQ(second->get_PageNumber(&number), S_OK);
    EXPECT_EQ(number, 2);

    com::ComPtr<IZPageList> pages;
    ASSERT_EQ(first->get_PageList(pages.put()), S_OK);
    LONG count = 0;
    EXPECT_EQ(pages->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_NE(pages->PageNumberOf(7, &number), S_OK);
    com::ComPtr<IZPrintContentPage> again;
    EXPECT_EQ(pages->get_Item(1, again.put()), S_OK);
    EXPECT_TRUE(com::same_object(again.get(), first.get()));
    com::ComPtr<IZDocument> owner;
    EXPECT_EQ(first->get_Document(owner.put()), S_OK);
    EXPECT_TRUE(com::same_object(owner.get(), document.get()));
}

TEST(HostDocument, ClosingFreesEveryObjectEvenWithReferencesHeldInsideLists)
{
    const LONG before = com::module_lock_count();
    com::ComPtr<IZShape> kept_outside;
    {
        host::document doc;
        doc.add_page(1000, 1000, 720);
        const lists l = lists_of(doc, 1);
        kept_outside = place<IZShape>(l.objects.get(), zeKindShape);
        // The shape holds the page's lists through its Attach: a cycle page → list → shape.
        com::ComPtr<IDispatch> document;
        doc.dispatch(document.put());
        EXPECT_EQ(as<IZObject>(kept_outside.get())->Attach(l.objects.get(), l.resources.get(), document.get()),
                  S_OK);
        EXPECT_GT(com::module_lock_count(), before);
    }
    // The shape outlives its document, but lets go of what it held.
    kept_outside.reset();
    EXPECT_EQ(com::module_lock_count(), before);
}

// Objects that are not the engine's are named by the list that holds them, whether they were
// listed before the journal was turned on or while it was on, and lose the name when removed.
TEST(HostJournal, NamesForeignObjectsByTheirListAndId)
{
    host::document doc, other, third;
    doc.add_page(1000, 1000, 720);
    doc.add_page(1000, 1000, 720);
    // Other documents stand in for elements: objects of no list's own making.
    com::ComPtr<IDispatch> foreign, resource;
    other.dispatch(foreign.put());
    third.dispatch(resource.put());
    const auto objects = lists_of(doc, 2).objects;
    const auto resources = lists_of(doc, 1).resources;
    auto f = com::Variant::from_dispatch(foreign.get());
    auto g = com::Variant::from_dispatch(resource.get());
    LONG id = 0;
    ASSERT_EQ(objects->Add(*f.get(), &id), S_OK);  // journal off: no name is kept
    ASSERT_EQ(id, 1);
    ASSERT_EQ(resources->Add(*g.get(), &id), S_OK);

    doc.journal().enable();
    objects->Add(*f.get(), &id);  // already listed: keeps its id
    resources->Add(*g.get(), &id);
    objects->Remove(1);
    objects->Add(*f.get(), &id);  // a new id, named at once
    objects->Add(*f.get(), &id);
    EXPECT_EQ(doc.journal().lines(),
              (std::vector<std::string>{
                  "page_objects.Add(element#1) -> 1",
                  "resources.Add(resource#1) -> 1",
                  "page_objects.Remove(1)",
                  "page_objects.Add(object) -> 2",
                  "page_objects.Add(element#2) -> 2",
              }));
    // Turned off, it records nothing more.
    doc.journal().enable(false);
    objects->Remove(2);
    EXPECT_EQ(doc.journal().lines().size(), 5u);
}

}  // namespace
