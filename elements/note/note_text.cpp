// The note's text: the automatic replacements of its style, the word-wrapped lines measured on
// the display reference context, and the single automatic line measured from the font's own
// advance widths.
#include <cstdint>
#include <cstring>
#include <ctime>
#include <new>
#include <string>

#include "elements/measure/display_context.h"
#include "elements/note/note_layout.h"
#include "elements/note/note_objects.h"
#include "fonts/open_type_font.h"
#include "platform/shell/clock.h"
#include "platform/shell/user.h"

namespace cnt::note {
namespace {

// (int)width, kept inside the 32-bit range where a cast would be undefined.
LONG truncated(float width) noexcept
{
    if (!(width > -2147483648.0f)) return width != width ? 0 : INT32_MIN;
    if (width >= 2147483648.0f) return INT32_MAX;
    return static_cast<LONG>(width);
}

// Every occurrence, left to right; replaced text is not searched again.
void replace_all(std::u16string& text, std::u16string_view what, std::u16string_view with)
{
    std::size_t at = 0;
    while ((at = text.find(what, at)) != std::u16string::npos) {
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

std::u16string decimal(LONG value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string user_name()
{
    char16_t buffer[512];
    std::memset(buffer, 0, sizeof buffer);
    DWORD size = 512;
    if (!GetUserNameW(buffer, &size)) return {};
    return std::u16string(buffer);
}

// The working text as a time format; the zero-filled buffer keeps whatever the formatting
// left in it when the result does not fit.
std::u16string formatted_now(const std::u16string& format)
{
    char16_t buffer[100];
    std::memset(buffer, 0, sizeof buffer);
    std::int64_t now = 0;
    _time64(&now);
    std::tm local{};
    _localtime64_s(&local, &now);
    wcsftime(buffer, 100, format.c_str(), &local);
    std::size_t n = 0;
    while (n < 100 && buffer[n] != 0) ++n;
    return std::u16string(buffer, n);
}

// Emits one line of the word-wrapped layout.
struct line_writer {
    layout& l;
    const measure::display_context& dc;
    const TEXTMETRICA& tm;
    LONG line_height;

    bool emit(const std::u16string& line, LONG y, LONG room) const noexcept
    {
        const LONG bottom = l.text_rect.bottom;
        const bool inside = room > 0 && wrap_add(y, line_height) < bottom;
        return SUCCEEDED(create_text_object(
            l.objects, l.resources, l.page_object_ids, line.data(),
            static_cast<UINT>(line.size()), l.text_rect.left,
            wrap_add(y, wrap_add(tm.tmAscent, tm.tmInternalLeading)),
            l.font, l.f.text_colour, inside ? nullptr : l.clip));
    }
};

}  // namespace

std::u16string working_text(const layout& l)
{
    std::u16string text(l.f.text.view());
    replace_all(text, u"\r\n", u"\n");
    switch (l.f.style) {
    case zeCntNoteStyleAutoTextPageNumber:
        replace_all(text, u"$p", decimal(l.page_number));
        replace_all(text, u"$P", decimal(l.page_count));
        break;
    case zeCntNoteStyleAutoTextDateTime:
        text = formatted_now(text);
        replace_all(text, u"$u", user_name());
        break;
    case zeCntNoteStyleAutoTextUserName:
        replace_all(text, u"$u", user_name());
        break;
    default:
        break;
    }
    return text;
}

void lay_out_wrapped(layout& l, const std::u16string& all) noexcept
{
    measure::display_context dc(l.resolution);
    if (!dc.ok()) return;
    if (!dc.select_font(l.f.font_name.get(), l.f.bold != 0, l.f.italic != 0,
                        dc.note_font_height(l.f.font_size)))
        return;
    TEXTMETRICA tm{};
    if (!dc.text_metrics(&tm)) return;
    const LONG line_height = wrap_add(tm.tmHeight, tm.tmExternalLeading);
    const LONG space_width = dc.extent(" ").cx;
    const LONG width = wrap_sub(l.text_rect.right, l.text_rect.left);
    const LONG bottom = l.text_rect.bottom;
    const line_writer out{l, dc, tm, line_height};

    try {
        std::u16string_view rest(all);
        std::u16string line;
        LONG y = l.text_rect.top;
        LONG room = width;
        for (;;) {
            const std::size_t at = rest.find_first_of(u" \n");
            const std::u16string_view word = rest.substr(0, at);
            const LONG w = dc.extent(measure::to_thread_ansi(word)).cx;
            if (w > room && !line.empty()) {
                if (!out.emit(line, y, room)) return;
                line.clear();
                y = wrap_add(y, line_height);
                room = width;
                if (y > bottom) return;
            }
            line += word;
            room = wrap_sub(room, w);
            if (at == std::u16string_view::npos) {
                if (!line.empty() && y < bottom) out.emit(line, y, room);
                return;
            }
            if (rest[at] == u' ') {
                line += u' ';
                room = wrap_sub(room, space_width);
            } else {
                if (!out.emit(line, y, room)) return;
                line.clear();
                y = wrap_add(y, line_height);
                room = width;
                if (y > bottom) return;
            }
            rest.remove_prefix(at + 1);
        }
    } catch (const std::bad_alloc&) {
    }
}

bool lay_out_automatic(layout& l, const std::u16string& text) noexcept
{
    CZOpenTypeFont reader;
    std::string face;
    try {
        face = measure::to_thread_ansi(l.f.font_name.view());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!reader.Open(face.c_str(), l.f.bold != 0, l.f.italic != 0, -1000)) return false;

    // The pixel size in single precision, from the 32-bit product of size and resolution.
    const LONG product = static_cast<LONG>(static_cast<ULONG>(l.f.font_size) *
                                           static_cast<ULONG>(l.resolution));
    const LONG px = truncated(static_cast<float>(product) / 720.0f + 0.5f);
    const USHORT units_per_em = reader.GetUnitsPerEm();
    const OUTLINETEXTMETRICA* otm = reader.GetOutlineTextMetrics();
    if (!otm || units_per_em == 0 || otm->otmTextMetrics.tmHeight == 0) return false;
    const LONG descent =
        wrap_mul(otm->otmTextMetrics.tmDescent, px) / otm->otmTextMetrics.tmHeight;

    float width = 0.0f;
    for (char16_t ch : text)
        width += static_cast<float>(wrap_mul(reader.GetAdvanceWidth(reader.GetGlyphIndex(ch)), px)) /
                 static_cast<float>(units_per_em);

    rect& p = l.position;
    const rect& r = l.text_rect;
    const LONG baseline = wrap_sub(r.bottom, descent);
    LONG x = 0;
    switch (l.f.horizontal) {
    case zeCntHorizontalAlignmentLeft: x = r.left; break;
    case zeCntHorizontalAlignmentRight:
        x = wrap_add(r.left, wrap_sub(wrap_sub(r.right, r.left), truncated(width)));
        break;
    case zeCntHorizontalAlignmentCenter:
        x = wrap_add(r.left, wrap_sub(wrap_sub(r.right, r.left), truncated(width)) / 2);
        break;
    default: return false;
    }
    if (FAILED(create_text_object(l.objects, l.resources, l.page_object_ids, text.data(),
                                  static_cast<UINT>(text.size()), x, baseline, l.font,
                                  l.f.text_colour, nullptr)))
        return false;

    if (p.left > p.right) std::swap(p.left, p.right);
    if (p.top > p.bottom) std::swap(p.top, p.bottom);
    p = rect{p.left, wrap_sub(p.bottom, px), wrap_add(p.left, truncated(width)), p.bottom};
    return true;
}

}  // namespace cnt::note
