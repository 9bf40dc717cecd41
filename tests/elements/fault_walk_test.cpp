// Allocation failures at every position of an element's rebuild: each frees what it made and
// leaves the page with the whole result or none. (Those of a record's save and load are the
// element skeleton's typed test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "contentelements/cnt_link.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_stamp.h"
#include "elements/link/link.h"
#include "elements/note/note.h"
#include "elements/stamp/stamp.h"
#include "platform/com/bstr.h"
#include "tests/elements/element_support.h"

namespace element_test {
namespace {

struct element_kind {
    const char* name;
    HRESULT (*create)(IUnknown*, REFIID, void**);
    void (*prepare)(IUnknown*);  // what makes its build non-trivial
    bool all_or_none;            // else the text laid out before a failure stays
};

void note_text(IUnknown* e)
{
    com::ComPtr<IZCntElementNote> note;
    ASSERT_EQ(e->QueryInterface(IZCntElementNote::iid, note.put_void()), S_OK);
    com::Bstr text(u"Fault walk: ä note\nover two lines");
    ASSERT_EQ(note->put_Text(text.get()), S_OK);
}
void stamp_text(IUnknown* e)
{
    com::ComPtr<IZCntElementStamp> stamp;
    ASSERT_EQ(e->QueryInterface(IZCntElementStamp::iid, stamp.put_void()), S_OK);
    com::Bstr face(u"Arial"), header(u"APPROVED"), content(u"8 December");
    ASSERT_EQ(stamp->put_HeaderFontName(face.get()), S_OK);
    ASSERT_EQ(stamp->put_ContentFontName(face.get()), S_OK);
    ASSERT_EQ(stamp->put_HeaderText(header.get()), S_OK);
    ASSERT_EQ(stamp->put_ContentText(content.get()), S_OK);
}
void link_target(IUnknown* e)
{
    com::ComPtr<IZCntElementLink> link;
    ASSERT_EQ(e->QueryInterface(IZCntElementLink::iid, link.put_void()), S_OK);
    com::Bstr url(u"https://example.org/walk");
    ASSERT_EQ(link->SetLinkData(url.get(), 0xFF, 0), S_OK);
}

const element_kind kinds[] = {
    {"note", cnt::create_note, note_text, false},
    {"stamp", cnt::create_stamp, stamp_text, false},
    {"link", cnt::create_link, link_target, true},
};

com::ComPtr<IZCntElementBase> made(const element_kind& k)
{
    com::ComPtr<IZCntElementBase> e;
    EXPECT_EQ(k.create(nullptr, IZCntElementBase::iid, e.put_void()), S_OK);
    return e;
}

// The kinds of what page 1 lists under an id. Resources kept without an id (clip frames) are
// left out: no rebuild removes them, the list lets them go once nothing uses them.
std::vector<std::string> kinds_on(const host::document& doc)
{
    std::vector<std::string> out;
    for (const auto& v : doc.objects(1)) out.push_back(v.kind);
    out.push_back("|");
    for (const auto& v : doc.resource_objects(1))
        if (v.id != 0) out.push_back(v.kind);
    return out;
}

// What page 1 lists besides its elements is what `e` made and recorded, and every id it
// recorded names something listed.
void expect_listed_as_recorded(const host::document& doc, IUnknown* e)
{
    std::vector<LONG> objects, resources;
    for (const auto& v : doc.objects(1))
        if (v.kind != "element") objects.push_back(v.id);
    for (const auto& v : doc.resource_objects(1))
        if (v.id != 0) resources.push_back(v.id);
    auto sorted = [](std::vector<LONG> ids) {
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    EXPECT_EQ(sorted(page_object_ids(e)), sorted(objects));
    EXPECT_EQ(sorted(resource_ids(e)), sorted(resources));
}

TEST(FaultWalk, RebuildLeavesAllOrNoneOfItsObjectsAndFreesTheRest)
{
    for (const element_kind& k : kinds) {
        SCOPED_TRACE(k.name);
        const live before;
        {
            host::document page_doc;
            ASSERT_EQ(page_doc.add_page(6000, 8000, 300), S_OK);
            auto e = made(k);
            ASSERT_EQ(page_doc.attach(1, e.get()), S_OK);
            const auto bare = kinds_on(page_doc);
            k.prepare(e.get());
            auto rebuild = [&] { return e->SetPosition(400, 500, 1800, 900); };
            ASSERT_EQ(rebuild(), S_OK);
            const auto whole = kinds_on(page_doc);
            ASSERT_NE(whole, bare);
            const std::uint64_t count = allocations_of(rebuild);
            ASSERT_GT(count, 0u);
            for (std::uint64_t n = 1; n <= count; ++n) {
                SCOPED_TRACE(n);
                {
                    failing_allocation fault(n);
                    EXPECT_EQ(rebuild(), S_OK);  // a setter stores its value whatever the build met
                }
                expect_listed_as_recorded(page_doc, e.get());
                const auto after = kinds_on(page_doc);
                if (k.all_or_none) {
                    EXPECT_TRUE(after == whole || after == bare) << testing::PrintToString(after);
                }
                EXPECT_EQ(rebuild(), S_OK);
                EXPECT_EQ(kinds_on(page_doc), whole);
            }
            EXPECT_EQ(e->Delete(), S_OK);
        }
        expect_all_freed(before);
    }
}

}  // namespace
}  // namespace element_test
