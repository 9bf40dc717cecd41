// The stamp's host objects: both texts measured on the display reference context, the stamp
// grown to hold them, the frame with its line style, and a font and a text object per text,
// all turned about the stamp's bottom-left corner by its inclination.
#pragma once

#include <vector>

#include "contentelements/zprint_page.h"
#include "core/element_state.h"
#include "elements/stamp/stamp_fields.h"

namespace cnt::stamp {

struct appearance {
    const fields& f;
    rect& position;  // grown when the texts need more room
    std::vector<LONG>& page_object_ids;
    std::vector<LONG>& resource_ids;
    IZPageObjectList* objects;
    IZResourceList* resources;
    LONG resolution;
};

// Creates everything after the old objects are gone. A failure of the frame or of placing a
// text is returned; the caller then removes what was made.
HRESULT build(appearance& a) noexcept;

// One text's box at (0, 0) and its character height, as measured for the layout.
struct measured {
    LONG width = 0, height = 0, char_height = 0;
    bool empty() const noexcept { return width <= 0 || height <= 0; }
};
measured measure_text(const text_part& part, LONG share, const rect& position,
                      LONG resolution) noexcept;

}  // namespace cnt::stamp
