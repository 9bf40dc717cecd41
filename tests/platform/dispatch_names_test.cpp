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

// Parameter names give zero-based indexes; an unknown parameter gives DISPID_UNKNOWN in its
// place and the rest filled, an unknown member DISPID_UNKNOWN everywhere.
TEST_F(DispatchNames, ParameterNamesGiveZeroBasedIndexesAndUnknownNamesAreMarked)
{
    const struct {
        std::vector<const char16_t*> names;
        HRESULT hr;
        std::vector<DISPID> expected;  // empty: not looked at
    } cases[] = {
        {{u"SetPosition", u"height", u"LEFT", u"Top"}, S_OK, {1, 3, 0, 1}},
        {{u"Item", u"index"}, S_OK, {0, 0}},
        {{u"SetPosition", u"Depth", u"Width"}, DISP_E_UNKNOWNNAME, {1, DISPID_UNKNOWN, 2}},
        {{u"Blend", u"Result"}, DISP_E_UNKNOWNNAME, {}},  // a [retval] has no name to pass
        {{u"Resize", u"Left"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN, DISPID_UNKNOWN}},
        {{u"SetPositio"}, DISP_E_UNKNOWNNAME, {}},
        {{u""}, DISP_E_UNKNOWNNAME, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.names[0])));
        std::vector<DISPID> out;
        EXPECT_EQ(ids(c.names, &out), c.hr);
        if (!c.expected.empty()) {
            EXPECT_EQ(out, c.expected);
        }
    }
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
}

}  // namespace
