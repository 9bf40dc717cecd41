// A stored document placed many times is loaded once and shared; a file that places itself,
// directly or through another, is refused where it would be loaded inside itself, with a
// message naming the cycle.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/model/document_object.h"
#include "host/output/paint.h"
#include "tests/host/harden_support.h"

namespace {

using harden_test::placing_document;

// The stored documents in the resources of page 1 of `doc`.
std::vector<host::host_object*> stored_documents(host::document_object* doc)
{
    std::vector<host::host_object*> out;
    com::ComPtr<IZPrintContentPage> page;
    com::ComPtr<IZPageList> pages;
    doc->get_Pages(pages.put());
    if (!pages || FAILED(pages->get_Item(1, page.put())) || !page) return out;
    com::ComPtr<IZResourceList> resources;
    page->get_Resources(resources.put());
    LONG count = 0;
    resources->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
        com::ComPtr<IDispatch> item;
        resources->get_Item(i, item.put());
        host::host_object* h = host::host_object_of(item.get());
        if (h && h->kind() == zeKindStoredDocument) out.push_back(h);
    }
    return out;
}

// The document a stored document loaded, or null.
host::document_object* loaded(host::host_object* stored)
{
    host::resource_info info;
    stored->resource(info);
    return info.stored;
}

std::string error_of(host::host_object* stored)
{
    host::property_list properties;
    stored->describe(properties);
    for (const auto& [key, value] : properties)
        if (key == "Error") return value;
    return {};
}

class StoredDocuments : public harden_test::in_scratch {
protected:

    // `name` as one empty page, then as a page whose image elements place each of `placed`.
    void save_placing(const std::string& name, const std::vector<std::string>& placed)
    {
        if (!std::ifstream(path(name))) {
            host::document empty;
            ASSERT_EQ(empty.add_page(2480, 3508, 300), S_OK);
            ASSERT_EQ(empty.save(path(name)), S_OK);
        }
        placing_document page;
        for (const std::string& file : placed) page.place(path(file));
        ASSERT_EQ(page.doc.save(path(name)), S_OK);
    }
};

TEST_F(StoredDocuments, AFilePlacingItselfSixteenTimesIsLoadedOnceAndPlacedOnce)
{
    save_placing("self.pjd", std::vector<std::string>(16, "self.pjd"));
    host::document doc;
    std::string message;
    ASSERT_EQ(host::document::load(path("self.pjd"), &doc, &message), S_OK) << message;

    const std::vector<host::host_object*> outer = stored_documents(doc.model());
    ASSERT_EQ(outer.size(), 16u);
    std::set<host::document_object*> loads;
    for (host::host_object* s : outer) loads.insert(loaded(s));
    ASSERT_EQ(loads.size(), 1u);
    host::document_object* inner = *loads.begin();
    ASSERT_NE(inner, nullptr);
    ASSERT_NE(inner, doc.model());

    // Inside that copy the file would place itself again: refused, each naming the cycle.
    const std::vector<host::host_object*> nested = stored_documents(inner);
    ASSERT_EQ(nested.size(), 16u);
    const std::string real = path("self.pjd");
    for (host::host_object* s : nested) {
        EXPECT_EQ(loaded(s), nullptr);
        EXPECT_EQ(error_of(s), real + " places itself: " + real + " -> " + real);
    }
    // The loading document names the refusal, once: a render stops on it.
    const std::vector<host::unusable_file> unusable = doc.unusable_files();
    ASSERT_EQ(unusable.size(), 1u);
    EXPECT_EQ(unusable[0].cause, real + " places itself: " + real + " -> " + real);
}

TEST_F(StoredDocuments, ACycleThroughAnotherFileIsNamedWholeAndPlacementsAreShared)
{
    save_placing("a.pjd", {});
    save_placing("b.pjd", {"a.pjd", "a.pjd"});
    save_placing("a.pjd", {"b.pjd", "b.pjd", "b.pjd"});
    host::document doc;
    ASSERT_EQ(host::document::load(path("a.pjd"), &doc), S_OK);

    // a places b three times: one b; b places a twice: one a; that a's b closes the cycle.
    const auto bs = stored_documents(doc.model());
    ASSERT_EQ(bs.size(), 3u);
    EXPECT_EQ(loaded(bs[0]), loaded(bs[1]));
    EXPECT_EQ(loaded(bs[0]), loaded(bs[2]));
    const auto as = stored_documents(loaded(bs[0]));
    ASSERT_EQ(as.size(), 2u);
    ASSERT_NE(loaded(as[0]), nullptr);
    EXPECT_EQ(loaded(as[0]), loaded(as[1]));
    for (host::host_object* s : stored_documents(loaded(as[0]))) {
        EXPECT_EQ(loaded(s), nullptr);
        EXPECT_EQ(error_of(s), path("b.pjd") + " places itself: " + path("b.pjd") + " -> " +
                                   path("a.pjd") + " -> " + path("b.pjd"));
    }
}

TEST_F(StoredDocuments, AFileChangedSinceItWasLoadedIsLoadedAgain)
{
    save_placing("leaf.pjd", {});
    placing_document page;
    page.place(path("leaf.pjd"));
    // A second page size makes the file another one, with another modification time.
    host::document bigger;
    ASSERT_EQ(bigger.add_page(1000, 1000, 300), S_OK);
    ASSERT_EQ(bigger.add_page(1000, 1000, 300), S_OK);
    ASSERT_EQ(bigger.save(path("leaf.pjd")), S_OK);
    page.place(path("leaf.pjd"));
    const auto stored = stored_documents(page.doc.model());
    ASSERT_EQ(stored.size(), 2u);
    ASSERT_NE(loaded(stored[0]), loaded(stored[1]));
    EXPECT_EQ(loaded(stored[0])->pages().size(), 1u);
    EXPECT_EQ(loaded(stored[1])->pages().size(), 2u);
}

}  // namespace
