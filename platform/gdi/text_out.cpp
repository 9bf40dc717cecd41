// Text output on memory DCs: ExtTextOutA and TextOutA place glyphs with the realised font's
// advances and draw them through cairo with the FreeType face the metrics come from.
//
// Approximation: text is anti-aliased on colour bitmaps, aliased on monochrome ones.
#include <cairo-ft.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/gdi/text.h"

namespace gdi {
namespace {

std::mutex cairo_faces_lock;
std::map<const Face*, cairo_font_face_t*>& cairo_faces()
{
    static std::map<const Face*, cairo_font_face_t*> faces;
    return faces;
}

cairo_font_face_t* cairo_face(const Face& face)
{
    std::lock_guard guard(cairo_faces_lock);
    auto& faces = cairo_faces();
    if (auto it = faces.find(&face); it != faces.end()) return it->second;
    cairo_font_face_t* created = cairo_ft_font_face_create_for_ft_face(face.ft, 0);
    if (cairo_font_face_status(created) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(created);
        return nullptr;
    }
    faces.emplace(&face, created);
    return created;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

BOOL ExtTextOutA(HDC handle, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr || (text == nullptr && count > 0)) return FALSE;
    const SizedFont* font = realise(*dc);
    if (font == nullptr) return FALSE;
    Canvas canvas;
    if (!open_canvas(*dc, canvas)) return dc->screen || dc->memory ? TRUE : FALSE;

    const Mapping& m = dc->state.mapping;
    RECT clip = canvas.clip;
    if (rect != nullptr) {
        const RECT r = normalized(device_rect(*dc, rect->left, rect->top, rect->right, rect->bottom));
        if (options & ETO_OPAQUE) canvas.fill(r, dc->state.bk_color);
        if (options & ETO_CLIPPED) {
            clip = RECT{std::max(clip.left, r.left), std::max(clip.top, r.top),
                        std::min(clip.right, r.right), std::min(clip.bottom, r.bottom)};
        }
    }
    if (count == 0 || clip.right <= clip.left || clip.bottom <= clip.top) {
        canvas.done();
        return TRUE;
    }

    // Glyph origins along the baseline in device pixels.
    std::vector<double> origin(count + 1, 0.0);
    for (UINT i = 0; i < count; ++i) {
        const double advance = dx != nullptr ? dx[i] * std::abs(m.scale_x())
                                             : font->advance[static_cast<BYTE>(text[i])];
        origin[i + 1] = origin[i] + advance;
    }
    const double width = origin[count];
    const UINT align = dc->state.text_align;
    POINT start = (align & TA_UPDATECP) ? dc->state.position : POINT{x, y};
    const POINT p = to_device(m, start);
    double ox = p.x, oy = p.y;
    if ((align & TA_CENTER) == TA_CENTER) {
        ox -= width / 2;
    } else if (align & TA_RIGHT) {
        ox -= width;
    }
    if ((align & TA_BASELINE) == TA_BASELINE) {
    } else if (align & TA_BOTTOM) {
        oy -= font->tm.tmDescent;
    } else {
        oy += font->tm.tmAscent;
    }
    if (align & TA_UPDATECP) {
        dc->state.position.x = start.x + width_to_logical(*dc, static_cast<std::int64_t>(width));
    }

    cairo_t* cr = cairo_create(canvas.surface);
    cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
    cairo_clip(cr);
    const double angle = -dc->state.font->logfont.lfEscapement * M_PI / 1800.0;
    cairo_translate(cr, ox, oy);
    cairo_rotate(cr, angle);
    if (dc->state.bk_mode == OPAQUE) {
        const COLORREF bk = dc->state.bk_color;
        cairo_set_source_rgb(cr, GetRValue(bk) / 255.0, GetGValue(bk) / 255.0, GetBValue(bk) / 255.0);
        cairo_rectangle(cr, 0, -font->tm.tmAscent, width, font->tm.tmHeight);
        cairo_fill(cr);
    }
    if (cairo_font_face_t* face = cairo_face(font->face)) {
        cairo_set_font_face(cr, face);
        cairo_set_font_size(cr, font->ppem);
        cairo_font_options_t* fo = cairo_font_options_create();
        cairo_font_options_set_antialias(fo, canvas.mono ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
        cairo_set_font_options(cr, fo);
        cairo_font_options_destroy(fo);
        const COLORREF tc = canvas.mono ? to_colorref(canvas.pixel(dc->state.text_color))
                                        : dc->state.text_color;
        cairo_set_source_rgb(cr, GetRValue(tc) / 255.0, GetGValue(tc) / 255.0, GetBValue(tc) / 255.0);
        std::vector<cairo_glyph_t> glyphs;
        glyphs.reserve(count);
        for (UINT i = 0; i < count; ++i) {
            glyphs.push_back(cairo_glyph_t{font->face.glyph[static_cast<BYTE>(text[i])], origin[i], 0.0});
        }
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    }
    cairo_destroy(cr);
    cairo_surface_flush(canvas.surface);
    return TRUE;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) noexcept
{
    if (count < 0) return FALSE;
    return ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

