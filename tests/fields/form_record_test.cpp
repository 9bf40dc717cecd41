// The fields' records, byte for byte as the record tables give them: the shared form-field
// record with its variants and appearance, each class's part after it, the versions that are
// refused, streams that end part way, and the dirty test over the children. Failing reads and
// writes, cuts at every byte and the first version are the element skeleton's typed test.
#include <gtest/gtest.h>

#include "tests/fields/form_support.h"

namespace form_test {
namespace {

bytes saved_field(IUnknown* field) { return saved(field); }

TEST(FormRecord, ANewFieldWritesTheSharedRecordThenItsClassPart)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        auto field = create(c);
        EXPECT_EQ(saved_field(field.get()), join(form_record(), class_part(c)));
        EXPECT_FALSE(is_dirty(field.get()));
    }
}

TEST(FormRecord, EveryValueIsWrittenInItsPlaceAndReadBack)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        auto field = create(c);
        auto base = as<IZCntElementBase>(field.get());
        base->SetPosition(-5, 7, 100, 20);
        com::Bstr description(u"Desc"), name(u"Name1"), mapping(u"map");
        base->put_Description(description.get());
        field->put_Name(name.get());
        field->put_MappingName(mapping.get());
        field->put_ReadOnly(VARIANT_TRUE);
        field->put_Export(VARIANT_FALSE);
        VARIANT five;
        five.vt = VT_I4;
        five.lVal = 5;
        field->put_DefaultValue(five);
        VARIANT text;
        text.vt = VT_BSTR;
        text.bstrVal = SysAllocString(u"yes");
        field->put_CurrentValue(text);
        VariantClear(&text);
        ComPtr<IZCntFormFieldAppearance> appearance;
        field->get_Appearance(appearance.put());
        appearance->put_BorderColor(0x0000FF);
        appearance->put_FillColor(0x00FF00);

        form_values v{.left = -5, .top = 7, .right = 95, .bottom = 27, .description = u"Desc",
                      .name = u"Name1", .read_only = -1, .mapping = u"map", .export_flag = 0,
                      .border = 0x0000FF, .fill = 0x00FF00};
        v.default_value = {3, 0, 5, 0, 0, 0};  // VT_I4 and its four bytes
        v.current_value.clear();
        put_u16(v.current_value, VT_BSTR);
        put_string(v.current_value, u"yes");
        const bytes expected = join(form_record(v), class_part(c));
        const bytes record = saved_field(field.get());
        ASSERT_EQ(record, expected);

        auto again = create(c);
        ASSERT_EQ(load(again.get(), record), S_OK);
        EXPECT_FALSE(is_dirty(again.get()));
        EXPECT_EQ(saved_field(again.get()), expected);
        VARIANT got;
        VariantInit(&got);
        again->get_DefaultValue(&got);
        EXPECT_EQ(got.vt, VT_I4);
        EXPECT_EQ(got.lVal, 5);
        again->get_CurrentValue(&got);
        ASSERT_EQ(got.vt, VT_BSTR);
        EXPECT_EQ(std::u16string(got.bstrVal), u"yes");
        VariantClear(&got);
    }
}

TEST(FormRecord, AValueWithoutATextFormStopsTheSaveAfterItsType)
{
    auto field = create(classes[3]);
    VARIANT null_value;
    null_value.vt = VT_NULL;
    ASSERT_EQ(field->put_CurrentValue(null_value), S_OK);
    ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    EXPECT_EQ(persist_of(field.get())->Save(s.get(), TRUE), DISP_E_TYPEMISMATCH);
    bytes written;
    com::memory_stream_bytes(s.get(), &written);
    // Everything up to the current value is written, then the value's type (VT_NULL, 1).
    bytes expected = form_record();
    expected.resize(expected.size() - 12 - 2 - 6 - 8);  // appearance, export, mapping, value
    expected.insert(expected.end(), {1, 0});
    EXPECT_EQ(written, expected);
    EXPECT_TRUE(is_dirty(field.get()));
}

TEST(FormRecord, TheChildrenOfTextComboAndListTravelWithTheField)
{
    auto combo = create<IZCntElementFieldCombo>(classes[1]);
    ComPtr<IZCntChoiceFieldOptionCollection> items;
    combo->get_ChoiceItems(items.put());
    for (const char16_t* display : {u"One", u"Two"}) {
        ComPtr<IZCntChoiceFieldOption> option;
        ASSERT_EQ(items->Add(option.put()), S_OK);
        com::Bstr d(display), e(u"v");
        option->put_DisplayName(d.get());
        option->put_ExportValue(e.get());
    }
    ComPtr<IZCntTextAttributes> attributes;
    combo->get_TextAttributes(attributes.put());
    attributes->put_FontSize(120);
    combo->put_EditBox(VARIANT_TRUE);
    bytes part;
    put_u32(part, 1);
    part = join(part, text_attributes_record(120));
    part = join(part, options_record({{u"One", u"v"}, {u"Two", u"v"}}));
    put_u32(part, 1);
    put_i16(part, -1);
    const bytes expected = join(form_record(), part);
    EXPECT_EQ(saved_field(combo.get()), expected);

    auto again = create<IZCntElementFieldCombo>(classes[1]);
    ASSERT_EQ(load(again.get(), expected), S_OK);
    EXPECT_EQ(saved_field(again.get()), expected);
    ComPtr<IZCntChoiceFieldOptionCollection> loaded;
    again->get_ChoiceItems(loaded.put());
    LONG count = 0;
    loaded->get_Count(&count);
    EXPECT_EQ(count, 2);
}

TEST(FormRecord, NewerVersionsAreRefusedWhereverTheyStand)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        const bytes shared = form_record();
        const bytes whole = join(shared, class_part(c));
        // Offsets of the versions: the record's, the appearance's, the class part's and, for
        // the choice fields, the second one before the flag.
        std::vector<std::size_t> at{0, shared.size() - 12, shared.size()};
        if (c.extra == part::choice) at.push_back(whole.size() - 6);
        for (std::size_t offset : at) {
            for (ULONG version : {2u, 0x80000000u}) {
                SCOPED_TRACE(offset);
                bytes record = whole;
                record[offset] = static_cast<BYTE>(version);
                record[offset + 3] = static_cast<BYTE>(version >> 24);
                auto field = create(c);
                EXPECT_EQ(load(field.get(), record), E_UNEXPECTED);
                EXPECT_TRUE(is_dirty(field.get()));
            }
        }
        auto field = create(c);
        bytes older = whole;
        older[0] = 0;
        EXPECT_EQ(load(field.get(), older), S_OK) << "an older version is read alike";
    }
}

TEST(FormRecord, AStreamEndingInsideAChildKeepsWhatWasReadBeforeIt)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        form_values v{.name = u"Kept"};
        const bytes shared = form_record(v);
        const bytes whole = join(shared, class_part(c));
        // Cut inside the appearance, then (where there is one) inside the text attributes.
        std::vector<std::size_t> cuts{shared.size() - 6};
        if (c.extra != part::plain) cuts.push_back(shared.size() + 4 + 7);
        for (std::size_t cut : cuts) {
            SCOPED_TRACE(cut);
            auto field = create(c);
            const HRESULT hr = load(field.get(), bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
            EXPECT_TRUE(FAILED(hr));
            com::Bstr name;
            field->get_Name(name.put());
            EXPECT_EQ(std::u16string(name.get()), u"Kept");
            EXPECT_TRUE(is_dirty(field.get())) << "a Load that stops leaves the field dirty";
        }
    }
}

TEST(FormRecord, DirtyCoversTheFieldAndEachOfItsChildren)
{
    struct change {
        const char* what;
        bool (*applies)(const field_class&);
        void (*apply)(IZCntElementFormField*);
        bool dirties;
    };
    const auto all = [](const field_class&) { return true; };
    const auto with_text = [](const field_class& c) { return c.extra != part::plain; };
    const auto choice = [](const field_class& c) { return c.extra == part::choice; };
    const change changes[] = {
        {"border colour", all, [](IZCntElementFormField* f) { appearance_of(f)->put_BorderColor(0x123456); }, true},
        {"the same border colour", all, [](IZCntElementFormField* f) { appearance_of(f)->put_BorderColor(0); }, false},
        {"font size", with_text, [](IZCntElementFormField* f) { text_attributes_of(f)->put_FontSize(80); }, true},
        {"an option added", choice,
         [](IZCntElementFormField* f) {
             ComPtr<IZCntChoiceFieldOption> option;
             choice_items_of(f)->Add(option.put());
         },
         true},
        {"read only", all, [](IZCntElementFormField* f) { f->put_ReadOnly(0); }, true},
        {"export", all, [](IZCntElementFormField* f) { f->put_Export(-1); }, true},
        {"mapping name", all, [](IZCntElementFormField* f) { f->put_MappingName(nullptr); }, true},
        {"default value", all,
         [](IZCntElementFormField* f) {
             VARIANT v;
             VariantInit(&v);
             f->put_DefaultValue(v);
         },
         true},
        {"the text format", [](const field_class& c) { return c.extra == part::text; },
         [](IZCntElementFormField* f) { as<IZCntElementFieldText>(f)->put_Format(zeCntFieldTextFormatDate); },
         false},
    };
    for (const field_class& c : classes) {
        for (const change& ch : changes) {
            if (!ch.applies(c)) continue;
            SCOPED_TRACE(std::string(c.coclass) + ": " + ch.what);
            auto field = create(c);
            saved(field.get());
            ASSERT_FALSE(is_dirty(field.get()));
            ch.apply(field.get());
            EXPECT_EQ(is_dirty(field.get()), ch.dirties);
            saved(field.get(), FALSE);
            EXPECT_EQ(is_dirty(field.get()), ch.dirties) << "a save without clearing keeps it";
        }
    }
}

}  // namespace
}  // namespace form_test
