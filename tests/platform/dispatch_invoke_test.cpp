// Invoke through dispatch_impl: argument order and binding, named arguments, property puts,
// counts, optional and by-reference arguments, results and exceptions.
#include <gtest/gtest.h>

#include <tuple>
#include "tests/platform/dispatch_test_object.h"

namespace {

using namespace dispatch_test;

using Invoke = DispatchTest;

TEST_F(Invoke, CallsThatDoNotBindReachNoMemberAndNameTheFaultyArgument)
{
    struct case_ {
        const char* what;
        DISPID id;
        WORD flags;
        std::vector<VARIANT> rgvarg;
        std::vector<DISPID> named;
        HRESULT hr;
        UINT arg_error = kNoArg;
        bool out_pointers = true;  // result, EXCEPINFO and arg error given
    };
    const WORD method = DISPATCH_METHOD, get = DISPATCH_PROPERTYGET, put = DISPATCH_PROPERTYPUT;
    std::vector<case_> cases;
    cases.push_back({"unknown DISPID", 0x7777, method | get, {}, {}, DISP_E_MEMBERNOTFOUND});
    cases.push_back({"put of a get-only property", 8, put, {vi4(5)}, {DISPID_PROPERTYPUT},
                     DISP_E_MEMBERNOTFOUND});
    cases.push_back({"method flag on a property", 8, method, {}, {}, DISP_E_MEMBERNOTFOUND});
    cases.push_back({"restricted, positive DISPID", 0x25, get, {}, {}, DISP_E_MEMBERNOTFOUND});
    cases.push_back({"get of a DISPID that is a method", 1, get, {}, {}, DISP_E_MEMBERNOTFOUND});
    cases.push_back({"put without the named value", 4, put, {vi2(9)}, {}, DISP_E_PARAMNOTFOUND});
    cases.push_back({"put with another name", 4, put, {vi2(9)}, {0}, DISP_E_PARAMNOTFOUND});
    cases.push_back({"one argument missing", 1, method, {vi4(3), vi4(2), vi4(1)}, {},
                     DISP_E_BADPARAMCOUNT});
    cases.push_back({"one argument too many", 1, method,
                     {vi4(5), vi4(4), vi4(3), vi4(2), vi4(1)}, {}, DISP_E_BADPARAMCOUNT});
    cases.push_back({"argument in the retval slot, no result", 8, get, {vi4(1)}, {},
                     DISP_E_BADPARAMCOUNT, kNoArg, false});
    cases.push_back({"argument in the retval slot: the result is asked to take it", 8, get,
                     {vi4(1)}, {}, DISP_E_NOTACOLLECTION});
    cases.push_back({"second of four is no number", 1, method,
                     {vi4(4), vi4(3), vstr(u"abc"), vi4(1)}, {}, DISP_E_TYPEMISMATCH, 2});
    cases.push_back({"mismatch without an arg error pointer", 1, method,
                     {vstr(u"four"), vi4(3), vi4(2), vi4(1)}, {}, DISP_E_TYPEMISMATCH, kNoArg,
                     false});
    cases.push_back({"named argument of no parameter", 1, method,
                     {vi4(1), vi4(7), vi4(2), vi4(3)}, {2, 9}, DISP_E_PARAMNOTFOUND, 1});
    cases.push_back({"mismatch in a named argument", 1, method,
                     {vi4(1), vstr(u"wide"), vi4(2), vi4(3)}, {3, 2}, DISP_E_TYPEMISMATCH, 1});
    for (case_& k : cases) {
        SCOPED_TRACE(k.what);
        args a = args::raw(k.rgvarg, k.named);
        call c;
        if (k.out_pointers)
            invoke(c, disp.get(), k.id, k.flags, a);
        else
            c.hr = disp->Invoke(k.id, IID_NULL, 0, k.flags, a.params(), nullptr, nullptr,
                                nullptr);
        EXPECT_EQ(c.hr, k.hr);
        EXPECT_EQ(c.arg_error, k.arg_error);
        EXPECT_EQ(obj->calls + obj->deletes + obj->inclination, 0) << "nothing was called";
    }
}

TEST_F(Invoke, NullOrInconsistentParametersAndForeignInterfaceIdsAreRefused)
{
    EXPECT_EQ(disp->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    VARIANT v = vi4(1);
    DISPID named[] = {0, 1};
    DISPPARAMS more_named{&v, named, 1, 2}, no_array{nullptr, nullptr, 2, 0},
        no_names{&v, nullptr, 1, 1};
    for (DISPPARAMS* p : {&more_named, &no_array, &no_names})
        EXPECT_EQ(disp->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, p, nullptr, nullptr, nullptr),
                  E_INVALIDARG);
    args none;
    EXPECT_EQ(disp->Invoke(3, IDispatch::iid, 0, DISPATCH_METHOD, none.params(), nullptr,
                           nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(obj->deletes + obj->calls, 0);
}

TEST_F(Invoke, ArgumentsBindInReverseRgvargOrderOrByName)
{
    struct case_ {
        const char* what;
        std::vector<VARIANT> rgvarg;
        std::vector<DISPID> named;
        WORD flags;
    };
    std::vector<case_> cases;
    cases.push_back({"positional", {vi4(40), vi4(30), vi4(20), vi4(10)}, {}, DISPATCH_METHOD});
    // Named: Height (3) at rgvarg[0], Left (0) at rgvarg[1]; positional Top, Width.
    cases.push_back({"named in any order", {vi4(40), vi4(10), vi4(30), vi4(20)}, {3, 0},
                     DISPATCH_METHOD});
    cases.push_back({"method or get: the method", {vi4(40), vi4(30), vi4(20), vi4(10)}, {},
                     DISPATCH_METHOD | DISPATCH_PROPERTYGET});
    for (case_& k : cases) {
        SCOPED_TRACE(k.what);
        obj->left = obj->top = obj->width = obj->height = 0;
        args a = args::raw(k.rgvarg, k.named);
        call c = invoke(disp.get(), 1, k.flags, a);
        ASSERT_EQ(c.hr, S_OK);
        EXPECT_EQ(c.arg_error, kNoArg);
        EXPECT_EQ(obj->position(), (std::vector<LONG>{10, 20, 30, 40}));
    }
    obj->inclination = 12;
    args none;
    call get = invoke(disp.get(), 4, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none);
    ASSERT_EQ(get.hr, S_OK) << "method or get: the get";
    EXPECT_EQ(shown(get.result), "I2 12");
}

TEST_F(Invoke, IndexedPropertyPutAndGet)
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
    EXPECT_EQ(shown(obj->item_value), "BSTR x");
    EXPECT_EQ(shown(*result), "I2 77") << "a put leaves the result alone";

    obj->item_value = com::Variant::from_i4(31);
    call got = invoke(disp.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, args{vi4(2)});
    ASSERT_EQ(got.hr, S_OK);
    EXPECT_EQ(obj->item_index, 2);
    EXPECT_EQ(shown(got.result), "I4 31");
}

TEST_F(Invoke, ResultsOverwriteWithoutFreeingAndAreFreedWhenNotWanted)
{
    VARIANT result;
    result.vt = VT_BSTR;  // garbage from the caller: must be overwritten, not freed
    result.bstrVal = reinterpret_cast<BSTR>(0x10);
    args a;
    ASSERT_EQ(disp->Invoke(8, IID_NULL, 0, DISPATCH_PROPERTYGET, a.params(), &result, nullptr,
                           nullptr),
              S_OK);
    EXPECT_EQ(shown(result), "I4 17");

    obj->description = u"dropped";  // TearDown checks that the BSTR was freed
    EXPECT_EQ(disp->Invoke(7, IID_NULL, 0, DISPATCH_PROPERTYGET, a.params(), nullptr, nullptr,
                           nullptr),
              S_OK);

    call c;
    *c.result.put() = vi4(5);
    invoke(c, disp.get(), 3, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->deletes, 1);
    EXPECT_EQ(c.result.vt(), VT_EMPTY) << "a void method empties the result";
}

TEST_F(Invoke, OutArgumentsWriteBackIntoTheCallersStorage)
{
    obj->left = 11, obj->top = 22, obj->width = 33, obj->height = 44;
    LONG l = 0, t = 0, w = 0, h = 0;
    args position{vbyref(VT_I4, &l), vbyref(VT_I4, &t), vbyref(VT_I4, &w), vbyref(VT_I4, &h)};
    call c = invoke(disp.get(), 2, DISPATCH_METHOD, position);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ((std::vector<LONG>{l, t, w, h}), (std::vector<LONG>{11, 22, 33, 44}));
    EXPECT_EQ(position[0].vt, VT_BYREF | VT_I4);

    // Swap doubles the number and adds one, and returns the text "swapped".
    args by_value{vr8(5.0), vstr(u"old")};
    call v = invoke(disp.get(), 0x1E, DISPATCH_METHOD, by_value);
    ASSERT_EQ(v.hr, S_OK);
    EXPECT_EQ(shown(by_value[1]), "R8 11") << "the value comes back in the argument's type";
    EXPECT_EQ(shown(by_value[0]), "BSTR swapped");

    LONG number = 20;
    BSTR text = nullptr;
    call e = invoke(disp.get(), 0x1E, DISPATCH_METHOD,
                    args{vbyref(VT_I4, &number), vbyref(VT_BSTR, &text)});
    ASSERT_EQ(e.hr, S_OK);
    EXPECT_EQ(number, 41);
    EXPECT_EQ(com::bstr_view(text), u"swapped");
    SysFreeString(text);

    VARIANT small = vi2(3), empty;
    VariantInit(&empty);
    call r = invoke(disp.get(), 0x1E, DISPATCH_METHOD,
                    args{vbyref(VT_VARIANT, &small), vbyref(VT_VARIANT, &empty)});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(shown(small), "I2 7") << "a by-reference variant keeps its type";
    EXPECT_EQ(shown(empty), "BSTR swapped") << "an empty variant takes the value as it is";
    VariantClear(&empty);
}

TEST_F(Invoke, OutArgumentsThatCannotTakeTheValueGiveTypeMismatch)
{
    SHORT small = 1;
    BSTR text = nullptr;
    call c = invoke(disp.get(), 0x1E, DISPATCH_METHOD,
                    args{vbyref(VT_I2, &small), vbyref(VT_BSTR, &text)});
    EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.arg_error, 1u);
    EXPECT_EQ(small, 1);
    EXPECT_EQ(text, nullptr);

    args unconvertible{vstr(u"abc"), vstr(u"")};
    call d = invoke(disp.get(), 0x1E, DISPATCH_METHOD, unconvertible);
    EXPECT_EQ(d.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(d.arg_error, 1u);
    EXPECT_EQ(com::bstr_view(unconvertible[1].bstrVal), u"abc");
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
        call c = invoke(disp.get(), 0x1F, DISPATCH_METHOD, a);
        ASSERT_EQ(c.hr, S_OK) << static_cast<int>(k.natural.size());
        ASSERT_EQ(c.result.vt(), VT_BSTR);
        EXPECT_EQ(com::bstr_view(c.result->bstrVal), k.expected);
    }

    for (bool marked : {false, true}) {
        obj->blend_amount = -1;
        args a = marked ? args{vi4(0x102030), vmissing()} : args{vi4(0x102030)};
        call c = invoke(disp.get(), 0x1C, DISPATCH_METHOD, a);
        ASSERT_EQ(c.hr, S_OK);
        EXPECT_EQ(obj->blend_amount, 0.5) << "the numeric default";
        EXPECT_EQ(c.result.vt(), VT_UI4);
        EXPECT_EQ(c.result->ulVal, 0x102030u ^ 0xFFFFFFu);
    }

    // Every scalar width: a text for the BYTE, a negative SHORT, an I8 beyond 32 bits.
    args eight{vstr(u"1"), vi4(2), vi4(3), vi4(-4), vr8(0.5), variant_of(VT_I8, 5000000000LL),
               vr8(7), vi4(8)};
    call sum = invoke(disp.get(), 0x24, DISPATCH_METHOD, eight);
    ASSERT_EQ(sum.hr, S_OK) << "more than eight parameters";
    EXPECT_EQ(shown(sum.result), "R8 5000000017.5");
    EXPECT_EQ(obj->mode, dtmFancy) << "the enum default";
    call sum9 = invoke(disp.get(), 0x24, DISPATCH_METHOD,
                       args{vi4(1), vi4(2), vi4(3), vi4(4), vr8(0.5), vi4(6), vr8(7), vi4(8), vi4(0)});
    ASSERT_EQ(sum9.hr, S_OK);
    EXPECT_EQ(obj->mode, dtmPlain);
}

TEST_F(Invoke, MissingOptionalVariantSeesTheMissingMark)
{
    call c = invoke(disp.get(), 0x20, DISPATCH_METHOD, args{vi4(4)});
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(shown(obj->join_second), "ERROR 2147614724");
    EXPECT_EQ(shown(c.result), "I4 4");

    VARIANT inner = vi4(8);
    call d = invoke(disp.get(), 0x20, DISPATCH_METHOD,
                    args{vstr(u"first"), vbyref(VT_VARIANT, &inner)});
    ASSERT_EQ(d.hr, S_OK);
    EXPECT_EQ(shown(obj->join_second), "I4 8") << "const VARIANT* sees the variant referred to";
    EXPECT_EQ(shown(d.result), "BSTR first");
}

TEST_F(Invoke, FailingMethodGivesExceptionWithTheErrorInformation)
{
    args a{vi4(static_cast<LONG>(0x80040201))};
    call c = invoke(disp.get(), 0x1D, DISPATCH_METHOD, a);
    EXPECT_EQ(std::tuple(c.hr, c.exception.scode, c.exception.wCode),
              std::tuple(DISP_E_EXCEPTION, ZCNT_HR(0x80040201), 0));
    EXPECT_EQ(com::bstr_view(c.exception.bstrSource), u"DispatchTest");
    EXPECT_EQ(com::bstr_view(c.exception.bstrDescription), u"The element is locked");
    EXPECT_EQ(c.exception.bstrHelpFile, nullptr);
    IErrorInfo* left_over = reinterpret_cast<IErrorInfo*>(0x1);
    EXPECT_EQ(GetErrorInfo(0, &left_over), S_FALSE) << "the error information was taken";
    EXPECT_EQ(left_over, nullptr);

    com::report_error(E_FAIL, u"stale");
    args plain{vi4(1)};  // E_ACCESSDENIED without error information
    call s = invoke(disp.get(), 0x1D, DISPATCH_METHOD, plain);
    EXPECT_EQ(s.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(s.exception.scode, E_ACCESSDENIED);
    EXPECT_EQ(s.exception.bstrSource, nullptr) << "the stale information is ignored";
    EXPECT_EQ(s.exception.bstrDescription, nullptr);

    args invalid{vi4(static_cast<LONG>(E_INVALIDARG))};
    EXPECT_EQ(disp->Invoke(0x1D, IID_NULL, 0, DISPATCH_METHOD, invalid.params(), nullptr,
                           nullptr, nullptr),
              DISP_E_EXCEPTION)
        << "without an EXCEPINFO too";
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK) << "left for the caller";
    info->Release();

    args fine{vi4(0)};
    call ok;
    ok.exception.scode = 123;
    invoke(ok, disp.get(), 0x1D, DISPATCH_METHOD, fine);
    EXPECT_EQ(ok.hr, S_OK);
    EXPECT_EQ(ok.exception.scode, 123) << "a success leaves EXCEPINFO alone";
}

TEST_F(Invoke, ArgumentsOfAPropertyWithoutParametersGoToItsValuesDefaultMember)
{
    com::ComPtr<IDispatch> other;
    CDispatchTest* other_obj = nullptr;
    ASSERT_EQ(make_test_object(&other, &other_obj), S_OK);
    other_obj->item_value = com::Variant::from_i4(7);
    obj->owner = other;

    args a{vi4(3)};
    call c = invoke(disp.get(), 0x1A, DISPATCH_PROPERTYGET, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(other_obj->item_index, 3);
    EXPECT_EQ(shown(c.result), "I4 7");

    obj->tag = com::Variant::from_i4(1);
    call not_a_collection = invoke(disp.get(), 0x19, DISPATCH_PROPERTYGET, a);
    EXPECT_EQ(not_a_collection.hr, DISP_E_NOTACOLLECTION);

    args none;
    call items = invoke(disp.get(), DISPID_NEWENUM, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none);
    ASSERT_EQ(items.hr, S_OK) << "a restricted member with a negative DISPID is found";
    ASSERT_EQ(items.result.vt(), VT_UNKNOWN);
    EXPECT_TRUE(com::same_object(items.result->punkVal, disp.get()));
    obj->owner = nullptr;
    other = nullptr;
}

TEST_F(Invoke, EachDualInterfaceOfTheObjectHasItsOwnTableAndInheritsItsBases)
{
    com::ComPtr<IDispatchTestOther> other;
    ASSERT_EQ(disp->QueryInterface(IDispatchTestOther::iid, other.put_void()), S_OK);
    IDispatch* second = other.get();
    EXPECT_NE(static_cast<void*>(second), static_cast<void*>(disp.get()));
    EXPECT_TRUE(com::same_object(second, disp.get()));

    args none;
    call name = invoke(second, 1, DISPATCH_PROPERTYGET, none);
    ASSERT_EQ(name.hr, S_OK);
    EXPECT_EQ(shown(name.result), "BSTR other");
    call pinged = invoke(second, 2, DISPATCH_METHOD, args{vi4(5)});
    ASSERT_EQ(pinged.hr, S_OK);
    EXPECT_EQ(pinged.result->lVal, 1005);

    EXPECT_EQ(id_of(second, u"Ping"), 2);
    EXPECT_EQ(id_of(disp.get(), u"Ping"), DISPID_UNKNOWN);
    EXPECT_EQ(id_of(second, u"SetPosition"), DISPID_UNKNOWN);

    com::ComPtr<IDispatchTestBase> base;
    ASSERT_EQ(disp->QueryInterface(IDispatchTestBase::iid, base.put_void()), S_OK);
    EXPECT_EQ(static_cast<IDispatch*>(base.get()), disp.get());
    args a = std::move(args{vi2(-30)}.put());
    call c = invoke(base.get(), 4, DISPATCH_PROPERTYPUT, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->inclination, -30);
}

}  // namespace
