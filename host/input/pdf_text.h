// The pages of a PDF file made elsewhere, as the host needs them to annotate it: each page's size
// as a viewer shows it (its rotation applied) and its words with their boxes, in reading order.
// The text comes from poppler, a well-kept extractor; the file is only read.
#pragma once

#include <string>
#include <vector>

#include "platform/com/types.h"

namespace host::input {

struct pdf_word {
    std::u16string text;
    double left = 0, top = 0, right = 0, bottom = 0;  // points from the shown page's top left
};

struct pdf_page_text {
    double width = 0, height = 0;  // points, as shown
    int rotation = 0;              // the page's own /Rotate: 0, 90, 180 or 270
    std::vector<pdf_word> words;
};

// STG_E_FILENOTFOUND for a file that cannot be read, E_INVALIDARG for one that is no PDF or has
// no pages, E_ACCESSDENIED for one locked with a password; `message` says which. Without
// `with_words` only the pages' sizes and rotations are read: finding the words is nearly all
// of poppler's time.
HRESULT read_pdf_text(const std::string& path, std::vector<pdf_page_text>* pages,
                      std::string* message, bool with_words = true) noexcept;

}  // namespace host::input
