// Values copied from a placed (untrusted) PDF: names with number signs, delimiters, spaces and
// bytes above 0x7F; strings with parentheses, backslashes and binary bytes; integers at and past
// 64 bits and reals in forms PDF does not allow. Whatever qpdf made of each when it read the
// placed file is what a reader finds in ours, and `qpdf --check` finds nothing to complain of,
// compressed and not.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "host/output/pdf/object_writer.h"
#include "tests/pdf/pdf_probe.h"

namespace {

// Each key names one hostile value; the last key is hostile itself. qpdf reads a real in
// exponent form as a string (and drops a whole object with an integer past 64 bits, so that
// one never reaches the writer).
const char* const hostile_entries = R"(
  /Space /Sp#20ace  /Slash /Sl#2Fash  /Hash /Ha#23sh  /Hash41 /Ha#2341  /High /H#E9#FF#80
  /Delimiters /D#28#29#3C#3E#5B#5D#7B#7D#25  /Control /C#01#0A#7F
  /Parens (open \( close \) and (balanced))  /Backslash (back\\slash \\)  /Hex <00FF5C28290D0A>
  /Escapes (\r\n\t\b\f\101\060)  /Octal (\377\000\12)  /Unbalanced (\()
  /Int32 2147483648  /Min64 -9223372036854775808  /Max64 9223372036854775807
  /Tiny -0.000001  /Exponent 1e5  /NegExponent -3.5E-2
  /LongReal 123456789012345678901234567890.5  /Dot .5  /NegZero -.0  /Plus +17
  /Array [/A#20B (x\)) -1.0e3 <FF>]  /K#20ey#28#E9 1
)";

std::string placed_file()
{
    return std::string("%PDF-1.7\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R /Extra 3 0 R >>\nendobj\n") +
           "2 0 obj\n<< /Type /Pages /Count 0 /Kids [] >>\nendobj\n3 0 obj\n<<" + hostile_entries +
           ">>\nendobj\ntrailer\n<< /Root 1 0 R /Size 4 >>\n%%EOF\n";
}

std::shared_ptr<QPDF> open_bytes(const std::string& bytes, const char* name)
{
    auto q = std::make_shared<QPDF>();
    q->setSuppressWarnings(true);  // the placed file has no cross-reference table, and is meant damaged
    q->processMemoryFile(name, bytes.data(), bytes.size());
    return q;
}

// Every value exactly, binary strings and null bytes in names included.
std::string exactly(QPDFObjectHandle value) { return value.getJSON(2, true).unparse(); }

class PlacedValues : public ::testing::TestWithParam<bool> {};

TEST_P(PlacedValues, ReadBackAsQpdfReadThemFromThePlacedFile)
{
    const std::string placed_bytes = placed_file();
    auto placed = open_bytes(placed_bytes, "placed");
    QPDFObjectHandle original = placed->getRoot().getKey("/Extra");
    ASSERT_TRUE(original.isDictionary());
    ASSERT_GE(original.getKeys().size(), 20u);

    QPDF objects;
    objects.emptyPDF();
    QPDFObjectHandle copied = objects.copyForeignObject(original);
    std::string out;
    {
        host::pdf::object_writer file(out, objects, GetParam());
        const int root = file.reserve(), tree = file.reserve();
        const int extra = file.number_of(copied);
        file.object(tree, "<< /Type /Pages /Count 0 /Kids [] >>");
        file.object(root, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R /Extra " +
                              std::to_string(extra) + " 0 R >>");
        const int info = file.reserve();
        file.object(info, "<< /Producer (test) >>");
        file.finish(root, info);
    }

    pdf_probe::scoped_dir dir;
    const std::string path = dir.path() + "/placed.pdf";
    std::ofstream(path, std::ios::binary) << out;
    std::string report;
    EXPECT_TRUE(pdf_probe::qpdf_check(path, &report)) << report;

    auto written = open_bytes(out, "written");
    QPDFObjectHandle back = written->getRoot().getKey("/Extra");
    ASSERT_TRUE(back.isDictionary());
    EXPECT_EQ(back.getKeys(), original.getKeys());
    for (const std::string& key : original.getKeys()) {
        SCOPED_TRACE(key);
        EXPECT_EQ(exactly(back.getKey(key)), exactly(original.getKey(key)));
    }
    // The values the table means, as qpdf holds them: a sample that proves the comparison
    // above compares something.
    EXPECT_EQ(back.getKey("/Hash41").getName(), "/Ha#41");
    EXPECT_EQ(back.getKey("/High").getName(), "/H\xE9\xFF\x80");
    EXPECT_EQ(back.getKey("/Parens").getStringValue(), "open ( close ) and (balanced)");
    EXPECT_EQ(back.getKey("/Octal").getStringValue(), std::string("\xFF\0\n", 3));
    EXPECT_EQ(back.getKey("/Min64").getIntValue(), INT64_MIN);
    EXPECT_EQ(back.getKey("/Exponent").getStringValue(), "1e5");
    EXPECT_TRUE(back.hasKey("/K ey(\xE9"));
}

INSTANTIATE_TEST_SUITE_P(CompressedAndNot, PlacedValues, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "Compressed" : "Plain";
                         });

}  // namespace
