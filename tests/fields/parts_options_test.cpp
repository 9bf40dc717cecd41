// The choice options and their collection through the interfaces: positions counted from 1,
// the moves, the enumerator's snapshot, the dirty flags and the records byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fields/parts/parts.h"
#include "tests/core/record_faults.h"

namespace {

using namespace record_faults;
using com::ComPtr;
using names = std::vector<std::u16string>;

ComPtr<IZCntChoiceFieldOptionCollection> collection_of(const names& items)
{
    ComPtr<IZCntChoiceFieldOptionCollection> c;
    EXPECT_EQ(cnt::fields::create_option_collection(c.put()), S_OK);
    for (const auto& name : items) {
        ComPtr<IZCntChoiceFieldOption> option;
        EXPECT_EQ(c->Add(option.put()), S_OK);
        option->put_DisplayName(com::Bstr(name).get());
    }
    return c;
}

std::u16string display_name(IUnknown* o)
{
    ComPtr<IZCntChoiceFieldOption> option;
    o->QueryInterface(IZCntChoiceFieldOption::iid, option.put_void());
    com::Bstr text;
    option->get_DisplayName(text.put());
    return std::u16string(text.view());
}

names items_of(IZCntChoiceFieldOptionCollection* c)
{
    LONG count = 0;
    c->get_Count(&count);
    names out;
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<IZCntChoiceFieldOption> option;
        EXPECT_EQ(c->get_Item(i, option.put()), S_OK);
        out.push_back(display_name(option.get()));
    }
    return out;
}

bytes collection_record(ULONG header, ULONG count, const names& options, ULONG version = 1)
{
    bytes b;
    put_u32(b, header);
    put_u32(b, count);
    for (const auto& o : options) {
        put_u32(b, version);
        put_string(b, o);
        put_string(b, u"");
    }
    return b;
}

// Each operation on a clean A, B, C: its result, the order after it and whether it marked.
TEST(PartsCollection, PositionsCountFromOneAndMovesStayInside)
{
    enum op { item, remove, up, down };
    struct step {
        op what;
        LONG index;
        HRESULT result;
        names after;
    };
    const names abc{u"A", u"B", u"C"};
    const step steps[] = {
        {item, 0, E_INVALIDARG, abc},          {item, 3, S_OK, abc},
        {item, 4, E_INVALIDARG, abc},          {remove, 0, E_INVALIDARG, abc},
        {remove, 4, E_INVALIDARG, abc},        {remove, 1, S_OK, {u"B", u"C"}},
        {remove, 3, S_OK, {u"A", u"B"}},       {up, 1, E_INVALIDARG, abc},
        {up, 3, S_OK, {u"A", u"C", u"B"}},     {up, 4, E_INVALIDARG, abc},
        {down, 0, E_INVALIDARG, abc},          {down, 1, S_OK, {u"B", u"A", u"C"}},
        {down, 3, E_INVALIDARG, abc},
    };
    for (const step& s : steps) {
        SCOPED_TRACE(testing::Message() << "operation " << s.what << " at " << s.index);
        auto c = collection_of(abc);
        saved(c.get());
        IZCntChoiceFieldOption* got = nullptr;
        const HRESULT hr = s.what == item     ? c->get_Item(s.index, &got)
                           : s.what == remove ? c->Remove(s.index)
                           : s.what == up     ? c->MoveItemUp(s.index)
                                              : c->MoveItemDown(s.index);
        EXPECT_EQ(hr, s.result);
        EXPECT_EQ(items_of(c.get()), s.after);
        EXPECT_EQ(is_dirty(c.get()), s.what == remove && hr == S_OK) << "moves do not mark";
        EXPECT_EQ(got != nullptr, s.what == item && hr == S_OK);
        if (got) {
            EXPECT_EQ(display_name(got), abc[s.index - 1]);
            got->Release();
        }
    }
}

TEST(PartsCollection, AddClearAndTheEnumeratorsSnapshot)
{
    auto c = collection_of({});
    EXPECT_FALSE(is_dirty(c.get())) << "a new collection is clean";
    EXPECT_EQ(c->Add(nullptr), S_OK) << "no out pointer still appends";
    EXPECT_TRUE(is_dirty(c.get()));
    ComPtr<IZCntChoiceFieldOption> added;
    EXPECT_EQ(c->Add(added.put()), S_OK);
    added->put_DisplayName(com::Bstr(u"B").get());
    EXPECT_EQ(items_of(c.get()), (names{u"", u"B"}));

    ComPtr<IUnknown> unknown;
    ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(c->get__NewEnum(unknown.put()), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IEnumVARIANT::iid, e.put_void()), S_OK);
    saved(c.get());
    EXPECT_EQ(c->Clear(), S_OK);
    EXPECT_EQ(c->Clear(), S_OK);
    EXPECT_TRUE(is_dirty(c.get())) << "Clear marks, also when empty";
    VARIANT got[3];
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u) << "the enumerator still has the options of before";
    EXPECT_EQ(got[1].vt, VT_DISPATCH);
    EXPECT_EQ(display_name(got[1].pdispVal), u"B");
    for (VARIANT& v : got) VariantClear(&v);

    ComPtr<IUnknown> answer;
    EXPECT_EQ(c->QueryInterface(IPersist::iid, answer.put_void()), E_NOINTERFACE);
    EXPECT_EQ(c->QueryInterface(IPersistStreamInit::iid, answer.put_void()), S_OK);
}

TEST(PartsCollection, IsDirtyAsksTheOptionsWhenItIsCleanItself)
{
    auto c = collection_of({u"A", u"B"});
    saved(c.get());
    ComPtr<IZCntChoiceFieldOption> b;
    c->get_Item(2, b.put());
    EXPECT_FALSE(is_dirty(c.get()));
    b->put_ExportValue(nullptr);
    EXPECT_TRUE(is_dirty(b.get())) << "a string always marks, null included";
    EXPECT_TRUE(is_dirty(c.get())) << "a dirty option makes the collection dirty";
    saved(c.get(), FALSE);
    EXPECT_TRUE(is_dirty(b.get())) << "the options are saved with the same flag";
    saved(c.get(), TRUE);
    EXPECT_FALSE(is_dirty(b.get()));
}

TEST(PartsCollection, RecordsHoldTheFormatWordTheCountAndEachOption)
{
    auto c = collection_of({});
    EXPECT_EQ(saved(c.get()), (bytes{0x00, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    c->Add(nullptr);
    EXPECT_EQ(saved(c.get()), collection_record(0xE00, 1, {u""})) << "16 bytes more";
    EXPECT_EQ(saved(c.get()).size(), 8u + 16u);

    const bytes two = collection_record(0xE00, 2, {u"One", u"Two"});
    EXPECT_EQ(load(c.get(), two), S_OK);
    EXPECT_EQ(items_of(c.get()), (names{u"One", u"Two"}));
    EXPECT_FALSE(is_dirty(c.get())) << "Load clears the collection and its options";
    EXPECT_EQ(saved(c.get()), two);
    expect_every_failing_write_reported(c.get(), two, [&] { persist_of(c.get())->InitNew(); });

    struct bad {
        bytes record;
        HRESULT result;
        names after;  // the options read before the failure stay
    };
    const bad cases[] = {
        {collection_record(0, 0, {}), S_OK, {}},
        {collection_record(0xE01, 0, {}), E_FAIL, {u"Old"}},
        {{0x00, 0x0E}, E_FAIL, {u"Old"}},
        {{0x00, 0x0E, 0x00, 0x00}, E_FAIL, {}},
        {collection_record(0xE00, 0xFFFFFFFF, {u"One"}), E_FAIL, {u"One"}},
        {collection_record(0xE00, 2, {u"One", u"Two"}, 2), E_UNEXPECTED, {}},
    };
    for (const bad& b : cases) {
        SCOPED_TRACE(&b - cases);
        auto old = collection_of({u"Old"});
        EXPECT_EQ(load(old.get(), b.record), b.result);
        EXPECT_EQ(items_of(old.get()), b.after);
    }
}

}  // namespace
