// Conversions between the ANSI code page, UTF-16 and UTF-8, and Windows-style case folding.
#include "platform/shell/text.h"

#include <new>

#include "platform/com/codepage.h"

namespace shell {
namespace {

bool is_ascii(std::string_view text) noexcept
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::u16string utf8_to_utf16(std::string_view text)
{
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string utf16_to_utf8(std::u16string_view text)
{
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::u16string ansi_to_utf16(std::string_view text)
{
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string utf16_to_ansi(std::u16string_view text)
{
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string ansi_to_utf8(std::string_view text)
{
    if (is_ascii(text)) return std::string(text);
    return utf16_to_utf8(ansi_to_utf16(text));
}

std::string utf8_to_ansi(std::string_view text)
{
    if (is_ascii(text)) return std::string(text);
    return utf16_to_ansi(utf8_to_utf16(text));
}

char16_t upper(char16_t c) noexcept
{
    if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c == 0xB5) return 0x39C;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    return c;
}

bool equal_no_case(std::u16string_view a, std::u16string_view b) noexcept
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

bool is_profile_space(char16_t c) noexcept
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A || c == 0x85 || c == 0xA0 ||
           c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

std::u16string_view trim_profile_space(std::u16string_view text) noexcept
{
    while (!text.empty() && is_profile_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_profile_space(text.back())) text.remove_suffix(1);
    return text;
}

std::size_t length(const char16_t* text) noexcept
{
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}

}  // namespace shell
