// Bitmap resources; see resources.h. The bytes come from the module itself, but are still
// checked like a file: every size and offset before it is used.
#include "platform/gdi/resources.h"

#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/com/last_error.h"

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

std::uint32_t u32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t u16(const BYTE* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// A DIB as a 24-bit top-down copy, or null.
HBITMAP decode(const BYTE* data, DWORD size) noexcept
{
    if (size >= 14 && data[0] == 'B' && data[1] == 'M') {
        data += 14;
        size -= 14;
    }
    if (size < 40) return nullptr;
    const std::uint32_t header = u32(data);
    if (header < 40 || header > size) return nullptr;
    const std::int32_t width = static_cast<std::int32_t>(u32(data + 4));
    const std::int32_t raw_height = static_cast<std::int32_t>(u32(data + 8));
    const std::uint16_t bits = u16(data + 14);
    const std::uint32_t compression = u32(data + 16);
    std::uint32_t colours = u32(data + 32);
    if (compression != 0 || width <= 0 || raw_height == 0 || raw_height == INT32_MIN) return nullptr;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return nullptr;
    const bool top_down = raw_height < 0;
    const std::int64_t height = top_down ? -std::int64_t{raw_height} : raw_height;
    if (width > 16384 || height > 16384) return nullptr;
    if (bits <= 8 && colours == 0) colours = 1u << bits;
    if (bits > 8) colours = 0;
    if (colours > 256) return nullptr;
    const std::uint64_t palette_bytes = std::uint64_t{colours} * 4;
    const std::uint64_t stride = ((std::uint64_t(width) * bits + 31) / 32) * 4;
    if (header + palette_bytes + stride * height > size) return nullptr;
    const BYTE* palette = data + header;
    const BYTE* pixels = palette + palette_bytes;

    std::vector<BYTE> out;
    const std::size_t out_stride = ((static_cast<std::size_t>(width) * 24 + 15) / 16) * 2;
    try {
        out.assign(out_stride * static_cast<std::size_t>(height), 0);
    } catch (...) {
        return nullptr;
    }
    for (std::int64_t y = 0; y < height; ++y) {
        const BYTE* row = pixels + stride * static_cast<std::uint64_t>(top_down ? y : height - 1 - y);
        BYTE* dst = out.data() + out_stride * static_cast<std::size_t>(y);
        for (std::int32_t x = 0; x < width; ++x) {
            const BYTE* bgr = nullptr;
            if (bits >= 24) {
                bgr = row + static_cast<std::size_t>(x) * (bits / 8);
            } else {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index >= colours) return nullptr;
                bgr = palette + index * 4;
            }
            std::memcpy(dst + static_cast<std::size_t>(x) * 3, bgr, 3);
        }
    }
    return CreateBitmap(width, static_cast<int>(height), 1, 24, out.data());
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
