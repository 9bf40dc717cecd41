// Text form and ordering of GUIDs.
#include "platform/com/guid.h"

#include <cstdio>
#include <tuple>

bool operator<(const GUID& a, const GUID& b) noexcept
{
    return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

namespace com {
namespace {

int hex_value(char32_t c)
{
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    return -1;
}

template <typename Char>
bool parse(std::basic_string_view<Char> text, GUID* out)
{
    if (!out || text.size() != 38 || text[0] != '{' || text[37] != '}') return false;
    for (std::size_t dash : {9u, 14u, 19u, 24u})
        if (text[dash] != '-') return false;
    auto read = [&](std::size_t at, std::size_t digits, std::uint64_t& value) {
        value = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            int h = hex_value(static_cast<char32_t>(text[at + i]));
            if (h < 0) return false;
            value = value * 16 + static_cast<unsigned>(h);
        }
        return true;
    };
    GUID g{};
    std::uint64_t v = 0;
    if (!read(1, 8, v)) return false;
    g.Data1 = static_cast<DWORD>(v);
    if (!read(10, 4, v)) return false;
    g.Data2 = static_cast<WORD>(v);
    if (!read(15, 4, v)) return false;
    g.Data3 = static_cast<WORD>(v);
    for (std::size_t i = 0; i < 2; ++i) {
        if (!read(20 + 2 * i, 2, v)) return false;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    for (std::size_t i = 0; i < 6; ++i) {
        if (!read(25 + 2 * i, 2, v)) return false;
        g.Data4[2 + i] = static_cast<BYTE>(v);
    }
    *out = g;
    return true;
}

}  // namespace

bool parse_guid(std::u16string_view text, GUID* out) noexcept { return parse(text, out); }
bool parse_guid(std::string_view text, GUID* out) noexcept { return parse(text, out); }

std::string format_guid(REFGUID g)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                  g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buffer;
}

std::u16string format_guid_u16(REFGUID guid)
{
    std::string narrow = format_guid(guid);
    return std::u16string(narrow.begin(), narrow.end());
}

}  // namespace com

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int count) noexcept
{
    if (!buffer || count < 39) return 0;
    std::string text = com::format_guid(guid);
    for (std::size_t i = 0; i < text.size(); ++i) buffer[i] = static_cast<OLECHAR>(text[i]);
    buffer[38] = 0;
    return 39;
}

namespace {
std::u16string_view view_of(LPCOLESTR text)
{
    return text ? std::u16string_view(text) : std::u16string_view();
}
}  // namespace

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* out) noexcept
{
    if (!out) return E_INVALIDARG;
    if (!text) {
        *out = CLSID_NULL;
        return S_OK;
    }
    if (com::parse_guid(view_of(text), out)) return S_OK;
    *out = CLSID_NULL;
    return CO_E_CLASSSTRING;
}

HRESULT IIDFromString(LPCOLESTR text, IID* out) noexcept
{
    if (!out) return E_INVALIDARG;
    if (!text) {
        *out = IID_NULL;
        return S_OK;
    }
    if (com::parse_guid(view_of(text), out)) return S_OK;
    *out = IID_NULL;
    return E_INVALIDARG;
}
