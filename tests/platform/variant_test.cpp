// VariantInit, VariantClear, VariantCopy and VariantCopyInd: ownership, types and error codes.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/object.h"
#include "platform/com/raii.h"
#include "platform/com/safearray.h"
#include "platform/com/variant.h"

namespace {

// Stores a copy of `text`; the array copies BSTRs by their length prefix, so a real BSTR is passed.
HRESULT put_string(SAFEARRAY* a, LONG index, const char16_t* text)
{
    BSTR s = SysAllocString(text);
    HRESULT hr = SafeArrayPutElement(a, &index, s);
    SysFreeString(s);
    return hr;
}

struct ITally : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2C0001-0000-4000-8000-0000000000B1}");
    using base = IUnknown;
    virtual ULONG Count() noexcept = 0;
};

class CTally : public com::object_root<CTally, ITally> {
public:
    ULONG Count() noexcept override { return ref_count_; }
};

ITally* make_tally()
{
    ITally* t = nullptr;
    EXPECT_EQ(com::make<CTally>(&t), S_OK);
    return t;
}

VARIANT bstr_variant(std::u16string_view text)
{
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}

class VariantTest : public ::testing::Test {
protected:
    void SetUp() override { live_ = com::bstr_live_count(); }
    void TearDown() override { EXPECT_EQ(com::bstr_live_count(), live_) << "a BSTR leaked"; }
    long live_ = 0;
};

using VariantClearTest = VariantTest;
using VariantCopyTest = VariantTest;
using VariantCopyIndTest = VariantTest;

TEST(VariantInit, SetsEmptyAndToleratesNull)
{
    VARIANT v;
    v.vt = VT_I4;
    VariantInit(&v);
    EXPECT_EQ(v.vt, VT_EMPTY);
    VariantInit(nullptr);
}

TEST_F(VariantClearTest, NullPointerIsInvalidArg) { EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG); }

TEST_F(VariantClearTest, FreesStringAndLeavesEmpty)
{
    VARIANT v = bstr_variant(u"text");
    EXPECT_EQ(com::bstr_live_count(), live_ + 1);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST_F(VariantClearTest, ReleasesInterfaceButNotByReference)
{
    ITally* t = make_tally();
    IUnknown* unknown = t;
    t->AddRef();
    VARIANT v;
    v.vt = VT_UNKNOWN;
    v.punkVal = t;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(t->Count(), 1u);

    v.vt = VT_UNKNOWN | VT_BYREF;
    v.ppunkVal = &unknown;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(t->Count(), 1u);
    EXPECT_EQ(t->Release(), 0u);
}

TEST_F(VariantClearTest, ByReferenceStringIsNotFreed)
{
    BSTR s = SysAllocString(u"kept");
    VARIANT v;
    v.vt = VT_BSTR | VT_BYREF;
    v.pbstrVal = &s;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(com::bstr_view(s), u"kept");
    SysFreeString(s);
}

TEST_F(VariantClearTest, TypesNoVariantCanHoldAreBadVarType)
{
    for (VARTYPE vt : {VARTYPE(15), VARTYPE(VT_VECTOR | VT_I4), VARTYPE(VT_VOID),
                       VARTYPE(VT_BYREF | VT_EMPTY), VARTYPE(VT_ARRAY | VT_NULL),
                       VARTYPE(VT_RESERVED | VT_I4), VARTYPE(VT_LPSTR), VARTYPE(0x7F)}) {
        VARIANT v;
        v.vt = vt;
        EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE) << vt;
        EXPECT_EQ(v.vt, vt) << "a failed clear must leave the variant alone";
    }
}

TEST_F(VariantClearTest, DestroysArrayAndRefusesLockedOne)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 0, 2);
    LONG i = 1;
    ASSERT_EQ(put_string(a, i, u"x"), S_OK);
    VARIANT v;
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = a;
    ASSERT_EQ(SafeArrayLock(a), S_OK);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_BSTR);
    ASSERT_EQ(SafeArrayUnlock(a), S_OK);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST_F(VariantClearTest, RecordWithTypeInformationIsNotImplemented)
{
    VARIANT v;
    v.vt = VT_RECORD;
    v.brecVal.pvRecord = nullptr;
    v.brecVal.pRecInfo = reinterpret_cast<IRecordInfo*>(&v);
    EXPECT_EQ(VariantClear(&v), E_NOTIMPL);
    EXPECT_EQ(v.vt, VT_RECORD);
    v.brecVal.pRecInfo = nullptr;
    EXPECT_EQ(VariantClear(&v), S_OK);
}

TEST_F(VariantCopyTest, StringKeepsByteLengthAndEmbeddedZeros)
{
    const char bytes[] = {'a', 0, 'b', 0, 0, 0, 'c'};
    VARIANT source;
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocStringByteLen(bytes, 7);
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopy(&dest, &source), S_OK);
    EXPECT_EQ(dest.vt, VT_BSTR);
    EXPECT_NE(dest.bstrVal, source.bstrVal);
    EXPECT_EQ(SysStringByteLen(dest.bstrVal), 7u);
    EXPECT_EQ(std::memcmp(dest.bstrVal, bytes, 7), 0);
    VariantClear(&dest);
    VariantClear(&source);
}

TEST_F(VariantCopyTest, ClearsDestinationFirst)
{
    VARIANT dest = bstr_variant(u"old");
    VARIANT source;
    source.vt = VT_I4;
    source.lVal = 5;
    EXPECT_EQ(VariantCopy(&dest, &source), S_OK);
    EXPECT_EQ(dest.vt, VT_I4);
    EXPECT_EQ(dest.lVal, 5);  // and the old string was freed (fixture check)
}

TEST_F(VariantCopyTest, SameVariantIsNoOp)
{
    VARIANT v = bstr_variant(u"self");
    BSTR before = v.bstrVal;
    EXPECT_EQ(VariantCopy(&v, &v), S_OK);
    EXPECT_EQ(v.bstrVal, before);
    VariantClear(&v);
}

TEST_F(VariantCopyTest, InterfaceIsAddRefed)
{
    ITally* t = make_tally();
    VARIANT source;
    source.vt = VT_UNKNOWN;
    source.punkVal = t;
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopy(&dest, &source), S_OK);
    EXPECT_EQ(dest.punkVal, t);
    EXPECT_EQ(t->Count(), 2u);
    VariantClear(&dest);
    EXPECT_EQ(t->Release(), 0u);
}

TEST_F(VariantCopyTest, ByReferenceCopiesThePointerOnly)
{
    LONG value = 9;
    VARIANT source;
    source.vt = VT_I4 | VT_BYREF;
    source.plVal = &value;
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopy(&dest, &source), S_OK);
    EXPECT_EQ(dest.vt, VT_I4 | VT_BYREF);
    EXPECT_EQ(dest.plVal, &value);
}

TEST_F(VariantCopyTest, ArrayIsCopiedDeeply)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 0, 1);
    LONG i = 0;
    ASSERT_EQ(put_string(a, i, u"deep"), S_OK);
    VARIANT source;
    source.vt = VT_ARRAY | VT_BSTR;
    source.parray = a;
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopy(&dest, &source), S_OK);
    ASSERT_NE(dest.parray, a);
    BSTR original = static_cast<BSTR*>(a->pvData)[0];
    BSTR copied = static_cast<BSTR*>(dest.parray->pvData)[0];
    EXPECT_NE(copied, original);
    EXPECT_EQ(com::bstr_view(copied), u"deep");
    VariantClear(&dest);
    VariantClear(&source);
}

TEST_F(VariantCopyTest, BadTypesAreRefusedAndDestinationKept)
{
    VARIANT dest = bstr_variant(u"kept");
    VARIANT source;
    source.vt = 15;
    EXPECT_EQ(VariantCopy(&dest, &source), DISP_E_BADVARTYPE);
    source.vt = VT_CLSID;
    EXPECT_EQ(VariantCopy(&dest, &source), DISP_E_BADVARTYPE);
    EXPECT_EQ(dest.vt, VT_BSTR);
    EXPECT_EQ(com::bstr_view(dest.bstrVal), u"kept");
    VariantClear(&dest);

    VARIANT bad_dest;
    bad_dest.vt = VT_VOID;
    VARIANT good = bstr_variant(u"x");
    EXPECT_EQ(VariantCopy(&bad_dest, &good), DISP_E_BADVARTYPE);
    EXPECT_EQ(bad_dest.vt, VT_VOID);
    VariantClear(&good);
    EXPECT_EQ(VariantCopy(nullptr, &good), E_INVALIDARG);
}

TEST_F(VariantCopyIndTest, DereferencesPlainValues)
{
    LONG value = -3;
    double real = 2.5;
    VARIANT source;
    source.vt = VT_I4 | VT_BYREF;
    source.plVal = &value;
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopyInd(&dest, &source), S_OK);
    EXPECT_EQ(dest.vt, VT_I4);
    EXPECT_EQ(dest.lVal, -3);
    source.vt = VT_R8 | VT_BYREF;
    source.pdblVal = &real;
    ASSERT_EQ(VariantCopyInd(&dest, &source), S_OK);
    EXPECT_EQ(dest.vt, VT_R8);
    EXPECT_EQ(dest.dblVal, 2.5);
}

TEST_F(VariantCopyIndTest, CopiesReferencedStringAndInterface)
{
    BSTR s = SysAllocString(u"ref");
    VARIANT source;
    source.vt = VT_BSTR | VT_BYREF;
    source.pbstrVal = &s;
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopyInd(&dest, &source), S_OK);
    EXPECT_EQ(dest.vt, VT_BSTR);
    EXPECT_NE(dest.bstrVal, s);
    EXPECT_EQ(com::bstr_view(dest.bstrVal), u"ref");
    VariantClear(&dest);
    SysFreeString(s);

    ITally* t = make_tally();
    IUnknown* unknown = t;
    source.vt = VT_UNKNOWN | VT_BYREF;
    source.ppunkVal = &unknown;
    ASSERT_EQ(VariantCopyInd(&source, &source), S_OK);  // in place
    EXPECT_EQ(source.vt, VT_UNKNOWN);
    EXPECT_EQ(t->Count(), 2u);
    VariantClear(&source);
    EXPECT_EQ(t->Release(), 0u);
}

TEST_F(VariantCopyIndTest, VariantReferenceIsFollowedOneLevel)
{
    VARIANT inner = bstr_variant(u"inner");
    VARIANT outer;
    outer.vt = VT_VARIANT | VT_BYREF;
    outer.pvarVal = &inner;
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopyInd(&dest, &outer), S_OK);
    EXPECT_EQ(dest.vt, VT_BSTR);
    EXPECT_EQ(com::bstr_view(dest.bstrVal), u"inner");
    VariantClear(&dest);

    VARIANT twice;
    twice.vt = VT_VARIANT | VT_BYREF;
    twice.pvarVal = &outer;
    EXPECT_EQ(VariantCopyInd(&dest, &twice), E_INVALIDARG);
    EXPECT_EQ(dest.vt, VT_EMPTY);
    VariantClear(&inner);
}

TEST_F(VariantCopyIndTest, NullOrInvalidReferenceIsInvalidArg)
{
    VARIANT dest;
    dest.vt = VT_I2;
    dest.iVal = 77;
    VARIANT source;
    source.vt = VT_I4 | VT_BYREF;
    source.plVal = nullptr;
    EXPECT_EQ(VariantCopyInd(&dest, &source), E_INVALIDARG);
    source.vt = VT_VARIANT | VT_BYREF;
    EXPECT_EQ(VariantCopyInd(&dest, &source), E_INVALIDARG);
    LONG value = 1;
    source.plVal = &value;
    source.vt = VT_NULL | VT_BYREF;
    EXPECT_EQ(VariantCopyInd(&dest, &source), E_INVALIDARG);
    source.vt = VT_VOID | VT_BYREF;
    EXPECT_EQ(VariantCopyInd(&dest, &source), E_INVALIDARG);
    EXPECT_EQ(dest.vt, VT_I2);
    EXPECT_EQ(dest.iVal, 77);
}

TEST_F(VariantCopyIndTest, ReferencedArrayIsCopied)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_I4, 0, 3);
    VARIANT source;
    source.vt = VT_ARRAY | VT_I4 | VT_BYREF;
    source.pparray = &a;
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopyInd(&dest, &source), S_OK);
    EXPECT_EQ(dest.vt, VT_ARRAY | VT_I4);
    EXPECT_NE(dest.parray, a);
    EXPECT_EQ(dest.parray->rgsabound[0].cElements, 3u);
    VariantClear(&dest);
    SafeArrayDestroy(a);
}

TEST_F(VariantCopyIndTest, ByValueSourceActsAsCopy)
{
    VARIANT source = bstr_variant(u"plain");
    VARIANT dest;
    VariantInit(&dest);
    ASSERT_EQ(VariantCopyInd(&dest, &source), S_OK);
    EXPECT_NE(dest.bstrVal, source.bstrVal);
    VariantClear(&dest);
    VariantClear(&source);
}

}  // namespace
