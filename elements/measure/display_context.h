// The reference device context the elements measure text on: an information context of the
// display whose window extents are scaled so that one logical unit is about one page unit, and
// one font selected into it. Created and destroyed within one call; never shared.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"
#include "platform/gdi/gdi.h"

namespace cnt::measure {

class display_context {
public:
    // The context for a page of `resolution` units per inch; `ok()` is false when the display
    // gives none.
    explicit display_context(LONG resolution) noexcept;
    ~display_context();
    display_context(const display_context&) = delete;
    display_context& operator=(const display_context&) = delete;

    bool ok() const noexcept { return dc_ != nullptr; }
    HDC dc() const noexcept { return dc_; }

    // The character height (negative) of a font of `tenths` tenths of a point, as the note
    // asks for it: the device height MulDiv(LOGPIXELSY, tenths, 720) brought back to logical
    // units.
    LONG note_font_height(LONG tenths) const noexcept;

    // Creates the font (face cut to 31 ANSI characters, weight 700 when bold, italic flag, the
    // given negative character height) and selects it. False when it cannot be made.
    bool select_font(const OLECHAR* face, bool bold, bool italic, LONG height) noexcept;

    bool text_metrics(TEXTMETRICA* metrics) const noexcept;
    // The extent of ANSI text in logical units; (0, 0) when it cannot be measured.
    SIZE extent(std::string_view ansi) const noexcept;
    // DrawTextA with DT_CALCRECT and `format` in `box`: the rectangle the text needs.
    RECT calc_rect(std::string_view ansi, RECT box, UINT format) const noexcept;

private:
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// Wide text in the thread's ANSI code page, as the measuring calls take it.
std::string to_thread_ansi(std::u16string_view text);

}  // namespace cnt::measure
