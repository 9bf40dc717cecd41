// The design-time picture of a form field and its label font; see field_drawing.h.
#include "fields/field_drawing.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <map>
#include <string>

#include "fields/field_icons.h"
#include "platform/com/codepage.h"
#include "platform/gdi/commctrl.h"
#include "platform/gdi/resources.h"

namespace cnt::fields {
namespace {

constexpr int kIconPixels = 16;
constexpr COLORREF kTransparent = 0xFF00FF;
// Windows' flag for a bitmap shared with the system; the stand-in makes a fresh bitmap either
// way, which the list copies, so it is deleted after adding.
constexpr UINT kLoadShared = 0x8000;
constexpr LONG kLabelTenths = 100;
constexpr char kLabelFace[] = "Times New Roman";

// Resource id → index in the icon list: filled as icons are first drawn, gone with the module.
std::map<UINT, int> icon_indexes;
// Made on first need and kept until the process ends.
HIMAGELIST icon_list = nullptr;

LONG magnitude(LONG v) noexcept { return v == LONG_MIN ? LONG_MAX : (v < 0 ? -v : v); }

// Device pixels as logical units of `dc`, axis by axis, rounded; pixels when the extents
// cannot be read.
struct pixel_scale {
    bool known = false;
    SIZE window{1, 1}, viewport{1, 1};

    explicit pixel_scale(HDC dc) noexcept
        : known(GetWindowExtEx(dc, &window) && GetViewportExtEx(dc, &viewport))
    {
    }
    LONG x(LONG pixels) const noexcept
    {
        return known ? MulDiv(pixels, magnitude(window.cx), magnitude(viewport.cx)) : pixels;
    }
    LONG y(LONG pixels) const noexcept
    {
        return known ? MulDiv(pixels, magnitude(window.cy), magnitude(viewport.cy)) : pixels;
    }
};

// The icon drawn 16 × 16 on the tint, then stretched to w × h at (x, y).
void draw_icon(HDC dc, int index, HBRUSH tint, LONG x, LONG y, LONG w, LONG h) noexcept
{
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, kIconPixels, kIconPixels);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        const RECT all{0, 0, kIconPixels, kIconPixels};
        FillRect(memory, &all, tint);
        ImageList_Draw(icon_list, index, memory, 0, 0, ILD_TRANSPARENT);
        StretchBlt(dc, x, y, w, h, memory, 0, 0, kIconPixels, kIconPixels, SRCCOPY);
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
}

// The name up to its first NUL, in the ANSI code page.
std::string ansi_name(BSTR name) noexcept
{
    if (!name) return {};
    std::u16string_view text(name, SysStringLen(name));
    text = text.substr(0, text.find(u'\0'));
    return com::to_ansi(text);
}

void draw_label(const field_picture& p, const std::string& text, LONG x, LONG y) noexcept
{
    HFONT font = nullptr;
    if (p.label_font) p.label_font(p.field, p.dc, &font);
    HGDIOBJ previous = font ? SelectObject(p.dc, font) : nullptr;
    SetTextColor(p.dc, label_colour);
    SetTextAlign(p.dc, TA_LEFT | TA_TOP);
    TextOutA(p.dc, x, y, text.data(), static_cast<int>(text.size()));
    if (previous) SelectObject(p.dc, previous);
    if (font) DeleteObject(font);
}

}  // namespace

HIMAGELIST field_icon_list() noexcept { return icon_list; }

int field_icon_index(UINT id) noexcept
{
    if (id == 0) return -1;
    if (const auto found = icon_indexes.find(id); found != icon_indexes.end()) return found->second;
    if (!icon_list) icon_list = ImageList_Create(kIconPixels, kIconPixels, ILC_COLOR24 | ILC_MASK, 0, 2);
    if (!icon_list || !register_field_icons()) return -1;
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageA(this_module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, kIconPixels, kIconPixels,
                   kLoadShared));
    if (!bitmap) return -1;
    const int index = ImageList_AddMasked(icon_list, bitmap, kTransparent);
    DeleteObject(bitmap);
    if (index < 0) return -1;
    try {
        icon_indexes.emplace(id, index);
    } catch (...) {
        // Not remembered: the next drawing adds it again.
    }
    return index;
}

HRESULT create_label_font(HDC dc, HFONT* font) noexcept
{
    if (!font) return E_POINTER;
    *font = nullptr;
    HDC screen = dc ? nullptr : GetDC(nullptr);
    HDC target = dc ? dc : screen;
    LOGFONTA lf{};
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    static_assert(sizeof(kLabelFace) <= sizeof(lf.lfFaceName));
    std::copy(std::begin(kLabelFace), std::end(kLabelFace), lf.lfFaceName);
    // Ten points as device pixels, then as the logical distance they span.
    POINT size{0, MulDiv(GetDeviceCaps(target, LOGPIXELSY), kLabelTenths, 720)};
    POINT origin{0, 0};
    DPtoLP(target, &size, 1);
    DPtoLP(target, &origin, 1);
    lf.lfHeight = -magnitude(size.y - origin.y);
    *font = CreateFontIndirectA(&lf);
    if (screen) ReleaseDC(nullptr, screen);
    return *font ? S_OK : E_FAIL;
}

void draw_field(const field_picture& p) noexcept
{
    HDC dc = p.dc;
    const rect& r = p.position;
    if (p.host) p.host->SetBackground(field_tint, 0);

    HBRUSH tint = CreateSolidBrush(field_tint);
    HGDIOBJ previous_brush = SelectObject(dc, tint);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, previous_brush);

    const pixel_scale scale(dc);
    const LONG px = scale.x(1), py = scale.y(1);
    const int icon = field_icon_index(p.icon_id);

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);

    LONG w = 0, offset = py;
    if (icon >= 0) {
        const LONG iw = scale.x(kIconPixels), ih = scale.y(kIconPixels);
        const LONG height = wrap_sub(r.bottom, r.top);
        LONG h = ih;
        w = iw;
        // Too low for the icon and a pixel above and below: a square of the field's height.
        if (wrap_add(ih, wrap_mul(2, py)) > height) {
            w = h = height;
            offset = 0;
        }
        draw_icon(dc, icon, tint, wrap_add(r.left, px), wrap_add(r.top, offset), w, h);
    }

    const std::string name = ansi_name(p.name);
    if (!name.empty())
        draw_label(p, name, wrap_add(wrap_add(r.left, wrap_mul(2, px)), w), wrap_add(r.top, offset));

    RestoreDC(dc, saved);
    DeleteObject(tint);
}

}  // namespace cnt::fields
