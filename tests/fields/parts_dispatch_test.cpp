// The field parts called by name through IDispatch, as a script host calls them: the names and
// ids of their members and calls that reach the interface methods.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fields/parts/parts.h"
#include "platform/com/com.h"

namespace {

using com::ComPtr;

HRESULT call(IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result)
{
    std::reverse(args.begin(), args.end());  // rgvarg holds the last argument first
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{args.data(), put ? &named : nullptr, static_cast<UINT>(args.size()),
                      put ? 1u : 0u};
    UINT arg_error = 0;
    return d->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, &arg_error);
}

VARIANT i4(LONG v)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_I4;
    x.lVal = v;
    return x;
}

ComPtr<IDispatch> dispatch_of(IUnknown* o)
{
    ComPtr<IDispatch> d;
    if (o) o->QueryInterface(IDispatch::iid, d.put_void());
    return d;
}

TEST(PartsDispatch, EveryMemberIsFoundByNameWithItsId)
{
    ComPtr<IZCntFormFieldAppearance> appearance;
    ComPtr<IZCntTextAttributes> text;
    ComPtr<IZCntChoiceFieldOptionCollection> collection;
    ComPtr<IZCntChoiceFieldOption> option;
    ASSERT_EQ(cnt::fields::create_appearance_child(nullptr, appearance.put()), S_OK);
    ASSERT_EQ(cnt::fields::create_text_attributes(nullptr, text.put()), S_OK);
    ASSERT_EQ(cnt::fields::create_option_collection(collection.put()), S_OK);
    ASSERT_EQ(collection->Add(option.put()), S_OK);
    struct member {
        IUnknown* object;
        const char16_t* name;
        DISPID id;
    };
    const member members[] = {
        {appearance.get(), u"BorderColor", 1}, {appearance.get(), u"FillColor", 2},
        {text.get(), u"TextColor", 1},         {text.get(), u"FontSize", 2},
        {text.get(), u"FontName", 3},          {text.get(), u"FontBold", 4},
        {text.get(), u"FontItalic", 5},        {text.get(), u"TextHorizontalAlignment", 6},
        {text.get(), u"TextVerticalAlignment", 7},
        {option.get(), u"DisplayName", 1},     {option.get(), u"ExportValue", 2},
        {collection.get(), u"_NewEnum", DISPID_NEWENUM},
        {collection.get(), u"Item", DISPID_VALUE},
        {collection.get(), u"Count", 1},       {collection.get(), u"Add", 2},
        {collection.get(), u"Remove", 3},      {collection.get(), u"Clear", 4},
        {collection.get(), u"MoveItemUp", 5},  {collection.get(), u"MoveItemDown", 6},
    };
    for (const member& m : members) {
        SCOPED_TRACE(std::string(m.name, m.name + std::char_traits<char16_t>::length(m.name)));
        auto d = dispatch_of(m.object);
        ASSERT_TRUE(d);
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
        EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
        EXPECT_EQ(id, m.id);
    }
}

TEST(PartsDispatch, CallsReachTheInterfaceMethods)
{
    ComPtr<IZCntTextAttributes> text;
    ASSERT_EQ(cnt::fields::create_text_attributes(nullptr, text.put()), S_OK);
    com::Variant result;
    ASSERT_EQ(call(dispatch_of(text.get()).get(), 2, DISPATCH_PROPERTYPUT, {i4(140)}, nullptr),
              S_OK);
    SHORT size = 0;
    text->get_FontSize(&size);
    EXPECT_EQ(size, 140);

    ComPtr<IZCntChoiceFieldOptionCollection> collection;
    ASSERT_EQ(cnt::fields::create_option_collection(collection.put()), S_OK);
    auto d = dispatch_of(collection.get());
    ASSERT_EQ(call(d.get(), 2, DISPATCH_METHOD, {}, result.put()), S_OK);
    EXPECT_EQ(result->vt, VT_DISPATCH) << "Add returns the new option";
    ASSERT_EQ(call(d.get(), 1, DISPATCH_PROPERTYGET, {}, result.put()), S_OK);
    EXPECT_EQ(result->vt, VT_I4);
    EXPECT_EQ(result->lVal, 1);
    ASSERT_EQ(call(d.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {i4(1)}, result.put()), S_OK);
    EXPECT_EQ(result->vt, VT_DISPATCH) << "the default member is Item";
    EXPECT_NE(call(d.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {i4(2)}, result.put()), S_OK);
}

}  // namespace
