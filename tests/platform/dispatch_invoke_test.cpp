// Invoke through dispatch_impl: argument order and binding, named arguments, property puts,
// counts, optional and by-reference arguments, results and exceptions.
#include <gtest/gtest.h>

#include "tests/platform/dispatch_test_object.h"

namespace {

using namespace dispatch_test;

class Invoke : public ::testing::Test {
protected:
    void SetUp() override
    {
        bstrs_ = com::bstr_live_count();
        ASSERT_EQ(make_test_object(&disp, &obj), S_OK);
    }
    void TearDown() override
    {
        disp = nullptr;
        EXPECT_EQ(g_alive, 0);
        EXPECT_EQ(com::bstr_live_count(), bstrs_);
    }

    com::ComPtr<IDispatch> disp;
    CDispatchTest* obj = nullptr;
    long bstrs_ = 0;
};

TEST_F(Invoke, PassesArgumentsInReverseOrderOfRgvarg)
{
    args a{vi4(1), vi4(2), vi4(3), vi4(4)};
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->left, 1);
    EXPECT_EQ(obj->top, 2);
    EXPECT_EQ(obj->width, 3);
    EXPECT_EQ(obj->height, 4);
    EXPECT_EQ(c.arg_error, kNoArg);
}

TEST_F(Invoke, UnknownDispidGivesMemberNotFound)
{
    args a;
    call c;
    invoke(c, disp.get(), 0x7777, DISPATCH_METHOD | DISPATCH_PROPERTYGET, a);
    EXPECT_EQ(c.hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(c.arg_error, kNoArg);
}

TEST_F(Invoke, PutOnGetOnlyPropertyGivesMemberNotFound)
{
    args a = std::move(args{vi4(5)}.put());
    call c;
    invoke(c, disp.get(), 8, DISPATCH_PROPERTYPUT, a);
    EXPECT_EQ(c.hr, DISP_E_MEMBERNOTFOUND);
}

TEST_F(Invoke, MethodFlagOnAPropertyOnlyDispidGivesMemberNotFound)
{
    args a;
    call c;
    invoke(c, disp.get(), 8, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_MEMBERNOTFOUND);
}

TEST_F(Invoke, PutWithoutPropertyPutNamedArgumentGivesParamNotFound)
{
    args a{vi2(9)};
    call c;
    invoke(c, disp.get(), 4, DISPATCH_PROPERTYPUT, a);
    EXPECT_EQ(c.hr, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(c.arg_error, kNoArg);
    EXPECT_EQ(obj->inclination, 0);

    args named_wrong = args::raw({vi2(9)}, {0});
    call c2;
    invoke(c2, disp.get(), 4, DISPATCH_PROPERTYPUT, named_wrong);
    EXPECT_EQ(c2.hr, DISP_E_PARAMNOTFOUND);
}

TEST_F(Invoke, PropertyPutBindsTheNamedValueToTheLastParameter)
{
    // Item(5) = "x": rgvarg[0] is the value, named DISPID_PROPERTYPUT; rgvarg[1] the index.
    args a = args::raw({vstr(u"x"), vi4(5)}, {DISPID_PROPERTYPUT});
    call c;
    VARIANT* result = c.result.put();
    result->vt = VT_I2;
    result->iVal = 77;
    c.hr = disp->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYPUT, a.params(), result,
                        &c.exception, &c.arg_error);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->item_index, 5);
    ASSERT_EQ(obj->item_value.vt(), VT_BSTR);
    EXPECT_EQ(com::bstr_view(obj->item_value->bstrVal), u"x");
    EXPECT_EQ(result->vt, VT_I2) << "a put leaves the result alone";
    EXPECT_EQ(result->iVal, 77);
}

TEST_F(Invoke, PropertyGetWithAnIndexArgument)
{
    obj->item_value = com::Variant::from_i4(31);
    args a{vi4(2)};
    call c;
    invoke(c, disp.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->item_index, 2);
    EXPECT_EQ(c.result.vt(), VT_I4);
    EXPECT_EQ(c.result->lVal, 31);
}

TEST_F(Invoke, MethodOrPropertyGetBindsWhicheverMemberComesFirst)
{
    obj->inclination = 12;
    args none;
    call get;
    invoke(get, disp.get(), 4, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none);
    ASSERT_EQ(get.hr, S_OK);
    EXPECT_EQ(get.result.vt(), VT_I2);
    EXPECT_EQ(get.result->iVal, 12);

    args four{vi4(5), vi4(6), vi4(7), vi4(8)};
    call method;
    invoke(method, disp.get(), 1, DISPATCH_METHOD | DISPATCH_PROPERTYGET, four);
    EXPECT_EQ(method.hr, S_OK);
    EXPECT_EQ(obj->height, 8);
}

TEST_F(Invoke, MissingRequiredArgumentGivesBadParamCount)
{
    args a{vi4(1), vi4(2), vi4(3)};
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(c.arg_error, kNoArg);
    EXPECT_EQ(obj->calls, 0);
}

TEST_F(Invoke, ArgumentTooManyGivesBadParamCount)
{
    args a{vi4(1), vi4(2), vi4(3), vi4(4), vi4(5)};
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(obj->calls, 0);

    // An argument in the [retval] slot: without a result to pass it on to, too many.
    args one{vi4(1)};
    EXPECT_EQ(disp->Invoke(8, IID_NULL, 0, DISPATCH_PROPERTYGET, one.params(), nullptr,
                           nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    call get;
    invoke(get, disp.get(), 8, DISPATCH_PROPERTYGET, one);
    EXPECT_EQ(get.hr, DISP_E_NOTACOLLECTION) << "with one, the result is asked to take them";
}

TEST_F(Invoke, WrongArgumentTypeGivesTypeMismatchWithIndex)
{
    // The second argument sits at rgvarg[2] of four.
    args a{vi4(1), vstr(u"abc"), vi4(3), vi4(4)};
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.arg_error, 2u);
    EXPECT_EQ(obj->calls, 0);
}

TEST_F(Invoke, TypeMismatchWithoutArgErrorPointerIsStillReported)
{
    args a{vi4(1), vi4(2), vi4(3), vstr(u"four")};
    const HRESULT hr = disp->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, a.params(), nullptr,
                                    nullptr, nullptr);
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);
}

TEST_F(Invoke, NamedArgumentsBindByParameterIndexInAnyOrder)
{
    // Named: Height (3) at rgvarg[0], Left (0) at rgvarg[1]; positional Top, Width.
    args a = args::raw({vi4(40), vi4(10), vi4(30), vi4(20)}, {3, 0});
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->left, 10);
    EXPECT_EQ(obj->top, 20);
    EXPECT_EQ(obj->width, 30);
    EXPECT_EQ(obj->height, 40);
}

TEST_F(Invoke, NamedArgumentOfNoParameterGivesParamNotFoundWithIndex)
{
    args a = args::raw({vi4(1), vi4(7), vi4(2), vi4(3)}, {2, 9});
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(c.arg_error, 1u);
}

TEST_F(Invoke, TypeMismatchInANamedArgumentNamesItsRgvargIndex)
{
    args a = args::raw({vi4(1), vstr(u"wide"), vi4(2), vi4(3)}, {3, 2});
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.arg_error, 1u);
}

TEST_F(Invoke, NullOrInconsistentParametersGiveInvalidArg)
{
    EXPECT_EQ(disp->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    VARIANT v = vi4(1);
    DISPID named[] = {0, 1};
    DISPPARAMS more_named{&v, named, 1, 2};
    EXPECT_EQ(disp->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &more_named, nullptr, nullptr,
                           nullptr),
              E_INVALIDARG);
    DISPPARAMS no_array{nullptr, nullptr, 2, 0};
    EXPECT_EQ(disp->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &no_array, nullptr, nullptr,
                           nullptr),
              E_INVALIDARG);
    DISPPARAMS no_names{&v, nullptr, 1, 1};
    EXPECT_EQ(disp->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &no_names, nullptr, nullptr,
                           nullptr),
              E_INVALIDARG);
    EXPECT_EQ(obj->deletes, 0);
}

TEST_F(Invoke, InterfaceIdOtherThanNullGivesUnknownInterface)
{
    args a;
    EXPECT_EQ(disp->Invoke(3, IDispatch::iid, 0, DISPATCH_METHOD, a.params(), nullptr, nullptr,
                           nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(obj->deletes, 0);
}

TEST_F(Invoke, RetvalGoesIntoAResultThatIsNotFreedFirst)
{
    VARIANT result;
    result.vt = VT_BSTR;  // garbage from the caller: must be overwritten, not freed
    result.bstrVal = reinterpret_cast<BSTR>(0x10);
    args a;
    ASSERT_EQ(disp->Invoke(8, IID_NULL, 0, DISPATCH_PROPERTYGET, a.params(), &result, nullptr,
                           nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 17);
}

TEST_F(Invoke, NullResultFreesTheRetval)
{
    obj->description = u"dropped";
    args a;
    EXPECT_EQ(disp->Invoke(7, IID_NULL, 0, DISPATCH_PROPERTYGET, a.params(), nullptr, nullptr,
                           nullptr),
              S_OK);
    // TearDown checks the BSTR count.
}

TEST_F(Invoke, VoidMethodLeavesTheResultEmpty)
{
    args a;
    call c;
    *c.result.put() = vi4(5);
    invoke(c, disp.get(), 3, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->deletes, 1);
    EXPECT_EQ(c.result.vt(), VT_EMPTY);
}

TEST_F(Invoke, ByRefOutArgumentsWriteIntoTheCallersStorage)
{
    obj->left = 11, obj->top = 22, obj->width = 33, obj->height = 44;
    LONG l = 0, t = 0, w = 0, h = 0;
    args a{vbyref(VT_I4, &l), vbyref(VT_I4, &t), vbyref(VT_I4, &w), vbyref(VT_I4, &h)};
    call c;
    invoke(c, disp.get(), 2, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(l, 11);
    EXPECT_EQ(t, 22);
    EXPECT_EQ(w, 33);
    EXPECT_EQ(h, 44);
    EXPECT_EQ(a[0].vt, VT_BYREF | VT_I4);
}

TEST_F(Invoke, ByValueArgumentForAnOutParameterGetsTheValueBackInItsType)
{
    // Swap doubles the number and adds one, and returns the text "swapped".
    args a{vr8(5.0), vstr(u"old")};
    call c;
    invoke(c, disp.get(), 0x1E, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(a[1].vt, VT_R8);
    EXPECT_EQ(a[1].dblVal, 11.0);
    ASSERT_EQ(a[0].vt, VT_BSTR);
    EXPECT_EQ(com::bstr_view(a[0].bstrVal), u"swapped");
}

TEST_F(Invoke, ByRefOutArgumentsOfTheExactTypePassStraightThrough)
{
    LONG number = 20;
    BSTR text = nullptr;
    args a{vbyref(VT_I4, &number), vbyref(VT_BSTR, &text)};
    call c;
    invoke(c, disp.get(), 0x1E, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(number, 41);
    EXPECT_EQ(com::bstr_view(text), u"swapped");
    SysFreeString(text);
}

TEST_F(Invoke, ByRefVariantArgumentForAnOutParameterIsWrittenInPlace)
{
    VARIANT number = vi2(3);
    VARIANT text;
    VariantInit(&text);
    args a{vbyref(VT_VARIANT, &number), vbyref(VT_VARIANT, &text)};
    call c;
    invoke(c, disp.get(), 0x1E, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(number.vt, VT_I2);
    EXPECT_EQ(number.iVal, 7);
    ASSERT_EQ(text.vt, VT_BSTR) << "an empty variant takes the value as it is";
    EXPECT_EQ(com::bstr_view(text.bstrVal), u"swapped");
    VariantClear(&text);
}

TEST_F(Invoke, ByRefArgumentOfAnotherTypeGivesTypeMismatch)
{
    SHORT small = 1;
    BSTR text = nullptr;
    args a{vbyref(VT_I2, &small), vbyref(VT_BSTR, &text)};
    call c;
    invoke(c, disp.get(), 0x1E, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.arg_error, 1u);
    EXPECT_EQ(small, 1);
    EXPECT_EQ(text, nullptr);
}

TEST_F(Invoke, OutParameterWithAnUnconvertibleValueGivesTypeMismatch)
{
    args a{vstr(u"abc"), vstr(u"")};
    call c;
    invoke(c, disp.get(), 0x1E, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.arg_error, 1u);
    EXPECT_EQ(com::bstr_view(a[1].bstrVal), u"abc");
}

TEST_F(Invoke, MissingOptionalArgumentsTakeTheirDefaults)
{
    struct case_ {
        std::vector<VARIANT> natural;
        const char16_t* expected;
    };
    std::vector<case_> cases;
    cases.push_back({{vstr(u"ab")}, u"ababab"});
    cases.push_back({{vstr(u"ab"), vi4(2)}, u"abab"});
    cases.push_back({{vstr(u"ab"), vmissing(), vbool(true)}, u"ABABAB"});
    cases.push_back({{vstr(u"ab"), vi4(1), vbool(true)}, u"AB"});
    cases.push_back({{vstr(u"ab"), vtyped(VT_EMPTY)}, u""});  // an explicit VT_EMPTY is given
    for (auto& k : cases) {
        args a(k.natural);
        call c;
        invoke(c, disp.get(), 0x1F, DISPATCH_METHOD, a);
        ASSERT_EQ(c.hr, S_OK) << static_cast<int>(k.natural.size());
        ASSERT_EQ(c.result.vt(), VT_BSTR);
        EXPECT_EQ(com::bstr_view(c.result->bstrVal), k.expected);
    }
}

TEST_F(Invoke, MissingNumericDefaultIsPassed)
{
    args a{vi4(0x102030)};
    call c;
    invoke(c, disp.get(), 0x1C, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->blend_amount, 0.5);
    EXPECT_EQ(c.result.vt(), VT_UI4);
    EXPECT_EQ(c.result->ulVal, 0x102030u ^ 0xFFFFFFu);

    args b{vi4(0), vmissing()};
    call d;
    obj->blend_amount = -1;
    invoke(d, disp.get(), 0x1C, DISPATCH_METHOD, b);
    ASSERT_EQ(d.hr, S_OK);
    EXPECT_EQ(obj->blend_amount, 0.5);
}

TEST_F(Invoke, MissingOptionalVariantSeesTheMissingMark)
{
    args a{vi4(4)};
    call c;
    invoke(c, disp.get(), 0x20, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->join_second.vt(), VT_ERROR);
    EXPECT_EQ(obj->join_second->scode, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(c.result.vt(), VT_I4);
    EXPECT_EQ(c.result->lVal, 4);

    VARIANT inner = vi4(8);
    args b{vstr(u"first"), vbyref(VT_VARIANT, &inner)};
    call d;
    invoke(d, disp.get(), 0x20, DISPATCH_METHOD, b);
    ASSERT_EQ(d.hr, S_OK);
    EXPECT_EQ(obj->join_second.vt(), VT_I4) << "const VARIANT* sees the variant referred to";
    EXPECT_EQ(obj->join_second->lVal, 8);
    ASSERT_EQ(d.result.vt(), VT_BSTR);
    EXPECT_EQ(com::bstr_view(d.result->bstrVal), u"first");
}

TEST_F(Invoke, FailingMethodGivesExceptionWithTheErrorInformation)
{
    args a{vi4(static_cast<LONG>(0x80040201))};
    call c;
    invoke(c, disp.get(), 0x1D, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(c.exception.scode, ZCNT_HR(0x80040201));
    EXPECT_EQ(c.exception.wCode, 0);
    EXPECT_EQ(com::bstr_view(c.exception.bstrSource), u"DispatchTest");
    EXPECT_EQ(com::bstr_view(c.exception.bstrDescription), u"The element is locked");
    EXPECT_EQ(c.exception.bstrHelpFile, nullptr);
    IErrorInfo* left_over = reinterpret_cast<IErrorInfo*>(0x1);
    EXPECT_EQ(GetErrorInfo(0, &left_over), S_FALSE) << "the error information was taken";
    EXPECT_EQ(left_over, nullptr);
}

TEST_F(Invoke, FailureWithoutErrorInformationIgnoresAStaleOne)
{
    com::report_error(E_FAIL, u"stale");
    args a{vi4(1)};
    call c;
    invoke(c, disp.get(), 0x1D, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(c.exception.scode, E_ACCESSDENIED);
    EXPECT_EQ(c.exception.bstrSource, nullptr);
    EXPECT_EQ(c.exception.bstrDescription, nullptr);
}

TEST_F(Invoke, FailureWithoutExcepInfoIsStillAnException)
{
    args a{vi4(static_cast<LONG>(E_INVALIDARG))};
    EXPECT_EQ(disp->Invoke(0x1D, IID_NULL, 0, DISPATCH_METHOD, a.params(), nullptr, nullptr,
                           nullptr),
              DISP_E_EXCEPTION);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK) << "left for the caller";
    info->Release();
}

TEST_F(Invoke, SucceedingCallLeavesExcepInfoAlone)
{
    args a{vi4(0)};
    call c;
    c.exception.scode = 123;
    invoke(c, disp.get(), 0x1D, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.exception.scode, 123);
}

TEST_F(Invoke, RestrictedMembersWithPositiveDispidsAreNotFound)
{
    args a;
    call secret;
    invoke(secret, disp.get(), 0x25, DISPATCH_PROPERTYGET, a);
    EXPECT_EQ(secret.hr, DISP_E_MEMBERNOTFOUND);

    call items;
    invoke(items, disp.get(), DISPID_NEWENUM, DISPATCH_PROPERTYGET | DISPATCH_METHOD, a);
    ASSERT_EQ(items.hr, S_OK);
    ASSERT_EQ(items.result.vt(), VT_UNKNOWN);
    EXPECT_TRUE(com::same_object(items.result->punkVal, disp.get()));
}

TEST_F(Invoke, PropertyWithoutParametersPassesArgumentsToTheDefaultMember)
{
    com::ComPtr<IDispatch> other;
    CDispatchTest* other_obj = nullptr;
    ASSERT_EQ(make_test_object(&other, &other_obj), S_OK);
    other_obj->item_value = com::Variant::from_i4(7);
    obj->owner = other;

    args a{vi4(3)};
    call c;
    invoke(c, disp.get(), 0x1A, DISPATCH_PROPERTYGET, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(other_obj->item_index, 3);
    EXPECT_EQ(c.result.vt(), VT_I4);
    EXPECT_EQ(c.result->lVal, 7);

    obj->tag = com::Variant::from_i4(1);
    call not_a_collection;
    invoke(not_a_collection, disp.get(), 0x19, DISPATCH_PROPERTYGET, a);
    EXPECT_EQ(not_a_collection.hr, DISP_E_NOTACOLLECTION);

    obj->owner = nullptr;
    other = nullptr;
}

TEST_F(Invoke, MoreThanEightParametersAreBound)
{
    args a{vi4(1), vi4(2), vi4(3), vi4(4), vr8(0.5), vi4(6), vr8(7), vi4(8)};
    call c;
    invoke(c, disp.get(), 0x24, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.result.vt(), VT_R8);
    EXPECT_EQ(c.result->dblVal, 31.5);
    EXPECT_EQ(obj->mode, dtmFancy) << "the enum default";

    args b{vi4(1), vi4(2), vi4(3), vi4(4), vr8(0.5), vi4(6), vr8(7), vi4(8), vi4(0)};
    call d;
    invoke(d, disp.get(), 0x24, DISPATCH_METHOD, b);
    ASSERT_EQ(d.hr, S_OK);
    EXPECT_EQ(obj->mode, dtmPlain);
}

TEST_F(Invoke, TwoDualInterfacesOfOneObjectHaveTheirOwnTables)
{
    com::ComPtr<IDispatchTestOther> other;
    ASSERT_EQ(disp->QueryInterface(IDispatchTestOther::iid, other.put_void()), S_OK);
    IDispatch* second = other.get();
    EXPECT_NE(static_cast<void*>(second), static_cast<void*>(disp.get()));
    EXPECT_TRUE(com::same_object(second, disp.get()));

    args none;
    call name;
    invoke(name, second, 1, DISPATCH_PROPERTYGET, none);
    ASSERT_EQ(name.hr, S_OK);
    ASSERT_EQ(name.result.vt(), VT_BSTR);
    EXPECT_EQ(com::bstr_view(name.result->bstrVal), u"other");

    call first;
    invoke(first, disp.get(), 1, DISPATCH_PROPERTYGET, none);
    EXPECT_EQ(first.hr, DISP_E_MEMBERNOTFOUND) << "DISPID 1 of the first is a method";

    args ping{vi4(5)};
    call pinged;
    invoke(pinged, second, 2, DISPATCH_METHOD, ping);
    ASSERT_EQ(pinged.hr, S_OK);
    EXPECT_EQ(pinged.result->lVal, 1005);

    EXPECT_EQ(id_of(second, u"Ping"), 2);
    EXPECT_EQ(id_of(disp.get(), u"Ping"), DISPID_UNKNOWN);
    EXPECT_EQ(id_of(second, u"SetPosition"), DISPID_UNKNOWN);

    UINT count = 0;
    EXPECT_EQ(second->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
}

TEST_F(Invoke, InheritedMembersAreReachedThroughTheDerivedInterface)
{
    com::ComPtr<IDispatchTestBase> base;
    ASSERT_EQ(disp->QueryInterface(IDispatchTestBase::iid, base.put_void()), S_OK);
    EXPECT_EQ(static_cast<IDispatch*>(base.get()), disp.get());
    args a = std::move(args{vi2(-30)}.put());
    call c;
    invoke(c, base.get(), 4, DISPATCH_PROPERTYPUT, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->inclination, -30);
}

}  // namespace
