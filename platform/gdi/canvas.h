// Pixel access to what a memory DC paints on, shared by the drawing calls (shapes, bitmaps,
// text output) and image lists.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/gdi/objects.h"

namespace gdi {

// The selected bitmap's pixels (0x00RRGGBB, cairo's RGB24) with the DC's clip in device pixels.
// Changes must end with `done()`, which tells cairo the pixels changed.
struct Canvas {
    std::uint32_t* pixels = nullptr;
    int stride = 0;  // in pixels
    int width = 0;
    int height = 0;
    bool mono = false;
    RECT clip{};
    _cairo_surface* surface = nullptr;

    std::uint32_t& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * stride + x]; }
    bool inside(int x, int y) const
    {
        return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
    }
    // A colour as stored, reduced to black or white on a monochrome bitmap.
    std::uint32_t pixel(COLORREF color) const;
    void fill(RECT device, COLORREF color) const;
    void done() const;
};

// False for a DC without pixels (an information context, the screen, the stock bitmap).
bool open_canvas(Dc& dc, Canvas& canvas) noexcept;

std::uint32_t to_pixel(COLORREF color) noexcept;
COLORREF to_colorref(std::uint32_t pixel) noexcept;

// The device rectangle of a logical one, corners mapped; left > right means mirrored.
RECT device_rect(const Dc& dc, int left, int top, int right, int bottom) noexcept;

// A blit rectangle as GDI normalises it: a reversed side covers the pixels from the far edge
// plus one up to the near edge plus one, so (3, -1) covers 0..3 as (0, 4) does.
struct BlitArea {
    RECT rect;
    bool reversed_x;
    bool reversed_y;
};
BlitArea blit_area(RECT device) noexcept;

// A rectangle with its corners ordered, left <= right and top <= bottom.
RECT normalized(RECT r) noexcept;

// Calls `paint(sx, sy, dst)` for every destination pixel of `to` inside the clip, with (sx, sy)
// the nearest pixel of a `src_w` x `src_h` source stretched over it, mirrored on an axis where
// `mirror_x` or `mirror_y` says.
void stretch(const Canvas& canvas, RECT to, bool mirror_x, bool mirror_y, int src_w, int src_h,
             const std::function<void(int, int, std::uint32_t&)>& paint);

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

}  // namespace gdi
