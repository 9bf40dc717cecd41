// Writing the tool's document as a PDF file, with a progress bar on a terminal.
#pragma once

#include <cstdio>
#include <string>

#include "host/engine.h"

namespace zcnt {

// The PDF as bytes, for writing together with the other outputs; false with `error` set
// when it cannot be made. Warnings (an image that does not decode …) go to `err`, one line
// each. `flatten`: the notes, stamps and text marks as page content, not annotations.
bool make_pdf_bytes(const host::document& doc, bool flatten, std::FILE* err, std::string* bytes,
                    std::string* error);
// The same laid over the pages of the PDF file `base` (zcnt annotate).
bool make_pdf_over(const host::document& doc, const std::string& base, bool flatten,
                   std::FILE* err, std::string* bytes, std::string* error);

}  // namespace zcnt
