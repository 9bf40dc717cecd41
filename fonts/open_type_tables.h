// The metric tables of one TrueType or OpenType face, parsed from their raw bytes: units per em
// from 'head', the number of long metrics from 'hhea', the advance widths of 'hmtx' and one
// character map of 'cmap'. GDI hands these bytes to CZOpenTypeFont; tests and the fuzzer hand
// them over directly.
//
// Font files are untrusted: every offset, count and index taken from a table is checked against
// that table's size before it is used. A header that cannot hold the fields the reader needs
// makes Load fail; a lookup that would leave its table gives 0.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "platform/com/types.h"

namespace fonts {

// Windows ANSI (ISO 8859-1 range) code to Mac OS Roman code, for faces whose only usable
// character map is the (1, 0) Macintosh Roman one; 0 where Mac Roman has no such character.
extern const WORD AnsiToMacRoman[256];

struct FontTableBytes {
    std::span<const BYTE> head;  // at least the 54 bytes of the fixed header
    std::span<const BYTE> hhea;  // at least 36 bytes
    std::vector<BYTE> hmtx;      // the whole table, kept by the reader
    std::vector<BYTE> cmap;      // the whole table, kept by the reader
    bool has_os2 = true;         // a face without 'OS/2' is a symbol face when its map is (3, 0)
};

class OpenTypeTables {
public:
    OpenTypeTables() noexcept = default;
    OpenTypeTables(const OpenTypeTables&) = delete;
    OpenTypeTables& operator=(const OpenTypeTables&) = delete;

    // Takes the tables over and chooses the character map. symbol_charset is what GDI said of
    // the face's character set. false leaves the object cleared.
    bool Load(FontTableBytes tables, bool symbol_charset) noexcept;
    // Frees both table copies; every query then gives 0.
    void Clear() noexcept;

    bool IsLoaded() const noexcept { return loaded_; }
    WORD GetGlyphIndex(WORD code) const noexcept;
    WORD GetAdvanceWidth(WORD glyph) const noexcept;
    WORD GetUnitsPerEm() const noexcept { return loaded_ ? units_per_em_ : 0; }
    WORD GetNumberOfHMetrics() const noexcept { return loaded_ ? number_of_h_metrics_ : 0; }

    // The character map in use; all 0 when not loaded.
    WORD GetPlatformId() const noexcept { return loaded_ ? platform_id_ : 0; }
    WORD GetEncodingId() const noexcept { return loaded_ ? encoding_id_ : 0; }
    WORD GetFormat() const noexcept { return loaded_ ? format_ : 0; }
    bool IsSymbol() const noexcept { return loaded_ && symbol_; }

private:
    bool ChooseCharacterMap() noexcept;
    bool ReadCmapWord(std::size_t at, WORD* value) const noexcept;
    WORD LookupFormat4(WORD code) const noexcept;

    bool loaded_ = false;
    bool symbol_ = false;
    WORD units_per_em_ = 0;
    WORD number_of_h_metrics_ = 0;
    std::vector<BYTE> hmtx_;
    std::vector<BYTE> cmap_;

    WORD platform_id_ = 0;
    WORD encoding_id_ = 0;
    WORD format_ = 0;
    // Byte positions inside cmap_. Format 0 uses glyphs_ (the 256-byte array); format 6 uses
    // first_code_, entry_count_ and glyphs_; format 4 uses all the arrays.
    std::size_t glyphs_ = 0;
    WORD first_code_ = 0;
    WORD entry_count_ = 0;
    WORD seg_count_ = 0;
    std::size_t end_codes_ = 0;
    std::size_t start_codes_ = 0;
    std::size_t id_deltas_ = 0;
    std::size_t id_range_offsets_ = 0;
};

}  // namespace fonts
