// Mapping modes and clipping with GDI's integer extents and rounding, and MulDiv.
//
// The window-to-viewport scale is viewport extent / window extent per axis; a point maps to
// floor(x * scale + dx + 0.5) with dx = viewport origin - scale * window origin. Going back uses
// window extent / viewport extent directly rather than inverting the forward scale.
#include <algorithm>
#include <cstdlib>

#include "platform/gdi/objects.h"

namespace gdi {

POINT to_device(const Mapping& m, POINT p) noexcept
{
    const double sx = m.scale_x(), sy = m.scale_y();
    return POINT{round_gdi(p.x * sx + (m.viewport_org.x - sx * m.window_org.x)),
                 round_gdi(p.y * sy + (m.viewport_org.y - sy * m.window_org.y))};
}

POINT to_logical(const Mapping& m, POINT p) noexcept
{
    const double ix = static_cast<double>(m.window_ext.cx) / m.viewport_ext.cx;
    const double iy = static_cast<double>(m.window_ext.cy) / m.viewport_ext.cy;
    return POINT{round_gdi((p.x - m.viewport_org.x) * ix + m.window_org.x),
                 round_gdi((p.y - m.viewport_org.y) * iy + m.window_org.y)};
}

namespace {

bool scalable(const Mapping& m)
{
    return m.mode == MM_ISOTROPIC || m.mode == MM_ANISOTROPIC;
}

// Isotropic mode keeps one unit the same size on both axes by shrinking the viewport extent of
// the longer axis.
void fix_isotropic(Mapping& m)
{
    if (m.mode != MM_ISOTROPIC) return;
    const double xdim = std::abs(static_cast<double>(m.viewport_ext.cx) / m.window_ext.cx);
    const double ydim = std::abs(static_cast<double>(m.viewport_ext.cy) / m.window_ext.cy);
    if (xdim > ydim) {
        const int min = m.viewport_ext.cx >= 0 ? 1 : -1;
        m.viewport_ext.cx = round_gdi(m.viewport_ext.cx * (ydim / xdim));
        if (m.viewport_ext.cx == 0) m.viewport_ext.cx = min;
    } else if (ydim > xdim) {
        const int min = m.viewport_ext.cy >= 0 ? 1 : -1;
        m.viewport_ext.cy = round_gdi(m.viewport_ext.cy * (xdim / ydim));
        if (m.viewport_ext.cy == 0) m.viewport_ext.cy = min;
    }
}

LONG scaled_extent(LONG ext, int num, int denom)
{
    const std::int64_t v = static_cast<std::int64_t>(ext) * num / denom;  // truncates, as C does
    const LONG clamped = static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    return clamped == 0 ? 1 : clamped;
}

template <typename F>
BOOL change_mapping(HDC handle, F&& change)
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return FALSE;
    return change(dc->state.mapping) ? TRUE : FALSE;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

INT MulDiv(INT number, INT numerator, INT denominator) noexcept
{
    if (denominator == 0) return -1;
    std::int64_t a = number;
    std::int64_t d = denominator;
    if (d < 0) {
        a = -a;
        d = -d;
    }
    const std::int64_t product = a * numerator;
    // Round half away from zero: add half the divisor in the direction of the result.
    const std::int64_t result = product >= 0 ? (product + d / 2) / d : (product - d / 2) / d;
    if (result > INT32_MAX || result < -INT32_MAX) return -1;
    return static_cast<INT>(result);
}

int SetMapMode(HDC handle, int mode) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
    Mapping& m = dc->state.mapping;
    const int old = m.mode;
    if (mode == old && scalable(m)) return old;
    // The metric modes are fixed scales over the display's size in millimetres.
    const int size_x = GetDeviceCaps(handle, HORZSIZE), size_y = GetDeviceCaps(handle, VERTSIZE);
    const int res_x = GetDeviceCaps(handle, HORZRES), res_y = GetDeviceCaps(handle, VERTRES);
    auto metric = [&](int per_mm_x10, int divisor) {
        m.window_ext = SIZE{MulDiv(per_mm_x10, size_x, divisor), MulDiv(per_mm_x10, size_y, divisor)};
        m.viewport_ext = SIZE{res_x, -res_y};
    };
    switch (mode) {
    case MM_TEXT:
        m.window_ext = SIZE{1, 1};
        m.viewport_ext = SIZE{1, 1};
        break;
    case MM_LOMETRIC:
        metric(10, 1);
        break;
    case MM_HIMETRIC:
        metric(100, 1);
        break;
    case MM_LOENGLISH:
        metric(1000, 254);
        break;
    case MM_HIENGLISH:
        metric(10000, 254);
        break;
    case MM_TWIPS:
        metric(14400, 254);
        break;
    case MM_ISOTROPIC:
        // Entering isotropic mode from a fixed mode starts from the metric scale.
        if (old != MM_ANISOTROPIC) metric(10, 1);
        m.mode = mode;
        fix_isotropic(m);
        return old;
    default:
        break;
    }
    m.mode = mode;
    return old;
}

int GetMapMode(HDC handle) noexcept
{
    const Dc* dc = find_dc(handle);
    return dc != nullptr ? dc->state.mapping.mode : 0;
}

BOOL SetWindowExtEx(HDC handle, int x, int y, LPSIZE old) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (old != nullptr) *old = m.window_ext;
        if (!scalable(m)) return true;
        if (x == 0 || y == 0) return false;
        m.window_ext = SIZE{x, y};
        fix_isotropic(m);
        return true;
    });
}

BOOL GetWindowExtEx(HDC handle, LPSIZE size) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (size == nullptr) return false;
        *size = m.window_ext;
        return true;
    });
}

BOOL ScaleWindowExtEx(HDC handle, int x_num, int x_denom, int y_num, int y_denom,
                      LPSIZE old) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (old != nullptr) *old = m.window_ext;
        if (!scalable(m)) return true;
        if (x_num == 0 || x_denom == 0 || y_num == 0 || y_denom == 0) return false;
        m.window_ext = SIZE{scaled_extent(m.window_ext.cx, x_num, x_denom),
                            scaled_extent(m.window_ext.cy, y_num, y_denom)};
        fix_isotropic(m);
        return true;
    });
}

BOOL SetViewportExtEx(HDC handle, int x, int y, LPSIZE old) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (old != nullptr) *old = m.viewport_ext;
        if (!scalable(m)) return true;
        if (x == 0 || y == 0) return false;
        m.viewport_ext = SIZE{x, y};
        fix_isotropic(m);
        return true;
    });
}

BOOL GetViewportExtEx(HDC handle, LPSIZE size) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (size == nullptr) return false;
        *size = m.viewport_ext;
        return true;
    });
}

BOOL ScaleViewportExtEx(HDC handle, int x_num, int x_denom, int y_num, int y_denom,
                        LPSIZE old) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (old != nullptr) *old = m.viewport_ext;
        if (!scalable(m)) return true;
        if (x_num == 0 || x_denom == 0 || y_num == 0 || y_denom == 0) return false;
        m.viewport_ext = SIZE{scaled_extent(m.viewport_ext.cx, x_num, x_denom),
                              scaled_extent(m.viewport_ext.cy, y_num, y_denom)};
        fix_isotropic(m);
        return true;
    });
}

BOOL SetWindowOrgEx(HDC handle, int x, int y, LPPOINT old) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (old != nullptr) *old = m.window_org;
        m.window_org = POINT{x, y};
        return true;
    });
}

BOOL GetWindowOrgEx(HDC handle, LPPOINT point) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (point == nullptr) return false;
        *point = m.window_org;
        return true;
    });
}

BOOL SetViewportOrgEx(HDC handle, int x, int y, LPPOINT old) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (old != nullptr) *old = m.viewport_org;
        m.viewport_org = POINT{x, y};
        return true;
    });
}

BOOL GetViewportOrgEx(HDC handle, LPPOINT point) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (point == nullptr) return false;
        *point = m.viewport_org;
        return true;
    });
}

BOOL OffsetWindowOrgEx(HDC handle, int dx, int dy, LPPOINT old) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (old != nullptr) *old = m.window_org;
        m.window_org = POINT{m.window_org.x + dx, m.window_org.y + dy};
        return true;
    });
}

BOOL OffsetViewportOrgEx(HDC handle, int dx, int dy, LPPOINT old) noexcept
{
    return change_mapping(handle, [&](Mapping& m) {
        if (old != nullptr) *old = m.viewport_org;
        m.viewport_org = POINT{m.viewport_org.x + dx, m.viewport_org.y + dy};
        return true;
    });
}

BOOL LPtoDP(HDC handle, LPPOINT points, int count) noexcept
{
    const Dc* dc = find_dc(handle);
    if (dc == nullptr || (points == nullptr && count > 0)) return FALSE;
    for (int i = 0; i < count; ++i) points[i] = to_device(dc->state.mapping, points[i]);
    return TRUE;
}

BOOL DPtoLP(HDC handle, LPPOINT points, int count) noexcept
{
    const Dc* dc = find_dc(handle);
    if (dc == nullptr || (points == nullptr && count > 0)) return FALSE;
    for (int i = 0; i < count; ++i) points[i] = to_logical(dc->state.mapping, points[i]);
    return TRUE;
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return ERROR;
    POINT a = to_device(dc->state.mapping, POINT{left, top});
    POINT b = to_device(dc->state.mapping, POINT{right, bottom});
    RECT r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    const RECT current = dc->state.clip.value_or(RECT{0, 0, device_width(*dc), device_height(*dc)});
    r = RECT{std::max(r.left, current.left), std::max(r.top, current.top),
             std::min(r.right, current.right), std::min(r.bottom, current.bottom)};
    if (r.right <= r.left || r.bottom <= r.top) r = RECT{0, 0, 0, 0};
    dc->state.clip = r;
    return r.right > r.left ? SIMPLEREGION : NULLREGION;
}

int GetClipBox(HDC handle, LPRECT rect) noexcept
{
    const Dc* dc = find_dc(handle);
    if (dc == nullptr || rect == nullptr) return ERROR;
    const RECT d = dc->state.clip.value_or(RECT{0, 0, device_width(*dc), device_height(*dc)});
    POINT a = to_logical(dc->state.mapping, POINT{d.left, d.top});
    POINT b = to_logical(dc->state.mapping, POINT{d.right, d.bottom});
    *rect = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    return d.right > d.left && d.bottom > d.top ? SIMPLEREGION : NULLREGION;
}
