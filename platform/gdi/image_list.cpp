// Image lists: every image is kept as its own cx x cy block of pixels with a mask (1 where the
// image is transparent), which is all that drawing needs; the row-of-images bitmap Windows
// keeps is not reproduced.
#include <cairo.h>

#include <new>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/gdi/commctrl.h"

namespace gdi {
namespace {

struct ImageList final : Object {
    ImageList() noexcept : Object(Kind::image_list) {}
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    COLORREF background = CLR_NONE;
    std::vector<std::vector<std::uint32_t>> images;
    std::vector<std::vector<BYTE>> masks;
};

ImageList* find_list(HIMAGELIST handle)
{
    return find<ImageList>(handle, Kind::image_list);
}

// Pixels of a bitmap, read without a DC.
struct Pixels {
    std::uint32_t* data = nullptr;
    int stride = 0;
    int width = 0;
    int height = 0;
    _cairo_surface* surface = nullptr;
};

bool read_bitmap(HBITMAP handle, Pixels& out)
{
    Bitmap* bitmap = find<Bitmap>(handle, Kind::bitmap);
    if (bitmap == nullptr || bitmap->surface == nullptr) return false;
    cairo_surface_flush(bitmap->surface);
    out.surface = bitmap->surface;
    out.data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(bitmap->surface));
    out.stride = cairo_image_surface_get_stride(bitmap->surface) / 4;
    out.width = bitmap->width;
    out.height = bitmap->height;
    return out.data != nullptr;
}


// Appends width / cx images; `mask_of(x, y, pixel)` says which pixels are transparent.
template <typename F>
int append(ImageList& list, const Pixels& image, F&& mask_of)
{
    const int n = image.width / list.cx;
    if (n <= 0) return -1;
    const int first = static_cast<int>(list.images.size());
    try {
        for (int k = 0; k < n; ++k) {
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(list.cx) * list.cy, 0);
            std::vector<BYTE> mask(pixels.size(), 0);
            for (int y = 0; y < list.cy && y < image.height; ++y) {
                for (int x = 0; x < list.cx; ++x) {
                    const int sx = k * list.cx + x;
                    const std::uint32_t p = image.data[static_cast<std::size_t>(y) * image.stride + sx];
                    const std::size_t i = static_cast<std::size_t>(y) * list.cx + x;
                    mask[i] = (list.flags & ILC_MASK) && mask_of(sx, y, p) ? 1 : 0;
                    pixels[i] = mask[i] ? 0 : p;
                }
            }
            list.images.push_back(std::move(pixels));
            list.masks.push_back(std::move(mask));
        }
    } catch (...) {
        list.images.resize(static_cast<std::size_t>(first));
        list.masks.resize(static_cast<std::size_t>(first));
        return -1;
    }
    return first;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) noexcept
{
    if (cx <= 0 || cy <= 0) return nullptr;
    auto list = std::unique_ptr<ImageList>(new (std::nothrow) ImageList);
    if (!list) return nullptr;
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    return static_cast<HIMAGELIST>(add_object(std::move(list)));
}

BOOL ImageList_Destroy(HIMAGELIST handle) noexcept
{
    return find_list(handle) != nullptr && remove_object(handle) ? TRUE : FALSE;
}

int ImageList_GetImageCount(HIMAGELIST handle) noexcept
{
    const ImageList* list = find_list(handle);
    return list != nullptr ? static_cast<int>(list->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy) noexcept
{
    const ImageList* list = find_list(handle);
    if (list == nullptr || cx == nullptr || cy == nullptr) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF color) noexcept
{
    ImageList* list = find_list(handle);
    if (list == nullptr) return CLR_NONE;
    const COLORREF old = list->background;
    list->background = color;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle) noexcept
{
    const ImageList* list = find_list(handle);
    return list != nullptr ? list->background : CLR_NONE;
}

int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask) noexcept
{
    ImageList* list = find_list(handle);
    Pixels pixels, mask_pixels;
    if (list == nullptr || !read_bitmap(image, pixels)) return -1;
    const bool has_mask = mask != nullptr && read_bitmap(mask, mask_pixels);
    return append(*list, pixels, [&](int x, int y, std::uint32_t) {
        return has_mask && x < mask_pixels.width && y < mask_pixels.height &&
               mask_pixels.data[static_cast<std::size_t>(y) * mask_pixels.stride + x] != 0;
    });
}

int ImageList_AddMasked(HIMAGELIST handle, HBITMAP image, COLORREF key) noexcept
{
    ImageList* list = find_list(handle);
    Pixels pixels;
    if (list == nullptr || !read_bitmap(image, pixels)) return -1;
    const std::uint32_t key_pixel = key == CLR_DEFAULT ? pixels.data[0] : to_pixel(key);
    const int first = append(*list, pixels, [&](int, int, std::uint32_t p) { return p == key_pixel; });
    const Bitmap* bitmap = find<Bitmap>(image, Kind::bitmap);
    if (first >= 0 && (list->flags & ILC_MASK) && bitmap->bits_per_pixel > 8) {
        for (int y = 0; y < pixels.height; ++y) {
            for (int x = 0; x < pixels.width; ++x) {
                std::uint32_t& p = pixels.data[static_cast<std::size_t>(y) * pixels.stride + x];
                if (p == key_pixel) p = 0;
            }
        }
        cairo_surface_mark_dirty(pixels.surface);
    }
    return first;
}

BOOL ImageList_Draw(HIMAGELIST handle, int index, HDC dc_handle, int x, int y, UINT style) noexcept
{
    const ImageList* list = find_list(handle);
    Dc* dc = find_dc(dc_handle);
    if (list == nullptr || dc == nullptr || index < 0 ||
        index >= static_cast<int>(list->images.size())) {
        return FALSE;
    }
    Canvas canvas;
    if (!open_canvas(*dc, canvas)) return dc->memory || dc->screen ? TRUE : FALSE;
    const auto& image = list->images[static_cast<std::size_t>(index)];
    const auto& mask = list->masks[static_cast<std::size_t>(index)];
    const bool masked = (list->flags & ILC_MASK) != 0;
    // A list without a background colour always draws transparently.
    const bool transparent = (style & ILD_TRANSPARENT) || list->background == CLR_NONE;
    const std::uint32_t background = canvas.pixel(list->background);
    const BlitArea to = blit_area(device_rect(*dc, x, y, x + list->cx, y + list->cy));
    stretch(canvas, to.rect, to.reversed_x, to.reversed_y, list->cx, list->cy, [&](int sx, int sy, std::uint32_t& d) {
        const std::size_t i = static_cast<std::size_t>(sy) * list->cx + sx;
        if (style & ILD_MASK) {
            d = masked && mask[i] ? 0xFFFFFFu : 0u;
        } else if (masked && mask[i]) {
            if (!transparent) d = background;
        } else {
            d = image[i];
        }
    });
    canvas.done();
    return TRUE;
}
