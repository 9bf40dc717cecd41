// Font faces: LOGFONTA to a font file through fontconfig, the file's tables read once, and the
// metrics GDI derives from them at one pixel size.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

struct FT_FaceRec_;
struct FT_LibraryRec_;

namespace gdi {

// One face of one font file, loaded once per process and kept until it ends.
struct Face {
    std::string path;
    int index = 0;
    std::vector<BYTE> file;       // the whole file: GetFontData reads from here
    DWORD sfnt_offset = 0;        // this face's offset table (non-zero inside a collection)
    FT_FaceRec_* ft = nullptr;    // FreeType face on `file`, used for drawing

    // Table values, as stored.
    UINT units_per_em = 2048;
    SHORT x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    UINT lowest_rec_ppem = 0;
    SHORT hhea_ascender = 0, hhea_descender = 0, hhea_line_gap = 0;
    SHORT caret_slope_rise = 1, caret_slope_run = 0;
    bool has_os2 = false;
    USHORT os2_version = 0;
    SHORT x_avg_char_width = 0;
    USHORT weight_class = FW_NORMAL;
    USHORT fs_type = 0, fs_selection = 0;
    SHORT subscript[4]{}, superscript[4]{};  // x size, y size, x offset, y offset
    SHORT strikeout_size = 0, strikeout_position = 0;
    std::array<BYTE, 10> panose{};
    USHORT first_char_index = 0, last_char_index = 0;
    SHORT typo_ascender = 0, typo_descender = 0, typo_line_gap = 0;
    USHORT win_ascent = 0, win_descent = 0;
    SHORT x_height = 0, cap_height = 0;
    bool has_post = false;
    SHORT underline_position = 0, underline_thickness = 0;
    LONG italic_angle = 0;  // 16.16
    bool bold = false, italic = false, fixed_width = false, symbol = false;

    // Names in the ANSI code page.
    std::string family, style, full_name, unique_name;

    // Glyph and advance (font units) of every ANSI character.
    std::array<USHORT, 256> glyph{};
    std::array<USHORT, 256> advance{};

    // Finds a table by its tag as stored in the file (big-endian, so 'head' is 0x68656164).
    bool find_table(DWORD tag, DWORD* offset, DWORD* length) const noexcept;

    // Some fonts store usWinDescent as a negative number; GDI takes its magnitude.
    LONG fixed_win_descent() const noexcept
    {
        const LONG d = static_cast<SHORT>(win_descent);
        return d < 0 ? -d : d;
    }

    Face() = default;
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;
    ~Face();
};

// Metrics in device pixels of one face at one em size, as GDI reports them.
class SizedFont {
public:
    SizedFont(const Face& face, UINT ppem) noexcept;

    const Face& face;
    UINT ppem;
    TEXTMETRICA tm{};
    OUTLINETEXTMETRICA otm{};
    std::array<LONG, 256> advance{};  // pixels, per ANSI character
    LONG scale(LONG font_units) const noexcept;

private:
    LONG em_scale_;
};

// Reads face `index` of the font file at `path` and copies out its table values; null when it
// is not a scalable sfnt face. Runs under the face registry's lock, as FreeType is not safe to
// share between threads; may throw std::bad_alloc.
std::unique_ptr<Face> load_face(FT_LibraryRec_* library, const std::string& path, int index);

// The face a LOGFONTA resolves to; null only when no scalable font is installed at all.
const Face* resolve_face(const LOGFONTA& logfont) noexcept;

// The em size GDI chooses for a height in device pixels (negative: character height, positive:
// cell height, 0: the default height).
UINT choose_ppem(const Face& face, LONG device_height) noexcept;

// Cached metrics of a face at an em size.
std::shared_ptr<const SizedFont> sized_font(const Face& face, UINT ppem) noexcept;

// Registers a font file with the process's font set; returns its face count, 0 on failure.
int register_private_font(const char* path) noexcept;

// Face names Windows users write, mapped to the installed metric-compatible families. Returns
// the name itself when it needs no mapping.
std::string substitute_family(const std::string& name) noexcept;

// FreeType's 16.16 multiply, rounding half away from zero.
std::int64_t mul_fix(std::int64_t a, std::int64_t b) noexcept;

}  // namespace gdi
