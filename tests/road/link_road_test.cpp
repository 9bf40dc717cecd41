// The link element in the host engine: the host calls of its rebuilds, the typical road from
// creation to a hit test in a reloaded document, deletion, and closing without leaks.
#include <string>
#include <vector>

#include "contentelements/cnt_link.h"
#include "tests/road/support.h"

namespace {

using road::attach;
using road::container_of;
using road::create;
using road::property;

class LinkRoad : public road::classes {
protected:
    void SetUp() override
    {
        road::classes::SetUp();
        ASSERT_EQ(doc.add_page(5950, 8420, 720), S_OK);
    }

    com::ComPtr<IZCntElementLink> attached_link()
    {
        auto link = create<IZCntElementLink>(u"Orvane.ZCntElementLink.1");
        EXPECT_EQ(attach(link.get(), doc), S_OK);
        return link;
    }

    host::document doc;
};

TEST_F(LinkRoad, RebuildCreatesTheLinkThenTheBorderAndReplacesThemOnAMove)
{
    auto link = attached_link();
    doc.journal().enable();
    // No URL yet: nothing is made.
    EXPECT_EQ(link->SetPosition(100, 100, 400, 50), S_OK);
    EXPECT_EQ(doc.journal().lines(), (std::vector<std::string>{}));

    com::Bstr url(u"https://example.org");
    EXPECT_EQ(link->SetLinkData(url.get(), 255, VARIANT_FALSE), S_OK);
    EXPECT_EQ(doc.journal().lines(),
              (std::vector<std::string>{
                  "page.get_Resources() -> resources",
                  "page.get_PageObjects() -> page_objects",
                  "page_objects.Create(4) -> link~1",
                  "page_objects.Add(link~1) -> 2",
                  "link#2.put_URL(\"https://example.org\")",
                  "link#2.get_Rect() -> link#2.rect",
                  "link#2.rect.put_Left(100)",
                  "link#2.rect.put_Right(500)",
                  "link#2.rect.put_Top(100)",
                  "link#2.rect.put_Bottom(150)",
                  "page_objects.Create(2) -> shape~2",
                  "page_objects.Add(shape~2) -> 3",
                  "shape#3.put_PaintMode(0)",
                  "shape#3.put_StrokeColor(0x000000FF)",
                  "shape#3.get_Path() -> shape#3.path",
                  "shape#3.path.Rectangle(100,100,500,150)",
                  "page.get_PageID() -> 1",  // the container is told
              }));

    doc.journal().clear();
    EXPECT_EQ(link->SetPosition(10, 20, -5, 30), S_OK);  // negative width kept as it is
    const auto lines = doc.journal().lines();
    ASSERT_GE(lines.size(), 7u);
    // The old objects go (the removal asks for the list itself) before the new ones come.
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
              (std::vector<std::string>{
                  "page.get_Resources() -> resources",
                  "page.get_PageObjects() -> page_objects",
                  "page.get_PageObjects() -> page_objects",
                  "page_objects.Remove(2)",
                  "page_objects.Remove(3)",
                  "page_objects.Create(4) -> link~3",
                  "page_objects.Add(link~3) -> 4",
              }));
    const auto objects = doc.objects(1);
    ASSERT_EQ(road::kinds(objects), (std::vector<std::string>{"element", "link", "shape"}));
    EXPECT_EQ(property(objects[1], "Rect.Left"), "10");
    EXPECT_EQ(property(objects[1], "Rect.Right"), "5");
    EXPECT_EQ(property(objects[2], "Path"), "R(10,20,5,50)");
}

TEST_F(LinkRoad, WithoutBorderOnlyTheLinkAndAnEmptiedUrlKeepsWhatWasMade)
{
    auto link = attached_link();
    com::Bstr url(u"https://example.org/a");
    link->SetPosition(1, 2, 3, 4);
    link->put_LinkURL(url.get());
    ASSERT_EQ(road::kinds(doc.objects(1)), (std::vector<std::string>{"element", "link"}));

    link->put_LinkURL(nullptr);
    BSTR got = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(link->get_LinkURL(&got), S_OK);
    EXPECT_EQ(got, nullptr);
    const auto objects = doc.objects(1);
    ASSERT_EQ(road::kinds(objects), (std::vector<std::string>{"element", "link"}));
    EXPECT_EQ(property(objects[1], "URL"), "https://example.org/a");
}

TEST_F(LinkRoad, CreateAttachSetSaveReloadAttachAndHit)
{
    auto link = attached_link();
    com::Bstr url(u"https://example.org"), description(u"Home");
    ASSERT_EQ(link->SetPosition(100, 100, 400, 50), S_OK);
    ASSERT_EQ(link->SetLinkData(url.get(), 0x00FF0000, VARIANT_TRUE), S_OK);
    ASSERT_EQ(link->put_Description(description.get()), S_OK);
    const LONG element_id = road::element_id(link.get());
    ASSERT_NE(element_id, 0);
    link.reset();

    host::document loaded;
    std::vector<BYTE> bytes;
    auto again = road::as<IZCntElementLink>(road::reloaded(doc, 1, &loaded, &bytes).get());
    ASSERT_TRUE(again);
    EXPECT_EQ(loaded.elements(1)[0].id, element_id);
    EXPECT_EQ(road::element_id(again.get()), element_id);
    LONG left = 0, top = 0, width = 0, height = 0;
    again->GetPosition(&left, &top, &width, &height);
    EXPECT_EQ((std::vector<LONG>{left, top, width, height}), (std::vector<LONG>{100, 100, 400, 50}));
    VARIANT_BOOL shadow = 0;
    again->get_Shadow(&shadow);
    EXPECT_EQ(shadow, VARIANT_TRUE);

    com::ComPtr<IZCntElementInfo> found;
    ASSERT_EQ(road::hit(loaded, 1, 150, 120, &found), S_OK);
    ASSERT_TRUE(found);
    LONG found_id = 0;
    found->get_ElementID(&found_id);
    EXPECT_EQ(found_id, element_id);
    com::Bstr found_description;
    found->get_Description(found_description.put());
    EXPECT_EQ(found_description.view(), u"Home");
    found.reset();
    EXPECT_EQ(road::hit(loaded, 1, 50, 50, &found), S_FALSE);

    // The reloaded document saves to the same bytes.
    std::vector<BYTE> again_bytes;
    std::string message;
    ASSERT_EQ(loaded.save_bytes(&again_bytes, &message), S_OK);
    EXPECT_EQ(again_bytes, bytes);
}

TEST_F(LinkRoad, DeleteRemovesItsObjectsAndItsContainerRecord)
{
    auto link = attached_link();
    com::Bstr url(u"https://example.org");
    link->SetPosition(0, 0, 10, 10);
    link->SetLinkData(url.get(), 0, VARIANT_FALSE);
    auto container = container_of(doc);
    ASSERT_TRUE(container);
    LONG count = 0;
    container->get_Count(&count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(link->Delete(), S_OK);
    EXPECT_EQ(road::kinds(doc.objects(1)), (std::vector<std::string>{"element"}));
    container->get_Count(&count);
    EXPECT_EQ(count, 0);
}

TEST_F(LinkRoad, ADocumentWithElementsClosesWithoutLeavingObjectsAlive)
{
    const LONG before = com::module_lock_count();
    {
        host::document other;
        other.add_page(1000, 1000, 720);
        auto link = create<IZCntElementLink>(u"Orvane.ZCntElementLink.1");
        ASSERT_EQ(attach(link.get(), other), S_OK);
        com::Bstr url(u"https://example.org");
        link->SetPosition(0, 0, 10, 10);
        link->SetLinkData(url.get(), 0, VARIANT_FALSE);
    }
    EXPECT_EQ(com::module_lock_count(), before);
}

}  // namespace
