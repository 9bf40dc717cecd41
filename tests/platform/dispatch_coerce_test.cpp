// How Invoke converts arguments for each parameter type, and that interface and string
// arguments and results leave no reference or string behind.
#include <gtest/gtest.h>

#include "tests/platform/dispatch_test_object.h"

namespace {

using namespace dispatch_test;

class Coerce : public DispatchTest {
protected:
    HRESULT put(DISPID id, VARIANT value)
    {
        args a = std::move(args{value}.put());
        return disp->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, a.params(), nullptr, nullptr,
                            nullptr);
    }
    call get(DISPID id) { return invoke(disp.get(), id, DISPATCH_PROPERTYGET, args{}); }
};

TEST_F(Coerce, ArgumentsForLongParametersAreConvertedOrReadThroughTheirReference)
{
    LONG width = 9;
    VARIANT inner = vstr(u"12");
    call c = invoke(disp.get(), 1, DISPATCH_METHOD,
                    args{vstr(u"42"), vbyref(VT_VARIANT, &inner), vbyref(VT_I4, &width), vi2(-4)});
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(obj->position(), (std::vector<LONG>{42, 12, 9, -4}));
    VariantClear(&inner);
}

TEST_F(Coerce, ValuesThatDoNotConvertGiveTypeMismatchOrOverflow)
{
    struct case_ {
        const char* what;
        DISPID id;
        std::vector<VARIANT> natural;
        bool is_put;
        HRESULT hr;
        UINT arg_error;
    };
    std::vector<case_> cases;
    cases.push_back({"no number for a LONG", 1, {vi4(1), vi4(2), vi4(3), vstr(u"abc")}, false,
                     DISP_E_TYPEMISMATCH, 0});
    cases.push_back({"too big for a SHORT", 4, {vi4(100000)}, true, DISP_E_OVERFLOW, kNoArg});
    cases.push_back({"negative for an OLE_COLOR: only a VT_I4 keeps its bits", 0x15, {vi2(-1)},
                     true, DISP_E_OVERFLOW, kNoArg});
    cases.push_back({"negative for a BYTE", 0x24,
                     {vi4(-1), vi4(2), vi4(3), vi4(4), vr8(0), vi4(0), vr8(0), vi4(0)}, false,
                     DISP_E_OVERFLOW, kNoArg});
    cases.push_back({"a number is no object", 0x23, {vi4(5)}, false, DISP_E_TYPEMISMATCH, 0});
    for (case_& k : cases) {
        SCOPED_TRACE(k.what);
        args a(k.natural);
        if (k.is_put) a.put();
        call c = invoke(disp.get(), k.id, k.is_put ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD, a);
        EXPECT_EQ(c.hr, k.hr);
        EXPECT_EQ(c.arg_error, k.arg_error);
        EXPECT_EQ(obj->calls + obj->inclination, 0);
        EXPECT_EQ(obj->colour, 0u);
    }
}

TEST_F(Coerce, PropertiesTakeConvertedValuesAndReportTheirOwnType)
{
    VARIANT ui4 = vtyped(VT_UI4);
    ui4.ulVal = 0x80FF00u;
    struct case_ {
        DISPID id;
        VARIANT given;
        VARTYPE reported;
        bool (*stored)(const CDispatchTest&);
    };
    const case_ cases[] = {
        {4, vbool(true), VT_I2, [](const CDispatchTest& o) { return o.inclination == -1; }},
        {0x17, vi4(3), VT_R8, [](const CDispatchTest& o) { return o.scale == 3.0; }},
        {0x16, vr8(0.25), VT_R4, [](const CDispatchTest& o) { return o.opacity == 0.25f; }},
        {0x18, vi4(5), VT_BOOL, [](const CDispatchTest& o) { return o.visible == VARIANT_TRUE; }},
        {0x21, vr8(2.5), VT_DATE, [](const CDispatchTest& o) { return o.created == 2.5; }},
        {0x22, vi4(3), VT_CY, [](const CDispatchTest& o) { return o.amount.int64 == 30000; }},
        {6, vi2(2), VT_I4, [](const CDispatchTest& o) { return o.shape == dtsSquare; }},
        // An OLE_COLOR takes the bits of a VT_I4 and reports them back as VT_UI4.
        {0x15, vi4(-1), VT_UI4, [](const CDispatchTest& o) { return o.colour == 0xFFFFFFFFu; }},
        {0x15, ui4, VT_UI4, [](const CDispatchTest& o) { return o.colour == 0x80FF00u; }},
        {0x15, vstr(u"255"), VT_UI4, [](const CDispatchTest& o) { return o.colour == 255u; }},
        // Other types go into a string through a temporary, which TearDown sees freed.
        {7, vi4(42), VT_BSTR, [](const CDispatchTest& o) { return o.description == u"42"; }},
        {7, vbool(true), VT_BSTR, [](const CDispatchTest& o) { return o.description == u"-1"; }},
        {7, vtyped(VT_EMPTY), VT_BSTR,
         [](const CDispatchTest& o) { return o.description.empty(); }},
        // A VARIANT parameter gets a copy.
        {0x19, vstr(u"tagged"), VT_BSTR,
         [](const CDispatchTest& o) {
             return o.tag.vt() == VT_BSTR && com::bstr_view(o.tag->bstrVal) == u"tagged";
         }},
    };
    for (const case_& k : cases) {
        SCOPED_TRACE(k.id);
        ASSERT_EQ(put(k.id, k.given), S_OK);
        EXPECT_TRUE(k.stored(*obj));
        call c = get(k.id);
        ASSERT_EQ(c.hr, S_OK);
        EXPECT_EQ(c.result.vt(), k.reported);
    }
    ASSERT_EQ(put(0x15, vi4(-1)), S_OK);
    call colour = get(0x15);
    EXPECT_EQ(colour.result->ulVal, 0xFFFFFFFFu);
    call tag = get(0x19);
    EXPECT_EQ(shown(tag.result), "BSTR tagged");
    obj->tag = com::Variant();
}

TEST_F(Coerce, ColourArgumentAndResultOfAMethodKeepTheirBits)
{
    call c = invoke(disp.get(), 0x1C, DISPATCH_METHOD, args{vi4(-1), vr8(0.1)});
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_EQ(shown(c.result), "UI4 4278190080");
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

TEST_F(Coerce, InterfaceArgumentsAreReleasedAfterTheCall)
{
    com::ComPtr<IDispatch> other;
    CDispatchTest* other_obj = nullptr;
    ASSERT_EQ(make_test_object(&other, &other_obj), S_OK);
    other_obj->left = 3;
    const ULONG before = references(other.get());

    // CopyTo(IDispatchTestBase*): asked for the interface, released afterwards.
    args a{vunknown(other.get(), VT_DISPATCH)};
    call c = invoke(disp.get(), 9, DISPATCH_METHOD, a);
    ASSERT_EQ(c.hr, S_OK);
    EXPECT_NE(obj->copied_to, nullptr);
    EXPECT_EQ(other_obj->left, obj->left);
    EXPECT_EQ(references(other.get()), before + 1) << "only the argument's own reference";
    VariantClear(&a[0]);
    EXPECT_EQ(references(other.get()), before);

    // SetParent(IUnknown*) keeps one reference, which goes when the parent is dropped.
    {
        call set = invoke(disp.get(), 0x1B, DISPATCH_METHOD,
                          args{vunknown(other.get(), VT_DISPATCH)});
        ASSERT_EQ(set.hr, S_OK);
    }
    EXPECT_EQ(references(other.get()), before + 1);
    obj->parent = nullptr;
    EXPECT_EQ(references(other.get()), before);

    // putref Owner(IDispatch*), then the get hands out a new reference.
    {
        args r = std::move(args{vunknown(other.get(), VT_DISPATCH)}.put());
        call set = invoke(disp.get(), 0x1A, DISPATCH_PROPERTYPUTREF, r);
        ASSERT_EQ(set.hr, S_OK);
        call owner = get(0x1A);
        ASSERT_EQ(owner.hr, S_OK);
        ASSERT_EQ(owner.result.vt(), VT_DISPATCH);
        EXPECT_EQ(owner.result->pdispVal, other.get());
    }
    obj->owner = nullptr;
    EXPECT_EQ(references(other.get()), before);
    other = nullptr;
}

TEST_F(Coerce, ObjectWithoutTheInterfaceGivesTypeMismatchAndNullPassesAsNull)
{
    com::ComPtr<ICreateErrorInfo> unrelated;
    ASSERT_EQ(CreateErrorInfo(unrelated.put()), S_OK);
    const ULONG before = references(unrelated.get());
    {
        call c = invoke(disp.get(), 9, DISPATCH_METHOD, args{vunknown(unrelated.get())});
        EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
        EXPECT_EQ(c.arg_error, 0u);
        EXPECT_EQ(obj->copied_to, nullptr);
    }
    EXPECT_EQ(references(unrelated.get()), before);

    call null = invoke(disp.get(), 0x23, DISPATCH_METHOD, args{vunknown(nullptr, VT_DISPATCH)});
    ASSERT_EQ(null.hr, S_OK) << "a null object passes as null";
    EXPECT_EQ(shown(null.result), "BOOL 0");
}

TEST_F(Coerce, InterfaceResultsCarryOneReference)
{
    const ULONG before = references(disp.get());
    {
        args none;
        call c = invoke(disp.get(), 0x26, DISPATCH_METHOD, none);
        ASSERT_EQ(c.hr, S_OK);
        ASSERT_EQ(c.result.vt(), VT_DISPATCH);
        EXPECT_TRUE(com::same_object(c.result->pdispVal, disp.get()));
        EXPECT_EQ(references(disp.get()), before + 1);
        // The result is the second dual interface: its own table answers.
        call pinged = invoke(c.result->pdispVal, 2, DISPATCH_METHOD, args{vi4(1)});
        EXPECT_EQ(pinged.result->lVal, 1001);
    }
    EXPECT_EQ(references(disp.get()), before);
    // A dropped interface result is released.
    args none;
    EXPECT_EQ(disp->Invoke(0x26, IID_NULL, 0, DISPATCH_METHOD, none.params(), nullptr, nullptr,
                           nullptr),
              S_OK);
    EXPECT_EQ(references(disp.get()), before);
}

}  // namespace
