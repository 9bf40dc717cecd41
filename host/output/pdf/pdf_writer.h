// Writing a document's pages as a PDF file: every host object on every page, whoever made it,
// at the page's size (page units converted through its resolution). The file is written whole
// to a temporary file and renamed over the target, so a failure leaves no partial PDF.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/com/types.h"

namespace host {
class document_object;
}

namespace host::pdf {

struct write_options {
    bool compress = true;  // deflate the streams and pack objects into object streams
    // Notes, stamps and text marks as page content too, and page-break markers printed, instead
    // of annotations a viewer lists and a layer that does not print.
    bool flatten = false;
    // Called after each page with (pages done, pages in all).
    std::function<void(LONG, LONG)> progress;
};

struct write_report {
    LONG pages = 0;
    std::size_t bytes = 0;
    // What could not be shown (an image that does not decode, a page beyond a PDF's end …);
    // the rest of the page is written all the same.
    std::vector<std::string> warnings;
};

// E_INVALIDARG for a document without pages; file errors as the .pjd writer gives them.
HRESULT write_pdf(document_object* doc, const std::string& path, const write_options& options,
                  write_report* report, std::string* message) noexcept;
HRESULT write_pdf_bytes(document_object* doc, const write_options& options, std::string* out,
                        write_report* report, std::string* message) noexcept;

}  // namespace host::pdf
