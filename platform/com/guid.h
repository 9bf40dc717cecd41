// GUIDs: the 16-byte identifiers of classes, interfaces and libraries, with the "{…}" text form.
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "platform/com/types.h"

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

// Byte-wise equality, as IsEqualGUID compares.
constexpr bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
// Ordering by field value, so that GUIDs can key ordered containers.
bool operator<(const GUID& a, const GUID& b) noexcept;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

constexpr GUID GUID_NULL{};
constexpr IID IID_NULL{};
constexpr CLSID CLSID_NULL{};

namespace com {

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits in either case, braces required);
// returns false and leaves *out untouched on anything else.
bool parse_guid(std::u16string_view text, GUID* out) noexcept;
bool parse_guid(std::string_view text, GUID* out) noexcept;

// The braced, upper-case form, 38 characters.
std::string format_guid(REFGUID guid);
std::u16string format_guid_u16(REFGUID guid);

// A GUID from its text at compile time, for interface and class ids; a malformed literal does
// not compile.
consteval GUID make_guid(const char (&text)[39])
{
    auto hex = [](char c) -> unsigned {
        if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
        if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
        if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
        throw "GUID literal holds a character that is not a hex digit";
    };
    if (text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' || text[19] != '-' ||
        text[24] != '-')
        throw "GUID literal must have the form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    auto read = [&](int at, int digits) {
        unsigned long long v = 0;
        for (int i = 0; i < digits; ++i) v = v * 16 + hex(text[at + i]);
        return v;
    };
    GUID g{};
    g.Data1 = static_cast<DWORD>(read(1, 8));
    g.Data2 = static_cast<WORD>(read(10, 4));
    g.Data3 = static_cast<WORD>(read(15, 4));
    g.Data4[0] = static_cast<BYTE>(read(20, 2));
    g.Data4[1] = static_cast<BYTE>(read(22, 2));
    for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<BYTE>(read(25 + 2 * i, 2));
    return g;
}

struct guid_hash {
    std::size_t operator()(const GUID& g) const noexcept
    {
        std::uint64_t a, b;
        std::memcpy(&a, &g, 8);
        std::memcpy(&b, reinterpret_cast<const BYTE*>(&g) + 8, 8);
        return std::hash<std::uint64_t>{}(a * 0x9E3779B97F4A7C15ull ^ b);
    }
};

}  // namespace com

template <>
struct std::hash<GUID> : com::guid_hash {};

// OLE's own text conversions: StringFromGUID2 writes 39 characters with the terminator and
// returns that count, or 0 when the buffer is too small; CLSIDFromString accepts the braced form.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int count) noexcept;
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* out) noexcept;
HRESULT IIDFromString(LPCOLESTR text, IID* out) noexcept;
