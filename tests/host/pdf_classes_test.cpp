// The PDF document and placed PDF page classes: made by class id, taken by a page's lists, and
// kept through a .pjd save and load with the PDF opened again.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// qpdf's current pointer interface, as the engine itself builds with.
#ifndef POINTERHOLDER_TRANSITION
#define POINTERHOLDER_TRANSITION 4
#endif
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include "host/model/document_object.h"
#include "host/output/pdf/pdf_writer.h"
#include "tests/host/page_lists.h"
#include "tests/road/support.h"
#include "tests/shell/temp_tree.h"

namespace {

using road::property;

class PdfClasses : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A two-page PDF of our own to place.
        host::document source;
        ASSERT_EQ(source.add_page(612, 792, 72), S_OK);
        ASSERT_EQ(source.add_page(300, 200, 72), S_OK);
        path_ = folder_.root() + "/classes.pdf";
        std::string message;
        ASSERT_EQ(host::pdf::write_pdf(source.model(), path_, {}, nullptr, &message), S_OK) << message;
    }

    // Page 1 of `doc` places page `number` of the PDF into (100, 50, 400, 300).
    void place(host::document& doc, LONG number)
    {
        const auto [objects, resources] = lists_of(doc, 1);
        com::ComPtr<IZPdfDocument> pdf;
        ASSERT_EQ(CoCreateInstance(CLSID_ZPdfDocument, nullptr, 0x17, IZPdfDocument::iid, pdf.put_void()), S_OK);
        com::Bstr file(std::u16string(path_.begin(), path_.end())), none(u"");
        ASSERT_EQ(pdf->Open(file.get(), 0, none.get()), S_OK);
        LONG count = 0;
        ASSERT_EQ(pdf->get_PageCount(&count), S_OK);
        EXPECT_EQ(count, 2);
        double w = 0, h = 0;
        ASSERT_EQ(pdf->GetPageSize(2, &w, &h), S_OK);
        EXPECT_DOUBLE_EQ(w, 300);
        EXPECT_DOUBLE_EQ(h, 200);
        EXPECT_EQ(pdf->GetPageSize(3, &w, &h), E_INVALIDARG);
        com::ComPtr<IZObject> as_object;
        pdf->QueryInterface(IZObject::iid, as_object.put_void());
        ASSERT_EQ(resources->AddObject(as_object.get()), S_OK);
        VARIANT v{};
        v.vt = VT_UNKNOWN;
        v.punkVal = pdf.get();
        LONG id = 0;
        ASSERT_EQ(resources->Add(v, &id), S_OK);
        EXPECT_GT(id, 0);

        com::ComPtr<IZPlacedPdfPage> placed;
        ASSERT_EQ(CoCreateInstance(CLSID_ZPlacedPdfPage, nullptr, 0x17, IZPlacedPdfPage::iid,
                                   placed.put_void()),
                  S_OK);
        // Not an aggregate.
        com::ComPtr<IUnknown> inner;
        EXPECT_EQ(CoCreateInstance(CLSID_ZPlacedPdfPage, placed.get(), 0x17, IID_IUnknown, inner.put_void()),
                  CLASS_E_NOAGGREGATION);
        com::ComPtr<IZElement> element;
        ASSERT_EQ(placed->QueryInterface(IZElement::iid, element.put_void()), S_OK);
        ASSERT_EQ(objects->AddElement(element.get()), S_OK);
        v.punkVal = element.get();
        ASSERT_EQ(objects->Add(v, &id), S_OK);
        ASSERT_EQ(placed->putref_Document(pdf.get()), S_OK);
        ASSERT_EQ(element->Attach(objects.get(), resources.get(), nullptr), S_OK);
        ASSERT_EQ(placed->put_PageNumber(number), S_OK);
        ASSERT_EQ(placed->put_KeepAspectRatio(VARIANT_FALSE), S_OK);
        ASSERT_EQ(placed->SetPosition(100, 50, 400, 300), S_OK);
        LONG l, t, rr, b;
        ASSERT_EQ(element->GetBounds(&l, &t, &rr, &b), S_OK);
        EXPECT_EQ(rr, 500);
        EXPECT_EQ(b, 350);
    }

    shell_test::TempTree folder_;
    std::string path_;
};

TEST_F(PdfClasses, PlacedPageSurvivesSaveAndLoad)
{
    host::document doc;
    ASSERT_EQ(doc.add_page(850, 1100, 100), S_OK);
    place(doc, 2);
    auto placed = doc.find(1, "placed_pdf_page");
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(property(placed[0], "PageNumber"), "2");

    std::vector<BYTE> bytes;
    std::string message;
    ASSERT_EQ(doc.save_bytes(&bytes, &message), S_OK) << message;
    host::document again;
    ASSERT_EQ(host::document::load_bytes(bytes.data(), bytes.size(), &again, &message), S_OK) << message;
    auto loaded = again.find(1, "placed_pdf_page");
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].id, placed[0].id);
    for (const char* key : {"PageNumber", "KeepAspectRatio", "Left", "Top", "Width", "Height"})
        EXPECT_EQ(property(loaded[0], key), property(placed[0], key)) << key;
    auto pdfs = again.resource_objects(1);
    bool reopened = false;
    for (const auto& r : pdfs)
        if (r.kind == "pdf_document") reopened = property(r, "Opened") == "true" && property(r, "PageCount") == "2";
    EXPECT_TRUE(reopened);
    // The reloaded page is an element of its page again and still writes.
    EXPECT_EQ(again.model()->pages()[0]->elements().size(), 1u);
    std::string pdf;
    EXPECT_EQ(host::pdf::write_pdf_bytes(again.model(), {}, &pdf, nullptr, &message), S_OK) << message;
}

// A document opens a file placed by many of its objects once: one opening again shares it only
// when the bytes read and the password given are those of the first.
TEST_F(PdfClasses, OneFileOpenedAgainIsSharedOnlyForTheSameBytesAndPassword)
{
    host::document doc;
    ASSERT_EQ(doc.add_page(850, 1100, 100), S_OK);
    const auto lists = lists_of(doc, 1);
    // A PDF document of the page's resources, opened: its result and page count.
    auto open = [&](const std::string& path, const char16_t* password) {
        com::ComPtr<IZPdfDocument> pdf;
        EXPECT_EQ(CoCreateInstance(CLSID_ZPdfDocument, nullptr, 0x17, IZPdfDocument::iid, pdf.put_void()), S_OK);
        EXPECT_EQ(lists.resources->AddObject(as<IZObject>(pdf.get()).get()), S_OK);
        com::Bstr file(std::u16string(path.begin(), path.end())), secret(password);
        const HRESULT hr = pdf->Open(file.get(), 0, secret.get());
        LONG count = -1;
        pdf->get_PageCount(&count);
        return std::make_pair(hr, count);
    };
    EXPECT_EQ(open(path_, u""), std::make_pair(S_OK, LONG{2}));
    EXPECT_EQ(open(path_, u""), std::make_pair(S_OK, LONG{2}));

    // The same path holding other bytes, renamed over it as writers replace files.
    host::document one;
    ASSERT_EQ(one.add_page(300, 200, 72), S_OK);
    std::string message;
    ASSERT_EQ(host::pdf::write_pdf(one.model(), path_ + ".new", {}, nullptr, &message), S_OK) << message;
    ASSERT_EQ(std::rename((path_ + ".new").c_str(), path_.c_str()), 0);
    EXPECT_EQ(open(path_, u""), std::make_pair(S_OK, LONG{1}));

    QPDF plain;
    plain.processFile(path_.c_str());
    const std::string locked_path = path_ + ".locked";  // the writer keeps the name, not a copy
    QPDFWriter locked(plain, locked_path.c_str());
    locked.setR6EncryptionParameters("secret", "owner", true, true, true, true, true, true,
                                     qpdf_r3p_full, true);
    locked.write();
    EXPECT_EQ(open(locked_path, u"secret"), std::make_pair(S_OK, LONG{1}));
    EXPECT_EQ(open(locked_path, u"").first, E_ACCESSDENIED);
    EXPECT_EQ(open(locked_path, u"wrong").first, E_ACCESSDENIED);

    // Many files, each opened twice, past the point where the document forgets files no longer
    // open: each still opens as itself.
    for (int round = 0; round < 2; ++round)
        for (LONG i = 0; i < 40; ++i) {
            const std::string many = path_ + "." + std::to_string(i);
            if (round == 0) {
                host::document pages;
                for (LONG p = 0; p <= i % 3; ++p) ASSERT_EQ(pages.add_page(300, 200 + i, 72), S_OK);
                ASSERT_EQ(host::pdf::write_pdf(pages.model(), many, {}, nullptr, &message), S_OK);
            }
            EXPECT_EQ(open(many, u""), std::make_pair(S_OK, i % 3 + 1)) << i;
        }
}

// Damaged files are refused in tests/pdf; a missing one says so, and a document that did not open
// has no pages to measure.
TEST_F(PdfClasses, MissingFileDoesNotOpen)
{
    com::ComPtr<IZPdfDocument> pdf;
    ASSERT_EQ(CoCreateInstance(CLSID_ZPdfDocument, nullptr, 0x17, IZPdfDocument::iid, pdf.put_void()), S_OK);
    com::Bstr missing(u"/nonexistent/file.pdf"), none(u"");
    EXPECT_EQ(pdf->Open(missing.get(), 0, none.get()), STG_E_FILENOTFOUND);
    LONG count = -1;
    EXPECT_EQ(pdf->get_PageCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    double w, h;
    EXPECT_EQ(pdf->GetPageSize(1, &w, &h), E_UNEXPECTED);
}

}  // namespace
