// Parsing and lookups of the face tables behind CZOpenTypeFont. All values are big-endian.
#include "fonts/open_type_tables.h"

#include <utility>

namespace fonts {

const WORD AnsiToMacRoman[256] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xCA, 0xC1, 0xA2, 0xA3, 0xDB, 0xB4, 0x00, 0xA4, 0xAC, 0xA9, 0xBB, 0xC7, 0xC2, 0x00, 0xA8, 0xF8,
    0xA1, 0xB1, 0x00, 0x00, 0xAB, 0xB5, 0xA6, 0x00, 0xFC, 0x00, 0xBC, 0xC8, 0x00, 0x00, 0x00, 0xC0,
    0xCB, 0xE7, 0xE5, 0xCC, 0x80, 0x81, 0xAE, 0x82, 0xE9, 0x83, 0xE6, 0xE8, 0xED, 0xEA, 0xEB, 0xEC,
    0x00, 0x84, 0xF1, 0xEE, 0xEF, 0xCD, 0x85, 0x00, 0xAF, 0xF4, 0xF2, 0xF3, 0x86, 0x00, 0x00, 0xA7,
    0x88, 0x87, 0x89, 0x8B, 0x8A, 0x8C, 0xBE, 0x8D, 0x8F, 0x8E, 0x90, 0x91, 0x93, 0x92, 0x94, 0x95,
    0x00, 0x96, 0x98, 0x97, 0x99, 0x9B, 0x9A, 0xD6, 0xBF, 0x9D, 0x9C, 0x9E, 0x9F, 0x00, 0x00, 0xD8,
};

namespace {

constexpr std::size_t kHeadSize = 54;
constexpr std::size_t kHheaSize = 36;
constexpr DWORD kHeadMagic = 0x5F0F3CF5u;

WORD be16(const BYTE* p) noexcept
{
    return static_cast<WORD>((static_cast<unsigned>(p[0]) << 8) | p[1]);
}

DWORD be32(const BYTE* p) noexcept
{
    return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) |
           (static_cast<DWORD>(p[2]) << 8) | p[3];
}

// The word at byte position at, when the whole word lies inside the table.
bool read_word(const std::vector<BYTE>& table, std::size_t at, WORD* value) noexcept
{
    if (at > table.size() || table.size() - at < 2) return false;
    *value = be16(table.data() + at);
    return true;
}

bool qualifies(WORD platform, WORD encoding) noexcept
{
    return (platform == 1 && encoding == 0) || (platform == 3 && (encoding == 0 || encoding == 1));
}

}  // namespace

bool OpenTypeTables::Load(FontTableBytes tables, bool symbol_charset) noexcept
{
    Clear();
    if (tables.head.size() < kHeadSize || tables.hhea.size() < kHheaSize) return false;
    if (be32(tables.head.data() + 12) != kHeadMagic) return false;
    units_per_em_ = be16(tables.head.data() + 18);
    number_of_h_metrics_ = be16(tables.hhea.data() + 34);
    if (number_of_h_metrics_ == 0) return false;

    hmtx_ = std::move(tables.hmtx);
    cmap_ = std::move(tables.cmap);
    if (!ChooseCharacterMap()) {
        Clear();
        return false;
    }
    symbol_ = tables.has_os2 ? symbol_charset : (platform_id_ == 3 && encoding_id_ == 0);
    loaded_ = true;
    return true;
}

void OpenTypeTables::Clear() noexcept
{
    // Swapping with empty vectors gives the memory back, which clear() would not.
    std::vector<BYTE>().swap(hmtx_);
    std::vector<BYTE>().swap(cmap_);
    loaded_ = false;
    symbol_ = false;
    units_per_em_ = 0;
    number_of_h_metrics_ = 0;
    platform_id_ = encoding_id_ = format_ = 0;
    glyphs_ = 0;
    first_code_ = entry_count_ = seg_count_ = 0;
    end_codes_ = start_codes_ = id_deltas_ = id_range_offsets_ = 0;
}

bool OpenTypeTables::ChooseCharacterMap() noexcept
{
    WORD num_tables = 0;
    if (!read_word(cmap_, 2, &num_tables)) return false;
    bool found = false;
    DWORD subtable = 0;
    // A count that runs past the end of the table is taken as far as whole records exist.
    for (std::size_t i = 0; i < num_tables; ++i) {
        const std::size_t record = 4 + 8 * i;
        if (cmap_.size() < record + 8) break;
        const BYTE* p = cmap_.data() + record;
        const WORD platform = be16(p);
        const WORD encoding = be16(p + 2);
        if (!qualifies(platform, encoding)) continue;
        // The last qualifying record wins, even when its subtable turns out unusable.
        found = true;
        platform_id_ = platform;
        encoding_id_ = encoding;
        subtable = be32(p + 4);
    }
    if (!found) return false;

    const std::size_t base = subtable;
    if (!read_word(cmap_, base, &format_)) return false;
    // The fixed fields of a subtable must be inside the table; its arrays are checked per read.
    switch (format_) {
    case 0:
        if (cmap_.size() < base + 6) return false;
        glyphs_ = base + 6;
        return true;
    case 4: {
        WORD seg_count_x2 = 0;
        if (cmap_.size() < base + 14 || !read_word(cmap_, base + 6, &seg_count_x2)) return false;
        // An odd segCountX2 is taken as its half rounded down, the arrays placed by that count.
        seg_count_ = static_cast<WORD>(seg_count_x2 / 2);
        end_codes_ = base + 14;
        start_codes_ = end_codes_ + 2 * std::size_t{seg_count_} + 2;  // past reservedPad
        id_deltas_ = start_codes_ + 2 * std::size_t{seg_count_};
        id_range_offsets_ = id_deltas_ + 2 * std::size_t{seg_count_};
        glyphs_ = id_range_offsets_ + 2 * std::size_t{seg_count_};
        return true;
    }
    case 6:
        if (cmap_.size() < base + 10) return false;
        first_code_ = be16(cmap_.data() + base + 6);
        entry_count_ = be16(cmap_.data() + base + 8);
        glyphs_ = base + 10;
        return true;
    default:
        return false;
    }
}

bool OpenTypeTables::ReadCmapWord(std::size_t at, WORD* value) const noexcept
{
    return read_word(cmap_, at, value);
}

WORD OpenTypeTables::GetGlyphIndex(WORD code) const noexcept
{
    if (!loaded_) return 0;
    if (platform_id_ == 1 && encoding_id_ == 0 && code < 256) {
        code = AnsiToMacRoman[code];
    } else if (platform_id_ == 3 && encoding_id_ == 0 && code < 256 && symbol_) {
        code = static_cast<WORD>(code + 0xF000);
    }

    switch (format_) {
    case 0:
        if (code >= 256 || glyphs_ + code >= cmap_.size()) return 0;
        return cmap_[glyphs_ + code];
    case 6: {
        if (code < first_code_ || code - first_code_ >= entry_count_) return 0;
        WORD glyph = 0;
        return ReadCmapWord(glyphs_ + 2 * std::size_t{static_cast<WORD>(code - first_code_)},
                            &glyph)
                   ? glyph
                   : 0;
    }
    case 4:
        return LookupFormat4(code);
    default:
        return 0;
    }
}

WORD OpenTypeTables::LookupFormat4(WORD code) const noexcept
{
    // Symbol faces put their characters either at 0x00..0xFF or at 0xF000..0xF0FF; move the
    // code to whichever convention the first segment shows.
    WORD first_start = 0;
    if (platform_id_ == 3 && symbol_ && seg_count_ > 0 &&
        ReadCmapWord(start_codes_, &first_start)) {
        if (encoding_id_ == 0 && code > 0xF000 && first_start < 0xF000) {
            code = static_cast<WORD>(code - 0xF000);
        } else if (encoding_id_ == 1 && code < 256 && first_start >= 0xF000) {
            code = static_cast<WORD>(code + 0xF000);
        }
    }

    std::size_t segment = 0;
    for (;; ++segment) {
        WORD end_code = 0;
        if (segment == seg_count_ || !ReadCmapWord(end_codes_ + 2 * segment, &end_code)) return 0;
        if (end_code >= code) break;
    }
    WORD start_code = 0, id_delta = 0, id_range_offset = 0;
    if (!ReadCmapWord(start_codes_ + 2 * segment, &start_code) || start_code > code) return 0;
    if (!ReadCmapWord(id_deltas_ + 2 * segment, &id_delta)) return 0;
    const std::size_t range_offset_at = id_range_offsets_ + 2 * segment;
    if (!ReadCmapWord(range_offset_at, &id_range_offset)) return 0;
    if (id_range_offset == 0) return static_cast<WORD>(code + id_delta);

    WORD glyph = 0;
    const std::size_t glyph_at =
        range_offset_at + id_range_offset + 2 * std::size_t{static_cast<WORD>(code - start_code)};
    if (!ReadCmapWord(glyph_at, &glyph) || glyph == 0) return 0;
    return static_cast<WORD>(glyph + id_delta);
}

WORD OpenTypeTables::GetAdvanceWidth(WORD glyph) const noexcept
{
    if (!loaded_ || number_of_h_metrics_ == 0) return 0;
    // Glyphs past the long metrics share the last one's advance. A table too short for the
    // metric asked gives 0 rather than a neighbour's width.
    const std::size_t metric = glyph < number_of_h_metrics_ ? glyph : number_of_h_metrics_ - 1u;
    WORD advance = 0;
    return read_word(hmtx_, 4 * metric, &advance) ? advance : 0;
}

}  // namespace fonts
