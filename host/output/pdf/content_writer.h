// A PDF content stream built operator by operator. Numbers are written in plain decimal with
// at most four decimals and no trailing zeros, so that the same drawing gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host::pdf {

// Appends `v` as a PDF number: no exponent, "-0" written as "0", non-finite values as 0.
void append_number(std::string& out, double v);
std::string format_number(double v);

class content_writer {
public:
    void save() { op("q"); }
    void restore() { op("Q"); }
    void transform(double a, double b, double c, double d, double e, double f);
    void rectangle(double x, double y, double width, double height);
    void move_to(double x, double y);
    void line_to(double x, double y);
    void curve_to(double x1, double y1, double x2, double y2, double x3, double y3);
    void close_path() { op("h"); }
    void fill() { op("f"); }
    void stroke() { op("S"); }
    void fill_stroke() { op("B"); }
    // Even-odd fills: a figure inside another leaves a hole.
    void fill_even_odd() { op("f*"); }
    void fill_stroke_even_odd() { op("B*"); }
    // Intersects the clip with the current path and ends the path without painting it.
    void clip() { op("W n"); }
    // Colours as 0..1 components.
    void fill_rgb(double r, double g, double b);
    void stroke_rgb(double r, double g, double b);
    // Colours as 0x00BBGGRR.
    void fill_colour(std::uint32_t bgr);
    void stroke_colour(std::uint32_t bgr);
    void line_width(double w);
    void graphics_state(std::string_view name);
    void begin_text() { op("BT"); }
    void end_text() { op("ET"); }
    void font(std::string_view name, double size);
    // 0 fill, 2 fill and stroke (a bold face drawn from a regular one).
    void text_render_mode(int mode);
    void text_matrix(double a, double b, double c, double d, double e, double f);
    // Two-byte glyph ids as one hex string (Identity-H).
    void show_glyphs(const std::vector<std::uint16_t>& glyphs);
    void draw_object(std::string_view name);
    // Marked content shown with an optional content group: "/OC /name BDC" … "EMC".
    void begin_optional(std::string_view properties_name);
    void end_marked() { op("EMC"); }

    const std::string& data() const noexcept { return data_; }
    std::string take() noexcept { return std::move(data_); }
    void clear() noexcept { data_.clear(); }

private:
    void numbers(std::initializer_list<double> values);
    void op(std::string_view name);
    void name(std::string_view n);
    std::string data_;
};

}  // namespace host::pdf
