// VariantChangeType: range limits, rounding, text parsing and formatting, booleans, currency,
// dates, EMPTY/NULL/ERROR rules, by-reference and object sources, and in-place conversion.
// Plain conversions are tables of {source, wanted type and value, result}; the file is long
// because those tables are the cases themselves, and they share the helpers at its top.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/com/object.h"
#include "platform/com/oaidl.h"
#include "platform/com/raii.h"
#include "platform/com/safearray.h"
#include "platform/com/variant.h"
#include "tests/platform/test_support.h"

namespace {

constexpr HRESULT OK = S_OK;
constexpr HRESULT OVF = DISP_E_OVERFLOW;
constexpr HRESULT MISMATCH = DISP_E_TYPEMISMATCH;
constexpr HRESULT BADVT = DISP_E_BADVARTYPE;

// A plain value: integers, booleans, error codes and currency (its raw 64-bit count) in `i`,
// reals and dates in `d`, text in `s`.
struct value {
    VARTYPE vt;
    long long i = 0;
    double d = 0;
    const char16_t* s = nullptr;
};
struct integer_maker {
    VARTYPE vt;
    value operator()(long long i = 0) const { return {vt, i}; }
};
struct real_maker {
    VARTYPE vt;
    value operator()(double d = 0) const { return {vt, 0, d}; }
};
constexpr integer_maker I1{VT_I1}, U1{VT_UI1}, I2{VT_I2}, U2{VT_UI2}, I4{VT_I4}, U4{VT_UI4},
    I8{VT_I8}, U8{VT_UI8}, Int{VT_INT}, UInt{VT_UINT}, Bool{VT_BOOL}, Cy{VT_CY}, Err{VT_ERROR},
    Empty{VT_EMPTY}, Null{VT_NULL}, Bad{15};
constexpr real_maker R4{VT_R4}, R8{VT_R8}, Date{VT_DATE};
value S(const char16_t* s) { return {VT_BSTR, 0, 0, s}; }

// The payload goes in by its bytes: an integer's low bytes are the narrower fields.
com::Variant make(const value& from)
{
    if (from.vt == VT_BSTR) return com::Variant::from_string(from.s);
    com::Variant out;
    if (from.vt == VT_R4) *out.put() = variant_of(from.vt, static_cast<float>(from.d));
    else if (from.vt == VT_R8 || from.vt == VT_DATE) *out.put() = variant_of(from.vt, from.d);
    else *out.put() = variant_of(from.vt, from.i);
    return out;
}

long long integer_of(const VARIANT& v)
{
    switch (v.vt) {
    case VT_I1: return static_cast<signed char>(v.cVal);
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_UI2: return v.uiVal;
    case VT_I4:
    case VT_INT: return v.lVal;
    case VT_UI4:
    case VT_UINT: return v.ulVal;
    case VT_BOOL: return v.boolVal;
    case VT_ERROR: return v.scode;
    case VT_CY: return v.cyVal.int64;
    default: return v.llVal;
    }
}

// Converts and returns the result; the destination starts with a sentinel so that a failed
// conversion can be seen to leave it alone.
struct converted {
    HRESULT hr;
    com::Variant value;
};

converted convert(const VARIANT& source, VARTYPE to, USHORT flags = 0)
{
    converted c{};
    c.value->vt = VT_I2;
    c.value->iVal = 0x5A5A;
    c.hr = VariantChangeType(c.value.get(), &source, flags, to);
    if (FAILED(c.hr)) {
        EXPECT_EQ(c.value->vt, VT_I2) << "failed conversion changed the destination";
        EXPECT_EQ(c.value->iVal, 0x5A5A);
    } else {
        EXPECT_EQ(c.value->vt, to);
    }
    return c;
}

std::string narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

// One conversion of `from` to `want.vt`: the result `hr` and, when it succeeds, `want`'s value.
struct change {
    value from;
    value want;
    HRESULT hr = OK;
    USHORT flags = 0;
};

void expect_changes(std::span<const change> cases)
{
    for (std::size_t row = 0; row < cases.size(); ++row) {
        const change& c = cases[row];
        SCOPED_TRACE(testing::Message() << "row " << row << ": " << c.from.vt << " "
                                        << (c.from.s ? narrow(c.from.s) : std::to_string(c.from.i))
                                        << " / " << c.from.d << " to " << c.want.vt);
        com::Variant from = make(c.from);
        converted r = convert(*from.get(), c.want.vt, c.flags);
        EXPECT_EQ(r.hr, c.hr);
        if (FAILED(c.hr) || FAILED(r.hr)) continue;
        const VARIANT& got = *r.value.get();
        switch (c.want.vt) {
        case VT_EMPTY:
        case VT_NULL: break;
        case VT_R4: EXPECT_EQ(got.fltVal, static_cast<float>(c.want.d)); break;
        case VT_R8: EXPECT_EQ(got.dblVal, c.want.d); break;
        case VT_DATE: EXPECT_NEAR(got.date, c.want.d, 1e-9); break;
        case VT_BSTR:
            ASSERT_NE(got.bstrVal, nullptr) << "a converted string is never null";
            EXPECT_EQ(com::bstr_view(got.bstrVal), c.want.s);
            break;
        default: EXPECT_EQ(integer_of(got), c.want.i);
        }
    }
}

// Every conversion of `from` to one of `targets` gives `hr`.
void expect_all(const value& from, std::initializer_list<VARTYPE> targets, HRESULT hr)
{
    com::Variant v = make(from);
    for (VARTYPE to : targets) EXPECT_EQ(convert(*v.get(), to).hr, hr) << from.vt << " to " << to;
}

// Texts that do not convert to `to`.
void expect_mismatch(std::initializer_list<const char16_t*> texts, VARTYPE to)
{
    for (const char16_t* text : texts) expect_all(S(text), {to}, MISMATCH);
}

std::u16string text_of(const VARIANT& source, USHORT flags = 0)
{
    converted c = convert(source, VT_BSTR, flags);
    EXPECT_EQ(c.hr, S_OK);
    return SUCCEEDED(c.hr) ? std::u16string(com::bstr_view(c.value->bstrVal)) : u"<failed>";
}

using ChangeTypeTest = BstrLeakTest;

// ---- Numbers to numbers ----------------------------------------------------------------------

TEST_F(ChangeTypeTest, IntegerTargetsCheckTheirRange)
{
    const change cases[] = {
        {I4(127), I1(127)}, {I4(128), I1(), OVF}, {I4(-128), I1(-128)}, {I4(-129), I1(), OVF},
        {I4(255), U1(255)}, {I4(256), U1(), OVF}, {I4(-1), U1(), OVF}, {I2(-1), U1(), OVF},
        {I4(32767), I2(32767)}, {I4(32768), I2(), OVF}, {I4(-32768), I2(-32768)},
        {I4(-32769), I2(), OVF}, {I4(65535), U2(65535)}, {I4(65536), U2(), OVF},
        {I1(-1), U2(), OVF}, {U4(40000), I2(), OVF}, {I8(INT_MAX), I4(INT_MAX)},
        {I8(2147483648LL), I4(), OVF}, {I8(INT_MIN), I4(INT_MIN)}, {I8(-2147483649LL), I4(), OVF},
        {U8(UINT_MAX), U4(UINT_MAX)}, {I8(4294967296LL), U4(), OVF}, {I2(-1), U4(), OVF},
        {U8(LLONG_MAX), I4(), OVF}, {I4(-1), U8(), OVF}, {I4(7), Int(7)}, {Int(-7), I8(-7)},
        {UInt(300), U1(), OVF}, {U2(65535), I4(65535)},
        // Same width, other signedness: Windows copies the bits; booleans keep theirs too.
        {I1(-1), U1(255)}, {U1(255), I1(-1)}, {I2(-1), U2(65535)}, {U4(UINT_MAX), I4(-1)},
        {UInt(UINT_MAX), Int(-1)}, {I8(-1), U8(-1)}, {Bool(-1), I4(-1)}, {Bool(-1), U1(255)},
        {Bool(-1), U2(65535)}, {Bool(0), I8(0)},
        // Currency is scaled by 10 000 and rounds half to even.
        {Cy(15000), I4(2)}, {Cy(25000), I4(2)}, {Cy(-15000), I4(-2)}, {Cy(5000), I4(0)},
        {Cy(5001), I4(1)}, {Cy(-5000), U1(0)}, {Cy(-10000), U1(), OVF}, {Cy(2555000), U1(), OVF},
        {Cy(LLONG_MAX), I8(922337203685478LL)},
    };
    expect_changes(cases);
}

TEST_F(ChangeTypeTest, RealsRoundHalfToEvenIntoIntegersAndCurrency)
{
    const change cases[] = {
        {R8(0.5), I4(0)}, {R8(1.5), I4(2)}, {R8(2.5), I4(2)}, {R8(-0.5), I4(0)}, {R8(-1.5), I4(-2)},
        {R8(-2.5), I4(-2)}, {R8(0.6), I4(1)}, {R8(-0.6), I4(-1)}, {R8(0.4), I4(0)},
        {R8(3.5), I2(4)}, {R8(2147483647.49), I4(INT_MAX)}, {R8(2147483647.5), I4(), OVF},
        {R8(2147483648.0), I4(), OVF}, {R8(-2147483648.5), I4(INT_MIN)},
        {R8(-2147483648.51), I4(), OVF}, {R8(127.49), I1(127)}, {R8(127.5), I1(), OVF},
        {R8(-128.5), I1(-128)}, {R8(-128.51), I1(), OVF}, {R8(255.5), U1(), OVF}, {R8(-0.5), U1(0)},
        {R8(-0.51), U1(), OVF}, {R8(65535.49), U2(65535)}, {R8(4294967295.5), U4(), OVF},
        {R8(9.3e18), I8(), OVF}, {R8(-1.0), U8(), OVF},
        {R8(1.8e19), U8(static_cast<long long>(18000000000000000000ULL))}, {R8(1.9e19), U8(), OVF},
        {R8(NAN), I4(), OVF}, {R8(INFINITY), I8(), OVF}, {R4(1.5), I4(2)}, {R4(2.5), I4(2)},
        {R4(-1.5), I2(-2)}, {Date(1.5), I4(2)}, {Date(2.5), I4(2)}, {Date(-0.5), I4(0)},
        {R8(0.25), Cy(2500)}, {R8(-1.5), Cy(-15000)}, {R8(1e14), Cy(1000000000000000000)},
        {R8(1e15), Cy(), OVF}, {R4(1.00009), Cy(10001)},
    };
    expect_changes(cases);
}

TEST_F(ChangeTypeTest, RealCurrencyDateAndBooleanTargetsCheckRange)
{
    const change cases[] = {
        {R8(1e39), R4(), OVF}, {R8(-1e39), R4(), OVF}, {R8(INFINITY), R4(), OVF},
        {R8(3.4e38), R4(3.4e38)}, {R8(1e-50), R4(0)}, {Cy(-15000), R8(-1.5)},
        {U8(-1), R8(18446744073709551615.0)}, {Bool(-1), R8(-1)}, {Bool(-1), Cy(-10000)},
        {I8(LLONG_MAX), Cy(), OVF}, {U8(922337203685477LL), Cy(9223372036854770000LL)},
        {U8(922337203685478LL), Cy(), OVF},
        // Dates run from 1 January 100 to the end of 31 December 9999.
        {I4(-657434), Date(-657434)}, {I4(-657435), Date(), OVF}, {I4(2958465), Date(2958465)},
        {I4(2958466), Date(), OVF}, {R8(2958465.9), Date(2958465.9)}, {R8(NAN), Date(), OVF},
        {Bool(-1), Date(-1)},
        // Anything but zero is VARIANT_TRUE.
        {I4(5), Bool(VARIANT_TRUE)}, {U8(0), Bool(VARIANT_FALSE)}, {R8(0.1), Bool(VARIANT_TRUE)},
        {R8(-0.0), Bool(VARIANT_FALSE)}, {Cy(1), Bool(VARIANT_TRUE)},
        {Date(0), Bool(VARIANT_FALSE)},
    };
    expect_changes(cases);
}

// ---- Text to values ------------------------------------------------------------------------

TEST_F(ChangeTypeTest, TextToIntegerFollowsNumberParsing)
{
    const change cases[] = {
        {S(u"12"), I4(12)}, {S(u"  12 "), I4(12)}, {S(u"\t12\t"), I4(12)}, {S(u"1,000"), I4(1000)},
        {S(u"1,000,000"), I4(1000000)}, {S(u"(5)"), I4(-5)}, {S(u"5-"), I4(-5)}, {S(u"5+"), I4(5)},
        {S(u"+7"), I4(7)}, {S(u" - 7"), I4(-7)}, {S(u"$1,234"), I4(1234)}, {S(u"-$3"), I4(-3)},
        {S(u"&HFF"), I4(255)}, {S(u"&hff"), I4(255)}, {S(u"&O17"), I4(15)},
        {S(u"&H80000000"), I4(INT_MIN)}, {S(u"&H100000000"), I4(), OVF}, {S(u"&HFFFF"), I2(-1)},
        {S(u"&H10000"), I2(), OVF}, {S(u"&HFF"), I1(-1)}, {S(u"&HFFFFFFFFFFFFFFFFF"), I8(), OVF},
        {S(u"1e3"), I4(1000)}, {S(u"1.5E1"), I4(15)}, {S(u"25e-1"), I4(2)}, {S(u"1.5"), I4(2)},
        {S(u"2.5"), I4(2)}, {S(u"-2.5"), I4(-2)}, {S(u"0.5"), I4(0)}, {S(u"-0.5"), I4(0)},
        {S(u"3.5"), I4(4)}, {S(u"2.50000000000000000001"), I4(3)}, {S(u"5."), I4(5)},
        {S(u".5"), I4(0)}, {S(u"007"), I4(7)}, {S(u"2147483647"), I4(INT_MAX)},
        {S(u"2147483648"), I4(), OVF}, {S(u"-2147483648"), I4(INT_MIN)},
        {S(u"-2147483649"), I4(), OVF}, {S(u"2147483647.5"), I4(), OVF}, {S(u"1e400"), I4(), OVF},
        {S(u"1e-400"), I4(0)}, {S(u"32767"), I2(32767)}, {S(u"32768"), I2(), OVF},
        {S(u"255"), U1(255)}, {S(u"256"), U1(), OVF}, {S(u"-1"), U1(), OVF}, {S(u"-0.5"), U1(0)},
        {S(u"-128"), I1(-128)}, {S(u"-129"), I1(), OVF}, {S(u"18446744073709551615"), U8(-1)},
        {S(u"18446744073709551616"), U8(), OVF}, {S(u"-9223372036854775808"), I8(LLONG_MIN)},
        // Currency is exact: it rounds on the decimal digits.
        {S(u"1.23456"), Cy(12346)}, {S(u"1.00005"), Cy(10000)}, {S(u"1.00015"), Cy(10002)},
        {S(u"$-1.5"), Cy(-15000)}, {S(u"(2.25)"), Cy(-22500)},
        {S(u"922337203685477.5807"), Cy(LLONG_MAX)}, {S(u"922337203685477.5808"), Cy(), OVF},
        {S(u"-922337203685477.5808"), Cy(LLONG_MIN)},
    };
    expect_changes(cases);
    expect_mismatch({u"abc", u"", u"   ", u"12abc", u"1 2", u",5", u"(5", u"5)", u"--5", u"-5-",
                     u"1.2.3", u"1e", u".", u"&H", u"&HG", u"&O8", u"-&H1", u"1,000.5,3", u"0x10",
                     u"()"},
                    VT_I4);
}

TEST_F(ChangeTypeTest, TextToRealAndBoolean)
{
    const change cases[] = {
        {S(u"1.5"), R8(1.5)}, {S(u"-1.5e-3"), R8(-0.0015)}, {S(u"0.1"), R8(0.1)},
        {S(u"1,234.5"), R8(1234.5)}, {S(u"  -0.25  "), R8(-0.25)}, {S(u"1e308"), R8(1e308)},
        {S(u"1e309"), R8(), OVF}, {S(u"1e-400"), R8(0.0)}, {S(u"&H10"), R8(16.0)},
        {S(u"1.5"), R4(1.5)}, {S(u"1e39"), R4(), OVF}, {S(u"abc"), R8(), MISMATCH},
        {S(u"123456789012345678901234567890"), R8(1.2345678901234568e29)},
        // Words in any case, the #TRUE# / #FALSE# markers in capitals, or numbers.
        {S(u"True"), Bool(VARIANT_TRUE)}, {S(u"true"), Bool(VARIANT_TRUE)},
        {S(u"TRUE"), Bool(VARIANT_TRUE)}, {S(u"False"), Bool(VARIANT_FALSE)},
        {S(u"fAlSe"), Bool(VARIANT_FALSE)}, {S(u"#TRUE#"), Bool(VARIANT_TRUE)},
        {S(u"#FALSE#"), Bool(VARIANT_FALSE)}, {S(u"0"), Bool(VARIANT_FALSE)},
        {S(u"-1"), Bool(VARIANT_TRUE)}, {S(u"+1"), Bool(VARIANT_TRUE)},
        {S(u"0.1"), Bool(VARIANT_TRUE)},
    };
    expect_changes(cases);
    expect_mismatch({u"#True#", u"Yes", u"On", u""}, VT_BOOL);
}

TEST_F(ChangeTypeTest, TextToDateReadsCommonForms)
{
    const change cases[] = {
        {S(u"12/30/1900 6:00:00 AM"), Date(365.25)}, {S(u"12/31/1903"), Date(1461)},
        {S(u"12:00:00 AM"), Date(0)}, {S(u"1/2/1970"), Date(25570)}, {S(u"1-2-1970"), Date(25570)},
        {S(u"2 January 1970"), Date(25570)}, {S(u"January 2, 1970"), Date(25570)},
        {S(u"2-Jan-1970"), Date(25570)}, {S(u"1970-1-13"), Date(25581)},
        {S(u"13-1-1970"), Date(25581)}, {S(u"6 pm"), Date(0.75)}, {S(u"00:00 pm"), Date(0.5)},
        {S(u"12:59 AM"), Date(59.0 / 1440)}, {S(u"13:00 AM"), Date(13.0 / 24)},
        {S(u"1 2 29"), Date(47120)}, {S(u"1 2 30"), Date(10960)}, {S(u"1/1/100"), Date(-657434)},
        {S(u"12/31/9999"), Date(2958465)}, {S(u"4/24/1765 5:45:36 AM"), Date(-49192.24)},
        {S(u"12/29/1899 6:00 AM"), Date(-1.25)}, {S(u"Jan 35"), Date(12785)},
        {S(u"30 2"), Date(10990)},
    };
    expect_changes(cases);
    expect_mismatch({u"True", u"0", u"1", u"24:00", u"0:60", u"32 49", u"abc", u"", u"1/2/3/4",
                     u"02.01.1970", u"2/30/2001", u"1 am 2 pm"},
                    VT_DATE);
}

TEST_F(ChangeTypeTest, TextEndsAtItsFirstNulAndNullTextIsMismatch)
{
    const char16_t with_zero[] = {u'1', u'2', 0, u'a', u'b'};
    com::Variant text = com::Variant::from_string(std::u16string_view(with_zero, 5));
    EXPECT_EQ(shown(convert(*text.get(), VT_I4).value), "I4 12");
    const char16_t leading_zero[] = {0, u'1', u'2'};
    text = com::Variant::from_string(std::u16string_view(leading_zero, 3));
    EXPECT_EQ(convert(*text.get(), VT_I4).hr, MISMATCH);

    VARIANT null_text = variant_of(VT_BSTR, BSTR{});
    for (VARTYPE to : {VT_I4, VT_BOOL, VT_DATE, VT_R8})
        EXPECT_EQ(convert(null_text, to).hr, MISMATCH) << to;
}

// ---- Values to text ------------------------------------------------------------------------

TEST_F(ChangeTypeTest, NumbersBecomeText)
{
    const change cases[] = {
        // Doubles keep fifteen significant digits, singles seven.
        {R8(1.5), S(u"1.5")}, {R8(0.1), S(u"0.1")}, {R8(1.0 / 3), S(u"0.333333333333333")},
        {R8(2.0 / 3), S(u"0.666666666666667")}, {R8(123456789012345.0), S(u"123456789012345")},
        {R8(1e15), S(u"1E+15")}, {R8(1234567890123456789.0), S(u"1.23456789012346E+18")},
        {R8(1e-5), S(u"1E-05")}, {R8(0.0001), S(u"0.0001")}, {R8(1.5e-7), S(u"1.5E-07")},
        {R8(-0.0), S(u"0")}, {R8(-2.5), S(u"-2.5")}, {R8(1e300), S(u"1E+300")},
        {R8(100.0), S(u"100")}, {R8(DBL_MAX), S(u"1.79769313486232E+308")},
        {R8(0.999999999999999999), S(u"1")}, {R4(654322.23456), S(u"654322.3")},
        {R4(1.5), S(u"1.5")}, {R4(0.1), S(u"0.1")}, {R4(1e10), S(u"1E+10")},
        {R4(16777216.0), S(u"1.677722E+07")}, {R4(-0.0), S(u"0")}, {I4(INT_MIN), S(u"-2147483648")},
        {I4(1000000), S(u"1000000")}, {U8(-1), S(u"18446744073709551615")},
        {I8(LLONG_MIN), S(u"-9223372036854775808")}, {I1(-128), S(u"-128")}, {U1(255), S(u"255")},
        {UInt(4000000000LL), S(u"4000000000")},
        // Currency drops trailing zeros.
        {Cy(0), S(u"0")}, {Cy(10000), S(u"1")}, {Cy(15000), S(u"1.5")}, {Cy(-15000), S(u"-1.5")},
        {Cy(9), S(u"0.0009")}, {Cy(4294967295LL), S(u"429496.7295")},
        {Cy(LLONG_MAX), S(u"922337203685477.5807")}, {Cy(LLONG_MIN), S(u"-922337203685477.5808")},
        {Cy(1234500000), S(u"123450")},
        // Booleans are numbers unless a flag asks for words.
        {Bool(-1), S(u"-1")}, {Bool(0), S(u"0")}, {Bool(1), S(u"1")},
        {Bool(-1), S(u"True"), OK, VARIANT_ALPHABOOL}, {Bool(1), S(u"True"), OK, VARIANT_ALPHABOOL},
        {Bool(0), S(u"False"), OK, VARIANT_ALPHABOOL},
        {Bool(0), S(u"False"), OK, VARIANT_LOCALBOOL},
        // Dates take the United States form, without a midnight time or an 1899 date.
        {Date(0.0), S(u"12:00:00 AM")}, {Date(0.5), S(u"12:00:00 PM")},
        {Date(3.34), S(u"1/2/1900 8:09:36 AM")}, {Date(365.0), S(u"12/30/1900")},
        {Date(365.25), S(u"12/30/1900 6:00:00 AM")}, {Date(1461.0), S(u"12/31/1903")},
        {Date(1461.5), S(u"12/31/1903 12:00:00 PM")}, {Date(-49192.24), S(u"4/24/1765 5:45:36 AM")},
        {Date(-1.25), S(u"12/29/1899 6:00:00 AM")}, {Date(-657434.0), S(u"1/1/100")},
        {Date(2958465.0), S(u"12/31/9999")}, {Date(25570.0), S(u"1/2/1970")},
        {Date(36526.99999999), S(u"1/2/2000")}, {Date(2958466.0), S(u""), E_INVALIDARG},
        {Date(-657435.0), S(u""), E_INVALIDARG},
    };
    expect_changes(cases);
}

// ---- DECIMAL -------------------------------------------------------------------------------

VARIANT decimal(BYTE scale, BYTE sign, ULONG hi, ULONGLONG lo)
{
    VARIANT v;
    v.decVal = DECIMAL{};
    v.decVal.scale = scale;
    v.decVal.sign = sign;
    v.decVal.Hi32 = hi;
    v.decVal.Lo64 = lo;
    v.vt = VT_DECIMAL;
    return v;
}

void expect_decimal(const converted& r, BYTE scale, BYTE sign, ULONG hi, ULONGLONG lo)
{
    ASSERT_EQ(r.hr, OK);
    EXPECT_EQ(r.value->decVal.scale, scale);
    EXPECT_EQ(r.value->decVal.sign, sign);
    EXPECT_EQ(r.value->decVal.Hi32, hi);
    EXPECT_EQ(r.value->decVal.Lo64, lo);
}

TEST_F(ChangeTypeTest, DecimalConvertsBothWays)
{
    EXPECT_EQ(convert(decimal(1, 0, 0, 25), VT_I4).value->lVal, 2);  // 2.5 to even
    EXPECT_EQ(convert(decimal(1, 0x80, 0, 35), VT_I4).value->lVal, -4);
    EXPECT_EQ(text_of(decimal(3, 0, 0, 1500)), u"1.5");
    EXPECT_EQ(text_of(decimal(0, 0, 0xFFFFFFFF, ~0ULL)), u"79228162514264337593543950335");
    EXPECT_EQ(text_of(decimal(28, 0x80, 0, 1)), u"-0.0000000000000000000000000001");
    EXPECT_EQ(convert(decimal(4, 0, 0, 15000), VT_CY).value->cyVal.int64, 15000);
    EXPECT_EQ(convert(decimal(2, 0, 0, 150), VT_R8).value->dblVal, 1.5);
    EXPECT_EQ(convert(decimal(29, 0, 0, 1), VT_I4).hr, E_INVALIDARG);
    EXPECT_EQ(convert(decimal(0, 0x01, 0, 1), VT_I4).hr, E_INVALIDARG);

    expect_decimal(convert(*make(I4(-42)).get(), VT_DECIMAL), 0, 0x80, 0, 42);
    expect_decimal(convert(*make(Bool(-1)).get(), VT_DECIMAL), 0, 0, 0, 1);
    expect_decimal(convert(*make(R8(0.1)).get(), VT_DECIMAL), 1, 0, 0, 1);
    expect_decimal(convert(*make(S(u"1.50")).get(), VT_DECIMAL), 1, 0, 0, 15);
    expect_decimal(convert(*make(S(u"79228162514264337593543950335")).get(), VT_DECIMAL), 0, 0,
                   0xFFFFFFFF, ~0ULL);
    expect_all(S(u"79228162514264337593543950336"), {VT_DECIMAL}, OVF);
    expect_decimal(convert(*make(Cy(12345)).get(), VT_DECIMAL), 4, 0, 0, 12345);
}

// ---- EMPTY, NULL, ERROR and unsupported types ------------------------------------------------

TEST_F(ChangeTypeTest, EmptyNullAndErrorFollowTheirOwnRules)
{
    const change cases[] = {
        // EMPTY is zero of every value type and the empty string.
        {Empty(), I4(0)}, {Empty(), R8(0)}, {Empty(), Bool(VARIANT_FALSE)}, {Empty(), Date(0)},
        {Empty(), Cy(0)}, {Empty(), S(u"")}, {Empty(), Null()}, {Empty(), Empty()},
        // An error code only copies.
        {Err(DISP_E_PARAMNOTFOUND), Err(DISP_E_PARAMNOTFOUND)}, {I4(1), Err(), MISMATCH},
        {S(u"x"), Empty()},
    };
    expect_changes(cases);
    expect_all(Empty(), {VT_ERROR, VT_DISPATCH, VT_UNKNOWN, VT_VARIANT, VT_RECORD}, MISMATCH);
    expect_all(Null(), {VT_NULL}, OK);
    expect_all(Null(),
               {VT_EMPTY, VT_I4, VT_BSTR, VT_BOOL, VT_DATE, VT_ERROR, VT_DISPATCH, VT_UNKNOWN,
                VT_DECIMAL, VT_I8, VT_UINT},
               MISMATCH);
    expect_all(Null(), {VT_VOID}, BADVT);
    for (VARTYPE from : {VT_I4, VT_R8, VT_BOOL, VT_UI8, VT_CY})
        expect_all(integer_maker{from}(1), {VT_EMPTY, VT_NULL}, OK);
    expect_all(Err(DISP_E_PARAMNOTFOUND),
               {VT_I4, VT_UI4, VT_BSTR, VT_EMPTY, VT_NULL, VT_BOOL, VT_R8, VT_RECORD}, MISMATCH);
}

TEST_F(ChangeTypeTest, UnsupportedTypesAreBadVarType)
{
    expect_all(I4(1),
               {VT_VOID, VT_HRESULT, VT_PTR, VT_SAFEARRAY, VT_CARRAY, VT_USERDEFINED, VT_LPSTR,
                VT_LPWSTR, VT_INT_PTR, VT_FILETIME, VT_BLOB, VT_CLSID, VARTYPE(15),
                VARTYPE(VT_VECTOR | VT_I4), VT_BSTR_BLOB, VARTYPE(0x3847)},
               BADVT);
    expect_all(I4(1), {VT_VARIANT, VT_RECORD, VARTYPE(VT_BYREF | VT_I4)}, MISMATCH);
    expect_all(Bad(), {VT_I4}, BADVT);
    VARIANT v = *make(I4(1)).get();
    EXPECT_EQ(VariantChangeType(nullptr, &v, 0, VT_I4), E_INVALIDARG);
}

// ---- By reference and in place ---------------------------------------------------------------

TEST_F(ChangeTypeTest, ByReferenceSourcesAreDereferenced)
{
    LONG value = 42;
    VARIANT ref = variant_of(VT_I4 | VT_BYREF, &value);
    EXPECT_EQ(text_of(ref), u"42");

    com::Variant text = com::Variant::from_string(u"17");
    VARIANT variant_ref = variant_of(VT_VARIANT | VT_BYREF, text.get());
    EXPECT_EQ(convert(variant_ref, VT_I4).value->lVal, 17);

    ref.plVal = nullptr;
    EXPECT_EQ(convert(ref, VT_I4).hr, MISMATCH);
    variant_ref.pvarVal = nullptr;
    EXPECT_EQ(convert(variant_ref, VT_I4).hr, MISMATCH);
    EXPECT_EQ(convert(variant_ref, VT_VARIANT).hr, MISMATCH);
    EXPECT_EQ(convert(variant_ref, 0x3847).hr, BADVT);
}

TEST_F(ChangeTypeTest, InPlaceConversionReplacesTheSourceOnlyOnSuccess)
{
    com::Variant v = com::Variant::from_string(u"42");
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), S_OK);
    EXPECT_EQ(shown(v), "I4 42");  // the string was freed (fixture check)
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(com::bstr_view(v->bstrVal), u"42");

    v = com::Variant::from_string(u"test");
    BSTR before = v->bstrVal;
    EXPECT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_INT), MISMATCH);
    EXPECT_EQ(v->vt, VT_BSTR);
    EXPECT_EQ(v->bstrVal, before);

    VARIANT dest;
    dest.vt = 0xFF;  // not a valid type: it is cleared only when the conversion succeeds
    EXPECT_EQ(VariantChangeType(&dest, v.get(), 0, VT_INT), MISMATCH);
    EXPECT_EQ(VariantChangeType(&dest, v.get(), 0, VT_BSTR), BADVT);
    EXPECT_EQ(dest.vt, 0xFF);
    VARIANT number = *make(I4(3)).get();
    EXPECT_EQ(VariantChangeType(v.get(), &number, 0, VT_R8), S_OK);
    EXPECT_EQ(shown(v), "R8 3");
}

TEST_F(ChangeTypeTest, StringsAndByteArraysConvertByBytes)
{
    com::Variant text = com::Variant::from_string(u"AB");
    converted bytes = convert(*text.get(), VT_ARRAY | VT_UI1);
    ASSERT_EQ(bytes.hr, OK);
    SAFEARRAY* a = bytes.value->parray;
    ASSERT_EQ(a->rgsabound[0].cElements, 4u);
    EXPECT_EQ(static_cast<BYTE*>(a->pvData)[0], 'A');
    EXPECT_EQ(text_of(*bytes.value.get()), u"AB");
    EXPECT_EQ(convert(*bytes.value.get(), VT_I4).hr, MISMATCH);
    converted copy = convert(*bytes.value.get(), VT_ARRAY | VT_UI1);
    ASSERT_EQ(copy.hr, OK);
    EXPECT_NE(copy.value->parray, a);
}

// ---- Objects ---------------------------------------------------------------------------------

int g_objects = 0;

// An object whose value property (DISPID_VALUE) returns `value`.
class CValue : public com::object_root<CValue, IDispatch> {
public:
    HRESULT GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override
    {
        return E_NOTIMPL;
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT*) noexcept override
    {
        ++invokes;
        EXPECT_EQ(id, DISPID_VALUE);
        EXPECT_EQ(riid, IID_NULL);
        EXPECT_EQ(flags, DISPATCH_PROPERTYGET);
        EXPECT_EQ(params->cArgs, 0u);
        if (FAILED(failure)) return failure;
        if (return_self) {
            result->vt = VT_DISPATCH;
            result->pdispVal = this;
            AddRef();
            return S_OK;
        }
        return VariantCopy(result, value.get());
    }
    ULONG refs() const { return ref_count_; }

    com::Variant value;
    HRESULT failure = S_OK;
    bool return_self = false;
    int invokes = 0;

protected:
    CValue() { ++g_objects; }
    ~CValue() { --g_objects; }
};

class ObjectChangeTypeTest : public ChangeTypeTest {
protected:
    void SetUp() override
    {
        ChangeTypeTest::SetUp();
        ASSERT_EQ(com::make<CValue>(&object_), S_OK);
    }
    void TearDown() override
    {
        EXPECT_EQ(object_->Release(), 0u);
        EXPECT_EQ(g_objects, 0);
        ChangeTypeTest::TearDown();
    }
    VARIANT dispatch() const
    {
        VARIANT v = variant_of(VT_DISPATCH, static_cast<IDispatch*>(object_));
        return v;
    }
    CValue* object_ = nullptr;
};

TEST_F(ObjectChangeTypeTest, ValuePropertyIsConvertedAndItsErrorsPassThrough)
{
    object_->value = make(I4(7));
    EXPECT_EQ(convert(dispatch(), VT_I4).value->lVal, 7);
    EXPECT_EQ(object_->invokes, 1);
    EXPECT_EQ(text_of(dispatch()), u"7");
    object_->value = com::Variant::from_string(u"12");
    EXPECT_EQ(convert(dispatch(), VT_R8).value->dblVal, 12.0);
    EXPECT_EQ(object_->refs(), 1u);

    object_->value = make(R8(1e10));
    EXPECT_EQ(convert(dispatch(), VT_I2).hr, OVF);
    object_->failure = E_FAIL;
    EXPECT_EQ(convert(dispatch(), VT_I4).hr, MISMATCH);
    object_->failure = S_OK;
    object_->return_self = true;
    EXPECT_EQ(convert(dispatch(), VT_I4).hr, MISMATCH);
    EXPECT_EQ(object_->refs(), 1u);
}

TEST_F(ObjectChangeTypeTest, NoValuePropFlagRefusesWithoutInvokingAndANullObjectIsBadVarType)
{
    object_->value = make(I4(7));
    EXPECT_EQ(convert(dispatch(), VT_I4, VARIANT_NOVALUEPROP).hr, MISMATCH);
    EXPECT_EQ(convert(dispatch(), VT_EMPTY, VARIANT_NOVALUEPROP).hr, MISMATCH);
    EXPECT_EQ(object_->invokes, 0);
    EXPECT_EQ(convert(dispatch(), VT_UNKNOWN, VARIANT_NOVALUEPROP).hr, OK);

    // A null object, except as IUnknown.
    VARIANT v = variant_of(VT_DISPATCH, static_cast<IDispatch*>(nullptr));
    EXPECT_EQ(convert(v, VT_I4).hr, BADVT);
    EXPECT_EQ(convert(v, VT_BSTR).hr, BADVT);
    converted r = convert(v, VT_UNKNOWN);
    EXPECT_EQ(r.hr, OK);
    EXPECT_EQ(r.value->punkVal, nullptr);
}

TEST_F(ObjectChangeTypeTest, DispatchAndUnknownConvertByQueryInterface)
{
    {
        converted r = convert(dispatch(), VT_UNKNOWN);
        ASSERT_EQ(r.hr, OK);
        EXPECT_EQ(r.value->punkVal, object_->identity());
        EXPECT_EQ(object_->refs(), 2u);
        converted back = convert(*r.value.get(), VT_DISPATCH);
        ASSERT_EQ(back.hr, OK);
        EXPECT_EQ(back.value->pdispVal, static_cast<IDispatch*>(object_));
        EXPECT_EQ(convert(*r.value.get(), VT_I4).hr, MISMATCH);
        EXPECT_EQ(convert(*r.value.get(), VT_EMPTY).hr, OK);
    }
    EXPECT_EQ(object_->refs(), 1u);

    VARIANT in_place = dispatch();
    object_->AddRef();
    ASSERT_EQ(VariantChangeType(&in_place, &in_place, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(in_place.vt, VT_UNKNOWN);
    EXPECT_EQ(object_->refs(), 2u);
    VariantClear(&in_place);

    counted::ICounted* plain = nullptr;
    ASSERT_EQ(com::make<counted::CCounted>(&plain), S_OK);
    com::Variant unknown = com::Variant::from_unknown(plain);
    EXPECT_EQ(convert(*unknown.get(), VT_DISPATCH).hr, E_NOINTERFACE);
    unknown = com::Variant();
    EXPECT_EQ(plain->Release(), 0u);
}

}  // namespace
