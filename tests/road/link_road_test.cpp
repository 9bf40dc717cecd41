// The link element in the host engine: the host calls of its rebuilds, what an emptied URL
// keeps, deletion, and closing without leaks.
#include <string>
#include <vector>

#include "contentelements/cnt_link.h"
#include "tests/road/support.h"

namespace {

using road::attach;
using road::container_of;
using road::create;
using road::property;

class LinkRoad : public road::on_pages {
protected:
    com::ComPtr<IZCntElementLink> attached_link()
    {
        return attached<IZCntElementLink>(u"Orvane.ZCntElementLink.1");
    }
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
