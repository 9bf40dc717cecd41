// The pages of a document as the output writers walk them: how many there are, their size and
// resolution, and their host objects painted in list order. The writers see nothing else of
// the engine (they are built as C++17: qpdf 11's headers do not compile as C++20 with clang 14
// and libstdc++ 12, so what they include stays C++17 too).
#pragma once

#include <functional>
#include <string>
#include <vector>

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
// The same for the objects whose maker `include` takes: the id of the element that made the
// object (list_entry::maker), 0 for objects no element is known to have made.
void paint_page_objects(document_object* doc, LONG index, painter& to,
                        const std::function<bool(LONG maker)>& include);

// An element on a page that made objects there, as its public interfaces tell it.
struct page_element {
    LONG id = 0;    // in the page object list
    LONG type = 0;  // its ElementType: 2 note, 3 stamp, 5 text mark, 15 page break …
    // Its plain text: a note's text, a stamp's header and content, a link's description.
    std::u16string contents;
    std::u16string title;     // a stamp's header
};
std::vector<page_element> elements_on(document_object* doc, LONG index);
// The name annotations give as their author: the user the process runs as.
std::u16string annotation_author();
// The boxes of the words the page knows, in page units.
std::vector<paint_rect> word_boxes(document_object* doc, LONG index);

}  // namespace host
