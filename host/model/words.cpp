// The words a page knows, taken from the text objects on it: each word of each (unturned)
// line of text gets its box in page units from the face's own advances and its ascent and
// descent, exactly as the PDF writer places the glyphs, so that a text mark over the words
// covers the text as it shows.
#include <cmath>
#include <cstring>
#include <new>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include "host/engine.h"
#include "host/kinds/host_object.h"
#include "host/model/document_object.h"
#include "host/model/words.h"
#include "host/output/paint.h"
#include "platform/com/codepage.h"
#include "platform/gdi/face.h"

namespace host {
namespace {

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == 0xA0; }

// Collects the text objects of a page, in painting order.
struct text_collector final : painter {
    struct line {
        std::u16string text;
        LONG x, y;
        font_paint font;
        bool has_font;
    };
    std::vector<line> lines;
    void shape(const shape_paint&) override {}
    void text(const text_paint& t) override
    {
        line l{std::u16string(t.text), t.x, t.y, {}, t.font != nullptr};
        if (t.font) {
            l.font = *t.font;
            face_names.emplace_back(t.font->face);
        }
        lines.push_back(std::move(l));
    }
    void image(const image_paint&) override {}
    void link(const link_paint&) override {}
    void pdf_page(const pdf_page_paint&) override {}
    void document_page(const document_page_paint&) override {}
    std::vector<std::u16string> face_names;  // keeps the views of `font.face` valid
};

const gdi::Face* face_of(const font_paint* font)
{
    LOGFONTA lf{};
    lf.lfHeight = -100;
    lf.lfWeight = font && font->bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font && font->italic ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    const std::string ansi = com::to_ansi(font ? font->face : std::u16string_view()).substr(0, LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, ansi.data(), ansi.size());
    return gdi::resolve_face(lf);
}

}  // namespace

HRESULT recognise_words(page* p, LONG* added) noexcept
{
    if (added) *added = 0;
    if (!p) return E_POINTER;
    try {
        for (const list_entry& e : p->objects().entries()) {
            host_object* h = e.host;
            if (!h || h->kind() != zeKindTextObject) continue;
            text_collector c;
            h->paint(c);
            for (const auto& l : c.lines) {
                // Turned text has no boxes along the page's axes.
                if (l.has_font && std::fabs(l.font.angle) > 1e-9) continue;
                const gdi::Face* face = face_of(l.has_font ? &l.font : nullptr);
                if (!face || !face->ft || face->units_per_em == 0) continue;
                const double size = l.has_font && l.font.size > 0 ? l.font.size : 0;
                if (size <= 0) continue;
                const double scale = size / face->units_per_em;
                const LONG top = static_cast<LONG>(std::lround(l.y - face->hhea_ascender * scale));
                const LONG bottom = static_cast<LONG>(std::lround(l.y - face->hhea_descender * scale));
                double x = l.x;
                std::size_t i = 0;
                while (i < l.text.size()) {
                    double start = x;
                    std::size_t begin = i;
                    const bool space = is_space(l.text[i]);
                    while (i < l.text.size() && is_space(l.text[i]) == space) {
                        FT_Fixed advance = 0;
                        FT_Get_Advance(face->ft, FT_Get_Char_Index(face->ft, l.text[i]),
                                       FT_LOAD_NO_SCALE, &advance);
                        x += static_cast<double>(advance) * scale;
                        ++i;
                    }
                    if (space) continue;
                    p->words().push_back({l.text.substr(begin, i - begin),
                                          static_cast<LONG>(std::lround(start)), top,
                                          static_cast<LONG>(std::lround(x)), bottom, e.id});
                    if (added) ++*added;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT document::recognise_words(LONG number, LONG* added) noexcept
{
    if (added) *added = 0;
    if (!doc_ || number < 1 || number > page_count()) return E_INVALIDARG;
    return host::recognise_words(doc_->pages()[static_cast<std::size_t>(number - 1)].get(), added);
}

}  // namespace host
