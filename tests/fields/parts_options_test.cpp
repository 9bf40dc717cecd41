// The choice options and their collection through the interfaces: positions counted from 1,
// the moves, the enumerator's snapshot, the dirty flags and the records byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fields/parts/parts.h"
#include "platform/com/enum_variant.h"
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
        com::Bstr text(name);
        option->put_DisplayName(text.get());
    }
    return c;
}

std::u16string display_name(IZCntChoiceFieldOption* option)
{
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

bytes option_record(std::u16string_view display, std::u16string_view value, ULONG version = 1)
{
    bytes b;
    put_u32(b, version);
    put_string(b, display);
    put_string(b, value);
    return b;
}

bytes collection_record(ULONG header, ULONG count, const std::vector<bytes>& options)
{
    bytes b;
    put_u32(b, header);
    put_u32(b, count);
    for (const bytes& o : options) b.insert(b.end(), o.begin(), o.end());
    return b;
}

ComPtr<IZCntChoiceFieldOption> new_option()
{
    ComPtr<IZCntChoiceFieldOption> option;
    collection_of({})->Add(option.put());
    return option;
}

TEST(PartsOption, HoldsTwoStringsThatAlwaysMarkItDirty)
{
    auto option = new_option();
    for (const IID& iid : {IZCntChoiceFieldOption::iid, IDispatch::iid, IPersist::iid,
                           IPersistStreamInit::iid}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(option->QueryInterface(iid, answer.put_void()), S_OK);
    }
    EXPECT_EQ(option->get_DisplayName(nullptr), E_POINTER);
    EXPECT_EQ(option->get_ExportValue(nullptr), E_POINTER);
    com::Bstr text;
    EXPECT_EQ(option->get_ExportValue(text.put()), S_OK);
    EXPECT_FALSE(text.is_null());
    EXPECT_EQ(text.length(), 0u);
    EXPECT_TRUE(is_dirty(option.get())) << "a new option is dirty";
    EXPECT_EQ(saved(option.get()), option_record(u"", u""));
    EXPECT_FALSE(is_dirty(option.get()));

    // The same text again still marks it dirty; a null string is stored as null.
    com::Bstr empty(u""), shown(std::u16string_view(u"Shown\0zero", 10));
    EXPECT_EQ(option->put_DisplayName(empty.get()), S_OK);
    EXPECT_TRUE(is_dirty(option.get()));
    EXPECT_EQ(option->put_DisplayName(shown.get()), S_OK);
    EXPECT_EQ(option->put_ExportValue(nullptr), S_OK);
    bytes expected;
    put_u32(expected, 1);
    put_string(expected, std::u16string_view(u"Shown\0zero", 10));
    put_u32(expected, 0);
    EXPECT_EQ(saved(option.get()), expected) << "embedded zeros survive the copy";

    auto back = new_option();
    EXPECT_EQ(load(back.get(), expected), S_OK);
    EXPECT_FALSE(is_dirty(back.get()));
    EXPECT_EQ(back->get_ExportValue(text.put()), S_OK);
    EXPECT_TRUE(text.is_null());
    EXPECT_EQ(load(back.get(), option_record(u"a", u"b", 2)), E_UNEXPECTED);
    expect_every_failing_read_reported([] { return new_option(); }, option_record(u"Ab", u"c"));
    expect_every_failing_write_reported(back.get(), expected,
                                        [&] { persist_of(back.get())->InitNew(); });
}

// Each operation on a clean collection A, B, C: its result, the order after it and whether
// it marked the collection dirty.
TEST(PartsCollection, PositionsCountFromOneAndMovesStayInside)
{
    enum op { item, remove, up, down };
    struct step {
        op what;
        LONG index;
        HRESULT result;
        names after;
        bool dirty;
    };
    const names abc{u"A", u"B", u"C"};
    const step steps[] = {
        {item, -1, E_INVALIDARG, abc, false},     {item, 0, E_INVALIDARG, abc, false},
        {item, 1, S_OK, abc, false},              {item, 3, S_OK, abc, false},
        {item, 4, E_INVALIDARG, abc, false},      {remove, 0, E_INVALIDARG, abc, false},
        {remove, 4, E_INVALIDARG, abc, false},    {remove, 1, S_OK, {u"B", u"C"}, true},
        {remove, 2, S_OK, {u"A", u"C"}, true},    {remove, 3, S_OK, {u"A", u"B"}, true},
        {up, 0, E_INVALIDARG, abc, false},        {up, 1, E_INVALIDARG, abc, false},
        {up, 2, S_OK, {u"B", u"A", u"C"}, false}, {up, 3, S_OK, {u"A", u"C", u"B"}, false},
        {up, 4, E_INVALIDARG, abc, false},        {down, 0, E_INVALIDARG, abc, false},
        {down, 1, S_OK, {u"B", u"A", u"C"}, false}, {down, 2, S_OK, {u"A", u"C", u"B"}, false},
        {down, 3, E_INVALIDARG, abc, false},      {down, 4, E_INVALIDARG, abc, false},
    };
    for (const step& s : steps) {
        SCOPED_TRACE(testing::Message() << "operation " << s.what << " at " << s.index);
        auto c = collection_of(abc);
        saved(c.get());
        ASSERT_FALSE(is_dirty(c.get()));
        HRESULT hr = E_NOTIMPL;
        auto* untouched = reinterpret_cast<IZCntChoiceFieldOption*>(0x1234);
        IZCntChoiceFieldOption* got = untouched;
        switch (s.what) {
        case item: hr = c->get_Item(s.index, &got); break;
        case remove: hr = c->Remove(s.index); break;
        case up: hr = c->MoveItemUp(s.index); break;
        case down: hr = c->MoveItemDown(s.index); break;
        }
        EXPECT_EQ(hr, s.result);
        EXPECT_EQ(items_of(c.get()), s.after);
        EXPECT_EQ(is_dirty(c.get()), s.dirty);
        if (s.what == item && hr == S_OK) {
            EXPECT_EQ(display_name(got), abc[s.index - 1]);
            got->Release();
        } else if (s.what == item) {
            EXPECT_EQ(got, untouched) << "a refused index leaves the out value alone";
        }
    }
}

TEST(PartsCollection, AddAndClearMarkDirtyAndNullOutPointersAreRefused)
{
    auto c = collection_of({});
    EXPECT_FALSE(is_dirty(c.get())) << "a new collection is clean";
    EXPECT_EQ(c->Add(nullptr), S_OK) << "no out pointer still appends";
    LONG count = 0;
    EXPECT_EQ(c->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(is_dirty(c.get()));

    ComPtr<IZCntChoiceFieldOption> added, second;
    EXPECT_EQ(c->Add(added.put()), S_OK);
    EXPECT_EQ(c->get_Item(2, second.put()), S_OK);
    EXPECT_EQ(added.get(), second.get()) << "Add hands out the appended option";

    EXPECT_EQ(c->Clear(), S_OK);
    EXPECT_EQ(c->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    saved(c.get());
    EXPECT_EQ(c->Clear(), S_OK);
    EXPECT_TRUE(is_dirty(c.get())) << "clearing an empty collection marks it too";

    EXPECT_EQ(c->get_Count(nullptr), E_POINTER);
    EXPECT_EQ(c->get_Item(1, nullptr), E_POINTER);
    EXPECT_EQ(c->get__NewEnum(nullptr), E_POINTER);
    ComPtr<IUnknown> answer;
    EXPECT_EQ(c->QueryInterface(IPersistStreamInit::iid, answer.put_void()), S_OK);
    EXPECT_EQ(c->QueryInterface(IDispatch::iid, answer.put_void()), S_OK);
    EXPECT_EQ(c->QueryInterface(IPersist::iid, answer.put_void()), E_NOINTERFACE);
    CLSID id = com::make_guid("{11111111-1111-1111-1111-111111111111}");
    EXPECT_EQ(persist_of(c.get())->GetClassID(&id), S_OK);
    EXPECT_EQ(id, CLSID_NULL);
    ULARGE_INTEGER size{};
    EXPECT_EQ(persist_of(c.get())->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 4u);
}

TEST(PartsCollection, AnEnumeratorKeepsTheOptionsItWasMadeOver)
{
    auto c = collection_of({u"A", u"B"});
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(c->get__NewEnum(unknown.put()), S_OK);
    ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(unknown->QueryInterface(IEnumVARIANT::iid, e.put_void()), S_OK);
    EXPECT_EQ(c->Clear(), S_OK);
    EXPECT_EQ(c->Add(nullptr), S_OK);

    VARIANT got[3];
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    names seen;
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(got[i].vt, VT_DISPATCH);
        ComPtr<IZCntChoiceFieldOption> option;
        got[i].pdispVal->QueryInterface(IZCntChoiceFieldOption::iid, option.put_void());
        seen.push_back(display_name(option.get()));
        VariantClear(&got[i]);
    }
    EXPECT_EQ(seen, (names{u"A", u"B"}));
}

TEST(PartsCollection, IsDirtyAsksTheOptionsWhenItIsCleanItself)
{
    auto c = collection_of({u"A", u"B"});
    saved(c.get());
    EXPECT_FALSE(is_dirty(c.get()));
    ComPtr<IZCntChoiceFieldOption> b;
    c->get_Item(2, b.put());
    com::Bstr value(u"v");
    b->put_ExportValue(value.get());
    EXPECT_TRUE(is_dirty(c.get())) << "a dirty option makes the collection dirty";
    saved(c.get(), FALSE);
    EXPECT_TRUE(is_dirty(b.get())) << "the options are saved with the same flag";
    saved(c.get(), TRUE);
    EXPECT_FALSE(is_dirty(b.get()));
    EXPECT_EQ(c->MoveItemUp(2), S_OK);
    EXPECT_FALSE(is_dirty(c.get())) << "moves do not mark";
}

TEST(PartsCollection, RecordsHoldTheFormatWordTheCountAndEachOption)
{
    auto c = collection_of({});
    const bytes empty{0x00, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(saved(c.get()), empty);
    c->Add(nullptr);
    const bytes one = saved(c.get());
    EXPECT_EQ(one.size(), empty.size() + 16);
    EXPECT_EQ(one, collection_record(0xE00, 1, {option_record(u"", u"")}));

    const bytes two = collection_record(0xE00, 2, {option_record(u"One", u"1"),
                                                   option_record(u"Two", u"")});
    EXPECT_EQ(load(c.get(), two), S_OK);
    EXPECT_EQ(items_of(c.get()), (names{u"One", u"Two"}));
    EXPECT_FALSE(is_dirty(c.get())) << "Load clears the collection and its options";
    EXPECT_EQ(saved(c.get()), two);
    EXPECT_EQ(load(c.get(), collection_record(0, 0, {})), S_OK) << "older formats are read";
    EXPECT_EQ(items_of(c.get()), names{}) << "loading drops the items held before";
}

TEST(PartsCollection, BadHeadersShortRecordsAndHugeCountsAreRefused)
{
    const bytes two = collection_record(0xE00, 2, {option_record(u"One", u"1"),
                                                   option_record(u"Two", u"")});
    struct bad {
        const char* what;
        bytes record;
        HRESULT result;
        names after;
    };
    const bad cases[] = {
        {"a newer format word", collection_record(0xE01, 0, {}), E_FAIL, {u"Old"}},
        {"a header cut short", {0x00, 0x0E}, E_FAIL, {u"Old"}},
        {"no count", {0x00, 0x0E, 0x00, 0x00}, E_FAIL, {}},
        {"a huge count", collection_record(0xE00, 0xFFFFFFFF, {option_record(u"One", u"1")}),
         E_FAIL, {u"One"}},
        {"an option of a newer version",
         collection_record(0xE00, 2, {option_record(u"One", u""), option_record(u"", u"", 2)}),
         E_UNEXPECTED, {u"One"}},
    };
    for (const bad& b : cases) {
        SCOPED_TRACE(b.what);
        auto c = collection_of({u"Old"});
        EXPECT_EQ(load(c.get(), b.record), b.result);
        EXPECT_EQ(items_of(c.get()), b.after) << "the options read before the failure stay";
    }

    // A failing read comes back as it is, except that of the format word.
    for (ULONG n = 1; n < 12; ++n) {
        SCOPED_TRACE(n);
        ComPtr<IStream> inner, faulty;
        com::create_memory_stream(two.data(), two.size(), inner.put());
        com::fault_plan plan;
        plan.fail_read_at = n;
        com::create_fault_stream(inner.get(), plan, faulty.put());
        auto c = collection_of({});
        const HRESULT hr = persist_of(c.get())->Load(faulty.get());
        com::fault_counts counts;
        com::fault_stream_counts(faulty.get(), &counts);
        EXPECT_EQ(hr, counts.reads < n ? S_OK : n == 1 ? E_FAIL : STG_E_READFAULT);
    }
    auto c = collection_of({u"One", u"Two"});
    ComPtr<IZCntChoiceFieldOption> first;
    c->get_Item(1, first.put());
    com::Bstr one(u"1");
    first->put_ExportValue(one.get());
    expect_every_failing_write_reported(c.get(), two, [&] { persist_of(c.get())->InitNew(); });
}

}  // namespace
