// Font resolution, glyph lookup and subset embedding for the PDF writer.
#include "host/output/pdf/font_set.h"
#include "host/output/pdf/pdf_names.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H
#include <hb-subset.h>
#include <hb.h>

#include "platform/com/codepage.h"
#include "platform/gdi/face.h"

namespace host::pdf {
namespace {

constexpr std::uint32_t tag(char a, char b, char c, char d)
{
    return (std::uint32_t(BYTE(a)) << 24) | (std::uint32_t(BYTE(b)) << 16) |
           (std::uint32_t(BYTE(c)) << 8) | std::uint32_t(BYTE(d));
}

std::string hex4(unsigned v)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = digits[v & 15];
    return s;
}

// The ToUnicode CMap of the glyphs shown: one bfchar entry per glyph.
std::string to_unicode_cmap(const std::map<std::uint16_t, std::u16string>& text)
{
    std::string s =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<std::uint16_t, const std::u16string*>> rows;
    for (const auto& [glyph, chars] : text)
        if (glyph != 0 && !chars.empty()) rows.emplace_back(glyph, &chars);
    for (std::size_t at = 0; at < rows.size(); at += 100) {
        const std::size_t n = std::min<std::size_t>(100, rows.size() - at);
        s += std::to_string(n) + " beginbfchar\n";
        for (std::size_t i = at; i < at + n; ++i) {
            s += '<' + hex4(rows[i].first) + "> <";
            for (char16_t c : *rows[i].second) s += hex4(c);
            s += ">\n";
        }
        s += "endbfchar\n";
    }
    s += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return s;
}

// A six-letter subset tag from the glyphs used, so that different subsets get different names.
std::string subset_tag(const std::map<std::uint16_t, std::u16string>& text, const std::string& name)
{
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    for (char c : name) mix(BYTE(c));
    for (const auto& entry : text) mix(entry.first);
    std::string t(6, 'A');
    for (char& c : t) {
        c = static_cast<char>('A' + h % 26);
        h /= 26;
    }
    return t;
}

std::string postscript_name(const gdi::Face& face)
{
    const char* ps = face.ft ? FT_Get_Postscript_Name(face.ft) : nullptr;
    std::string name = ps ? ps : face.family;
    std::string clean;
    for (char c : name)
        if (c > 0x20 && c < 0x7F && !std::strchr("()<>[]{}/%#", c)) clean += c;
    return clean.empty() ? std::string("Font") : clean;
}

// The subset of the face's file that keeps the glyphs shown under their own ids.
std::string subset(const gdi::Face& face, const std::map<std::uint16_t, std::u16string>& text)
{
    std::string result;
    hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(face.file.data()),
                                     static_cast<unsigned>(face.file.size()),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* source = hb_face_create(blob, static_cast<unsigned>(face.index));
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (input) {
        hb_set_t* glyphs = hb_subset_input_glyph_set(input);
        hb_set_add(glyphs, 0);
        for (const auto& entry : text) hb_set_add(glyphs, entry.first);
        hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
        // A PDF reader draws glyphs by id: the layout tables only add bytes.
        hb_set_t* drop = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
        for (std::uint32_t t : {tag('G', 'S', 'U', 'B'), tag('G', 'P', 'O', 'S'), tag('G', 'D', 'E', 'F'),
                                tag('k', 'e', 'r', 'n'), tag('D', 'S', 'I', 'G')})
            hb_set_add(drop, t);
        if (hb_face_t* made = hb_subset_or_fail(source, input)) {
            hb_blob_t* bytes = hb_face_reference_blob(made);
            unsigned length = 0;
            const char* data = hb_blob_get_data(bytes, &length);
            if (data && length) result.assign(data, length);
            hb_blob_destroy(bytes);
            hb_face_destroy(made);
        }
        hb_subset_input_destroy(input);
    }
    hb_face_destroy(source);
    hb_blob_destroy(blob);
    return result;
}

}  // namespace

int font_set::index_of(const gdi::Face* face)
{
    for (std::size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i].face == face) return static_cast<int>(i);
    // A dictionary for now (a null would drop out of the resources naming it), filled by finish().
    fonts_.push_back({face, out_.makeIndirectObject(QPDFObjectHandle::newDictionary()), {}, {}});
    return static_cast<int>(fonts_.size() - 1);
}

font_set::shaped font_set::shape(const font_paint* font, std::u16string_view text)
{
    const std::u16string face_name = font ? std::u16string(font->face) : std::u16string();
    const bool bold = font && font->bold, italic = font && font->italic;
    auto key = std::make_tuple(face_name, bold, italic);
    auto known = faces_.find(key);
    const gdi::Face* face = nullptr;
    if (known != faces_.end()) {
        face = known->second;
    } else {
        LOGFONTA lf{};
        lf.lfHeight = -100;
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = italic ? 1 : 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        // As the elements measured it: the name in the ANSI code page, at most 31 bytes. An empty
        // name gets the system's default face.
        const std::string ansi = com::to_ansi(face_name).substr(0, LF_FACESIZE - 1);
        std::memcpy(lf.lfFaceName, ansi.data(), ansi.size());
        face = gdi::resolve_face(lf);
        faces_.emplace(key, face);
    }
    shaped out;
    if (!face || !face->ft) return out;
    out.font = index_of(face);
    out.fake_bold = bold && !face->bold && face->weight_class < 600;
    out.fake_italic = italic && !face->italic;
    used& f = fonts_[static_cast<std::size_t>(out.font)];
    if (f.glyph_of.empty()) f.glyph_of.resize(0x100);
    out.glyphs.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = com::next_code_point(text, &i);
        std::vector<std::uint32_t>* page = nullptr;
        if (c < 0x10000) {
            page = &f.glyph_of[c >> 8];
            if (page->empty()) page->assign(0x100, 0xFFFFFFFFu);
            if ((*page)[c & 0xFF] != 0xFFFFFFFFu) {
                out.glyphs.push_back(static_cast<std::uint16_t>((*page)[c & 0xFF]));
                continue;
            }
        }
        FT_UInt glyph = FT_Get_Char_Index(face->ft, c);
        if (glyph == 0 && face->symbol && c < 0x100) glyph = FT_Get_Char_Index(face->ft, 0xF000 + c);
        if (glyph > 0xFFFF) glyph = 0;
        const auto g = static_cast<std::uint16_t>(glyph);
        if (page) (*page)[c & 0xFF] = g;
        out.glyphs.push_back(g);
        auto& chars = f.text[g];
        if (chars.empty()) chars.assign(text.substr(start, i - start));
    }
    return out;
}

void font_set::finish()
{
    for (used& f : fonts_) embed(f);
}

void font_set::embed(used& f)
{
    const gdi::Face& face = *f.face;
    const double em = face.units_per_em ? face.units_per_em : 1000;
    auto scaled = [em](double v) { return QPDFObjectHandle::newReal(v * 1000.0 / em, 0, true); };

    DWORD glyf_offset = 0, glyf_length = 0;
    const bool truetype = face.find_table(tag('g', 'l', 'y', 'f'), &glyf_offset, &glyf_length);
    std::string program = subset(face, f.text);
    if (program.empty()) {
        // The subsetter gave up: the whole face, which is still correct, only larger.
        program.assign(reinterpret_cast<const char*>(face.file.data()), face.file.size());
    }
    const std::string base = subset_tag(f.text, postscript_name(face)) + "+" + postscript_name(face);

    QPDFObjectHandle file = QPDFObjectHandle::newStream(&out_, program);
    if (truetype) {
        file.getDict().replaceKey(name::Length1, QPDFObjectHandle::newInteger(static_cast<long long>(program.size())));
    } else {
        file.getDict().replaceKey(name::Subtype, QPDFObjectHandle::newName(name::OpenType));
    }

    long long flags = face.symbol ? 4 : 32;
    if (face.fixed_width) flags |= 1;
    if (face.italic) flags |= 64;
    QPDFObjectHandle descriptor = QPDFObjectHandle::newDictionary();
    descriptor.replaceKey(name::Type, QPDFObjectHandle::newName(name::FontDescriptor));
    descriptor.replaceKey(name::FontName, QPDFObjectHandle::newName("/" + base));
    descriptor.replaceKey(name::Flags, QPDFObjectHandle::newInteger(flags));
    QPDFObjectHandle bbox = QPDFObjectHandle::newArray();
    for (SHORT v : {face.x_min, face.y_min, face.x_max, face.y_max}) bbox.appendItem(scaled(v));
    descriptor.replaceKey(name::FontBBox, bbox);
    descriptor.replaceKey(name::ItalicAngle, QPDFObjectHandle::newReal(face.italic_angle / 65536.0, 2, true));
    const double ascent = face.has_os2 ? face.typo_ascender : face.hhea_ascender;
    const double descent = face.has_os2 ? face.typo_descender : face.hhea_descender;
    descriptor.replaceKey(name::Ascent, scaled(ascent));
    descriptor.replaceKey(name::Descent, scaled(descent));
    descriptor.replaceKey(name::CapHeight, scaled(face.cap_height ? face.cap_height : ascent));
    descriptor.replaceKey(name::StemV, QPDFObjectHandle::newInteger(face.bold ? 120 : 80));
    descriptor.replaceKey(truetype ? name::FontFile2 : name::FontFile3, file);

    // Widths of the glyphs shown, in runs of consecutive ids.
    QPDFObjectHandle widths = QPDFObjectHandle::newArray();
    QPDFObjectHandle run;
    long long run_next = -2;
    for (const auto& entry : f.text) {
        FT_Fixed advance = 0;
        FT_Get_Advance(face.ft, entry.first, FT_LOAD_NO_SCALE, &advance);
        if (entry.first != run_next) {
            if (run.isInitialized()) widths.appendItem(run);
            widths.appendItem(QPDFObjectHandle::newInteger(entry.first));
            run = QPDFObjectHandle::newArray();
        }
        run.appendItem(scaled(static_cast<double>(advance)));
        run_next = entry.first + 1;
    }
    if (run.isInitialized()) widths.appendItem(run);

    QPDFObjectHandle cid = QPDFObjectHandle::newDictionary();
    cid.replaceKey(name::Type, QPDFObjectHandle::newName(name::Font));
    cid.replaceKey(name::Subtype, QPDFObjectHandle::newName(truetype ? name::CIDFontType2 : name::CIDFontType0));
    cid.replaceKey(name::BaseFont, QPDFObjectHandle::newName("/" + base));
    cid.replaceKey(name::CIDSystemInfo,
                   QPDFObjectHandle::parse("<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"));
    cid.replaceKey(name::FontDescriptor, out_.makeIndirectObject(descriptor));
    cid.replaceKey(name::W, widths);
    if (truetype) cid.replaceKey(name::CIDToGIDMap, QPDFObjectHandle::newName(name::Identity));

    QPDFObjectHandle type0 = QPDFObjectHandle::newDictionary();
    type0.replaceKey(name::Type, QPDFObjectHandle::newName(name::Font));
    type0.replaceKey(name::Subtype, QPDFObjectHandle::newName(name::Type0));
    type0.replaceKey(name::BaseFont, QPDFObjectHandle::newName("/" + base));
    type0.replaceKey(name::Encoding, QPDFObjectHandle::newName(name::Identity_H));
    QPDFObjectHandle descendants = QPDFObjectHandle::newArray();
    descendants.appendItem(out_.makeIndirectObject(cid));
    type0.replaceKey(name::DescendantFonts, descendants);
    type0.replaceKey(name::ToUnicode, QPDFObjectHandle::newStream(&out_, to_unicode_cmap(f.text)));
    out_.replaceObject(f.ref.getObjGen(), type0);
}

}  // namespace host::pdf
