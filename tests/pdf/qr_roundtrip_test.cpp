// QR symbols as a real reader sees them: an image element's QR code is written to a PDF,
// rendered by poppler and decoded by zbarimg, which must give the element's text back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contentelements/cnt_image.h"
#include "host/engine.h"
#include "host/model/document_object.h"
#include "host/output/pdf/pdf_writer.h"
#include "platform/com/com.h"
#include "tests/pdf/pdf_probe.h"
#include "tests/road/support.h"

namespace {

// Lowercase words and punctuation only, so that the encoder keeps it all in 8-bit mode and
// the symbol sizes below follow from the byte capacities.
constexpr char kLongText[] =
    "a quiet harbour town keeps its old lighthouse lit every night, so that the fishing boats "
    "coming home late find the narrow channel between the rocks and reach the pier safely "
    "before the tide turns, too";
static_assert(sizeof kLongText - 1 == 200);

constexpr char kUrl[] = "https://example.org/p/42";

// A4 at 300 units per inch; the symbol's bounds are 4 inches square, 600 pixels at 150 dpi.
constexpr LONG kResolution = 300;
constexpr LONG kLeft = 200, kTop = 200, kSide = 1200;
constexpr int kDpi = 150;

constexpr ZeQRCodeErrorCorrectionLevel kLevels[] = {
    zeQRCodeErrorCorrectionLevelL, zeQRCodeErrorCorrectionLevelM,
    zeQRCodeErrorCorrectionLevelQ, zeQRCodeErrorCorrectionLevelH};

std::u16string qr(const std::string& ascii) { return u"qrcode:" + std::u16string(ascii.begin(), ascii.end()); }

class QrRoundTrip : public road::classes {
protected:
    void SetUp() override
    {
        for (const char* tool : {"zbarimg", "pdftoppm"})
            if (pdf_probe::run({tool, tool[0] == 'z' ? "--version" : "-v"}).status == 127)
                GTEST_SKIP() << tool << " is not installed";
        road::classes::SetUp();
        ASSERT_FALSE(dir_.path().empty());
    }

    // A one-page document whose only content is an image element showing `file`.
    void make(host::document& doc, const std::u16string& file, ZeQRCodeErrorCorrectionLevel level)
    {
        ASSERT_EQ(doc.add_page(2480, 3508, kResolution), S_OK);
        auto image = road::create<IZCntElementImage>(u"Orvane.ZCntElementImage.1");
        ASSERT_TRUE(image);
        ASSERT_EQ(road::attach(image.get(), doc), S_OK);
        // The QR settings only apply to the next symbol made, so they come first.
        ASSERT_EQ(image->put_QRCodeErrorCorrectionLevel(level), S_OK);
        ASSERT_EQ(image->SetPosition(kLeft, kTop, kSide, kSide), S_OK);
        com::Bstr name(file);
        ASSERT_EQ(image->put_ImageFile(name.get()), S_OK);
    }

    std::string write(const host::document& doc, const std::string& name)
    {
        const std::string pdf = dir_.file(name + ".pdf");
        host::pdf::write_report report;
        std::string message;
        EXPECT_EQ(host::pdf::write_pdf(doc.model(), pdf, {}, &report, &message), S_OK)
            << message;
        EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
        return pdf;
    }

    // What zbarimg reads from page 1 rendered at 150 dpi; `binary` asks for the symbol's bytes
    // as they are instead of text converted by a guessed character set.
    std::string decode(const std::string& pdf, bool binary = false)
    {
        const std::string prefix = pdf.substr(0, pdf.size() - 4);
        const pdf_probe::run_result shown = pdf_probe::run(
            {"pdftoppm", "-r", std::to_string(kDpi), "-png", "-singlefile", pdf, prefix});
        EXPECT_EQ(shown.status, 0) << shown.err;
        std::vector<std::string> argv{"zbarimg", "--raw", "-q"};
        if (binary) argv.push_back("-Sbinary");
        argv.push_back(prefix + ".png");
        pdf_probe::run_result read = pdf_probe::run(argv);
        EXPECT_EQ(read.status, 0) << "zbarimg found no symbol: " << read.err;
        while (!read.out.empty() && (read.out.back() == '\n' || read.out.back() == '\r')) read.out.pop_back();
        return read.out;
    }

    std::string round_trip(const std::u16string& file,
                           ZeQRCodeErrorCorrectionLevel level = zeQRCodeErrorCorrectionLevelL,
                           bool binary = false)
    {
        host::document doc;
        make(doc, file, level);
        if (HasFatalFailure()) return {};
        return decode(write(doc, "qr" + std::to_string(++count_)), binary);
    }

    pdf_probe::scoped_dir dir_;
    int count_ = 0;
};

TEST_F(QrRoundTrip, AShortUrlAndATwoHundredCharacterTextReadBackAtEveryLevel)
{
    for (const char* text : {kUrl, kLongText})
        for (ZeQRCodeErrorCorrectionLevel level : kLevels)
            EXPECT_EQ(round_trip(qr(text), level), text) << "level " << level;
}

// Spaces around the text are not part of the symbol. The symbol holds the text's bytes in code
// page 1252 (ü FC, ß DF, ö F6, en dash 96, euro sign 80), which a reader told not to guess a
// character set gives back; characters outside it become question marks.
TEST_F(QrRoundTrip, TheSymbolHoldsTheTrimmedTextInCodePage1252)
{
    const struct {
        std::u16string file;
        bool binary;
        std::string read;
    } cases[] = {
        {u"qrcode:  \t" + qr(kUrl).substr(7) + u" \r\n", false, kUrl},
        {u"qrcode:Grüße aus Köln – 5 €", true, "Gr\xFC\xDF" "e aus K\xF6ln \x96 5 \x80"},
        {u"qrcode:Grüße aus Köln – 東京", true, "Gr\xFC\xDF" "e aus K\xF6ln \x96 ??"},
        {u"qrcode:東京", false, "??"},
    };
    for (const auto& c : cases) EXPECT_EQ(round_trip(c.file, zeQRCodeErrorCorrectionLevelL, c.binary), c.read);
}

// Versions by level, the quiet zone and an empty text: tests/elements/qrcode_test.cpp, on the
// symbol and the element's objects before any PDF is written.

}  // namespace
