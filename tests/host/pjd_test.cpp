// .pjd files: every host object kind survives a save and a load with its properties and its
// references, saving again gives the same bytes, and damaged or truncated data is refused with
// a message, never half loaded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/page_lists.h"
#include "tests/shell/temp_tree.h"

namespace {

// Two pages; the first holds one object of every kind, sharing a font and a line style.
void fill(host::document& doc)
{
    ASSERT_EQ(doc.add_page(5950, 8420, 720), S_OK);
    ASSERT_EQ(doc.add_page(8420, 5950, 1440), S_OK);
    lists l = lists_of(doc, 1);

    auto style = keep<IZLineStyle>(l.resources.get(), zeKindLineStyle);
    style->put_Width(25);
    auto shape = place<IZShape>(l.objects.get(), zeKindShape);
    shape->put_PaintMode(static_cast<ZeShapePaintMode>(1));
    shape->put_StrokeColor(0x00FF8000);
    shape->put_FillColor(0x000000FF);
    shape->putref_LineStyle(style.get());
    shape->put_Transparency(40);
    com::ComPtr<IZPath> path;
    shape->get_Path(path.put());
    path->Ellipse(10, 20, 300, 400);
    path->RoundedRectangle(-5, -5, 50, 60, 7, 8);
    path->SetTransform(0.5f, 0.25f, -0.25f, 0.5f, 100.0f, -20.5f);

    auto font = keep<IZFont>(l.resources.get(), zeKindFont);
    com::Bstr face(u"Arial");
    font->put_FaceName(face.get());
    font->put_Size(120);
    font->put_Bold(VARIANT_TRUE);
    font->put_Angle(0.7853981633974483);
    auto clip = keep<IZClipFrame>(l.resources.get(), zeKindClipFrame, false);
    clip->put_Mode(1);
    com::ComPtr<IZRect> clip_rect;
    clip->get_Rect(clip_rect.put());
    clip_rect->put_Left(1);
    clip_rect->put_Bottom(999);
    for (const char16_t* words : {u"Grüße, \"world\"\n", u""}) {
        auto text = place<IZTextObject>(l.objects.get(), zeKindTextObject);
        com::Bstr t(words);
        text->put_Text(t.get());
        text->put_X(100);
        text->put_Y(-200);
        text->putref_Font(font.get());
        text->putref_ClipFrame(clip.get());
        text->put_Color(0x00010203);
    }

    auto link = place<IZLink>(l.objects.get(), zeKindLink);
    com::Bstr url(u"https://example.org/ä?q=1");
    link->put_URL(url.get());
    com::ComPtr<IZRect> r;
    link->get_Rect(r.put());
    r->put_Right(70);

    auto image = keep<IZImageResource>(l.resources.get(), zeKindImageResource);
    image->put_Width(2);
    image->put_Height(2);
    image->put_BitsPerPixel(1);
    auto placed = place<IZPlacedImage>(l.objects.get(), zeKindPlacedImage);
    placed->putref_Image(image.get());

    auto stored = keep<IZStoredDocument>(l.resources.get(), zeKindStoredDocument);
    auto page_of_stored = place<IZPlacedDocumentPage>(l.objects.get(), zeKindPlacedDocumentPage);
    page_of_stored->putref_Document(stored.get());
    page_of_stored->put_PageNumber(3);

    // Something on the second page too, so that page ids and lists stay apart.
    lists second = lists_of(doc, 2);
    place<IZShape>(second.objects.get(), zeKindShape)->put_FillColor(0x00ABCDEF);
    // The PDF the pages lie over, so that every save below carries its chunk too.
    ASSERT_EQ(doc.set_original({"doc-files/original-1f.pdf", "file:1234:1f"}), S_OK);
}

std::vector<BYTE> saved(const host::document& doc)
{
    std::vector<BYTE> bytes;
    std::string message;
    EXPECT_EQ(doc.save_bytes(&bytes, &message), S_OK) << message;
    return bytes;
}

using views = std::vector<host::object_view>;

// An object kept without an id is named by its creation serial, which a load renumbers.
host::object_view without_serials(host::object_view v)
{
    for (auto& [name, value] : v.properties) {
        const auto tilde = value.find('~');
        if (tilde != std::string::npos && value.find_first_not_of("0123456789", tilde + 1) == std::string::npos)
            value.erase(tilde + 1);
    }
    return v;
}

void expect_same(const views& a_in, const views& b_in)
{
    views a, b;
    for (const auto& v : a_in) a.push_back(without_serials(v));
    for (const auto& v : b_in) b.push_back(without_serials(v));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].kind, b[i].kind) << i;
        EXPECT_EQ(a[i].id, b[i].id) << a[i].kind;
        EXPECT_EQ(a[i].properties, b[i].properties) << a[i].kind;
    }
}

TEST(Pjd, EveryKindRoundTripsWithItsPropertiesIdsAndSharedReferences)
{
    host::document doc;
    fill(doc);
    const std::vector<BYTE> first = saved(doc);

    host::document loaded;
    std::string message;
    ASSERT_EQ(host::document::load_bytes(first.data(), first.size(), &loaded, &message), S_OK)
        << message;
    ASSERT_EQ(loaded.page_count(), 2);
    EXPECT_EQ(loaded.page_id(2), doc.page_id(2));
    for (LONG page = 1; page <= 2; ++page) {
        expect_same(doc.objects(page), loaded.objects(page));
        expect_same(doc.resource_objects(page), loaded.resource_objects(page));
    }
    EXPECT_EQ(saved(loaded), first);

    // Both text objects share one font after loading, and it is the listed one.
    lists l = lists_of(loaded, 1);
    com::ComPtr<IDispatch> a, b;
    ASSERT_EQ(l.objects->get_Item(2, a.put()), S_OK);
    ASSERT_EQ(l.objects->get_Item(3, b.put()), S_OK);
    com::ComPtr<IZFont> fa, fb;
    as<IZTextObject>(a.get())->get_Font(fa.put());
    as<IZTextObject>(b.get())->get_Font(fb.put());
    ASSERT_TRUE(fa);
    EXPECT_TRUE(com::same_object(fa.get(), fb.get()));
    com::Bstr face;
    fa->get_FaceName(face.put());
    EXPECT_EQ(face.view(), u"Arial");
    double angle = 0;
    fa->get_Angle(&angle);
    EXPECT_EQ(angle, 0.7853981633974483);

    // New ids continue after the loaded ones.
    com::ComPtr<IDispatch> fresh;
    l.objects->Create(zeKindShape, fresh.put());
    auto v = com::Variant::from_dispatch(fresh.get());
    LONG id = 0;
    l.objects->Add(*v.get(), &id);
    EXPECT_EQ(id, 7);  // six objects were on the page
}

TEST(Pjd, AnEmptyDocumentRoundTrips)
{
    host::document doc;
    const auto bytes = saved(doc);
    host::document loaded;
    ASSERT_EQ(host::document::load_bytes(bytes.data(), bytes.size(), &loaded), S_OK);
    EXPECT_EQ(loaded.page_count(), 0);
    EXPECT_EQ(saved(loaded), bytes);
}

TEST(Pjd, TheOriginalPdfGoesWithTheDocumentOrNotAtAll)
{
    host::document doc;
    fill(doc);
    host::document loaded;
    const auto bytes = saved(doc);
    ASSERT_EQ(host::document::load_bytes(bytes.data(), bytes.size(), &loaded), S_OK);
    EXPECT_EQ(loaded.original().file, "doc-files/original-1f.pdf");
    EXPECT_EQ(loaded.original().key, "file:1234:1f");
    // A name without its key, or a key without a name, is refused and changes nothing.
    EXPECT_EQ(loaded.set_original({"other.pdf", ""}), E_INVALIDARG);
    EXPECT_EQ(loaded.set_original({"", "file:1:2"}), E_INVALIDARG);
    EXPECT_EQ(loaded.original().file, "doc-files/original-1f.pdf");
    // Taken away, it is not saved.
    ASSERT_EQ(loaded.set_original({}), S_OK);
    const auto without = saved(loaded);
    EXPECT_LT(without.size(), bytes.size());
    host::document again;
    ASSERT_EQ(host::document::load_bytes(without.data(), without.size(), &again), S_OK);
    EXPECT_TRUE(again.original().file.empty() && again.original().key.empty());
}

TEST(Pjd, EverySingleByteChangeAndEveryTruncationIsRefused)
{
    host::document doc;
    fill(doc);
    const auto good = saved(doc);
    for (std::size_t i = 0; i < good.size(); ++i) {
        SCOPED_TRACE(i);
        auto bad = good;
        bad[i] ^= 0x21;
        host::document loaded;
        std::string message;
        ASSERT_TRUE(FAILED(host::document::load_bytes(bad.data(), bad.size(), &loaded, &message)));
        EXPECT_EQ(loaded.page_count(), 0);
        EXPECT_FALSE(message.empty());
        // The first i bytes alone.
        ASSERT_EQ(host::document::load_bytes(good.data(), i, &loaded, &message), STG_E_INVALIDHEADER);
        EXPECT_NE(message.find("damaged .pjd file"), std::string::npos) << message;
    }
    // And data after the end is no better.
    auto longer = good;
    longer.push_back(0);
    host::document loaded;
    EXPECT_TRUE(FAILED(host::document::load_bytes(longer.data(), longer.size(), &loaded)));
}

// How a file is written (whole or not at all, through links, with the cause of a failure):
// tests/host/user_files_test.cpp.
TEST(PjdFile, LoadsWhatWasSavedAndAFailedLoadLeavesTheDocument)
{
    shell_test::TempTree dir;
    host::document doc;
    fill(doc);
    const std::string file = dir.root() + "/doc.pjd";
    std::string message;
    ASSERT_EQ(doc.save(file, &message), S_OK) << message;
    host::document loaded;
    ASSERT_EQ(host::document::load(file, &loaded, &message), S_OK) << message;
    EXPECT_EQ(saved(loaded), saved(doc));
    EXPECT_TRUE(FAILED(host::document::load(dir.root() + "/nothing.pjd", &loaded, &message)));
    EXPECT_NE(message.find("nothing.pjd"), std::string::npos) << message;
    EXPECT_EQ(loaded.page_count(), 2);
}

}  // namespace
