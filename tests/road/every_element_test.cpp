// What every element does alike in the engine: its record loads into a fresh element and
// saves again the same; and the typical road of creation, attaching, saving, loading,
// attaching again and a hit test, which finds the element with its id where it lies only.
#include <functional>
#include <string>
#include <vector>

#include "contentelements/cnt_link.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/zprint_objects.h"
#include "tests/road/element_records.h"
#include "tests/road/support.h"

namespace {

using road::as;

struct element_case {
    const char* name;
    const char16_t* progid;
    std::function<void(IUnknown*)> set;  // position and data, on an attached element
    ZeCntElementType type;
    LONG x, y;  // a point inside it; (50, 50) is outside
    std::function<void(IUnknown*)> check_reloaded;  // what of the element came back
};

const element_case kCases[] = {
    {"note", u"Orvane.ZCntElementNote.1",
     [](IUnknown* e) {
         auto note = as<IZCntElementNote>(e);
         note->SetPosition(100, 200, 1500, 600);
         com::Bstr t(u"Review this"), f(u"Arial");
         ASSERT_EQ(note->SetNoteData(t.get(), 0x112233, f.get(), 100, 0, 0, 0xFFFFFF, 0,
                                     zeCntNoteStyleOval, 0, 0, 0),
                   S_OK);
     },
     zeCntElementTypeNote, 700, 400,
     [](IUnknown* e) {
         com::Bstr text;
         as<IZCntElementNote>(e)->get_Text(text.put());
         EXPECT_EQ(text.view(), u"Review this");
     }},
    {"link", u"Orvane.ZCntElementLink.1",
     [](IUnknown* e) {
         auto link = as<IZCntElementLink>(e);
         com::Bstr url(u"https://example.org");
         ASSERT_EQ(link->SetPosition(100, 100, 400, 50), S_OK);
         ASSERT_EQ(link->SetLinkData(url.get(), 0x00FF0000, VARIANT_TRUE), S_OK);
     },
     // Its fields after a load are the link record test's; here the same bytes suffice.
     zeCntElementTypeLink, 150, 120, [](IUnknown*) {}},
    // Last: the marker is never found by a hit test, so it takes only the record's part.
    {"page_break", u"Orvane.ZCntElementPageBreak.1",
     [](IUnknown* e) {
         auto p = as<IZCntElementPageBreak>(e);
         p->SetPosition(0, 0, 2000, 3000);
         ASSERT_EQ(p->put_PageBreakPosY(1500), S_OK);
     },
     zeCntElementTypeUnknown, 0, 0,
     [](IUnknown* e) {
         LONG y = 0;
         as<IZCntElementPageBreak>(e)->get_PageBreakPosY(&y);
         EXPECT_EQ(y, 1500);
     }},
};

class EveryElement : public road::on_pages, public testing::WithParamInterface<element_case> {
protected:
    EveryElement() : on_pages(2) {}
};
using EveryElementRecord = EveryElement;

// Cut or newer records are refused by every class alike: tests/elements/element_skeleton_test.cpp.
TEST_P(EveryElementRecord, LoadsIntoAFreshElementAndSavesAgainTheSame)
{
    const element_case& c = GetParam();
    auto element = attached<IUnknown>(c.progid, 2);
    c.set(element.get());
    const auto record = road::saved(element.get());
    auto fresh = road::create<IUnknown>(c.progid);
    ASSERT_EQ(road::load(fresh.get(), record), S_OK);
    EXPECT_FALSE(road::is_dirty(fresh.get()));
    EXPECT_EQ(road::saved(fresh.get()), record);
    c.check_reloaded(fresh.get());
}

// An element the resource list holds, alone or besides its page: a reload gives one element
// in the same places and saves again the same. The resource list alone holds one that was never
// attached, and a reload leaves it off the page (attaching it made one more of it at every
// reload); one in both lists was saved twice and came back as two, one more at each reload.
TEST_P(EveryElementRecord, OneTheResourcesHoldComesBackOnceInTheSamePlaces)
{
    for (const bool on_page : {false, true}) {
        SCOPED_TRACE(on_page ? "on its page too" : "in the resources alone");
        host::document page_doc;
        ASSERT_EQ(page_doc.add_page(5950, 8420, 720), S_OK);
        auto element = road::create<IUnknown>(GetParam().progid);
        if (on_page) {
            ASSERT_EQ(road::attach(element.get(), page_doc), S_OK);
        }
        com::ComPtr<IDispatch> list;
        ASSERT_EQ(page_doc.resources(1, list.put()), S_OK);
        const com::Variant held = com::Variant::from_unknown(element.get());
        LONG id = 0;
        ASSERT_EQ(as<IZResourceList>(list.get())->Add(*held.get(), &id), S_OK);
        element.reset();
        std::vector<BYTE> first, second, third;
        ASSERT_EQ(page_doc.save_bytes(&first), S_OK);
        host::document loaded, again;
        ASSERT_EQ(host::document::load_bytes(first.data(), first.size(), &loaded), S_OK);
        const auto on_it = loaded.elements(1);
        ASSERT_EQ(on_it.size(), on_page ? 1u : 0u);
        ASSERT_EQ(loaded.resources(1, list.put()), S_OK);
        com::ComPtr<IDispatch> from_resources;
        ASSERT_EQ(as<IZResourceList>(list.get())->ItemFromID(id, from_resources.put()), S_OK);
        if (on_page) {
            EXPECT_EQ(as<IUnknown>(from_resources.get()), on_it[0].object) << "one element";
        }
        ASSERT_EQ(loaded.save_bytes(&second), S_OK);
        EXPECT_EQ(second, first);
        ASSERT_EQ(host::document::load_bytes(second.data(), second.size(), &again), S_OK);
        ASSERT_EQ(again.save_bytes(&third), S_OK);
        EXPECT_EQ(third, first);
    }
}

TEST_P(EveryElement, CreateAttachSetSaveReloadAttachAndHit)
{
    const element_case& c = GetParam();
    auto element = attached<IUnknown>(c.progid, 2);
    c.set(element.get());
    com::Bstr description(u"Home");
    ASSERT_EQ(as<IZCntElementBase>(element.get())->put_Description(description.get()), S_OK);
    const LONG id = road::element_id(element.get());
    ASSERT_NE(id, 0);
    element.reset();

    host::document loaded;
    std::vector<BYTE> file;
    auto again = road::reloaded(doc, 2, &loaded, &file);
    ASSERT_TRUE(again);
    EXPECT_EQ(loaded.elements(2)[0].id, id);
    EXPECT_EQ(road::element_id(again.get()), id);
    c.check_reloaded(again.get());

    com::ComPtr<IZCntElementInfo> found;
    ASSERT_EQ(road::hit(loaded, 2, c.x, c.y, &found), S_OK);
    LONG found_id = 0;
    found->get_ElementID(&found_id);
    EXPECT_EQ(found_id, id);
    ZeCntElementType type{};
    found->get_ElementType(&type);
    EXPECT_EQ(type, c.type);
    com::Bstr found_description;
    found->get_Description(found_description.put());
    EXPECT_EQ(found_description.view(), u"Home");
    found.reset();
    EXPECT_EQ(road::hit(loaded, 2, 50, 50, &found), S_FALSE);

    // The reloaded document saves to the same bytes.
    std::vector<BYTE> again_file;
    std::string message;
    ASSERT_EQ(loaded.save_bytes(&again_file, &message), S_OK);
    EXPECT_EQ(again_file, file);
}

const auto kName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Elements, EveryElementRecord, testing::ValuesIn(kCases), kName);
INSTANTIATE_TEST_SUITE_P(Elements, EveryElement, testing::ValuesIn(kCases, kCases + 2), kName);

}  // namespace
