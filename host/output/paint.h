// What a page shows, as the output writers see it: each host object on a page hands a painter
// one plain description of itself (a shape, a line of text, a placed image, a link area, a
// placed PDF or stored-document page), and resources describe themselves to the objects that
// use them. Everything is in page units, y growing downwards.
#pragma once

#include <string_view>
#include <vector>

#include "platform/com/types.h"

struct IUnknown;

namespace host {

class document_object;
namespace pdf {
class pdf_file;
}

// The figures of a path, as the path interface receives them.
enum path_op : BYTE { op_rectangle = 1, op_ellipse = 2, op_rounded = 3, op_break = 4 };

struct path_item {
    BYTE op;
    LONG v[6];  // left, top, right, bottom, corner width, corner height (rounded only)
};

struct paint_rect {
    LONG left = 0, top = 0, right = 0, bottom = 0;
};

struct shape_paint {
    LONG paint_mode = 0;  // 0 stroke, 1 fill, 2 fill and stroke
    const std::vector<path_item>* items = nullptr;
    const float* transform = nullptr;  // m11 m12 m21 m22 dx dy: x' = x·m11 + y·m21 + dx
    OLE_COLOR stroke = 0, fill = 0xFFFFFF;
    LONG line_width = 1;  // page units; a shape without a line style draws one unit wide
    LONG blend = 0;       // 0 normal, 1 multiply
    SHORT transparency = 0;
};

struct font_paint {
    std::u16string_view face;
    LONG size = 0;  // em size in page units
    bool bold = false, italic = false;
    // Radians; the baseline runs along (cos, sin) in page units, as the path transform turns.
    double angle = 0;
};

struct clip_paint {
    LONG mode = 0;  // 1 clips to the rectangle
    paint_rect rect;
};

struct text_paint {
    std::u16string_view text;
    LONG x = 0, y = 0;  // baseline start
    const font_paint* font = nullptr;  // null: no font resource, the default face
    OLE_COLOR color = 0;
    const clip_paint* clip = nullptr;  // null or mode 0: no clipping
    SHORT transparency = 0;
};

// An image resource's content: a file to decode, or pixels given directly.
struct image_data {
    const void* key = nullptr;  // the resource: equal keys are the same picture
    std::u16string_view file;
    LONG width = 0, height = 0, bits = 24, interpolate = 1;
    const std::vector<BYTE>* pixels = nullptr;   // rows padded to whole bytes; 24 bits are R,G,B
    const std::vector<BYTE>* palette = nullptr;  // 32-bit colours 0x00BBGGRR, as stored
};

struct image_paint {
    const image_data* image = nullptr;  // null: a placed image without a resource
    paint_rect rect;
};

struct link_paint {
    std::u16string_view url;
    paint_rect rect;
};

struct pdf_page_paint {
    const pdf::pdf_file* file = nullptr;  // null or unopened: nothing to show
    LONG page_number = 1;
    bool keep_aspect = true;
    paint_rect rect;
};

struct document_page_paint {
    document_object* document = nullptr;  // null: the stored document did not load
    LONG page_number = 1;
    paint_rect rect;
};

struct painter {
    virtual void shape(const shape_paint&) = 0;
    virtual void text(const text_paint&) = 0;
    virtual void image(const image_paint&) = 0;
    virtual void link(const link_paint&) = 0;
    virtual void pdf_page(const pdf_page_paint&) = 0;
    virtual void document_page(const document_page_paint&) = 0;

protected:
    ~painter() = default;
};

// What a resource tells the objects that use it; the pointers live as long as the resource.
struct resource_info {
    const font_paint* font = nullptr;
    const clip_paint* clip = nullptr;
    const image_data* image = nullptr;
    const pdf::pdf_file* pdf = nullptr;
    bool stored_document = false;
    document_object* stored = nullptr;  // with stored_document: its pages, null if not loaded
    LONG line_width = -1;               // a line style's width; -1 for other kinds
};

// The resource behind an interface pointer, described; empty for foreign objects.
resource_info resource_of(IUnknown* object) noexcept;

}  // namespace host
