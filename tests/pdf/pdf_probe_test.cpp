// The probe helpers themselves, checked against a small PDF written by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/pdf/pdf_probe.h"

namespace {

using pdf_probe::raster;
using pdf_probe::run;
using pdf_probe::scoped_dir;

// One 200x100 pt page: a red rectangle from (20,20) to (80,60) and "Hello" in Helvetica.
std::string tiny_pdf()
{
    const std::string content = "1 0 0 rg 20 20 60 40 re f\nBT /F1 12 Tf 100 40 Td (Hello) Tj ET\n";
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] "
        "/Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
    };
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (auto off : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", off);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool is_red(const std::array<int, 3>& c) { return c[0] > 230 && c[1] < 30 && c[2] < 30; }
bool is_white(const std::array<int, 3>& c) { return c[0] > 245 && c[1] > 245 && c[2] > 245; }

class ProbeOnTinyPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir.path().empty());
        // Spaces and quotes in the path show that nothing passes through a shell.
        const auto sub = dir.file("with space 'q' \"d\"");
        std::filesystem::create_directory(sub);
        pdf = sub + "/tiny file.pdf";
        write_file(pdf, tiny_pdf());
    }

    scoped_dir dir;
    std::string pdf;
};

TEST(ProbeRun, PassesArgumentsUnchanged)
{
    const auto r = run({"printf", "%s", "a 'b' \"c\" $HOME `x` ; |"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "a 'b' \"c\" $HOME `x` ; |");
    EXPECT_EQ(r.err, "");
}

TEST(ProbeRun, ReportsExitStatusAndStandardError)
{
    EXPECT_EQ(run({"false"}).status, 1);
    EXPECT_EQ(run({"true"}).status, 0);

    scoped_dir dir;
    const auto r = run({"ls", dir.file("no such file")});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no such file"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(ProbeRun, MissingProgramIs127)
{
    const auto r = run({"pdf-probe-no-such-program-anywhere"});
    EXPECT_EQ(r.status, 127);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(run({}).status, -1);
}

TEST(ProbeRun, OutputLargerThanAPipeBufferArrivesWhole)
{
    const auto r = run({"head", "-c", "300000", "/dev/zero"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.size(), 300000u);
    EXPECT_EQ(r.out.find_first_not_of('\0'), std::string::npos);
}

TEST_F(ProbeOnTinyPdf, QpdfAcceptsIt)
{
    std::string output;
    EXPECT_TRUE(pdf_probe::qpdf_check(pdf, &output)) << output;
    EXPECT_NE(output.find("No syntax or stream encoding errors"), std::string::npos) << output;
}

TEST_F(ProbeOnTinyPdf, TextOfAllPagesAndOfPageOne)
{
    EXPECT_NE(pdf_probe::text(pdf).find("Hello"), std::string::npos);
    EXPECT_NE(pdf_probe::text(pdf, 1).find("Hello"), std::string::npos);
    EXPECT_EQ(pdf_probe::text(dir.file("absent.pdf")), "");
}

TEST_F(ProbeOnTinyPdf, PageCountAndSize)
{
    EXPECT_EQ(pdf_probe::page_count(pdf), 1);
    const auto sizes = pdf_probe::page_sizes(pdf);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_DOUBLE_EQ(sizes[0].width, 200);
    EXPECT_DOUBLE_EQ(sizes[0].height, 100);
    EXPECT_EQ(pdf_probe::page_count(dir.file("absent.pdf")), -1);
    EXPECT_TRUE(pdf_probe::page_sizes(dir.file("absent.pdf")).empty());
}

TEST_F(ProbeOnTinyPdf, FontTable)
{
    const auto rows = pdf_probe::fonts(pdf);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Helvetica");
    EXPECT_EQ(rows[0].type, "Type 1");
    EXPECT_EQ(rows[0].encoding, "WinAnsi");
    EXPECT_FALSE(rows[0].embedded);
    EXPECT_FALSE(rows[0].subset);
    EXPECT_FALSE(rows[0].unicode);
}

TEST_F(ProbeOnTinyPdf, RenderPutsRedInsideTheRectangleOnly)
{
    raster img;
    ASSERT_TRUE(pdf_probe::render(pdf, 1, 72, &img));
    ASSERT_EQ(img.width, 200);
    ASSERT_EQ(img.height, 100);
    ASSERT_EQ(img.rgb.size(), 200u * 100u * 3u);
    // Raster rows run downwards, so PDF y maps to 100 - y.
    EXPECT_TRUE(is_red(img.at(50, 60)));
    EXPECT_TRUE(is_red(img.at(25, 45)));
    EXPECT_TRUE(is_red(img.at(75, 75)));
    EXPECT_TRUE(is_white(img.at(10, 60)));
    EXPECT_TRUE(is_white(img.at(50, 90)));
    EXPECT_TRUE(is_white(img.at(50, 30)));
    EXPECT_TRUE(is_white(img.at(150, 10)));
    EXPECT_TRUE(is_white(img.at(190, 90)));
    EXPECT_EQ(img.at(200, 0)[0], -1);
    EXPECT_EQ(img.at(0, -1)[0], -1);
}

TEST_F(ProbeOnTinyPdf, RenderHonoursResolution)
{
    raster img;
    ASSERT_TRUE(pdf_probe::render(pdf, 1, 144, &img));
    EXPECT_EQ(img.width, 400);
    EXPECT_EQ(img.height, 200);
    EXPECT_TRUE(is_red(img.at(100, 120)));
    EXPECT_TRUE(is_white(img.at(100, 20)));
}

TEST_F(ProbeOnTinyPdf, RenderOfMissingPageFails)
{
    raster img;
    EXPECT_FALSE(pdf_probe::render(pdf, 2, 72, &img));
    EXPECT_FALSE(pdf_probe::render(dir.file("absent.pdf"), 1, 72, &img));
}

TEST_F(ProbeOnTinyPdf, QpdfRejectsDamagedFiles)
{
    const auto good = tiny_pdf();

    const auto wrong_xref = dir.file("wrong xref.pdf");
    auto damaged = good;
    const auto at = damaged.rfind("startxref\n") + 10;
    damaged.replace(at, damaged.find('\n', at) - at, "17");
    write_file(wrong_xref, damaged);
    std::string output;
    EXPECT_FALSE(pdf_probe::qpdf_check(wrong_xref, &output));
    // qpdf repairs this one, so the warning is what marks it as damaged.
    EXPECT_NE(output.find("WARNING"), std::string::npos) << output;

    const auto truncated = dir.file("truncated.pdf");
    write_file(truncated, good.substr(0, good.size() / 2));
    EXPECT_FALSE(pdf_probe::qpdf_check(truncated, nullptr));

    EXPECT_FALSE(pdf_probe::qpdf_check(dir.file("absent.pdf"), nullptr));
}

TEST(ProbeFonts, ParsesSubsetsOverlongNamesAndMissingObjectIds)
{
    const std::string table =
        "name                                 type              encoding         emb sub uni object ID\n"
        "------------------------------------ ----------------- ---------------- --- --- --- ---------\n"
        "AAAAAA+LiberationSans                TrueType          WinAnsi          yes yes yes   3005  0\n"
        "BCDEFG+NotoSansCJKjp-Regular-Identity-H-Long CID TrueType      Identity-H       yes yes no      12  0\n"
        "[none]                               Type 3            Custom           yes no  no  [none]\n"
        "ZapfDingbats                         Type 1            ZapfDingbats     no  no  no       7  0\n";
    const auto rows = pdf_probe::parse_fonts(table);
    ASSERT_EQ(rows.size(), 4u);

    EXPECT_EQ(rows[0].name, "AAAAAA+LiberationSans");
    EXPECT_EQ(rows[0].type, "TrueType");
    EXPECT_EQ(rows[0].encoding, "WinAnsi");
    EXPECT_TRUE(rows[0].embedded);
    EXPECT_TRUE(rows[0].subset);
    EXPECT_TRUE(rows[0].unicode);

    EXPECT_EQ(rows[1].name, "BCDEFG+NotoSansCJKjp-Regular-Identity-H-Long");
    EXPECT_EQ(rows[1].type, "CID TrueType");
    EXPECT_EQ(rows[1].encoding, "Identity-H");
    EXPECT_TRUE(rows[1].embedded);
    EXPECT_TRUE(rows[1].subset);
    EXPECT_FALSE(rows[1].unicode);

    EXPECT_EQ(rows[2].name, "[none]");
    EXPECT_EQ(rows[2].type, "Type 3");
    EXPECT_EQ(rows[2].encoding, "Custom");
    EXPECT_TRUE(rows[2].embedded);
    EXPECT_FALSE(rows[2].subset);

    EXPECT_EQ(rows[3].name, "ZapfDingbats");
    EXPECT_EQ(rows[3].type, "Type 1");
    EXPECT_EQ(rows[3].encoding, "ZapfDingbats");
    EXPECT_FALSE(rows[3].embedded);

    EXPECT_TRUE(pdf_probe::parse_fonts("").empty());
    EXPECT_TRUE(pdf_probe::parse_fonts("name type\n").empty());
}

TEST(ProbePpm, HeaderCommentsAndLimits)
{
    // The samples hold NUL bytes, so the length is given explicitly.
    const std::string body("\xff\x00\x00\x00\xff\x00\x00\x00\xff\x10\x20\x30", 12);
    raster img;
    ASSERT_TRUE(pdf_probe::parse_ppm("P6\n# made by hand\n2 # width\n2\n255\n" + body, &img));
    EXPECT_EQ(img.width, 2);
    EXPECT_EQ(img.height, 2);
    EXPECT_EQ(img.at(0, 0), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(img.at(1, 0), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(img.at(0, 1), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(img.at(1, 1), (std::array<int, 3>{0x10, 0x20, 0x30}));

    // A sample byte that looks like whitespace right after the header is still a sample.
    const std::string spacey = std::string("P6 1 1 255\n") + "\n\n\n";
    ASSERT_TRUE(pdf_probe::parse_ppm(spacey, &img));
    EXPECT_EQ(img.at(0, 0), (std::array<int, 3>{10, 10, 10}));

    raster untouched;
    EXPECT_FALSE(pdf_probe::parse_ppm("P6\n2 2\n255\n" + body.substr(0, 11), &untouched));
    EXPECT_FALSE(pdf_probe::parse_ppm("P6\n2 2\n65535\n" + body + body, &untouched));
    EXPECT_FALSE(pdf_probe::parse_ppm("P3\n2 2\n255\n" + body, &untouched));
    EXPECT_FALSE(pdf_probe::parse_ppm("P6\n0 2\n255\n", &untouched));
    EXPECT_FALSE(pdf_probe::parse_ppm("", &untouched));
    EXPECT_EQ(untouched.width, 0);
}

TEST(ProbeTempDir, FreshDirectoriesRemovedWithTheirContents)
{
    std::string kept;
    {
        scoped_dir a, b;
        ASSERT_FALSE(a.path().empty());
        EXPECT_NE(a.path(), b.path());
        EXPECT_TRUE(std::filesystem::is_directory(a.path()));
        std::filesystem::create_directories(a.file("x/y"));
        write_file(a.file("x/y/z.txt"), "data");
        kept = a.path();
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(ProbeTempDir, HonoursTmpdir)
{
    scoped_dir outer;
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", outer.path().c_str(), 1);
    const auto inner = pdf_probe::temp_dir();
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_EQ(inner.rfind(outer.path() + "/", 0), 0u) << inner;
    EXPECT_TRUE(std::filesystem::is_directory(inner));
}

}  // namespace
