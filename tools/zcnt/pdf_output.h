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
// zcnt annotate: `layer`, the document's pages as make_pdf_bytes gave them, laid over the pages
// of the PDF file `base`. It needs nothing of the document, which can go first: a long input's
// objects and the document are then not held together.
bool make_pdf_over(const std::string& base, const std::string& layer, std::FILE* err,
                   std::string* bytes, std::string* error);

}  // namespace zcnt
