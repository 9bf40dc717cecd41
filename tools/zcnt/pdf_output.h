// Writing the tool's document as a PDF file, with a progress bar on a terminal.
#pragma once

#include <cstdio>
#include <string>

#include "host/engine.h"

namespace zcnt {

// False with `error` set when the PDF cannot be written; nothing is left at `path` then.
// Warnings (an image that does not decode …) go to `err`, one line each.
// The PDF as bytes, for writing together with the other outputs; false with `error` set
// when it cannot be made.
bool make_pdf_bytes(const host::document& doc, std::FILE* err, std::string* bytes,
                    std::string* error);

bool write_pdf_file(const host::document& doc, const std::string& path, std::FILE* err,
                    std::string* error);

}  // namespace zcnt
