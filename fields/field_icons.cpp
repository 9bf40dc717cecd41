// The seven form-field icons, drawn here as 16 × 16 pictures, one character a pixel (the
// palette below; '.' is magenta, which the icon list makes transparent), turned into 24-bit
// .bmp bytes at compile time and registered as this module's bitmap resources 201 to 207.
#include "fields/field_icons.h"

#include <array>
#include <cstddef>

namespace cnt::fields {
namespace {

constexpr int kSide = 16;
constexpr std::size_t kRowBytes = kSide * 3;  // a multiple of 4: no padding
constexpr std::size_t kHeaderBytes = 14 + 40;
constexpr std::size_t kBmpBytes = kHeaderBytes + kRowBytes * kSide;

struct icon_art {
    UINT id;
    const char* rows[kSide];
};

// 0x00RRGGBB of each picture character.
constexpr DWORD colour_of(char c)
{
    switch (c) {
    case '.': return 0xFF00FF;  // transparent
    case 'w': return 0xFFFFFF;
    case 'k': return 0x000000;
    case 'd': return 0x808080;
    case 's': return 0xC0C0C0;
    case 'g': return 0x00A000;
    case 'b': return 0x3366CC;
    case 'r': return 0xCC3333;
    default: throw "a picture character without a colour";
    }
}

constexpr void put_u16(std::array<BYTE, kBmpBytes>& b, std::size_t at, unsigned v)
{
    b[at] = static_cast<BYTE>(v);
    b[at + 1] = static_cast<BYTE>(v >> 8);
}
constexpr void put_u32(std::array<BYTE, kBmpBytes>& b, std::size_t at, unsigned v)
{
    put_u16(b, at, v & 0xFFFF);
    put_u16(b, at + 2, v >> 16);
}

// A .bmp file: file header, BITMAPINFOHEADER, rows bottom-up in blue, green, red.
constexpr std::array<BYTE, kBmpBytes> to_bmp(const icon_art& art)
{
    std::array<BYTE, kBmpBytes> b{};
    b[0] = 'B';
    b[1] = 'M';
    put_u32(b, 2, kBmpBytes);
    put_u32(b, 10, kHeaderBytes);
    put_u32(b, 14, 40);
    put_u32(b, 18, kSide);
    put_u32(b, 22, kSide);
    put_u16(b, 26, 1);
    put_u16(b, 28, 24);
    put_u32(b, 34, kRowBytes * kSide);
    put_u32(b, 38, 2835);  // 72 dpi
    put_u32(b, 42, 2835);
    for (int y = 0; y < kSide; ++y) {
        const char* row = art.rows[y];
        std::size_t at = kHeaderBytes + kRowBytes * static_cast<std::size_t>(kSide - 1 - y);
        for (int x = 0; x < kSide; ++x) {
            if (row[x] == '\0') throw "a picture row shorter than the icon";
            const DWORD c = colour_of(row[x]);
            b[at++] = static_cast<BYTE>(c);
            b[at++] = static_cast<BYTE>(c >> 8);
            b[at++] = static_cast<BYTE>(c >> 16);
        }
        if (row[kSide] != '\0') throw "a picture row longer than the icon";
    }
    return b;
}

constexpr icon_art pictures[] = {
    // 201: text box: the letters a, b, l
    icon_art{201, {
        "................",
        "................",
        "................",
        "dddddddddddddddd",
        "dwwwwwwwwwwwwwwd",
        "dwwwwwwkwwwwkwwd",
        "dwwwwwwkwwwwkwwd",
        "dwwkkwwkkkwwkwwd",
        "dwwwwkwkwwkwkwwd",
        "dwwkkkwkwwkwkwwd",
        "dwkwwkwkwwkwkwwd",
        "dwwkkkwkkkwwkwwd",
        "dddddddddddddddd",
        "................",
        "................",
        "................",
    }},
    // 202: radio button: a round button with a green dot
    icon_art{202, {
        "................",
        "......dddd......",
        "....ddwwwwdd....",
        "...dwwwwwwwwd...",
        "..dwwwwwwwwwwd..",
        "..dwwwggggwwwd..",
        ".dwwwggggggwwwd.",
        ".dwwwggggggwwwd.",
        ".dwwwggggggwwwd.",
        ".dwwwggggggwwwd.",
        "..dwwwggggwwwd..",
        "..dwwwwwwwwwwd..",
        "...dwwwwwwwwd...",
        "....ddwwwwdd....",
        "......dddd......",
        "................",
    }},
    // 203: push button: the letters a, b
    icon_art{203, {
        "................",
        "................",
        "wwwwwwwwwwwwwwwk",
        "wsssssssssssssdk",
        "wsssssssksssssdk",
        "wsssssssksssssdk",
        "wssskksskkksssdk",
        "wsssssksksskssdk",
        "wssskkksksskssdk",
        "wsskssksksskssdk",
        "wssskkkskkksssdk",
        "wsssssssssssssdk",
        "wddddddddddddddk",
        "kkkkkkkkkkkkkkkk",
        "................",
        "................",
    }},
    // 204: check box with a green tick
    icon_art{204, {
        "................",
        ".dddddddddddddd.",
        ".dwwwwwwwwwwwwd.",
        ".dwwwwwwwwwwwwd.",
        ".dwwwwwwwwwwwwd.",
        ".dwwwwwwwwwgwwd.",
        ".dwwwwwwwwggwwd.",
        ".dwwwwwwwggwwwd.",
        ".dwwgwwwggwwwwd.",
        ".dwwggwggwwwwwd.",
        ".dwwwgggwwwwwwd.",
        ".dwwwwgwwwwwwwd.",
        ".dwwwwwwwwwwwwd.",
        ".dwwwwwwwwwwwwd.",
        ".dddddddddddddd.",
        "................",
    }},
    // 205: combo box: an edit line with a drop-down arrow over a list
    icon_art{205, {
        "dddddddddddddddd",
        "dwwwwwwwwwsssssd",
        "dwwwwwwwwwkkkkkd",
        "dwwwwwwwwwskkksd",
        "dwwwwwwwwwsskssd",
        "dddddddddddddddd",
        "dddddddddddddddd",
        "dwwwwwwwwwwwwwwd",
        "dbwwwwwwwwbbbbbd",
        "dbbbbbbbbbbbbbbd",
        "dwwwwwwwwwwwwwwd",
        "dwkkkkkkkkkkwwwd",
        "dwwwwwwwwwwwwwwd",
        "dwkkkkkkkkkkwwwd",
        "dwwwwwwwwwwwwwwd",
        "dddddddddddddddd",
    }},
    // 206: date picker: a drop-down line over a calendar page
    icon_art{206, {
        "dddddddddddddddd",
        "dwwwwwwwwwwssssd",
        "dwwwwwwwwwwkkksd",
        "dwwwwwwwwwwskssd",
        "dddddddddddddddd",
        "................",
        ".dddddddddddddd.",
        ".drrrrrrrrrrrrd.",
        ".drrrrrrrrrrrrd.",
        ".dwwwwwwwwwwwwd.",
        ".dwkkwkkwkkwkkd.",
        ".dwwwwwwwwwwwwd.",
        ".dwkkwkkwkkwkkd.",
        ".dwwwwwwwwwwwwd.",
        ".dwkkwkkwkkwkkd.",
        ".dddddddddddddd.",
    }},
    // 207: list box with scroll arrows
    icon_art{207, {
        "dddddddddddddddd",
        "dwwwwwwwwwwssssd",
        "dbwwwwwwwbbskksd",
        "dbbbbbbbbbbkkkkd",
        "dwwwwwwwwwwssssd",
        "dwwwwwwwwwwddddd",
        "dwkkkkkkkwwssssd",
        "dwwwwwwwwwwssssd",
        "dwwwwwwwwwwssssd",
        "dwkkkkkkkwwssssd",
        "dwwwwwwwwwwddddd",
        "dwwwwwwwwwwssssd",
        "dwkkkkkkkwwkkkkd",
        "dwwwwwwwwwwskksd",
        "dwwwwwwwwwwssssd",
        "dddddddddddddddd",
    }},
};
constexpr std::size_t kIcons = std::size(pictures);

constexpr auto all_bitmaps()
{
    std::array<std::array<BYTE, kBmpBytes>, kIcons> out{};
    for (std::size_t i = 0; i < kIcons; ++i) out[i] = to_bmp(pictures[i]);
    return out;
}
// Registered by address: they live as long as the module.
constexpr auto bitmaps = all_bitmaps();

char module_byte;

}  // namespace

HINSTANCE this_module() noexcept { return reinterpret_cast<HINSTANCE>(&module_byte); }

bool register_field_icons() noexcept
{
    static const bool registered = [] {
        for (std::size_t i = 0; i < kIcons; ++i)
            if (!RegisterBitmapResource(this_module(), pictures[i].id, bitmaps[i].data(),
                                        static_cast<DWORD>(bitmaps[i].size())))
                return false;
        return true;
    }();
    return registered;
}

}  // namespace cnt::fields
