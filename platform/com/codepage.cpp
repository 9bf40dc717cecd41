// Windows-1252 and UTF-8 conversions behind MultiByteToWideChar and WideCharToMultiByte.
#include "platform/com/codepage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// 0x80-0x9F of Windows-1252; the five undefined bytes decode to the C1 control of the same value
// and encode back to themselves.
constexpr char16_t high_block[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t decode_1252(unsigned char byte) noexcept
{
    return byte >= 0x80 && byte <= 0x9F ? high_block[byte - 0x80] : static_cast<char16_t>(byte);
}

struct best_fit {
    char16_t code;
    unsigned char byte;
};

// Windows' best-fit choices for characters 1252 cannot hold (sorted by code); everything else
// outside the code page becomes the default character.
constexpr best_fit best_fits[] = {
    {0x0100, 'A'}, {0x0101, 'a'}, {0x0102, 'A'}, {0x0103, 'a'}, {0x0104, 'A'}, {0x0105, 'a'},
    {0x0106, 'C'}, {0x0107, 'c'}, {0x0108, 'C'}, {0x0109, 'c'}, {0x010A, 'C'}, {0x010B, 'c'},
    {0x010C, 'C'}, {0x010D, 'c'}, {0x010E, 'D'}, {0x010F, 'd'}, {0x0110, 0xD0}, {0x0111, 'd'},
    {0x0112, 'E'}, {0x0113, 'e'}, {0x0114, 'E'}, {0x0115, 'e'}, {0x0116, 'E'}, {0x0117, 'e'},
    {0x0118, 'E'}, {0x0119, 'e'}, {0x011A, 'E'}, {0x011B, 'e'}, {0x011C, 'G'}, {0x011D, 'g'},
    {0x011E, 'G'}, {0x011F, 'g'}, {0x0120, 'G'}, {0x0121, 'g'}, {0x0122, 'G'}, {0x0123, 'g'},
    {0x0124, 'H'}, {0x0125, 'h'}, {0x0126, 'H'}, {0x0127, 'h'}, {0x0128, 'I'}, {0x0129, 'i'},
    {0x012A, 'I'}, {0x012B, 'i'}, {0x012C, 'I'}, {0x012D, 'i'}, {0x012E, 'I'}, {0x012F, 'i'},
    {0x0130, 'I'}, {0x0131, 'i'}, {0x0134, 'J'}, {0x0135, 'j'}, {0x0136, 'K'}, {0x0137, 'k'},
    {0x0139, 'L'}, {0x013A, 'l'}, {0x013B, 'L'}, {0x013C, 'l'}, {0x013D, 'L'}, {0x013E, 'l'},
    {0x0141, 'L'}, {0x0142, 'l'}, {0x0143, 'N'}, {0x0144, 'n'}, {0x0145, 'N'}, {0x0146, 'n'},
    {0x0147, 'N'}, {0x0148, 'n'}, {0x014C, 'O'}, {0x014D, 'o'}, {0x014E, 'O'}, {0x014F, 'o'},
    {0x0150, 'O'}, {0x0151, 'o'}, {0x0154, 'R'}, {0x0155, 'r'}, {0x0156, 'R'}, {0x0157, 'r'},
    {0x0158, 'R'}, {0x0159, 'r'}, {0x015A, 'S'}, {0x015B, 's'}, {0x015C, 'S'}, {0x015D, 's'},
    {0x015E, 'S'}, {0x015F, 's'}, {0x0162, 'T'}, {0x0163, 't'}, {0x0164, 'T'}, {0x0165, 't'},
    {0x0166, 'T'}, {0x0167, 't'}, {0x0168, 'U'}, {0x0169, 'u'}, {0x016A, 'U'}, {0x016B, 'u'},
    {0x016C, 'U'}, {0x016D, 'u'}, {0x016E, 'U'}, {0x016F, 'u'}, {0x0170, 'U'}, {0x0171, 'u'},
    {0x0172, 'U'}, {0x0173, 'u'}, {0x0174, 'W'}, {0x0175, 'w'}, {0x0176, 'Y'}, {0x0177, 'y'},
    {0x0179, 'Z'}, {0x017A, 'z'}, {0x017B, 'Z'}, {0x017C, 'z'}, {0x0180, 'b'}, {0x0189, 0xD0},
    {0x0191, 0x83}, {0x0197, 'I'}, {0x019A, 'l'}, {0x019F, 'O'}, {0x01A0, 'O'}, {0x01A1, 'o'},
    {0x01AB, 't'}, {0x01AE, 'T'}, {0x01AF, 'U'}, {0x01B0, 'u'}, {0x01B6, 'z'}, {0x01C0, '|'},
    {0x01C3, '!'}, {0x01CD, 'A'}, {0x01CE, 'a'}, {0x01CF, 'I'}, {0x01D0, 'i'}, {0x01D1, 'O'},
    {0x01D2, 'o'}, {0x01D3, 'U'}, {0x01D4, 'u'}, {0x01D5, 'U'}, {0x01D6, 'u'}, {0x01D7, 'U'},
    {0x01D8, 'u'}, {0x01D9, 'U'}, {0x01DA, 'u'}, {0x01DB, 'U'}, {0x01DC, 'u'}, {0x01DE, 'A'},
    {0x01DF, 'a'}, {0x01E4, 'G'}, {0x01E5, 'g'}, {0x01E6, 'G'}, {0x01E7, 'g'}, {0x01E8, 'K'},
    {0x01E9, 'k'}, {0x01EA, 'O'}, {0x01EB, 'o'}, {0x01EC, 'O'}, {0x01ED, 'o'}, {0x01F0, 'j'},
    {0x0261, 'g'}, {0x02B9, '\''}, {0x02BA, '"'}, {0x02BC, '\''}, {0x02C4, '^'}, {0x02C8, '\''},
    {0x02C9, 0xAF}, {0x02CA, 0xB4}, {0x02CB, '`'}, {0x02CD, '_'}, {0x02DA, 0xB0}, {0x0300, '`'},
    {0x0301, 0xB4}, {0x0302, '^'}, {0x0303, '~'}, {0x0304, 0xAF}, {0x0305, 0xAF}, {0x0308, 0xA8},
    {0x030A, 0xB0}, {0x030E, '"'}, {0x0327, 0xB8}, {0x0331, '_'}, {0x0332, '_'}, {0x037E, ';'},
    {0x0393, 'G'}, {0x0398, 'T'}, {0x03A3, 'S'}, {0x03A6, 'F'}, {0x03A9, 'O'}, {0x03B1, 'a'},
    {0x03B2, 0xDF}, {0x03B4, 'd'}, {0x03B5, 'e'}, {0x03BC, 0xB5}, {0x03C0, 'p'}, {0x03C3, 's'},
    {0x03C4, 't'}, {0x03C6, 'f'}, {0x04BB, 'h'}, {0x0589, ':'}, {0x066A, '%'}, {0x2000, ' '},
    {0x2001, ' '}, {0x2002, ' '}, {0x2003, ' '}, {0x2004, ' '}, {0x2005, ' '}, {0x2006, ' '},
    {0x2010, '-'}, {0x2011, '-'}, {0x2017, '='}, {0x2024, 0xB7}, {0x2032, '\''}, {0x2035, '`'},
    {0x2044, '/'}, {0x2070, 0xB0}, {0x2074, '4'}, {0x2075, '5'}, {0x2076, '6'}, {0x2077, '7'},
    {0x2078, '8'}, {0x207F, 'n'}, {0x2080, '0'}, {0x2081, '1'}, {0x2082, '2'}, {0x2083, '3'},
    {0x2084, '4'}, {0x2085, '5'}, {0x2086, '6'}, {0x2087, '7'}, {0x2088, '8'}, {0x2089, '9'},
    {0x20A1, 0xA2}, {0x20A4, 0xA3}, {0x20A7, 'P'}, {0x2102, 'C'}, {0x2107, 'E'}, {0x210A, 'g'},
    {0x210B, 'H'}, {0x210C, 'H'}, {0x210D, 'H'}, {0x210E, 'h'}, {0x2110, 'I'}, {0x2111, 'I'},
    {0x2112, 'L'}, {0x2113, 'l'}, {0x2115, 'N'}, {0x2118, 'P'}, {0x2119, 'P'}, {0x211A, 'Q'},
    {0x211B, 'R'}, {0x211C, 'R'}, {0x211D, 'R'}, {0x2124, 'Z'}, {0x2128, 'Z'}, {0x212A, 'K'},
    {0x212B, 0xC5}, {0x212C, 'B'}, {0x212D, 'C'}, {0x212E, 'e'}, {0x212F, 'e'}, {0x2130, 'E'},
    {0x2131, 'F'}, {0x2133, 'M'}, {0x2134, 'o'}, {0x2205, 0xD8}, {0x2212, '-'}, {0x2213, 0xB1},
    {0x2215, '/'}, {0x2216, '\\'}, {0x2217, '*'}, {0x2218, 0xB0}, {0x2219, 0xB7}, {0x221A, 'v'},
    {0x221E, '8'}, {0x2223, '|'}, {0x2229, 'n'}, {0x2236, ':'}, {0x223C, '~'}, {0x2248, 0x98},
    {0x2261, '='}, {0x2264, '='}, {0x2265, '='}, {0x226A, 0xAB}, {0x226B, 0xBB}, {0x22C5, 0xB7},
    {0x2302, 0xA6}, {0x2303, '^'}, {0x2310, 0xAC}, {0x2320, '('}, {0x2321, ')'}, {0x2329, '<'},
    {0x232A, '>'}, {0x2500, '-'}, {0x2502, 0xA6}, {0x250C, '+'}, {0x2510, '+'}, {0x2514, '+'},
    {0x2518, '+'}, {0x251C, '+'}, {0x2524, 0xA6}, {0x252C, '-'}, {0x2534, '-'}, {0x253C, '+'},
    {0x2550, '-'}, {0x2551, 0xA6}, {0x2552, '+'}, {0x2553, '+'}, {0x2554, '+'}, {0x2555, '+'},
    {0x2556, '+'}, {0x2557, '+'}, {0x2558, '+'}, {0x2559, '+'}, {0x255A, '+'}, {0x255B, '+'},
    {0x255C, '+'}, {0x255D, '+'}, {0x255E, 0xA6}, {0x255F, 0xA6}, {0x2560, 0xA6}, {0x2561, 0xA6},
    {0x2562, 0xA6}, {0x2563, 0xA6}, {0x2564, '-'}, {0x2565, '-'}, {0x2566, '-'}, {0x2567, '-'},
    {0x2568, '-'}, {0x2569, '-'}, {0x256A, '+'}, {0x256B, '+'}, {0x256C, '+'}, {0x2580, 0xAF},
    {0x2584, '_'}, {0x2588, 0xA6}, {0x258C, 0xA6}, {0x2590, 0xA6}, {0x2591, 0xA6}, {0x2592, 0xA6},
    {0x2593, 0xA6}, {0x25A0, 0xA6}, {0x263C, 0xA4}, {0x2758, '|'}, {0x3000, ' '}, {0x3008, '<'},
    {0x3009, '>'}, {0x300A, 0xAB}, {0x300B, 0xBB}, {0x301A, '['}, {0x301B, ']'}, {0x30FB, 0xB7},
};

enum class fit { exact, best, none };

// The 1252 byte for `c`, and how good a match it is.
fit encode_1252(char16_t c, unsigned char* byte) noexcept
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        *byte = static_cast<unsigned char>(c);
        return fit::exact;
    }
    for (int i = 0; i < 32; ++i) {
        if (high_block[i] == c) {
            *byte = static_cast<unsigned char>(0x80 + i);
            return fit::exact;
        }
    }
    // Fullwidth ASCII forms fit their ASCII counterparts.
    if (c >= 0xFF01 && c <= 0xFF5E) {
        *byte = static_cast<unsigned char>(c - 0xFF01 + 0x21);
        return fit::best;
    }
    const auto* end = std::end(best_fits);
    const auto* found = std::lower_bound(std::begin(best_fits), end, c,
                                         [](const best_fit& b, char16_t v) { return b.code < v; });
    if (found != end && found->code == c) {
        *byte = found->byte;
        return fit::best;
    }
    return fit::none;
}

bool is_ansi(UINT code_page) noexcept
{
    return code_page == CP_ACP || code_page == CP_THREAD_ACP || code_page == com::code_page_1252;
}

bool is_high_surrogate(char16_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) noexcept { return c >= 0xDC00 && c <= 0xDFFF; }

// Collects output units: counts them, and stores them while the buffer has room.
template <typename T>
struct sink {
    T* out;
    int capacity;  // 0: only count
    int count = 0;
    bool overflow = false;

    void put(T unit) noexcept
    {
        if (capacity) {
            if (count >= capacity) {
                overflow = true;
                return;
            }
            out[count] = unit;
        }
        ++count;
    }
};

// One code point from UTF-8 at `s[*i]`, advancing *i. An ill-formed sequence yields -1 after
// consuming its longest valid prefix (at least one byte), as Unicode recommends for U+FFFD.
long decode_utf8(const unsigned char* s, std::size_t n, std::size_t* i) noexcept
{
    unsigned char lead = s[(*i)++];
    if (lead < 0x80) return lead;
    int extra;
    long cp;
    unsigned char lo = 0x80, hi = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return -1;
    }
    for (int k = 0; k < extra; ++k) {
        if (*i >= n) return -1;
        unsigned char c = s[*i];
        if (c < lo || c > hi) return -1;
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (c & 0x3F);
        ++*i;
    }
    return cp;
}

bool is_surrogate(char32_t c) noexcept { return c >= 0xD800 && c <= 0xDFFF; }

// One code point as UTF-8 units.
template <typename Sink>
void put_utf8(Sink& out, unsigned long cp)
{
    if (cp < 0x80) {
        out.put(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.put(static_cast<char>(0xC0 | (cp >> 6)));
        out.put(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.put(static_cast<char>(0xE0 | (cp >> 12)));
        out.put(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.put(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.put(static_cast<char>(0xF0 | (cp >> 18)));
        out.put(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.put(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.put(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// One code point as UTF-16 units: a surrogate pair above the basic plane.
template <typename Sink>
void put_utf16(Sink& out, long cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.put(static_cast<OLECHAR>(0xD800 + (cp >> 10)));
        out.put(static_cast<OLECHAR>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.put(static_cast<OLECHAR>(cp));
    }
}

// A growing string as a sink; it throws std::bad_alloc like the string does.
template <typename S>
struct string_sink {
    S& text;
    void put(typename S::value_type unit) { text.push_back(unit); }
};

int finish(bool overflow, int count) noexcept
{
    if (overflow) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return count;
}

int fail(DWORD error) noexcept
{
    SetLastError(error);
    return 0;
}

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR multi_byte, int length,
                        OLECHAR* wide, int wide_size) noexcept
{
    if (!multi_byte || length == 0 || wide_size < 0 || (!wide && wide_size))
        return fail(ERROR_INVALID_PARAMETER);
    std::size_t n = length < 0 ? std::strlen(multi_byte) + 1 : static_cast<std::size_t>(length);
    const auto* bytes = reinterpret_cast<const unsigned char*>(multi_byte);
    sink<OLECHAR> out{wide, wide_size};

    if (is_ansi(code_page)) {
        if (flags & ~(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) return fail(ERROR_INVALID_FLAGS);
        for (std::size_t i = 0; i < n && !out.overflow; ++i) out.put(decode_1252(bytes[i]));
        return finish(out.overflow, out.count);
    }
    if (code_page == CP_UTF8) {
        if (flags & ~MB_ERR_INVALID_CHARS) return fail(ERROR_INVALID_FLAGS);
        std::size_t i = 0;
        while (i < n && !out.overflow) {
            long cp = decode_utf8(bytes, n, &i);
            if (cp < 0) {
                if (flags & MB_ERR_INVALID_CHARS) return fail(ERROR_NO_UNICODE_TRANSLATION);
                out.put(0xFFFD);
            } else {
                put_utf16(out, cp);
            }
        }
        return finish(out.overflow, out.count);
    }
    return fail(ERROR_INVALID_PARAMETER);
}

int WideCharToMultiByte(UINT code_page, DWORD flags, const OLECHAR* wide, int length,
                        LPSTR multi_byte, int multi_byte_size, LPCSTR default_char,
                        BOOL* used_default) noexcept
{
    if (!wide || length == 0 || multi_byte_size < 0 || (!multi_byte && multi_byte_size))
        return fail(ERROR_INVALID_PARAMETER);
    std::size_t n = static_cast<std::size_t>(length);
    if (length < 0) {
        n = 0;
        while (wide[n]) ++n;
        ++n;
    }
    sink<char> out{multi_byte, multi_byte_size};

    if (is_ansi(code_page)) {
        if (flags & ~(WC_NO_BEST_FIT_CHARS | WC_DEFAULTCHAR)) return fail(ERROR_INVALID_FLAGS);
        const char fallback = default_char ? default_char[0] : '?';
        bool defaulted = false;
        for (std::size_t i = 0; i < n && !out.overflow; ++i) {
            unsigned char byte = 0;
            fit f = encode_1252(wide[i], &byte);
            if (f == fit::none || (f == fit::best && (flags & WC_NO_BEST_FIT_CHARS))) {
                out.put(fallback);
                defaulted = true;
            } else {
                out.put(static_cast<char>(byte));
            }
        }
        if (used_default) *used_default = defaulted ? TRUE : FALSE;
        return finish(out.overflow, out.count);
    }
    if (code_page == CP_UTF8) {
        if (default_char || used_default) return fail(ERROR_INVALID_PARAMETER);
        if (flags & ~WC_ERR_INVALID_CHARS) return fail(ERROR_INVALID_FLAGS);
        for (std::size_t i = 0; i < n && !out.overflow;) {
            const char32_t cp = com::next_code_point(std::u16string_view(wide, n), &i);
            if (is_surrogate(cp) && (flags & WC_ERR_INVALID_CHARS)) return fail(ERROR_NO_UNICODE_TRANSLATION);
            put_utf8(out, is_surrogate(cp) ? 0xFFFD : cp);
        }
        return finish(out.overflow, out.count);
    }
    return fail(ERROR_INVALID_PARAMETER);
}

UINT GetACP() noexcept { return com::code_page_1252; }

std::string com::to_ansi(std::u16string_view text, bool* lossy) noexcept
{
    if (lossy) *lossy = false;
    try {
        std::string result;
        result.reserve(text.size());
        for (char16_t c : text) {
            unsigned char byte = 0;
            fit f = encode_1252(c, &byte);
            if (f != fit::exact && lossy) *lossy = true;
            result.push_back(f == fit::none ? '?' : static_cast<char>(byte));
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::u16string com::from_ansi(std::string_view text) noexcept
{
    try {
        std::u16string result;
        result.reserve(text.size());
        for (char c : text) result.push_back(decode_1252(static_cast<unsigned char>(c)));
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

char32_t com::next_code_point(std::u16string_view text, std::size_t* i) noexcept
{
    const char16_t c = text[(*i)++];
    if (is_high_surrogate(c) && *i < text.size() && is_low_surrogate(text[*i]))
        return 0x10000 + ((c - char32_t{0xD800}) << 10) + (text[(*i)++] - char32_t{0xDC00});
    return c;
}

std::string com::to_utf8(std::u16string_view text) noexcept
{
    try {
        std::string result;
        result.reserve(text.size());
        string_sink<std::string> out{result};
        for (std::size_t i = 0; i < text.size();) {
            const char32_t cp = next_code_point(text, &i);
            put_utf8(out, is_surrogate(cp) ? 0xFFFD : cp);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::u16string com::from_utf8(std::string_view text) noexcept
{
    try {
        std::u16string result;
        result.reserve(text.size());
        string_sink<std::u16string> out{result};
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        std::size_t i = 0;
        while (i < text.size()) {
            const long cp = decode_utf8(bytes, text.size(), &i);
            put_utf16(out, cp < 0 ? 0xFFFD : cp);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}
