// Builds big-endian font tables by hand for the table tests and the raw-table entry.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

#include "fonts/open_type_tables.h"

namespace fonts_test {

class Bytes {
public:
    Bytes& u8(unsigned v)
    {
        data.push_back(static_cast<BYTE>(v));
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v >> 8).u8(v); }
    Bytes& u32(DWORD v) { return u16(v >> 16).u16(v & 0xFFFF); }
    Bytes& append(const std::vector<BYTE>& more)
    {
        data.insert(data.end(), more.begin(), more.end());
        return *this;
    }
    std::vector<BYTE> data;
};

inline std::vector<BYTE> head_table(unsigned units_per_em, DWORD magic = 0x5F0F3CF5u)
{
    Bytes b;
    b.u32(0x00010000).u32(0x00010000).u32(0).u32(magic).u16(0x000B).u16(units_per_em);
    while (b.data.size() < 54) b.u8(0);
    return b.data;
}

inline std::vector<BYTE> hhea_table(unsigned number_of_h_metrics)
{
    Bytes b;
    b.u32(0x00010000);
    while (b.data.size() < 34) b.u8(0);
    b.u16(number_of_h_metrics);
    return b.data;
}

struct LongMetric {
    unsigned advance;
    unsigned lsb;
};

// Long metrics followed by bare left side bearings for the glyphs past them.
inline std::vector<BYTE> hmtx_table(std::initializer_list<LongMetric> metrics,
                                    std::size_t trailing_lsbs = 0)
{
    Bytes b;
    for (const LongMetric& m : metrics) b.u16(m.advance).u16(m.lsb);
    for (std::size_t i = 0; i < trailing_lsbs; ++i) b.u16(7);
    return b.data;
}

inline std::vector<BYTE> format0(const std::vector<BYTE>& glyphs)
{
    Bytes b;
    b.u16(0).u16(static_cast<unsigned>(6 + glyphs.size())).u16(0).append(glyphs);
    return b.data;
}

inline std::vector<BYTE> format6(unsigned first_code, std::initializer_list<unsigned> glyphs,
                                 unsigned entry_count_override = 0x10000)
{
    Bytes b;
    const unsigned count =
        entry_count_override == 0x10000 ? static_cast<unsigned>(glyphs.size()) : entry_count_override;
    b.u16(6).u16(static_cast<unsigned>(10 + 2 * glyphs.size())).u16(0).u16(first_code).u16(count);
    for (unsigned g : glyphs) b.u16(g);
    return b.data;
}

// A format 4 subtable written exactly as given: the arrays are not checked against the count.
inline std::vector<BYTE> format4_raw(unsigned seg_count_x2, const std::vector<unsigned>& ends,
                                     const std::vector<unsigned>& starts,
                                     const std::vector<unsigned>& deltas,
                                     const std::vector<unsigned>& range_offsets,
                                     const std::vector<unsigned>& glyph_array)
{
    Bytes body;
    for (unsigned v : ends) body.u16(v);
    body.u16(0);  // reservedPad
    for (unsigned v : starts) body.u16(v);
    for (unsigned v : deltas) body.u16(v);
    for (unsigned v : range_offsets) body.u16(v);
    for (unsigned v : glyph_array) body.u16(v);
    Bytes b;
    b.u16(4).u16(static_cast<unsigned>(14 + body.data.size())).u16(0).u16(seg_count_x2);
    b.u16(0).u16(0).u16(0);  // searchRange, entrySelector, rangeShift: unused by the reader
    b.append(body.data);
    return b.data;
}

struct Segment {
    unsigned start;
    unsigned end;
    unsigned delta;
    std::vector<unsigned> glyphs;  // empty: glyph = code + delta; else one entry per code
};

// A well-formed format 4 subtable; segments with glyph lists get their idRangeOffset computed.
inline std::vector<BYTE> format4(const std::vector<Segment>& segments)
{
    const std::size_t n = segments.size();
    std::vector<unsigned> ends, starts, deltas, offsets, glyphs;
    for (std::size_t i = 0; i < n; ++i) {
        const Segment& s = segments[i];
        ends.push_back(s.end);
        starts.push_back(s.start);
        deltas.push_back(s.delta);
        if (s.glyphs.empty()) {
            offsets.push_back(0);
        } else {
            offsets.push_back(static_cast<unsigned>(2 * (n - i) + 2 * glyphs.size()));
            glyphs.insert(glyphs.end(), s.glyphs.begin(), s.glyphs.end());
        }
    }
    return format4_raw(static_cast<unsigned>(2 * n), ends, starts, deltas, offsets, glyphs);
}

struct Encoding {
    unsigned platform;
    unsigned encoding;
    std::vector<BYTE> subtable;
    DWORD offset_override = 0;  // non-zero: written instead of the real offset
};

// The cmap header with its records in the order given, then the subtables.
inline std::vector<BYTE> cmap_table(const std::vector<Encoding>& encodings)
{
    Bytes b;
    b.u16(0).u16(static_cast<unsigned>(encodings.size()));
    DWORD at = static_cast<DWORD>(4 + 8 * encodings.size());
    for (const Encoding& e : encodings) {
        b.u16(e.platform).u16(e.encoding).u32(e.offset_override != 0 ? e.offset_override : at);
        at += static_cast<DWORD>(e.subtable.size());
    }
    for (const Encoding& e : encodings) b.append(e.subtable);
    return b.data;
}

struct Face {
    std::vector<BYTE> head = head_table(2048);
    std::vector<BYTE> hhea = hhea_table(1);
    std::vector<BYTE> hmtx = hmtx_table({{500, 0}});
    std::vector<BYTE> cmap;
    bool has_os2 = true;
};

inline bool load(fonts::OpenTypeTables& tables, const Face& face, bool symbol_charset = false)
{
    fonts::FontTableBytes bytes;
    bytes.head = face.head;
    bytes.hhea = face.hhea;
    bytes.hmtx = face.hmtx;
    bytes.cmap = face.cmap;
    bytes.has_os2 = face.has_os2;
    return tables.Load(std::move(bytes), symbol_charset);
}

}  // namespace fonts_test
