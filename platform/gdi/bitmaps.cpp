// Bitmaps and blits: creating bitmaps, GDI's raster operations, copying and stretching between
// DCs (monochrome to colour through the text and background colours), and saving as PNG.
//
// Approximation: stretching samples the nearest pixel whatever the stretch mode.
#include <cairo.h>

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "platform/gdi/canvas.h"

namespace gdi {
namespace {

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

BOOL SaveBitmapPng(HBITMAP handle, const char* path) noexcept
{
    Bitmap* bitmap = find<Bitmap>(handle, Kind::bitmap);
    if (bitmap == nullptr || bitmap->surface == nullptr || path == nullptr) return FALSE;
    cairo_surface_flush(bitmap->surface);
    return cairo_surface_write_to_png(bitmap->surface, path) == CAIRO_STATUS_SUCCESS ? TRUE : FALSE;
}
