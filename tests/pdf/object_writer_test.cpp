// The object writer: files read back by qpdf (its library and `qpdf --check`) with every
// object where it was written, compressed (object streams, cross-reference stream) and not.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>
#include <string>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <zlib.h>

#include "host/output/pdf/object_writer.h"
#include "tests/pdf/pdf_probe.h"

namespace {

using host::pdf::object_writer;

// A file whose catalog has an empty page tree, with `extra` objects written into it first.
// The first number `extra` reserves is the catalog's /Extra.
template <typename Extra>
std::string file_with(bool compress, QPDF& objects, Extra extra,
                      std::vector<std::string>* warnings = nullptr)
{
    std::string out;
    object_writer file(out, objects, compress);
    const int root = file.reserve(), tree = file.reserve();
    extra(file, root);
    file.object(tree, "<< /Type /Pages /Count 0 /Kids [] >>");
    file.object(root, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R /Extra " +
                          std::to_string(root + 2) + " 0 R >>");
    const int info = file.reserve();
    file.object(info, "<< /Producer (test) >>");
    file.finish(root, info);
    if (warnings) *warnings = file.warnings();
    return out;
}

std::string data_of(QPDFObjectHandle stream)
{
    std::shared_ptr<Buffer> b = stream.getStreamData();
    return std::string(reinterpret_cast<const char*>(b->getBuffer()), b->getSize());
}

std::shared_ptr<QPDF> read(const std::string& bytes)
{
    auto q = std::make_shared<QPDF>();
    q->setSuppressWarnings(true);
    q->processMemoryFile("written", bytes.data(), bytes.size());
    return q;
}

bool checks_clean(const std::string& bytes, std::string* output)
{
    pdf_probe::scoped_dir dir;
    const std::string path = dir.path() + "/f.pdf";
    std::ofstream(path, std::ios::binary) << bytes;
    return pdf_probe::qpdf_check(path, output);
}

class ObjectWriter : public ::testing::TestWithParam<bool> {
protected:
    ObjectWriter()
    {
        objects.setSuppressWarnings(true);  // the damaged names below are meant
        objects.emptyPDF();
    }
    QPDF objects;
};

TEST_P(ObjectWriter, ObjectsReadBackAcrossObjectStreamBatches)
{
    // More objects than one object stream takes, so that several are written and the
    // cross-reference entries of both kinds are needed.
    const std::string bytes = file_with(GetParam(), objects, [](object_writer& file, int) {
        const int list = file.reserve();
        std::string kids = "[";
        for (int i = 0; i < 300; ++i) {
            const int n = file.reserve();
            file.object(n, "<< /Index " + std::to_string(i) + " /Text (a \\(b\\) c) >>");
            kids += std::to_string(n) + " 0 R ";
        }
        kids += "]";
        file.object(list, kids);
    });
    std::string report;
    EXPECT_TRUE(checks_clean(bytes, &report)) << report;
    auto q = read(bytes);
    EXPECT_FALSE(q->anyWarnings());
    QPDFObjectHandle list = q->getRoot().getKey("/Extra");
    ASSERT_TRUE(list.isArray());
    ASSERT_EQ(list.getArrayNItems(), 300);
    for (int i : {0, 127, 128, 255, 299}) {
        QPDFObjectHandle item = list.getArrayItem(i);
        ASSERT_TRUE(item.isDictionary()) << i;
        EXPECT_EQ(item.getKey("/Index").getIntValue(), i);
        EXPECT_EQ(item.getKey("/Text").getStringValue(), "a (b) c");
    }
    EXPECT_EQ(q->getTrailer().getKey("/Info").getKey("/Producer").getStringValue(), "test");
    EXPECT_EQ(bytes.find("/ObjStm") != std::string::npos, GetParam());
    EXPECT_EQ(bytes.find("\nxref\n") != std::string::npos, !GetParam());
}

TEST_P(ObjectWriter, QpdfObjectsAreNumberedOnceAndKeepTheirData)
{
    // Two dictionaries that refer to each other, a stream without a filter and one with a
    // filter the writer must pass through untouched.
    QPDFObjectHandle a = objects.makeIndirectObject(QPDFObjectHandle::parse(&objects, "<< /Name /A#20B /K#23ey#28 1 /X#y 2 >>"));
    QPDFObjectHandle b = objects.makeIndirectObject(QPDFObjectHandle::parse("<< /Real 1.25 /Bin <00FF> >>"));
    a.replaceKey("/Other", b);
    b.replaceKey("/Other", a);
    const std::string text(5000, 'x');
    QPDFObjectHandle plain = QPDFObjectHandle::newStream(&objects, text);
    plain.getDict().replaceKey("/DecodeParms", QPDFObjectHandle::parse("<< /Columns 3 >>"));
    QPDFObjectHandle hex = QPDFObjectHandle::newStream(&objects);
    hex.replaceStreamData("48656C6C6F>", QPDFObjectHandle::newName("/ASCIIHexDecode"),
                          QPDFObjectHandle::newNull());
    a.replaceKey("/Plain", plain);
    a.replaceKey("/Hex", hex);

    int first = 0, again = 0;
    const std::string bytes = file_with(GetParam(), objects, [&](object_writer& file, int) {
        const int holder = file.reserve();
        std::string t = "[";
        first = file.number_of(a);
        again = file.number_of(a);
        file.append(t, a);
        t += ' ';
        file.append(t, QPDFObjectHandle::parse("<< /Direct [1 2 (three)] /Gone null >>"));
        t += ']';
        file.object(holder, t);
    });
    EXPECT_EQ(first, again);
    std::string report;
    EXPECT_TRUE(checks_clean(bytes, &report)) << report;
    auto q = read(bytes);
    QPDFObjectHandle holder = q->getRoot().getKey("/Extra");
    ASSERT_TRUE(holder.isArray());
    QPDFObjectHandle ra = holder.getArrayItem(0);
    EXPECT_EQ(ra.getKey("/Name").getName(), "/A B");
    // A number sign and a delimiter inside a name are written escaped, and read back as they were.
    EXPECT_EQ(ra.getKey("/K#ey(").getIntValue(), 1);
    EXPECT_EQ(bytes.find("/K#ey("), std::string::npos);
    // A stray number sign (not followed by two hex digits) stays the number sign it was, so
    // that a content stream naming "/X#y" still finds the resource.
    EXPECT_EQ(ra.getKey("/X#y").getIntValue(), 2);
    QPDFObjectHandle rb = ra.getKey("/Other");
    EXPECT_EQ(rb.getKey("/Real").getNumericValue(), 1.25);
    EXPECT_EQ(rb.getKey("/Bin").getStringValue(), std::string("\0\xFF", 2));
    EXPECT_EQ(rb.getKey("/Other").getObjGen(), ra.getObjGen());

    QPDFObjectHandle rp = ra.getKey("/Plain");
    ASSERT_TRUE(rp.isStream());
    EXPECT_EQ(rp.getDict().getKey("/Filter").isName(), GetParam());  // deflated only when compressing
    EXPECT_FALSE(rp.getDict().hasKey("/DecodeParms"));
    EXPECT_EQ(data_of(rp), text);
    QPDFObjectHandle rh = ra.getKey("/Hex");
    EXPECT_EQ(rh.getDict().getKey("/Filter").getName(), "/ASCIIHexDecode");
    EXPECT_EQ(data_of(rh), "Hello");

    QPDFObjectHandle direct = holder.getArrayItem(1);
    EXPECT_EQ(direct.getKey("/Direct").getArrayItem(2).getStringValue(), "three");
    EXPECT_FALSE(direct.hasKey("/Gone"));
}

TEST_P(ObjectWriter, NumbersNeverWrittenBecomeNullsAndTheIdFollowsTheContent)
{
    auto make = [&](const char* text) {
        return file_with(GetParam(), objects, [&](object_writer& file, int root) {
            const int extra = file.reserve();
            EXPECT_EQ(extra, root + 2);
            file.reserve();  // never written
            file.object(extra, text);
        });
    };
    const std::string one = make("(one)"), same = make("(one)"), other = make("(two)");
    std::string report;
    EXPECT_TRUE(checks_clean(one, &report)) << report;
    EXPECT_EQ(one, same);
    auto id = [](const std::string& bytes) {
        return read(bytes)->getTrailer().getKey("/ID").getArrayItem(0).getStringValue();
    };
    EXPECT_EQ(id(one).size(), 16u);
    EXPECT_NE(id(one), id(other));
    EXPECT_EQ(read(one)->getRoot().getKey("/Extra").getStringValue(), "one");
}

// Throws when asked for its data, as a placed page whose content cannot be decoded does.
class unreadable : public QPDFObjectHandle::StreamDataProvider {
public:
    void provideStreamData(int, int, Pipeline*) override { throw std::runtime_error("damaged data"); }
};

TEST_P(ObjectWriter, StreamsLoseCryptFiltersAndUnreadableOnesAreWrittenEmpty)
{
    // Data decrypted already but still marked with a crypt filter ahead of its deflate; long
    // enough to be worth packing.
    std::string text;
    for (int i = 0; i < 8; ++i) text += "q 1 0 0 rg 0 0 10 10 re f Q\n";
    std::string packed;
    ASSERT_TRUE(host::pdf::deflater().pack(text, &packed));
    QPDFObjectHandle crypt = QPDFObjectHandle::newStream(&objects);
    crypt.replaceStreamData(packed, QPDFObjectHandle::parse("[/Crypt /FlateDecode]"),
                            QPDFObjectHandle::parse("[<< /Type /CryptFilterDecodeParms /Name /StdCF >> null]"));
    QPDFObjectHandle only = QPDFObjectHandle::newStream(&objects);
    only.replaceStreamData(text, QPDFObjectHandle::newName("/Crypt"),
                           QPDFObjectHandle::parse("<< /Name /Identity >>"));
    QPDFObjectHandle broken = QPDFObjectHandle::newStream(&objects);
    broken.replaceStreamData(std::make_shared<unreadable>(), QPDFObjectHandle::newNull(),
                             QPDFObjectHandle::newNull());
    broken.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));

    std::vector<std::string> warnings;
    const std::string bytes = file_with(GetParam(), objects, [&](object_writer& file, int) {
        const int holder = file.reserve();
        std::string extra = "[";
        for (QPDFObjectHandle h : {crypt, only, broken}) {
            file.append(extra, h);
            extra += ' ';
        }
        file.object(holder, extra + "]");
    }, &warnings);
    std::string report;
    EXPECT_TRUE(checks_clean(bytes, &report)) << report;
    auto q = read(bytes);
    QPDFObjectHandle holder = q->getRoot().getKey("/Extra");
    ASSERT_TRUE(holder.isArray());
    QPDFObjectHandle rc = holder.getArrayItem(0);
    EXPECT_EQ(rc.getDict().getKey("/Filter").getName(), "/FlateDecode");
    EXPECT_FALSE(rc.getDict().hasKey("/DecodeParms"));
    EXPECT_EQ(data_of(rc), text);
    QPDFObjectHandle ro = holder.getArrayItem(1);
    EXPECT_FALSE(ro.getDict().hasKey("/DecodeParms"));
    EXPECT_EQ(ro.getDict().getKey("/Filter").isName(), GetParam());  // only our own deflate
    EXPECT_EQ(data_of(ro), text);
    QPDFObjectHandle rb = holder.getArrayItem(2);
    EXPECT_EQ(rb.getDict().getKey("/Subtype").getName(), "/Form");
    EXPECT_EQ(data_of(rb), "");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("damaged data"), std::string::npos);
}

// One compressor packs stream after stream, each a zlib stream zlib itself reads back; one too
// short to gain is left alone.
TEST(Deflater, PacksEachStreamApartWithOneStateAndLeavesShortOnes)
{
    host::pdf::deflater packer;
    const std::string square = "q 1 0 0 rg 0 0 10 10 re f Q\n";
    for (const std::string& text : {std::string(4, ' ') + square + square + square + square + square,
                                   std::string("BT /F1 12 Tf (Hello) Tj ET\n") + std::string(120, '-')}) {
        ASSERT_GE(text.size(), host::pdf::deflater::worth_packing);
        std::string packed = "kept";
        ASSERT_TRUE(packer.pack(text, &packed));
        ASSERT_EQ(packed.compare(0, 4, "kept"), 0);
        std::string back(text.size() + 16, '\0');
        uLongf size = static_cast<uLongf>(back.size());
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(back.data()), &size,
                             reinterpret_cast<const Bytef*>(packed.data() + 4), packed.size() - 4),
                  Z_OK);
        EXPECT_EQ(back.substr(0, size), text);
    }
    std::string untouched = "kept";
    EXPECT_FALSE(packer.pack(square, &untouched));
    EXPECT_EQ(untouched, "kept");
}

INSTANTIATE_TEST_SUITE_P(CompressedAndPlain, ObjectWriter, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "Compressed" : "Plain"; });

}  // namespace
