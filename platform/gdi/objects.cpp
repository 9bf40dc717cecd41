// The handle table, stock objects and the calls common to every object kind.
#include "platform/gdi/objects.h"

#include <cairo.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace gdi {
namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<const void*, std::unique_ptr<Object>> live;
};

HandleTable& table()
{
    static HandleTable instance;
    return instance;
}

template <typename T>
T* make_stock()
{
    auto object = std::unique_ptr<T>(new (std::nothrow) T);
    if (!object) return nullptr;
    object->stock = true;
    T* raw = object.get();
    return add_object(std::move(object)) != nullptr ? raw : nullptr;
}

LOGFONTA stock_logfont(LONG height, LONG weight, const char* face)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = ANSI_CHARSET;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

struct Stock {
    Brush* brushes[6]{};
    Pen* pens[3]{};
    Font* fonts[8]{};  // indexes 10..17
    Bitmap* bitmap = nullptr;

    Stock()
    {
        static const COLORREF brush_colors[5] = {RGB(255, 255, 255), RGB(192, 192, 192),
                                                 RGB(128, 128, 128), RGB(64, 64, 64),
                                                 RGB(0, 0, 0)};
        for (int i = 0; i < 6; ++i) {
            brushes[i] = make_stock<Brush>();
        }
        for (int i = 0; i < 6; ++i) {
            if (brushes[i] == nullptr) continue;
            if (i == NULL_BRUSH) {
                brushes[i]->hollow = true;
            } else {
                brushes[i]->color = brush_colors[i];
            }
        }
        for (int i = 0; i < 3; ++i) {
            pens[i] = make_stock<Pen>();
            if (pens[i] == nullptr) continue;
            pens[i]->color = i == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0);
            pens[i]->style = i == 2 ? PS_NULL : PS_SOLID;
        }
        const LOGFONTA logfonts[8] = {
            stock_logfont(12, FW_NORMAL, "Courier New"),    // OEM_FIXED_FONT
            stock_logfont(12, FW_NORMAL, "Courier New"),    // ANSI_FIXED_FONT
            stock_logfont(12, FW_NORMAL, "MS Sans Serif"),  // ANSI_VAR_FONT
            stock_logfont(16, FW_BOLD, "System"),           // SYSTEM_FONT
            stock_logfont(16, FW_BOLD, "System"),           // DEVICE_DEFAULT_FONT
            stock_logfont(0, 0, ""),                        // 15 is the palette
            stock_logfont(16, FW_NORMAL, "Courier New"),    // SYSTEM_FIXED_FONT
            stock_logfont(-11, FW_NORMAL, "MS Shell Dlg"),  // DEFAULT_GUI_FONT
        };
        for (int i = 0; i < 8; ++i) {
            if (i == 5) continue;
            fonts[i] = make_stock<Font>();
            if (fonts[i] != nullptr) fonts[i]->logfont = logfonts[i];
        }
        bitmap = make_stock<Bitmap>();
    }
};

Stock& stock()
{
    static Stock instance;
    return instance;
}

}  // namespace

Bitmap::~Bitmap()
{
    if (surface != nullptr) cairo_surface_destroy(surface);
}

void* add_object(std::unique_ptr<Object> object) noexcept
{
    if (!object) return nullptr;
    try {
        HandleTable& t = table();
        std::lock_guard guard(t.lock);
        void* handle = object.get();
        t.live.emplace(handle, std::move(object));
        return handle;
    } catch (...) {
        return nullptr;
    }
}

Object* find_object(const void* handle) noexcept
{
    if (handle == nullptr) return nullptr;
    HandleTable& t = table();
    std::lock_guard guard(t.lock);
    auto it = t.live.find(handle);
    return it != t.live.end() ? it->second.get() : nullptr;
}

bool remove_object(const void* handle) noexcept
{
    std::unique_ptr<Object> doomed;
    {
        HandleTable& t = table();
        std::lock_guard guard(t.lock);
        auto it = t.live.find(handle);
        if (it == t.live.end()) return false;
        doomed = std::move(it->second);
        t.live.erase(it);
    }
    return true;
}

void hold(Object* object) noexcept
{
    if (object != nullptr) ++object->selected;
}

void release(Object* object) noexcept
{
    if (object == nullptr) return;
    if (--object->selected <= 0 && object->delete_pending && !object->stock) {
        remove_object(object);
    }
}

void hold_state(const DcState& state) noexcept
{
    hold(state.font);
    hold(state.brush);
    hold(state.pen);
    hold(state.bitmap);
}

void release_state(const DcState& state) noexcept
{
    release(state.font);
    release(state.brush);
    release(state.pen);
    release(state.bitmap);
}

Font* stock_font() noexcept { return stock().fonts[SYSTEM_FONT - OEM_FIXED_FONT]; }
Brush* stock_brush(int index) noexcept
{
    return index >= 0 && index < 6 ? stock().brushes[index] : nullptr;
}
Pen* stock_pen(int index) noexcept
{
    return index >= WHITE_PEN && index <= NULL_PEN ? stock().pens[index - WHITE_PEN] : nullptr;
}
Bitmap* stock_bitmap() noexcept { return stock().bitmap; }

int round_gdi(double value) noexcept
{
    const double r = std::floor(value + 0.5);
    if (!(r >= INT32_MIN)) return INT32_MIN;
    if (r > INT32_MAX) return INT32_MAX;
    return static_cast<int>(r);
}

}  // namespace gdi

using namespace gdi;

HGDIOBJ GetStockObject(int index) noexcept
{
    try {
        if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return stock_brush(index);
        if (index >= WHITE_PEN && index <= NULL_PEN) return stock_pen(index);
        if (index >= OEM_FIXED_FONT && index <= DEFAULT_GUI_FONT) {
            return stock().fonts[index - OEM_FIXED_FONT];
        }
    } catch (...) {
    }
    return nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) noexcept
{
    auto brush = std::unique_ptr<Brush>(new (std::nothrow) Brush);
    if (!brush) return nullptr;
    brush->color = color & 0x00FFFFFFu;
    return static_cast<HBRUSH>(add_object(std::move(brush)));
}

HPEN CreatePen(int style, int width, COLORREF color) noexcept
{
    if (style < PS_SOLID || style > PS_INSIDEFRAME) return nullptr;
    auto pen = std::unique_ptr<Pen>(new (std::nothrow) Pen);
    if (!pen) return nullptr;
    pen->style = style;
    pen->width = width < 1 ? 1 : width;  // 0 is the one-pixel cosmetic pen
    pen->color = color & 0x00FFFFFFu;
    return static_cast<HPEN>(add_object(std::move(pen)));
}

DWORD GetObjectType(HGDIOBJ handle) noexcept
{
    const Object* object = find_object(handle);
    if (object == nullptr) return 0;
    switch (object->kind) {
    case Kind::dc:
        return static_cast<const Dc*>(object)->memory ? OBJ_MEMDC : OBJ_DC;
    case Kind::font:
        return OBJ_FONT;
    case Kind::brush:
        return OBJ_BRUSH;
    case Kind::pen:
        return OBJ_PEN;
    case Kind::bitmap:
        return OBJ_BITMAP;
    case Kind::image_list:
        return 0;
    }
    return 0;
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return nullptr;
    switch (type) {
    case OBJ_FONT:
        return dc->state.font;
    case OBJ_BRUSH:
        return dc->state.brush;
    case OBJ_PEN:
        return dc->state.pen;
    case OBJ_BITMAP:
        return dc->state.bitmap;
    default:
        return nullptr;
    }
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object_handle) noexcept
{
    Dc* dc = find_dc(handle);
    Object* object = find_object(object_handle);
    if (dc == nullptr || object == nullptr) return nullptr;
    auto swap = [](auto*& slot, auto* incoming) -> HGDIOBJ {
        auto* old = slot;
        hold(incoming);
        slot = incoming;
        release(old);
        return old;
    };
    switch (object->kind) {
    case Kind::font:
        return swap(dc->state.font, static_cast<Font*>(object));
    case Kind::brush:
        return swap(dc->state.brush, static_cast<Brush*>(object));
    case Kind::pen:
        return swap(dc->state.pen, static_cast<Pen*>(object));
    case Kind::bitmap: {
        // Only a memory DC holds a bitmap, and a bitmap lives in one DC at a time.
        auto* bitmap = static_cast<Bitmap*>(object);
        if (!dc->memory) return nullptr;
        if (bitmap == dc->state.bitmap) return bitmap;
        if (!bitmap->stock && bitmap->selected > 0) return nullptr;
        return swap(dc->state.bitmap, bitmap);
    }
    default:
        return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ handle) noexcept
{
    Object* object = find_object(handle);
    if (object == nullptr || object->kind == Kind::dc || object->kind == Kind::image_list) {
        return FALSE;
    }
    if (object->stock) return TRUE;
    if (object->selected > 0) {
        object->delete_pending = true;
        return TRUE;
    }
    return remove_object(handle) ? TRUE : FALSE;
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) noexcept
{
    Object* object = find_object(handle);
    if (object == nullptr) return 0;
    if (object->kind == Kind::font) {
        const auto* font = static_cast<const Font*>(object);
        if (buffer == nullptr) return sizeof(LOGFONTA);
        const int n = size < static_cast<int>(sizeof(LOGFONTA)) ? size : sizeof(LOGFONTA);
        if (n <= 0) return 0;
        std::memcpy(buffer, &font->logfont, static_cast<std::size_t>(n));
        return n;
    }
    if (object->kind == Kind::bitmap) {
        const auto* bitmap = static_cast<const Bitmap*>(object);
        if (buffer == nullptr) return sizeof(BITMAP);
        if (size < static_cast<int>(sizeof(BITMAP))) return 0;
        BITMAP info{};
        info.bmWidth = bitmap->width;
        info.bmHeight = bitmap->height;
        info.bmPlanes = 1;
        info.bmBitsPixel = static_cast<WORD>(bitmap->bits_per_pixel);
        info.bmWidthBytes = ((bitmap->width * bitmap->bits_per_pixel + 15) / 16) * 2;
        std::memcpy(buffer, &info, sizeof info);
        return sizeof(BITMAP);
    }
    return 0;
}

std::uint64_t gdi::Font::next_serial() noexcept
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}
