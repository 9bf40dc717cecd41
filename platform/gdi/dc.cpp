// Device contexts: the "DISPLAY" information context, screen and memory contexts, their
// capabilities, saved states and the text attributes.
#include <cstring>
#include <new>

#include "platform/gdi/objects.h"

namespace gdi {
namespace {

// The one display this system has.
constexpr int screen_width = 1920;
constexpr int screen_height = 1080;
constexpr int screen_dpi = 96;

bool equal_no_case(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return *a == *b;
}

HDC new_dc(bool memory, bool screen) noexcept
{
    auto dc = std::unique_ptr<Dc>(new (std::nothrow) Dc);
    if (!dc) return nullptr;
    dc->memory = memory;
    dc->screen = screen;
    dc->state.font = stock_font();
    dc->state.brush = stock_brush(WHITE_BRUSH);
    dc->state.pen = stock_pen(BLACK_PEN);
    dc->state.bitmap = memory ? stock_bitmap() : nullptr;
    if (dc->state.font == nullptr || dc->state.brush == nullptr || dc->state.pen == nullptr) {
        return nullptr;
    }
    hold_state(dc->state);
    Dc* raw = dc.get();
    if (add_object(std::move(dc)) == nullptr) {
        release_state(raw->state);
        return nullptr;
    }
    return reinterpret_cast<HDC>(static_cast<Object*>(raw));
}

template <typename T, typename F>
T swap_attribute(HDC handle, T failure, F&& member, T value)
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return failure;
    T& slot = member(dc->state);
    const T old = slot;
    slot = value;
    return old;
}

}  // namespace

int device_width(const Dc& dc) noexcept
{
    return dc.memory && dc.state.bitmap != nullptr ? dc.state.bitmap->width : screen_width;
}

int device_height(const Dc& dc) noexcept
{
    return dc.memory && dc.state.bitmap != nullptr ? dc.state.bitmap->height : screen_height;
}

}  // namespace gdi

using namespace gdi;

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR, const void*) noexcept
{
    const char* name = driver != nullptr ? driver : device;
    if (name == nullptr) return nullptr;
    if (std::strncmp(name, "\\\\.\\", 4) == 0) name += 4;
    if (!equal_no_case(name, "DISPLAY") && !equal_no_case(name, "DISPLAY1")) return nullptr;
    return new_dc(false, false);
}

HDC CreateICA(LPCSTR driver, LPCSTR device, LPCSTR output, const void* init_data) noexcept
{
    return CreateDCA(driver, device, output, init_data);
}

HDC CreateCompatibleDC(HDC handle) noexcept
{
    if (handle != nullptr && find_dc(handle) == nullptr) return nullptr;
    return new_dc(true, false);
}

BOOL DeleteDC(HDC handle) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return FALSE;
    for (const DcState& saved : dc->saved) release_state(saved);
    release_state(dc->state);
    return remove_object(dc) ? TRUE : FALSE;
}

HDC GetDC(HWND window) noexcept
{
    if (window != nullptr) return nullptr;  // there are no windows
    return new_dc(false, true);
}

int ReleaseDC(HWND, HDC handle) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr || !dc->screen) return 0;
    return DeleteDC(handle) ? 1 : 0;
}

int GetDeviceCaps(HDC handle, int index) noexcept
{
    if (find_dc(handle) == nullptr) return 0;
    switch (index) {
    case DRIVERVERSION:
        return 0x4000;
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZSIZE:
        return MulDiv(screen_width, 254, screen_dpi * 10);
    case VERTSIZE:
        return MulDiv(screen_height, 254, screen_dpi * 10);
    case HORZRES:
        return screen_width;
    case VERTRES:
        return screen_height;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:
        return -1;
    case NUMFONTS:
        return 0;
    case ASPECTX:
    case ASPECTY:
        return 36;
    case ASPECTXY:
        return 51;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return screen_dpi;
    case SIZEPALETTE:
        return 0;
    default:
        return 0;
    }
}

int SaveDC(HDC handle) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return 0;
    try {
        dc->saved.push_back(dc->state);
    } catch (...) {
        return 0;
    }
    hold_state(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC handle, int level) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return FALSE;
    const int depth = static_cast<int>(dc->saved.size());
    const int target = level < 0 ? depth + level + 1 : level;
    if (level == 0 || target < 1 || target > depth) return FALSE;
    // The restored state's selections move into the current state; the states saved after it
    // are dropped.
    release_state(dc->state);
    dc->state = dc->saved[static_cast<std::size_t>(target - 1)];
    for (int i = target; i < depth; ++i) release_state(dc->saved[static_cast<std::size_t>(i)]);
    dc->saved.resize(static_cast<std::size_t>(target - 1));
    return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF color) noexcept
{
    return swap_attribute<COLORREF>(
        dc, CLR_INVALID, [](DcState& s) -> COLORREF& { return s.text_color; }, color);
}

COLORREF GetTextColor(HDC handle) noexcept
{
    const Dc* dc = find_dc(handle);
    return dc != nullptr ? dc->state.text_color : CLR_INVALID;
}

COLORREF SetBkColor(HDC dc, COLORREF color) noexcept
{
    return swap_attribute<COLORREF>(
        dc, CLR_INVALID, [](DcState& s) -> COLORREF& { return s.bk_color; }, color);
}

COLORREF GetBkColor(HDC handle) noexcept
{
    const Dc* dc = find_dc(handle);
    return dc != nullptr ? dc->state.bk_color : CLR_INVALID;
}

int SetBkMode(HDC dc, int mode) noexcept
{
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return swap_attribute<int>(dc, 0, [](DcState& s) -> int& { return s.bk_mode; }, mode);
}

int GetBkMode(HDC handle) noexcept
{
    const Dc* dc = find_dc(handle);
    return dc != nullptr ? dc->state.bk_mode : 0;
}

UINT SetTextAlign(HDC dc, UINT align) noexcept
{
    return swap_attribute<UINT>(dc, GDI_ERROR, [](DcState& s) -> UINT& { return s.text_align; },
                                align);
}

UINT GetTextAlign(HDC handle) noexcept
{
    const Dc* dc = find_dc(handle);
    return dc != nullptr ? dc->state.text_align : GDI_ERROR;
}
