// The image element: its defaults and setters, its record in versions 0, 1 and 2, the
// ImageFile forms with a linked host object, the default size, the three fitting rules at
// awkward proportions, the border and the stacking of what it makes, CopyTo and Delete.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "tests/elements/image_fixture.h"

namespace element_test {
namespace {

using strings = std::vector<std::string>;
using position_t = std::vector<LONG>;

constexpr OLE_COLOR kNone = 0xFFFFFFFF;

// "-<id>|<path>": the image file text that names a host object by its id.
std::u16string linked_file(LONG id, std::u16string_view path = u"linked")
{
    std::u16string out(u"-");
    for (char digit : std::to_string(id)) out.push_back(static_cast<char16_t>(digit));
    out.push_back(u'|');
    out.append(path);
    return out;
}

struct record_fields {
    ULONG version = 2;
    LONG l = 0, t = 0, r = 0, b = 0;
    std::u16string file;
    SHORT keep = -1;
    OLE_COLOR border = kNone;
    SHORT shadow = 0, transparency = 0;
    std::u16string description;
    LONG linked = 0;
    std::vector<LONG> objects, resources;
};

bytes record(const record_fields& f)
{
    bytes out;
    put_u32(out, f.version);
    for (LONG v : {f.l, f.t, f.r, f.b}) put_u32(out, static_cast<ULONG>(v));
    put_string(out, f.file);
    put_u16(out, static_cast<USHORT>(f.keep));
    put_u32(out, f.border);
    put_u16(out, static_cast<USHORT>(f.shadow));
    put_u16(out, static_cast<USHORT>(f.transparency));
    put_string(out, f.description);
    put_u32(out, static_cast<ULONG>(f.linked));
    put_ids(out, f.objects);
    if (f.version >= 2) put_ids(out, f.resources);
    return out;
}

com::ComPtr<IZCntElementImage> new_image() { return made_by<IZCntElementImage>(cnt::create_image); }

std::u16string file_of(IZCntElementImage* image)
{
    com::Bstr file;
    EXPECT_EQ(image->get_ImageFile(file.put()), S_OK);
    return std::u16string(file.view());
}

// ---- defaults and setters -----------------------------------------------------------------

TEST(ImageProperties, DefaultsNullPointersAndTheTransparencyRange)
{
    auto image = new_image();
    com::Bstr file;
    ASSERT_EQ(image->get_ImageFile(file.put()), S_OK);
    EXPECT_FALSE(file.is_null());
    EXPECT_EQ(file.view(), u"");
    VARIANT_BOOL keep = 0, shadow = 5;
    OLE_COLOR border = 0;
    SHORT transparency = 7;
    image->get_MaintainAspectRatio(&keep);
    image->get_BorderColor(&border);
    image->get_Shadow(&shadow);
    image->get_Transparency(&transparency);
    EXPECT_EQ((std::vector<LONG>{keep, static_cast<LONG>(border), shadow, transparency}),
              (std::vector<LONG>{VARIANT_TRUE, static_cast<LONG>(kNone), 0, 0}));
    for (HRESULT hr : {image->get_ImageFile(nullptr), image->get_MaintainAspectRatio(nullptr),
                       image->get_BorderColor(nullptr), image->get_Shadow(nullptr),
                       image->get_Transparency(nullptr)})
        EXPECT_EQ(hr, E_POINTER);
    EXPECT_EQ(image->put_ImageFile(nullptr), E_INVALIDARG);
    // Transparency takes 0 to 100 only.
    for (SHORT refused : {SHORT{101}, SHORT{-1}, SHORT{-32768}})
        EXPECT_EQ(image->put_Transparency(refused), E_INVALIDARG) << refused;
    EXPECT_EQ(image->put_Transparency(100), S_OK);
    SHORT v = 0;
    image->get_Transparency(&v);
    EXPECT_EQ(v, 100);
}

TEST(ImageProperties, SameValuesOfTheScalarsLeaveTheElementClean)
{
    auto image = new_image();
    image->put_Transparency(100);
    saved(image.get());
    image->put_Transparency(100);
    image->put_MaintainAspectRatio(VARIANT_TRUE);
    image->put_BorderColor(kNone);
    image->put_Shadow(0);
    EXPECT_FALSE(is_dirty(image.get()));
    // The QR settings are neither saved nor part of the dirty state.
    image->put_QRCodeMargin(4);
    image->put_QRCodeErrorCorrectionLevel(zeQRCodeErrorCorrectionLevelH);
    EXPECT_FALSE(is_dirty(image.get()));
    for (auto change : {+[](IZCntElementImage* i) { i->put_Shadow(VARIANT_TRUE); },
                        +[](IZCntElementImage* i) { i->put_Transparency(0); }}) {
        change(image.get());
        EXPECT_TRUE(is_dirty(image.get()));
        saved(image.get());
    }
}

// ---- records ------------------------------------------------------------------------------

TEST(ImageRecord, VersionTwoIsSavedNewAndLoadsEveryFieldAndSavesTheSameBytes)
{
    EXPECT_EQ(saved(new_image().get()), record({}));
    const bytes r = record({.l = 10, .t = 20, .r = 310, .b = 170, .file = u"C:\\Bilder\\Grün.png",
                            .keep = 0, .border = 0x0000FF, .shadow = -1, .transparency = 40,
                            .description = u"Logo", .linked = -12, .objects = {4, 0, 6},
                            .resources = {3, 9}});
    auto image = new_image();
    ASSERT_EQ(load(image.get(), r), S_OK);
    LONG l, t, w, h;
    image->GetPosition(&l, &t, &w, &h);
    EXPECT_EQ((position_t{l, t, w, h}), (position_t{10, 20, 300, 150}));
    EXPECT_EQ(file_of(image.get()), u"C:\\Bilder\\Grün.png");
    EXPECT_EQ(page_object_ids(image.get()), (std::vector<LONG>{4, 0, 6}));
    EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{3, 9}));
    EXPECT_EQ(saved(image.get()), r);
    // Delete before Attach keeps the loaded resources.
    EXPECT_EQ(image->Delete(), S_OK);
    EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{3, 9}));
}

// The id view hands out a list only whole: the count first, then a buffer that holds it all.
TEST(ImageRecord, CreatedIdsComeOnlyIntoABufferThatHoldsThemAll)
{
    com::ComPtr<IZCntElementIds> ids;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementIds::iid, ids.put_void()), S_OK);
    ASSERT_EQ(load(ids.get(), record({.objects = {4, 0, 6}})), S_OK);
    ULONG count = 0;
    EXPECT_EQ(ids->GetCreatedIDs(created_list::page_objects, 0, nullptr, &count), S_OK);
    EXPECT_EQ(count, 3u);
    LONG buffer[3] = {-1, -1, -1};
    EXPECT_EQ(ids->GetCreatedIDs(created_list::page_objects, 2, buffer, &count),
              HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buffer[0], -1);
    EXPECT_EQ(ids->GetCreatedIDs(created_list::page_objects, 3, buffer, &count), S_OK);
    EXPECT_EQ(std::vector<LONG>(buffer, buffer + 3), (std::vector<LONG>{4, 0, 6}));
    EXPECT_EQ(ids->GetCreatedIDs(static_cast<created_list>(2), 3, buffer, &count), E_INVALIDARG);
}

TEST(ImageRecord, OlderVersionsMoveAPositiveLinkedIdToTheResourcesAndKeepANegativeOne)
{
    for (ULONG version : {0u, 1u}) {
        SCOPED_TRACE(version);
        auto image = new_image();
        ASSERT_EQ(load(image.get(), record({.version = version, .linked = 5, .objects = {7}})), S_OK);
        EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{5}));
        EXPECT_EQ(saved(image.get()), record({.objects = {7}, .resources = {5}}));
    }
    // The resources loaded before stay; a negative id is kept as the linked id.
    auto image = new_image();
    ASSERT_EQ(load(image.get(), record({.resources = {9}})), S_OK);
    ASSERT_EQ(load(image.get(), record({.version = 1, .linked = 5})), S_OK);
    EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{9, 5}));
    ASSERT_EQ(load(image.get(), record({.version = 1, .linked = -3})), S_OK);
    EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{9, 5}));
    EXPECT_EQ(saved(image.get()), record({.linked = -3, .resources = {9, 5}}));
}

// ---- ImageFile forms and the linked object ------------------------------------------------

class ImageOnPage : public image_page {
protected:
    // An attached image at `given` (left, top, width, height) showing `file`; its position.
    position_t fitted(const std::u16string& file, const position_t& given,
                      VARIANT_BOOL keep = VARIANT_TRUE)
    {
        auto made = image();
        made->SetPosition(given[0], given[1], given[2], given[3]);
        com::Bstr text(file);
        EXPECT_EQ(made->SetImageData(text.get(), keep, kNone, 0), S_OK);
        return position(made.get());
    }
    std::u16string file(const std::string& relative) const
    {
        const std::string path = files.path(relative);
        return std::u16string(path.begin(), path.end());
    }
    bool journal_has(const std::string& line)
    {
        const strings lines = doc.journal().lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_F(ImageOnPage, ALinkedIdWithAPathKeepsThePathAndUsesTheHostObject)
{
    const LONG id = raw_image(200, 100);
    auto image = this->image_at(100, 100, 300, 300);
    doc.journal().enable();
    com::Bstr value(linked_file(id, u"C:\\x.png"));
    EXPECT_EQ(image->put_ImageFile(value.get()), S_OK);
    EXPECT_EQ(file_of(image.get()), u"C:\\x.png");
    // The document hands out the linked image; no image resource of the element's own.
    EXPECT_TRUE(journal_has("document.LookUp(-" + std::to_string(id) + ") -> image#" +
                            std::to_string(id)));
    for (const std::string& line : doc.journal().lines())
        EXPECT_EQ(line.find("resources.Create"), std::string::npos);
    EXPECT_TRUE(resource_ids(image.get()).empty());
    const auto placed = of_kind("placed_image");
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(property(placed[0], "Image"), "image#" + std::to_string(id));
    EXPECT_EQ(rect_of(placed[0]), (strings{"100", "100", "400", "250"}));

    // "-id" alone sets the id and leaves the file as it was; so does a file without "-" while
    // the linked id is still negative.
    for (const char16_t* next : {u"-7", u"D:\\other.png"}) {
        com::Bstr text(next);
        image->put_ImageFile(text.get());
        EXPECT_EQ(file_of(image.get()), u"C:\\x.png");
    }
}

TEST_F(ImageOnPage, TheLinkedIdIsSavedWithTheRecord)
{
    auto image = this->image();
    com::Bstr file(u"-12|pic.png");
    image->put_ImageFile(file.get());
    // The empty rectangle took the default size though nothing could be placed.
    EXPECT_EQ(saved(image.get()), record({.r = 590, .b = 590, .file = u"pic.png", .linked = -12}));
    com::Bstr no_digits(u"-|x");
    image->put_ImageFile(no_digits.get());
    EXPECT_EQ(saved(image.get()), record({.r = 590, .b = 590, .file = u"-|x"}));
}

// ---- default size and raster fitting ------------------------------------------------------

TEST_F(ImageOnPage, RasterImagesFitInTruncatingIntegers)
{
    struct fit_case {
        LONG iw, ih;
        position_t given;
        VARIANT_BOOL keep;
        position_t expected;
    };
    const fit_case cases[] = {
        // An empty rectangle takes 50 mm: 300 × 500 / 254 = 590 on both sides.
        {10, 10, {0, 0, 0, 0}, VARIANT_TRUE, {0, 0, 590, 590}},
        {200, 100, {10, 20, 300, 300}, VARIANT_TRUE, {10, 20, 300, 150}},
        {200, 100, {10, 20, 300, 300}, VARIANT_FALSE, {10, 20, 300, 300}},
        {100, 200, {10, 20, 300, 300}, VARIANT_TRUE, {10, 20, 150, 300}},
        {7, 3, {10, 20, 300, 300}, VARIANT_TRUE, {10, 20, 300, 128}},     // 300 × 3 / 7 = 128.57
        {3, 7, {10, 20, 300, 300}, VARIANT_TRUE, {10, 20, 128, 300}},     // 700 > 300: 300 × 3 / 7
        {299, 301, {10, 20, 300, 300}, VARIANT_TRUE, {10, 20, 298, 300}},  // 300 × 299 / 301
        {301, 299, {10, 20, 300, 300}, VARIANT_TRUE, {10, 20, 300, 298}},
    };
    for (const fit_case& c : cases)
        EXPECT_EQ(fitted(linked_file(raw_image(c.iw, c.ih)), c.given, c.keep), c.expected)
            << c.iw << "x" << c.ih;
}

TEST_F(ImageOnPage, AnEmptyRectangleAt720UnitsPerInch)
{
    host::document other;
    ASSERT_EQ(other.add_page(6000, 8000, 720), S_OK);
    doc = std::move(other);
    // Width 720 × 500 / 254 = 1417; the height given stays 100, and 3:1 then fits as
    // 1417 × 1 / 3 = 472 > 100 → width 100 × 3 / 1 = 300.
    EXPECT_EQ(fitted(linked_file(raw_image(3, 1)), {40, 50, 0, 100}), (position_t{40, 50, 300, 100}));
}

TEST_F(ImageOnPage, ARasterFileIsLoadedIntoANewResourceAndFitted)
{
    files.write("logo.bmp", bmp(7, 3));
    auto image = this->image_at(0, 0, 100, 100);
    doc.journal().enable();
    com::Bstr name(file("logo.bmp"));
    image->put_ImageFile(name.get());
    EXPECT_TRUE(journal_has("resources.Create(101) -> image~1"));
    EXPECT_TRUE(journal_has("image#1.Load(\"" + files.path("logo.bmp") + "\",-1)"));
    EXPECT_EQ(resource_ids(image.get()).size(), 1u);
    const auto placed = of_kind("placed_image");
    ASSERT_EQ(placed.size(), 1u);
    // 100 × 3 / 7 = 42.86, truncated.
    EXPECT_EQ(rect_of(placed[0]), (strings{"0", "0", "100", "42"}));
    EXPECT_EQ(position(image.get()), (position_t{0, 0, 100, 42}));
}

TEST_F(ImageOnPage, FilesThatAreMissingOrDoNotLoadMakeNothing)
{
    files.write("broken.pdf", "not a pdf at all");
    files.write("junk.pjd", "ZPJD but not really");
    for (const char* name : {"absent.png", "junk.pjd", "broken.pdf"}) {
        SCOPED_TRACE(name);
        auto image = this->image_at(0, 0, 100, 100);
        com::Bstr text(file(name));
        EXPECT_EQ(image->put_ImageFile(text.get()), S_OK);
        EXPECT_TRUE(page_object_ids(image.get()).empty());
        EXPECT_TRUE(resource_ids(image.get()).empty());
        EXPECT_TRUE(doc.resource_objects(1).empty()) << "a broken PDF's document goes too";
        // A border is not drawn either: the content failed first.
        image->put_BorderColor(0xFF);
        EXPECT_TRUE(page_object_ids(image.get()).empty());
    }
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element", "element", "element"}));
}

TEST_F(ImageOnPage, TheBorderComesAfterTheContentOnTheFittedBounds)
{
    const LONG id = raw_image(200, 100);
    auto image = this->image_at(10, 20, 300, 300);
    com::Bstr file(linked_file(id));
    image->put_ImageFile(file.get());
    EXPECT_TRUE(of_kind("shape").empty());
    doc.journal().enable();
    image->put_BorderColor(0x0000FF);
    const auto shapes = of_kind("shape");
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element", "placed_image", "shape"}));
    const strings lines = doc.journal().lines();
    const std::string s = "shape#" + std::to_string(shapes[0].id);
    auto at = std::find(lines.begin(), lines.end(), s + ".put_PaintMode(0)");
    ASSERT_GE(std::distance(at, lines.end()), 4);
    EXPECT_EQ(strings(at, at + 4),
              (strings{s + ".put_PaintMode(0)", s + ".put_StrokeColor(0x000000FF)",
                       s + ".get_Path() -> " + s + ".path", s + ".path.Rectangle(10,20,310,170)"}));
    // The same colour again rebuilds nothing.
    doc.journal().clear();
    image->put_BorderColor(0x0000FF);
    EXPECT_TRUE(doc.journal().lines().empty());
    image->put_BorderColor(kNone);
    EXPECT_TRUE(of_kind("shape").empty());
}

TEST_F(ImageOnPage, CreatedObjectsAreStackedBehindTheElementAndTheSameFileRebuilds)
{
    const LONG id = raw_image(4, 4);
    auto image = this->image();
    const LONG element = doc.elements(1).empty() ? 0 : doc.elements(1)[0].id;
    ASSERT_NE(element, 0);
    image->SetPosition(0, 0, 50, 50);
    doc.journal().enable();
    com::Bstr file(linked_file(id));
    image->SetImageData(file.get(), VARIANT_TRUE, 0x00FF00, 0);
    const std::vector<LONG> ids = page_object_ids(image.get());
    ASSERT_EQ(ids.size(), 2u);
    strings orders;
    for (const std::string& line : doc.journal().lines())
        if (line.rfind("page_objects.Order(", 0) == 0) orders.push_back(line);
    EXPECT_EQ(orders, (strings{"page_objects.Order(" + std::to_string(ids[0]) + "," +
                                   std::to_string(element) + ",0)",
                               "page_objects.Order(" + std::to_string(ids[1]) + "," +
                                   std::to_string(ids[0]) + ",0)"}));
    // SetImageData with the same file removes both and makes them again under new ids.
    com::Bstr same(u"linked");
    image->SetImageData(same.get(), VARIANT_TRUE, 0x00FF00, 0);
    const std::vector<LONG> again = page_object_ids(image.get());
    ASSERT_EQ(again.size(), 2u);
    EXPECT_NE(again[0], ids[0]);
    EXPECT_NE(again[1], ids[1]);
    EXPECT_EQ(of_kind("placed_image").size(), 1u);
}

// ---- PDF pages and stored document pages --------------------------------------------------

TEST_F(ImageOnPage, PdfPagesFitInDoublePrecisionTruncated)
{
    struct fit_case {
        int pw, ph;
        VARIANT_BOOL keep;
        position_t expected;
    };
    const fit_case cases[] = {
        // 1000 × 792 / 612 = 1294.1 > 1000: width 612 × 1000 / 792 = 772.7
        {612, 792, VARIANT_TRUE, {5, 6, 772, 1000}},
        {300, 7, VARIANT_TRUE, {5, 6, 1000, 23}},     // 1000 × 7 / 300 = 23.33
        {1000, 999, VARIANT_TRUE, {5, 6, 1000, 999}},  // 1000 × 999 / 1000 = 999 exactly
        {612, 792, VARIANT_FALSE, {5, 6, 1000, 1000}},
    };
    int n = 0;
    for (const fit_case& c : cases) {
        const std::string name = "page" + std::to_string(n) + (n % 2 ? ".pdf" : ".PDF");
        ++n;
        files.write(name, pdf(c.pw, c.ph));
        doc.journal().enable();
        doc.journal().clear();
        EXPECT_EQ(fitted(file(name), {5, 6, 1000, 1000}, c.keep), c.expected) << name;
        const std::string set = ".SetPosition(5,6," + std::to_string(c.expected[2]) + "," +
                                std::to_string(c.expected[3]) + ")";
        const strings lines = doc.journal().lines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& line) {
                                    return line.find(set) != std::string::npos;
                                }),
                  1)
            << name;
    }
}

TEST_F(ImageOnPage, APdfDocumentIsAnObjectAndAResourceAndItsPageAnElement)
{
    files.write("a.pdf", pdf(200, 100));
    auto image = this->image_at(0, 0, 400, 400);
    doc.journal().enable();
    com::Bstr name(file("a.pdf"));
    image->put_ImageFile(name.get());
    strings calls;
    for (const std::string& line : doc.journal().lines())
        for (const char* call : {"AddObject", "AddElement", ".Open(", "put_KeepAspectRatio",
                                 "put_PageNumber"})
            if (line.find(call) != std::string::npos) calls.push_back(call);
    EXPECT_EQ(calls.size(), 5u);
    EXPECT_EQ(resource_ids(image.get()).size(), 1u);
    EXPECT_EQ(page_object_ids(image.get()).size(), 1u);
    EXPECT_EQ(position(image.get()), (position_t{0, 0, 400, 200}));
    EXPECT_EQ(of_kind("placed_pdf_page").size(), 1u);
    // The resource list holds the document once without an id and once under the element's id.
    std::vector<LONG> pdf_ids;
    for (const auto& v : doc.resource_objects(1))
        if (v.kind == "pdf_document") pdf_ids.push_back(v.id);
    EXPECT_EQ(pdf_ids, (std::vector<LONG>{resource_ids(image.get())[0], 0}));
}

TEST_F(ImageOnPage, StoredPagesFitInSinglePrecisionRoundedHalfUp)
{
    struct fit_case {
        LONG pw, ph;
        position_t given;
        VARIANT_BOOL keep;
        position_t expected;
    };
    const fit_case cases[] = {
        {2100, 2970, {0, 0, 1000, 2000}, VARIANT_TRUE, {0, 0, 1000, 1414}},  // 1414.29 + 0.5
        {2, 3, {0, 0, 101, 1000}, VARIANT_TRUE, {0, 0, 101, 152}},  // 151.5 + 0.5: half up
        {3, 2, {0, 0, 101, 1000}, VARIANT_TRUE, {0, 0, 101, 67}},   // 67.33 + 0.5
        {1, 3, {0, 0, 100, 100}, VARIANT_TRUE, {0, 0, 33, 100}},    // 300 > 100: 33.33 + 0.5
        {3, 5, {0, 0, 100, 166}, VARIANT_TRUE, {0, 0, 100, 166}},   // 167 > 166: 99.6 + 0.5
        {2100, 2970, {0, 0, 1000, 500}, VARIANT_FALSE, {0, 0, 1000, 500}},
    };
    int n = 0;
    for (const fit_case& c : cases) {
        const std::string name = "doc" + std::to_string(n) + (n % 2 ? ".pjd" : ".PJD");
        ++n;
        stored_document(files.path(name), c.pw, c.ph, 254);
        EXPECT_EQ(fitted(file(name), c.given, c.keep), c.expected) << name;
    }
    const auto placed = of_kind("placed_page");
    ASSERT_EQ(placed.size(), 6u);
    EXPECT_EQ(rect_of(placed[0]), (strings{"0", "0", "1000", "1414"}));
    EXPECT_EQ(property(placed[0], "PageNumber"), "1");
    EXPECT_EQ(kinds(doc.resource_objects(1)), strings(6, "stored_document"));
}

// ---- CopyTo, Delete, Attach ---------------------------------------------------------------

TEST_F(ImageOnPage, CopyToCarriesTheImageDataButNotTheTransparency)
{
    auto from = this->image(false);
    auto to = this->image(false);
    com::Bstr file(u"C:\\a.png"), text(u"Firmenlogo");
    from->SetImageData(file.get(), VARIANT_FALSE, 0x123456, VARIANT_TRUE);
    from->put_Description(text.get());
    from->put_Transparency(30);
    EXPECT_EQ(from->CopyTo(to.get()), S_OK);
    EXPECT_EQ(saved(to.get()), record({.file = u"C:\\a.png", .keep = 0, .border = 0x123456,
                                       .shadow = -1, .description = u"Firmenlogo"}));
}

TEST_F(ImageOnPage, DeleteRemovesWhatItMadeAndALoadedOldResource)
{
    const LONG id = raw_image(4, 4);
    auto image = this->image_at(0, 0, 50, 50);
    com::Bstr file(linked_file(id));
    image->SetImageData(file.get(), VARIANT_TRUE, 0xFF, 0);
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element", "placed_image", "shape"}));
    EXPECT_EQ(image->Delete(), S_OK);
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element"}));
    EXPECT_EQ(doc.resource_objects(1).size(), 1u);  // the linked image is not the element's

    // An old record's resource id is removed like the element's own.
    ASSERT_EQ(load(image.get(), record({.version = 1, .linked = id})), S_OK);
    doc.journal().enable();
    image->Delete();
    EXPECT_TRUE(journal_has("resources.Remove(" + std::to_string(id) + ")"));
    EXPECT_TRUE(doc.resource_objects(1).empty());
}

}  // namespace
}  // namespace element_test
