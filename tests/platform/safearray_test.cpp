// SAFEARRAY: creation, bounds, element ownership, locks, copy and resize.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/object.h"
#include "platform/com/safearray.h"

namespace {

// Stores a copy of `text`; the array copies BSTRs by their length prefix, so a real BSTR is passed.
HRESULT put_string(SAFEARRAY* a, LONG index, const char16_t* text)
{
    BSTR s = SysAllocString(text);
    HRESULT hr = SafeArrayPutElement(a, &index, s);
    SysFreeString(s);
    return hr;
}

struct ICounted : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2C0003-0000-4000-8000-0000000000B1}");
    using base = IUnknown;
    virtual ULONG Refs() noexcept = 0;
};

class CCounted : public com::object_root<CCounted, ICounted> {
public:
    ULONG Refs() noexcept override { return ref_count_; }
};

class SafeArrayTest : public ::testing::Test {
protected:
    void SetUp() override { live_ = com::bstr_live_count(); }
    void TearDown() override { EXPECT_EQ(com::bstr_live_count(), live_) << "a BSTR leaked"; }
    long live_ = 0;
};

TEST(SafeArrayCreate, SetsSizesFeaturesAndVartype)
{
    const struct {
        VARTYPE vt;
        UINT size;
        USHORT features;
    } cases[] = {
        {VT_I1, 1, FADF_HAVEVARTYPE},       {VT_UI1, 1, FADF_HAVEVARTYPE},
        {VT_I2, 2, FADF_HAVEVARTYPE},       {VT_UI2, 2, FADF_HAVEVARTYPE},
        {VT_BOOL, 2, FADF_HAVEVARTYPE},     {VT_I4, 4, FADF_HAVEVARTYPE},
        {VT_UI4, 4, FADF_HAVEVARTYPE},      {VT_INT, 4, FADF_HAVEVARTYPE},
        {VT_R4, 4, FADF_HAVEVARTYPE},       {VT_ERROR, 4, FADF_HAVEVARTYPE},
        {VT_I8, 8, FADF_HAVEVARTYPE},       {VT_UI8, 8, FADF_HAVEVARTYPE},
        {VT_R8, 8, FADF_HAVEVARTYPE},       {VT_CY, 8, FADF_HAVEVARTYPE},
        {VT_DATE, 8, FADF_HAVEVARTYPE},     {VT_DECIMAL, 16, FADF_HAVEVARTYPE},
        {VT_BSTR, 8, FADF_HAVEVARTYPE | FADF_BSTR},
        {VT_UNKNOWN, 8, FADF_HAVEVARTYPE | FADF_UNKNOWN},
        {VT_DISPATCH, 8, FADF_HAVEVARTYPE | FADF_DISPATCH},
        {VT_VARIANT, 24, FADF_HAVEVARTYPE | FADF_VARIANT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vt);
        SAFEARRAYBOUND bound{4, -2};
        SAFEARRAY* a = SafeArrayCreate(c.vt, 1, &bound);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(SafeArrayGetDim(a), 1u);
        EXPECT_EQ(SafeArrayGetElemsize(a), c.size);
        EXPECT_EQ(a->fFeatures, c.features);
        VARTYPE vt = 0;
        EXPECT_EQ(SafeArrayGetVartype(a, &vt), S_OK);
        EXPECT_EQ(vt, c.vt);
        EXPECT_NE(a->pvData, nullptr);
        EXPECT_EQ(SafeArrayDestroy(a), S_OK);
    }
}

TEST(SafeArrayCreate, RefusesTypesWithoutElements)
{
    SAFEARRAYBOUND bound{1, 0};
    for (VARTYPE vt : {VARTYPE(VT_EMPTY), VARTYPE(VT_NULL), VARTYPE(15), VARTYPE(VT_RECORD),
                       VARTYPE(VT_VOID), VARTYPE(VT_ARRAY | VT_I4), VARTYPE(VT_BYREF | VT_I4)})
        EXPECT_EQ(SafeArrayCreate(vt, 1, &bound), nullptr) << vt;
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 1, nullptr), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
}

TEST(SafeArrayBounds, ReportsBoundsAndRejectsBadDimensions)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_I4, 5, 3);
    LONG lower = 0, upper = 0;
    EXPECT_EQ(SafeArrayGetLBound(a, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(a, 1, &upper), S_OK);
    EXPECT_EQ(lower, 5);
    EXPECT_EQ(upper, 7);
    lower = 99;
    EXPECT_EQ(SafeArrayGetLBound(a, 0, &lower), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(a, 2, &lower), DISP_E_BADINDEX);
    EXPECT_EQ(lower, 99);
    EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, &lower), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetLBound(a, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
    EXPECT_EQ(SafeArrayGetElemsize(nullptr), 0u);
    VARTYPE vt = 0;
    EXPECT_EQ(SafeArrayGetVartype(nullptr, &vt), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);

    SAFEARRAY* empty = SafeArrayCreateVector(VT_I4, 0, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SafeArrayGetUBound(empty, 1, &upper), S_OK);
    EXPECT_EQ(upper, -1);
    EXPECT_EQ(SafeArrayDestroy(empty), S_OK);
}

TEST(SafeArrayElements, PutAndGetCheckIndices)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_I4, 5, 3);
    for (LONG i = 5; i < 8; ++i) {
        LONG value = i * 10;
        EXPECT_EQ(SafeArrayPutElement(a, &i, &value), S_OK);
    }
    LONG index = 6, out = 0;
    EXPECT_EQ(SafeArrayGetElement(a, &index, &out), S_OK);
    EXPECT_EQ(out, 60);
    for (LONG bad : {4, 8, -1}) {
        out = 1234;
        EXPECT_EQ(SafeArrayGetElement(a, &bad, &out), DISP_E_BADINDEX) << bad;
        EXPECT_EQ(out, 1234);
        EXPECT_EQ(SafeArrayPutElement(a, &bad, &out), DISP_E_BADINDEX) << bad;
    }
    EXPECT_EQ(SafeArrayPutElement(a, &index, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetElement(a, nullptr, &out), E_INVALIDARG);
    void* pointer = nullptr;
    ASSERT_EQ(SafeArrayPtrOfIndex(a, &index, &pointer), S_OK);
    EXPECT_EQ(pointer, static_cast<LONG*>(a->pvData) + 1);
    EXPECT_EQ(*static_cast<LONG*>(pointer), 60);
    EXPECT_EQ(a->cLocks, 0u);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST_F(SafeArrayTest, StringElementsAreCopiedInAndOut)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 0, 2);
    const char bytes[] = {'h', 0, 0, 0, 'i', 0};
    BSTR s = SysAllocStringByteLen(bytes, 6);
    LONG i = 0;
    ASSERT_EQ(SafeArrayPutElement(a, &i, s), S_OK);
    BSTR stored = static_cast<BSTR*>(a->pvData)[0];
    EXPECT_NE(stored, s);
    EXPECT_EQ(SysStringByteLen(stored), 6u);
    SysFreeString(s);

    BSTR out = nullptr;
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out), S_OK);
    EXPECT_NE(out, stored);
    EXPECT_EQ(std::memcmp(out, bytes, 6), 0);
    SysFreeString(out);

    ASSERT_EQ(put_string(a, i, u"second"), S_OK);  // frees "h\0i"
    ASSERT_EQ(SafeArrayPutElement(a, &i, nullptr), S_OK);
    EXPECT_EQ(static_cast<BSTR*>(a->pvData)[0], nullptr);
    i = 1;
    ASSERT_EQ(put_string(a, i, u"left for destroy"), S_OK);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST_F(SafeArrayTest, VariantElementsAreCopied)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_VARIANT, 1, 1);
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(u"in");
    LONG i = 1;
    ASSERT_EQ(SafeArrayPutElement(a, &i, &v), S_OK);
    VariantClear(&v);
    VARIANT out;
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out), S_OK);
    EXPECT_EQ(out.vt, VT_BSTR);
    EXPECT_EQ(com::bstr_view(out.bstrVal), u"in");
    VariantClear(&out);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST(SafeArrayElements, InterfacesAreCountedAndReleased)
{
    ICounted* object = nullptr;
    ASSERT_EQ(com::make<CCounted>(&object), S_OK);
    SAFEARRAY* a = SafeArrayCreateVector(VT_UNKNOWN, 0, 2);
    LONG i = 0;
    ASSERT_EQ(SafeArrayPutElement(a, &i, object), S_OK);
    EXPECT_EQ(object->Refs(), 2u);
    ASSERT_EQ(SafeArrayPutElement(a, &i, object), S_OK);  // same object again: no leak
    EXPECT_EQ(object->Refs(), 2u);
    IUnknown* out = nullptr;
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out), S_OK);
    EXPECT_EQ(object->Refs(), 3u);
    out->Release();

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(a, &copy), S_OK);
    EXPECT_EQ(object->Refs(), 3u);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    ASSERT_EQ(SafeArrayPutElement(a, &i, nullptr), S_OK);
    EXPECT_EQ(object->Refs(), 1u);
    ASSERT_EQ(SafeArrayPutElement(a, &i, object), S_OK);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
    EXPECT_EQ(object->Refs(), 1u);
    EXPECT_EQ(object->Release(), 0u);
}

TEST(SafeArrayLocks, LockedArrayCannotBeDestroyedOrResized)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_I4, 0, 2);
    EXPECT_EQ(SafeArrayUnlock(a), E_UNEXPECTED);
    ASSERT_EQ(SafeArrayLock(a), S_OK);
    ASSERT_EQ(SafeArrayLock(a), S_OK);
    EXPECT_EQ(a->cLocks, 2u);
    EXPECT_EQ(SafeArrayDestroy(a), DISP_E_ARRAYISLOCKED);
    SAFEARRAYBOUND bound{5, 0};
    EXPECT_EQ(SafeArrayRedim(a, &bound), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(a->rgsabound[0].cElements, 2u);
    EXPECT_EQ(SafeArrayUnlock(a), S_OK);
    EXPECT_EQ(SafeArrayUnlock(a), S_OK);
    EXPECT_EQ(SafeArrayLock(nullptr), E_INVALIDARG);

    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(a, &data), S_OK);
    EXPECT_EQ(data, a->pvData);
    EXPECT_EQ(SafeArrayDestroy(a), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(a), S_OK);
    EXPECT_EQ(SafeArrayAccessData(a, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

TEST_F(SafeArrayTest, RedimFreesRemovedElementsAndZeroesNewOnes)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 0, 3);
    for (LONG i = 0; i < 3; ++i)
        ASSERT_EQ(put_string(a, i, u"s"), S_OK);
    const long with_three = com::bstr_live_count();
    SAFEARRAYBOUND smaller{1, 0};
    ASSERT_EQ(SafeArrayRedim(a, &smaller), S_OK);
    EXPECT_EQ(com::bstr_live_count(), with_three - 2);
    SAFEARRAYBOUND larger{4, 10};
    ASSERT_EQ(SafeArrayRedim(a, &larger), S_OK);
    LONG lower = 0;
    SafeArrayGetLBound(a, 1, &lower);
    EXPECT_EQ(lower, 10);
    BSTR* items = static_cast<BSTR*>(a->pvData);
    EXPECT_EQ(com::bstr_view(items[0]), u"s");
    EXPECT_EQ(items[1], nullptr);
    EXPECT_EQ(items[3], nullptr);
    EXPECT_EQ(SafeArrayRedim(nullptr, &larger), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST_F(SafeArrayTest, CopyIsDeep)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 3, 2);
    LONG i = 4;
    ASSERT_EQ(put_string(a, i, u"copy me"), S_OK);
    SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
    ASSERT_EQ(SafeArrayCopy(a, &copy), S_OK);
    ASSERT_NE(copy, a);
    LONG lower = 0;
    SafeArrayGetLBound(copy, 1, &lower);
    EXPECT_EQ(lower, 3);
    VARTYPE vt = 0;
    EXPECT_EQ(SafeArrayGetVartype(copy, &vt), S_OK);
    EXPECT_EQ(vt, VT_BSTR);
    BSTR original = static_cast<BSTR*>(a->pvData)[1];
    BSTR copied = static_cast<BSTR*>(copy->pvData)[1];
    EXPECT_NE(original, copied);
    EXPECT_EQ(com::bstr_view(copied), u"copy me");
    EXPECT_EQ(static_cast<BSTR*>(copy->pvData)[0], nullptr);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);

    copy = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(SafeArrayCopy(nullptr, nullptr), E_INVALIDARG);
}

TEST(SafeArrayDimensions, TwoDimensionsAddressDistinctCells)
{
    SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 10}};
    SAFEARRAY* a = SafeArrayCreate(VT_I4, 2, bounds);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(SafeArrayGetDim(a), 2u);
    LONG lower = 0, upper = 0;
    SafeArrayGetLBound(a, 1, &lower);
    SafeArrayGetUBound(a, 2, &upper);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 12);
    for (LONG i = 1; i <= 2; ++i) {
        for (LONG j = 10; j <= 12; ++j) {
            LONG at[2] = {i, j};
            LONG value = i * 100 + j;
            ASSERT_EQ(SafeArrayPutElement(a, at, &value), S_OK);
        }
    }
    for (LONG i = 1; i <= 2; ++i) {
        for (LONG j = 10; j <= 12; ++j) {
            LONG at[2] = {i, j};
            LONG value = 0;
            ASSERT_EQ(SafeArrayGetElement(a, at, &value), S_OK);
            EXPECT_EQ(value, i * 100 + j);
        }
    }
    LONG first[2] = {1, 10}, second[2] = {2, 10};
    void *p1 = nullptr, *p2 = nullptr;
    SafeArrayPtrOfIndex(a, first, &p1);
    SafeArrayPtrOfIndex(a, second, &p2);
    EXPECT_EQ(static_cast<LONG*>(p2) - static_cast<LONG*>(p1), 1) << "first index varies fastest";
    LONG outside[2] = {3, 10};
    LONG value = 0;
    EXPECT_EQ(SafeArrayGetElement(a, outside, &value), DISP_E_BADINDEX);
    LONG outside_second[2] = {1, 13};
    EXPECT_EQ(SafeArrayGetElement(a, outside_second, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST_F(SafeArrayTest, VariantClearDestroysArrayOfStrings)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 0, 1);
    LONG i = 0;
    ASSERT_EQ(put_string(a, i, u"owned"), S_OK);
    VARIANT v;
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = a;
    EXPECT_EQ(VariantClear(&v), S_OK);
}

}  // namespace
