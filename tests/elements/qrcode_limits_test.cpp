// QR texts at and past what the largest symbol holds: the capacity check against libqrencode
// itself, the UTF-16 split against the ANSI one, and an element given a text of megabytes.
#include <qrencode.h>

#include <string>

#include "elements/qrcode/qr_capacity.h"
#include "elements/qrcode/qr_source.h"
#include "elements/qrcode/qr_symbol.h"
#include "platform/com/codepage.h"
#include "tests/elements/image_fixture.h"

namespace element_test {
namespace {

// What libqrencode says when asked directly, as the element asks it.
bool encoder_holds(const std::string& text, LONG level)
{
    QRcode* code = QRcode_encodeString(text.c_str(), 0, static_cast<QRecLevel>(level), QR_MODE_8, 1);
    QRcode_free(code);
    return code != nullptr;
}

// The longest run of `c` the encoder takes at `level`.
std::size_t encoder_longest(char c, LONG level)
{
    std::size_t fits = 1, fails = 8000;
    while (fails - fits > 1) {
        const std::size_t mid = (fits + fails) / 2;
        (encoder_holds(std::string(mid, c), level) ? fits : fails) = mid;
    }
    return fits;
}

TEST(QrCapacity, TheCheckStopsWhereTheEncoderDoes)
{
    // A digit, an upper-case letter and a byte of neither kind: each kind alone is refused one
    // character past the encoder's own limit, and never before it.
    for (LONG level = 0; level < 4; ++level) {
        for (char c : {'7', 'Q', 'q'}) {
            SCOPED_TRACE(std::to_string(level) + " " + c);
            const std::size_t n = encoder_longest(c, level);
            EXPECT_TRUE(cnt::qrcode::may_fit(std::string(n, c), level));
            EXPECT_FALSE(cnt::qrcode::may_fit(std::string(n + 1, c), level));
            EXPECT_LE(n, cnt::qrcode::longest_text(level));
        }
    }
    EXPECT_EQ(cnt::qrcode::longest_text(4), 0u);
    EXPECT_EQ(cnt::qrcode::longest_text(-1), 0u);
}

TEST(QrCapacity, MixedTextsTheEncoderTakesAreNeverRefused)
{
    const std::string patterns[] = {"12a", "1A", "AB1234567", "x9", "a-B.c/1:2", "123456ab"};
    for (const std::string& pattern : patterns) {
        for (LONG level = 0; level < 4; ++level) {
            SCOPED_TRACE(pattern + " " + std::to_string(level));
            // The most repeats the encoder takes; the check's bound grows with the text, so
            // taking that many means taking every shorter run too.
            const auto repeated = [&](std::size_t k) {
                std::string out;
                for (std::size_t i = 0; i < k; ++i) out += pattern;
                return out;
            };
            std::size_t fits = 1, fails = 8000 / pattern.size();
            while (fails - fits > 1) {
                const std::size_t mid = (fits + fails) / 2;
                (encoder_holds(repeated(mid), level) ? fits : fails) = mid;
            }
            const std::string text = repeated(fits);
            ASSERT_TRUE(encoder_holds(text, level));
            EXPECT_TRUE(cnt::qrcode::may_fit(text, level)) << text.size();
            cnt::qrcode::symbol code;
            EXPECT_FALSE(cnt::qrcode::encode(text + std::string(4000, pattern[0]), level, &code));
        }
    }
}

TEST(QrSource, TheUtf16SplitIsTheAnsiOne)
{
    // Best fits separate and trim as their ANSI bytes do: a fullwidth colon, the Armenian full
    // stop and the ratio sign are colons, three other bars are bars, em and ideographic spaces
    // are blanks.
    const std::u16string cases[] = {
        u"|card\uFF1Atext",      u"|card\u2223DEU\u0589 text \u2003",
        u"\u01C0a|b\u2236c",     u"\u2758name",
        u"\uFF1A\u3000 x y \u3000", u"plain \u2003",
        u"|a:b|c",               u"",
        u"\u2003\u2003",         std::u16string(u"|n:\0 a ", 7),
    };
    for (const std::u16string& rest : cases) {
        SCOPED_TRACE(com::to_ansi(rest));
        cnt::qrcode::source ansi;
        cnt::qrcode::located_source wide;
        const HRESULT expected = cnt::qrcode::parse_source(com::to_ansi(rest), &ansi);
        ASSERT_EQ(cnt::qrcode::locate_source(rest, &wide), expected);
        if (FAILED(expected)) continue;
        EXPECT_EQ(wide.name, ansi.name);
        EXPECT_EQ(wide.language, ansi.language);
        EXPECT_EQ(com::to_ansi(wide.text), ansi.text);
    }
}

class QrLongText : public image_page {
protected:
    // What the element made for `source`: its page objects and resources, and the result.
    struct outcome {
        HRESULT hr;
        std::size_t objects, resources;
        bool operator==(const outcome&) const = default;
    };
    outcome place(const std::u16string& source)
    {
        auto image = this->image_at(0, 0, 100, 100);
        com::Bstr file(source);
        const HRESULT hr = image->put_ImageFile(file.get());
        return {hr, page_object_ids(image.get()).size(), resource_ids(image.get()).size()};
    }
};

TEST_F(QrLongText, MegabytesOfTextEndAsAnyTextNoSymbolHolds)
{
    const std::size_t megabytes = std::size_t{10} << 20;
    const outcome unencodable = place(u"qrcode:" + std::u16string(3000, u'x'));
    EXPECT_EQ(unencodable.objects, 0u);
    EXPECT_EQ(place(u"qrcode:" + std::u16string(megabytes, u'7')), unencodable);
    EXPECT_EQ(place(u"qrcode|:" + std::u16string(megabytes, u'\uFF21')), unencodable);

    // What the encoder reads is what counts: the text up to its first zero, trimmed.
    const outcome placed = place(u"qrcode:abc");
    EXPECT_EQ(placed.objects, 1u);
    const std::u16string spaces(megabytes, u' ');
    EXPECT_EQ(place(u"qrcode:" + spaces + u"abc" + spaces), placed);
    EXPECT_EQ(place(u"qrcode:abc" + std::u16string(1, u'\0') + std::u16string(megabytes, u'7')),
              placed);
    EXPECT_EQ(place(u"qrcode:" + std::u16string(7089, u'7')), placed);
}

}  // namespace
}  // namespace element_test
