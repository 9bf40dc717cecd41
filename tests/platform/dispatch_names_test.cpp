// GetIDsOfNames, GetTypeInfoCount and GetTypeInfo of dispatch_impl.
#include <gtest/gtest.h>

#include "platform/automation/typeinfo.h"
#include "tests/platform/dispatch_test_object.h"

namespace {

using namespace dispatch_test;

class DispatchNames : public DispatchTest {
protected:
    HRESULT ids(std::vector<const char16_t*> names, std::vector<DISPID>* out)
    {
        out->assign(names.size(), 12345);
        std::vector<LPOLESTR> raw;
        for (const char16_t* n : names) raw.push_back(const_cast<LPOLESTR>(n));
        return disp->GetIDsOfNames(IID_NULL, raw.data(), static_cast<UINT>(raw.size()), 0,
                                   out->data());
    }
};

TEST_F(DispatchNames, FindOwnAndInheritedMembersIgnoringCase)
{
    const std::pair<const char16_t*, DISPID> cases[] = {
        {u"sEtPoSiTiOn", 1}, {u"Inclination", 4}, {u"PageID", 8}, {u"CopyTo", 9},
        {u"colour", 0x15},   {u"Blend", 0x1C},    {u"Peer", 0x26}, {u"_newenum", DISPID_NEWENUM},
        {u"item", DISPID_VALUE},
    };
    for (const auto& [name, id] : cases) EXPECT_EQ(id_of(disp.get(), name), id) << id;
}

TEST_F(DispatchNames, ParameterNamesGiveZeroBasedIndexes)
{
    std::vector<DISPID> out;
    ASSERT_EQ(ids({u"SetPosition", u"height", u"LEFT", u"Top"}, &out), S_OK);
    EXPECT_EQ(out, (std::vector<DISPID>{1, 3, 0, 1}));
    ASSERT_EQ(ids({u"Item", u"index"}, &out), S_OK);
    EXPECT_EQ(out, (std::vector<DISPID>{0, 0}));
}

TEST_F(DispatchNames, UnknownParameterNameGivesUnknownNameAndFillsTheRest)
{
    std::vector<DISPID> out;
    EXPECT_EQ(ids({u"SetPosition", u"Depth", u"Width"}, &out), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(out, (std::vector<DISPID>{1, DISPID_UNKNOWN, 2}));
    EXPECT_EQ(ids({u"Blend", u"Result"}, &out), DISP_E_UNKNOWNNAME)
        << "a [retval] has no name a caller can pass";
}

TEST_F(DispatchNames, UnknownMemberGivesUnknownNameAndAllUnknown)
{
    std::vector<DISPID> out;
    EXPECT_EQ(ids({u"Resize", u"Left"}, &out), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(out, (std::vector<DISPID>{DISPID_UNKNOWN, DISPID_UNKNOWN}));
    EXPECT_EQ(ids({u"SetPositio"}, &out), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids({u""}, &out), DISP_E_UNKNOWNNAME);
}

TEST_F(DispatchNames, BadArgumentsAreRefused)
{
    DISPID id = 5;
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"Delete")};
    EXPECT_EQ(disp->GetIDsOfNames(IDispatch::iid, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(id, 5);
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_INVALIDARG);
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr), E_INVALIDARG);
    LPOLESTR null_name[] = {nullptr};
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, null_name, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(DispatchNames, OneTypeInfoAtIndexZero)
{
    UINT count = 7;
    EXPECT_EQ(disp->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(disp->GetTypeInfoCount(nullptr), E_POINTER);

    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(disp->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(disp->GetTypeInfo(0, 0, nullptr), E_POINTER);
    com::ComPtr<ITypeInfo> first;
    ASSERT_EQ(disp->GetTypeInfo(0, 0, first.put()), S_OK);
    ASSERT_TRUE(first);
    com::ComPtr<ITypeInfo> again;
    ASSERT_EQ(disp->GetTypeInfo(0, 0x409, again.put()), S_OK);
    EXPECT_EQ(first, again);
}

}  // namespace
