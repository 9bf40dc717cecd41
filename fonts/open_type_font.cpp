// CZOpenTypeFont: the GDI side of the font reader. The table bytes go to fonts::OpenTypeTables.
#include "fonts/open_type_font.h"

#include <new>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kWholeFont = 0;
constexpr DWORD kOffsetTableSize = 12;
constexpr DWORD kHeadSize = 54;
constexpr DWORD kHheaSize = 36;

// The whole table, or false when it is missing, cannot be held or comes back short.
bool read_table(HDC dc, DWORD tag, std::vector<BYTE>* out) noexcept
{
    const DWORD size = GetFontData(dc, tag, 0, nullptr, 0);
    if (size == GDI_ERROR) return false;
    try {
        out->assign(size, 0);
    } catch (...) {
        return false;
    }
    return size == 0 || GetFontData(dc, tag, 0, out->data(), size) == size;
}

}  // namespace

CZOpenTypeFont::~CZOpenTypeFont() { Close(); }

void CZOpenTypeFont::Close() noexcept
{
    metrics_.reset();
    tables_.Clear();
    symbol_charset_ = FALSE;
}

const OUTLINETEXTMETRICA* CZOpenTypeFont::GetOutlineTextMetrics() const noexcept
{
    if (!tables_.IsLoaded() || metrics_ == nullptr) return nullptr;
    return reinterpret_cast<const OUTLINETEXTMETRICA*>(metrics_.get());
}

BOOL CZOpenTypeFont::Open(LPCSTR faceName, BOOL bold, BOOL italic, LONG height) noexcept
{
    Close();
    height_ = height;
    bold_ = bold;
    italic_ = italic;
    try {
        face_name_ = faceName != nullptr ? faceName : "";
    } catch (...) {
        face_name_.clear();
        return FALSE;
    }

    const bool own_dc = persistent_dc_ == nullptr;
    HDC dc = own_dc ? CreateDCA("DISPLAY", nullptr, nullptr, nullptr) : persistent_dc_;
    if (dc == nullptr) return FALSE;
    HFONT font = CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? 1 : 0, 0, 0,
                             DEFAULT_CHARSET, 0, 0, 0, 0, faceName);
    BOOL ok = FALSE;
    if (font != nullptr) {
        const HGDIOBJ old_font = SelectObject(dc, font);
        // A font that cannot be selected is no font to read from; there is nothing to restore.
        if (old_font != nullptr && old_font != HGDI_ERROR) {
            ok = LoadMetrics(dc) && LoadTables(dc);
            SelectObject(dc, old_font);
        }
        DeleteObject(font);
    }
    if (own_dc) DeleteDC(dc);
    if (!ok) Close();
    return ok;
}

BOOL CZOpenTypeFont::LoadMetrics(HDC dc) noexcept
{
    const UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
    // A size smaller than the structure would hand the caller a short buffer.
    if (size < sizeof(OUTLINETEXTMETRICA)) return FALSE;
    metrics_.reset(new (std::nothrow) BYTE[size]);
    if (metrics_ == nullptr) return FALSE;
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(metrics_.get());
    if (GetOutlineTextMetricsA(dc, size, metrics) == 0) {
        metrics_.reset();
        return FALSE;
    }
    symbol_charset_ = metrics->otmTextMetrics.tmCharSet == SYMBOL_CHARSET ? TRUE : FALSE;
    return TRUE;
}

BOOL CZOpenTypeFont::LoadTables(HDC dc) noexcept
{
    BYTE offset_table[kOffsetTableSize];
    if (GetFontData(dc, kWholeFont, 0, offset_table, kOffsetTableSize) != kOffsetTableSize) {
        return FALSE;
    }
    BYTE head[kHeadSize];
    if (GetFontData(dc, MakeTableTag('h', 'e', 'a', 'd'), 0, head, kHeadSize) != kHeadSize) {
        return FALSE;
    }
    BYTE hhea[kHheaSize];
    if (GetFontData(dc, MakeTableTag('h', 'h', 'e', 'a'), 0, hhea, kHheaSize) != kHheaSize) {
        return FALSE;
    }
    fonts::FontTableBytes tables;
    tables.head = head;
    tables.hhea = hhea;
    if (!read_table(dc, MakeTableTag('h', 'm', 't', 'x'), &tables.hmtx)) return FALSE;
    if (!read_table(dc, MakeTableTag('c', 'm', 'a', 'p'), &tables.cmap)) return FALSE;
    tables.has_os2 = GetFontData(dc, MakeTableTag('O', 'S', '/', '2'), 0, nullptr, 0) != GDI_ERROR;
    return tables_.Load(std::move(tables), symbol_charset_ != FALSE) ? TRUE : FALSE;
}
