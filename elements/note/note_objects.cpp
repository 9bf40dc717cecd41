// The note's outline shape, font resource and text objects, created in the order and with the
// values the host expects to be given them.
#include "elements/note/note_objects.h"

#include "core/host_objects.h"
#include "core/units.h"

namespace cnt::note {

HRESULT create_outline(const fields& f, const rect& position, IZPageObjectList* objects,
                       std::vector<LONG>& page_object_ids) noexcept
{
    const bool fill = f.fill_colour != no_colour;
    const bool border = f.border_colour != no_colour;
    if (!fill && !border) return S_OK;

    com::ComPtr<IZShape> shape;
    RETURN_IF_FAILED(create_page_object(objects, zeKindShape, page_object_ids, &shape));
    shape->put_PaintMode(!fill ? zeShapePaintStroke
                               : (border ? zeShapePaintFillStroke : zeShapePaintFill));
    if (fill) shape->put_FillColor(f.fill_colour);
    if (border) shape->put_StrokeColor(f.border_colour);

    com::ComPtr<IZPath> path;
    shape->get_Path(path.put());
    if (!path) return E_UNEXPECTED;
    const rect& r = position;
    switch (f.style) {
    case zeCntNoteStyleRectangle:
        path->Rectangle(r.left, r.top, r.right, r.bottom);
        break;
    case zeCntNoteStyleRoundedRectangle: {
        // 64-bit differences, cut back to 32 bits: reversed or huge rectangles wrap as the
        // 32-bit arithmetic of the host's other clients does, without overflowing.
        const LONG width = static_cast<LONG>(LONGLONG{r.right} - r.left);
        const LONG height = static_cast<LONG>(LONGLONG{r.bottom} - r.top);
        path->RoundedRectangle(r.left, r.top, r.right, r.bottom, width / 4, height / 4);
        break;
    }
    case zeCntNoteStyleOval:
        path->Ellipse(r.left, r.top, r.right, r.bottom);
        break;
    default:
        break;  // text only and automatic texts: a shape without outline
    }
    return S_OK;
}

HRESULT create_font(const fields& f, LONG resolution, IZResourceList* resources,
                    std::vector<LONG>& resource_ids, com::ComPtr<IZFont>* font) noexcept
{
    RETURN_IF_FAILED(create_resource(resources, zeKindFont, resource_ids, font));
    IZFont* made = font->get();
    made->put_FaceName(f.font_name.get());
    made->put_Size(static_cast<LONG>((LONGLONG{f.font_size} * resolution) / 720));
    made->put_Bold(f.bold);
    made->put_Italic(f.italic);
    return S_OK;
}

HRESULT create_text_object(IZPageObjectList* objects, IZResourceList* resources,
                           std::vector<LONG>& page_object_ids, const OLECHAR* text, UINT length,
                           LONG x, LONG y, IZFont* font, OLE_COLOR colour,
                           IZClipFrame* clip) noexcept
{
    com::ComPtr<IZTextObject> line;
    RETURN_IF_FAILED(create_page_object(objects, zeKindTextObject, page_object_ids, &line));
    line->put_Color(colour);
    BSTR copy = SysAllocStringLen(text, length);
    if (!copy) return E_OUTOFMEMORY;
    line->put_Text(copy);
    SysFreeString(copy);
    line->put_X(x);
    line->put_Y(y);
    line->putref_Font(font);
    line->Attach(objects, resources, nullptr);
    if (clip) line->putref_ClipFrame(clip);
    return S_OK;
}

}  // namespace cnt::note
