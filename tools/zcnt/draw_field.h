// zcnt draw-field doc.pjd NAME -o field.png [--scale S]: a form field's design-time picture, as
// the field paints it on a memory device context at 96 dots per inch times the scale.
#pragma once

#include <cstdio>
#include <string>

namespace zcnt {

struct draw_field_options {
    std::string document;
    std::string name;    // the field's Name, as inspect lists it (f1, f2 … for unnamed ones)
    std::string output;  // the PNG file
    std::string scale_text = "1";  // pixels per 1/96 inch, read here so that a bad one exits 2
};

// 0 when the picture is written, 2 for bad input (one line on `err`), 1 otherwise.
int run_draw_field(const draw_field_options& options, std::FILE* err);

}  // namespace zcnt
