// The fillable form of a PDF file: each form-field element becomes a merged field and widget
// annotation on its page, with appearance streams that show its value, and the catalog's
// /AcroForm lists them. The conversions (colours, rectangles, flags, text strings) are here
// for the tests too.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/output/form_scene.h"

namespace host::pdf {

class object_writer;

struct rgb {
    double r = 0, g = 0, b = 0;
};
// 0x00BBGGRR as red, green and blue from 0 to 1.
rgb rgb_of(OLE_COLOR colour) noexcept;

struct point_rect {
    double left = 0, bottom = 0, right = 0, top = 0;
};
// Page units to points with y growing upwards, as the page content is drawn.
point_rect rect_in_points(const paint_rect& r, double points_per_unit,
                          double page_height_points) noexcept;

// "/Tx", "/Ch" or "/Btn"; null for kinds that are no field of the form (a group).
const char* field_type(LONG element_type) noexcept;
// The /Ff bits of a field.
LONG field_flags(const form_field& f) noexcept;
// A PDF text string: a literal one for printable ASCII, else UTF-16BE in hex with its mark.
std::string text_string(std::u16string_view text);

class acroform {
public:
    explicit acroform(object_writer& file) : file_(file) {}
    // Writes the fields of one page (object `page`); the numbers go into the page's /Annots.
    std::vector<int> add_page(int page, const std::vector<form_field>& fields,
                              double points_per_unit, double page_height_points);
    // Writes the radio groups and the font; the catalog's entry (" /AcroForm << … >>"), empty
    // when the document has no fields.
    std::string finish();

private:
    struct radio_group {
        int number = 0;
        std::vector<int> kids;
        std::string on;  // the state of the chosen button; empty when none is chosen
        std::string entries;  // the field's own entries, from its first button
    };
    std::string unique_name(const std::u16string& name);
    int font();
    // The field's entries (after "<<"), the widget's entries and its appearance streams.
    std::string field(const form_field& f);
    std::string widget(int page, const form_field& f, const point_rect& r,
                       const std::string& on_state, bool on);

    object_writer& file_;
    int font_ = 0;
    std::vector<int> fields_;
    std::map<std::u16string, int> used_;
    std::map<std::u16string, radio_group> radios_;
    std::vector<std::u16string> radio_order_;
};

}  // namespace host::pdf
