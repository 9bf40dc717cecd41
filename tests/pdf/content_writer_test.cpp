// The content stream writer: operators and the exact number format.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "host/output/pdf/content_writer.h"

namespace {

using host::pdf::content_writer;
using host::pdf::format_number;

// Plain decimals with at most four places, no trailing zeros, no exponent, no negative zero.
TEST(PdfNumbers, PlainDecimalWithoutTrailingZerosOrExponent)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0"}, {1, "1"}, {-12, "-12"}, {0.5, "0.5"}, {0.1, "0.1"}, {72.0 / 720.0, "0.1"},
        {1.0 / 3.0, "0.3333"}, {2.0 / 3.0, "0.6667"}, {-0.25881904, "-0.2588"},
        {841.8897, "841.8897"}, {100.0, "100"}, {1e-9, "0"}, {-1e-9, "0"}, {-0.0, "0"},
        {1e12, "1000000000000"}, {0.00005, "0.0001"},
        {std::numeric_limits<double>::quiet_NaN(), "0"}, {std::numeric_limits<double>::infinity(), "0"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(format_number(value), text) << value;
}

// The fast integer path must give exactly what printf's rounding gives, on both sides of
// every decimal boundary and across the magnitudes where it hands over to printf.
TEST(PdfNumbers, AgreesWithPrintfRounding)
{
    auto reference = [](double v) {
        const double rounded = std::round(v * 10000.0) / 10000.0;
        if (rounded == 0) return std::string("0");
        char text[64];
        std::snprintf(text, sizeof text, "%.4f", rounded);
        std::string s(text);
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
        return s;
    };
    std::uint64_t state = 88172645463325252ull;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 200000; ++i) {
        const int magnitude = static_cast<int>(next() % 14) - 3;  // 1e-3 … 1e10
        double v = static_cast<double>(next() % 1000000) / 1000000.0 * std::pow(10.0, magnitude);
        if (next() & 1) v = -v;
        if (i % 7 == 0) v = std::round(v * 10000.0) / 10000.0 + 0.00005;  // on a half
        ASSERT_EQ(format_number(v), reference(v)) << v;
    }
    for (double v : {99999999999.99994, 1e11, -1e11, 123456789012.5, 0.00005, -0.00005, 0.99995})
        EXPECT_EQ(format_number(v), reference(v)) << v;
}

TEST(ContentWriter, PathPaintAndColourOperatorsColoursFromBgr)
{
    content_writer w;
    w.save();
    w.transform(0.1, 0, 0, -0.1, 0, 842);
    w.rectangle(10, 20, 30.5, 40);
    w.move_to(1, 2);
    w.line_to(3, 4);
    w.curve_to(1, 2, 3, 4, 5, 6);
    w.close_path();
    w.fill();
    w.stroke();
    w.fill_stroke();
    w.rectangle(0, 0, 1, 1);
    w.clip();
    w.restore();
    w.fill_colour(0x000000FF);   // red
    w.stroke_colour(0x00FF0000);  // blue
    w.fill_colour(0x00CCFFFF);
    w.fill_rgb(0.5, 0.25, 1);
    w.stroke_rgb(0, 0, 0);
    EXPECT_EQ(w.data(),
              "q\n0.1 0 0 -0.1 0 842 cm\n10 20 30.5 40 re\n1 2 m\n3 4 l\n1 2 3 4 5 6 c\nh\nf\n"
              "S\nB\n0 0 1 1 re\nW n\nQ\n"
              "1 0 0 rg\n0 0 1 RG\n1 1 0.8 rg\n0.5 0.25 1 rg\n0 0 0 RG\n");
}

TEST(ContentWriter, StateTextAndObjects)
{
    content_writer w;
    w.line_width(2.8);
    w.graphics_state("GS1");
    w.begin_text();
    w.font("F1", 1);
    w.text_matrix(12, 0, 0, -12, 66.6, 66.2);
    w.show_glyphs({0x0024, 0xABCD, 0x0001});
    w.show_glyphs({});
    w.end_text();
    w.draw_object("Im1");
    EXPECT_EQ(w.data(),
              "2.8 w\n/GS1 gs\nBT\n/F1 1 Tf\n12 0 0 -12 66.6 66.2 Tm\n<0024ABCD0001> Tj\n<> Tj\nET\n"
              "/Im1 Do\n");
    EXPECT_FALSE(w.take().empty());
    w.clear();
    EXPECT_TRUE(w.data().empty());
}

}  // namespace
