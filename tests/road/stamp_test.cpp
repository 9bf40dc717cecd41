// The stamp element in the engine: its record, its setters' ranges, the fitting of its two
// texts with the display metrics. (The frame and texts turned about the bottom-left corner:
// journal_test.cpp, to the value of every call.)
#include <string>
#include <vector>

#include "contentelements/cnt_stamp.h"
#include "platform/gdi/gdi.h"
#include "tests/road/element_records.h"
#include "tests/road/support.h"

namespace {

using road::bytes;
using road::create;
using road::property;

constexpr OLE_COLOR kNone = 0xFFFFFFFF;

class Stamp : public road::on_pages {
protected:
    com::ComPtr<IZCntElementStamp> stamp()
    {
        return attached<IZCntElementStamp>(u"Orvane.ZCntElementStamp.1");
    }
    HRESULT set(IZCntElementStamp* s, const char16_t* header, const char16_t* content,
                SHORT header_size = 70, SHORT inclination = 0, OLE_COLOR header_colour = 0xFF,
                const char16_t* face = u"Arial")
    {
        com::Bstr h(header), c(content), f(face);
        return s->SetStampData(h.get(), header_colour, f.get(), header_size, VARIANT_TRUE, 0,
                               c.get(), 0x800000, f.get(), 0, 0, kNone, 0xFF,
                               zeCntStampStyleRectangle, 0, 25, inclination);
    }
};

// Character metrics of Arial at a character height of t page units (720 per inch), taken
// straight from the display context.
struct arial {
    TEXTMETRICA tm{};
    LONG width = 0;
    arial(LONG t, bool bold, const char* text)
    {
        HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        SetMapMode(dc, MM_ANISOTROPIC);
        const int ppi = GetDeviceCaps(dc, LOGPIXELSX);
        ScaleWindowExtEx(dc, 720, ppi, 720, ppi, nullptr);
        HFONT f = CreateFontA(-t, 0, 0, 0, bold ? 700 : 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                              "Arial");
        HGDIOBJ old = SelectObject(dc, f);
        GetTextMetricsA(dc, &tm);
        SIZE s{};
        GetTextExtentPoint32A(dc, text, static_cast<int>(std::string(text).size()), &s);
        width = s.cx;
        SelectObject(dc, old);
        DeleteObject(f);
        DeleteDC(dc);
    }
    LONG height() const { return tm.tmAscent - tm.tmInternalLeading; }
};

TEST_F(Stamp, ANewStampSavesItsNinetyFourByteRecord)
{
    auto s = create<IZCntElementStamp>(u"Orvane.ZCntElementStamp.1");
    bytes expected;
    road::put_u32(expected, 1);                                // version
    for (int i = 0; i < 5; ++i) road::put_u32(expected, 0);    // bounds, style
    road::put_string(expected, u"");                           // header text
    road::put_u32(expected, 0);                                // header colour
    road::put_u16(expected, 70);                               // header size
    road::put_string(expected, u"");                           // header font
    for (int i = 0; i < 2; ++i) road::put_u16(expected, 0);    // bold, italic
    road::put_string(expected, u"");                           // content text
    road::put_u32(expected, 0);                                // content colour
    road::put_string(expected, u"");                           // content font
    for (int i = 0; i < 2; ++i) road::put_u16(expected, 0);    // bold, italic
    road::put_u32(expected, 0);                                // border
    road::put_u32(expected, 0xFFFFFF);                         // fill
    for (int i = 0; i < 3; ++i) road::put_u16(expected, 0);    // shadow, transparency, inclination
    road::put_string(expected, u"");                           // description
    for (int i = 0; i < 2; ++i) road::put_u32(expected, 0);
    const bytes got = road::saved(s.get());
    EXPECT_EQ(got.size(), 94u);
    EXPECT_EQ(got, expected);
}

TEST_F(Stamp, SettersReplaceOrRefuseOutOfRangeValues)
{
    auto s = create<IZCntElementStamp>(u"Orvane.ZCntElementStamp.1");
    // A header size outside 0…100 is not taken.
    SHORT v = 0;
    for (SHORT size : {150, -1}) {
        EXPECT_EQ(s->put_HeaderSize(size), S_OK);
        s->get_HeaderSize(&v);
        EXPECT_EQ(v, 70) << size;
    }
    set(s.get(), u"h", u"c", 150, 120);
    s->get_HeaderSize(&v);
    EXPECT_EQ(v, 100);
    s->get_Inclination(&v);
    EXPECT_EQ(v, 120);  // the bulk setter does not check

    EXPECT_EQ(s->put_Inclination(91), E_INVALIDARG);
    EXPECT_EQ(s->put_Inclination(-91), E_INVALIDARG);
    EXPECT_EQ(s->put_Inclination(-90), S_OK);
    EXPECT_EQ(s->put_Transparency(101), E_INVALIDARG);
    EXPECT_EQ(s->put_Transparency(-1), E_INVALIDARG);

    road::saved(s.get());
    OLE_COLOR colour = 0;
    s->get_HeaderTextColor(&colour);
    EXPECT_EQ(s->put_HeaderTextColor(colour), S_OK);  // no shortcut: dirty again
    EXPECT_TRUE(road::is_dirty(s.get()));
}

TEST_F(Stamp, NoTextsMeansNoHostObjectsAtAll)
{
    auto s = stamp();
    s->SetPosition(1000, 1000, 1000, 500);
    set(s.get(), u"", u"");
    EXPECT_EQ(road::kinds(doc.objects(1)), (std::vector<std::string>{"element"}));
    EXPECT_TRUE(doc.resource_objects(1).empty());
}

TEST_F(Stamp, GrowsToHoldBothTextsAndCentresThem)
{
    auto s = stamp();
    // 10 mm high at 720 units per inch: 283 units; header 70 % → 198, content 30 % → 84.
    ASSERT_EQ(s->SetPosition(1000, 1000, 200, 283), S_OK);
    ASSERT_EQ(set(s.get(), u"APPROVED", u"2026-12-06"), S_OK);
    const arial header(198, true, "APPROVED"), content(84, false, "2026-12-06");
    const LONG m = 720 * 40 / 254, g = 720 * 20 / 254;
    LONG l, t, w, h;
    s->GetPosition(&l, &t, &w, &h);
    EXPECT_EQ(l, 1000);
    EXPECT_EQ(t, 1000);
    EXPECT_EQ(w, std::max(header.width, content.width) + 2 * m);
    EXPECT_EQ(h, std::max<LONG>(283, header.height() + content.height() + g + 2 * m));

    const auto texts = doc.find(1, "text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(property(texts[0], "Text"), "APPROVED");
    EXPECT_EQ(property(texts[0], "X"), std::to_string(1000 + (w - header.width) / 2));
    EXPECT_EQ(property(texts[0], "Y"),
              std::to_string(1000 + m - header.tm.tmInternalLeading + header.tm.tmAscent));
    EXPECT_EQ(property(texts[1], "Y"), std::to_string(1000 + m + g + header.height() -
                                                       content.tm.tmInternalLeading +
                                                       content.tm.tmAscent));
    EXPECT_EQ(property(texts[1], "Transparency"), "25");
    const auto fonts = doc.find(1, "font");
    ASSERT_EQ(fonts.size(), 2u);
    // 198 units are 198 tenths of a point at 720 per inch.
    EXPECT_EQ(property(fonts[0], "Size"), "198");
    EXPECT_EQ(property(fonts[0], "Bold"), "-1");
}

TEST_F(Stamp, AContentAloneTakesTheWholeHeightAndAHiddenHeaderKeepsItsPlace)
{
    auto s = stamp();
    s->SetPosition(1000, 1000, 3000, 283);
    set(s.get(), u"", u"only content");
    auto fonts = doc.find(1, "font");
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(property(fonts[0], "Size"), "283");

    s->Delete();
    auto hidden = stamp();
    hidden->SetPosition(1000, 1000, 3000, 283);
    set(hidden.get(), u"HEADER", u"content", 70, 0, kNone);
    const auto texts = doc.find(1, "text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(property(texts[0], "Text"), "content");
    fonts = doc.find(1, "font");
    EXPECT_EQ(fonts.size(), 1u);
    const arial header(198, true, "HEADER");
    const arial content(84, false, "content");
    const LONG m = 113, g = 56;
    EXPECT_EQ(property(texts[0], "Y"), std::to_string(1000 + m + g + header.height() -
                                                       content.tm.tmInternalLeading +
                                                       content.tm.tmAscent));
}

}  // namespace
