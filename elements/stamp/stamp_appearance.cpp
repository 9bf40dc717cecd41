// The stamp's rebuild after its old host objects are gone; see stamp_appearance.h.
#include "elements/stamp/stamp_appearance.h"

#include <algorithm>
#include <cmath>

#include "core/host_objects.h"
#include "elements/measure/display_context.h"

namespace cnt::stamp {
namespace {

// The rotation by the inclination about the stamp's bottom-left corner.
struct turn {
    double c = 1.0, s = 0.0;
    explicit turn(SHORT inclination) noexcept
    {
        const double a = -inclination * 3.1415926535 / 180;
        c = std::cos(a);
        s = std::sin(a);
    }
};

HRESULT create_frame(appearance& a) noexcept
{
    const fields& f = a.f;
    const bool fill = f.fill_colour != no_colour;
    const bool border = f.border_colour != no_colour;
    if (!fill && !border) return S_OK;

    com::ComPtr<IZShape> shape;
    RETURN_IF_FAILED(create_page_object(a.objects, zeKindShape, a.page_object_ids, &shape));
    shape->put_PaintMode(!fill ? zeShapePaintStroke
                               : (border ? zeShapePaintFillStroke : zeShapePaintFill));
    shape->put_Transparency(f.transparency);
    if (fill) shape->put_FillColor(f.fill_colour);
    if (border) shape->put_StrokeColor(f.border_colour);

    com::ComPtr<IZLineStyle> style;
    RETURN_IF_FAILED(create_resource(a.resources, zeKindLineStyle, a.resource_ids, &style));
    style->put_Width(wrap_mul(a.resolution, 10) / 254);
    shape->putref_LineStyle(style.get());

    com::ComPtr<IZPath> path;
    shape->get_Path(path.put());
    if (!path) return E_UNEXPECTED;
    const rect& r = a.position;
    if (f.style == zeCntStampStyleRectangle)
        path->Rectangle(r.left, r.top, r.right, r.bottom);
    else if (f.style == zeCntStampStyleOval)
        path->Ellipse(r.left, r.top, r.right, r.bottom);
    if (f.inclination != 0) {
        const turn t(f.inclination);
        const double left = r.left, bottom = r.bottom;
        path->SetTransform(static_cast<float>(t.c), static_cast<float>(t.s),
                           static_cast<float>(-t.s), static_cast<float>(t.c),
                           static_cast<float>(bottom * t.s - left * t.c + left),
                           static_cast<float>(-left * t.s - bottom * t.c + bottom));
    }
    shape->Attach(a.objects, a.resources, nullptr);
    return S_OK;
}

// One text at its place (left, top) with character height t.
HRESULT place_text(appearance& a, const text_part& part, LONG char_height, LONG left,
                   LONG top) noexcept
{
    if (part.text.empty() || part.colour == no_colour) return S_OK;
    measure::display_context dc(a.resolution);
    if (!dc.ok()) return E_UNEXPECTED;
    if (!dc.select_font(part.font_name.get(), part.bold != 0, part.italic != 0, -char_height))
        return E_UNEXPECTED;
    TEXTMETRICA tm{};
    dc.text_metrics(&tm);

    const SHORT inclination = a.f.inclination;
    com::ComPtr<IZFont> font;
    RETURN_IF_FAILED(create_resource(a.resources, zeKindFont, a.resource_ids, &font));
    font->put_FaceName(part.font_name.get());
    const auto tenths =
        static_cast<SHORT>(a.resolution ? wrap_mul(char_height, 720) / a.resolution : 0);
    font->put_Size(wrap_mul(tenths, a.resolution) / 720);
    font->put_Bold(part.bold);
    font->put_Italic(part.italic);
    const float angle = (static_cast<float>(-inclination) * 1.57f) / 90.0f;
    font->put_Angle(angle);

    LONG x = left;
    LONG y = wrap_add(wrap_sub(top, tm.tmInternalLeading), tm.tmAscent);
    if (inclination != 0) {
        const turn t(inclination);
        const float dx = static_cast<float>(wrap_sub(x, a.position.left));
        const float dy = static_cast<float>(wrap_sub(y, a.position.bottom));
        x = to_long(dx * t.c - dy * t.s + a.position.left);
        y = to_long(dx * t.s + dy * t.c + a.position.bottom);
    }

    // The text object's own failure is not the stamp's.
    com::ComPtr<IZTextObject> line;
    if (FAILED(create_page_object(a.objects, zeKindTextObject, a.page_object_ids, &line)))
        return S_OK;
    line->put_Color(part.colour);
    BSTR copy = SysAllocStringLen(part.text.get(), SysStringLen(part.text.get()));
    line->put_Text(copy);
    SysFreeString(copy);
    line->put_X(x);
    line->put_Y(y);
    line->putref_Font(font.get());
    line->put_Transparency(a.f.transparency);
    line->Attach(a.objects, a.resources, nullptr);
    return S_OK;
}

}  // namespace

measured measure_text(const text_part& part, LONG share, const rect& position,
                      LONG resolution) noexcept
{
    measured m;
    if (part.text.empty() || part.font_name.empty()) return m;
    measure::display_context dc(resolution);
    if (!dc.ok()) return m;
    const LONG t = wrap_mul(wrap_sub(position.bottom, position.top), share) / 100;
    if (!dc.select_font(part.font_name.get(), part.bold != 0, part.italic != 0, -t)) return m;
    TEXTMETRICA tm{};
    if (!dc.text_metrics(&tm)) return m;
    try {
        m.width = dc.extent(measure::to_thread_ansi(part.text.view())).cx;
    } catch (...) {
        return measured{};
    }
    m.height = tm.tmAscent - tm.tmInternalLeading;
    m.char_height = t;
    return m;
}

HRESULT build(appearance& a) noexcept
{
    const fields& f = a.f;
    const LONG r = a.resolution;
    const LONG m = wrap_mul(r, 40) / 254;
    const LONG g = wrap_mul(r, 20) / 254;

    // A text alone takes the whole height.
    const LONG header_share = f.content.text.empty() ? 100 : f.header_size;
    const LONG content_share = f.header.text.empty() ? 100 : 100 - f.header_size;
    measured header = measure_text(f.header, header_share, a.position, r);
    measured content = measure_text(f.content, content_share, a.position, r);
    if (header.empty() && content.empty()) return S_OK;
    if (header.empty()) header = measured{};
    if (content.empty()) content = measured{};

    // Grow, never shrink.
    rect& p = a.position;
    const LONG w = std::max(header.width, content.width);
    const LONG gap = header.height != 0 && content.height != 0 ? g : 0;
    const LONG h = wrap_add(wrap_add(header.height, content.height), gap + 2 * m);
    if (wrap_sub(p.right, p.left) < wrap_add(w, 2 * m)) p.right = wrap_add(p.left, wrap_add(w, 2 * m));
    if (wrap_sub(p.bottom, p.top) < h) p.bottom = wrap_add(p.top, h);

    RETURN_IF_FAILED(create_frame(a));
    if (!header.empty())
        RETURN_IF_FAILED(place_text(a, f.header, header.char_height,
                                    wrap_add(p.left, wrap_sub(wrap_sub(p.right, p.left), header.width) / 2),
                                    wrap_add(p.top, m)));
    if (!content.empty())
        RETURN_IF_FAILED(place_text(
            a, f.content, content.char_height,
            wrap_add(p.left, wrap_sub(wrap_sub(p.right, p.left), content.width) / 2),
            wrap_add(wrap_add(p.top, m), header.height != 0 ? wrap_add(g, header.height) : 0)));
    return S_OK;
}

}  // namespace cnt::stamp
