// Drawing on memory DCs: rectangles, lines and blits set pixels directly, with GDI's pixel
// rules (right and bottom edges excluded, a line without its last point); text goes through
// cairo with the FreeType face the metrics come from.
//
// Approximations: pens other than PS_NULL draw solid; a pen wider than a pixel draws its width
// inside a rectangle's edge and as squares along a line; stretching samples the nearest pixel
// whatever the stretch mode; text is anti-aliased on colour bitmaps.
#include <cairo-ft.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/gdi/text.h"

namespace gdi {

std::uint32_t to_pixel(COLORREF color) noexcept
{
    return (std::uint32_t{GetRValue(color)} << 16) | (std::uint32_t{GetGValue(color)} << 8) |
           GetBValue(color);
}

COLORREF to_colorref(std::uint32_t pixel) noexcept
{
    return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8),
               static_cast<BYTE>(pixel));
}

std::uint32_t Canvas::pixel(COLORREF color) const
{
    if (!mono) return to_pixel(color);
    const int sum = GetRValue(color) + GetGValue(color) + GetBValue(color);
    return sum >= 384 ? 0xFFFFFFu : 0u;
}

void Canvas::fill(RECT r, COLORREF color) const
{
    const std::uint32_t p = pixel(color);
    const int l = std::max(r.left, clip.left), t = std::max(r.top, clip.top);
    const int rr = std::min(r.right, clip.right), b = std::min(r.bottom, clip.bottom);
    for (int y = t; y < b; ++y) {
        for (int x = l; x < rr; ++x) at(x, y) = p;
    }
}

void Canvas::done() const { cairo_surface_mark_dirty(surface); }

bool open_canvas(Dc& dc, Canvas& canvas) noexcept
{
    if (!dc.memory || dc.state.bitmap == nullptr || dc.state.bitmap->surface == nullptr) {
        return false;
    }
    Bitmap& bitmap = *dc.state.bitmap;
    cairo_surface_flush(bitmap.surface);
    canvas.surface = bitmap.surface;
    canvas.pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(bitmap.surface));
    canvas.stride = cairo_image_surface_get_stride(bitmap.surface) / 4;
    canvas.width = bitmap.width;
    canvas.height = bitmap.height;
    canvas.mono = bitmap.bits_per_pixel == 1;
    RECT clip{0, 0, bitmap.width, bitmap.height};
    if (dc.state.clip) {
        clip = RECT{std::max(clip.left, dc.state.clip->left), std::max(clip.top, dc.state.clip->top),
                    std::min(clip.right, dc.state.clip->right),
                    std::min(clip.bottom, dc.state.clip->bottom)};
    }
    canvas.clip = clip;
    return canvas.pixels != nullptr;
}

RECT device_rect(const Dc& dc, int left, int top, int right, int bottom) noexcept
{
    const POINT a = to_device(dc.state.mapping, POINT{left, top});
    const POINT b = to_device(dc.state.mapping, POINT{right, bottom});
    return RECT{a.x, a.y, b.x, b.y};
}

BlitArea blit_area(RECT r) noexcept
{
    BlitArea area{r, false, false};
    if (r.left > r.right) {
        area.rect.left = r.right + 1;
        area.rect.right = r.left + 1;
        area.reversed_x = true;
    }
    if (r.top > r.bottom) {
        area.rect.top = r.bottom + 1;
        area.rect.bottom = r.top + 1;
        area.reversed_y = true;
    }
    return area;
}

void stretch(const Canvas& canvas, RECT to, bool mirror_x, bool mirror_y, int src_w, int src_h,
             const std::function<void(int, int, std::uint32_t&)>& paint)
{
    const int w = to.right - to.left, h = to.bottom - to.top;
    if (w <= 0 || h <= 0 || src_w <= 0 || src_h <= 0) return;
    for (int y = std::max(to.top, canvas.clip.top); y < std::min(to.bottom, canvas.clip.bottom); ++y) {
        int sy = static_cast<int>((static_cast<std::int64_t>(y - to.top) * src_h) / h);
        if (mirror_y) sy = src_h - 1 - sy;
        for (int x = std::max(to.left, canvas.clip.left); x < std::min(to.right, canvas.clip.right);
             ++x) {
            int sx = static_cast<int>((static_cast<std::int64_t>(x - to.left) * src_w) / w);
            if (mirror_x) sx = src_w - 1 - sx;
            paint(sx, sy, canvas.at(x, y));
        }
    }
}

namespace {

RECT normalized(RECT r)
{
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

// The colour a brush paints, or false for a hollow brush. Small values are system colour
// indexes plus one, as FillRect accepts them.
bool brush_color(HBRUSH handle, COLORREF* color)
{
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value >= 1 && value <= 31) {
        *color = GetSysColor(static_cast<int>(value - 1));
        return true;
    }
    const Brush* brush = find<Brush>(handle, Kind::brush);
    if (brush == nullptr || brush->hollow) return false;
    *color = brush->color;
    return true;
}

int pen_width(const Dc& dc, const Pen& pen)
{
    const int w = round_gdi(pen.width * std::abs(dc.state.mapping.scale_x()));
    return w < 1 ? 1 : w;
}

// Surfaces a DC may draw on, and the result drawing gives without pixels: the screen accepts
// and drops everything, an information context refuses.
template <typename F>
BOOL with_canvas(HDC handle, F&& draw)
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return FALSE;
    Canvas canvas;
    if (!open_canvas(*dc, canvas)) return dc->screen || dc->memory ? TRUE : FALSE;
    const BOOL ok = draw(*dc, canvas);
    canvas.done();
    return ok;
}

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

bool apply_rop(DWORD rop, std::uint32_t src, std::uint32_t pattern, std::uint32_t& dst)
{
    switch (rop) {
    case SRCCOPY:
        dst = src;
        return true;
    case SRCAND:
        dst &= src;
        return true;
    case SRCPAINT:
        dst |= src;
        return true;
    case SRCINVERT:
        dst ^= src;
        return true;
    case NOTSRCCOPY:
        dst = ~src & 0xFFFFFFu;
        return true;
    case DSTINVERT:
        dst = ~dst & 0xFFFFFFu;
        return true;
    case BLACKNESS:
        dst = 0;
        return true;
    case WHITENESS:
        dst = 0xFFFFFFu;
        return true;
    case PATCOPY:
        dst = pattern;
        return true;
    default:
        return false;
    }
}

bool rop_uses_source(DWORD rop)
{
    return rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS && rop != PATCOPY;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

DWORD GetSysColor(int index) noexcept
{
    switch (index) {
    case COLOR_SCROLLBAR:
        return RGB(200, 200, 200);
    case COLOR_BACKGROUND:
        return RGB(0, 0, 0);
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME:
        return RGB(100, 100, 100);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
        return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
        return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT:
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_BTNFACE:
        return RGB(240, 240, 240);
    case COLOR_BTNSHADOW:
        return RGB(160, 160, 160);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    default:
        return 0;
    }
}

static HBITMAP new_bitmap(int width, int height, int bits_per_pixel) noexcept
{
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return nullptr;
    auto bitmap = std::unique_ptr<Bitmap>(new (std::nothrow) Bitmap);
    if (!bitmap) return nullptr;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bits_per_pixel = bits_per_pixel;
    bitmap->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(bitmap->surface) != CAIRO_STATUS_SUCCESS) return nullptr;
    return static_cast<HBITMAP>(add_object(std::move(bitmap)));
}

HBITMAP CreateCompatibleBitmap(HDC handle, int width, int height) noexcept
{
    const Dc* dc = find_dc(handle);
    if (dc == nullptr || width < 0 || height < 0) return nullptr;
    if (width == 0 || height == 0) return new_bitmap(1, 1, 1);
    const bool mono = dc->memory && dc->state.bitmap != nullptr &&
                      dc->state.bitmap->bits_per_pixel == 1;
    return new_bitmap(width, height, mono ? 1 : 32);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel,
                     const void* bits) noexcept
{
    if (planes != 1 || (bits_per_pixel != 1 && bits_per_pixel != 24 && bits_per_pixel != 32)) {
        return nullptr;
    }
    HBITMAP handle = new_bitmap(width, height, bits_per_pixel == 1 ? 1 : 32);
    Bitmap* bitmap = find<Bitmap>(handle, Kind::bitmap);
    if (bitmap == nullptr || bits == nullptr) return handle;
    auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(bitmap->surface));
    const int stride = cairo_image_surface_get_stride(bitmap->surface) / 4;
    const std::size_t row_bytes = ((static_cast<std::size_t>(width) * bits_per_pixel + 15) / 16) * 2;
    const auto* src = static_cast<const BYTE*>(bits);
    for (int y = 0; y < height; ++y) {
        const BYTE* row = src + row_bytes * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = 0;
            if (bits_per_pixel == 1) {
                p = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFFu : 0u;
            } else {
                const BYTE* px = row + static_cast<std::size_t>(x) * (bits_per_pixel / 8);
                p = (std::uint32_t{px[2]} << 16) | (std::uint32_t{px[1]} << 8) | px[0];
            }
            pixels[static_cast<std::size_t>(y) * stride + x] = p;
        }
    }
    cairo_surface_mark_dirty(bitmap->surface);
    return handle;
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) noexcept
{
    COLORREF result = CLR_INVALID;
    with_canvas(handle, [&](Dc& dc, Canvas& canvas) {
        const POINT p = to_device(dc.state.mapping, POINT{x, y});
        if (!canvas.inside(p.x, p.y)) return FALSE;
        canvas.at(p.x, p.y) = canvas.pixel(color);
        result = to_colorref(canvas.at(p.x, p.y));
        return TRUE;
    });
    return result;
}

COLORREF GetPixel(HDC handle, int x, int y) noexcept
{
    Dc* dc = find_dc(handle);
    Canvas canvas;
    if (dc == nullptr || !open_canvas(*dc, canvas)) return CLR_INVALID;
    const POINT p = to_device(dc->state.mapping, POINT{x, y});
    if (!canvas.inside(p.x, p.y)) return CLR_INVALID;
    return to_colorref(canvas.at(p.x, p.y));
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush) noexcept
{
    if (rect == nullptr) return 0;
    COLORREF color = 0;
    if (!brush_color(brush, &color)) return 0;
    return with_canvas(handle, [&](Dc& dc, Canvas& canvas) {
        canvas.fill(normalized(device_rect(dc, rect->left, rect->top, rect->right, rect->bottom)),
                    color);
        return TRUE;
    });
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brush) noexcept
{
    if (rect == nullptr) return 0;
    COLORREF color = 0;
    if (!brush_color(brush, &color)) return 0;
    return with_canvas(handle, [&](Dc& dc, Canvas& canvas) {
        const RECT r = normalized(device_rect(dc, rect->left, rect->top, rect->right, rect->bottom));
        if (r.right <= r.left || r.bottom <= r.top) return TRUE;
        // One logical unit wide, at least a pixel.
        const int bx = std::max(1, round_gdi(std::abs(dc.state.mapping.scale_x())));
        const int by = std::max(1, round_gdi(std::abs(dc.state.mapping.scale_y())));
        canvas.fill(RECT{r.left, r.top, r.right, r.top + by}, color);
        canvas.fill(RECT{r.left, r.bottom - by, r.right, r.bottom}, color);
        canvas.fill(RECT{r.left, r.top, r.left + bx, r.bottom}, color);
        canvas.fill(RECT{r.right - bx, r.top, r.right, r.bottom}, color);
        return TRUE;
    });
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) noexcept
{
    return with_canvas(handle, [&](Dc& dc, Canvas& canvas) {
        const RECT r = normalized(device_rect(dc, left, top, right, bottom));
        const Pen* pen = dc.state.pen;
        const bool outline = pen != nullptr && pen->style != PS_NULL;
        if (r.right - r.left < (outline ? 1 : 2) || r.bottom - r.top < (outline ? 1 : 2)) {
            return TRUE;
        }
        COLORREF fill = 0;
        const bool filled = dc.state.brush != nullptr && !dc.state.brush->hollow &&
                            brush_color(reinterpret_cast<HBRUSH>(static_cast<Object*>(dc.state.brush)), &fill);
        if (!outline) {
            // Without an outline the filled area is one pixel smaller both ways.
            if (filled) canvas.fill(RECT{r.left, r.top, r.right - 1, r.bottom - 1}, fill);
            return TRUE;
        }
        const int w = pen_width(dc, *pen);
        if (filled) canvas.fill(RECT{r.left + w, r.top + w, r.right - w, r.bottom - w}, fill);
        canvas.fill(RECT{r.left, r.top, r.right, std::min(r.top + w, r.bottom)}, pen->color);
        canvas.fill(RECT{r.left, std::max(r.bottom - w, r.top), r.right, r.bottom}, pen->color);
        canvas.fill(RECT{r.left, r.top, std::min(r.left + w, r.right), r.bottom}, pen->color);
        canvas.fill(RECT{std::max(r.right - w, r.left), r.top, r.right, r.bottom}, pen->color);
        return TRUE;
    });
}

BOOL MoveToEx(HDC handle, int x, int y, LPPOINT old) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return FALSE;
    if (old != nullptr) *old = dc->state.position;
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC handle, int x, int y) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return FALSE;
    const POINT from_logical = dc->state.position;
    dc->state.position = POINT{x, y};
    return with_canvas(handle, [&](Dc& d, Canvas& canvas) {
        const Pen* pen = d.state.pen;
        if (pen == nullptr || pen->style == PS_NULL) return TRUE;
        const POINT a = to_device(d.state.mapping, from_logical);
        const POINT b = to_device(d.state.mapping, POINT{x, y});
        const int w = pen_width(d, *pen);
        const std::uint32_t color = canvas.pixel(pen->color);
        auto plot = [&](int px, int py) {
            for (int dy = 0; dy < w; ++dy) {
                for (int dx = 0; dx < w; ++dx) {
                    const int qx = px - w / 2 + dx, qy = py - w / 2 + dy;
                    if (canvas.inside(qx, qy)) canvas.at(qx, qy) = color;
                }
            }
        };
        // Bresenham, stopping before the end point as GDI does.
        const std::int64_t dx = std::abs(std::int64_t{b.x} - a.x), sx = a.x < b.x ? 1 : -1;
        const std::int64_t dy = -std::abs(std::int64_t{b.y} - a.y), sy = a.y < b.y ? 1 : -1;
        std::int64_t err = dx + dy;
        std::int64_t px = a.x, py = a.y;
        const std::int64_t limit = std::max(dx, -dy);
        for (std::int64_t step = 0; step < limit; ++step) {
            if (px >= canvas.clip.left - w && px < canvas.clip.right + w &&
                py >= canvas.clip.top - w && py < canvas.clip.bottom + w) {
                plot(static_cast<int>(px), static_cast<int>(py));
            }
            const std::int64_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                px += sx;
            }
            if (e2 <= dx) {
                err += dx;
                py += sy;
            }
        }
        return TRUE;
    });
}

int SetStretchBltMode(HDC handle, int mode) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    const int old = dc->state.stretch_mode;
    dc->state.stretch_mode = mode;
    return old;
}

BOOL StretchBlt(HDC dst_handle, int x, int y, int cx, int cy, HDC src_handle, int x_src, int y_src,
                int cx_src, int cy_src, DWORD rop) noexcept
{
    std::uint32_t probe = 0;
    if (!apply_rop(rop, 0, 0, probe)) return FALSE;
    const bool uses_source = rop_uses_source(rop);
    Dc* src = uses_source ? find_dc(src_handle) : nullptr;
    if (uses_source && src == nullptr) return FALSE;
    Canvas from;
    std::vector<std::uint32_t> copy;
    BlitArea sa{RECT{0, 0, 1, 1}, false, false};
    if (uses_source) {
        if (!open_canvas(*src, from)) return FALSE;
        sa = blit_area(device_rect(*src, x_src, y_src, x_src + cx_src, y_src + cy_src));
        // Read the source first: it may be the destination.
        const RECT n = sa.rect;
        const int w = n.right - n.left, h = n.bottom - n.top;
        if (w <= 0 || h <= 0) return TRUE;
        try {
            copy.resize(static_cast<std::size_t>(w) * h, 0);
        } catch (...) {
            return FALSE;
        }
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                const int px = n.left + i, py = n.top + j;
                if (px >= 0 && py >= 0 && px < from.width && py < from.height) {
                    copy[static_cast<std::size_t>(j) * w + i] = from.at(px, py);
                }
            }
        }
    }
    return with_canvas(dst_handle, [&](Dc& dst, Canvas& canvas) {
        const BlitArea da = blit_area(device_rect(dst, x, y, x + cx, y + cy));
        const int sw = sa.rect.right - sa.rect.left, sh = sa.rect.bottom - sa.rect.top;
        // Opposite directions of source and destination mirror the picture.
        const bool mirror_x = sa.reversed_x != da.reversed_x;
        const bool mirror_y = sa.reversed_y != da.reversed_y;
        COLORREF brush = 0;
        const bool has_brush = dst.state.brush != nullptr && !dst.state.brush->hollow;
        if (has_brush) brush = dst.state.brush->color;
        const std::uint32_t pattern = canvas.pixel(brush);
        const bool mono_to_color = uses_source && from.mono && !canvas.mono;
        const bool color_to_mono = uses_source && !from.mono && canvas.mono;
        const std::uint32_t fore = canvas.pixel(dst.state.text_color);
        const std::uint32_t back = canvas.pixel(dst.state.bk_color);
        const std::uint32_t src_back = uses_source ? to_pixel(src->state.bk_color) : 0;
        stretch(canvas, da.rect, mirror_x, mirror_y, sw, sh, [&](int sx, int sy, std::uint32_t& d) {
            std::uint32_t s = uses_source ? copy[static_cast<std::size_t>(sy) * sw + sx] : 0;
            // Monochrome white is the background colour, black the text colour; a colour
            // pixel equal to the source's background becomes white.
            if (mono_to_color) s = s != 0 ? back : fore;
            if (color_to_mono) s = s == src_back ? 0xFFFFFFu : 0u;
            apply_rop(rop, s, pattern, d);
            if (canvas.mono) d = d != 0 ? 0xFFFFFFu : 0u;
        });
        return TRUE;
    });
}

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x_src, int y_src,
            DWORD rop) noexcept
{
    // The source rectangle spans the same logical size in the source's own mapping.
    return StretchBlt(dst, x, y, cx, cy, src, x_src, y_src, cx, cy, rop);
}

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

BOOL SaveBitmapPng(HBITMAP handle, const char* path) noexcept
{
    Bitmap* bitmap = find<Bitmap>(handle, Kind::bitmap);
    if (bitmap == nullptr || bitmap->surface == nullptr || path == nullptr) return FALSE;
    cairo_surface_flush(bitmap->surface);
    return cairo_surface_write_to_png(bitmap->surface, path) == CAIRO_STATUS_SUCCESS ? TRUE : FALSE;
}
