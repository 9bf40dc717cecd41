// Number formatting for VariantChangeType's conversions to BSTR.
#include "platform/com/variant_text.h"

#include <charconv>

namespace com::variant_detail {
namespace {

std::u16string widen(const char* first, const char* last)
{
    return std::u16string(first, last);
}

void append_zeros(std::u16string& s, long long count)
{
    s.append(static_cast<std::size_t>(count), u'0');
}

void append_digits(std::u16string& s, const std::string& digits, std::size_t from,
                   std::size_t to)
{
    for (std::size_t i = from; i < to; ++i) s.push_back(static_cast<char16_t>(digits[i]));
}

}  // namespace

std::u16string format_signed(long long value)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return widen(buffer, result.ptr);
}

std::u16string format_unsigned(unsigned long long value)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return widen(buffer, result.ptr);
}

std::u16string format_general(const decimal_number& value, int precision)
{
    if (value.digits.empty()) return u"0";
    const std::string& d = value.digits;
    const long long size = static_cast<long long>(d.size());
    const long long x = value.exponent + size - 1;  // exponent of the leading digit
    std::u16string s;
    if (value.negative) s.push_back(u'-');
    if (x < -4 || x >= precision) {
        s.push_back(static_cast<char16_t>(d[0]));
        if (size > 1) {
            s.push_back(u'.');
            append_digits(s, d, 1, d.size());
        }
        s.push_back(u'E');
        s.push_back(x < 0 ? u'-' : u'+');
        std::u16string e = format_unsigned(static_cast<unsigned long long>(x < 0 ? -x : x));
        if (e.size() < 2) s.push_back(u'0');
        s += e;
    } else if (x < 0) {
        s += u"0.";
        append_zeros(s, -x - 1);
        append_digits(s, d, 0, d.size());
    } else if (x + 1 >= size) {
        append_digits(s, d, 0, d.size());
        append_zeros(s, x + 1 - size);
    } else {
        append_digits(s, d, 0, static_cast<std::size_t>(x + 1));
        s.push_back(u'.');
        append_digits(s, d, static_cast<std::size_t>(x + 1), d.size());
    }
    return s;
}

std::u16string format_fixed(const decimal_number& value)
{
    if (value.digits.empty()) return u"0";
    const std::string& d = value.digits;
    const long long size = static_cast<long long>(d.size());
    std::u16string s;
    if (value.negative) s.push_back(u'-');
    if (value.exponent >= 0) {
        append_digits(s, d, 0, d.size());
        append_zeros(s, value.exponent);
    } else if (-value.exponent >= size) {
        s += u"0.";
        append_zeros(s, -value.exponent - size);
        append_digits(s, d, 0, d.size());
    } else {
        const auto point = static_cast<std::size_t>(size + value.exponent);
        append_digits(s, d, 0, point);
        s.push_back(u'.');
        append_digits(s, d, point, d.size());
    }
    return s;
}

}  // namespace com::variant_detail
