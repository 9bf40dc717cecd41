// Running a `zcnt render` description: see render_run.cpp.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/engine.h"
#include "host/input/pdf_text.h"
#include "tools/zcnt/description.h"

namespace zcnt {

struct render_options {
    std::string input;
    std::string changes;  // with a .pjd input: JSON elements to add and calls on those there are
    std::string save;    // .pjd file, empty for none
    std::string report;  // JSON report, empty for none
    std::string pdf;     // PDF file, empty for none
    bool keep_going = false;  // a file the document cannot use is a warning, not an error
    bool flatten = false;     // notes, stamps, text marks and markers as plain page content
    bool verbose = false;     // say on `err` where the element classes come from
    // Annotating: the PDF file whose pages the document's are laid over, and those pages as
    // read (the description's pages are of their sizes; their words are the pages' words, and
    // the run takes them over).
    std::string base_pdf;
    std::vector<host::input::pdf_page_text>* base_pages = nullptr;
    // A saved document the run goes on with (its pages and elements the run's own, numbered
    // page by page) instead of making pages; the run takes it over.
    host::document* loaded = nullptr;
    // The process ends right after the run: the document and its description are left for
    // the system to reclaim, since tearing down a long document costs a tenth of making it.
    bool leave_at_exit = false;
};

// Keeps `what` reachable, and never frees it, until the process ends.
template <typename T>
void keep_until_exit(std::unique_ptr<T> what)
{
    static auto* kept = new std::vector<std::shared_ptr<void>>;
    kept->push_back(std::shared_ptr<void>(std::move(what)));
}

// 0 when the whole document succeeded, 2 for bad input (one line on `err`), 1 otherwise;
// `name` names the description in messages. The run uses up the description's texts and
// elements.
int run_description(description& input, const std::string& name,
                    const render_options& options, std::FILE* err);

}  // namespace zcnt
