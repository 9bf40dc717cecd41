// Face resolution and loading: fontconfig chooses the file, FreeType parses its tables, and the
// values GDI needs are copied out once so that measuring never calls into FreeType again.
#include "platform/gdi/face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <tuple>
#include <unordered_map>

#include "platform/com/codepage.h"

namespace gdi {
namespace {

std::string lower(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string ansi_to_utf8(const std::string& ansi)
{
    const std::u16string wide = com::from_ansi(ansi);
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// Everything below runs under one lock: FreeType faces and fontconfig's configuration are not
// safe to share between threads, and the caches hang off the same state.
struct Registry {
    std::mutex lock;
    FT_Library library = nullptr;
    bool fontconfig_ready = false;
    std::map<std::pair<std::string, int>, std::unique_ptr<Face>> faces;
    std::map<std::tuple<std::string, LONG, bool>, const Face*> resolved;
    std::map<std::pair<const Face*, UINT>, std::shared_ptr<const SizedFont>> sizes;
    std::vector<const Face*> private_faces;  // AddFontResourceExA, searched before fontconfig

    ~Registry()
    {
        sizes.clear();
        faces.clear();
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

bool ensure_libraries(Registry& r)
{
    if (r.library == nullptr && FT_Init_FreeType(&r.library) != 0) {
        r.library = nullptr;
        return false;
    }
    if (!r.fontconfig_ready) r.fontconfig_ready = FcInit() == FcTrue;
    return r.fontconfig_ready;
}

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

std::unique_ptr<Face> load_face(Registry& r, const std::string& path, int index)
{
    auto face = std::unique_ptr<Face>(new (std::nothrow) Face);
    if (!face) return nullptr;
    face->path = path;
    face->index = index;

    std::FILE* f = std::fopen(path.c_str(), "rb");
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
    if (FT_New_Memory_Face(r.library, face->file.data(), static_cast<FT_Long>(face->file.size()),
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

const Face* face_for_file(Registry& r, const std::string& path, int index)
{
    const auto key = std::make_pair(path, index);
    if (auto it = r.faces.find(key); it != r.faces.end()) return it->second.get();
    auto face = load_face(r, path, index);
    if (!face) return nullptr;
    const Face* result = face.get();
    r.faces.emplace(key, std::move(face));
    return result;
}

bool family_matches(FcPattern* pattern, const std::string& wanted_utf8)
{
    const std::string wanted = lower(wanted_utf8);
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
        if (lower(reinterpret_cast<const char*>(value)) == wanted) return true;
    }
    return false;
}

// Asks fontconfig for `family`; with `exact`, a result of another family counts as no match.
const Face* match(Registry& r, const std::string& family_utf8, LONG weight, bool italic,
                  bool exact)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return nullptr;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family_utf8.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight <= 0 ? FW_NORMAL : weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (found == nullptr) return nullptr;

    const Face* face = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if ((!exact || family_matches(found, family_utf8)) &&
        FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(found, FC_INDEX, 0, &index);
        face = face_for_file(r, reinterpret_cast<const char*>(file), index);
    }
    FcPatternDestroy(found);
    return face;
}

// The registered private face of `family` nearest the requested weight and slant.
const Face* match_private(const Registry& r, const std::string& family_ansi, LONG weight,
                          bool italic)
{
    const std::string wanted = lower(family_ansi);
    const bool bold = weight > 550;
    const Face* best = nullptr;
    int best_score = 0;
    for (const Face* face : r.private_faces) {
        if (lower(face->family) != wanted) continue;
        const int score = (face->bold == bold ? 2 : 0) + (face->italic == italic ? 1 : 0) + 1;
        if (score > best_score) {
            best = face;
            best_score = score;
        }
    }
    return best;
}

constexpr const char* fallback_family = "Liberation Sans";

}  // namespace

Face::~Face()
{
    if (ft != nullptr) FT_Done_Face(ft);
}

std::int64_t mul_fix(std::int64_t a, std::int64_t b) noexcept
{
    const std::int64_t ab = a * b;
    return (ab + 0x8000 - (ab < 0 ? 1 : 0)) >> 16;
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

std::string substitute_family(const std::string& name) noexcept
{
    static const std::pair<const char*, const char*> table[] = {
        {"", "DejaVu Sans"},
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"arial narrow", "Liberation Sans Narrow"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"tahoma", "DejaVu Sans"},
        {"ms sans serif", "DejaVu Sans"},
        {"ms shell dlg", "DejaVu Sans"},
        {"ms shell dlg 2", "DejaVu Sans"},
        {"microsoft sans serif", "DejaVu Sans"},
        {"system", "DejaVu Sans"},
    };
    const std::string key = lower(name);
    for (const auto& [from, to] : table) {
        if (key == from) return to;
    }
    return name;
}

const Face* resolve_face(const LOGFONTA& logfont) noexcept
{
    try {
        std::size_t length = 0;
        while (length < LF_FACESIZE && logfont.lfFaceName[length] != '\0') ++length;
        const std::string requested(logfont.lfFaceName, length);
        const LONG weight = logfont.lfWeight;
        const bool italic = logfont.lfItalic != 0;

        Registry& r = registry();
        std::lock_guard guard(r.lock);
        const auto key = std::make_tuple(lower(requested), weight, italic);
        if (auto it = r.resolved.find(key); it != r.resolved.end()) return it->second;
        if (!ensure_libraries(r)) return nullptr;

        const std::string substituted = substitute_family(requested);
        const std::string family = ansi_to_utf8(substituted);
        const Face* face = match_private(r, substituted, weight, italic);
        if (face == nullptr) face = match(r, family, weight, italic, true);
        if (face == nullptr) face = match(r, fallback_family, weight, italic, true);
        if (face == nullptr) face = match(r, family, weight, italic, false);
        if (face != nullptr) r.resolved.emplace(key, face);
        return face;
    } catch (...) {
        return nullptr;
    }
}

int register_private_font(const char* path) noexcept
{
    if (path == nullptr || *path == '\0') return 0;
    try {
        Registry& r = registry();
        std::lock_guard guard(r.lock);
        if (!ensure_libraries(r)) return 0;
        FT_Face probe = nullptr;
        if (FT_New_Face(r.library, path, -1, &probe) != 0) return 0;
        const int count = static_cast<int>(probe->num_faces);
        FT_Done_Face(probe);
        // The faces stay with this process, as FR_PRIVATE fonts do on Windows; fontconfig's
        // own configuration is left alone.
        int added = 0;
        for (int i = 0; i < count; ++i) {
            const Face* face = face_for_file(r, path, i);
            if (face == nullptr) continue;
            if (std::find(r.private_faces.begin(), r.private_faces.end(), face) ==
                r.private_faces.end()) {
                r.private_faces.push_back(face);
            }
            ++added;
        }
        // Earlier misses may now resolve to the new family.
        if (added > 0) r.resolved.clear();
        return added;
    } catch (...) {
        return 0;
    }
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

std::shared_ptr<const SizedFont> sized_font(const Face& face, UINT ppem) noexcept
{
    try {
        Registry& r = registry();
        std::lock_guard guard(r.lock);
        const auto key = std::make_pair(&face, ppem);
        if (auto it = r.sizes.find(key); it != r.sizes.end()) return it->second;
        // A program cycling through sizes must not grow the cache without bound; callers hold
        // their own references, so dropping everything is safe.
        if (r.sizes.size() >= 4096) r.sizes.clear();
        auto sized = std::make_shared<const SizedFont>(face, ppem);
        r.sizes.emplace(key, sized);
        return sized;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace gdi
