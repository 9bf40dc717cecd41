// The pages of a document as the output writers walk them: how many there are, their size and
// resolution, and their host objects painted in list order. The writers see nothing else of
// the engine (they are built as C++17: qpdf 11's headers do not compile as C++20 with clang 14
// and libstdc++ 12, so what they include stays C++17 too).
#pragma once

#include "host/output/paint.h"

namespace host {

struct page_frame {
    LONG width = 0, height = 0, resolution = 0;  // page units, units per inch
};

LONG page_count(document_object* doc) noexcept;
// `index` counts from 0; a zero frame outside the document.
page_frame frame_of(document_object* doc, LONG index) noexcept;
// Hands `to` every host object of the page, in list order; elements paint nothing themselves.
void paint_page(document_object* doc, LONG index, painter& to);

}  // namespace host
