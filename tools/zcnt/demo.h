// zcnt demo [-o demo.pdf] [--save demo.pjd] [--pages N]: a built-in showcase of every element
// kind, made as `zcnt render` makes a document and written as a PDF.
#pragma once

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

namespace zcnt {

struct demo_options {
    std::string output = "demo.pdf";
    std::string save;  // .pjd file, empty for none
    long long pages = 4;  // the four showcase pages, repeated to this many
    bool flatten = false;  // as render's --flatten
    bool leave_at_exit = false;  // as render_options: the process ends once the demo is written
};

// The description `zcnt demo` renders (as `zcnt render` reads it); its pictures are in the
// folder `assets` (product.png, datasheet.pdf).
nlohmann::json demo_description(long long pages, const std::string& assets);

// 0 on success (the PDF's path on `out`), 2 for bad options, 1 otherwise.
int run_demo(const demo_options& options, std::FILE* out, std::FILE* err);

}  // namespace zcnt
