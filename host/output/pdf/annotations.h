// The annotations a viewer lists for the elements: what an element made is painted once more
// into the annotation's appearance, measured on the way (its rectangle, a text mark's bands),
// and the annotation's dictionary says what kind of comment it is.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "host/output/paint.h"
#include "host/output/pdf/acroform.h"

namespace host::pdf {

// Passes everything on to `to` and keeps, in page units, the bounds of what was painted and
// the rectangles of filled shapes (a text mark's bands) with their colour.
class measuring_painter final : public painter {
public:
    explicit measuring_painter(painter& to) : to_(to) {}
    void shape(const shape_paint& s) override;
    void text(const text_paint& t) override;
    void image(const image_paint& i) override;
    void link(const link_paint& l) override;
    void pdf_page(const pdf_page_paint& p) override;
    void document_page(const document_page_paint& d) override;

    bool empty() const noexcept { return empty_; }
    // Grown by `margin` page units on each side, for strokes and smoothing past the outline.
    paint_rect bounds(LONG margin) const noexcept;
    const std::vector<paint_rect>& bands() const noexcept { return bands_; }
    std::u16string url;  // the first link's
    OLE_COLOR band_colour = 0;
    SHORT band_transparency = 0;

private:
    void add(double left, double top, double right, double bottom);
    painter& to_;
    bool empty_ = true;
    double left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    std::vector<paint_rect> bands_;
};

// What a text mark's band marks: "/Highlight" for a band as tall as its line, else
// "/Underline" or "/StrikeOut" after where the band lies in the words it crosses; *line gets
// the marked line's box (the band itself when no word is there).
const char* mark_subtype(const paint_rect& band, const std::vector<paint_rect>& words, LONG unit,
                         paint_rect* line);

// /QuadPoints for boxes in points: upper left, upper right, lower left, lower right each.
std::string quad_points(const std::vector<point_rect>& boxes);

// A PDF name for a text (its UTF-8 bytes, #xx for those a name cannot hold as they are).
std::string name_token(std::u16string_view text);

// A PDF date, "D:YYYYMMDDHHmmSSZ", in UTC.
std::string pdf_date(std::time_t when);

// The time the annotations carry: $SOURCE_DATE_EPOCH when set, so that a build can give the
// same bytes twice, else now.
std::time_t annotation_time();

}  // namespace host::pdf
