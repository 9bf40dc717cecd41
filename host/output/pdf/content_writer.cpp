// The content stream operators the PDF writer uses.
#include "host/output/pdf/content_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace host::pdf {

void append_number(std::string& out, double v)
{
    if (!std::isfinite(v)) v = 0;
    // Four decimals are far below a device pixel in points and keep files small.
    const double rounded = std::round(v * 10000.0) / 10000.0;
    if (rounded == 0) {
        out += '0';
        return;
    }
    // Integer digits for the usual sizes: the same text as "%.4f" with the zeros trimmed, at
    // a fraction of snprintf's cost.
    if (std::fabs(v) < 1e11) {
        long long scaled = std::llround(v * 10000.0);
        if (scaled < 0) {
            out += '-';
            scaled = -scaled;
        }
        char digits[24];
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, scaled / 10000);
        (void)ec;
        out.append(digits, end);
        int fraction = static_cast<int>(scaled % 10000);
        if (fraction != 0) {
            char tail[5] = {'.', 0, 0, 0, 0};
            int length = 5;
            for (int i = 4; i >= 1; --i, fraction /= 10) tail[i] = static_cast<char>('0' + fraction % 10);
            while (tail[length - 1] == '0') --length;
            out.append(tail, static_cast<std::size_t>(length));
        }
        return;
    }
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%.4f", rounded);
    if (n <= 0 || n >= static_cast<int>(sizeof text)) {
        out += '0';
        return;
    }
    int end = n;
    while (end > 0 && text[end - 1] == '0') --end;
    if (end > 0 && text[end - 1] == '.') --end;
    out.append(text, static_cast<std::size_t>(end));
}

std::string format_number(double v)
{
    std::string s;
    append_number(s, v);
    return s;
}

void content_writer::numbers(std::initializer_list<double> values)
{
    for (double v : values) {
        append_number(data_, v);
        data_ += ' ';
    }
}

void content_writer::op(std::string_view name)
{
    data_ += name;
    data_ += '\n';
}

void content_writer::name(std::string_view n)
{
    data_ += '/';
    data_ += n;
    data_ += ' ';
}

void content_writer::transform(double a, double b, double c, double d, double e, double f)
{
    numbers({a, b, c, d, e, f});
    op("cm");
}

void content_writer::rectangle(double x, double y, double width, double height)
{
    numbers({x, y, width, height});
    op("re");
}

void content_writer::move_to(double x, double y)
{
    numbers({x, y});
    op("m");
}

void content_writer::line_to(double x, double y)
{
    numbers({x, y});
    op("l");
}

void content_writer::curve_to(double x1, double y1, double x2, double y2, double x3, double y3)
{
    numbers({x1, y1, x2, y2, x3, y3});
    op("c");
}

void content_writer::fill_rgb(double r, double g, double b)
{
    numbers({r, g, b});
    op("rg");
}

void content_writer::stroke_rgb(double r, double g, double b)
{
    numbers({r, g, b});
    op("RG");
}

namespace {
double component(std::uint32_t bgr, int shift) { return ((bgr >> shift) & 0xFF) / 255.0; }
}  // namespace

void content_writer::fill_colour(std::uint32_t bgr)
{
    fill_rgb(component(bgr, 0), component(bgr, 8), component(bgr, 16));
}

void content_writer::stroke_colour(std::uint32_t bgr)
{
    stroke_rgb(component(bgr, 0), component(bgr, 8), component(bgr, 16));
}

void content_writer::line_width(double w)
{
    numbers({w});
    op("w");
}

void content_writer::graphics_state(std::string_view n)
{
    name(n);
    op("gs");
}

void content_writer::font(std::string_view n, double size)
{
    name(n);
    numbers({size});
    op("Tf");
}

void content_writer::text_render_mode(int mode)
{
    numbers({static_cast<double>(mode)});
    op("Tr");
}

void content_writer::text_matrix(double a, double b, double c, double d, double e, double f)
{
    numbers({a, b, c, d, e, f});
    op("Tm");
}

void content_writer::show_glyphs(const std::vector<std::uint16_t>& glyphs)
{
    static const char digits[] = "0123456789ABCDEF";
    data_ += '<';
    for (std::uint16_t g : glyphs) {
        data_ += digits[(g >> 12) & 0xF];
        data_ += digits[(g >> 8) & 0xF];
        data_ += digits[(g >> 4) & 0xF];
        data_ += digits[g & 0xF];
    }
    data_ += "> ";
    op("Tj");
}

void content_writer::begin_optional(std::string_view properties_name)
{
    name("OC");
    name(properties_name);
    op("BDC");
}

void content_writer::draw_object(std::string_view n)
{
    name(n);
    op("Do");
}

}  // namespace host::pdf
