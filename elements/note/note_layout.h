// Laying out a note's text once its outline and font exist: the text rectangle, the clip
// frame, and the lines, word-wrapped or as one automatic text.
#pragma once

#include <string>
#include <vector>

#include "contentelements/zprint_page.h"
#include "core/element_state.h"
#include "elements/note/note_fields.h"

namespace cnt::note {

// What the layout steps share. `position` is the note's own rectangle: an automatic text
// fits it to its width.
struct layout {
    const fields& f;
    rect& position;
    std::vector<LONG>& page_object_ids;
    IZPageObjectList* objects;
    IZResourceList* resources;
    IZFont* font;
    IZClipFrame* clip = nullptr;
    LONG resolution = 0;
    LONG page_number = 1;
    LONG page_count = 0;
    rect text_rect;
};

// Lays out the text of `l.f` in the host. Returns true when an automatic text changed the
// note's position; whatever it created stays even when a step fails.
bool lay_out_text(layout& l, IZPrintContentPage* page) noexcept;

// The rectangle the text of a style fills inside `position`.
rect text_rectangle(ZeCntNoteStyle style, const rect& position, LONG resolution) noexcept;

// The note's text with every CR LF as one LF, and the automatic replacements of its style.
std::u16string working_text(const layout& l);

// The word-wrapped styles' lines, measured on the display reference context.
void lay_out_wrapped(layout& l, const std::u16string& text) noexcept;

// One line of automatic text; true when the note was fitted to it.
bool lay_out_automatic(layout& l, const std::u16string& text) noexcept;

}  // namespace cnt::note
