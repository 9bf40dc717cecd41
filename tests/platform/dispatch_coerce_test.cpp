// How Invoke converts arguments for each parameter type, and that interface and string
// arguments and results leave no reference or string behind.
#include <gtest/gtest.h>

#include "tests/platform/dispatch_test_object.h"

namespace {

using namespace dispatch_test;

class Coerce : public ::testing::Test {
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
    HRESULT put(DISPID id, VARIANT value, UINT* arg_error = nullptr,
                WORD flags = DISPATCH_PROPERTYPUT)
    {
        args a = std::move(args{value}.put());
        return disp->Invoke(id, IID_NULL, 0, flags, a.params(), nullptr, nullptr, arg_error);
    }
    void get(DISPID id, call& c)
    {
        args none;
        invoke(c, disp.get(), id, DISPATCH_PROPERTYGET, none);
    }

    com::ComPtr<IDispatch> disp;
    CDispatchTest* obj = nullptr;
    long bstrs_ = 0;
};

TEST_F(Coerce, NumericStringIntoLong)
{
    args a{vstr(u"42"), vr8(2.5), vbool(true), vi2(-4)};
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->left, 42);
    EXPECT_EQ(obj->top, 2) << "half to even";
    EXPECT_EQ(obj->width, -1) << "VT_BOOL true";
    EXPECT_EQ(obj->height, -4);
}

TEST_F(Coerce, NonNumericStringIntoLongGivesTypeMismatchWithIndex)
{
    args a{vi4(1), vi4(2), vi4(3), vstr(u"abc")};
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.arg_error, 0u);
}

TEST_F(Coerce, OutOfRangeValueGivesOverflowWithoutArgError)
{
    UINT arg_error = kNoArg;
    EXPECT_EQ(put(4, vi4(100000), &arg_error), DISP_E_OVERFLOW);
    EXPECT_EQ(arg_error, kNoArg);
    EXPECT_EQ(obj->inclination, 0);
}

TEST_F(Coerce, ScalarPropertiesTakeConvertedValuesAndReportTheirOwnType)
{
    struct case_ {
        DISPID id;
        VARIANT given;
        VARTYPE reported;
    };
    const case_ cases[] = {
        {4, vbool(true), VT_I2},    // VT_BOOL into SHORT
        {0x17, vi4(3), VT_R8},      // VT_I4 into double
        {0x16, vr8(0.25), VT_R4},   // into float
        {0x18, vi4(5), VT_BOOL},    // into VARIANT_BOOL
        {0x21, vr8(2.5), VT_DATE},  // into DATE
        {0x22, vi4(3), VT_CY},      // into CY
        {6, vi2(2), VT_I4},         // into an enumeration
    };
    for (const case_& k : cases) {
        ASSERT_EQ(put(k.id, k.given), S_OK) << k.id;
        call c;
        get(k.id, c);
        ASSERT_EQ(c.hr, S_OK) << k.id;
        EXPECT_EQ(c.result.vt(), k.reported) << k.id;
    }
    EXPECT_EQ(obj->inclination, -1);
    EXPECT_EQ(obj->scale, 3.0);
    EXPECT_EQ(obj->opacity, 0.25f);
    EXPECT_EQ(obj->visible, VARIANT_TRUE);
    EXPECT_EQ(obj->created, 2.5);
    EXPECT_EQ(obj->amount.int64, 30000);
    EXPECT_EQ(obj->shape, dtsSquare);
}

TEST_F(Coerce, ColourTakesTheBitsOfAnI4)
{
    ASSERT_EQ(put(0x15, vi4(-1)), S_OK);
    EXPECT_EQ(obj->colour, 0xFFFFFFFFu);
    call c;
    get(0x15, c);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.result.vt(), VT_UI4);
    EXPECT_EQ(c.result->ulVal, 0xFFFFFFFFu);

    VARIANT ui4 = vtyped(VT_UI4);
    ui4.ulVal = 0x80FF00u;
    ASSERT_EQ(put(0x15, ui4), S_OK);
    EXPECT_EQ(obj->colour, 0x80FF00u);
    ASSERT_EQ(put(0x15, vstr(u"255")), S_OK);
    EXPECT_EQ(obj->colour, 255u);
    EXPECT_EQ(put(0x15, vi2(-1)), DISP_E_OVERFLOW) << "only a VT_I4 keeps its bits";
}

TEST_F(Coerce, ColourArgumentAndResultOfAMethodKeepTheirBits)
{
    args a{vi4(-1), vr8(0.1)};
    call c;
    invoke(c, disp.get(), 0x1C, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.result.vt(), VT_UI4);
    EXPECT_EQ(c.result->ulVal, 0xFF000000u);
    EXPECT_EQ(obj->blend_amount, 0.1);
}

TEST_F(Coerce, StringArgumentPassesAsItIs)
{
    VARIANT text = vstr(u"note");
    const BSTR given = text.bstrVal;
    ASSERT_EQ(put(7, text), S_OK);
    EXPECT_EQ(obj->last_description, given);
    EXPECT_EQ(obj->description, u"note");

    BSTR by_ref = SysAllocString(u"ref");
    ASSERT_EQ(put(7, vbyref(VT_BSTR, &by_ref)), S_OK);
    EXPECT_EQ(obj->last_description, by_ref);
    SysFreeString(by_ref);
}

TEST_F(Coerce, OtherTypesIntoAStringGoThroughAFreedTemporary)
{
    ASSERT_EQ(put(7, vi4(42)), S_OK);
    EXPECT_EQ(obj->description, u"42");
    ASSERT_EQ(put(7, vbool(true)), S_OK);
    EXPECT_EQ(obj->description, u"-1");
    ASSERT_EQ(put(7, vtyped(VT_EMPTY)), S_OK);
    EXPECT_EQ(obj->description, u"");
    // TearDown checks that the temporaries were freed.
}

TEST_F(Coerce, ByReferenceArgumentsForValueParametersAreReadThrough)
{
    LONG width = 9;
    VARIANT inner = vstr(u"12");
    args a{vi4(1), vbyref(VT_VARIANT, &inner), vbyref(VT_I4, &width), vi4(4)};
    call c;
    invoke(c, disp.get(), 1, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->top, 12);
    EXPECT_EQ(obj->width, 9);
    VariantClear(&inner);
}

TEST_F(Coerce, VariantParameterGetsACopy)
{
    ASSERT_EQ(put(0x19, vstr(u"tagged")), S_OK);
    ASSERT_EQ(obj->tag.vt(), VT_BSTR);
    EXPECT_EQ(com::bstr_view(obj->tag->bstrVal), u"tagged");
    call c;
    get(0x19, c);
    ASSERT_EQ(c.hr, S_OK);
    ASSERT_EQ(c.result.vt(), VT_BSTR);
    EXPECT_EQ(com::bstr_view(c.result->bstrVal), u"tagged");
    obj->tag = com::Variant();
}

TEST_F(Coerce, InterfaceArgumentsAreReleasedAfterTheCall)
{
    com::ComPtr<IDispatch> other;
    CDispatchTest* other_obj = nullptr;
    ASSERT_EQ(make_test_object(&other, &other_obj), S_OK);
    other_obj->left = 3;
    const ULONG before = ref_count(other.get());

    // CopyTo(IDispatchTestBase*): asked for the interface, released afterwards.
    args a{vunknown(other.get(), VT_DISPATCH)};
    call c;
    invoke(c, disp.get(), 9, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_NE(obj->copied_to, nullptr);
    EXPECT_EQ(other_obj->left, obj->left);
    EXPECT_EQ(ref_count(other.get()), before + 1) << "only the argument's own reference";
    VariantClear(&a[0]);
    EXPECT_EQ(ref_count(other.get()), before);

    // SetParent(IUnknown*) keeps one reference, which goes when the parent is dropped.
    {
        args p{vunknown(other.get(), VT_DISPATCH)};
        call set;
        invoke(set, disp.get(), 0x1B, DISPATCH_METHOD, p);
        ASSERT_EQ(set.hr, S_OK);
    }
    EXPECT_EQ(ref_count(other.get()), before + 1);
    obj->parent = nullptr;
    EXPECT_EQ(ref_count(other.get()), before);

    // putref Owner(IDispatch*), then the get hands out a new reference.
    {
        args r = std::move(args{vunknown(other.get(), VT_DISPATCH)}.put());
        call set;
        invoke(set, disp.get(), 0x1A, DISPATCH_PROPERTYPUTREF, r);
        ASSERT_EQ(set.hr, S_OK);
        call owner;
        get(0x1A, owner);
        ASSERT_EQ(owner.hr, S_OK);
        ASSERT_EQ(owner.result.vt(), VT_DISPATCH);
        EXPECT_EQ(owner.result->pdispVal, other.get());
    }
    obj->owner = nullptr;
    EXPECT_EQ(ref_count(other.get()), before);
    other = nullptr;
}

TEST_F(Coerce, ObjectWithoutTheInterfaceGivesTypeMismatch)
{
    com::ComPtr<ICreateErrorInfo> unrelated;
    ASSERT_EQ(CreateErrorInfo(unrelated.put()), S_OK);
    const ULONG before = ref_count(unrelated.get());
    {
        args a{vunknown(unrelated.get())};
        call c;
        invoke(c, disp.get(), 9, DISPATCH_METHOD, a);
        EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
        EXPECT_EQ(c.arg_error, 0u);
        EXPECT_EQ(obj->copied_to, nullptr);
    }
    EXPECT_EQ(ref_count(unrelated.get()), before);
    {
        args a{vi4(5)};
        call c;
        invoke(c, disp.get(), 0x23, DISPATCH_METHOD, a);
        EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH) << "a number is no object";
        EXPECT_EQ(c.arg_error, 0u);
    }
}

TEST_F(Coerce, NullObjectPassesAsNull)
{
    args a{vunknown(nullptr, VT_DISPATCH)};
    call c;
    invoke(c, disp.get(), 0x23, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.result.vt(), VT_BOOL);
    EXPECT_EQ(c.result->boolVal, VARIANT_FALSE);
}

TEST_F(Coerce, InterfaceResultsCarryOneReference)
{
    const ULONG before = ref_count(disp.get());
    {
        args none;
        call c;
        invoke(c, disp.get(), 0x26, DISPATCH_METHOD, none);
        ASSERT_EQ(c.hr, S_OK);
        ASSERT_EQ(c.result.vt(), VT_DISPATCH);
        EXPECT_TRUE(com::same_object(c.result->pdispVal, disp.get()));
        EXPECT_EQ(ref_count(disp.get()), before + 1);
        // The result is the second dual interface: its own table answers.
        args ping{vi4(1)};
        call pinged;
        invoke(pinged, c.result->pdispVal, 2, DISPATCH_METHOD, ping);
        EXPECT_EQ(pinged.result->lVal, 1001);
    }
    EXPECT_EQ(ref_count(disp.get()), before);
    // A dropped interface result is released.
    args none;
    EXPECT_EQ(disp->Invoke(0x26, IID_NULL, 0, DISPATCH_METHOD, none.params(), nullptr, nullptr,
                           nullptr),
              S_OK);
    EXPECT_EQ(ref_count(disp.get()), before);
}

TEST_F(Coerce, EveryScalarWidthReachesTheMethod)
{
    VARIANT big = vtyped(VT_I8);
    big.llVal = 5000000000LL;
    args a{vstr(u"1"), vi4(2), vi4(3), vi4(-4), vr8(0.25), big, vr8(0.5), vi4(8)};
    call c;
    invoke(c, disp.get(), 0x24, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.result->dblVal, 1 + 2 + 3 - 4 + 0.25 + 5000000000.0 + 0.5 + 8);

    args negative_byte{vi4(-1), vi4(2), vi4(3), vi4(4), vr8(0), vi4(0), vr8(0), vi4(0)};
    call d;
    invoke(d, disp.get(), 0x24, DISPATCH_METHOD, negative_byte);
    EXPECT_EQ(d.hr, DISP_E_OVERFLOW);
}

}  // namespace
