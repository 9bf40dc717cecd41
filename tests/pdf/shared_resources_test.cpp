// Pictures placed by many elements are written once: the same bytes under two file names, and
// the same QR symbol on every page, each become one image object of the PDF; other bytes
// another one. Counted in pdfimages' list of the objects each page shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "contentelements/cnt_image.h"
#include "host/engine.h"
#include "host/output/pdf/pdf_writer.h"
#include "tests/host/image_builders.h"
#include "tests/pdf/pdf_probe.h"
#include "tests/road/support.h"

namespace {

class SharedResources : public road::classes {
protected:
    void save(const std::string& path, const image_test::bytes& data)
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), f), data.size());
        std::fclose(f);
    }
    void place(LONG page, const std::string& file, LONG top)
    {
        auto image = road::create<IZCntElementImage>(u"Orvane.ZCntElementImage.1");
        ASSERT_EQ(road::attach(image.get(), doc, page), S_OK);
        ASSERT_EQ(image->SetPosition(100, top, 400, 400), S_OK);
        com::Bstr name(std::u16string(file.begin(), file.end()));
        ASSERT_EQ(image->put_ImageFile(name.get()), S_OK);
    }
    host::document doc;
    pdf_probe::scoped_dir dir;
};

TEST_F(SharedResources, TheSameBytesAreOneImageWhateverTheirNameOrPage)
{
    const image_test::bytes grey(16 * 16, 0x80), light(16 * 16, 0xE0);
    const auto same = image_test::png_file({.width = 16, .height = 16, .colour_type = 0, .pixels = grey});
    save(dir.file("a.png"), same);
    save(dir.file("copy of a.png"), same);
    save(dir.file("other.png"), image_test::png_file({.width = 16, .height = 16, .colour_type = 0, .pixels = light}));
    ASSERT_FALSE(HasFatalFailure());
    for (LONG p = 1; p <= 3; ++p) {
        ASSERT_EQ(doc.add_page(5950, 8420, 720), S_OK);
        place(p, dir.file(p == 2 ? "copy of a.png" : "a.png"), 100);
        place(p, "qrcode:https://example.org/shared", 600);
        if (p == 3) place(p, dir.file("other.png"), 1100);
        ASSERT_FALSE(HasFatalFailure());
    }
    const std::string pdf = dir.file("shared.pdf");
    std::string message;
    ASSERT_EQ(host::pdf::write_pdf(doc.model(), pdf, {}, nullptr, &message), S_OK) << message;

    const auto listed = pdf_probe::run({"pdfimages", "-list", pdf});
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::istringstream lines(listed.out);
    std::string line;
    int shown = 0;
    std::set<std::string> objects;
    for (int n = 0; std::getline(lines, line); ++n) {
        if (n < 2) continue;  // the heading and its rule
        std::istringstream fields(line);
        std::string v, object;
        for (int column = 0; column < 11 && fields >> v; ++column)
            if (column == 10) object = v;  // "object ID": the object's number
        ++shown;
        objects.insert(object);
    }
    EXPECT_EQ(shown, 7) << listed.out;
    EXPECT_EQ(objects.size(), 3u) << listed.out;
}

}  // namespace
