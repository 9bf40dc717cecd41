// The design-time picture every form field draws on the host's device context: a tinted box,
// the small icon of its kind and its name. The class template (form_field.h) gathers what its
// field knows and hands it over here.
#pragma once

#include "contentelements/zprint_objects.h"
#include "core/element_state.h"
#include "platform/gdi/gdi.h"

namespace cnt::fields {

// The tint of the box, of the icon's background and of the host's background.
inline constexpr COLORREF field_tint = 0xFAE7E7;
// The colour of the name.
inline constexpr COLORREF label_colour = 0x646464;

// The label font of a field (the class's CreateLabelFont), asked for only when there is a
// name to write.
using label_font_fn = HRESULT (*)(void* field, HDC dc, HFONT* font) noexcept;

struct field_picture {
    HDC dc;                   // where to draw, in its logical units
    IZDrawingHost* host;      // told the background first; may be null
    rect position;            // the field's rectangle
    UINT icon_id;             // bitmap resource of the icon, 0 for none
    BSTR name;                // written after the icon unless empty
    label_font_fn label_font;
    void* field;              // handed to label_font
};

// Draws the picture. Never fails: what cannot be made is left out (no icon, the context's
// own font).
void draw_field(const field_picture& picture) noexcept;

// "Times New Roman" at 10 points for `dc` (the screen's context for a null one): the height
// is the logical size of 10 points' device height, negative, so that it is a character height.
HRESULT create_label_font(HDC dc, HFONT* font) noexcept;

// The process's icon list and the index of the icon of `id` in it, loading and adding the
// icon on first use; -1 when the list or the bitmap cannot be had (nothing is remembered then).
int field_icon_index(UINT id) noexcept;
HIMAGELIST field_icon_list() noexcept;

}  // namespace cnt::fields
