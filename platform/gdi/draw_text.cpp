// DrawTextA: line breaking and placement over GetTextExtentPoint32A-style measuring, in
// logical units.
//
// Lines end at CR, LF or CR LF (unless DT_SINGLELINE). With DT_WORDBREAK a line that is too
// wide breaks after the last space that fits; a left-aligned line keeps that space (and is
// measured with it), a centred or right-aligned one drops it, and one space after the break is
// swallowed. A word wider than the rectangle is broken at the last character that fits, at
// least one character a line. DT_CALCRECT keeps left and top and sets right to the widest line
// and bottom to the line count times the line height; an empty text gives an empty rectangle.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/text.h"

namespace gdi {
namespace {

struct Measurer {
    const Dc& dc;
    const SizedFont& font;

    LONG width(std::string_view text) const
    {
        const LONG w = width_to_logical(dc, device_extent(font, text));
        return w < 0 ? -w : w;
    }

    // How many leading characters fit in `room` logical units.
    std::size_t fit(std::string_view text, LONG room) const
    {
        std::int64_t device = 0;
        std::size_t n = 0;
        for (; n < text.size(); ++n) {
            device += font.advance[static_cast<BYTE>(text[n])];
            LONG w = width_to_logical(dc, device);
            if (w < 0) w = -w;
            if (w > room) break;
        }
        return n;
    }
};

std::string strip_prefixes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out.push_back('&');
                ++i;
            }
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

void wrap(const Measurer& m, std::string_view paragraph, LONG room, UINT format,
          std::vector<std::string_view>& lines)
{
    const bool keeps_space = (format & (DT_RIGHT | DT_CENTER)) == 0;
    std::string_view rest = paragraph;
    do {
        const std::size_t fits = m.fit(rest, room);
        if (fits >= rest.size()) {
            lines.push_back(rest);
            return;
        }
        std::size_t p = fits;  // the first character that does not fit
        bool word_fits = true;
        if (fits == 0) {
            // Nothing fits: the line takes one character anyway.
        } else if (rest[p] == ' ') {
            --p;  // the word just fitted
        } else {
            while (p > 0 && rest[--p] != ' ') {
            }
            word_fits = p != 0 || rest[p] == ' ';
        }
        std::size_t length = fits, used = fits;
        if (word_fits) {
            if (keeps_space || rest[p] != ' ') ++p;
            length = p;
            used = p + (p < rest.size() && rest[p] == ' ' ? 1 : 0);
        }
        if (used == 0) length = used = 1;
        lines.push_back(rest.substr(0, length));
        rest.remove_prefix(used);
    } while (!rest.empty());
}

std::vector<std::string_view> layout(const Measurer& m, std::string_view text, LONG room,
                                     UINT format)
{
    std::vector<std::string_view> lines;
    if (format & DT_SINGLELINE) {
        lines.push_back(text);
        return lines;
    }
    std::size_t start = 0;
    while (true) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        const std::string_view paragraph = text.substr(start, end - start);
        if ((format & DT_WORDBREAK) && !paragraph.empty()) {
            wrap(m, paragraph, room, format, lines);
        } else {
            lines.push_back(paragraph);
        }
        if (end >= text.size()) break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
        if (start >= text.size()) break;
    }
    return lines;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

int DrawTextA(HDC handle, LPCSTR text, int count, LPRECT rect, UINT format) noexcept
{
    Dc* dc = find_dc(handle);
    if (dc == nullptr || rect == nullptr) return 0;
    if (text == nullptr) count = 0;
    if (count < 0) count = static_cast<int>(std::strlen(text));
    if (count == 0) {
        if (format & DT_CALCRECT) {
            rect->right = rect->left;
            rect->bottom = rect->top;
        }
        return 0;
    }
    TEXTMETRICA tm;
    if (!GetTextMetricsA(handle, &tm)) return 0;
    const SizedFont* font = realise(*dc);
    if (font == nullptr) return 0;
    const LONG line_height = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);

    try {
        const std::string_view raw(text, static_cast<std::size_t>(count));
        const std::string stripped = (format & DT_NOPREFIX) ? std::string(raw) : strip_prefixes(raw);
        const Measurer measurer{*dc, *font};
        const LONG room = rect->right - rect->left;
        const std::vector<std::string_view> lines = layout(measurer, stripped, room, format);

        if (format & DT_CALCRECT) {
            LONG widest = 0;
            for (const auto& line : lines) widest = std::max(widest, measurer.width(line));
            rect->right = rect->left + widest;
            rect->bottom = rect->top + static_cast<LONG>(lines.size()) * line_height;
            return rect->bottom - rect->top;
        }

        LONG y = rect->top;
        if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) {
            y = rect->top + (rect->bottom - rect->top) / 2 - tm.tmHeight / 2;
        } else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) {
            y = rect->bottom - tm.tmHeight;
        }
        const UINT old_align = SetTextAlign(handle, TA_LEFT | TA_TOP | TA_NOUPDATECP);
        const UINT options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
        for (const auto& line : lines) {
            const LONG w = measurer.width(line);
            LONG x = rect->left;
            if (format & DT_CENTER) {
                x = (rect->left + rect->right - w) / 2;
            } else if (format & DT_RIGHT) {
                x = rect->right - w;
            }
            ExtTextOutA(handle, x, y, options, rect, line.data(), static_cast<UINT>(line.size()),
                        nullptr);
            y += line_height;
        }
        SetTextAlign(handle, old_align);
        return y - rect->top;
    } catch (...) {
        return 0;
    }
}
