// What the shared skeleton does for every element class, one typed test over all of them: null
// out-pointers, the persistence members, the dirty flag, records cut short or too new, failing
// reads, writes and allocations, CopyTo, the position's arithmetic, the base members before Attach, identity
// and aggregation.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "contentelements/cnt_fields.h"
#include "contentelements/cnt_image.h"
#include "contentelements/cnt_link.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/cnt_textmark.h"
#include "contentelements/zprint_objects.h"
#include "elements/image/image.h"
#include "fields/field_classes.h"
#include "elements/link/link.h"
#include "elements/note/note.h"
#include "elements/pagebreak/pagebreak.h"
#include "elements/stamp/stamp.h"
#include "elements/textmark/textmark.h"
#include "tests/elements/element_support.h"

namespace element_test {
namespace {

using create_function = HRESULT (*)(IUnknown*, REFIID, void**) noexcept;

// How SetPosition treats the rectangle it is given.
enum class position_rule { kept, normalised, none };

// What a form field does otherwise than the other elements: its record holds no page object ids,
// CopyTo copies the description and still answers E_NOTIMPL, a description ends at its first
// zero, IDispatch is the class's own interface, and Attach enters it at once. A choice field
// (combo, list) reports an option header it cannot read whole as E_FAIL.
enum class family { element, field, choice_field };

// One row a class: its own interface, create function, class id, record version, position
// rule, whether it can be aggregated, whether it turns, what CopyTo within the class gives, how
// many bytes of its record lie between the description and the page objects' ids, whether
// Attach enters it in the container before it made page objects, and its family.
template <typename Own, create_function Create, const CLSID& Class, ULONG Version,
          position_rule Position, bool Aggregatable, bool Turns, HRESULT SameClassCopy,
          std::size_t IdsAfterDescription, bool EnteredBare = false, family Family = family::element>
struct element_class {
    using own = Own;
    static constexpr create_function create = Create;
    static constexpr const CLSID& class_id = Class;
    static constexpr ULONG version = Version;
    static constexpr position_rule position = Position;
    static constexpr bool aggregatable = Aggregatable;
    static constexpr bool turns = Turns;
    static constexpr HRESULT same_class_copy = SameClassCopy;
    static constexpr std::size_t ids_after_description = IdsAfterDescription;
    static constexpr bool entered_bare = EnteredBare;
    static constexpr bool field = Family != family::element;
    static constexpr bool choice = Family == family::choice_field;
};

using link_class = element_class<IZCntElementLink, cnt::create_link, CLSID_ZCntElementLink, 1,
                                 position_rule::kept, true, false, S_OK, 0>;
using note_class = element_class<IZCntElementNote, cnt::create_note, CLSID_ZCntElementNote, 1,
                                 position_rule::kept, true, false, S_OK, 0>;
using stamp_class = element_class<IZCntElementStamp, cnt::create_stamp, CLSID_ZCntElementStamp,
                                  1, position_rule::kept, true, true, S_OK, 0>;
using page_break_class =
    element_class<IZCntElementPageBreak, cnt::create_page_break, CLSID_ZCntElementPageBreak, 1,
                  position_rule::normalised, false, false, S_OK, 0, true>;
using image_class = element_class<IZCntElementImage, cnt::create_image, CLSID_ZCntElementImage,
                                  2, position_rule::normalised, false, false, S_OK, 4>;  // the linked id
using textmark_class =
    element_class<IZCntElementTextMark, cnt::create_textmark, CLSID_ZCntElementTextMark, 1,
                  position_rule::none, true, false, E_NOTIMPL, 0>;
template <typename Own, ZeCntElementType Type, const CLSID& Class, family Family = family::field>
using field_class = element_class<Own, cnt::fields::create_field<Type>, Class, 1,
                                  position_rule::kept, true, false, E_NOTIMPL, 0, true, Family>;
using text_field = field_class<IZCntElementFieldText, zeCntElementTypeFieldText,
                               CLSID_ZCntElementFieldText>;
using combo_field = field_class<IZCntElementFieldCombo, zeCntElementTypeFieldCombo,
                                CLSID_ZCntElementFieldCombo, family::choice_field>;
using list_field = field_class<IZCntElementFieldList, zeCntElementTypeFieldList,
                               CLSID_ZCntElementFieldList, family::choice_field>;
using check_field = field_class<IZCntElementFieldCheck, zeCntElementTypeFieldCheck,
                                CLSID_ZCntElementFieldCheck>;
using radio_field = field_class<IZCntElementFieldRadio, zeCntElementTypeFieldRadio,
                                CLSID_ZCntElementFieldRadio>;
using button_field = field_class<IZCntElementFieldButton, zeCntElementTypeFieldButton,
                                 CLSID_ZCntElementFieldButton>;
using date_field = field_class<IZCntElementFieldDateTime, zeCntElementTypeFieldDateTime,
                               CLSID_ZCntElementFieldDateTime>;
using group_field = field_class<IZCntElementFieldGroup, zeCntElementTypeFieldGroup,
                                CLSID_ZCntElementFieldGroup>;

template <typename C>
class Skeleton : public page_fixture {
protected:
    using own = typename C::own;

    static com::ComPtr<IZCntElementBase> make() { return made_by<IZCntElementBase>(C::create); }
    // An element of another class, for CopyTo to refuse.
    static com::ComPtr<IZCntElementBase> other_class()
    {
        com::ComPtr<IZCntElementBase> other;
        const create_function create =
            C::class_id == CLSID_ZCntElementLink ? cnt::create_textmark : cnt::create_link;
        EXPECT_EQ(create(nullptr, IZCntElementBase::iid, other.put_void()), S_OK);
        return other;
    }
    static void describe(IZCntElementBase* element, std::u16string_view text)
    {
        com::Bstr b(text);
        ASSERT_EQ(element->put_Description(b.get()), S_OK);
    }
    static constexpr std::u16string_view sample_text = u"Beschreibung ä";
    // A record with more than the defaults in it.
    static bytes sample()
    {
        auto element = make();
        element->SetPosition(10, 20, 300, 400);
        describe(element.get(), sample_text);
        return saved(element.get());
    }
    // The sample with page object ids.
    static bytes with_ids(const std::vector<LONG>& ids)
    {
        bytes record = sample(), text, list;
        put_string(text, sample_text);
        put_ids(list, ids);
        const auto at = std::search(record.begin(), record.end(), text.begin(), text.end()) +
                        static_cast<std::ptrdiff_t>(text.size() + C::ids_after_description);
        record.insert(record.erase(at, at + 4), list.begin(), list.end());
        return record;
    }
};

using Classes = ::testing::Types<link_class, note_class, stamp_class, page_break_class,
                                 image_class, textmark_class, text_field, combo_field, list_field,
                                 check_field, radio_field, button_field, date_field, group_field>;
struct class_names {
    template <typename C>
    static std::string GetName(int index)
    {
        static const char* const names[] = {
            "Link",      "Note",       "Stamp",      "PageBreak",  "Image",
            "TextMark",  "FieldText",  "FieldCombo", "FieldList",  "FieldCheck",
            "FieldRadio", "FieldButton", "FieldDateTime", "FieldGroup"};
        return names[index];
    }
};
TYPED_TEST_SUITE(Skeleton, Classes, class_names);

TYPED_TEST(Skeleton, PersistenceMembersAndNullOutPointers)
{
    EXPECT_EQ(TypeParam::create(nullptr, TypeParam::own::iid, nullptr), E_POINTER);
    auto element = this->make();
    element->SetPosition(1, 2, 3, 4);
    LONG v = 9;
    com::ComPtr<IZElement> host;
    ASSERT_EQ(element->QueryInterface(IZElement::iid, host.put_void()), S_OK);
    int row = 0;
    for (HRESULT hr : {element->GetPosition(nullptr, &v, &v, &v),
                       element->GetPosition(&v, nullptr, &v, &v),
                       element->GetPosition(&v, &v, nullptr, &v),
                       element->GetPosition(&v, &v, &v, nullptr), element->get_Inclination(nullptr),
                       element->get_AllowInclination(nullptr), element->get_ElementType(nullptr),
                       element->get_Description(nullptr), element->get_PageID(nullptr),
                       host->GetObjectKind(nullptr), host->GetBounds(nullptr, &v, &v, &v),
                       host->GetBounds(&v, &v, &v, nullptr)})
        EXPECT_EQ(hr, E_POINTER) << "call " << row++;
    EXPECT_EQ(v, 9) << "nothing is written when a pointer is missing";

    auto persist = persist_of(element.get());
    CLSID clsid{};
    ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, TypeParam::class_id);
    ULARGE_INTEGER size{.QuadPart = 99};
    ASSERT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 4u);
    EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
    EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);
    EXPECT_EQ(persist->Load(nullptr), E_POINTER);
    EXPECT_EQ(persist->Save(nullptr, TRUE), E_POINTER);

    com::ComPtr<IZCntElementIds> ids;  // a field keeps no ids of its own
    const HRESULT has_ids = element->QueryInterface(IZCntElementIds::iid, ids.put_void());
    ASSERT_EQ(has_ids, TypeParam::field ? E_NOINTERFACE : S_OK);
    if (!ids) return;
    EXPECT_EQ(ids->GetElementID(nullptr), E_POINTER);
    EXPECT_EQ(ids->GetCreatedIDs(created_list::page_objects, 0, nullptr, nullptr), E_POINTER);
}

TYPED_TEST(Skeleton, DirtyFlagFollowsSaveLoadAndSetters)
{
    auto element = this->make();
    auto persist = persist_of(element.get());
    EXPECT_TRUE(is_dirty(element.get())) << "a new element is dirty";
    saved(element.get(), FALSE);
    EXPECT_TRUE(is_dirty(element.get())) << "Save without clear-dirty keeps the flag";
    const bytes record = saved(element.get(), TRUE);
    EXPECT_FALSE(is_dirty(element.get()));
    this->describe(element.get(), u"changed");
    EXPECT_TRUE(is_dirty(element.get())) << "a setter sets the flag";
    ASSERT_EQ(load(element.get(), record), S_OK);
    EXPECT_FALSE(is_dirty(element.get())) << "Load clears the flag";
    element->SetPosition(1, 2, 3, 4);
    EXPECT_EQ(is_dirty(element.get()), TypeParam::position != position_rule::none)
        << "moving an element without a position changes nothing";
    saved(element.get());
    EXPECT_EQ(persist->InitNew(), S_OK);
    EXPECT_TRUE(is_dirty(element.get()));
}

TYPED_TEST(Skeleton, SaveLoadSaveIsByteIdenticalAndEveryCutFails)
{
    const bytes record = this->sample();
    ASSERT_GE(record.size(), 4u);
    EXPECT_EQ(bytes(record.begin(), record.begin() + 4),
              (bytes{static_cast<BYTE>(TypeParam::version), 0, 0, 0}))
        << "the record opens with the class's version";
    auto element = this->make();
    ASSERT_EQ(load(element.get(), record), S_OK);
    EXPECT_EQ(description_of(element.get()), u"Beschreibung ä");
    EXPECT_EQ(saved(element.get()), record);
    // Cut at every byte, the record fails and leaves a usable element.
    for (std::size_t cut = 0; cut < record.size(); ++cut) {
        SCOPED_TRACE(cut);
        auto cut_short = this->make();
        EXPECT_TRUE(FAILED(load(cut_short.get(), bytes(record.begin(), record.begin() + cut))));
        EXPECT_TRUE(is_dirty(cut_short.get())) << "a failed load leaves the flag";
        ASSERT_EQ(load(cut_short.get(), record), S_OK);
        EXPECT_EQ(saved(cut_short.get()), record);
    }
}

TYPED_TEST(Skeleton, NewerVersionsAreRefusedBeforeAnyField)
{
    auto element = this->make();
    const bytes before = saved(element.get());
    persist_of(element.get())->InitNew();
    for (ULONG version : {TypeParam::version + 1, 0xFFFFFFFFu}) {  // unsigned: far above
        SCOPED_TRACE(version);
        bytes newer = this->sample();
        newer[0] = static_cast<BYTE>(version), newer[1] = static_cast<BYTE>(version >> 8);
        newer[2] = static_cast<BYTE>(version >> 16), newer[3] = static_cast<BYTE>(version >> 24);
        EXPECT_EQ(load(element.get(), newer), E_UNEXPECTED);
        EXPECT_TRUE(is_dirty(element.get())) << "a refused load does not clear the flag";
    }
    EXPECT_EQ(saved(element.get()), before) << "nothing of the refused records was read";
}

TYPED_TEST(Skeleton, EveryFailingReadAndWriteIsReturnedAsIs)
{
    const bytes record = this->sample();
    // A choice field's option header (format word and count) lies 14 bytes before the end.
    const std::size_t header = record.size() - 14;
    expect_every_failing_read_reported(this->make, record, [&](ULONGLONG at) {
        return TypeParam::choice && at == header ? E_FAIL : STG_E_READFAULT;
    });
    auto element = this->make();
    ASSERT_EQ(load(element.get(), this->sample()), S_OK);
    expect_every_failing_write_reported(element.get(), this->sample(),
                                        [&] { persist_of(element.get())->InitNew(); });
}

// An allocation that fails anywhere in a save is reported; one in a load is reported too, or
// the load did without it and saves again the same record.
TYPED_TEST(Skeleton, EveryFailingAllocationOfASaveOrLoadIsReportedOrLosesNothing)
{
    const live before;
    {
        const bytes record = this->sample();
        auto source = this->make();
        ASSERT_EQ(load(source.get(), record), S_OK);
        auto save_once = [&](std::uint64_t fail_at) {
            com::ComPtr<IStream> s;
            com::create_memory_stream(s.put());
            failing_allocation fault(fail_at);
            return persist_of(source.get())->Save(s.get(), FALSE);
        };
        const std::uint64_t saves = allocations_of([&] { save_once(com::fault::never); });
        for (std::uint64_t n = 1; n <= saves; ++n) EXPECT_EQ(save_once(n), E_OUTOFMEMORY) << n;
        auto load_once = [&](std::uint64_t fail_at, bytes* again) {
            auto target = this->make();
            com::ComPtr<IStream> s;
            com::create_memory_stream(record.data(), record.size(), s.put());
            HRESULT hr;
            {
                failing_allocation fault(fail_at);
                hr = persist_of(target.get())->Load(s.get());
            }
            if (SUCCEEDED(hr)) *again = saved(target.get());
            return hr;
        };
        bytes again;
        const std::uint64_t loads = allocations_of([&] { load_once(com::fault::never, &again); });
        ASSERT_GT(loads, 0u) << "the description at least is allocated";
        for (std::uint64_t n = 1; n <= loads; ++n) {
            again.clear();
            const HRESULT hr = load_once(n, &again);
            if (hr == S_OK)
                EXPECT_EQ(again, record) << n;
            else
                EXPECT_EQ(hr, E_OUTOFMEMORY) << n;
        }
    }
    expect_all_freed(before);
}

TYPED_TEST(Skeleton, CopyToRefusesNullAndOtherClassesAndSkipsThePosition)
{
    auto from = this->make();
    from->SetPosition(1, 2, 3, 4);
    this->describe(from.get(), u"source");
    EXPECT_EQ(from->CopyTo(nullptr), E_INVALIDARG);
    auto other = this->other_class();
    EXPECT_EQ(from->CopyTo(other.get()), E_INVALIDARG);
    EXPECT_EQ(description_of(other.get()), u"") << "refused before anything was copied";

    auto to = this->make();
    EXPECT_EQ(from->CopyTo(to.get()), TypeParam::same_class_copy);
    const bool copied = SUCCEEDED(TypeParam::same_class_copy) || TypeParam::field;
    EXPECT_EQ(description_of(to.get()), copied ? u"source" : u"");
    EXPECT_EQ(position(to.get()), (std::vector<LONG>{0, 0, 0, 0}));
}

TYPED_TEST(Skeleton, PositionRoundTripsAndWrapsAtTheEndsOfTheRange)
{
    constexpr LONG lo = std::numeric_limits<LONG>::min(), hi = std::numeric_limits<LONG>::max();
    struct position_case {
        std::vector<LONG> given, kept, normalised;  // left, top, width, height
    };
    const position_case cases[] = {
        {{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {{100, 100, -50, -20}, {100, 100, -50, -20}, {50, 80, 50, 20}},
        // hi + 1 wraps to lo, lo - 1 to hi; the width hi - lo then wraps to -1.
        {{hi, lo, 1, -1}, {hi, lo, 1, -1}, {lo, lo, -1, -1}},
        {{lo, hi, -1, 1}, {lo, hi, -1, 1}, {lo, lo, -1, -1}},
    };
    for (const position_case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.given));
        auto element = this->make();
        ASSERT_EQ(element->SetPosition(c.given[0], c.given[1], c.given[2], c.given[3]), S_OK);
        const std::vector<LONG> got = position(element.get());
        switch (TypeParam::position) {
        case position_rule::kept: EXPECT_EQ(got, c.kept); break;
        case position_rule::normalised: EXPECT_EQ(got, c.normalised); break;
        case position_rule::none: EXPECT_EQ(got, (std::vector<LONG>{0, 0, 0, 0})); break;
        }
        // The bounds are the same rectangle as right and bottom edges, summed as 32 bits.
        com::ComPtr<IZElement> host;
        element->QueryInterface(IZElement::iid, host.put_void());
        LONG l, t, r, b;
        ASSERT_EQ(host->GetBounds(&l, &t, &r, &b), S_OK);
        auto edge = [](LONG from, LONG size) {
            return static_cast<LONG>(static_cast<ULONG>(from) + static_cast<ULONG>(size));
        };
        EXPECT_EQ((std::vector<LONG>{l, t, r, b}),
                  (std::vector<LONG>{got[0], got[1], edge(got[0], got[2]), edge(got[1], got[3])}));
    }
}

TYPED_TEST(Skeleton, BaseMembersBeforeAttach)
{
    auto element = this->make();
    LONG page_id = 77;
    EXPECT_EQ(element->get_PageID(&page_id), E_UNEXPECTED);
    EXPECT_EQ(page_id, 0);
    EXPECT_EQ(element->put_Description(nullptr), E_INVALIDARG);
    this->describe(element.get(), std::u16string_view(u"a\0b", 3));
    EXPECT_EQ(description_of(element.get()),
              TypeParam::field ? std::u16string(u"a") : std::u16string(u"a\0b", 3))
        << "embedded zeros are kept, but a field's text ends at the first";

    SHORT angle = 5;
    VARIANT_BOOL allowed = 5;
    EXPECT_EQ(element->get_AllowInclination(&allowed), S_OK);
    EXPECT_EQ(allowed, TypeParam::turns ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(element->put_Inclination(10), TypeParam::turns ? S_OK : E_NOTIMPL);
    EXPECT_EQ(element->get_Inclination(&angle), S_OK);
    EXPECT_EQ(angle, TypeParam::turns ? 10 : 0);

    // Delete without a page removes nothing, not even the ids of a loaded record.
    const bytes loaded = TypeParam::field ? this->sample() : this->with_ids({9, 12});
    ASSERT_EQ(load(element.get(), loaded), S_OK);
    EXPECT_EQ(page_object_ids(element.get()),
              (TypeParam::field ? std::vector<LONG>{} : std::vector<LONG>{9, 12}));
    EXPECT_EQ(element->Delete(), S_OK);
    EXPECT_EQ(saved(element.get()), loaded);

    com::ComPtr<IZElement> host;
    element->QueryInterface(IZElement::iid, host.put_void());
    EXPECT_EQ(host->Draw(0, 0, 0, 0, 0, 0, 0), S_OK);
    EXPECT_EQ(host->Attach(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(element->get_PageID(&page_id), E_UNEXPECTED) << "no page without a page list";
}

TYPED_TEST(Skeleton, AttachEntersAnElementInTheContainerOnlyWithPageObjects)
{
    auto fresh = this->make(), loaded = this->make();
    ASSERT_EQ(load(loaded.get(), TypeParam::field ? this->sample() : this->with_ids({9})), S_OK);
    ASSERT_EQ(this->attach(fresh.get()), S_OK);
    const LONG entered = TypeParam::entered_bare || !page_object_ids(fresh.get()).empty();
    EXPECT_EQ(this->container_count(), entered);
    ASSERT_EQ(this->attach(loaded.get()), S_OK);
    EXPECT_EQ(this->container_count(), entered + 1) << "loaded with ids, it is entered";
}

TYPED_TEST(Skeleton, InterfacesShareOneIdentity)
{
    auto element = this->make();
    // The first two share the element's own pointer; the others the same identity.
    const IID* const iids[] = {&IZCntElementBase::iid, &IDispatch::iid, &IPersist::iid,
                               &IPersistStreamInit::iid, &IZElement::iid, &IZCntElementIds::iid};
    for (const IID* iid : iids) {
        if (TypeParam::field && iid == &IZCntElementIds::iid) continue;
        com::ComPtr<IUnknown> p;
        ASSERT_EQ(element->QueryInterface(*iid, p.put_void()), S_OK);
        EXPECT_TRUE(com::same_object(p.get(), element.get()));
        if (iid == iids[0] || (iid == iids[1] && !TypeParam::field)) {
            EXPECT_EQ(static_cast<void*>(p.get()), static_cast<void*>(element.get()));
        }
    }
    com::ComPtr<IPersist> persist;
    com::ComPtr<IPersistStreamInit> persist_init;
    element->QueryInterface(IPersist::iid, persist.put_void());
    element->QueryInterface(IPersistStreamInit::iid, persist_init.put_void());
    EXPECT_EQ(static_cast<void*>(persist.get()), static_cast<void*>(persist_init.get()));
    if (TypeParam::field) {  // IDispatch is the class's own interface, apart from the shared ones
        void* own = nullptr;
        void* dispatch = nullptr;
        void* shared = nullptr;
        element->QueryInterface(TypeParam::own::iid, &own);
        element->QueryInterface(IDispatch::iid, &dispatch);
        element->QueryInterface(IZCntElementFormField::iid, &shared);
        EXPECT_EQ(own, dispatch);
        EXPECT_NE(shared, own);
        EXPECT_NE(shared, static_cast<void*>(element.get()));
        for (void* p : {own, dispatch, shared}) static_cast<IUnknown*>(p)->Release();
    }
}

TYPED_TEST(Skeleton, AggregationAsTheClassAllowsIt)
{
    // A minimal outer object that hands every QueryInterface but IUnknown to the inner one.
    struct outer_unknown : IUnknown {
        IUnknown* inner = nullptr;
        ULONG refs = 1;
        HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override
        {
            if (riid != IID_IUnknown) return inner->QueryInterface(riid, ppv);
            *ppv = this;
            AddRef();
            return S_OK;
        }
        ULONG AddRef() noexcept override { return ++refs; }
        ULONG Release() noexcept override { return --refs; }
    } outer;
    void** slot = reinterpret_cast<void**>(&outer.inner);
    EXPECT_EQ(TypeParam::create(&outer, TypeParam::own::iid, slot), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(outer.inner, nullptr);
    if (!TypeParam::aggregatable) {
        EXPECT_EQ(TypeParam::create(&outer, IID_IUnknown, slot), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(outer.inner, nullptr);
        return;
    }
    ASSERT_EQ(TypeParam::create(&outer, IID_IUnknown, slot), S_OK);
    com::ComPtr<typename TypeParam::own> through;
    ASSERT_EQ(outer.QueryInterface(TypeParam::own::iid, through.put_void()), S_OK);
    com::ComPtr<IUnknown> identity;
    through->QueryInterface(IID_IUnknown, identity.put_void());
    EXPECT_EQ(identity.get(), static_cast<IUnknown*>(&outer));
    through.reset();
    identity.reset();
    outer.inner->Release();
}

}  // namespace
}  // namespace element_test
