// Numeric coercion: every conversion between integers, reals, currency and DECIMAL.
//
// Integers, currency and DECIMAL targets round half to even. Exact sources (currency, DECIMAL,
// decimal text) are rounded on their decimal digits, so "2.5" and 2.5 round alike and no binary
// error creeps in; reals are rounded as doubles.
#include "platform/com/variant_number.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>

namespace com::variant_detail {
namespace {

using u128 = unsigned __int128;

constexpr u128 decimal_limit = static_cast<u128>(1) << 96;

void normalize(decimal_number& n)
{
    std::size_t lead = n.digits.find_first_not_of('0');
    if (lead == std::string::npos) {
        n.digits.clear();
        n.exponent = 0;
        return;
    }
    n.digits.erase(0, lead);
    std::size_t last = n.digits.find_last_not_of('0');
    n.exponent += static_cast<long long>(n.digits.size() - 1 - last);
    n.digits.resize(last + 1);
}

std::string u128_digits(u128 value)
{
    char buffer[48];
    char* p = buffer + sizeof buffer;
    do {
        *--p = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value);
    return std::string(p, buffer + sizeof buffer);
}

// `n` rounded half to even to a multiple of 10^target.
decimal_number round_to(const decimal_number& n, long long target)
{
    if (n.digits.empty() || n.exponent >= target) return n;
    decimal_number out;
    out.negative = n.negative;
    out.exponent = target;
    const long long size = static_cast<long long>(n.digits.size());
    const long long drop = target - n.exponent;
    if (drop > size) return out;  // below a tenth of the unit: zero
    std::string kept = n.digits.substr(0, static_cast<std::size_t>(size - drop));
    const char first = n.digits[static_cast<std::size_t>(size - drop)];
    // No trailing zeros, so any digit after `first` makes the rest non-zero.
    const bool odd = !kept.empty() && ((kept.back() - '0') & 1);
    if (first > '5' || (first == '5' && (drop > 1 || odd))) {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
        if (i == 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i - 1];
    }
    out.digits = std::move(kept);
    normalize(out);
    return out;
}

// The integer value of `n` (exponent >= 0); false when it has more than 20 digits.
bool whole_value(const decimal_number& n, u128* value)
{
    if (n.digits.empty()) {
        *value = 0;
        return true;
    }
    if (static_cast<long long>(n.digits.size()) + n.exponent > 20) return false;
    u128 v = 0;
    for (char c : n.digits) v = v * 10 + static_cast<unsigned>(c - '0');
    for (long long i = 0; i < n.exponent; ++i) v *= 10;
    *value = v;
    return true;
}

HRESULT fit_integer(bool negative, u128 magnitude, int bits, bool is_signed,
                    unsigned long long* raw)
{
    if (is_signed) {
        const u128 half = static_cast<u128>(1) << (bits - 1);
        if (magnitude > (negative ? half : half - 1)) return DISP_E_OVERFLOW;
        const auto m = static_cast<unsigned long long>(magnitude);
        *raw = negative ? 0ULL - m : m;
    } else {
        if (negative && magnitude != 0) return DISP_E_OVERFLOW;
        if (magnitude > (static_cast<u128>(1) << bits) - 1) return DISP_E_OVERFLOW;
        *raw = static_cast<unsigned long long>(magnitude);
    }
    return S_OK;
}

double round_half_even(double x)
{
    const double f = std::floor(x);
    const double diff = x - f;
    if (diff > 0.5) return f + 1;
    if (diff < 0.5) return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

u128 magnitude_of(long long v)
{
    return v < 0 ? static_cast<u128>(0ULL - static_cast<unsigned long long>(v))
                 : static_cast<u128>(v);
}

HRESULT digits_to_double(const decimal_number& n, double* out)
{
    if (n.digits.empty()) {
        *out = 0.0;
        return S_OK;
    }
    std::string text = n.digits;
    text += 'e';
    text += std::to_string(n.exponent);
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        if (static_cast<long long>(n.digits.size()) + n.exponent > 0) return DISP_E_OVERFLOW;
        value = 0.0;
    } else if (ec != std::errc() || end != text.data() + text.size()) {
        return DISP_E_TYPEMISMATCH;
    }
    *out = n.negative ? -value : value;
    return S_OK;
}

HRESULT digits_to_decimal(decimal_number n, DECIMAL* out)
{
    *out = DECIMAL{};
    if (n.exponent < -28) n = round_to(n, -28);
    u128 mantissa = 0;
    for (;;) {
        if (n.digits.empty()) return S_OK;
        const long long size = static_cast<long long>(n.digits.size());
        if (n.exponent < 0 && size > 29) {
            n = round_to(n, std::min<long long>(0, n.exponent + size - 29));
            continue;
        }
        const long long total = size + std::max<long long>(n.exponent, 0);
        if (total > 29) return DISP_E_OVERFLOW;
        mantissa = 0;
        for (char c : n.digits) mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
        for (long long i = 0; i < n.exponent; ++i) mantissa *= 10;
        if (mantissa < decimal_limit) break;
        if (n.exponent >= 0) return DISP_E_OVERFLOW;
        n = round_to(n, n.exponent + 1);
    }
    out->scale = static_cast<BYTE>(n.exponent < 0 ? -n.exponent : 0);
    out->sign = n.negative ? 0x80 : 0;
    out->Hi32 = static_cast<ULONG>(mantissa >> 64);
    out->Lo64 = static_cast<ULONGLONG>(mantissa);
    return S_OK;
}

HRESULT unsigned_to_decimal(bool negative, u128 magnitude, DECIMAL* out)
{
    *out = DECIMAL{};
    out->sign = negative && magnitude ? 0x80 : 0;
    out->Hi32 = static_cast<ULONG>(magnitude >> 64);
    out->Lo64 = static_cast<ULONGLONG>(magnitude);
    return S_OK;
}

}  // namespace

HRESULT read_decimal(const DECIMAL& value, decimal_number* out)
{
    if (value.scale > 28 || (value.sign & 0x7F)) return E_INVALIDARG;
    const u128 mantissa = (static_cast<u128>(value.Hi32) << 64) | value.Lo64;
    out->negative = value.sign != 0;
    out->digits = u128_digits(mantissa);
    out->exponent = -static_cast<long long>(value.scale);
    normalize(*out);
    return S_OK;
}

decimal_number currency_digits(long long value)
{
    decimal_number n;
    n.negative = value < 0;
    n.digits = u128_digits(magnitude_of(value));
    n.exponent = -4;
    normalize(n);
    return n;
}

decimal_number real_digits(double value, int precision)
{
    decimal_number n;
    n.negative = std::signbit(value);
    if (value == 0 || !std::isfinite(value)) return n;
    // Extra digits let the final rounding go half away from zero on the decimal expansion.
    char buffer[80];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                std::chars_format::scientific, precision + 9);
    std::string mantissa;
    const char* p = buffer;
    for (; p < result.ptr && *p != 'e'; ++p)
        if (*p != '.') mantissa += *p;
    int exponent10 = 0;
    if (p < result.ptr) std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, exponent10);
    std::string kept = mantissa.substr(0, static_cast<std::size_t>(precision));
    if (mantissa[static_cast<std::size_t>(precision)] >= '5') {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
        if (i == 0) {
            kept.insert(kept.begin(), '1');
            kept.pop_back();
            ++exponent10;
        } else {
            ++kept[i - 1];
        }
    }
    n.digits = std::move(kept);
    n.exponent = exponent10 - (precision - 1);
    normalize(n);
    return n;
}

HRESULT to_integer(const number& n, int bits, bool is_signed, unsigned long long* raw)
{
    switch (n.k) {
    case number::kind::signed_int: return fit_integer(n.i < 0, magnitude_of(n.i), bits, is_signed, raw);
    case number::kind::unsigned_int: return fit_integer(false, n.u, bits, is_signed, raw);
    case number::kind::hex:
        // A hex literal that fits the width keeps its bit pattern ("&HFFFF" as I2 is -1).
        if (bits < 64 && (n.u >> bits)) return DISP_E_OVERFLOW;
        *raw = n.u;
        return S_OK;
    case number::kind::real: {
        if (std::isnan(n.d)) return DISP_E_OVERFLOW;
        const double r = round_half_even(n.d);
        if (is_signed) {
            const double limit = std::ldexp(1.0, bits - 1);
            if (r < -limit || r >= limit) return DISP_E_OVERFLOW;
            *raw = static_cast<unsigned long long>(static_cast<long long>(r));
        } else {
            if (r < 0 || r >= std::ldexp(1.0, bits)) return DISP_E_OVERFLOW;
            *raw = static_cast<unsigned long long>(r);
        }
        return S_OK;
    }
    case number::kind::exact: {
        const decimal_number whole = round_to(n.dec, 0);
        u128 magnitude = 0;
        if (!whole_value(whole, &magnitude)) return DISP_E_OVERFLOW;
        return fit_integer(whole.negative, magnitude, bits, is_signed, raw);
    }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT to_double(const number& n, double* out)
{
    switch (n.k) {
    case number::kind::signed_int: *out = static_cast<double>(n.i); return S_OK;
    case number::kind::unsigned_int:
    case number::kind::hex: *out = static_cast<double>(n.u); return S_OK;
    case number::kind::real: *out = n.d; return S_OK;
    case number::kind::exact: return digits_to_double(n.dec, out);
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT to_float(const number& n, float* out)
{
    double d = 0;
    HRESULT hr = to_double(n, &d);
    if (FAILED(hr)) return hr;
    if (std::fabs(d) > FLT_MAX) return DISP_E_OVERFLOW;  // NaN passes, infinity does not
    *out = static_cast<float>(d);
    return S_OK;
}

HRESULT to_currency(const number& n, LONGLONG* out)
{
    unsigned long long raw = 0;
    HRESULT hr = S_OK;
    switch (n.k) {
    case number::kind::signed_int:
        hr = fit_integer(n.i < 0, magnitude_of(n.i) * 10000, 64, true, &raw);
        break;
    case number::kind::unsigned_int:
    case number::kind::hex: hr = fit_integer(false, static_cast<u128>(n.u) * 10000, 64, true, &raw); break;
    case number::kind::real: {
        if (std::isnan(n.d)) return DISP_E_OVERFLOW;
        const double r = round_half_even(n.d * 10000.0);
        if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return DISP_E_OVERFLOW;
        *out = static_cast<long long>(r);
        return S_OK;
    }
    case number::kind::exact: {
        decimal_number scaled = round_to(n.dec, -4);
        if (!scaled.digits.empty()) scaled.exponent += 4;
        u128 magnitude = 0;
        if (!whole_value(scaled, &magnitude)) return DISP_E_OVERFLOW;
        hr = fit_integer(scaled.negative, magnitude, 64, true, &raw);
        break;
    }
    }
    if (SUCCEEDED(hr)) *out = static_cast<long long>(raw);
    return hr;
}

HRESULT to_date(const number& n, double* out)
{
    double d = 0;
    HRESULT hr = to_double(n, &d);
    if (FAILED(hr)) return hr;
    if (!(d > date_min - 1.0 && d < date_max + 1.0)) return DISP_E_OVERFLOW;
    *out = d;
    return S_OK;
}

HRESULT to_decimal(const number& n, DECIMAL* out)
{
    switch (n.k) {
    case number::kind::signed_int: return unsigned_to_decimal(n.i < 0, magnitude_of(n.i), out);
    case number::kind::unsigned_int:
    case number::kind::hex: return unsigned_to_decimal(false, n.u, out);
    case number::kind::real:
        // As Windows does, a real becomes the decimal of its printed digits.
        if (!std::isfinite(n.d)) return DISP_E_OVERFLOW;
        return digits_to_decimal(real_digits(n.d, n.precision), out);
    case number::kind::exact: return digits_to_decimal(n.dec, out);
    }
    return DISP_E_TYPEMISMATCH;
}

bool is_nonzero(const number& n) noexcept
{
    switch (n.k) {
    case number::kind::signed_int: return n.i != 0;
    case number::kind::unsigned_int:
    case number::kind::hex: return n.u != 0;
    case number::kind::real: return n.d != 0;  // NaN counts as true
    case number::kind::exact: return !n.dec.digits.empty();
    }
    return false;
}

}  // namespace com::variant_detail
