// Pixel access to a memory DC's bitmap (see canvas.h): colour conversion, the DC's clip in
// device pixels, GDI's blit rectangles and nearest-pixel stretching.
#include "platform/gdi/canvas.h"

#include <cairo.h>

#include <algorithm>

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

RECT normalized(RECT r) noexcept
{
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

}  // namespace gdi
