// Numeric coercion for VariantChangeType: range checks and half-to-even rounding between the
// integer, real, currency and DECIMAL representations.
#pragma once

#include <string>

#include "platform/com/variant.h"

namespace com::variant_detail {

// These helpers may throw std::bad_alloc; VariantChangeTypeEx turns that into E_OUTOFMEMORY.

// An exact decimal value: digits × 10^exponent. `digits` has no leading or trailing zeros;
// empty means zero.
struct decimal_number {
    bool negative = false;
    std::string digits;
    long long exponent = 0;
};

// A numeric source value, read from a variant or parsed from text.
struct number {
    enum class kind {
        signed_int,    // i
        unsigned_int,  // u
        hex,           // u, from "&H"/"&O" text: an integer target takes the bit pattern
        real,          // d, with `precision` significant digits (15 for R8/DATE, 7 for R4)
        exact,         // dec: currency, DECIMAL and decimal text
    };
    kind k = kind::signed_int;
    long long i = 0;
    unsigned long long u = 0;
    double d = 0;
    int precision = 15;
    decimal_number dec;
};

constexpr double date_min = -657434.0;   // 1 January 100
constexpr double date_max = 2958465.0;   // 31 December 9999

// The integer of `bits` width (8..64) and signedness, as raw bits in *raw.
HRESULT to_integer(const number& n, int bits, bool is_signed, unsigned long long* raw);
HRESULT to_double(const number& n, double* out);
HRESULT to_float(const number& n, float* out);
HRESULT to_currency(const number& n, LONGLONG* out);
HRESULT to_date(const number& n, double* out);
HRESULT to_decimal(const number& n, DECIMAL* out);
bool is_nonzero(const number& n) noexcept;

// DECIMAL fields: E_INVALIDARG for a scale above 28 or sign bits other than 0x80.
HRESULT read_decimal(const DECIMAL& value, decimal_number* out);
decimal_number currency_digits(long long value);
// `value` rounded (half away from zero) to `precision` significant digits; finite values only.
decimal_number real_digits(double value, int precision);

}  // namespace com::variant_detail
