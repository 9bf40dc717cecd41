// The page break marker in the engine: its markers when shown with the break inside or at the
// edge of its region, hiding, labels, its record's size and its own entry in the container.
#include <climits>
#include <string>
#include <vector>

#include "contentelements/cnt_pagebreak.h"
#include "tests/road/element_records.h"
#include "tests/road/support.h"

namespace {

using road::create;
using road::property;

class PageBreak : public road::on_pages {
protected:
    PageBreak() : on_pages(1, 2480, 3508, 300) {}
    com::ComPtr<IZCntElementPageBreak> marker()
    {
        return attached<IZCntElementPageBreak>(u"Orvane.ZCntElementPageBreak.1");
    }
    std::vector<std::string> paths()
    {
        std::vector<std::string> out;
        for (const auto& s : doc.find(1, "shape")) out.push_back(property(s, "Path"));
        return out;
    }
};

TEST_F(PageBreak, ShowsSixShapesTwoLabelsAndOneFontWithTheBreakInside)
{
    auto p = marker();
    p->SetPosition(0, 0, 2000, 3000);
    p->put_PageBreakPosY(1500);
    EXPECT_EQ(paths(), (std::vector<std::string>{"R(0,0,2000,3000)", "R(0,0,2000,3000)",
                                                  "R(1646,0,2000,59)", "R(0,1500,2000,1501)",
                                                  "R(1,1501,1999,2998)", "R(1646,1500,2000,1559)"}));
    const auto shapes = doc.find(1, "shape");
    EXPECT_EQ(property(shapes[1], "Transparency"), "70");
    EXPECT_EQ(property(shapes[1], "StrokeColor"), "0x00FF6464");
    EXPECT_EQ(property(shapes[4], "Transparency"), "40");
    const auto labels = doc.find(1, "text");
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(property(labels[0], "Text"), "Flowing Text");
    EXPECT_EQ(property(labels[1], "Text"), "Page Break");
    // Centred in its box, the baseline one text height below the box's top.
    const LONG x = std::stol(property(labels[0], "X"));
    EXPECT_GT(x, 1646);
    EXPECT_LT(x, 2000);
    EXPECT_GT(std::stol(property(labels[1], "Y")), 1500);
    const auto fonts = doc.find(1, "font");
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(property(fonts[0], "Size"), "41");
    // The markers follow the element in the page's list.
    EXPECT_EQ(road::kinds(doc.objects(1)),
              (std::vector<std::string>{"element", "shape", "shape", "shape", "shape", "shape",
                                        "shape", "text", "text"}));
}

TEST_F(PageBreak, ABreakAtTheRegionsEdgeShowsOnlyTheRegion)
{
    auto p = marker();
    p->SetPosition(0, 0, 2000, 3000);
    for (LONG y : {0, 3000, -5, 4000, INT_MIN, -1, INT_MAX}) {
        EXPECT_EQ(p->put_PageBreakPosY(y), S_OK);
        EXPECT_EQ(paths().size(), 3u) << y;
        EXPECT_EQ(doc.find(1, "text").size(), 1u) << y;
    }
    // Back inside, the markers of both parts come back.
    p->put_PageBreakPosY(1500);
    EXPECT_EQ(paths().size(), 6u);
}

TEST_F(PageBreak, HideRemovesEverythingAndNewLabelsWaitForTheNextShow)
{
    auto p = marker();
    EXPECT_EQ(p->HidePageBreakElements(), S_OK);  // never shown
    p->SetPosition(100, 100, 1000, 1000);
    com::Bstr label(u"Text flow");
    p->put_LabelFlowRegion(label.get());
    EXPECT_EQ(property(doc.find(1, "text")[0], "Text"), "Flowing Text");
    p->ShowPageBreakElements();
    EXPECT_EQ(property(doc.find(1, "text")[0], "Text"), "Text flow");
    EXPECT_EQ(p->HidePageBreakElements(), S_OK);
    EXPECT_EQ(road::kinds(doc.objects(1)), (std::vector<std::string>{"element"}));
    EXPECT_TRUE(doc.resource_objects(1).empty());
}

TEST_F(PageBreak, SetPositionNormalisesAndTheContainerKnowsItAtAttach)
{
    auto p = marker();
    // Filed at Attach already, before any marker exists.
    auto container = road::container_of(doc);
    ASSERT_TRUE(container);
    LONG count = 0;
    container->get_Count(&count);
    EXPECT_EQ(count, 1);
    p->SetPosition(1000, 1000, -200, -300);
    LONG l, t, w, h;
    p->GetPosition(&l, &t, &w, &h);
    EXPECT_EQ((std::vector<LONG>{l, t, w, h}), (std::vector<LONG>{800, 700, 200, 300}));
}

TEST_F(PageBreak, RecordHoldsIdsBreakAndLabels)
{
    auto p = marker();
    p->SetPosition(0, 0, 2000, 3000);
    p->put_PageBreakPosY(1500);
    // version, bounds, description, 8 page object ids, 1 resource id, break, two labels
    const std::size_t labels = 4 + 2 * 10 + 2 + 4 + 2 * 12 + 2;
    EXPECT_EQ(road::saved(p.get()).size(), 4 + 16 + 6 + 4 + 8 * 4 + 4 + 4 + 4 + labels);
}

}  // namespace
