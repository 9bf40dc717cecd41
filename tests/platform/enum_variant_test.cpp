// The variant enumerator: Next, Skip, Reset and Clone over a snapshot, with BSTR and interface
// items coming back to the counts they started from.
#include <gtest/gtest.h>

#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/enum_variant.h"
#include "platform/com/raii.h"
#include "tests/platform/test_support.h"

namespace {

std::vector<com::Variant> numbers(std::initializer_list<LONG> values)
{
    std::vector<com::Variant> items;
    for (LONG v : values) items.push_back(com::Variant::from_i4(v));
    return items;
}

com::ComPtr<IEnumVARIANT> enumerate(const std::vector<com::Variant>& items)
{
    std::vector<VARIANT> array;  // shallow views; `items` keeps owning the values
    for (const com::Variant& item : items) array.push_back(*item.get());
    com::ComPtr<IEnumVARIANT> e;
    EXPECT_EQ(com::create_variant_enumerator(array.data(), static_cast<ULONG>(array.size()),
                                             e.put()),
              S_OK);
    return e;
}

// The next `n` items as I4 values (-1 for a slot left empty), checking the result code.
std::vector<LONG> next(IEnumVARIANT* e, ULONG n, HRESULT expected, ULONG expected_fetched)
{
    std::vector<VARIANT> slots(n);
    for (VARIANT& slot : slots) slot.vt = VT_BSTR;  // garbage that Next must overwrite
    ULONG fetched = 99;
    EXPECT_EQ(e->Next(n, slots.data(), &fetched), expected);
    EXPECT_EQ(fetched, expected_fetched);
    std::vector<LONG> values;
    for (VARIANT& slot : slots) {
        values.push_back(slot.vt == VT_I4 ? slot.lVal : slot.vt == VT_EMPTY ? -1 : -99);
        VariantClear(&slot);
    }
    return values;
}

TEST(VariantEnumerator, NextHandsOutTheItemsInOrderAndSFalseAtTheEndWithOrWithoutACount)
{
    com::ComPtr<IEnumVARIANT> e = enumerate(numbers({10, 20, 30}));
    EXPECT_EQ(next(e.get(), 2, S_OK, 2), (std::vector<LONG>{10, 20}));
    EXPECT_EQ(next(e.get(), 2, S_FALSE, 1), (std::vector<LONG>{30, -1}));
    EXPECT_EQ(next(e.get(), 1, S_FALSE, 0), (std::vector<LONG>{-1}));
    EXPECT_EQ(next(e.get(), 0, S_OK, 0), (std::vector<LONG>{}));

    // A null fetched count is accepted, null items are not.
    e = enumerate(numbers({1, 2, 3, 4}));
    VARIANT slots[3];
    EXPECT_EQ(e->Next(1, slots, nullptr), S_OK);
    EXPECT_EQ(slots[0].lVal, 1);
    EXPECT_EQ(e->Next(3, slots, nullptr), S_OK);
    EXPECT_EQ(slots[2].lVal, 4);
    EXPECT_EQ(e->Next(3, slots, nullptr), S_FALSE);
    ULONG fetched = 99;
    EXPECT_EQ(e->Next(2, nullptr, &fetched), E_INVALIDARG);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Next(0, nullptr, &fetched), S_OK);
}

TEST(VariantEnumerator, SkipStopsAtTheEndAndResetStartsAgain)
{
    com::ComPtr<IEnumVARIANT> e = enumerate(numbers({1, 2, 3}));
    EXPECT_EQ(e->Skip(2), S_OK);
    EXPECT_EQ(next(e.get(), 1, S_OK, 1), (std::vector<LONG>{3}));
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(0), S_OK);
    EXPECT_EQ(e->Skip(5), S_FALSE);
    EXPECT_EQ(next(e.get(), 1, S_FALSE, 0), (std::vector<LONG>{-1}));
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(next(e.get(), 3, S_OK, 3), (std::vector<LONG>{1, 2, 3}));
}

TEST(VariantEnumerator, CloneIsIndependentAtTheSamePositionAndOutlivesTheOriginal)
{
    const LONG locks = com::module_lock_count();
    {
        com::ComPtr<IEnumVARIANT> e = enumerate(numbers({1, 2, 3}));
        e->Skip(1);
        com::ComPtr<IEnumVARIANT> clone;
        ASSERT_EQ(e->Clone(clone.put()), S_OK);
        EXPECT_EQ(next(e.get(), 2, S_OK, 2), (std::vector<LONG>{2, 3}));
        e = nullptr;
        EXPECT_EQ(next(clone.get(), 1, S_OK, 1), (std::vector<LONG>{2}));
        EXPECT_EQ(clone->Clone(nullptr), E_POINTER);
    }
    EXPECT_EQ(com::module_lock_count(), locks);
}

TEST(VariantEnumerator, ItemsAreASnapshotOfTheSource)
{
    LONG value = 5;
    VARIANT items[2] = {variant_of(VT_BSTR, SysAllocString(u"before")),
                        variant_of(VT_I4 | VT_BYREF, &value)};
    com::ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(com::create_variant_enumerator(items, 2, e.put()), S_OK);
    SysReAllocString(&items[0].bstrVal, u"after");
    value = 6;
    com::Variant first, second;
    EXPECT_EQ(e->Next(1, first.put(), nullptr), S_OK);
    EXPECT_EQ(e->Next(1, second.put(), nullptr), S_OK);
    EXPECT_EQ(com::bstr_view(first->bstrVal), u"before");
    EXPECT_EQ(shown(second), "I4 5") << "a by-reference item is copied as its value";
    SysFreeString(items[0].bstrVal);
}

TEST(VariantEnumerator, BstrItemsAreCopiedOutAndFreedWithTheEnumerator)
{
    const long live = com::bstr_live_count();
    {
        std::vector<com::Variant> items;
        for (const char16_t* text : {u"one", u"two", u"three"})
            items.push_back(com::Variant::from_string(text));
        com::ComPtr<IEnumVARIANT> e = enumerate(items);
        com::ComPtr<IEnumVARIANT> clone;
        ASSERT_EQ(e->Clone(clone.put()), S_OK);
        EXPECT_EQ(com::bstr_live_count(), live + 6) << "the source and one shared snapshot";
        VARIANT out[4];
        ULONG fetched = 0;
        EXPECT_EQ(clone->Next(4, out, &fetched), S_FALSE);
        ASSERT_EQ(fetched, 3u);
        EXPECT_EQ(com::bstr_view(out[2].bstrVal), u"three");
        EXPECT_NE(out[2].bstrVal, items[2]->bstrVal) << "a copy, not the source's string";
        EXPECT_EQ(out[3].vt, VT_EMPTY);
        EXPECT_EQ(com::bstr_live_count(), live + 9);
        for (VARIANT& v : out) VariantClear(&v);
    }
    EXPECT_EQ(com::bstr_live_count(), live);
}

TEST(VariantEnumerator, InterfaceItemsAreHeldAndReleased)
{
    com::ComPtr<counted::ICounted> marker;
    ASSERT_EQ(com::make<counted::CCounted>(marker.put()), S_OK);
    VARIANT item = variant_of(VT_UNKNOWN, static_cast<IUnknown*>(marker.get()));
    {
        com::ComPtr<IEnumVARIANT> e;
        ASSERT_EQ(com::create_variant_enumerator(&item, 1, e.put()), S_OK);
        EXPECT_EQ(counted::references(marker.get()), 2u);
        com::Variant out;
        EXPECT_EQ(e->Next(1, out.put(), nullptr), S_OK);
        EXPECT_EQ(out->punkVal, marker.get());
        EXPECT_EQ(counted::references(marker.get()), 3u);
    }
    EXPECT_EQ(counted::references(marker.get()), 1u);
}

TEST(VariantEnumerator, CreationChecksItsArgumentsAndFreesPartialCopies)
{
    const long live = com::bstr_live_count();
    VARIANT items[2];
    items[0] = com::Variant::from_string(u"kept").detach();
    items[1].vt = 0x00FF;  // no variant can hold this type
    IEnumVARIANT* e = reinterpret_cast<IEnumVARIANT*>(0x1);
    EXPECT_EQ(com::create_variant_enumerator(items, 2, &e), DISP_E_BADVARTYPE);
    EXPECT_EQ(e, nullptr);
    VariantClear(&items[0]);
    EXPECT_EQ(com::bstr_live_count(), live) << "the copy made before the bad item is freed";

    EXPECT_EQ(com::create_variant_enumerator(items, 1, nullptr), E_POINTER);
    EXPECT_EQ(com::create_variant_enumerator(nullptr, 1, &e), E_INVALIDARG);
    ASSERT_EQ(com::create_variant_enumerator(nullptr, 0, &e), S_OK);
    VARIANT slot;
    EXPECT_EQ(e->Next(1, &slot, nullptr), S_FALSE);
    EXPECT_EQ(slot.vt, VT_EMPTY);
    EXPECT_EQ(e->Release(), 0u);
}

}  // namespace
