// VariantInit, VariantClear, VariantCopy and VariantCopyInd: ownership, types and error codes.
#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include "platform/com/raii.h"
#include "platform/com/safearray.h"
#include "platform/com/variant.h"
#include "tests/platform/test_support.h"

namespace {

VARIANT bstr_variant(std::u16string_view text)
{
    return variant_of(VT_BSTR, SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// A vector of strings, as a VT_ARRAY | VT_BSTR variant.
VARIANT string_array(std::initializer_list<const char16_t*> texts)
{
    VARIANT v = variant_of(VT_ARRAY | VT_BSTR,
                           SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size())));
    LONG i = 0;
    for (const char16_t* text : texts) {
        BSTR s = SysAllocString(text);
        EXPECT_EQ(SafeArrayPutElement(v.parray, &i, s), S_OK);
        SysFreeString(s);
        ++i;
    }
    return v;
}

class VariantTest : public BstrLeakTest {
protected:
    void SetUp() override
    {
        BstrLeakTest::SetUp();
        ASSERT_EQ(com::make<counted::CCounted>(&tally_), S_OK);
        VariantInit(&dest_);
    }
    void TearDown() override
    {
        EXPECT_EQ(VariantClear(&dest_), S_OK);
        EXPECT_EQ(tally_->Release(), 0u);
        BstrLeakTest::TearDown();
    }
    counted::CCounted* tally_ = nullptr;
    VARIANT dest_;
};

TEST_F(VariantTest, ClearFreesOwnedValuesButNothingByReference)
{
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
    VARIANT v = bstr_variant(u"text");
    EXPECT_EQ(com::bstr_live_count(), live_ + 1);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);

    IUnknown* unknown = tally_;
    tally_->AddRef();
    v = variant_of(VT_UNKNOWN, static_cast<IUnknown*>(tally_));
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(tally_->refs(), 1u);
    v = variant_of(VT_UNKNOWN | VT_BYREF, &unknown);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(tally_->refs(), 1u);

    BSTR s = SysAllocString(u"kept");
    v = variant_of(VT_BSTR | VT_BYREF, &s);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(com::bstr_view(s), u"kept");
    SysFreeString(s);
}

TEST_F(VariantTest, ClearRefusesBadTypesLockedArraysAndTypedRecords)
{
    for (VARTYPE vt : {VARTYPE(15), VARTYPE(VT_VECTOR | VT_I4), VARTYPE(VT_VOID),
                       VARTYPE(VT_BYREF | VT_EMPTY), VARTYPE(VT_ARRAY | VT_NULL),
                       VARTYPE(VT_RESERVED | VT_I4), VARTYPE(VT_LPSTR), VARTYPE(0x7F)}) {
        VARIANT v;
        v.vt = vt;
        EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE) << vt;
        EXPECT_EQ(v.vt, vt) << "a failed clear must leave the variant alone";
    }

    VARIANT v = string_array({u"x", u"y"});
    ASSERT_EQ(SafeArrayLock(v.parray), S_OK);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_BSTR);
    ASSERT_EQ(SafeArrayUnlock(v.parray), S_OK);
    EXPECT_EQ(VariantClear(&v), S_OK);  // and frees the strings (fixture check)
    EXPECT_EQ(v.vt, VT_EMPTY);

    v.vt = VT_RECORD;
    v.brecVal.pvRecord = nullptr;
    v.brecVal.pRecInfo = reinterpret_cast<IRecordInfo*>(&v);
    EXPECT_EQ(VariantClear(&v), E_NOTIMPL);
    EXPECT_EQ(v.vt, VT_RECORD);
    v.brecVal.pRecInfo = nullptr;
    EXPECT_EQ(VariantClear(&v), S_OK);
}

TEST_F(VariantTest, CopyDuplicatesStringsInterfacesAndArrays)
{
    const char bytes[] = {'a', 0, 'b', 0, 0, 0, 'c'};
    VARIANT source = variant_of(VT_BSTR, SysAllocStringByteLen(bytes, 7));
    dest_ = bstr_variant(u"old");
    ASSERT_EQ(VariantCopy(&dest_, &source), S_OK);  // the old string is freed (fixture check)
    EXPECT_NE(dest_.bstrVal, source.bstrVal);
    EXPECT_EQ(SysStringByteLen(dest_.bstrVal), 7u) << "the byte length and zeros are kept";
    EXPECT_EQ(std::memcmp(dest_.bstrVal, bytes, 7), 0);
    BSTR before = source.bstrVal;
    EXPECT_EQ(VariantCopy(&source, &source), S_OK);
    EXPECT_EQ(source.bstrVal, before) << "copying a variant onto itself does nothing";
    VariantClear(&source);

    source = variant_of(VT_UNKNOWN, static_cast<IUnknown*>(tally_));
    ASSERT_EQ(VariantCopy(&dest_, &source), S_OK);
    EXPECT_EQ(dest_.punkVal, tally_);
    EXPECT_EQ(tally_->refs(), 2u);

    LONG value = 9;
    source = variant_of(VT_I4 | VT_BYREF, &value);
    ASSERT_EQ(VariantCopy(&dest_, &source), S_OK);
    EXPECT_EQ(tally_->refs(), 1u);
    EXPECT_EQ(dest_.vt, VT_I4 | VT_BYREF);
    EXPECT_EQ(dest_.plVal, &value) << "a reference copies the pointer only";

    source = string_array({u"deep"});
    ASSERT_EQ(VariantCopy(&dest_, &source), S_OK);
    ASSERT_NE(dest_.parray, source.parray);
    BSTR copied = static_cast<BSTR*>(dest_.parray->pvData)[0];
    EXPECT_NE(copied, static_cast<BSTR*>(source.parray->pvData)[0]);
    EXPECT_EQ(com::bstr_view(copied), u"deep");
    VariantClear(&source);
}

TEST_F(VariantTest, CopyRefusesBadTypesAndKeepsTheDestination)
{
    dest_ = bstr_variant(u"kept");
    VARIANT source;
    for (VARTYPE vt : {VARTYPE(15), VARTYPE(VT_CLSID)}) {
        source.vt = vt;
        EXPECT_EQ(VariantCopy(&dest_, &source), DISP_E_BADVARTYPE) << vt;
    }
    EXPECT_EQ(com::bstr_view(dest_.bstrVal), u"kept");

    VARIANT bad_dest;
    bad_dest.vt = VT_VOID;
    EXPECT_EQ(VariantCopy(&bad_dest, &dest_), DISP_E_BADVARTYPE);
    EXPECT_EQ(bad_dest.vt, VT_VOID);
    EXPECT_EQ(VariantCopy(nullptr, &dest_), E_INVALIDARG);
}

TEST_F(VariantTest, CopyIndDereferencesValuesStringsInterfacesAndArrays)
{
    LONG value = -3;
    double real = 2.5;
    VARIANT source = variant_of(VT_I4 | VT_BYREF, &value);
    ASSERT_EQ(VariantCopyInd(&dest_, &source), S_OK);
    EXPECT_EQ(shown(dest_), "I4 -3");
    source = variant_of(VT_R8 | VT_BYREF, &real);
    ASSERT_EQ(VariantCopyInd(&dest_, &source), S_OK);
    EXPECT_EQ(shown(dest_), "R8 2.5");

    BSTR s = SysAllocString(u"ref");
    source = variant_of(VT_BSTR | VT_BYREF, &s);
    ASSERT_EQ(VariantCopyInd(&dest_, &source), S_OK);
    EXPECT_EQ(dest_.vt, VT_BSTR);
    EXPECT_NE(dest_.bstrVal, s);
    EXPECT_EQ(com::bstr_view(dest_.bstrVal), u"ref");
    SysFreeString(s);

    SAFEARRAY* a = SafeArrayCreateVector(VT_I4, 0, 3);
    source = variant_of(VT_ARRAY | VT_I4 | VT_BYREF, &a);
    ASSERT_EQ(VariantCopyInd(&dest_, &source), S_OK);
    EXPECT_EQ(dest_.vt, VT_ARRAY | VT_I4);
    EXPECT_NE(dest_.parray, a);
    EXPECT_EQ(dest_.parray->rgsabound[0].cElements, 3u);
    SafeArrayDestroy(a);

    source = bstr_variant(u"plain");
    ASSERT_EQ(VariantCopyInd(&dest_, &source), S_OK) << "a value acts as VariantCopy";
    EXPECT_NE(dest_.bstrVal, source.bstrVal);
    EXPECT_EQ(com::bstr_view(dest_.bstrVal), u"plain");
    VariantClear(&source);

    IUnknown* unknown = tally_;
    source = variant_of(VT_UNKNOWN | VT_BYREF, &unknown);
    ASSERT_EQ(VariantCopyInd(&source, &source), S_OK);  // in place
    EXPECT_EQ(source.vt, VT_UNKNOWN);
    EXPECT_EQ(tally_->refs(), 2u);
    VariantClear(&source);
}

TEST_F(VariantTest, CopyIndFollowsOneVariantReferenceAndRefusesBadOnes)
{
    VARIANT inner = bstr_variant(u"inner");
    VARIANT outer = variant_of(VT_VARIANT | VT_BYREF, &inner);
    ASSERT_EQ(VariantCopyInd(&dest_, &outer), S_OK);
    EXPECT_EQ(shown(dest_), "BSTR inner");
    VariantClear(&dest_);

    VARIANT twice = variant_of(VT_VARIANT | VT_BYREF, &outer);
    EXPECT_EQ(VariantCopyInd(&dest_, &twice), E_INVALIDARG);
    EXPECT_EQ(dest_.vt, VT_EMPTY);
    VariantClear(&inner);

    dest_ = variant_of(VT_I2, SHORT{77});
    LONG value = 1;
    VARIANT source;
    const struct {
        VARTYPE vt;
        LONG* target;
    } bad[] = {{VT_I4 | VT_BYREF, nullptr}, {VT_VARIANT | VT_BYREF, nullptr},
               {VT_NULL | VT_BYREF, &value}, {VT_VOID | VT_BYREF, &value}};
    for (const auto& b : bad) {
        source = variant_of(b.vt, b.target);
        EXPECT_EQ(VariantCopyInd(&dest_, &source), E_INVALIDARG) << b.vt;
    }
    EXPECT_EQ(shown(dest_), "I2 77");
}

}  // namespace
