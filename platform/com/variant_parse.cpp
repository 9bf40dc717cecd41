// Number parsing for VariantChangeType's conversions from BSTR.
#include "platform/com/variant_text.h"

namespace com::variant_detail {
namespace {

// Enough digits to round any double correctly; later ones only matter as "non-zero".
constexpr std::size_t max_digits = 800;
constexpr long long exponent_limit = 1000000000;

bool is_space(char16_t c) noexcept
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

bool is_digit(char16_t c) noexcept { return c >= u'0' && c <= u'9'; }

int hex_value(char16_t c) noexcept
{
    if (is_digit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

HRESULT parse_radix(std::u16string_view s, std::size_t i, number* out)
{
    const unsigned shift = (s[i + 1] == u'H' || s[i + 1] == u'h') ? 4 : 3;
    i += 2;
    unsigned long long value = 0;
    bool overflow = false, any = false;
    for (; i < s.size(); ++i) {
        int v = hex_value(s[i]);
        if (v < 0 || v >= (1 << shift)) break;
        any = true;
        if (value >> (64 - shift)) overflow = true;
        value = (value << shift) | static_cast<unsigned>(v);
    }
    while (i < s.size() && is_space(s[i])) ++i;
    if (!any || i != s.size()) return DISP_E_TYPEMISMATCH;
    if (overflow) return DISP_E_OVERFLOW;
    out->k = number::kind::hex;
    out->u = value;
    return S_OK;
}

}  // namespace

std::u16string_view bstr_text(BSTR text) noexcept
{
    std::u16string_view view = com::bstr_view(text);
    std::size_t nul = view.find(u'\0');
    return nul == std::u16string_view::npos ? view : view.substr(0, nul);
}

HRESULT parse_number(std::u16string_view s, number* out)
{
    std::size_t i = 0;
    const std::size_t n = s.size();
    bool sign = false, negative = false, parens = false, currency = false;
    for (; i < n; ++i) {
        const char16_t c = s[i];
        if (is_space(c)) continue;
        if ((c == u'+' || c == u'-') && !sign) {
            sign = true;
            negative = c == u'-';
        } else if (c == u'(' && !parens) {
            parens = true;
        } else if (c == u'$' && !currency) {
            currency = true;
        } else {
            break;
        }
    }
    if (i + 1 < n && s[i] == u'&' && !sign && !parens && !currency &&
        (s[i + 1] == u'H' || s[i + 1] == u'h' || s[i + 1] == u'O' || s[i + 1] == u'o'))
        return parse_radix(s, i, out);

    decimal_number value;
    bool any_digit = false, point = false, sticky = false;
    for (; i < n; ++i) {
        const char16_t c = s[i];
        if (is_digit(c)) {
            any_digit = true;
            if (value.digits.empty() && c == u'0') {
                if (point) --value.exponent;  // leading zeros of a fraction
            } else if (value.digits.size() < max_digits) {
                value.digits.push_back(static_cast<char>(c));
                if (point) --value.exponent;
            } else {
                sticky = sticky || c != u'0';
                if (!point) ++value.exponent;
            }
        } else if (c == u',' && any_digit && !point) {
            continue;  // thousands separator, anywhere after the first digit
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!any_digit) return DISP_E_TYPEMISMATCH;

    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        std::size_t j = i + 1;
        bool exp_negative = false;
        if (j < n && (s[j] == u'+' || s[j] == u'-')) exp_negative = s[j++] == u'-';
        if (j < n && is_digit(s[j])) {
            long long e = 0;
            for (; j < n && is_digit(s[j]); ++j)
                if (e < exponent_limit) e = e * 10 + (s[j] - u'0');
            value.exponent += exp_negative ? -e : e;
            i = j;
        }
    }

    bool closed = false;
    for (; i < n; ++i) {
        const char16_t c = s[i];
        if (is_space(c)) continue;
        if ((c == u'+' || c == u'-') && !sign) {
            sign = true;
            negative = c == u'-';
        } else if (c == u')' && parens && !closed) {
            closed = true;
        } else {
            break;
        }
    }
    if (i != n || parens != closed) return DISP_E_TYPEMISMATCH;

    if (sticky) {
        value.digits.push_back('1');
        --value.exponent;
    }
    std::size_t last = value.digits.find_last_not_of('0');
    if (last == std::string::npos) {
        value.digits.clear();
        value.exponent = 0;
    } else {
        value.exponent += static_cast<long long>(value.digits.size() - 1 - last);
        value.digits.resize(last + 1);
    }
    value.negative = negative || parens;
    out->k = number::kind::exact;
    out->dec = std::move(value);
    return S_OK;
}

}  // namespace com::variant_detail
