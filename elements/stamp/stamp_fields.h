// The stamp's own properties, in record order, as the element class and its appearance share
// them.
#pragma once

#include "contentelements/cnt_stamp.h"
#include "core/colour.h"
#include "core/strings.h"

namespace cnt::stamp {

struct text_part {
    bstr_field text{u""};
    OLE_COLOR colour = 0x000000;
    bstr_field font_name{u""};
    VARIANT_BOOL bold = 0;
    VARIANT_BOOL italic = 0;
};

struct fields {
    ZeCntStampStyle style = zeCntStampStyleRectangle;
    text_part header;
    SHORT header_size = 70;
    text_part content;
    OLE_COLOR border_colour = 0x000000;
    OLE_COLOR fill_colour = 0xFFFFFF;
    VARIANT_BOOL shadow = 0;
    SHORT transparency = 0;
    SHORT inclination = 0;
};

}  // namespace cnt::stamp
