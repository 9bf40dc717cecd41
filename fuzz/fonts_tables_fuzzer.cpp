// Fuzz target: arbitrary bytes as a face's cmap and hmtx tables, read through the raw-table entry
// of the font reader. Lookups must stay inside the tables (the sanitizers watch) and keep the
// reader's rules: nothing loaded answers 0, format 0 gives byte glyphs, and glyphs past the long
// metrics share the last one's advance.
//
// Input: 1 flag byte (bit 0 symbol character set, bit 1 OS/2 present), numberOfHMetrics as 2
// big-endian bytes, the cmap length as 4 big-endian bytes, the cmap, then the hmtx.
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "fonts/open_type_tables.h"

namespace {

// The fixed headers the reader needs, with only the fields it reads filled in.
std::vector<BYTE> head_table()
{
    std::vector<BYTE> head(54, 0);
    const BYTE magic[4] = {0x5F, 0x0F, 0x3C, 0xF5};
    for (int i = 0; i < 4; ++i) head[12 + i] = magic[i];
    head[18] = 0x08;  // unitsPerEm 2048
    return head;
}

std::vector<BYTE> hhea_table(WORD number_of_h_metrics)
{
    std::vector<BYTE> hhea(36, 0);
    hhea[34] = static_cast<BYTE>(number_of_h_metrics >> 8);
    hhea[35] = static_cast<BYTE>(number_of_h_metrics);
    return hhea;
}

void check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 7) return 0;
    const bool symbol_charset = (data[0] & 1) != 0;
    const bool has_os2 = (data[0] & 2) != 0;
    const WORD metrics = static_cast<WORD>((data[1] << 8) | data[2]);
    std::size_t cmap_size = (static_cast<std::size_t>(data[3]) << 24) |
                            (static_cast<std::size_t>(data[4]) << 16) |
                            (static_cast<std::size_t>(data[5]) << 8) | data[6];
    data += 7;
    size -= 7;
    if (cmap_size > size) cmap_size = size;

    const std::vector<BYTE> head = head_table();
    const std::vector<BYTE> hhea = hhea_table(metrics);
    fonts::FontTableBytes tables;
    tables.head = head;
    tables.hhea = hhea;
    tables.cmap.assign(data, data + cmap_size);
    tables.hmtx.assign(data + cmap_size, data + size);
    tables.has_os2 = has_os2;

    fonts::OpenTypeTables reader;
    const bool loaded = reader.Load(std::move(tables), symbol_charset);
    check(loaded == reader.IsLoaded());
    if (!loaded) check(reader.GetFormat() == 0 && reader.GetUnitsPerEm() == 0);
    if (metrics == 0) check(!loaded);
    if (loaded) check(reader.GetUnitsPerEm() == 2048 && reader.GetNumberOfHMetrics() == metrics);

    // A sample of codes: the byte range, both symbol ranges, and a stride over the rest.
    std::vector<unsigned> codes;
    for (unsigned c = 0; c < 0x200; ++c) codes.push_back(c);
    for (unsigned c = 0xF000; c < 0xF100; ++c) codes.push_back(c);
    for (unsigned c = 0x200; c < 0x10000; c += 251) codes.push_back(c);
    codes.push_back(0xFFFF);
    for (unsigned code : codes) {
        const WORD glyph = reader.GetGlyphIndex(static_cast<WORD>(code));
        if (!loaded) check(glyph == 0);
        if (reader.GetFormat() == 0) check(glyph < 256);
        const WORD advance = reader.GetAdvanceWidth(glyph);
        if (!loaded) check(advance == 0);
    }
    if (loaded) {
        const WORD last = reader.GetAdvanceWidth(static_cast<WORD>(metrics - 1));
        check(reader.GetAdvanceWidth(0xFFFF) == last);
        check(metrics == 0xFFFF || reader.GetAdvanceWidth(metrics) == last);
    }
    return 0;
}
