// CZOpenTypeFont: glyph indices, advance widths, units per em and outline metrics of an
// installed TrueType or OpenType face, read from the face's own tables through GDI. The note
// measures its automatic text with it, independent of any output device.
//
// Open reads everything once: the outline metrics and whole copies of 'hmtx' and 'cmap', so the
// queries need no GDI call. Until an Open succeeds, and after Close or a failed Open, every query
// gives 0 or null.
//
// By default each Open makes a "DISPLAY" information context and deletes it before returning.
// A reader constructed on a device context of the caller's uses that one for every Open instead,
// selecting the font into it and back out again; the context stays the caller's to delete.
#pragma once

#include <memory>
#include <string>

#include "fonts/open_type_tables.h"
#include "platform/gdi/gdi.h"

class CZOpenTypeFont {
public:
    CZOpenTypeFont() noexcept = default;
    explicit CZOpenTypeFont(HDC persistent_dc) noexcept : persistent_dc_(persistent_dc) {}
    CZOpenTypeFont(const CZOpenTypeFont&) = delete;
    CZOpenTypeFont& operator=(const CZOpenTypeFont&) = delete;
    virtual ~CZOpenTypeFont();

    // Loads the face GDI selects for the request (a substituted face counts as success).
    // faceName is NUL-terminated text in the ANSI code page; height is in logical units as
    // CreateFontA takes it, negative for a character height. 1 on success, 0 on failure.
    BOOL Open(LPCSTR faceName, BOOL bold, BOOL italic, LONG height) noexcept;
    // Frees the metrics and tables; the reader can be opened again.
    void Close() noexcept;

    // 0 when the code is unmapped or nothing is loaded.
    WORD GetGlyphIndex(WORD code) const noexcept { return tables_.GetGlyphIndex(code); }
    // In font units; glyphs past the long metrics take the last long metric's advance.
    WORD GetAdvanceWidth(WORD glyph) const noexcept { return tables_.GetAdvanceWidth(glyph); }
    WORD GetUnitsPerEm() const noexcept { return tables_.GetUnitsPerEm(); }
    // The metrics as GDI returned them, name offsets included; null when not loaded.
    const OUTLINETEXTMETRICA* GetOutlineTextMetrics() const noexcept;
    // Whether the face is treated as a symbol face (its codes moved to 0xF000..0xF0FF).
    BOOL IsSymbolFont() const noexcept { return tables_.IsSymbol() ? TRUE : FALSE; }

    // The last request, kept even when Open failed.
    const std::string& GetFaceName() const noexcept { return face_name_; }
    BOOL IsBold() const noexcept { return bold_; }
    BOOL IsItalic() const noexcept { return italic_; }
    LONG GetHeight() const noexcept { return height_; }

private:
    BOOL LoadMetrics(HDC dc) noexcept;
    BOOL LoadTables(HDC dc) noexcept;

    HDC persistent_dc_ = nullptr;
    std::string face_name_;
    BOOL bold_ = FALSE;
    BOOL italic_ = FALSE;
    LONG height_ = 0;
    BOOL symbol_charset_ = FALSE;
    // Raw bytes, as GDI writes the name strings after the structure.
    std::unique_ptr<BYTE[]> metrics_;
    fonts::OpenTypeTables tables_;
};
