// zcnt annotate input.pdf [doc.json] -o out.pdf: the pages of a PDF made elsewhere become the
// document's pages, its words the words they know, and the description's elements (and the
// phrases to mark) are laid over them as annotations. The input file is only read.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zcnt {

struct annotate_options {
    std::string input;        // the PDF to annotate
    std::string description;  // JSON elements as for render, without "pages"; empty for none
    std::string output;       // the annotated PDF
    std::string save;         // .pjd file, empty for none
    std::vector<std::string> highlight, underline, strike;  // phrases marked wherever they are
    long long resolution = 720;  // page units per inch
    bool keep_going = false, flatten = false;
};

// 0 on success (the paths written on `out`), 2 for bad input or options, 1 otherwise.
int run_annotate(const annotate_options& options, std::FILE* out, std::FILE* err);

}  // namespace zcnt
