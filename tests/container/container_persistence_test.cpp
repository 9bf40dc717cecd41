// The container stream: byte for byte, order and numbers across a reload, versions, and
// damaged streams at every byte and on every failing call.
#include "tests/container/support.h"

namespace container_test {
namespace {

class ContainerStream : public Released {};

const info_fields first{.page_id = 2, .element_id = 20, .description = u"b", .type = 4,
                        .left = 1, .top = 2, .right = 3, .bottom = 4};
const info_fields second{.page_id = 5, .element_id = 50, .null_description = true, .type = 3,
                         .left = -1, .top = -2, .right = 30, .bottom = 40, .inclination = -15};

TEST_F(ContainerStream, NewContainerWritesVersionCountAndNumber)
{
    EXPECT_EQ(saved(new_container().get()), (bytes{2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(ContainerStream, RecordsAreWrittenInContainerOrderBetweenCountAndNumber)
{
    auto c = new_container();
    auto e5 = make_element({.left = -1, .top = -2, .width = 31, .height = 42, .inclination = -15,
                            .type = zeCntElementTypeStamp, .null_description = true});
    auto e2 = element_at(1, 2, 3, 4, u"b");
    c->AddElement(5, 50, e5->base());
    c->AddElement(2, 20, e2->base());
    auto f = make_field(u"");
    f->values.width = f->values.height = 0;
    c->AddElement(7, 70, f.base());
    const info_fields third{.page_id = 7, .element_id = 70, .description = u"", .type = 6};
    EXPECT_EQ(saved(c.get()), container_record({first, second, third}, 2));
    EXPECT_FALSE(is_dirty(c.get()));
}

TEST_F(ContainerStream, ClearDirtyReachesEveryRecord)
{
    auto c = new_container();
    auto e = element_at(1, 1, 2, 2);
    c->AddElement(1, 1, e->base());
    com::ComPtr<IZCntElementInfo> info;
    c->get_Item(1, info.put());
    saved(c.get(), FALSE);
    EXPECT_TRUE(is_dirty(info.get()));
    EXPECT_TRUE(is_dirty(c.get()));
    saved(c.get(), TRUE);
    EXPECT_FALSE(is_dirty(info.get()));
}

TEST_F(ContainerStream, LoadFilesRecordsByTheirOwnPageIdKeepingStreamOrderWithinAPage)
{
    auto c = new_container();
    info_fields a = first, b = first, z = second;
    a.element_id = 3, b.element_id = 1;
    ASSERT_EQ(load(c.get(), container_record({z, a, b}, 9)), S_OK);
    EXPECT_EQ(ids_in_order(c.get()), (std::vector<LONG>{3, 1, 50}));
    EXPECT_FALSE(is_dirty(c.get()));
    // Saved again, the order is the container's, and loads back the same.
    const bytes again = saved(c.get());
    EXPECT_EQ(again, container_record({a, b, z}, 9));
    auto d = new_container();
    ASSERT_EQ(load(d.get(), again), S_OK);
    EXPECT_EQ(saved(d.get()), again);
}

TEST_F(ContainerStream, LoadReplacesTheRecordsHeldBefore)
{
    auto c = new_container();
    auto e = element_at(1, 1, 2, 2);
    c->AddElement(8, 8, e->base());
    com::ComPtr<IZCntElementInfo> old;
    c->get_Item(1, old.put());
    ASSERT_EQ(load(c.get(), container_record({first}, 1)), S_OK);
    EXPECT_EQ(ids_in_order(c.get()), (std::vector<LONG>{20}));
    com::ComPtr<IZCntElementInfo> none;
    EXPECT_EQ(c->get_ItemFromID(8, 8, none.put()), E_INVALIDARG);
    EXPECT_EQ(element_id_of(old.get()), 8) << "a record held elsewhere lives on";
}

// Loaded records held elsewhere outlive the load that replaces them and the container itself,
// however many were loaded with them and however long their descriptions.
TEST_F(ContainerStream, LoadedRecordsHeldElsewhereOutliveTheirContainer)
{
    const std::u16string long_text(300, u'w');
    std::vector<info_fields> many;
    for (LONG id = 1; id <= 200; ++id)
        many.push_back({.page_id = 1 + id / 50, .element_id = id,
                        .description = id % 2 ? long_text : u"loaded"});
    auto c = new_container();
    ASSERT_EQ(load(c.get(), container_record(many, 1)), S_OK);
    std::vector<com::ComPtr<IZCntElementInfo>> held;
    for (LONG index : {1, 64, 65, 200}) held.push_back(item(c.get(), index));
    ASSERT_EQ(load(c.get(), container_record({first}, 1)), S_OK);
    c = nullptr;
    std::vector<LONG> ids;
    for (const auto& record : held) {
        ids.push_back(element_id_of(record.get()));
        EXPECT_EQ(description_of(record.get()), ids.back() % 2 ? long_text : u"loaded");
    }
    EXPECT_EQ(ids, (std::vector<LONG>{1, 64, 65, 200}));
}

TEST_F(ContainerStream, VersionZeroAndNegativeCountsLoad)
{
    auto c = new_container();
    ASSERT_EQ(load(c.get(), container_record({first}, 0, 0)), S_OK);
    EXPECT_EQ(count_of(c.get()), 1);
    bytes negative;
    put_u32(negative, 2);
    put_i32(negative, -5);
    put_i32(negative, 12);
    ASSERT_EQ(load(c.get(), negative), S_OK);
    EXPECT_EQ(count_of(c.get()), 0);
    EXPECT_EQ(saved(c.get()), container_record({}, 12));
}

// A stream the container refuses: a newer version leaves it unchanged; a count larger than the
// stream, a damaged record string or a newer record keeps the records read before the fault.
TEST_F(ContainerStream, DamagedStreamsFailWithTheirCodeKeepingWhatWasRead)
{
    struct damage {
        const char* name;
        bytes stream;
        std::size_t at = 0;
        bytes value;  // written from `at` on
        HRESULT expected;
        std::vector<LONG> ids;
    };
    const damage cases[] = {
        {"newer container", container_record({first}, 1, 3), 0, {}, E_UNEXPECTED, {8}},
        // The number then reads as a version, and the stream ends.
        {"count too large", container_record({first, second}, 1), 4, {0xFF, 0xFF, 0xFF, 0x7F},
         E_FAIL, {20, 50}},
        // The first record's description count sits after version, count and the record's
        // version, page id and element id.
        {"bad string count", container_record({first, second}, 4), 8 + 12, {1, 0, 0x20, 0},
         E_ACCESSDENIED, {}},
        {"newer record", container_record({first, second}, 4), 8 + 42, {2}, E_UNEXPECTED, {20}},
    };
    for (const damage& d : cases) {
        SCOPED_TRACE(d.name);
        bytes b = d.stream;
        std::copy(d.value.begin(), d.value.end(), b.begin() + static_cast<std::ptrdiff_t>(d.at));
        auto c = new_container();
        auto e = element_at(1, 1, 2, 2);
        c->AddElement(8, 8, e->base());
        EXPECT_EQ(load(c.get(), b), d.expected);
        EXPECT_EQ(ids_in_order(c.get()), d.ids);
        EXPECT_TRUE(is_dirty(c.get()));
    }
}

TEST_F(ContainerStream, TruncationAtEveryByteFailsAndLeavesAUsableContainer)
{
    const bytes whole = container_record({first, second}, 6);
    const std::size_t first_end = 8 + 38 + 4, second_end = first_end + 38;  // "b" takes 4 bytes
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        auto c = new_container();
        auto e = element_at(1, 1, 2, 2);
        c->AddElement(99, 1, e->base());
        EXPECT_EQ(load(c.get(), bytes(whole.begin(), whole.begin() + cut)), E_FAIL);
        const LONG expected = cut < 4 ? 1 : cut >= second_end ? 2 : cut >= first_end ? 1 : 0;
        EXPECT_EQ(count_of(c.get()), expected);
        EXPECT_TRUE(is_dirty(c.get()));
        // Usable afterwards: it takes elements, hit tests, saves and loads a whole stream.
        EXPECT_EQ(c->AddElement(3, 3, e->base()), S_OK);
        auto page = make_page(3);
        com::ComPtr<IZCntElementInfo> found;
        EXPECT_EQ(c->FindElementFromPoint(page->dispatch(), 0, 1, 1, found.put()), S_OK);
        saved(c.get());
        ASSERT_EQ(load(c.get(), whole), S_OK);
        EXPECT_EQ(saved(c.get()), whole);
    }
}

// A memory stream's bytes are read and written in place, any other stream through its calls:
// both must give the same code, stop at the same byte and keep the same records, for every
// cut and every damaged byte of a stream, and save the same bytes afterwards.
TEST_F(ContainerStream, AMemoryStreamLoadsAndSavesAsAStreamReadThroughItsCallsDoes)
{
    const info_fields long_text{.page_id = 3, .element_id = 30,
                                .description = std::u16string(40, u'x'), .right = 9};
    const info_fields empty_text{.page_id = 3, .element_id = 31, .description = u""};
    bytes whole = container_record({first, second, long_text, empty_text}, 7);
    // A version 0 record loads as one of version 1.
    bytes old = info_record(first, 0);
    whole.insert(whole.end() - 4, old.begin(), old.end());
    whole[4] = 5;

    struct outcome {
        HRESULT hr;
        ULONGLONG stop;
        bytes kept;
        bool operator==(const outcome&) const = default;
    };
    const auto load_through = [](const bytes& b, bool calls) {
        com::ComPtr<IStream> inner = stream_of(b), through = inner;
        if (calls) {
            through = nullptr;
            EXPECT_EQ(com::create_fault_stream(inner.get(), {}, through.put()), S_OK);
        }
        auto c = new_container();
        const HRESULT hr = persist_of(c.get())->Load(through.get());
        com::ComPtr<IStream> out = stream_of({}), out_through = out;
        if (calls) {
            out_through = nullptr;
            EXPECT_EQ(com::create_fault_stream(out.get(), {}, out_through.put()), S_OK);
        }
        EXPECT_EQ(persist_of(c.get())->Save(out_through.get(), TRUE), S_OK);
        return outcome{hr, position_in(inner.get()), contents(out.get())};
    };
    const auto expect_alike = [&](const bytes& b) {
        const outcome in_place = load_through(b, false);
        EXPECT_EQ(in_place, load_through(b, true))
            << "in place: " << std::hex << in_place.hr << " at " << std::dec << in_place.stop;
    };
    const outcome loaded = load_through(whole, false);
    EXPECT_EQ(loaded.hr, S_OK);
    EXPECT_EQ(loaded.stop, whole.size());
    expect_alike(whole);
    for (std::size_t at = 0; at < whole.size(); ++at) {
        SCOPED_TRACE(at);
        expect_alike(bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(at)));
        for (BYTE value : {BYTE{0x00}, BYTE{0x01}, BYTE{0xFF}}) {
            SCOPED_TRACE(int{value});
            bytes damaged = whole;
            damaged[at] = value;
            expect_alike(damaged);
        }
    }
}

TEST_F(ContainerStream, EveryFailingReadAndWriteIsReturnedAsIs)
{
    const bytes whole = container_record({first, second}, 6);
    expect_every_failing_read_reported(new_container, whole);
    auto c = new_container();
    ASSERT_EQ(load(c.get(), whole), S_OK);
    expect_every_failing_write_reported(c.get(), whole,
                                        [&] { query<IPersistStreamInit>(c.get())->InitNew(); });
}

TEST_F(ContainerStream, PersistenceMembersOfTheContainerAndOfARecord)
{
    const std::pair<com::ComPtr<IUnknown>, CLSID> objects[] = {
        {query<IUnknown>(new_container().get()), CLSID_ZCntElementContainer},
        {query<IUnknown>(new_info().get()), GUID{}},  // a record has no class of its own
    };
    for (const auto& [object, expected] : objects) {
        auto persist = query<IPersistStreamInit>(object.get());
        ASSERT_TRUE(persist);
        EXPECT_TRUE(query<IPersist>(object.get()));
        EXPECT_TRUE(query<IDispatch>(object.get()));
        CLSID id = CLSID_ZCntElementLink;
        EXPECT_EQ(persist->GetClassID(&id), S_OK);
        EXPECT_EQ(id, expected);
        ULARGE_INTEGER size{.QuadPart = 99};
        EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size.QuadPart, 4u);
        EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
        EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);
        EXPECT_EQ(persist->Load(nullptr), E_POINTER);
        EXPECT_EQ(persist->Save(nullptr, TRUE), E_POINTER);
    }
}

}  // namespace
}  // namespace container_test
