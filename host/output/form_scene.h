// The form fields of a page as the PDF writer sees them: what each field element tells through
// its public interfaces, as plain values (the writer is C++17 and sees nothing of the engine).
#pragma once

#include <string>
#include <vector>

#include "host/output/paint.h"

namespace host {

struct form_option {
    std::u16string export_value, display;
};

struct form_field {
    LONG type = 0;  // the element type: 6 text … 14 group
    paint_rect bounds;  // page units
    std::u16string name, description, mapping, value, default_value;
    bool has_value = false, has_default = false;
    // The values read as booleans (check box, radio button).
    bool value_on = false, default_on = false;
    bool read_only = false, exported = true, edit_box = false, multi_select = false;
    bool has_border = false, has_fill = false, has_text = false;
    OLE_COLOR border = 0, fill = 0, text_color = 0;
    SHORT font_size = 0;  // tenths of a point; 0 for the viewer's automatic size
    LONG alignment = 0;   // 0 left, 1 centre, 2 right
    std::vector<form_option> options;
    // A list's values when its current value is an array of them (several chosen).
    std::vector<std::u16string> selected;
};

// The page's form-field elements in list order; `index` counts from 0.
std::vector<form_field> form_fields_of(document_object* doc, LONG index);

}  // namespace host
