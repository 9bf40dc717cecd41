// SAFEARRAY: creation, bounds, element ownership, locks, copy and resize.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/safearray.h"
#include "tests/platform/test_support.h"

namespace {

// Stores a copy of `text`; the array copies BSTRs by their length prefix, so a real BSTR is passed.
HRESULT put_string(SAFEARRAY* a, LONG index, const char16_t* text)
{
    BSTR s = SysAllocString(text);
    HRESULT hr = SafeArrayPutElement(a, &index, s);
    SysFreeString(s);
    return hr;
}

BSTR string_at(SAFEARRAY* a, std::size_t cell) { return static_cast<BSTR*>(a->pvData)[cell]; }

LONG bound(SAFEARRAY* a, UINT dim, bool upper = false)
{
    LONG b = 12345;
    EXPECT_EQ(upper ? SafeArrayGetUBound(a, dim, &b) : SafeArrayGetLBound(a, dim, &b), S_OK);
    return b;
}

using SafeArrayTest = BstrLeakTest;

TEST(SafeArrayCreate, SetsSizesFeaturesAndVartype)
{
    constexpr USHORT V = FADF_HAVEVARTYPE;
    const struct {
        VARTYPE vt;
        UINT size;
        USHORT features;
    } cases[] = {
        {VT_I1, 1, V}, {VT_UI1, 1, V}, {VT_I2, 2, V}, {VT_UI2, 2, V}, {VT_BOOL, 2, V},
        {VT_I4, 4, V}, {VT_UI4, 4, V}, {VT_INT, 4, V}, {VT_R4, 4, V}, {VT_ERROR, 4, V},
        {VT_I8, 8, V}, {VT_UI8, 8, V}, {VT_R8, 8, V}, {VT_CY, 8, V}, {VT_DATE, 8, V},
        {VT_DECIMAL, 16, V}, {VT_BSTR, 8, V | FADF_BSTR}, {VT_UNKNOWN, 8, V | FADF_UNKNOWN},
        {VT_DISPATCH, 8, V | FADF_DISPATCH}, {VT_VARIANT, 24, V | FADF_VARIANT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vt);
        SAFEARRAYBOUND bounds{4, -2};
        SAFEARRAY* a = SafeArrayCreate(c.vt, 1, &bounds);
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

    SAFEARRAYBOUND one{1, 0};
    for (VARTYPE vt : {VARTYPE(VT_EMPTY), VARTYPE(VT_NULL), VARTYPE(15), VARTYPE(VT_RECORD),
                       VARTYPE(VT_VOID), VARTYPE(VT_ARRAY | VT_I4), VARTYPE(VT_BYREF | VT_I4)})
        EXPECT_EQ(SafeArrayCreate(vt, 1, &one), nullptr) << vt;
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &one), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 1, nullptr), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
}

TEST(SafeArrayBounds, ReportsBoundsAndRejectsBadDimensions)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_I4, 5, 3);
    EXPECT_EQ(bound(a, 1), 5);
    EXPECT_EQ(bound(a, 1, true), 7);
    LONG b = 99;
    EXPECT_EQ(SafeArrayGetLBound(a, 0, &b), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(a, 2, &b), DISP_E_BADINDEX);
    EXPECT_EQ(b, 99);
    EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, &b), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetLBound(a, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
    EXPECT_EQ(SafeArrayGetElemsize(nullptr), 0u);
    VARTYPE vt = 0;
    EXPECT_EQ(SafeArrayGetVartype(nullptr, &vt), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);

    SAFEARRAY* empty = SafeArrayCreateVector(VT_I4, 0, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(bound(empty, 1, true), -1);
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
    EXPECT_EQ(a->cLocks, 0u);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST_F(SafeArrayTest, StringAndVariantElementsAreCopiedInAndOut)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 0, 2);
    const char bytes[] = {'h', 0, 0, 0, 'i', 0};
    BSTR s = SysAllocStringByteLen(bytes, 6);
    LONG i = 0;
    ASSERT_EQ(SafeArrayPutElement(a, &i, s), S_OK);
    EXPECT_NE(string_at(a, 0), s);
    EXPECT_EQ(SysStringByteLen(string_at(a, 0)), 6u);
    SysFreeString(s);
    BSTR out = nullptr;
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out), S_OK);
    EXPECT_NE(out, string_at(a, 0));
    EXPECT_EQ(std::memcmp(out, bytes, 6), 0);
    SysFreeString(out);
    ASSERT_EQ(put_string(a, i, u"second"), S_OK);  // frees "h\0i"
    ASSERT_EQ(SafeArrayPutElement(a, &i, nullptr), S_OK);
    EXPECT_EQ(string_at(a, 0), nullptr);
    ASSERT_EQ(put_string(a, 1, u"left for destroy"), S_OK);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);

    a = SafeArrayCreateVector(VT_VARIANT, 1, 1);
    VARIANT v = variant_of(VT_BSTR, SysAllocString(u"in"));
    i = 1;
    ASSERT_EQ(SafeArrayPutElement(a, &i, &v), S_OK);
    VariantClear(&v);
    ASSERT_EQ(SafeArrayGetElement(a, &i, &v), S_OK);
    EXPECT_EQ(v.vt, VT_BSTR);
    EXPECT_EQ(com::bstr_view(v.bstrVal), u"in");
    VariantClear(&v);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST(SafeArrayElements, InterfacesAreCountedAndReleased)
{
    counted::CCounted* object = nullptr;
    ASSERT_EQ(com::make<counted::CCounted>(&object), S_OK);
    SAFEARRAY* a = SafeArrayCreateVector(VT_UNKNOWN, 0, 2);
    LONG i = 0;
    ASSERT_EQ(SafeArrayPutElement(a, &i, object), S_OK);
    EXPECT_EQ(object->refs(), 2u);
    ASSERT_EQ(SafeArrayPutElement(a, &i, object), S_OK);  // same object again: no leak
    EXPECT_EQ(object->refs(), 2u);
    IUnknown* out = nullptr;
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out), S_OK);
    EXPECT_EQ(object->refs(), 3u);
    out->Release();

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(a, &copy), S_OK);
    EXPECT_EQ(object->refs(), 3u);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    ASSERT_EQ(SafeArrayPutElement(a, &i, nullptr), S_OK);
    EXPECT_EQ(object->refs(), 1u);
    ASSERT_EQ(SafeArrayPutElement(a, &i, object), S_OK);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
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
    SAFEARRAYBOUND five{5, 0};
    EXPECT_EQ(SafeArrayRedim(a, &five), DISP_E_ARRAYISLOCKED);
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
    for (LONG i = 0; i < 3; ++i) ASSERT_EQ(put_string(a, i, u"s"), S_OK);
    const long with_three = com::bstr_live_count();
    SAFEARRAYBOUND smaller{1, 0};
    ASSERT_EQ(SafeArrayRedim(a, &smaller), S_OK);
    EXPECT_EQ(com::bstr_live_count(), with_three - 2);
    SAFEARRAYBOUND larger{4, 10};
    ASSERT_EQ(SafeArrayRedim(a, &larger), S_OK);
    EXPECT_EQ(bound(a, 1), 10);
    EXPECT_EQ(com::bstr_view(string_at(a, 0)), u"s");
    EXPECT_EQ(string_at(a, 1), nullptr);
    EXPECT_EQ(string_at(a, 3), nullptr);
    EXPECT_EQ(SafeArrayRedim(nullptr, &larger), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST_F(SafeArrayTest, CopyIsDeep)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 3, 2);
    ASSERT_EQ(put_string(a, 4, u"copy me"), S_OK);
    SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
    ASSERT_EQ(SafeArrayCopy(a, &copy), S_OK);
    ASSERT_NE(copy, a);
    EXPECT_EQ(bound(copy, 1), 3);
    VARTYPE vt = 0;
    EXPECT_EQ(SafeArrayGetVartype(copy, &vt), S_OK);
    EXPECT_EQ(vt, VT_BSTR);
    EXPECT_NE(string_at(a, 1), string_at(copy, 1));
    EXPECT_EQ(com::bstr_view(string_at(copy, 1)), u"copy me");
    EXPECT_EQ(string_at(copy, 0), nullptr);
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
    EXPECT_EQ(bound(a, 1), 1);
    EXPECT_EQ(bound(a, 2, true), 12);
    // Every cell written first, then every cell read back: a shared cell would show.
    for (LONG i = 1; i <= 2; ++i)
        for (LONG j = 10; j <= 12; ++j) {
            LONG at[2] = {i, j}, value = i * 100 + j;
            ASSERT_EQ(SafeArrayPutElement(a, at, &value), S_OK);
        }
    for (LONG i = 1; i <= 2; ++i)
        for (LONG j = 10; j <= 12; ++j) {
            LONG at[2] = {i, j}, value = 0;
            ASSERT_EQ(SafeArrayGetElement(a, at, &value), S_OK);
            EXPECT_EQ(value, i * 100 + j);
        }
    LONG first[2] = {1, 10}, second[2] = {2, 10};
    void *p1 = nullptr, *p2 = nullptr;
    SafeArrayPtrOfIndex(a, first, &p1);
    SafeArrayPtrOfIndex(a, second, &p2);
    EXPECT_EQ(static_cast<LONG*>(p2) - static_cast<LONG*>(p1), 1) << "first index varies fastest";
    LONG outside[2][2] = {{3, 10}, {1, 13}}, value = 0;
    for (LONG* at : outside) EXPECT_EQ(SafeArrayGetElement(a, at, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

}  // namespace
