// GDI's text metrics of a TrueType face at one em size, and the em size a font height asks for.
// Every table value goes through the same scale, MulDiv(ppem, 65536, upem) applied with 16.16
// rounding, and each field is rounded on its own, so tmHeight is the sum of the rounded ascent
// and descent, as on Windows.
#include <algorithm>

#include "platform/gdi/face.h"

namespace gdi {
namespace {

constexpr BYTE pan_family_script = 3;
constexpr BYTE pan_family_decorative = 4;
constexpr BYTE pan_prop_monospaced = 9;

BYTE serif_family(BYTE serif_style)
{
    if (serif_style >= 2 && serif_style <= 10) return FF_ROMAN;
    if (serif_style >= 11 && serif_style <= 15) return FF_SWISS;
    return FF_DONTCARE;
}

BYTE pitch_and_family(const Face& face)
{
    // TMPF_FIXED_PITCH means variable pitch.
    BYTE value = (!face.fixed_width && (!face.has_os2 || face.panose[3] != pan_prop_monospaced))
                     ? TMPF_FIXED_PITCH
                     : 0;
    switch (face.panose[0]) {
    case pan_family_script:
        value |= FF_SCRIPT;
        break;
    case pan_family_decorative:
        value |= FF_DECORATIVE;
        break;
    default:
        if (value == 0 || face.panose[3] == pan_prop_monospaced) {
            value = FF_MODERN;
        } else {
            value |= serif_family(face.panose[1]);
        }
        break;
    }
    DWORD offset = 0, length = 0;
    const bool cff = face.find_table(0x43464620u, &offset, &length);  // 'CFF '
    return static_cast<BYTE>(value | TMPF_VECTOR | (cff ? TMPF_DEVICE : TMPF_TRUETYPE));
}

LONG clamp_long(std::int64_t v)
{
    return static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

std::int64_t mul_fix(std::int64_t a, std::int64_t b) noexcept
{
    const std::int64_t ab = a * b;
    return (ab + 0x8000 - (ab < 0 ? 1 : 0)) >> 16;
}

UINT choose_ppem(const Face& face, LONG device_height) noexcept
{
    constexpr std::int64_t max_ppem = 0xFFFF;
    std::int64_t height = device_height == 0 ? 16 : device_height;
    if (height < 0) return static_cast<UINT>(std::clamp<std::int64_t>(-height, 1, max_ppem));

    // A cell height covers winAscent + winDescent; the em size is the largest whose rounded
    // cell does not exceed the request.
    const std::int64_t upem = face.units_per_em;
    std::int64_t units = std::int64_t{face.win_ascent} + face.fixed_win_descent();
    if (units == 0) units = std::int64_t{face.hhea_ascender} - face.hhea_descender;
    if (units <= 0) units = upem;
    height = std::min(height, max_ppem * 4);
    std::int64_t ppem = (upem * height + units / 2) / units;
    if ((units * ppem + upem / 2) / upem > height) --ppem;
    return static_cast<UINT>(std::clamp<std::int64_t>(ppem, 1, max_ppem));
}

LONG SizedFont::scale(LONG font_units) const noexcept
{
    return clamp_long(mul_fix(font_units, em_scale_));
}

SizedFont::SizedFont(const Face& f, UINT size) noexcept : face(f), ppem(size)
{
    const std::int64_t upem = face.units_per_em;
    em_scale_ = static_cast<LONG>((std::int64_t{ppem} * 65536 + upem / 2) / upem);

    LONG ascent = face.win_ascent;
    LONG descent = face.fixed_win_descent();
    if (ascent + descent == 0) {
        ascent = face.hhea_ascender;
        descent = -face.hhea_descender;
    }
    tm.tmAscent = scale(ascent);
    tm.tmDescent = scale(descent);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = scale(ascent + descent - static_cast<LONG>(upem));
    tm.tmExternalLeading = std::max<LONG>(
        0, scale(face.hhea_line_gap - ((ascent + descent) -
                                       (face.hhea_ascender - face.hhea_descender))));
    tm.tmAveCharWidth = std::max<LONG>(1, scale(face.x_avg_char_width));
    tm.tmMaxCharWidth = scale(LONG{face.x_max} - face.x_min);
    tm.tmWeight = FW_REGULAR;
    if (face.bold ? face.weight_class > FW_MEDIUM : face.weight_class <= FW_MEDIUM) {
        tm.tmWeight = face.weight_class;
    }
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;

    // The wide metrics' character range, then its narrow form.
    UINT first = face.first_char_index, last = face.last_char_index, brk = 0, dflt = 0;
    if (face.symbol) {
        first = 0;
        last = 0xF0FF;
        brk = 0x20;
        dflt = 0x1F;
    } else {
        brk = first <= 1 ? first + 2 : (first > 0xFF ? 0x20 : first);
        dflt = brk - 1;
    }
    tm.tmPitchAndFamily = pitch_and_family(face);
    if (face.symbol) {
        tm.tmFirstChar = 0x1E;
        tm.tmLastChar = 0xFF;
    } else if (tm.tmPitchAndFamily & TMPF_TRUETYPE) {
        tm.tmFirstChar = static_cast<BYTE>(std::min<UINT>(dflt - 1, 0xFF));
        tm.tmLastChar = static_cast<BYTE>(std::min<UINT>(last, 0xFF));
    } else {
        tm.tmFirstChar = static_cast<BYTE>(std::min<UINT>(first, 0xFF));
        tm.tmLastChar = static_cast<BYTE>(std::min<UINT>(last, 0xFF));
    }
    tm.tmDefaultChar = static_cast<BYTE>(std::min<UINT>(dflt, 0xFF));
    tm.tmBreakChar = static_cast<BYTE>(std::min<UINT>(brk, 0xFF));
    tm.tmItalic = face.italic ? 255 : 0;
    tm.tmUnderlined = 0;
    tm.tmStruckOut = 0;
    tm.tmCharSet = face.symbol ? SYMBOL_CHARSET : ANSI_CHARSET;

    otm.otmSize = sizeof(OUTLINETEXTMETRICA);
    otm.otmTextMetrics = tm;
    otm.otmFiller = 0;
    static_assert(sizeof(PANOSE) == 10);
    PANOSE panose{face.panose[0], face.panose[1], face.panose[2], face.panose[3], face.panose[4],
                  face.panose[5], face.panose[6], face.panose[7], face.panose[8], face.panose[9]};
    otm.otmPanoseNumber = panose;
    otm.otmfsSelection = face.fs_selection;
    otm.otmfsType = face.fs_type & 0x30Eu;
    otm.otmsCharSlopeRise = face.caret_slope_rise;
    otm.otmsCharSlopeRun = face.caret_slope_run;
    // Tenths of a degree, counter-clockwise from the vertical.
    otm.otmItalicAngle = static_cast<INT>(
        (std::int64_t{face.italic_angle} * 10 + (face.italic_angle < 0 ? -32768 : 32768)) / 65536);
    otm.otmEMSquare = static_cast<UINT>(upem);
    otm.otmAscent = scale(face.typo_ascender);
    otm.otmDescent = scale(face.typo_descender);
    otm.otmLineGap = static_cast<UINT>(scale(face.typo_line_gap));
    otm.otmsCapEmHeight = static_cast<UINT>(scale(face.cap_height));
    otm.otmsXHeight = static_cast<UINT>(scale(face.x_height));
    otm.otmrcFontBox = RECT{scale(face.x_min), scale(face.y_max), scale(face.x_max),
                            scale(face.y_min)};
    otm.otmMacAscent = tm.tmAscent;
    otm.otmMacDescent = -tm.tmDescent;
    otm.otmMacLineGap = static_cast<UINT>(scale(face.hhea_line_gap));
    otm.otmusMinimumPPEM = face.lowest_rec_ppem;
    otm.otmptSubscriptSize = POINT{scale(face.subscript[0]), scale(face.subscript[1])};
    otm.otmptSubscriptOffset = POINT{scale(face.subscript[2]), scale(face.subscript[3])};
    otm.otmptSuperscriptSize = POINT{scale(face.superscript[0]), scale(face.superscript[1])};
    otm.otmptSuperscriptOffset = POINT{scale(face.superscript[2]), scale(face.superscript[3])};
    otm.otmsStrikeoutSize = static_cast<UINT>(scale(face.strikeout_size));
    otm.otmsStrikeoutPosition = scale(face.strikeout_position);
    otm.otmsUnderscoreSize = face.has_post ? scale(face.underline_thickness) : 0;
    otm.otmsUnderscorePosition = face.has_post ? scale(face.underline_position) : 0;

    // Advances as a hinted TrueType load gives them: the linear advance in 26.6 at FreeType's
    // x scale for this em size, rounded to a whole pixel.
    const std::int64_t x_scale = ((std::int64_t{ppem} << 6) * 65536 + upem / 2) / upem;
    for (std::size_t i = 0; i < advance.size(); ++i) {
        advance[i] = clamp_long((mul_fix(face.advance[i], x_scale) + 32) >> 6);
    }
}

}  // namespace gdi
