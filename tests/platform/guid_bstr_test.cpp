// GUID text forms and ordering; BSTR lengths, embedded zeros and lifetimes.
#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "platform/com/unknown.h"
#include "tests/platform/test_support.h"

namespace {

constexpr GUID kDispatch = com::make_guid("{00020400-0000-0000-C000-000000000046}");

TEST(Guid, ParsesAndFormatsTheBracedForm)
{
    GUID g{};
    ASSERT_TRUE(com::parse_guid("{44e6da12-20E3-4aa6-9562-292011E8EAAA}", &g));
    EXPECT_EQ(std::tuple(g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[7]),
              std::tuple(0x44E6DA12u, 0x20E3, 0x4AA6, 0x95, 0xAA));
    EXPECT_EQ(com::format_guid(g), "{44E6DA12-20E3-4AA6-9562-292011E8EAAA}");
    EXPECT_EQ(com::format_guid_u16(kDispatch), u"{00020400-0000-0000-C000-000000000046}");
}

TEST(Guid, RefusesMalformedTextAndLeavesTheOutputAlone)
{
    const GUID sentinel = com::make_guid("{DEADBEEF-0000-0000-0000-000000000001}");
    for (const char* bad : {"", "44E6DA12-20E3-4AA6-9562-292011E8EAAA",
                            "{44E6DA12-20E3-4AA6-9562-292011E8EAA}",
                            "{44E6DA12-20E3-4AA6-9562-292011E8EAAAA}",
                            "{44E6DA12+20E3-4AA6-9562-292011E8EAAA}",
                            "{44E6DA1G-20E3-4AA6-9562-292011E8EAAA}",
                            "(44E6DA12-20E3-4AA6-9562-292011E8EAAA)"}) {
        GUID g = sentinel;
        EXPECT_FALSE(com::parse_guid(bad, &g)) << bad;
        EXPECT_EQ(g, sentinel) << bad;
    }
    EXPECT_FALSE(com::parse_guid("{00020400-0000-0000-C000-000000000046}", nullptr));
}

TEST(Guid, OleConversionsReportTheirResults)
{
    OLECHAR buffer[39];
    EXPECT_EQ(StringFromGUID2(kDispatch, buffer, 38), 0);
    EXPECT_EQ(StringFromGUID2(kDispatch, buffer, 39), 39);
    EXPECT_EQ(std::u16string(buffer), u"{00020400-0000-0000-C000-000000000046}");

    CLSID c = kDispatch;
    EXPECT_EQ(CLSIDFromString(u"{not a guid}", &c), CO_E_CLASSSTRING);
    EXPECT_EQ(c, CLSID_NULL);
    EXPECT_EQ(CLSIDFromString(buffer, &c), S_OK);
    EXPECT_EQ(c, kDispatch);
    EXPECT_EQ(CLSIDFromString(buffer, nullptr), E_INVALIDARG);
    IID i{};
    EXPECT_EQ(IIDFromString(u"{00000000-0000-0000-C000-000000000046}", &i), S_OK);
    EXPECT_EQ(i, IID_IUnknown);
}

TEST(Guid, OrdersConsistentlyWithEquality)
{
    GUID a = kDispatch, b = kDispatch;
    b.Data4[7] = 0x47;
    EXPECT_NE(a, b);
    EXPECT_TRUE((a < b) != (b < a));
    EXPECT_FALSE(a < a);
}

using Bstr = BstrLeakTest;

TEST_F(Bstr, KeepsEmbeddedZerosAndTheByteLength)
{
    const OLECHAR text[] = {u'a', 0, u'b', 0, u'c'};
    BSTR s = SysAllocStringLen(text, 5);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 5u);
    EXPECT_EQ(SysStringByteLen(s), 10u);
    EXPECT_EQ(s[5], 0) << "a terminator follows the characters";
    EXPECT_EQ(com::bstr_view(s), std::u16string_view(text, 5));
    EXPECT_EQ(com::bstr_live_count(), live_ + 1);

    BSTR odd = SysAllocStringByteLen("xyz", 3);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(SysStringByteLen(odd), 3u);
    EXPECT_EQ(SysStringLen(odd), 1u) << "the character count rounds the byte count down";
    EXPECT_EQ(reinterpret_cast<const char*>(odd)[3], 0);
    EXPECT_EQ(reinterpret_cast<const char*>(odd)[4], 0);

    SysFreeString(s);
    SysFreeString(odd);
}

TEST_F(Bstr, NullIsTheEmptyStringForLengths)
{
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    SysFreeString(nullptr);  // no effect

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr) << "an empty string is not a null string";
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);

    BSTR zeros = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(SysStringLen(zeros), 3u);
    SysFreeString(zeros);
}

TEST_F(Bstr, ReallocatesFromTheOldStringAndRefusesLengthsBeyondThePrefix)
{
    BSTR s = SysAllocString(u"hello world");
    ASSERT_EQ(SysReAllocStringLen(&s, s + 6, 5), TRUE);
    EXPECT_EQ(com::bstr_view(s), u"world");
    ASSERT_EQ(SysReAllocString(&s, u"x"), TRUE);
    EXPECT_EQ(com::bstr_view(s), u"x");
    EXPECT_EQ(SysReAllocString(nullptr, u"x"), FALSE);
    EXPECT_EQ(com::bstr_live_count(), live_ + 1) << "the old string was freed";
    SysFreeString(s);
    // Lengths beyond what the 32-bit prefix holds are refused.
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
    EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
}

}  // namespace
