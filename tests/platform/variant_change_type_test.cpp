// VariantChangeType: range limits, rounding, text parsing and formatting, booleans, currency,
// dates, EMPTY/NULL/ERROR rules, by-reference and object sources, and in-place conversion.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/com/object.h"
#include "platform/com/oaidl.h"
#include "platform/com/raii.h"
#include "platform/com/safearray.h"
#include "platform/com/variant.h"

namespace {

constexpr HRESULT OK = S_OK;
constexpr HRESULT OVF = DISP_E_OVERFLOW;
constexpr HRESULT MISMATCH = DISP_E_TYPEMISMATCH;
constexpr HRESULT BADVT = DISP_E_BADVARTYPE;

VARIANT integer_variant(VARTYPE vt, long long value)
{
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = vt;
    switch (vt) {
    case VT_I1: v.cVal = static_cast<CHAR>(value); break;
    case VT_UI1: v.bVal = static_cast<BYTE>(value); break;
    case VT_I2: v.iVal = static_cast<SHORT>(value); break;
    case VT_UI2: v.uiVal = static_cast<USHORT>(value); break;
    case VT_I4:
    case VT_INT: v.lVal = static_cast<LONG>(value); break;
    case VT_UI4:
    case VT_UINT: v.ulVal = static_cast<ULONG>(value); break;
    case VT_BOOL: v.boolVal = static_cast<VARIANT_BOOL>(value); break;
    case VT_ERROR: v.scode = static_cast<SCODE>(value); break;
    case VT_CY: v.cyVal.int64 = value; break;
    default: v.llVal = value; break;
    }
    return v;
}

VARIANT real_variant(VARTYPE vt, double value)
{
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = vt;
    if (vt == VT_R4)
        v.fltVal = static_cast<float>(value);
    else
        v.dblVal = value;
    return v;
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

converted convert_text(std::u16string_view text, VARTYPE to, USHORT flags = 0)
{
    com::Variant source = com::Variant::from_string(text);
    return convert(*source.get(), to, flags);
}

std::u16string text_of(const VARIANT& source, USHORT flags = 0)
{
    converted c = convert(source, VT_BSTR, flags);
    EXPECT_EQ(c.hr, S_OK);
    return SUCCEEDED(c.hr) ? std::u16string(com::bstr_view(c.value->bstrVal)) : u"<failed>";
}

std::string narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

class ChangeTypeTest : public ::testing::Test {
protected:
    void SetUp() override { live_ = com::bstr_live_count(); }
    void TearDown() override { EXPECT_EQ(com::bstr_live_count(), live_) << "a BSTR leaked"; }
    long live_ = 0;
};

// ---- Integer limits ------------------------------------------------------------------------

struct integer_case {
    VARTYPE from;
    long long in;
    VARTYPE to;
    HRESULT hr;
    long long out;
};

TEST(VariantChangeType, IntegerTargetsCheckTheirRange)
{
    const integer_case cases[] = {
        {VT_I4, 127, VT_I1, OK, 127},           {VT_I4, 128, VT_I1, OVF, 0},
        {VT_I4, -128, VT_I1, OK, -128},         {VT_I4, -129, VT_I1, OVF, 0},
        {VT_I4, 255, VT_UI1, OK, 255},          {VT_I4, 256, VT_UI1, OVF, 0},
        {VT_I4, -1, VT_UI1, OVF, 0},            {VT_I2, -1, VT_UI1, OVF, 0},
        {VT_I4, 32767, VT_I2, OK, 32767},       {VT_I4, 32768, VT_I2, OVF, 0},
        {VT_I4, -32768, VT_I2, OK, -32768},     {VT_I4, -32769, VT_I2, OVF, 0},
        {VT_I4, 65535, VT_UI2, OK, 65535},      {VT_I4, 65536, VT_UI2, OVF, 0},
        {VT_I1, -1, VT_UI2, OVF, 0},            {VT_UI4, 40000, VT_I2, OVF, 0},
        {VT_I8, 2147483647, VT_I4, OK, 2147483647},
        {VT_I8, 2147483648LL, VT_I4, OVF, 0},   {VT_I8, -2147483648LL, VT_I4, OK, INT_MIN},
        {VT_I8, -2147483649LL, VT_I4, OVF, 0},  {VT_UI8, 4294967295LL, VT_UI4, OK, 4294967295LL},
        {VT_I8, 4294967296LL, VT_UI4, OVF, 0},  {VT_I2, -1, VT_UI4, OVF, 0},
        {VT_UI8, LLONG_MAX, VT_I4, OVF, 0},     {VT_I4, -1, VT_UI8, OVF, 0},
        {VT_I4, 7, VT_INT, OK, 7},              {VT_INT, -7, VT_I8, OK, -7},
        {VT_UINT, 300, VT_UI1, OVF, 0},         {VT_UI2, 65535, VT_I4, OK, 65535},
        // Same width, other signedness: Windows copies the bits.
        {VT_I1, -1, VT_UI1, OK, 255},           {VT_UI1, 255, VT_I1, OK, -1},
        {VT_I2, -1, VT_UI2, OK, 65535},         {VT_UI4, 4294967295LL, VT_I4, OK, -1},
        {VT_UINT, 4294967295LL, VT_INT, OK, -1},{VT_I8, -1, VT_UI8, OK, -1},
        // Booleans keep their bits too.
        {VT_BOOL, -1, VT_I4, OK, -1},           {VT_BOOL, -1, VT_UI1, OK, 255},
        {VT_BOOL, -1, VT_UI2, OK, 65535},       {VT_BOOL, 0, VT_I8, OK, 0},
        // Currency is scaled by 10 000 and rounds half to even.
        {VT_CY, 15000, VT_I4, OK, 2},           {VT_CY, 25000, VT_I4, OK, 2},
        {VT_CY, -15000, VT_I4, OK, -2},         {VT_CY, 5000, VT_I4, OK, 0},
        {VT_CY, 5001, VT_I4, OK, 1},            {VT_CY, -5000, VT_UI1, OK, 0},
        {VT_CY, -10000, VT_UI1, OVF, 0},        {VT_CY, 2555000, VT_UI1, OVF, 0},
        {VT_CY, LLONG_MAX, VT_I8, OK, 922337203685478LL},
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << row++);
        converted r = convert(integer_variant(c.from, c.in), c.to);
        EXPECT_EQ(r.hr, c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(integer_of(*r.value.get()), c.out);
        }
    }
}

struct real_case {
    VARTYPE from;
    double in;
    VARTYPE to;
    HRESULT hr;
    long long out;
};

TEST(VariantChangeType, RealsRoundHalfToEvenIntoIntegers)
{
    const real_case cases[] = {
        {VT_R8, 0.5, VT_I4, OK, 0},       {VT_R8, 1.5, VT_I4, OK, 2},
        {VT_R8, 2.5, VT_I4, OK, 2},       {VT_R8, -0.5, VT_I4, OK, 0},
        {VT_R8, -1.5, VT_I4, OK, -2},     {VT_R8, -2.5, VT_I4, OK, -2},
        {VT_R8, 0.6, VT_I4, OK, 1},       {VT_R8, -0.6, VT_I4, OK, -1},
        {VT_R8, 0.4, VT_I4, OK, 0},       {VT_R8, 3.5, VT_I2, OK, 4},
        {VT_R8, 2147483647.49, VT_I4, OK, 2147483647},
        {VT_R8, 2147483647.5, VT_I4, OVF, 0},
        {VT_R8, 2147483648.0, VT_I4, OVF, 0},
        {VT_R8, -2147483648.5, VT_I4, OK, INT_MIN},
        {VT_R8, -2147483648.51, VT_I4, OVF, 0},
        {VT_R8, 127.49, VT_I1, OK, 127},  {VT_R8, 127.5, VT_I1, OVF, 0},
        {VT_R8, -128.5, VT_I1, OK, -128}, {VT_R8, -128.51, VT_I1, OVF, 0},
        {VT_R8, 255.5, VT_UI1, OVF, 0},   {VT_R8, -0.5, VT_UI1, OK, 0},
        {VT_R8, -0.51, VT_UI1, OVF, 0},   {VT_R8, 65535.49, VT_UI2, OK, 65535},
        {VT_R8, 4294967295.5, VT_UI4, OVF, 0},
        {VT_R8, 9.3e18, VT_I8, OVF, 0},   {VT_R8, -1.0, VT_UI8, OVF, 0},
        {VT_R8, 1.8e19, VT_UI8, OK, static_cast<long long>(18000000000000000000ULL)},
        {VT_R8, 1.9e19, VT_UI8, OVF, 0},  {VT_R8, NAN, VT_I4, OVF, 0},
        {VT_R8, INFINITY, VT_I8, OVF, 0}, {VT_R4, 1.5, VT_I4, OK, 2},
        {VT_R4, 2.5, VT_I4, OK, 2},       {VT_R4, -1.5, VT_I2, OK, -2},
        {VT_DATE, 1.5, VT_I4, OK, 2},     {VT_DATE, 2.5, VT_I4, OK, 2},
        {VT_DATE, -0.5, VT_I4, OK, 0},    {VT_R8, 0.25, VT_CY, OK, 2500},
        {VT_R8, -1.5, VT_CY, OK, -15000}, {VT_R8, 1e14, VT_CY, OK, 1000000000000000000LL},
        {VT_R8, 1e15, VT_CY, OVF, 0},     {VT_R4, 1.00009, VT_CY, OK, 10001},
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << row++ << " in " << c.in);
        converted r = convert(real_variant(c.from, c.in), c.to);
        EXPECT_EQ(r.hr, c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(integer_of(*r.value.get()), c.out);
        }
    }
}

TEST(VariantChangeType, RealTargetsCheckRange)
{
    EXPECT_EQ(convert(real_variant(VT_R8, 1e39), VT_R4).hr, OVF);
    EXPECT_EQ(convert(real_variant(VT_R8, -1e39), VT_R4).hr, OVF);
    EXPECT_EQ(convert(real_variant(VT_R8, INFINITY), VT_R4).hr, OVF);
    converted r = convert(real_variant(VT_R8, 3.4e38), VT_R4);
    EXPECT_EQ(r.hr, OK);
    EXPECT_FLOAT_EQ(r.value->fltVal, 3.4e38f);
    r = convert(real_variant(VT_R8, 1e-50), VT_R4);
    EXPECT_EQ(r.hr, OK);
    EXPECT_EQ(r.value->fltVal, 0.0f);
    r = convert(integer_variant(VT_CY, -15000), VT_R8);
    EXPECT_EQ(r.value->dblVal, -1.5);
    r = convert(integer_variant(VT_UI8, -1), VT_R8);
    EXPECT_EQ(r.value->dblVal, 18446744073709551615.0);
    r = convert(integer_variant(VT_BOOL, -1), VT_R8);
    EXPECT_EQ(r.value->dblVal, -1.0);
    r = convert(integer_variant(VT_BOOL, -1), VT_CY);
    EXPECT_EQ(r.value->cyVal.int64, -10000);
    EXPECT_EQ(convert(integer_variant(VT_I8, LLONG_MAX), VT_CY).hr, OVF);
    EXPECT_EQ(convert(integer_variant(VT_UI8, 922337203685477LL), VT_CY).hr, OK);
    EXPECT_EQ(convert(integer_variant(VT_UI8, 922337203685478LL), VT_CY).hr, OVF);
}

TEST(VariantChangeType, DateRangeIsYear100To9999)
{
    EXPECT_EQ(convert(integer_variant(VT_I4, -657434), VT_DATE).hr, OK);
    EXPECT_EQ(convert(integer_variant(VT_I4, -657435), VT_DATE).hr, OVF);
    EXPECT_EQ(convert(integer_variant(VT_I4, 2958465), VT_DATE).hr, OK);
    EXPECT_EQ(convert(integer_variant(VT_I4, 2958466), VT_DATE).hr, OVF);
    EXPECT_EQ(convert(real_variant(VT_R8, 2958465.9), VT_DATE).hr, OK);
    EXPECT_EQ(convert(real_variant(VT_R8, NAN), VT_DATE).hr, OVF);
    converted r = convert(integer_variant(VT_BOOL, -1), VT_DATE);
    EXPECT_EQ(r.value->date, -1.0);
}

// ---- Booleans --------------------------------------------------------------------------------

TEST(VariantChangeType, NonZeroBecomesVariantTrue)
{
    EXPECT_EQ(convert(integer_variant(VT_I4, 5), VT_BOOL).value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(convert(integer_variant(VT_UI8, 0), VT_BOOL).value->boolVal, VARIANT_FALSE);
    EXPECT_EQ(convert(real_variant(VT_R8, 0.1), VT_BOOL).value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(convert(real_variant(VT_R8, -0.0), VT_BOOL).value->boolVal, VARIANT_FALSE);
    EXPECT_EQ(convert(integer_variant(VT_CY, 1), VT_BOOL).value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(convert(real_variant(VT_DATE, 0.0), VT_BOOL).value->boolVal, VARIANT_FALSE);
}

TEST_F(ChangeTypeTest, BooleanTextDependsOnFlags)
{
    EXPECT_EQ(text_of(integer_variant(VT_BOOL, -1)), u"-1");
    EXPECT_EQ(text_of(integer_variant(VT_BOOL, 0)), u"0");
    EXPECT_EQ(text_of(integer_variant(VT_BOOL, 1)), u"1");
    EXPECT_EQ(text_of(integer_variant(VT_BOOL, -1), VARIANT_ALPHABOOL), u"True");
    EXPECT_EQ(text_of(integer_variant(VT_BOOL, 1), VARIANT_ALPHABOOL), u"True");
    EXPECT_EQ(text_of(integer_variant(VT_BOOL, 0), VARIANT_ALPHABOOL), u"False");
    EXPECT_EQ(text_of(integer_variant(VT_BOOL, 0), VARIANT_LOCALBOOL), u"False");
}

TEST_F(ChangeTypeTest, TextToBooleanAcceptsWordsMarkersAndNumbers)
{
    const struct {
        const char16_t* text;
        HRESULT hr;
        VARIANT_BOOL out;
    } cases[] = {
        {u"True", OK, VARIANT_TRUE},    {u"true", OK, VARIANT_TRUE},   {u"TRUE", OK, VARIANT_TRUE},
        {u"False", OK, VARIANT_FALSE},  {u"fAlSe", OK, VARIANT_FALSE}, {u"#TRUE#", OK, VARIANT_TRUE},
        {u"#FALSE#", OK, VARIANT_FALSE}, {u"#True#", MISMATCH, 0},     {u"0", OK, VARIANT_FALSE},
        {u"-1", OK, VARIANT_TRUE},      {u"+1", OK, VARIANT_TRUE},     {u"0.1", OK, VARIANT_TRUE},
        {u"Yes", MISMATCH, 0},          {u"On", MISMATCH, 0},          {u"", MISMATCH, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        converted r = convert_text(c.text, VT_BOOL);
        EXPECT_EQ(r.hr, c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(r.value->boolVal, c.out);
        }
    }
}

TEST(VariantChangeType, BooleanToDecimalIsOneOrZero)
{
    converted r = convert(integer_variant(VT_BOOL, -1), VT_DECIMAL);
    ASSERT_EQ(r.hr, OK);
    EXPECT_EQ(r.value->decVal.Lo64, 1u);
    EXPECT_EQ(r.value->decVal.sign, 0);
}

// ---- Text to numbers -----------------------------------------------------------------------

struct text_case {
    const char16_t* text;
    VARTYPE to;
    HRESULT hr;
    long long out;
};

TEST_F(ChangeTypeTest, TextToIntegerFollowsNumberParsing)
{
    const text_case cases[] = {
        {u"12", VT_I4, OK, 12},            {u"  12 ", VT_I4, OK, 12},
        {u"\t12\t", VT_I4, OK, 12},        {u"1,000", VT_I4, OK, 1000},
        {u"1,000,000", VT_I4, OK, 1000000}, {u"(5)", VT_I4, OK, -5},
        {u"5-", VT_I4, OK, -5},            {u"5+", VT_I4, OK, 5},
        {u"+7", VT_I4, OK, 7},             {u" - 7", VT_I4, OK, -7},
        {u"$1,234", VT_I4, OK, 1234},      {u"-$3", VT_I4, OK, -3},
        {u"&HFF", VT_I4, OK, 255},         {u"&hff", VT_I4, OK, 255},
        {u"&O17", VT_I4, OK, 15},          {u"&H80000000", VT_I4, OK, INT_MIN},
        {u"&H100000000", VT_I4, OVF, 0},   {u"&HFFFF", VT_I2, OK, -1},
        {u"&H10000", VT_I2, OVF, 0},       {u"&HFF", VT_I1, OK, -1},
        {u"&HFFFFFFFFFFFFFFFFF", VT_I8, OVF, 0},
        {u"1e3", VT_I4, OK, 1000},         {u"1.5E1", VT_I4, OK, 15},
        {u"25e-1", VT_I4, OK, 2},          {u"1.5", VT_I4, OK, 2},
        {u"2.5", VT_I4, OK, 2},            {u"-2.5", VT_I4, OK, -2},
        {u"0.5", VT_I4, OK, 0},            {u"-0.5", VT_I4, OK, 0},
        {u"3.5", VT_I4, OK, 4},            {u"2.50000000000000000001", VT_I4, OK, 3},
        {u"5.", VT_I4, OK, 5},             {u".5", VT_I4, OK, 0},
        {u"007", VT_I4, OK, 7},            {u"2147483647", VT_I4, OK, INT_MAX},
        {u"2147483648", VT_I4, OVF, 0},    {u"-2147483648", VT_I4, OK, INT_MIN},
        {u"-2147483649", VT_I4, OVF, 0},   {u"2147483647.5", VT_I4, OVF, 0},
        {u"1e400", VT_I4, OVF, 0},         {u"1e-400", VT_I4, OK, 0},
        {u"32767", VT_I2, OK, 32767},      {u"32768", VT_I2, OVF, 0},
        {u"255", VT_UI1, OK, 255},         {u"256", VT_UI1, OVF, 0},
        {u"-1", VT_UI1, OVF, 0},           {u"-0.5", VT_UI1, OK, 0},
        {u"-128", VT_I1, OK, -128},        {u"-129", VT_I1, OVF, 0},
        {u"18446744073709551615", VT_UI8, OK, -1},
        {u"18446744073709551616", VT_UI8, OVF, 0},
        {u"-9223372036854775808", VT_I8, OK, LLONG_MIN},
        {u"abc", VT_I4, MISMATCH, 0},      {u"", VT_I4, MISMATCH, 0},
        {u"   ", VT_I4, MISMATCH, 0},      {u"12abc", VT_I4, MISMATCH, 0},
        {u"1 2", VT_I4, MISMATCH, 0},      {u",5", VT_I4, MISMATCH, 0},
        {u"(5", VT_I4, MISMATCH, 0},       {u"5)", VT_I4, MISMATCH, 0},
        {u"--5", VT_I4, MISMATCH, 0},      {u"-5-", VT_I4, MISMATCH, 0},
        {u"1.2.3", VT_I4, MISMATCH, 0},    {u"1e", VT_I4, MISMATCH, 0},
        {u".", VT_I4, MISMATCH, 0},        {u"&H", VT_I4, MISMATCH, 0},
        {u"&HG", VT_I4, MISMATCH, 0},      {u"&O8", VT_I4, MISMATCH, 0},
        {u"-&H1", VT_I4, MISMATCH, 0},     {u"1,000.5,3", VT_I4, MISMATCH, 0},
        {u"0x10", VT_I4, MISMATCH, 0},     {u"()", VT_I4, MISMATCH, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        converted r = convert_text(c.text, c.to);
        EXPECT_EQ(r.hr, c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(integer_of(*r.value.get()), c.out);
        }
    }
}

TEST_F(ChangeTypeTest, TextToCurrencyIsExact)
{
    const text_case cases[] = {
        {u"1.23456", VT_CY, OK, 12346},     {u"1.00005", VT_CY, OK, 10000},
        {u"1.00015", VT_CY, OK, 10002},     {u"$-1.5", VT_CY, OK, -15000},
        {u"(2.25)", VT_CY, OK, -22500},     {u"922337203685477.5807", VT_CY, OK, LLONG_MAX},
        {u"922337203685477.5808", VT_CY, OVF, 0},
        {u"-922337203685477.5808", VT_CY, OK, LLONG_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        converted r = convert_text(c.text, c.to);
        EXPECT_EQ(r.hr, c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(r.value->cyVal.int64, c.out);
        }
    }
}

TEST_F(ChangeTypeTest, TextToRealParsesExponentsAndSeparators)
{
    const struct {
        const char16_t* text;
        VARTYPE to;
        HRESULT hr;
        double out;
    } cases[] = {
        {u"1.5", VT_R8, OK, 1.5},           {u"-1.5e-3", VT_R8, OK, -0.0015},
        {u"0.1", VT_R8, OK, 0.1},           {u"1,234.5", VT_R8, OK, 1234.5},
        {u"  -0.25  ", VT_R8, OK, -0.25},   {u"1e308", VT_R8, OK, 1e308},
        {u"1e309", VT_R8, OVF, 0},          {u"1e-400", VT_R8, OK, 0.0},
        {u"&H10", VT_R8, OK, 16.0},         {u"1.5", VT_R4, OK, 1.5},
        {u"1e39", VT_R4, OVF, 0},           {u"abc", VT_R8, MISMATCH, 0},
        {u"123456789012345678901234567890", VT_R8, OK, 1.2345678901234568e29},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        converted r = convert_text(c.text, c.to);
        EXPECT_EQ(r.hr, c.hr);
        if (c.hr == S_OK) {
            double got = c.to == VT_R4 ? r.value->fltVal : r.value->dblVal;
            EXPECT_EQ(got, c.to == VT_R4 ? static_cast<float>(c.out) : c.out);
        }
    }
}

TEST_F(ChangeTypeTest, TextEndsAtItsFirstNul)
{
    const char16_t with_zero[] = {u'1', u'2', 0, u'a', u'b'};
    converted r = convert_text(std::u16string_view(with_zero, 5), VT_I4);
    EXPECT_EQ(r.hr, OK);
    EXPECT_EQ(r.value->lVal, 12);
    const char16_t leading_zero[] = {0, u'1', u'2'};
    EXPECT_EQ(convert_text(std::u16string_view(leading_zero, 3), VT_I4).hr, MISMATCH);
}

TEST_F(ChangeTypeTest, NullStringIsMismatch)
{
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = nullptr;
    EXPECT_EQ(convert(v, VT_I4).hr, MISMATCH);
    EXPECT_EQ(convert(v, VT_BOOL).hr, MISMATCH);
    EXPECT_EQ(convert(v, VT_DATE).hr, MISMATCH);
    EXPECT_EQ(convert(v, VT_R8).hr, MISMATCH);
}

// ---- Numbers to text -----------------------------------------------------------------------

TEST_F(ChangeTypeTest, RealTextHasFifteenSignificantDigits)
{
    const struct {
        double in;
        const char16_t* out;
    } cases[] = {
        {1.5, u"1.5"},
        {0.1, u"0.1"},
        {1.0 / 3, u"0.333333333333333"},
        {2.0 / 3, u"0.666666666666667"},
        {123456789012345.0, u"123456789012345"},
        {1e15, u"1E+15"},
        {1234567890123456789.0, u"1.23456789012346E+18"},
        {1e-5, u"1E-05"},
        {0.0001, u"0.0001"},
        {1.5e-7, u"1.5E-07"},
        {-0.0, u"0"},
        {-2.5, u"-2.5"},
        {1e300, u"1E+300"},
        {100.0, u"100"},
        {DBL_MAX, u"1.79769313486232E+308"},
        {0.999999999999999999, u"1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(text_of(real_variant(VT_R8, c.in)), c.out);
    }
}

TEST_F(ChangeTypeTest, SingleTextHasSevenSignificantDigits)
{
    EXPECT_EQ(text_of(real_variant(VT_R4, 654322.23456f)), u"654322.3");
    EXPECT_EQ(text_of(real_variant(VT_R4, 1.5f)), u"1.5");
    EXPECT_EQ(text_of(real_variant(VT_R4, 0.1f)), u"0.1");
    EXPECT_EQ(text_of(real_variant(VT_R4, 1e10f)), u"1E+10");
    EXPECT_EQ(text_of(real_variant(VT_R4, 16777216.0f)), u"1.677722E+07");
    EXPECT_EQ(text_of(real_variant(VT_R4, -0.0f)), u"0");
}

TEST_F(ChangeTypeTest, IntegerTextIsPlain)
{
    EXPECT_EQ(text_of(integer_variant(VT_I4, INT_MIN)), u"-2147483648");
    EXPECT_EQ(text_of(integer_variant(VT_I4, 1000000)), u"1000000");
    EXPECT_EQ(text_of(integer_variant(VT_UI8, -1)), u"18446744073709551615");
    EXPECT_EQ(text_of(integer_variant(VT_I8, LLONG_MIN)), u"-9223372036854775808");
    EXPECT_EQ(text_of(integer_variant(VT_I1, -128)), u"-128");
    EXPECT_EQ(text_of(integer_variant(VT_UI1, 255)), u"255");
    EXPECT_EQ(text_of(integer_variant(VT_UINT, 4000000000LL)), u"4000000000");
}

TEST_F(ChangeTypeTest, CurrencyTextDropsTrailingZeros)
{
    const struct {
        long long in;
        const char16_t* out;
    } cases[] = {
        {0, u"0"},          {10000, u"1"},
        {15000, u"1.5"},    {-15000, u"-1.5"},
        {9, u"0.0009"},     {4294967295LL, u"429496.7295"},
        {LLONG_MAX, u"922337203685477.5807"},
        {LLONG_MIN, u"-922337203685477.5808"},
        {1234500000, u"123450"},
    };
    for (const auto& c : cases) EXPECT_EQ(text_of(integer_variant(VT_CY, c.in)), c.out);
}

TEST_F(ChangeTypeTest, DateTextIsUnitedStatesForm)
{
    const struct {
        double in;
        const char16_t* out;
    } cases[] = {
        {0.0, u"12:00:00 AM"},
        {0.5, u"12:00:00 PM"},
        {3.34, u"1/2/1900 8:09:36 AM"},
        {365.0, u"12/30/1900"},
        {365.25, u"12/30/1900 6:00:00 AM"},
        {1461.0, u"12/31/1903"},
        {1461.5, u"12/31/1903 12:00:00 PM"},
        {-49192.24, u"4/24/1765 5:45:36 AM"},
        {-1.25, u"12/29/1899 6:00:00 AM"},
        {-657434.0, u"1/1/100"},
        {2958465.0, u"12/31/9999"},
        {25570.0, u"1/2/1970"},
        {36526.99999999, u"1/2/2000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(text_of(real_variant(VT_DATE, c.in)), c.out);
    }
    EXPECT_EQ(convert(real_variant(VT_DATE, 2958466.0), VT_BSTR).hr, E_INVALIDARG);
    EXPECT_EQ(convert(real_variant(VT_DATE, -657435.0), VT_BSTR).hr, E_INVALIDARG);
}

TEST_F(ChangeTypeTest, TextToDateReadsCommonForms)
{
    const struct {
        const char16_t* text;
        double out;
    } cases[] = {
        {u"12/30/1900 6:00:00 AM", 365.25},
        {u"12/31/1903", 1461.0},
        {u"12:00:00 AM", 0.0},
        {u"1/2/1970", 25570.0},
        {u"1-2-1970", 25570.0},
        {u"2 January 1970", 25570.0},
        {u"January 2, 1970", 25570.0},
        {u"2-Jan-1970", 25570.0},
        {u"1970-1-13", 25581.0},
        {u"13-1-1970", 25581.0},
        {u"6 pm", 0.75},
        {u"00:00 pm", 0.5},
        {u"12:59 AM", 59.0 / 1440},
        {u"13:00 AM", 13.0 / 24},
        {u"1 2 29", 47120.0},
        {u"1 2 30", 10960.0},
        {u"1/1/100", -657434.0},
        {u"12/31/9999", 2958465.0},
        {u"4/24/1765 5:45:36 AM", -49192.24},
        {u"12/29/1899 6:00 AM", -1.25},
        {u"Jan 35", 12785.0},
        {u"30 2", 10990.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        converted r = convert_text(c.text, VT_DATE);
        EXPECT_EQ(r.hr, OK);
        if (SUCCEEDED(r.hr)) {
            EXPECT_NEAR(r.value->date, c.out, 1e-9);
        }
    }
    for (const char16_t* bad : {u"True", u"0", u"1", u"24:00", u"0:60", u"32 49", u"abc", u"",
                                u"1/2/3/4", u"02.01.1970", u"2/30/2001", u"1 am 2 pm"}) {
        SCOPED_TRACE(narrow(bad));
        EXPECT_EQ(convert_text(bad, VT_DATE).hr, MISMATCH);
    }
}

TEST_F(ChangeTypeTest, DatesRoundTripThroughText)
{
    for (double d : {0.0, 365.25, -49192.24, 44000.5, -657434.0, 2958465.75, 1.0 / 3}) {
        converted text = convert(real_variant(VT_DATE, d), VT_BSTR);
        ASSERT_EQ(text.hr, OK);
        converted back = convert(*text.value.get(), VT_DATE);
        ASSERT_EQ(back.hr, OK) << narrow(com::bstr_view(text.value->bstrVal));
        EXPECT_NEAR(back.value->date, d, 1.0 / 86400);
    }
}

// ---- DECIMAL -------------------------------------------------------------------------------

DECIMAL make_decimal(BYTE scale, BYTE sign, ULONG hi, ULONGLONG lo)
{
    DECIMAL d{};
    d.scale = scale;
    d.sign = sign;
    d.Hi32 = hi;
    d.Lo64 = lo;
    return d;
}

VARIANT decimal_variant(const DECIMAL& d)
{
    VARIANT v;
    v.decVal = d;
    v.vt = VT_DECIMAL;
    return v;
}

TEST_F(ChangeTypeTest, DecimalConvertsBothWays)
{
    converted r = convert(decimal_variant(make_decimal(1, 0, 0, 25)), VT_I4);
    EXPECT_EQ(r.value->lVal, 2);  // 2.5 to even
    r = convert(decimal_variant(make_decimal(1, 0x80, 0, 35)), VT_I4);
    EXPECT_EQ(r.value->lVal, -4);
    EXPECT_EQ(text_of(decimal_variant(make_decimal(3, 0, 0, 1500))), u"1.5");
    EXPECT_EQ(text_of(decimal_variant(make_decimal(0, 0, 0xFFFFFFFF, ~0ULL))),
              u"79228162514264337593543950335");
    EXPECT_EQ(text_of(decimal_variant(make_decimal(28, 0x80, 0, 1))),
              u"-0.0000000000000000000000000001");
    r = convert(decimal_variant(make_decimal(4, 0, 0, 15000)), VT_CY);
    EXPECT_EQ(r.value->cyVal.int64, 15000);
    r = convert(decimal_variant(make_decimal(2, 0, 0, 150)), VT_R8);
    EXPECT_EQ(r.value->dblVal, 1.5);
    EXPECT_EQ(convert(decimal_variant(make_decimal(29, 0, 0, 1)), VT_I4).hr, E_INVALIDARG);
    EXPECT_EQ(convert(decimal_variant(make_decimal(0, 0x01, 0, 1)), VT_I4).hr, E_INVALIDARG);

    r = convert(integer_variant(VT_I4, -42), VT_DECIMAL);
    EXPECT_EQ(r.value->decVal.Lo64, 42u);
    EXPECT_EQ(r.value->decVal.sign, 0x80);
    r = convert(real_variant(VT_R8, 0.1), VT_DECIMAL);
    EXPECT_EQ(r.value->decVal.scale, 1);
    EXPECT_EQ(r.value->decVal.Lo64, 1u);
    r = convert_text(u"1.50", VT_DECIMAL);
    EXPECT_EQ(r.value->decVal.scale, 1);
    EXPECT_EQ(r.value->decVal.Lo64, 15u);
    r = convert_text(u"79228162514264337593543950335", VT_DECIMAL);
    EXPECT_EQ(r.hr, OK);
    EXPECT_EQ(r.value->decVal.Hi32, 0xFFFFFFFFu);
    EXPECT_EQ(convert_text(u"79228162514264337593543950336", VT_DECIMAL).hr, OVF);
    r = convert(integer_variant(VT_CY, 12345), VT_DECIMAL);
    EXPECT_EQ(r.value->decVal.scale, 4);
    EXPECT_EQ(r.value->decVal.Lo64, 12345u);
}

// ---- EMPTY, NULL, ERROR and unsupported types ------------------------------------------------

TEST_F(ChangeTypeTest, EmptyBecomesZeroOfEveryValueType)
{
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(convert(empty, VT_I4).value->lVal, 0);
    EXPECT_EQ(convert(empty, VT_R8).value->dblVal, 0.0);
    EXPECT_EQ(convert(empty, VT_BOOL).value->boolVal, VARIANT_FALSE);
    EXPECT_EQ(convert(empty, VT_DATE).value->date, 0.0);
    EXPECT_EQ(convert(empty, VT_CY).value->cyVal.int64, 0);
    converted s = convert(empty, VT_BSTR);
    ASSERT_EQ(s.hr, OK);
    ASSERT_NE(s.value->bstrVal, nullptr);
    EXPECT_EQ(SysStringLen(s.value->bstrVal), 0u);
    EXPECT_EQ(convert(empty, VT_NULL).hr, OK);
    EXPECT_EQ(convert(empty, VT_EMPTY).hr, OK);
    for (VARTYPE to : {VT_ERROR, VT_DISPATCH, VT_UNKNOWN, VT_VARIANT, VT_RECORD})
        EXPECT_EQ(convert(empty, to).hr, MISMATCH) << to;
}

TEST_F(ChangeTypeTest, NullConvertsOnlyToNull)
{
    VARIANT null;
    null.vt = VT_NULL;
    EXPECT_EQ(convert(null, VT_NULL).hr, OK);
    for (VARTYPE to : {VT_EMPTY, VT_I4, VT_BSTR, VT_BOOL, VT_DATE, VT_ERROR, VT_DISPATCH,
                       VT_UNKNOWN, VT_DECIMAL, VT_I8, VT_UINT})
        EXPECT_EQ(convert(null, to).hr, MISMATCH) << to;
    EXPECT_EQ(convert(null, VT_VOID).hr, BADVT);
}

TEST_F(ChangeTypeTest, ValuesClearToEmptyAndNull)
{
    for (VARTYPE from : {VT_I4, VT_R8, VT_BOOL, VT_UI8, VT_CY}) {
        EXPECT_EQ(convert(integer_variant(from, 1), VT_EMPTY).hr, OK) << from;
        EXPECT_EQ(convert(integer_variant(from, 1), VT_NULL).hr, OK) << from;
    }
    com::Variant text = com::Variant::from_string(u"x");
    EXPECT_EQ(convert(*text.get(), VT_EMPTY).hr, OK);
}

TEST_F(ChangeTypeTest, ErrorValuesOnlyCopy)
{
    VARIANT error = integer_variant(VT_ERROR, DISP_E_PARAMNOTFOUND);
    converted r = convert(error, VT_ERROR);
    EXPECT_EQ(r.hr, OK);
    EXPECT_EQ(r.value->scode, DISP_E_PARAMNOTFOUND);
    for (VARTYPE to : {VT_I4, VT_UI4, VT_BSTR, VT_EMPTY, VT_NULL, VT_BOOL, VT_R8, VT_RECORD})
        EXPECT_EQ(convert(error, to).hr, MISMATCH) << to;
    EXPECT_EQ(convert(integer_variant(VT_I4, 1), VT_ERROR).hr, MISMATCH);
}

TEST_F(ChangeTypeTest, UnsupportedTargetsAreBadVarType)
{
    VARIANT v = integer_variant(VT_I4, 1);
    for (VARTYPE to : {VARTYPE(VT_VOID), VARTYPE(VT_HRESULT), VARTYPE(VT_PTR),
                       VARTYPE(VT_SAFEARRAY), VARTYPE(VT_CARRAY), VARTYPE(VT_USERDEFINED),
                       VARTYPE(VT_LPSTR), VARTYPE(VT_LPWSTR), VARTYPE(VT_INT_PTR),
                       VARTYPE(VT_FILETIME), VARTYPE(VT_BLOB), VARTYPE(VT_CLSID), VARTYPE(15),
                       VARTYPE(VT_VECTOR | VT_I4), VARTYPE(VT_BSTR_BLOB), VARTYPE(0x3847)})
        EXPECT_EQ(convert(v, to).hr, BADVT) << to;
    for (VARTYPE to : {VARTYPE(VT_VARIANT), VARTYPE(VT_RECORD), VARTYPE(VT_BYREF | VT_I4)})
        EXPECT_EQ(convert(v, to).hr, MISMATCH) << to;
    VARIANT bad;
    bad.vt = 15;
    EXPECT_EQ(convert(bad, VT_I4).hr, BADVT);
    EXPECT_EQ(VariantChangeType(nullptr, &v, 0, VT_I4), E_INVALIDARG);
}

// ---- By reference ----------------------------------------------------------------------------

TEST_F(ChangeTypeTest, ByReferenceSourcesAreDereferenced)
{
    LONG value = 42;
    VARIANT ref;
    ref.vt = VT_I4 | VT_BYREF;
    ref.plVal = &value;
    EXPECT_EQ(text_of(ref), u"42");

    com::Variant text = com::Variant::from_string(u"17");
    VARIANT variant_ref;
    variant_ref.vt = VT_VARIANT | VT_BYREF;
    variant_ref.pvarVal = text.get();
    EXPECT_EQ(convert(variant_ref, VT_I4).value->lVal, 17);

    ref.plVal = nullptr;
    EXPECT_EQ(convert(ref, VT_I4).hr, MISMATCH);
    variant_ref.pvarVal = nullptr;
    EXPECT_EQ(convert(variant_ref, VT_I4).hr, MISMATCH);
    EXPECT_EQ(convert(variant_ref, VT_VARIANT).hr, MISMATCH);
    EXPECT_EQ(convert(variant_ref, 0x3847).hr, BADVT);
}

// ---- In place --------------------------------------------------------------------------------

TEST_F(ChangeTypeTest, InPlaceConversionReplacesTheSource)
{
    com::Variant v = com::Variant::from_string(u"42");
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), S_OK);
    EXPECT_EQ(v->vt, VT_I4);
    EXPECT_EQ(v->lVal, 42);  // the string was freed (fixture check)
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(v.vt(), VT_BSTR);
    EXPECT_EQ(com::bstr_view(v->bstrVal), u"42");
}

TEST_F(ChangeTypeTest, FailedInPlaceConversionKeepsTheSource)
{
    com::Variant v = com::Variant::from_string(u"test");
    BSTR before = v->bstrVal;
    EXPECT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_INT), MISMATCH);
    EXPECT_EQ(v->vt, VT_BSTR);
    EXPECT_EQ(v->bstrVal, before);
}

TEST_F(ChangeTypeTest, DestinationIsClearedOnlyOnSuccess)
{
    com::Variant source = com::Variant::from_string(u"test");
    VARIANT dest;
    dest.vt = 0xFF;  // not a valid type
    EXPECT_EQ(VariantChangeType(&dest, source.get(), 0, VT_INT), MISMATCH);
    EXPECT_EQ(dest.vt, 0xFF);
    EXPECT_EQ(VariantChangeType(&dest, source.get(), 0, VT_BSTR), BADVT);
    EXPECT_EQ(dest.vt, 0xFF);

    com::Variant held = com::Variant::from_string(u"old");
    VARIANT number = integer_variant(VT_I4, 3);
    EXPECT_EQ(VariantChangeType(held.get(), &number, 0, VT_R8), S_OK);
    EXPECT_EQ(held->dblVal, 3.0);
}

// ---- Arrays ----------------------------------------------------------------------------------

TEST_F(ChangeTypeTest, StringsAndByteArraysConvertByBytes)
{
    com::Variant text = com::Variant::from_string(u"AB");
    converted bytes = convert(*text.get(), VT_ARRAY | VT_UI1);
    ASSERT_EQ(bytes.hr, OK);
    SAFEARRAY* a = bytes.value->parray;
    ASSERT_EQ(a->rgsabound[0].cElements, 4u);
    EXPECT_EQ(static_cast<BYTE*>(a->pvData)[0], 'A');
    converted back = convert(*bytes.value.get(), VT_BSTR);
    ASSERT_EQ(back.hr, OK);
    EXPECT_EQ(com::bstr_view(back.value->bstrVal), u"AB");
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
        return VariantCopy(result, &value);
    }
    ULONG refs() const { return ref_count_; }

    VARIANT value;
    HRESULT failure = S_OK;
    bool return_self = false;
    int invokes = 0;

protected:
    CValue() { VariantInit(&value), ++g_objects; }
    ~CValue() { VariantClear(&value), --g_objects; }
};

struct IPlain : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2C0002-0000-4000-8000-0000000000B1}");
    using base = IUnknown;
};
class CPlain : public com::object_root<CPlain, IPlain> {};

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
        VARIANT v;
        v.vt = VT_DISPATCH;
        v.pdispVal = object_;
        return v;
    }
    CValue* object_ = nullptr;
};

TEST_F(ObjectChangeTypeTest, ValuePropertyIsConverted)
{
    object_->value = integer_variant(VT_I4, 7);
    EXPECT_EQ(convert(dispatch(), VT_I4).value->lVal, 7);
    EXPECT_EQ(object_->invokes, 1);
    EXPECT_EQ(text_of(dispatch()), u"7");
    VariantClear(&object_->value);
    object_->value.vt = VT_BSTR;
    object_->value.bstrVal = SysAllocString(u"12");
    EXPECT_EQ(convert(dispatch(), VT_R8).value->dblVal, 12.0);
    EXPECT_EQ(object_->refs(), 1u);
}

TEST_F(ObjectChangeTypeTest, ValueConversionErrorsPassThrough)
{
    object_->value = real_variant(VT_R8, 1e10);
    EXPECT_EQ(convert(dispatch(), VT_I2).hr, OVF);
    object_->failure = E_FAIL;
    EXPECT_EQ(convert(dispatch(), VT_I4).hr, MISMATCH);
    object_->failure = S_OK;
    object_->return_self = true;
    EXPECT_EQ(convert(dispatch(), VT_I4).hr, MISMATCH);
    EXPECT_EQ(object_->refs(), 1u);
}

TEST_F(ObjectChangeTypeTest, NoValuePropFlagRefusesWithoutInvoking)
{
    object_->value = integer_variant(VT_I4, 7);
    EXPECT_EQ(convert(dispatch(), VT_I4, VARIANT_NOVALUEPROP).hr, MISMATCH);
    EXPECT_EQ(convert(dispatch(), VT_EMPTY, VARIANT_NOVALUEPROP).hr, MISMATCH);
    EXPECT_EQ(object_->invokes, 0);
    EXPECT_EQ(convert(dispatch(), VT_UNKNOWN, VARIANT_NOVALUEPROP).hr, OK);
}

TEST_F(ObjectChangeTypeTest, NullObjectIsBadVarType)
{
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = nullptr;
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

    IPlain* plain = nullptr;
    ASSERT_EQ(com::make<CPlain>(&plain), S_OK);
    VARIANT unknown;
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = plain;
    EXPECT_EQ(convert(unknown, VT_DISPATCH).hr, E_NOINTERFACE);
    EXPECT_EQ(plain->Release(), 0u);
}

}  // namespace
