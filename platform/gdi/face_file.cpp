// One face of a font file: the file read whole, FreeType's parse of it, and the table values,
// names, glyphs and advances GDI needs copied out once so that measuring never calls into
// FreeType again.
#include "platform/gdi/face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdio>
#include <new>

#include "platform/com/codepage.h"
#include "platform/com/regular_file.h"

namespace gdi {
namespace {

std::string sfnt_name(FT_Face face, FT_UShort name_id)
{
    std::string mac;
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != name_id) continue;
        if (name.platform_id == TT_PLATFORM_MICROSOFT &&
            (name.encoding_id == TT_MS_ID_UNICODE_CS || name.encoding_id == TT_MS_ID_SYMBOL_CS) &&
            name.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES) {
            std::u16string wide;
            for (FT_UInt k = 0; k + 1 < name.string_len; k += 2) {
                wide.push_back(static_cast<char16_t>((name.string[k] << 8) | name.string[k + 1]));
            }
            return com::to_ansi(wide);
        }
        if (name.platform_id == TT_PLATFORM_MACINTOSH && mac.empty()) {
            mac.assign(reinterpret_cast<const char*>(name.string), name.string_len);
        }
    }
    return mac;
}

DWORD be32(const std::vector<BYTE>& b, std::size_t at)
{
    if (at + 4 > b.size()) return 0;
    return (DWORD{b[at]} << 24) | (DWORD{b[at + 1]} << 16) | (DWORD{b[at + 2]} << 8) | b[at + 3];
}

}  // namespace

std::unique_ptr<Face> load_face(FT_LibraryRec_* library, const std::string& path, int index)
{
    auto face = std::unique_ptr<Face>(new (std::nothrow) Face);
    if (!face) return nullptr;
    face->path = path;
    face->index = index;

    std::FILE* f = com::fopen_regular_file(path.c_str());
    if (f == nullptr) return nullptr;
    BYTE chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        face->file.insert(face->file.end(), chunk, chunk + got);
    }
    std::fclose(f);
    if (face->file.size() < 12) return nullptr;
    if (be32(face->file, 0) == 0x74746366u) {  // 'ttcf': the face's offset table is listed
        face->sfnt_offset = be32(face->file, 12 + 4 * static_cast<std::size_t>(index));
    }

    FT_Face ft = nullptr;
    if (FT_New_Memory_Face(library, face->file.data(), static_cast<FT_Long>(face->file.size()),
                           index, &ft) != 0) {
        return nullptr;
    }
    face->ft = ft;
    if (!FT_IS_SCALABLE(ft) || !FT_IS_SFNT(ft) || ft->units_per_EM == 0) return nullptr;

    face->units_per_em = ft->units_per_EM;
    face->bold = (ft->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    face->italic = (ft->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    face->fixed_width = FT_IS_FIXED_WIDTH(ft);

    const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HEAD));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA));
    if (head == nullptr || hhea == nullptr) return nullptr;
    face->x_min = static_cast<SHORT>(head->xMin);
    face->y_min = static_cast<SHORT>(head->yMin);
    face->x_max = static_cast<SHORT>(head->xMax);
    face->y_max = static_cast<SHORT>(head->yMax);
    face->lowest_rec_ppem = head->Lowest_Rec_PPEM;
    face->hhea_ascender = hhea->Ascender;
    face->hhea_descender = hhea->Descender;
    face->hhea_line_gap = hhea->Line_Gap;
    face->caret_slope_rise = hhea->caret_Slope_Rise;
    face->caret_slope_run = hhea->caret_Slope_Run;

    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        os2 != nullptr && os2->version != 0xFFFFu) {
        face->has_os2 = true;
        face->os2_version = os2->version;
        face->x_avg_char_width = os2->xAvgCharWidth;
        face->weight_class = os2->usWeightClass;
        face->fs_type = os2->fsType;
        face->fs_selection = os2->fsSelection;
        face->subscript[0] = os2->ySubscriptXSize;
        face->subscript[1] = os2->ySubscriptYSize;
        face->subscript[2] = os2->ySubscriptXOffset;
        face->subscript[3] = os2->ySubscriptYOffset;
        face->superscript[0] = os2->ySuperscriptXSize;
        face->superscript[1] = os2->ySuperscriptYSize;
        face->superscript[2] = os2->ySuperscriptXOffset;
        face->superscript[3] = os2->ySuperscriptYOffset;
        face->strikeout_size = os2->yStrikeoutSize;
        face->strikeout_position = os2->yStrikeoutPosition;
        std::copy(std::begin(os2->panose), std::end(os2->panose), face->panose.begin());
        face->first_char_index = os2->usFirstCharIndex;
        face->last_char_index = os2->usLastCharIndex;
        face->typo_ascender = os2->sTypoAscender;
        face->typo_descender = os2->sTypoDescender;
        face->typo_line_gap = os2->sTypoLineGap;
        face->win_ascent = os2->usWinAscent;
        face->win_descent = os2->usWinDescent;
        if (os2->version >= 2) {
            face->x_height = os2->sxHeight;
            face->cap_height = os2->sCapHeight;
        }
    }
    if (const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(ft, FT_SFNT_POST));
        post != nullptr) {
        face->has_post = true;
        face->underline_position = post->underlinePosition;
        face->underline_thickness = post->underlineThickness;
        face->italic_angle = static_cast<LONG>(post->italicAngle);
    }

    face->family = sfnt_name(ft, TT_NAME_ID_FONT_FAMILY);
    face->style = sfnt_name(ft, TT_NAME_ID_FONT_SUBFAMILY);
    face->full_name = sfnt_name(ft, TT_NAME_ID_FULL_NAME);
    face->unique_name = sfnt_name(ft, TT_NAME_ID_UNIQUE_ID);
    if (face->family.empty() && ft->family_name != nullptr) face->family = ft->family_name;

    // A face with only a symbol cmap takes the character codes in U+F000..U+F0FF.
    face->symbol = FT_Select_Charmap(ft, FT_ENCODING_UNICODE) != 0 &&
                   FT_Select_Charmap(ft, FT_ENCODING_MS_SYMBOL) == 0;
    for (int b = 0; b < 256; ++b) {
        FT_ULong code = static_cast<FT_ULong>(b);
        if (face->symbol) {
            code += 0xF000;
        } else {
            const char byte = static_cast<char>(b);
            const std::u16string wide = com::from_ansi(std::string_view(&byte, 1));
            code = wide.size() == 1 ? wide[0] : 0;
        }
        const FT_UInt glyph = code != 0 ? FT_Get_Char_Index(ft, code) : 0;
        FT_Fixed units = 0;
        FT_Get_Advance(ft, glyph, FT_LOAD_NO_SCALE, &units);
        face->glyph[static_cast<std::size_t>(b)] = static_cast<USHORT>(glyph);
        face->advance[static_cast<std::size_t>(b)] = static_cast<USHORT>(units);
    }
    return face;
}

Face::~Face()
{
    if (ft != nullptr) FT_Done_Face(ft);
}

bool Face::find_table(DWORD tag, DWORD* offset, DWORD* length) const noexcept
{
    const std::size_t base = sfnt_offset;
    const std::size_t count = (be32(file, base + 4) >> 16) & 0xFFFFu;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = base + 12 + 16 * i;
        if (record + 16 > file.size()) return false;
        if (be32(file, record) != tag) continue;
        const DWORD at = be32(file, record + 8);
        const DWORD size = be32(file, record + 12);
        if (at > file.size() || size > file.size() - at) return false;
        *offset = at;
        *length = size;
        return true;
    }
    return false;
}

}  // namespace gdi
