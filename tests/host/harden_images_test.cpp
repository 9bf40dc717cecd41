// PNG files written into PDFs show the pixels the file holds, whether their data goes in as it
// is or is decoded row by row; damaged and oversized files are refused as the loader refuses
// them. The PDF is read back with qpdf, which undoes the filters and predictors.
#include <gtest/gtest.h>

// qpdf's current pointer interface, as the engine itself builds with.
#ifndef POINTERHOLDER_TRANSITION
#define POINTERHOLDER_TRANSITION 4
#endif
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <cstring>
#include <string>
#include <vector>

#include "host/output/image/png_chunks.h"
#include "host/output/image/png_stream.h"
#include "host/output/pdf/pdf_writer.h"
#include "tests/host/harden_support.h"
#include "tests/host/image_builders.h"

namespace {

using image_test::bytes;

// The file as libpng's simplified reader shows it: 8-bit RGBA, 16-bit samples taken as sRGB.
bytes rgba_of_file(const bytes& file)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_memory(&image, file.data(), file.size()), 0) << image.message;
    image.format = PNG_FORMAT_RGBA;
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    bytes out(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, out.data(), 0, nullptr), 0) << image.message;
    png_image_free(&image);
    return out;
}

struct pdf_image {
    bool found = false, predicted = false, masked = false;
    bytes rgba;
};

int sample(const std::string& data, std::size_t row_bytes, int bits, std::size_t x, std::size_t y)
{
    const auto* row = reinterpret_cast<const unsigned char*>(data.data()) + row_bytes * y;
    if (bits == 16) return row[x * 2];  // the high byte, as an 8-bit display shows it
    if (bits == 8) return row[x];
    const std::size_t bit = x * std::size_t(bits);
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
}

std::string decoded(QPDFObjectHandle stream)
{
    std::shared_ptr<Buffer> data = stream.getStreamData(qpdf_dl_generalized);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

// The first page's only image as 8-bit RGBA, through its colour space and soft mask.
pdf_image image_of_pdf(const std::string& pdf)
{
    pdf_image out;
    QPDF in;
    in.processMemoryFile("written", pdf.data(), pdf.size());
    auto images = QPDFPageDocumentHelper(in).getAllPages().at(0).getImages();
    if (images.size() != 1) return out;
    QPDFObjectHandle xobject = images.begin()->second;
    QPDFObjectHandle d = xobject.getDict();
    const auto w = static_cast<std::size_t>(d.getKey("/Width").getIntValue());
    const auto h = static_cast<std::size_t>(d.getKey("/Height").getIntValue());
    const int bits = d.getKey("/BitsPerComponent").getIntValueAsInt();
    QPDFObjectHandle space = d.getKey("/ColorSpace");
    const bool indexed = space.isArray();
    const std::size_t colours = indexed || space.getName() == "/DeviceGray" ? 1 : 3;
    const std::string lookup = indexed ? space.getArrayItem(3).getStringValue() : std::string();
    const std::string data = decoded(xobject);
    const std::size_t row_bytes = (w * colours * std::size_t(bits) + 7) / 8;
    QPDFObjectHandle parms = d.getKey("/DecodeParms");
    out.predicted = parms.isDictionary() && parms.getKey("/Predictor").isInteger();
    out.masked = d.getKey("/SMask").isStream();
    const std::string mask = out.masked ? decoded(d.getKey("/SMask")) : std::string();
    if (data.size() != row_bytes * h || (out.masked && mask.size() != w * h)) return out;
    const int top = bits >= 8 ? 255 : (1 << bits) - 1;
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) {
            for (std::size_t c = 0; c < 3; ++c) {
                const int v = indexed ? static_cast<unsigned char>(lookup.at(3 * std::size_t(sample(data, row_bytes, bits, x, y)) + c))
                                      : sample(data, row_bytes, bits, x * colours + (colours == 3 ? c : 0), y) * 255 / top;
                out.rgba.push_back(static_cast<BYTE>(v));
            }
            out.rgba.push_back(out.masked ? static_cast<BYTE>(mask[y * w + x]) : 0xFF);
        }
    out.found = true;
    return out;
}

class PngInPdf : public harden_test::in_scratch {
protected:
    static std::string pdf_of(const harden_test::placing_document& page, host::pdf::write_report* report)
    {
        std::string pdf, message;
        EXPECT_EQ(host::pdf::write_pdf_bytes(page.doc.model(), {}, &pdf, report, &message), S_OK) << message;
        return pdf;
    }
};

bytes grey_palette(std::size_t n)
{
    bytes out;
    for (std::size_t i = 0; i < n; ++i) out.insert(out.end(), {BYTE(i * 13), BYTE(255 - i * 7), BYTE(i * 29 + 3)});
    return out;
}

TEST_F(PngInPdf, EveryKindShowsTheFilesPixels)
{
    struct png_case {
        const char* name;
        image_test::png_kind kind;
        bool direct;  // the file's own data, under the PNG predictors
        int tolerance;
    };
    const png_case cases[] = {
        {"grey 8", {37, 23, 8, 0}, true, 0},
        {"grey 1", {37, 23, 1, 0}, true, 0},
        {"grey 4", {37, 23, 4, 0}, true, 0},
        {"rgb 8", {37, 23, 8, 2}, true, 0},
        {"rgb 16", {37, 23, 16, 2}, true, 1},
        {"grey 16", {37, 23, 16, 0}, true, 1},
        {"palette 8", {37, 23, 8, 3, false, grey_palette(200)}, true, 0},
        {"palette 2, indices past the palette", {37, 23, 2, 3, false, grey_palette(3)}, true, 0},
        {"rgba 8", {37, 23, 8, 6}, false, 0},
        {"rgba 16", {37, 23, 16, 6}, false, 1},
        {"rgba, every alpha opaque", {37, 23, 8, 6, false, {}, {}, 0, true}, false, 0},
        {"grey and alpha", {37, 23, 8, 4}, false, 0},
        {"palette with tRNS", {37, 23, 4, 3, false, grey_palette(16), {0, 128, 255, 7}}, false, 0},
        {"rgb colour key", {37, 23, 8, 2, false, {}, {0}}, false, 0},
        {"interlaced rgb", {37, 23, 8, 2, true}, false, 0},
        {"interlaced rgba", {37, 23, 8, 6, true}, false, 0},
        {"linear gamma", {37, 23, 8, 2, false, {}, {}, 100000}, false, 0},
        {"gamma near sRGB", {37, 23, 8, 2, false, {}, {}, 45000}, true, 0},
    };
    for (const png_case& c : cases) {
        SCOPED_TRACE(c.name);
        const bytes file = image_test::png_file(c.kind);
        harden_test::placing_document page;
        page.place(put("picture.png", file));
        ASSERT_TRUE(page.doc.unusable_files().empty());
        host::pdf::write_report report;
        const pdf_image got = image_of_pdf(pdf_of(page, &report));
        EXPECT_TRUE(report.warnings.empty());
        ASSERT_TRUE(got.found);
        EXPECT_EQ(got.predicted, c.direct);
        const bytes want = rgba_of_file(file);
        bool opaque = true;
        for (std::size_t i = 3; i < want.size(); i += 4) opaque = opaque && want[i] == 0xFF;
        EXPECT_EQ(got.masked, !opaque);
        image_test::expect_close(got.rgba, want, c.tolerance);
    }
}

// A file damaged after it was placed is refused when the PDF is written, as at placing.
TEST_F(PngInPdf, ADamagedFileIsNotShownAndSaysWhy)
{
    const bytes good = image_test::png_file({37, 23, 8, 2});
    // Where the first IDAT chunk's checksum is.
    auto idat_crc = [&](const bytes& f) {
        for (std::size_t at = 8;;) {
            const std::uint32_t length = host::image::detail::big_endian(&f[at]);
            if (std::memcmp(&f[at + 4], "IDAT", 4) == 0) return at + 8 + length;
            at += 12 + length;
        }
    };
    bytes bad_crc = good;
    bad_crc[idat_crc(good)] ^= 0x55;
    bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    bytes alpha_bad_crc = image_test::png_file({37, 23, 8, 6});
    alpha_bad_crc[idat_crc(alpha_bad_crc)] ^= 0x55;
    struct damaged {
        const char* name;
        bytes file;
        const char* cause;
    };
    const damaged cases[] = {
        {"checksum", bad_crc, "CRC error"},
        {"cut short", cut, "truncated"},
        {"checksum of a decoded file", alpha_bad_crc, "CRC error"},
    };
    for (const damaged& c : cases) {
        SCOPED_TRACE(c.name);
        harden_test::placing_document page;
        const std::string path = put("late.png", good);
        page.place(path);
        put("late.png", c.file);
        host::pdf::write_report report;
        const pdf_image got = image_of_pdf(pdf_of(page, &report));
        EXPECT_FALSE(got.found);
        ASSERT_EQ(report.warnings.size(), 1u);
        EXPECT_NE(report.warnings[0].find("is not shown"), std::string::npos) << report.warnings[0];
        EXPECT_NE(report.warnings[0].find(c.cause), std::string::npos) << report.warnings[0];

        // Placed damaged, it is named with the same cause.
        harden_test::placing_document again;
        again.place(path);
        const auto unusable = again.doc.unusable_files();
        ASSERT_EQ(unusable.size(), 1u);
        EXPECT_NE(unusable[0].cause.find(c.cause), std::string::npos) << unusable[0].cause;
    }
}

// A header past the size limit is refused from the header alone, by both ways in.
TEST(PngStream, ADeclaredSizePastTheLimitIsRefusedFromTheHeader)
{
    struct side {
        std::uint32_t width, height;
        HRESULT want;
    };
    const side cases[] = {{16384, 16385, E_INVALIDARG}, {65536, 1, E_INVALIDARG}, {4, 4, S_OK}};
    for (const side& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        // Four rows of grey behind the header: far too little for the larger sizes.
        bytes file = image_test::png_by_hand(4, 4, 8, 0, std::vector<bytes>(4, bytes(4, 0x40)));
        bytes ihdr;
        image_test::put32be(ihdr, c.width);
        image_test::put32be(ihdr, c.height);
        ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});
        bytes head(file.begin(), file.begin() + 8);
        image_test::png_chunk(head, "IHDR", ihdr);
        std::copy(head.begin(), head.end(), file.begin());
        host::image::png_direct direct;
        std::string message;
        EXPECT_EQ(host::image::png_direct_data(file.data(), file.size(), &direct, &message), c.want);
        struct counter final : host::image::png_row_sink {
            bool begin(LONG, LONG, int, bool) noexcept override { return begun = true; }
            bool row(const BYTE*, const BYTE*) noexcept override { return true; }
            bool begun = false;
        } sink;
        EXPECT_EQ(host::image::read_png_rows(file.data(), file.size(), sink, &message), c.want);
        EXPECT_EQ(sink.begun, c.want == S_OK);
        if (c.want != S_OK) {
            EXPECT_NE(message.find("too large"), std::string::npos) << message;
        }
    }
}

}  // namespace
