// The probe helpers themselves, checked against a small PDF written by hand: what the other
// tests rely on (arguments passed as they are, exit codes, every tool's reading parsed right).
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
    return pdf_probe::hand_pdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] "
        "/Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
    });
}

const pdf_probe::rgb kRed{255, 0, 0}, kWhite{255, 255, 255};

TEST(ProbeRun, PassesArgumentsUnchangedAndReportsStatusOutputAndErrors)
{
    auto r = run({"printf", "%s", "a 'b' \"c\" $HOME `x` ; |"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "a 'b' \"c\" $HOME `x` ; |");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(run({"false"}).status, 1);
    r = run({"ls", "/no such file"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no such file"), std::string::npos) << r.err;
    // The tests skip themselves on 127 when a tool is not installed.
    r = run({"pdf-probe-no-such-program-anywhere"});
    EXPECT_EQ(r.status, 127);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(run({}).status, -1);
    r = run({"head", "-c", "300000", "/dev/zero"});
    EXPECT_EQ(r.out.size(), 300000u);
    EXPECT_EQ(r.out.find_first_not_of('\0'), std::string::npos);
}

TEST(ProbeTools, ReadATinyPdfAndRefuseDamagedOrAbsentOnes)
{
    scoped_dir dir;
    ASSERT_FALSE(dir.path().empty());
    // Spaces and quotes in the path show that nothing passes through a shell.
    const auto sub = dir.file("with space 'q' \"d\"");
    std::filesystem::create_directory(sub);
    const std::string pdf = sub + "/tiny file.pdf", absent = dir.file("absent.pdf");
    const std::string good = tiny_pdf();
    std::ofstream(pdf, std::ios::binary) << good;

    std::string output;
    EXPECT_TRUE(pdf_probe::qpdf_check(pdf, &output)) << output;
    EXPECT_NE(pdf_probe::text(pdf).find("Hello"), std::string::npos);
    EXPECT_NE(pdf_probe::text(pdf, 1).find("Hello"), std::string::npos);
    EXPECT_EQ(pdf_probe::text(absent), "");
    EXPECT_TRUE(pdf_probe::page_sizes(absent).empty());
    const auto sizes = pdf_probe::page_sizes(pdf);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_DOUBLE_EQ(sizes[0].width, 200);
    EXPECT_DOUBLE_EQ(sizes[0].height, 100);
    const auto rows = pdf_probe::fonts(pdf);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name + "|" + rows[0].type + "|" + rows[0].encoding, "Helvetica|Type 1|WinAnsi");
    EXPECT_FALSE(rows[0].embedded || rows[0].subset || rows[0].unicode);

    // Raster rows run downwards, so PDF y maps to 100 - y; 144 dpi doubles every coordinate.
    raster img;
    ASSERT_TRUE(pdf_probe::render(pdf, 1, 72, &img));
    ASSERT_EQ(img.width, 200);
    ASSERT_EQ(img.height, 100);
    using xy = std::vector<std::pair<int, int>>;
    for (auto [x, y] : xy{{50, 60}, {25, 45}, {75, 75}}) EXPECT_TRUE(pdf_probe::colour_at(img, x, y, kRed, 25));
    for (auto [x, y] : xy{{10, 60}, {50, 90}, {50, 30}, {150, 10}, {190, 90}})
        EXPECT_TRUE(pdf_probe::colour_at(img, x, y, kWhite));
    EXPECT_EQ(img.at(200, 0)[0], -1);
    EXPECT_EQ(img.at(0, -1)[0], -1);
    ASSERT_TRUE(pdf_probe::render(pdf, 1, 144, &img));
    EXPECT_EQ(img.width, 400);
    EXPECT_TRUE(pdf_probe::colour_at(img, 100, 120, kRed, 25));
    EXPECT_TRUE(pdf_probe::colour_at(img, 100, 20, kWhite, 10));
    EXPECT_FALSE(pdf_probe::render(pdf, 2, 72, &img));
    EXPECT_FALSE(pdf_probe::render(absent, 1, 72, &img));

    // qpdf repairs a wrong cross-reference offset, so its warning is what marks it as damaged.
    auto damaged = good;
    const auto at = damaged.rfind("startxref\n") + 10;
    damaged.replace(at, damaged.find('\n', at) - at, "17");
    std::ofstream(dir.file("xref.pdf"), std::ios::binary) << damaged;
    EXPECT_FALSE(pdf_probe::qpdf_check(dir.file("xref.pdf"), &output));
    EXPECT_NE(output.find("WARNING"), std::string::npos) << output;
    std::ofstream(dir.file("cut.pdf"), std::ios::binary) << good.substr(0, good.size() / 2);
    EXPECT_FALSE(pdf_probe::qpdf_check(dir.file("cut.pdf")));
    EXPECT_FALSE(pdf_probe::qpdf_check(absent));
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
    std::vector<std::string> got;
    for (const auto& row : pdf_probe::parse_fonts(table))
        got.push_back(row.name + "|" + row.type + "|" + row.encoding + "|" + "ny"[row.embedded] +
                      "ny"[row.subset] + "ny"[row.unicode]);
    EXPECT_EQ(got, (std::vector<std::string>{
                       "AAAAAA+LiberationSans|TrueType|WinAnsi|yyy",
                       "BCDEFG+NotoSansCJKjp-Regular-Identity-H-Long|CID TrueType|Identity-H|yyn",
                       "[none]|Type 3|Custom|ynn", "ZapfDingbats|Type 1|ZapfDingbats|nnn"}));
    EXPECT_TRUE(pdf_probe::parse_fonts("").empty());
    EXPECT_TRUE(pdf_probe::parse_fonts("name type\n").empty());
}

}  // namespace
