// GDI objects behind the handles: the kinds, the device context state, and the table of live
// handles that lets every call reject a stale or foreign handle.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/gdi.h"

struct _cairo_surface;

namespace gdi {

class SizedFont;
struct Face;
struct DcState;

enum class Kind : BYTE { dc, font, brush, pen, bitmap, image_list };

struct Object {
    explicit Object(Kind k) noexcept : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
    int selected = 0;             // how many DC states (current or saved) hold it
    bool delete_pending = false;  // DeleteObject while selected: freed when released
};

// Selection bookkeeping: an object deleted while selected lives until its last DC lets go.
void hold(Object* object) noexcept;
void release(Object* object) noexcept;
void hold_state(const DcState& state) noexcept;
void release_state(const DcState& state) noexcept;

struct Font final : Object {
    Font() noexcept : Object(Kind::font) {}
    LOGFONTA logfont{};
    const Face* face = nullptr;  // resolved on first use
    std::uint64_t serial = next_serial();  // never reused, unlike the address

    static std::uint64_t next_serial() noexcept;
};

struct Brush final : Object {
    Brush() noexcept : Object(Kind::brush) {}
    COLORREF color = 0;
    bool hollow = false;
};

struct Pen final : Object {
    Pen() noexcept : Object(Kind::pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

// A 32-bit top-down BGRX bitmap (cairo's RGB24 layout), or the 1x1 monochrome stock bitmap
// a new memory DC holds.
struct Bitmap final : Object {
    Bitmap() noexcept : Object(Kind::bitmap) {}
    ~Bitmap() override;
    int width = 1;
    int height = 1;
    int bits_per_pixel = 1;
    _cairo_surface* surface = nullptr;  // owned; null for the monochrome stock bitmap
    int selected_into = 0;              // number of DCs that hold it
};

// Window-to-viewport mapping, kept as GDI keeps it: integer extents and origins.
struct Mapping {
    int mode = MM_TEXT;
    POINT window_org{0, 0};
    SIZE window_ext{1, 1};
    POINT viewport_org{0, 0};
    SIZE viewport_ext{1, 1};

    double scale_x() const noexcept
    {
        return static_cast<double>(viewport_ext.cx) / window_ext.cx;
    }
    double scale_y() const noexcept
    {
        return static_cast<double>(viewport_ext.cy) / window_ext.cy;
    }
};

struct DcState {
    Mapping mapping;
    Font* font = nullptr;
    Brush* brush = nullptr;
    Pen* pen = nullptr;
    Bitmap* bitmap = nullptr;
    COLORREF text_color = RGB(0, 0, 0);
    COLORREF bk_color = RGB(255, 255, 255);
    int bk_mode = OPAQUE;
    UINT text_align = TA_LEFT | TA_TOP | TA_NOUPDATECP;
    int stretch_mode = BLACKONWHITE;
    POINT position{0, 0};
    std::optional<RECT> clip;  // device pixels, right and bottom excluded
};

struct Dc final : Object {
    Dc() noexcept : Object(Kind::dc) {}
    bool memory = false;  // a memory DC paints on its selected bitmap; others paint nowhere
    bool screen = false;  // GetDC(NULL)
    DcState state;
    std::vector<DcState> saved;

    // The last realisation of the selected font, reused while the font and the vertical
    // scale stay the same.
    std::uint64_t realised_font = 0;
    LONG realised_height = 0;
    std::shared_ptr<const SizedFont> realised;
};

// Handle table. `add` takes ownership; `find` returns null for a handle that is not live or not
// of the kind asked for.
void* add_object(std::unique_ptr<Object> object) noexcept;
Object* find_object(const void* handle) noexcept;
bool remove_object(const void* handle) noexcept;

template <typename T>
T* find(const void* handle, Kind kind) noexcept
{
    Object* object = find_object(handle);
    return object != nullptr && object->kind == kind ? static_cast<T*>(object) : nullptr;
}
inline Dc* find_dc(HDC dc) noexcept { return find<Dc>(dc, Kind::dc); }

Font* stock_font() noexcept;
Brush* stock_brush(int index) noexcept;
Pen* stock_pen(int index) noexcept;
Bitmap* stock_bitmap() noexcept;

// The size of what a DC paints on: its bitmap, or the display.
int device_width(const Dc& dc) noexcept;
int device_height(const Dc& dc) noexcept;

// Logical to device and back with GDI's rounding, floor(v + 0.5).
int round_gdi(double value) noexcept;
POINT to_device(const Mapping& mapping, POINT logical) noexcept;
POINT to_logical(const Mapping& mapping, POINT device) noexcept;

}  // namespace gdi
