// Running a `zcnt render` description: see render_run.cpp.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/input/pdf_text.h"
#include "tools/zcnt/description.h"

namespace zcnt {

struct render_options {
    std::string input;
    std::string save;    // .pjd file, empty for none
    std::string report;  // JSON report, empty for none
    std::string pdf;     // PDF file, empty for none
    bool keep_going = false;  // a file the document cannot use is a warning, not an error
    bool flatten = false;     // notes, stamps, text marks and markers as plain page content
    bool verbose = false;     // say on `err` where the element classes come from
    // Annotating: the PDF file whose pages the document's are laid over, and those pages as
    // read (the description's pages are of their sizes; their words are the pages' words).
    std::string base_pdf;
    const std::vector<host::input::pdf_page_text>* base_pages = nullptr;
};

// 0 when the whole document succeeded, 2 for bad input (one line on `err`), 1 otherwise;
// `name` names the description in messages.
int run_description(const description& input, const std::string& name,
                    const render_options& options, std::FILE* err);

}  // namespace zcnt
