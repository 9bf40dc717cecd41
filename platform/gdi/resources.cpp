// Bitmap resources; see resources.h. The bytes come from the module itself, but are still
// checked like a file: every size and offset before it is used.
#include "platform/gdi/resources.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/com/last_error.h"
#include "platform/gdi/bmp_reader.h"

namespace {

struct resource {
    const BYTE* bytes;
    DWORD size;
};

std::mutex& lock()
{
    static std::mutex m;
    return m;
}
std::map<std::pair<HINSTANCE, UINT>, resource>& table()
{
    static std::map<std::pair<HINSTANCE, UINT>, resource> t;
    return t;
}

// A DIB as a 24-bit top-down copy, or null.
HBITMAP decode(const BYTE* data, DWORD size) noexcept
{
    if (size >= gdi::bmp::file_header_size && data[0] == 'B' && data[1] == 'M') {
        data += gdi::bmp::file_header_size;
        size -= gdi::bmp::file_header_size;
    }
    gdi::bmp::layout layout;
    if (FAILED(gdi::bmp::read_dib_layout(data, size, &layout))) return nullptr;
    gdi::bmp::image rgb;
    if (FAILED(gdi::bmp::decode(data, size, layout, gdi::bmp::past_palette::fails, &rgb, nullptr)))
        return nullptr;
    const auto width = static_cast<std::size_t>(rgb.width), height = static_cast<std::size_t>(rgb.height);
    const auto components = static_cast<std::size_t>(rgb.components);
    std::vector<BYTE> out;
    const std::size_t out_stride = ((width * 24 + 15) / 16) * 2;
    try {
        out.assign(out_stride * height, 0);
    } catch (...) {
        return nullptr;
    }
    for (std::size_t y = 0; y < height; ++y) {
        const BYTE* from = rgb.pixels.data() + y * width * components;
        BYTE* to = out.data() + out_stride * y;
        for (std::size_t x = 0; x < width; ++x, from += components, to += 3) {
            // Grey rows have one byte a pixel; the bitmap's are blue, green, red.
            to[0] = from[components == 3 ? 2 : 0];
            to[1] = from[components == 3 ? 1 : 0];
            to[2] = from[0];
        }
    }
    return CreateBitmap(static_cast<int>(width), static_cast<int>(height), 1, 24, out.data());
}

}  // namespace

BOOL RegisterBitmapResource(HINSTANCE module, UINT id, const BYTE* bytes, DWORD size) noexcept
{
    if (!module || !bytes) return FALSE;
    try {
        std::lock_guard<std::mutex> guard(lock());
        table()[{module, id}] = resource{bytes, size};
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

void* LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int, int, UINT) noexcept
{
    if (type != IMAGE_BITMAP) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    const auto value = reinterpret_cast<std::uintptr_t>(name);
    resource found{nullptr, 0};
    if (value <= 0xFFFF) {
        try {
            std::lock_guard<std::mutex> guard(lock());
            auto it = table().find({module, static_cast<UINT>(value)});
            if (it != table().end()) found = it->second;
        } catch (...) {
        }
    }
    if (!found.bytes) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    HBITMAP bitmap = decode(found.bytes, found.size);
    if (!bitmap) SetLastError(ERROR_INVALID_DATA);
    return bitmap;
}

HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) noexcept
{
    return static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}
