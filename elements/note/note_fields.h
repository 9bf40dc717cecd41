// The note's own properties, in record order, as the element class and its rebuild share them.
#pragma once

#include "contentelements/cnt_note.h"
#include "core/colour.h"
#include "core/strings.h"

namespace cnt::note {

struct fields {
    ZeCntNoteStyle style = zeCntNoteStyleRectangle;
    bstr_field text{u""};
    OLE_COLOR text_colour = 0x000000;
    SHORT font_size = 100;
    bstr_field font_name{u""};
    VARIANT_BOOL bold = 0;
    VARIANT_BOOL italic = 0;
    OLE_COLOR border_colour = 0x000000;
    OLE_COLOR fill_colour = 0xFFFFFF;
    VARIANT_BOOL shadow = 0;
    ZeCntHorizontalAlignmentType horizontal = zeCntHorizontalAlignmentLeft;
    ZeCntVerticalAlignmentType vertical = zeCntVerticalAlignmentTop;
    SHORT fill_transparency = 0;
    VARIANT_BOOL callout = 0;
    LONG reserved1 = 0;
    LONG reserved2 = 0;
};

inline bool is_automatic(ZeCntNoteStyle style) noexcept
{
    return style >= zeCntNoteStyleAutoTextPageNumber && style <= zeCntNoteStyleAutoTextCustom;
}

}  // namespace cnt::note
