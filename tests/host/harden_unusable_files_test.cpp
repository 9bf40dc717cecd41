// Files the document cannot use are named with their cause, and a PDF that cannot be placed
// leaves no PDF document behind, in the page or in the saved file.
#include <gtest/gtest.h>

// qpdf's current pointer interface, as the engine itself builds with.
#ifndef POINTERHOLDER_TRANSITION
#define POINTERHOLDER_TRANSITION 4
#endif
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <string>
#include <vector>

#include "host/output/pdf/pdf_writer.h"
#include "tests/host/harden_support.h"
#include "tests/host/image_builders.h"

namespace {

using harden_test::placing_document;

// A PDF of one page of 300 x 200 points, made by the engine itself.
std::string one_page_pdf()
{
    host::document source;
    EXPECT_EQ(source.add_page(300, 200, 72), S_OK);
    std::string bytes, message;
    EXPECT_EQ(host::pdf::write_pdf_bytes(source.model(), {}, &bytes, nullptr, &message), S_OK)
        << message;
    return bytes;
}

std::string locked_pdf()
{
    const std::string plain = one_page_pdf();
    QPDF in;
    in.processMemoryFile("plain", plain.data(), plain.size());
    QPDFWriter out(in);
    out.setOutputMemory();
    out.setR6EncryptionParameters("secret", "owner", true, true, true, true, true, true,
                                  qpdf_r3p_full, true);
    out.write();
    auto buffer = out.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

std::string no_pages_pdf()
{
    return "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n"
           "2 0 obj\n<< /Type /Pages /Kids [] /Count 0 >>\nendobj\n"
           "trailer\n<< /Root 1 0 R >>\n%%EOF\n";
}

// A grey 64 x 64 PNG whose data holds two rows.
std::string short_png()
{
    const std::vector<image_test::bytes> rows(2, image_test::bytes(64, 0x80));
    const image_test::bytes png = image_test::png_by_hand(64, 64, 8, 0, rows);
    return std::string(png.begin(), png.end());
}

using UnusableFiles = harden_test::in_scratch;

TEST_F(UnusableFiles, EachIsNamedWithItsCauseAndAFailedPdfLeavesNoDocument)
{
    struct bad_file {
        const char* name;
        std::string bytes;
        const char* cause;
        // What the placement leaves on the page beside the element: the picture the header
        // promised, or nothing.
        std::vector<std::string> objects;
    };
    const bad_file cases[] = {
        {"text.png", "not a picture at all", "not a PNG, JPEG or BMP image", {"element"}},
        {"short.png", short_png(), "corrupt PNG", {"element", "placed_image"}},
        {"junk.pdf", "%PDF-1.4 junk", "damaged PDF file", {"element"}},
        {"locked.pdf", locked_pdf(), "needs a password", {"element"}},
        {"empty.pdf", no_pages_pdf(), "the PDF has no pages", {"element"}},
        {"junk.pjd", "ZPJD but no more", "not a .pjd file", {"element"}},
    };
    for (const bad_file& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = put(c.name, c.bytes);
        placing_document page;
        page.place(path);
        const std::vector<host::unusable_file> unusable = page.doc.unusable_files();
        ASSERT_EQ(unusable.size(), 1u);
        EXPECT_EQ(unusable[0].file, path);
        EXPECT_FALSE(unusable[0].cause.empty());
        EXPECT_NE(unusable[0].cause.find(c.cause), std::string::npos) << unusable[0].cause;
        EXPECT_EQ(road::kinds(page.doc.objects(1)), c.objects);
        const auto resources = road::kinds(page.doc.resource_objects(1));
        EXPECT_EQ(std::count(resources.begin(), resources.end(), "pdf_document"), 0);

        // Nor does the saved file keep one.
        std::vector<BYTE> saved;
        ASSERT_EQ(page.doc.save_bytes(&saved), S_OK);
        host::document again;
        ASSERT_EQ(host::document::load_bytes(saved.data(), saved.size(), &again), S_OK);
        EXPECT_EQ(again.resource_objects(1).size(), page.doc.resource_objects(1).size());
    }
}

TEST_F(UnusableFiles, GoodFilesAreNotNamedAndAPdfStillListsItsDocumentTwice)
{
    const image_test::bytes png = image_test::png_by_hand(
        4, 2, 8, 0, std::vector<image_test::bytes>(2, image_test::bytes(4, 0x10)));
    placing_document page;
    page.place(put("fine.png", std::string(png.begin(), png.end())));
    page.place(put("fine.pdf", one_page_pdf()));
    EXPECT_TRUE(page.doc.unusable_files().empty());
    EXPECT_EQ(road::kinds(page.doc.objects(1)),
              (std::vector<std::string>{"element", "placed_image", "element", "placed_pdf_page"}));
    std::vector<LONG> pdf_ids;
    for (const host::object_view& v : page.doc.resource_objects(1))
        if (v.kind == "pdf_document") pdf_ids.push_back(v.id);
    ASSERT_EQ(pdf_ids.size(), 2u);
    EXPECT_GT(pdf_ids[0], 0);
    EXPECT_EQ(pdf_ids[1], 0);
}

TEST_F(UnusableFiles, APictureSpoiledSinceTheSaveIsNamedWhenTheDocumentLoads)
{
    const image_test::bytes png = image_test::png_by_hand(
        4, 2, 8, 0, std::vector<image_test::bytes>(2, image_test::bytes(4, 0x10)));
    placing_document page;
    const std::string path = put("fine.png", std::string(png.begin(), png.end()));
    page.place(path);
    std::vector<BYTE> saved;
    ASSERT_EQ(page.doc.save_bytes(&saved), S_OK);
    put("fine.png", "not a picture any more");
    host::document again;
    ASSERT_EQ(host::document::load_bytes(saved.data(), saved.size(), &again), S_OK);
    const std::vector<host::unusable_file> unusable = again.unusable_files();
    ASSERT_EQ(unusable.size(), 1u);
    EXPECT_EQ(unusable[0].file, path);
    EXPECT_NE(unusable[0].cause.find("not a PNG, JPEG or BMP image"), std::string::npos);
}

}  // namespace
