// The fonts of one PDF file: every face the text objects use, resolved as the elements'
// measuring resolved it (so that the PDF shows the file the text was measured with), the glyphs
// each face shows, and at the end one subset CID font per face: Identity-H, widths, and a
// ToUnicode map so that the text can be searched and copied.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "host/output/paint.h"

namespace gdi {
struct Face;
}

namespace host::pdf {

class font_set {
public:
    explicit font_set(QPDF& out) : out_(out) {}

    struct shaped {
        int font = -1;              // -1: no installed face at all; nothing can be shown
        std::vector<std::uint16_t> glyphs;
        bool fake_bold = false;     // the face has no bold of its own: thicken the outlines
        bool fake_italic = false;   // nor an italic: slant it
    };
    // Glyphs of `text` in the face `font` resolves to (null: the default face), recorded as used.
    shaped shape(const font_paint* font, std::u16string_view text);
    // The font dictionary of a face, an indirect object filled in by finish().
    QPDFObjectHandle reference(int font) const { return fonts_[static_cast<std::size_t>(font)].ref; }
    // Subsets and embeds every face used. Throws as qpdf does; an unusable face is embedded whole.
    void finish();

private:
    struct used {
        const gdi::Face* face;
        QPDFObjectHandle ref;
        std::map<std::uint16_t, std::u16string> text;  // glyph → the characters it shows
        // Glyphs of the Basic Multilingual Plane already looked up (0xFFFFFFFF: not yet), in
        // pages of 256 characters made when first used: the same characters come again and
        // again, and most text needs one or two pages.
        std::vector<std::vector<std::uint32_t>> glyph_of;
    };
    int index_of(const gdi::Face* face);
    void embed(used& f);

    QPDF& out_;
    std::vector<used> fonts_;
    std::map<std::tuple<std::u16string, bool, bool>, const gdi::Face*> faces_;
};

}  // namespace host::pdf
