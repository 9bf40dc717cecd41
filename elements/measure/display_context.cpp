// The display reference context; see display_context.h.
#include "elements/measure/display_context.h"

#include <cstring>

#include "platform/com/codepage.h"

namespace cnt::measure {

display_context::display_context(LONG resolution) noexcept
{
    dc_ = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!dc_) return;
    const int pixels_per_inch = GetDeviceCaps(dc_, LOGPIXELSX);
    SetMapMode(dc_, MM_ANISOTROPIC);
    // The window extents start at 1: the scaled extent is resolution / LOGPIXELSX, truncated.
    ScaleWindowExtEx(dc_, resolution, pixels_per_inch, resolution, pixels_per_inch, nullptr);
}

display_context::~display_context()
{
    if (!dc_) return;
    if (font_) {
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }
    DeleteDC(dc_);
}

LONG display_context::note_font_height(LONG tenths) const noexcept
{
    if (!dc_) return 0;
    POINT points[2] = {{0, MulDiv(GetDeviceCaps(dc_, LOGPIXELSY), tenths, 720)}, {0, 0}};
    DPtoLP(dc_, points, 2);
    const LONGLONG difference = LONGLONG{points[0].y} - points[1].y;
    return static_cast<LONG>(difference < 0 ? difference : -difference);
}

bool display_context::select_font(const OLECHAR* face, bool bold, bool italic,
                                  LONG height) noexcept
{
    if (!dc_) return false;
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = height;
    lf.lfWeight = bold ? 700 : 0;
    lf.lfItalic = italic ? 1 : 0;
    if (face && *face) {
        try {
            const std::string name = to_thread_ansi(face);
            std::memcpy(lf.lfFaceName, name.data(),
                        name.size() < LF_FACESIZE - 1 ? name.size() : LF_FACESIZE - 1);
        } catch (...) {
            return false;
        }
    }
    HFONT made = CreateFontIndirectA(&lf);
    if (!made) return false;
    HGDIOBJ old = SelectObject(dc_, made);
    if (font_) {
        DeleteObject(font_);  // the earlier one was just selected out
    } else {
        previous_ = old;
    }
    font_ = made;
    return true;
}

bool display_context::text_metrics(TEXTMETRICA* metrics) const noexcept
{
    return dc_ && GetTextMetricsA(dc_, metrics);
}

SIZE display_context::extent(std::string_view ansi) const noexcept
{
    SIZE size{0, 0};
    if (dc_) GetTextExtentPoint32A(dc_, ansi.data(), static_cast<int>(ansi.size()), &size);
    return size;
}

RECT display_context::calc_rect(std::string_view ansi, RECT box, UINT format) const noexcept
{
    if (dc_) DrawTextA(dc_, ansi.data(), static_cast<int>(ansi.size()), &box, format | DT_CALCRECT);
    return box;
}

std::string to_thread_ansi(std::u16string_view text)
{
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()),
                            out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace cnt::measure
