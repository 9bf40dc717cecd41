// Pixels, rectangles and lines on memory DCs, set directly with GDI's pixel rules: right and
// bottom edges excluded, a line without its last point; and the system colours brushes use.
//
// Approximations: pens other than PS_NULL draw solid; a pen wider than a pixel draws its width
// inside a rectangle's edge and as squares along a line.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/gdi/canvas.h"

namespace gdi {
namespace {

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
