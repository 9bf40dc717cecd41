// The image element: its identity and base members, its record in versions 0, 1 and 2, the
// ImageFile forms with a linked host object, the default size, the three fitting rules at
// awkward proportions, the border and the stacking of what it makes, CopyTo and Delete.
#include <algorithm>
#include <string>
#include <vector>

#include "elements/link/link.h"
#include "tests/elements/image_fixture.h"

namespace {

using namespace image_test;
using strings = std::vector<std::string>;

constexpr OLE_COLOR kNone = 0xFFFFFFFF;

// "-<id>|linked": the image file text that names a host object by its id.
std::u16string linked_file(LONG id)
{
    const std::string digits = std::to_string(id);
    return u"-" + std::u16string(digits.begin(), digits.end()) + u"|linked";
}

void append_u32(bytes& b, ULONG v)
{
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}
void append_u16(bytes& b, USHORT v)
{
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}
void append_string(bytes& b, std::u16string_view text)
{
    append_u32(b, static_cast<ULONG>(text.size() * 2 + 2));
    for (char16_t c : text) append_u16(b, c);
    append_u16(b, 0);
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
    append_u32(out, f.version);
    for (LONG v : {f.l, f.t, f.r, f.b}) append_u32(out, static_cast<ULONG>(v));
    append_string(out, f.file);
    append_u16(out, static_cast<USHORT>(f.keep));
    append_u32(out, f.border);
    append_u16(out, static_cast<USHORT>(f.shadow));
    append_u16(out, static_cast<USHORT>(f.transparency));
    append_string(out, f.description);
    append_u32(out, static_cast<ULONG>(f.linked));
    append_u32(out, static_cast<ULONG>(f.objects.size()));
    for (LONG id : f.objects) append_u32(out, static_cast<ULONG>(id));
    if (f.version >= 2) {
        append_u32(out, static_cast<ULONG>(f.resources.size()));
        for (LONG id : f.resources) append_u32(out, static_cast<ULONG>(id));
    }
    return out;
}

// ---- identity and base members ------------------------------------------------------------

TEST(ImageIdentity, RefusesAggregationAndAnswersAsAnImage)
{
    com::ComPtr<IUnknown> outer;
    ASSERT_EQ(cnt::create_link(nullptr, IID_IUnknown, outer.put_void()), S_OK);
    void* inner = reinterpret_cast<void*>(1);
    EXPECT_EQ(cnt::create_image(outer.get(), IID_IUnknown, &inner), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(inner, nullptr);

    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
    com::ComPtr<IZElement> host;
    ASSERT_EQ(image->QueryInterface(IZElement::iid, host.put_void()), S_OK);
    LONG kind = 0;
    EXPECT_EQ(host->GetObjectKind(&kind), S_OK);
    EXPECT_EQ(kind, 285);
    ZeCntElementType type = zeCntElementTypeUnknown;
    EXPECT_EQ(image->get_ElementType(&type), S_OK);
    EXPECT_EQ(type, zeCntElementTypeImage);
    VARIANT_BOOL allowed = -1;
    image->get_AllowInclination(&allowed);
    EXPECT_EQ(allowed, VARIANT_FALSE);
    SHORT degrees = 5;
    EXPECT_EQ(image->get_Inclination(&degrees), S_OK);
    EXPECT_EQ(degrees, 0);
    EXPECT_EQ(image->put_Inclination(10), E_NOTIMPL);
    com::ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(image->QueryInterface(IPersistStreamInit::iid, persist.put_void()), S_OK);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ZCntElementImage);
}

TEST(ImageIdentity, DefaultsAndNullPointers)
{
    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
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
    EXPECT_EQ(keep, VARIANT_TRUE);
    EXPECT_EQ(border, kNone);
    EXPECT_EQ(shadow, 0);
    EXPECT_EQ(transparency, 0);
    EXPECT_EQ(image->get_ImageFile(nullptr), E_POINTER);
    EXPECT_EQ(image->get_MaintainAspectRatio(nullptr), E_POINTER);
    EXPECT_EQ(image->get_BorderColor(nullptr), E_POINTER);
    EXPECT_EQ(image->get_Shadow(nullptr), E_POINTER);
    EXPECT_EQ(image->get_Transparency(nullptr), E_POINTER);
    EXPECT_EQ(image->put_ImageFile(nullptr), E_INVALIDARG);
    EXPECT_TRUE(is_dirty(image.get()));
}

TEST(ImageIdentity, TransparencyAcceptsZeroToHundredOnly)
{
    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
    EXPECT_EQ(image->put_Transparency(101), E_INVALIDARG);
    EXPECT_EQ(image->put_Transparency(-1), E_INVALIDARG);
    EXPECT_EQ(image->put_Transparency(-32768), E_INVALIDARG);
    EXPECT_EQ(image->put_Transparency(100), S_OK);
    SHORT v = 0;
    image->get_Transparency(&v);
    EXPECT_EQ(v, 100);
    saved(image.get());
    EXPECT_EQ(image->put_Transparency(100), S_OK);  // the same value changes nothing
    EXPECT_FALSE(is_dirty(image.get()));
    EXPECT_EQ(image->put_Transparency(0), S_OK);
    EXPECT_TRUE(is_dirty(image.get()));
}

TEST(ImageIdentity, SameValuesOfTheScalarsLeaveTheElementClean)
{
    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
    saved(image.get());
    image->put_MaintainAspectRatio(VARIANT_TRUE);
    image->put_BorderColor(kNone);
    image->put_Shadow(0);
    EXPECT_FALSE(is_dirty(image.get()));
    // The QR settings are neither saved nor part of the dirty state.
    image->put_QRCodeMargin(4);
    image->put_QRCodeErrorCorrectionLevel(zeQRCodeErrorCorrectionLevelH);
    EXPECT_FALSE(is_dirty(image.get()));
    image->put_Shadow(VARIANT_TRUE);
    EXPECT_TRUE(is_dirty(image.get()));
}

TEST(ImageIdentity, SetPositionSwapsReversedEdges)
{
    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
    EXPECT_EQ(image->SetPosition(100, 100, -50, -20), S_OK);
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{50, 80, 50, 20}));
    com::ComPtr<IZElement> host;
    image->QueryInterface(IZElement::iid, host.put_void());
    LONG l, t, r, b;
    host->GetBounds(&l, &t, &r, &b);
    EXPECT_EQ((std::vector<LONG>{l, t, r, b}), (std::vector<LONG>{50, 80, 100, 100}));
}

// ---- records ------------------------------------------------------------------------------

TEST(ImageRecord, ANewElementSavesVersionTwoInFiftyFourBytes)
{
    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
    const bytes got = saved(image.get());
    EXPECT_EQ(got.size(), 54u);
    EXPECT_EQ(got, record({}));
    EXPECT_FALSE(is_dirty(image.get()));
}

TEST(ImageRecord, VersionTwoLoadsEveryFieldAndSavesTheSameBytes)
{
    record_fields f;
    f.l = 10;
    f.t = 20;
    f.r = 310;
    f.b = 170;
    f.file = u"C:\\Bilder\\Grün.png";
    f.keep = 0;
    f.border = 0x0000FF;
    f.shadow = -1;
    f.transparency = 40;
    f.description = u"Logo";
    f.linked = -12;
    f.objects = {4, 0, 6};
    f.resources = {3, 9};
    const bytes r = record(f);
    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
    ASSERT_EQ(load(image.get(), r), S_OK);
    EXPECT_FALSE(is_dirty(image.get()));
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{10, 20, 300, 150}));
    com::Bstr file;
    image->get_ImageFile(file.put());
    EXPECT_EQ(file.view(), u"C:\\Bilder\\Grün.png");
    EXPECT_EQ(page_object_ids(image.get()), (std::vector<LONG>{4, 0, 6}));
    EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{3, 9}));
    EXPECT_EQ(saved(image.get()), r);
}

// The id view hands out a list only whole: the count first, then a buffer that holds it all.
TEST(ImageRecord, CreatedIdsComeOnlyIntoABufferThatHoldsThemAll)
{
    record_fields f;
    f.objects = {4, 0, 6};
    com::ComPtr<IZCntElementIds> ids;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementIds::iid, ids.put_void()), S_OK);
    com::ComPtr<IPersistStreamInit> persist;
    ids->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    ASSERT_EQ(load(persist.get(), record(f)), S_OK);
    ULONG count = 0;
    EXPECT_EQ(ids->GetCreatedIDs(created_list::page_objects, 0, nullptr, nullptr), E_POINTER);
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

TEST(ImageRecord, OlderVersionsMoveAPositiveLinkedIdToTheResources)
{
    for (ULONG version : {0u, 1u}) {
        record_fields f;
        f.version = version;
        f.linked = 5;
        f.objects = {7};
        com::ComPtr<IZCntElementImage> image;
        ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
        ASSERT_EQ(load(image.get(), record(f)), S_OK) << version;
        EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{5})) << version;
        record_fields expected;
        expected.linked = 0;
        expected.objects = {7};
        expected.resources = {5};
        EXPECT_EQ(saved(image.get()), record(expected)) << version;
    }
}

TEST(ImageRecord, OlderVersionsKeepTheResourcesAndANegativeLinkedId)
{
    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
    record_fields first;
    first.resources = {9};
    ASSERT_EQ(load(image.get(), record(first)), S_OK);
    record_fields old;
    old.version = 1;
    old.linked = 5;
    ASSERT_EQ(load(image.get(), record(old)), S_OK);
    EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{9, 5}));

    old.linked = -3;
    ASSERT_EQ(load(image.get(), record(old)), S_OK);
    EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{9, 5}));
    record_fields expected;
    expected.linked = -3;
    expected.resources = {9, 5};
    EXPECT_EQ(saved(image.get()), record(expected));
}

TEST(ImageRecord, NewerVersionsAndCutRecordsAreRefused)
{
    com::ComPtr<IZCntElementImage> image;
    ASSERT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
    record_fields f;
    f.version = 3;
    f.l = 99;
    EXPECT_EQ(load(image.get(), record(f)), E_UNEXPECTED);
    f.version = 0xFFFFFFFF;  // far above 2 when compared unsigned
    EXPECT_EQ(load(image.get(), record(f)), E_UNEXPECTED);
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 0, 0}));
    const bytes whole = record({});
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_TRUE(FAILED(load(image.get(), cut))) << n;
    }
}

// ---- ImageFile forms and the linked object ------------------------------------------------

class ImageOnPage : public page_fixture {};

TEST_F(ImageOnPage, ALinkedIdWithAPathKeepsThePathAndUsesTheHostObject)
{
    const LONG id = raw_image(200, 100);
    auto image = this->image();
    image->SetPosition(100, 100, 300, 300);
    doc.journal().enable();
    const std::u16string value = u"-" + std::u16string(1, char16_t(u'0' + id)) + u"|C:\\x.png";
    com::Bstr file(value);
    EXPECT_EQ(image->put_ImageFile(file.get()), S_OK);
    com::Bstr got;
    image->get_ImageFile(got.put());
    EXPECT_EQ(got.view(), u"C:\\x.png");
    // The document hands out the linked image; no image resource of the element's own.
    const strings lines = doc.journal().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "document.LookUp(-" + std::to_string(id) + ") -> image#" +
                            std::to_string(id)),
              lines.end());
    for (const std::string& line : lines) EXPECT_EQ(line.find("resources.Create"), std::string::npos);
    EXPECT_TRUE(resource_ids(image.get()).empty());
    const auto placed = of_kind("placed_image");
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(property(placed[0], "Image"), "image#" + std::to_string(id));
    EXPECT_EQ(rect_of(placed[0]), (strings{"100", "100", "400", "250"}));

    // "-id" alone sets the id and leaves the file as it was.
    com::Bstr bare(u"-7");
    image->put_ImageFile(bare.get());
    image->get_ImageFile(got.put());
    EXPECT_EQ(got.view(), u"C:\\x.png");
    // A linked id still negative keeps the file when the new value has no "-".
    com::Bstr other(u"D:\\other.png");
    image->put_ImageFile(other.get());
    image->get_ImageFile(got.put());
    EXPECT_EQ(got.view(), u"C:\\x.png");
}

TEST_F(ImageOnPage, TheLinkedIdIsSavedWithTheRecord)
{
    auto image = this->image();
    com::Bstr file(u"-12|pic.png");
    image->put_ImageFile(file.get());
    record_fields expected;
    expected.file = u"pic.png";
    expected.linked = -12;
    // The empty rectangle took the default size though nothing could be placed.
    expected.r = 590;
    expected.b = 590;
    EXPECT_EQ(saved(image.get()), record(expected));

    com::Bstr no_digits(u"-|x");
    image->put_ImageFile(no_digits.get());
    expected.file = u"-|x";
    expected.linked = 0;
    EXPECT_EQ(saved(image.get()), record(expected));
}

// ---- default size and raster fitting ------------------------------------------------------

TEST_F(ImageOnPage, AnEmptyRectangleGetsFiftyMillimetresAtThePageResolution)
{
    const LONG id = raw_image(10, 10);
    auto image = this->image();
    com::Bstr file(u"-" + std::u16string(1, char16_t(u'0' + id)) + u"|linked");
    image->put_ImageFile(file.get());
    // 300 × 500 / 254 = 590 on both sides.
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 590, 590}));
}

TEST_F(ImageOnPage, AnEmptyRectangleAt720UnitsPerInch)
{
    host::document other;
    ASSERT_EQ(other.add_page(6000, 8000, 720), S_OK);
    doc = std::move(other);
    const LONG id = raw_image(3, 1);
    auto image = this->image();
    image->SetPosition(40, 50, 0, 100);
    com::Bstr file(u"-" + std::u16string(1, char16_t(u'0' + id)) + u"|linked");
    image->put_ImageFile(file.get());
    // Width 720 × 500 / 254 = 1417; the height given stays 100, and 3:1 then fits as
    // 1417 × 1 / 3 = 472 > 100 → width 100 × 3 / 1 = 300.
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{40, 50, 300, 100}));
}

TEST_F(ImageOnPage, RasterImagesFitInTruncatingIntegers)
{
    struct fit_case {
        LONG iw, ih;
        VARIANT_BOOL keep;
        std::vector<LONG> expected;  // left, top, width, height
    };
    const fit_case cases[] = {
        {200, 100, VARIANT_TRUE, {10, 20, 300, 150}},
        {200, 100, VARIANT_FALSE, {10, 20, 300, 300}},
        {100, 200, VARIANT_TRUE, {10, 20, 150, 300}},
        {7, 3, VARIANT_TRUE, {10, 20, 300, 128}},   // 300 × 3 / 7 = 128.57
        {3, 7, VARIANT_TRUE, {10, 20, 128, 300}},   // 2100 / 3 = 700 > 300: 300 × 3 / 7
        {299, 301, VARIANT_TRUE, {10, 20, 298, 300}},  // 301 > 300: 300 × 299 / 301 = 298.0
        {301, 299, VARIANT_TRUE, {10, 20, 300, 298}},  // 300 × 299 / 301 = 298.0
    };
    for (const fit_case& c : cases) {
        const LONG id = raw_image(c.iw, c.ih);
        auto image = this->image();
        image->SetPosition(10, 20, 300, 300);
        com::Bstr file(linked_file(id));
        image->SetImageData(file.get(), c.keep, kNone, 0);
        EXPECT_EQ(position(image.get()), c.expected) << c.iw << "x" << c.ih;
    }
}

TEST_F(ImageOnPage, ARasterFileIsLoadedIntoANewResourceAndFitted)
{
    files.write("logo.bmp", bmp(7, 3));
    auto image = this->image();
    image->SetPosition(0, 0, 100, 100);
    doc.journal().enable();
    com::Bstr file = wide(files.path("logo.bmp"));
    image->put_ImageFile(file.get());
    const strings lines = doc.journal().lines();
    const std::string load = "image#1.Load(\"" + files.path("logo.bmp") + "\",-1)";
    EXPECT_NE(std::find(lines.begin(), lines.end(), "resources.Create(101) -> image~1"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), load), lines.end());
    EXPECT_EQ(resource_ids(image.get()).size(), 1u);
    const auto placed = of_kind("placed_image");
    ASSERT_EQ(placed.size(), 1u);
    // 100 × 3 / 7 = 42.86, truncated.
    EXPECT_EQ(rect_of(placed[0]), (strings{"0", "0", "100", "42"}));
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 100, 42}));
}

TEST_F(ImageOnPage, AMissingFileMakesNothing)
{
    auto image = this->image();
    image->SetPosition(0, 0, 100, 100);
    com::Bstr file = wide(files.path("absent.png"));
    EXPECT_EQ(image->put_ImageFile(file.get()), S_OK);
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element"}));
    EXPECT_TRUE(doc.resource_objects(1).empty());
    EXPECT_TRUE(page_object_ids(image.get()).empty());
    // A border is not drawn either: the content failed first.
    image->put_BorderColor(0xFF);
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element"}));
}

TEST_F(ImageOnPage, TheBorderComesAfterTheContentOnTheFittedBounds)
{
    const LONG id = raw_image(200, 100);
    auto image = this->image();
    image->SetPosition(10, 20, 300, 300);
    com::Bstr file(linked_file(id));
    image->put_ImageFile(file.get());
    EXPECT_TRUE(of_kind("shape").empty());
    doc.journal().enable();
    image->put_BorderColor(0x0000FF);
    const auto shapes = of_kind("shape");
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element", "placed_image", "shape"}));
    const strings lines = doc.journal().lines();
    const LONG shape = shapes[0].id;
    const std::string s = "shape#" + std::to_string(shape);
    auto at = std::find(lines.begin(), lines.end(), s + ".put_PaintMode(0)");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*++at, s + ".put_StrokeColor(0x000000FF)");
    EXPECT_EQ(*++at, s + ".get_Path() -> " + s + ".path");
    EXPECT_EQ(*++at, s + ".path.Rectangle(10,20,310,170)");
    // The same colour again rebuilds nothing.
    doc.journal().clear();
    image->put_BorderColor(0x0000FF);
    EXPECT_TRUE(doc.journal().lines().empty());
    image->put_BorderColor(kNone);
    EXPECT_TRUE(of_kind("shape").empty());
}

TEST_F(ImageOnPage, CreatedObjectsAreStackedBehindTheElementInOrder)
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
}

TEST_F(ImageOnPage, SetImageDataWithTheSameFileStillRebuilds)
{
    const LONG id = raw_image(4, 4);
    auto image = this->image();
    image->SetPosition(0, 0, 50, 50);
    com::Bstr file(linked_file(id));
    image->SetImageData(file.get(), VARIANT_TRUE, kNone, 0);
    const std::vector<LONG> first = page_object_ids(image.get());
    com::Bstr same(u"linked");
    image->SetImageData(same.get(), VARIANT_TRUE, kNone, 0);
    const std::vector<LONG> second = page_object_ids(image.get());
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first, second);  // removed and made again under a new id
    EXPECT_EQ(of_kind("placed_image").size(), 1u);
}

// ---- PDF pages ----------------------------------------------------------------------------

TEST_F(ImageOnPage, PdfPagesFitInDoublePrecisionTruncated)
{
    struct fit_case {
        int pw, ph;
        VARIANT_BOOL keep;
        std::vector<LONG> expected;
    };
    const fit_case cases[] = {
        // 1000 × 792 / 612 = 1294.1 > 1000: width 612 × 1000 / 792 = 772.7
        {612, 792, VARIANT_TRUE, {5, 6, 772, 1000}},
        // 1000 × 7 / 300 = 23.33
        {300, 7, VARIANT_TRUE, {5, 6, 1000, 23}},
        // 1000 × 999 / 1000 = 999 exactly
        {1000, 999, VARIANT_TRUE, {5, 6, 1000, 999}},
        {612, 792, VARIANT_FALSE, {5, 6, 1000, 1000}},
    };
    int n = 0;
    for (const fit_case& c : cases) {
        const std::string name = "page" + std::to_string(n) + (n % 2 ? ".pdf" : ".PDF");
        ++n;
        files.write(name, pdf(c.pw, c.ph));
        auto image = this->image();
        image->SetPosition(5, 6, 1000, 1000);
        doc.journal().enable();
        doc.journal().clear();
        com::Bstr file = wide(files.path(name));
        image->SetImageData(file.get(), c.keep, kNone, 0);
        EXPECT_EQ(position(image.get()), c.expected) << name;
        const strings lines = doc.journal().lines();
        const std::string set = ".SetPosition(5,6," + std::to_string(c.expected[2]) + "," +
                                std::to_string(c.expected[3]) + ")";
        bool found = false;
        for (const std::string& line : lines)
            found = found || (line.find(set) != std::string::npos);
        EXPECT_TRUE(found) << name;
    }
}

TEST_F(ImageOnPage, APdfDocumentIsAnObjectAndAResourceAndItsPageAnElement)
{
    files.write("a.pdf", pdf(200, 100));
    auto image = this->image();
    image->SetPosition(0, 0, 400, 400);
    doc.journal().enable();
    com::Bstr file = wide(files.path("a.pdf"));
    image->put_ImageFile(file.get());
    strings calls;
    for (const std::string& line : doc.journal().lines())
        if (line.find("AddObject") != std::string::npos ||
            line.find("AddElement") != std::string::npos ||
            line.find(".Open(") != std::string::npos ||
            line.find("put_KeepAspectRatio") != std::string::npos ||
            line.find("put_PageNumber") != std::string::npos)
            calls.push_back(line.substr(0, line.find('(')));
    EXPECT_EQ(calls.size(), 5u);
    EXPECT_EQ(resource_ids(image.get()).size(), 1u);
    EXPECT_EQ(page_object_ids(image.get()).size(), 1u);
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 400, 200}));
    EXPECT_EQ(of_kind("placed_pdf_page").size(), 1u);
    // The resource list holds the document once without an id and once under the element's id.
    std::vector<LONG> pdf_ids;
    for (const auto& v : doc.resource_objects(1))
        if (v.kind == "pdf_document") pdf_ids.push_back(v.id);
    EXPECT_EQ(pdf_ids, (std::vector<LONG>{resource_ids(image.get())[0], 0}));
}

TEST_F(ImageOnPage, AFileThatIsNoPdfLeavesNothing)
{
    files.write("broken.pdf", "not a pdf at all");
    auto image = this->image();
    image->SetPosition(0, 0, 400, 400);
    com::Bstr file = wide(files.path("broken.pdf"));
    image->put_ImageFile(file.get());
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element"}));
    EXPECT_TRUE(resource_ids(image.get()).empty());
}

// ---- stored document pages ----------------------------------------------------------------

TEST_F(ImageOnPage, StoredPagesFitInSinglePrecisionRoundedHalfUp)
{
    struct fit_case {
        LONG pw, ph;
        LONG w, h;
        std::vector<LONG> expected;
    };
    const fit_case cases[] = {
        {2100, 2970, 1000, 2000, {0, 0, 1000, 1414}},  // 1414.29 + 0.5
        {2, 3, 101, 1000, {0, 0, 101, 152}},           // 151.5 + 0.5: half rounds up
        {3, 2, 101, 1000, {0, 0, 101, 67}},            // 67.33 + 0.5
        {1, 3, 100, 100, {0, 0, 33, 100}},             // 300 > 100: 33.33 + 0.5
        {3, 5, 100, 166, {0, 0, 100, 166}},            // 166.67 + 0.5 = 167 > 166: 99.6 + 0.5
    };
    int n = 0;
    for (const fit_case& c : cases) {
        const std::string name = "doc" + std::to_string(n) + (n % 2 ? ".pjd" : ".PJD");
        ++n;
        stored_document(files.path(name), c.pw, c.ph, 254);
        auto image = this->image();
        image->SetPosition(0, 0, c.w, c.h);
        com::Bstr file = wide(files.path(name));
        image->put_ImageFile(file.get());
        EXPECT_EQ(position(image.get()), c.expected) << name;
    }
    const auto placed = of_kind("placed_page");
    ASSERT_EQ(placed.size(), 5u);
    EXPECT_EQ(rect_of(placed[0]), (strings{"0", "0", "1000", "1414"}));
    EXPECT_EQ(property(placed[0], "PageNumber"), "1");
}

TEST_F(ImageOnPage, StoredPagesWithoutKeepTakeTheBounds)
{
    stored_document(files.path("t.pjd"), 2100, 2970, 254);
    auto image = this->image();
    image->SetPosition(0, 0, 1000, 500);
    com::Bstr file = wide(files.path("t.pjd"));
    image->SetImageData(file.get(), VARIANT_FALSE, kNone, 0);
    EXPECT_EQ(position(image.get()), (std::vector<LONG>{0, 0, 1000, 500}));
    EXPECT_EQ(kinds(doc.resource_objects(1)), (strings{"stored_document"}));
}

TEST_F(ImageOnPage, AStoredDocumentThatDoesNotLoadLeavesNothing)
{
    files.write("junk.pjd", "ZPJD but not really");
    auto image = this->image();
    image->SetPosition(0, 0, 100, 100);
    com::Bstr file = wide(files.path("junk.pjd"));
    image->put_ImageFile(file.get());
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element"}));
    EXPECT_TRUE(doc.resource_objects(1).empty());
}

// ---- CopyTo, Delete, Attach ---------------------------------------------------------------

TEST_F(ImageOnPage, CopyToCarriesTheImageDataButNotPositionOrTransparency)
{
    auto from = this->image(false);
    auto to = this->image(false);
    com::Bstr file(u"C:\\a.png"), text(u"Firmenlogo");
    from->SetImageData(file.get(), VARIANT_FALSE, 0x123456, VARIANT_TRUE);
    from->put_Description(text.get());
    from->put_Transparency(30);
    from->SetPosition(1, 2, 3, 4);
    EXPECT_EQ(from->CopyTo(to.get()), S_OK);
    com::Bstr got;
    to->get_ImageFile(got.put());
    EXPECT_EQ(got.view(), u"C:\\a.png");
    to->get_Description(got.put());
    EXPECT_EQ(got.view(), u"Firmenlogo");
    VARIANT_BOOL keep = -1, shadow = 0;
    OLE_COLOR border = 0;
    SHORT transparency = -1;
    to->get_MaintainAspectRatio(&keep);
    to->get_BorderColor(&border);
    to->get_Shadow(&shadow);
    to->get_Transparency(&transparency);
    EXPECT_EQ(keep, VARIANT_FALSE);
    EXPECT_EQ(border, 0x123456u);
    EXPECT_EQ(shadow, VARIANT_TRUE);
    EXPECT_EQ(transparency, 0);
    EXPECT_EQ(position(to.get()), (std::vector<LONG>{0, 0, 0, 0}));

    com::ComPtr<IZCntElementBase> link;
    ASSERT_EQ(cnt::create_link(nullptr, IZCntElementBase::iid, link.put_void()), S_OK);
    EXPECT_EQ(from->CopyTo(link.get()), E_INVALIDARG);
    EXPECT_EQ(from->CopyTo(nullptr), E_INVALIDARG);
}

TEST_F(ImageOnPage, DeleteRemovesWhatItMadeAndALoadedOldResource)
{
    const LONG id = raw_image(4, 4);
    auto image = this->image();
    image->SetPosition(0, 0, 50, 50);
    com::Bstr file(linked_file(id));
    image->SetImageData(file.get(), VARIANT_TRUE, 0xFF, 0);
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element", "placed_image", "shape"}));
    EXPECT_EQ(image->Delete(), S_OK);
    EXPECT_EQ(kinds(doc.objects(1)), (strings{"element"}));
    EXPECT_EQ(doc.resource_objects(1).size(), 1u);  // the linked image is not the element's

    // An old record's resource id is removed like the element's own.
    record_fields old;
    old.version = 1;
    old.linked = id;
    ASSERT_EQ(load(image.get(), record(old)), S_OK);
    doc.journal().enable();
    image->Delete();
    const strings lines = doc.journal().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "resources.Remove(" + std::to_string(id) + ")"),
              lines.end());
    EXPECT_TRUE(doc.resource_objects(1).empty());
}

TEST_F(ImageOnPage, DeleteBeforeAttachChangesNothing)
{
    auto image = this->image(false);
    record_fields f;
    f.objects = {3};
    f.resources = {4};
    ASSERT_EQ(load(image.get(), record(f)), S_OK);
    EXPECT_EQ(image->Delete(), S_OK);
    EXPECT_EQ(page_object_ids(image.get()), (std::vector<LONG>{3}));
    EXPECT_EQ(resource_ids(image.get()), (std::vector<LONG>{4}));
}

TEST_F(ImageOnPage, OnlyALoadedElementWithPageObjectsJoinsTheContainerAtAttach)
{
    auto fresh = this->image();
    auto loaded = this->image(false);
    record_fields f;
    f.r = 10;
    f.b = 10;
    f.objects = {99};
    ASSERT_EQ(load(loaded.get(), record(f)), S_OK);
    ASSERT_EQ(attach(loaded.get()), S_OK);
    com::ComPtr<IZCntElementContainer> container;
    for (const auto& item : doc.document_objects())
        if (SUCCEEDED(item->QueryInterface(IZCntElementContainer::iid, container.put_void())))
            break;
    ASSERT_TRUE(container);
    LONG count = 0;
    container->get_Count(&count);
    EXPECT_EQ(count, 1);
}

}  // namespace
