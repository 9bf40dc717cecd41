// The element info record: filling it from an element, its properties, and its stream record
// byte for byte, intact and damaged: newer versions, truncation at every byte, bad string
// counts and streams that fail on any call, each with its result code.
#include <algorithm>

#include "platform/com/fault_switch.h"
#include "tests/container/support.h"

namespace container_test {
namespace {

class ElementInfo : public Released {};

struct position {
    LONG left = -1, top = -1, right = -1, bottom = -1;
    SHORT inclination = -1;
    bool operator==(const position&) const = default;
};
position position_of(IZCntElementInfo* info)
{
    position p;
    EXPECT_EQ(info->GetPosition(&p.left, &p.top, &p.right, &p.bottom, &p.inclination), S_OK);
    return p;
}

TEST_F(ElementInfo, SetInfoTakesRightAndBottomFromTheElementsWidthAndHeight)
{
    auto info = new_info();
    auto element = make_element({.left = 10, .top = 20, .width = 30, .height = 40, .inclination = -45,
                                 .type = zeCntElementTypeStamp, .description = u"seal"});
    ASSERT_EQ(info->SetInfo(7, 99, element->base()), S_OK);

    EXPECT_EQ(position_of(info.get()), (position{10, 20, 40, 60, -45}));
    LONG page = 0;
    EXPECT_EQ(info->get_PageID(&page), S_OK);
    EXPECT_EQ(page, 7) << "the page id given, not the element's own";
    EXPECT_EQ(element_id_of(info.get()), 99);
    ZeCntElementType type = zeCntElementTypeUnknown;
    EXPECT_EQ(info->get_ElementType(&type), S_OK);
    EXPECT_EQ(type, zeCntElementTypeStamp);
    EXPECT_EQ(description_of(info.get()), u"seal");
    EXPECT_TRUE(is_dirty(info.get()));
}

TEST_F(ElementInfo, SetInfoWithANullElementIsRefusedAndChangesNothing)
{
    auto info = new_info();
    auto element = element_at(1, 2, 3, 4, u"kept");
    ASSERT_EQ(info->SetInfo(5, 6, element->base()), S_OK);
    saved(info.get());
    EXPECT_EQ(info->SetInfo(8, 9, nullptr), E_INVALIDARG);
    EXPECT_EQ(position_of(info.get()), (position{1, 2, 3, 4, 0}));
    EXPECT_EQ(element_id_of(info.get()), 6);
    EXPECT_EQ(description_of(info.get()), u"kept");
    EXPECT_FALSE(is_dirty(info.get()));
}

TEST_F(ElementInfo, GetPositionWritesOnlyThePointersGivenAndTheGettersRefuseNull)
{
    auto info = new_info();
    auto element = element_at(1, 2, 3, 4);
    info->SetInfo(1, 1, element->base());
    EXPECT_EQ(info->GetPosition(nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
    LONG right = 0;
    EXPECT_EQ(info->GetPosition(nullptr, nullptr, &right, nullptr, nullptr), S_OK);
    EXPECT_EQ(right, 3);
    for (HRESULT hr : {info->get_PageID(nullptr), info->get_ElementID(nullptr),
                       info->get_ElementType(nullptr), info->get_Description(nullptr)})
        EXPECT_EQ(hr, E_POINTER);
}

TEST_F(ElementInfo, DescriptionPutCopiesUpToTheFirstNulAndALoadedOneKeepsThem)
{
    auto info = new_info();
    EXPECT_EQ(description_of(info.get()), u"") << "a new record holds the empty string";
    EXPECT_EQ(info->put_Description(nullptr), E_INVALIDARG);

    const char16_t with_nul[] = {u'a', u'b', 0, u'c'};
    com::Bstr text(std::u16string_view(with_nul, 4));
    ASSERT_EQ(text.length(), 4u);
    EXPECT_EQ(info->put_Description(text.get()), S_OK);
    com::Bstr stored;
    info->get_Description(stored.put());
    EXPECT_EQ(stored.view(), u"ab");

    // A loaded text keeps its embedded zeros.
    info_fields f;
    f.description = std::u16string(u"x\0y", 3);
    ASSERT_EQ(load(info.get(), info_record(f)), S_OK);
    ASSERT_EQ(info->get_Description(stored.put()), S_OK);
    EXPECT_EQ(stored.view(), std::u16string_view(u"x\0y", 3));
}

TEST_F(ElementInfo, SettersMarkTheRecordDirty)
{
    auto info = new_info();
    EXPECT_FALSE(is_dirty(info.get())) << "a new record starts clean";
    com::Bstr text(u"d");
    // The same description again dirties too: a copy was stored, not the object given.
    for (auto set : {+[](IZCntElementInfo* i, BSTR) { i->put_PageID(3); },
                     +[](IZCntElementInfo* i, BSTR) { i->put_ElementID(4); },
                     +[](IZCntElementInfo* i, BSTR t) { i->put_Description(t); },
                     +[](IZCntElementInfo* i, BSTR t) { i->put_Description(t); }}) {
        saved(info.get());
        set(info.get(), text.get());
        EXPECT_TRUE(is_dirty(info.get()));
    }
    saved(info.get(), FALSE);
    EXPECT_TRUE(is_dirty(info.get())) << "Save without clear-dirty leaves the flag";
    saved(info.get());
    EXPECT_EQ(query<IPersistStreamInit>(info.get())->InitNew(), S_OK);
    EXPECT_TRUE(is_dirty(info.get()));
}

TEST_F(ElementInfo, RecordIsWrittenFieldByFieldAsTheTableSays)
{
    auto info = new_info();
    auto element = make_element({.left = -10, .top = 20, .width = 300, .height = 40, .inclination = -7,
                                 .type = zeCntElementTypeNote, .description = u"Hi"});
    info->SetInfo(0x01020304, -2, element->base());

    const bytes expected = {
        1, 0, 0, 0,                          // version
        4, 3, 2, 1,                          // page id
        0xFE, 0xFF, 0xFF, 0xFF,              // element id -2
        6, 0, 0, 0, 'H', 0, 'i', 0, 0, 0,    // "Hi": 2 characters + terminator
        2, 0, 0, 0,                          // element type
        0xF6, 0xFF, 0xFF, 0xFF,              // left -10
        20, 0, 0, 0,                         // top
        0x22, 1, 0, 0,                       // right 290
        60, 0, 0, 0,                         // bottom
        0xF9, 0xFF};                         // inclination -7
    EXPECT_EQ(saved(info.get()), expected);
    EXPECT_FALSE(is_dirty(info.get()));
}

TEST_F(ElementInfo, EmptyAndNullDescriptionsHaveTheirOwnCounts)
{
    auto empty = new_info();
    auto blank = element_at(0, 0, 1, 1, u"");
    empty->SetInfo(1, 1, blank->base());
    const bytes with_empty = saved(empty.get());
    ASSERT_EQ(with_empty.size(), 40u);
    EXPECT_EQ(bytes(with_empty.begin() + 12, with_empty.begin() + 18), (bytes{2, 0, 0, 0, 0, 0}));

    auto unnamed = make_element({.null_description = true});
    auto null = new_info();
    null->SetInfo(1, 1, unnamed->base());
    const bytes with_null = saved(null.get());
    ASSERT_EQ(with_null.size(), 38u);
    EXPECT_EQ(bytes(with_null.begin() + 12, with_null.begin() + 16), (bytes{0, 0, 0, 0}));

    auto reloaded = new_info();
    ASSERT_EQ(load(reloaded.get(), with_null), S_OK);
    com::Bstr text(u"not null");
    EXPECT_EQ(reloaded->get_Description(text.put()), S_OK);
    EXPECT_TRUE(text.is_null()) << "a count of 0 loads as a null description";
    EXPECT_EQ(saved(reloaded.get()), with_null);
}

TEST_F(ElementInfo, VersionsZeroAndOneLoadTheSameFieldsAndSaveVersionOne)
{
    info_fields f{.page_id = -3, .element_id = 17, .description = u"Stationery text",
                  .type = 15, .left = 5, .top = -6, .right = 700, .bottom = 800,
                  .inclination = 90};
    for (ULONG version : {1u, 0u}) {
        SCOPED_TRACE(version);
        auto info = new_info();
        ASSERT_EQ(load(info.get(), info_record(f, version)), S_OK);
        EXPECT_FALSE(is_dirty(info.get()));
        EXPECT_EQ(position_of(info.get()), (position{5, -6, 700, 800, 90}));
        EXPECT_EQ(element_id_of(info.get()), 17);
        ZeCntElementType type{};
        info->get_ElementType(&type);
        EXPECT_EQ(type, zeCntElementTypePageBreak);
        EXPECT_EQ(description_of(info.get()), u"Stationery text");
        EXPECT_EQ(saved(info.get()), info_record(f));
    }
}

const info_fields sample{.page_id = 2, .element_id = 3, .description = u"abc", .type = 4,
                         .left = 5, .top = 6, .right = 7, .bottom = 8, .inclination = 9};

TEST_F(ElementInfo, TruncationAtEveryByteFailsAndKeepsWhatWasRead)
{
    const bytes whole = info_record(sample);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        auto info = new_info();
        info->put_ElementID(-1);
        EXPECT_EQ(load(info.get(), bytes(whole.begin(), whole.begin() + cut)), E_FAIL);
        EXPECT_EQ(element_id_of(info.get()), cut >= 12 ? 3 : -1)
            << "fields read before the cut keep their new values";
        // Still usable: it saves and loads a whole record afterwards.
        saved(info.get());
        EXPECT_EQ(load(info.get(), whole), S_OK);
        EXPECT_EQ(saved(info.get()), whole);
    }
}

// A damaged record, or one whose description cannot be allocated, stops the load with its
// code: a newer version right after the version word, before any field; a bad description
// count, a non-zero terminator or a failed allocation back at the count, with the ids read
// and the description null. (The string reader's own cases are in the record tests.)
TEST_F(ElementInfo, ADamagedRecordStopsTheLoadWhereItIsDamaged)
{
    struct damage {
        const char* name;
        ULONG version = 1;
        std::size_t at = 0;
        std::vector<BYTE> value;  // written from `at` on
        bool fail_allocation = false;
        HRESULT expected;
        ULONGLONG stop = 12;
        LONG element_id = 3;
    };
    const damage cases[] = {
        {.name = "newer version", .version = 2, .expected = E_UNEXPECTED, .stop = 4,
         .element_id = 41},
        {.name = "count of -1", .at = 12, .value = {0xFF, 0xFF, 0xFF, 0xFF},
         .expected = E_ACCESSDENIED},
        {.name = "count of 1", .at = 12, .value = {1}, .expected = E_FAIL},
        {.name = "non-zero terminator", .at = 22, .value = {1}, .expected = E_FAIL},
        {.name = "count too large", .at = 15, .value = {0x10}, .expected = E_ACCESSDENIED},
        {.name = "no memory", .fail_allocation = true, .expected = E_OUTOFMEMORY},
    };
    for (const damage& d : cases) {
        SCOPED_TRACE(d.name);
        bytes b = info_record(sample, d.version);
        std::copy(d.value.begin(), d.value.end(), b.begin() + static_cast<std::ptrdiff_t>(d.at));
        auto info = new_info();
        info->put_ElementID(41);
        auto s = stream_of(b);
        HRESULT hr = S_OK;
        {
            com::fault::failing_allocation fault(d.fail_allocation ? 1 : com::fault::never);
            hr = query<IPersistStreamInit>(info.get())->Load(s.get());
        }
        EXPECT_EQ(hr, d.expected);
        EXPECT_EQ(position_in(s.get()), d.stop) << "rewound to the field that stopped it";
        EXPECT_EQ(element_id_of(info.get()), d.element_id);
        EXPECT_TRUE(is_dirty(info.get())) << "a refused load does not clear the flag";
        com::Bstr text(u"x");
        info->get_Description(text.put());
        if (d.stop == 4)
            EXPECT_EQ(text.view(), u"") << "nothing was read";
        else
            EXPECT_TRUE(text.is_null());
    }
}

// A failing read or write of a record reaches the caller as it is: the container stream's walk
// over its records in container_persistence_test.cpp.

}  // namespace
}  // namespace container_test
