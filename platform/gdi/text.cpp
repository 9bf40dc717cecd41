// Fonts on device contexts: creation, realisation at the DC's scale, text metrics, extents and
// font data.
//
// A logical font height becomes a device height by the DC's vertical scale, truncated toward
// zero (a non-zero height never truncates to the default 0; it becomes one pixel). Metrics are
// computed in device pixels and converted back to logical units field by field; an extent is
// converted once for the whole string.
#include "platform/gdi/text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace gdi {
namespace {

const Face* face_of(Font& font) noexcept
{
    if (font.face == nullptr) font.face = resolve_face(font.logfont);
    return font.face;
}

double inverse_x(const Dc& dc)
{
    const Mapping& m = dc.state.mapping;
    return std::abs(static_cast<double>(m.window_ext.cx) / m.viewport_ext.cx);
}

double inverse_y(const Dc& dc)
{
    const Mapping& m = dc.state.mapping;
    return std::abs(static_cast<double>(m.window_ext.cy) / m.viewport_ext.cy);
}

LONG device_font_height(const Dc& dc, LONG logical)
{
    if (logical == 0) return 0;
    double h = logical * std::abs(dc.state.mapping.scale_y());
    h = std::trunc(std::clamp(h, -1e9, 1e9));
    if (h == 0) return logical < 0 ? -1 : 1;
    return static_cast<LONG>(h);
}

bool copy_face_name(const char* name, LOGFONTA& lf)
{
    if (name == nullptr) return true;
    std::size_t n = 0;
    while (n < LF_FACESIZE - 1 && name[n] != '\0') ++n;
    std::memcpy(lf.lfFaceName, name, n);
    lf.lfFaceName[n] = '\0';
    return true;
}

// The metrics of the selected font with what the LOGFONTA adds (underline, strike-out and the
// simulated styles), still in device pixels.
TEXTMETRICA device_metrics(const Dc& dc, const SizedFont& sized)
{
    TEXTMETRICA tm = sized.tm;
    const LOGFONTA& lf = dc.state.font->logfont;
    tm.tmUnderlined = lf.lfUnderline ? 255 : 0;
    tm.tmStruckOut = lf.lfStrikeOut ? 255 : 0;
    if (lf.lfItalic && !sized.face.italic) tm.tmItalic = 255;
    if (lf.lfWeight > 550 && !sized.face.bold) tm.tmWeight = FW_BOLD;
    return tm;
}

void metrics_to_logical(const Dc& dc, TEXTMETRICA& tm)
{
    tm.tmHeight = height_to_logical(dc, tm.tmHeight);
    tm.tmAscent = height_to_logical(dc, tm.tmAscent);
    tm.tmDescent = height_to_logical(dc, tm.tmDescent);
    tm.tmInternalLeading = height_to_logical(dc, tm.tmInternalLeading);
    tm.tmExternalLeading = height_to_logical(dc, tm.tmExternalLeading);
    tm.tmAveCharWidth = width_to_logical(dc, tm.tmAveCharWidth);
    tm.tmMaxCharWidth = width_to_logical(dc, tm.tmMaxCharWidth);
    tm.tmOverhang = width_to_logical(dc, tm.tmOverhang);
}

UINT unsigned_height(const Dc& dc, UINT v)
{
    const LONG l = height_to_logical(dc, static_cast<LONG>(v));
    return static_cast<UINT>(l < 0 ? -l : l);
}

DWORD byte_swap(DWORD v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// The requested name when it is one Windows knows and we map, else the face's own family.
std::string face_name(const Font& font, const Face& face)
{
    const std::string requested(font.logfont.lfFaceName,
                                strnlen(font.logfont.lfFaceName, LF_FACESIZE));
    if (!requested.empty() && substitute_family(requested) != requested &&
        face.family == substitute_family(requested)) {
        return requested;
    }
    return face.family;
}

}  // namespace

LONG width_to_logical(const Dc& dc, std::int64_t device) noexcept
{
    return round_gdi(static_cast<double>(device) * inverse_x(dc));
}

LONG height_to_logical(const Dc& dc, std::int64_t device) noexcept
{
    return round_gdi(static_cast<double>(device) * inverse_y(dc));
}

const SizedFont* realise(Dc& dc) noexcept
{
    Font* font = dc.state.font;
    if (font == nullptr) return nullptr;
    const LONG height = device_font_height(dc, font->logfont.lfHeight);
    if (dc.realised && dc.realised_font == font->serial && dc.realised_height == height) {
        return dc.realised.get();
    }
    const Face* face = face_of(*font);
    if (face == nullptr) return nullptr;
    auto sized = sized_font(*face, choose_ppem(*face, height));
    if (!sized) return nullptr;
    dc.realised = std::move(sized);
    dc.realised_font = font->serial;
    dc.realised_height = height;
    return dc.realised.get();
}

std::int64_t device_extent(const SizedFont& font, std::string_view text) noexcept
{
    std::int64_t total = 0;
    for (const char c : text) total += font.advance[static_cast<BYTE>(c)];
    return total;
}

}  // namespace gdi

using namespace gdi;

HFONT CreateFontIndirectA(const LOGFONTA* logfont) noexcept
{
    if (logfont == nullptr) return nullptr;
    auto font = std::unique_ptr<Font>(new (std::nothrow) Font);
    if (!font) return nullptr;
    font->logfont = *logfont;
    font->logfont.lfFaceName[LF_FACESIZE - 1] = '\0';
    return static_cast<HFONT>(add_object(std::move(font)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strike_out, DWORD char_set,
                  DWORD out_precision, DWORD clip_precision, DWORD quality,
                  DWORD pitch_and_family, LPCSTR face_name) noexcept
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strike_out);
    lf.lfCharSet = static_cast<BYTE>(char_set);
    lf.lfOutPrecision = static_cast<BYTE>(out_precision);
    lf.lfClipPrecision = static_cast<BYTE>(clip_precision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitch_and_family);
    copy_face_name(face_name, lf);
    return CreateFontIndirectA(&lf);
}

BOOL GetTextMetricsA(HDC handle, TEXTMETRICA* metrics) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr || metrics == nullptr) return FALSE;
    const SizedFont* sized = realise(*dc);
    if (sized == nullptr) return FALSE;
    TEXTMETRICA tm = device_metrics(*dc, *sized);
    metrics_to_logical(*dc, tm);
    *metrics = tm;
    return TRUE;
}

UINT GetOutlineTextMetricsA(HDC handle, UINT size, OUTLINETEXTMETRICA* metrics) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return 0;
    const SizedFont* sized = realise(*dc);
    if (sized == nullptr) return 0;
    const Face& face = sized->face;
    const std::string names[4] = {face.family, face.full_name, face.style, face.unique_name};
    std::size_t needed = sizeof(OUTLINETEXTMETRICA);
    for (const std::string& n : names) needed += n.size() + 1;
    if (metrics == nullptr) return static_cast<UINT>(needed);
    if (size == 0) return 0;

    OUTLINETEXTMETRICA otm = sized->otm;
    otm.otmSize = static_cast<UINT>(needed);
    otm.otmTextMetrics = device_metrics(*dc, *sized);
    metrics_to_logical(*dc, otm.otmTextMetrics);
    otm.otmAscent = height_to_logical(*dc, otm.otmAscent);
    otm.otmDescent = height_to_logical(*dc, otm.otmDescent);
    otm.otmLineGap = unsigned_height(*dc, otm.otmLineGap);
    otm.otmsCapEmHeight = unsigned_height(*dc, otm.otmsCapEmHeight);
    otm.otmsXHeight = unsigned_height(*dc, otm.otmsXHeight);
    otm.otmrcFontBox = RECT{width_to_logical(*dc, otm.otmrcFontBox.left),
                            height_to_logical(*dc, otm.otmrcFontBox.top),
                            width_to_logical(*dc, otm.otmrcFontBox.right),
                            height_to_logical(*dc, otm.otmrcFontBox.bottom)};
    otm.otmMacAscent = height_to_logical(*dc, otm.otmMacAscent);
    otm.otmMacDescent = height_to_logical(*dc, otm.otmMacDescent);
    otm.otmMacLineGap = unsigned_height(*dc, otm.otmMacLineGap);
    for (POINT* p : {&otm.otmptSubscriptSize, &otm.otmptSubscriptOffset,
                     &otm.otmptSuperscriptSize, &otm.otmptSuperscriptOffset}) {
        *p = POINT{width_to_logical(*dc, p->x), height_to_logical(*dc, p->y)};
    }
    otm.otmsStrikeoutSize = unsigned_height(*dc, otm.otmsStrikeoutSize);
    otm.otmsStrikeoutPosition = height_to_logical(*dc, otm.otmsStrikeoutPosition);
    otm.otmsUnderscoreSize = height_to_logical(*dc, otm.otmsUnderscoreSize);
    otm.otmsUnderscorePosition = height_to_logical(*dc, otm.otmsUnderscorePosition);

    // The A form stores offsets from the start of the structure in the name pointers.
    std::size_t at = sizeof(OUTLINETEXTMETRICA);
    PSTR* slots[4] = {&otm.otmpFamilyName, &otm.otmpFaceName, &otm.otmpStyleName,
                      &otm.otmpFullName};
    for (int i = 0; i < 4; ++i) {
        *slots[i] = reinterpret_cast<PSTR>(at);
        at += names[i].size() + 1;
    }

    const std::size_t n = size < needed ? size : needed;
    auto* out = reinterpret_cast<BYTE*>(metrics);
    std::memcpy(out, &otm, n < sizeof otm ? n : sizeof otm);
    at = sizeof(OUTLINETEXTMETRICA);
    for (const std::string& name : names) {
        for (std::size_t i = 0; i <= name.size() && at < n; ++i, ++at) {
            out[at] = i < name.size() ? static_cast<BYTE>(name[i]) : 0;
        }
    }
    return static_cast<UINT>(n);
}

BOOL GetTextExtentPoint32A(HDC handle, LPCSTR text, int count, LPSIZE size) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr || size == nullptr || count < 0 || (text == nullptr && count > 0)) {
        return FALSE;
    }
    const SizedFont* sized = realise(*dc);
    if (sized == nullptr) return FALSE;
    // No characters, no extent: not even the font's height.
    if (count == 0) {
        *size = SIZE{0, 0};
        return TRUE;
    }
    const std::int64_t width =
        device_extent(*sized, std::string_view(text != nullptr ? text : "", count));
    const LONG cx = width_to_logical(*dc, width);
    const LONG cy = height_to_logical(*dc, sized->tm.tmHeight);
    *size = SIZE{cx < 0 ? -cx : cx, cy < 0 ? -cy : cy};
    return TRUE;
}

int GetTextFaceA(HDC handle, int count, LPSTR name) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return 0;
    const SizedFont* sized = realise(*dc);
    if (sized == nullptr) return 0;
    std::string face;
    try {
        face = face_name(*dc->state.font, sized->face);
    } catch (...) {
        return 0;
    }
    if (name == nullptr) return static_cast<int>(face.size() + 1);
    if (count <= 0) return 0;
    const std::size_t n = std::min(face.size(), static_cast<std::size_t>(count - 1));
    std::memcpy(name, face.data(), n);
    name[n] = '\0';
    return static_cast<int>(n);
}

DWORD GetFontData(HDC handle, DWORD table, DWORD offset, LPVOID buffer, DWORD size) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr) return GDI_ERROR;
    const SizedFont* sized = realise(*dc);
    if (sized == nullptr) return GDI_ERROR;
    const Face& face = sized->face;

    DWORD start = 0, length = 0;
    const DWORD tag = byte_swap(table);
    if (table == 0) {
        start = face.sfnt_offset;
        length = static_cast<DWORD>(face.file.size() - face.sfnt_offset);
    } else if (tag == 0x74746366u) {  // 'ttcf': the whole collection
        length = static_cast<DWORD>(face.file.size());
    } else if (!face.find_table(tag, &start, &length)) {
        return GDI_ERROR;
    }
    if (buffer == nullptr || size == 0) return length;
    if (offset >= length) return GDI_ERROR;
    const DWORD n = std::min(size, length - offset);
    std::memcpy(buffer, face.file.data() + start + offset, n);
    return n;
}

int AddFontResourceExA(LPCSTR path, DWORD flags, LPVOID reserved) noexcept
{
    if (reserved != nullptr || (flags & ~(FR_PRIVATE | FR_NOT_ENUM)) != 0) return 0;
    return register_private_font(path);
}
