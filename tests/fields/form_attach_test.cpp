// Fields on a real host document: Attach enters each into the document's container at once and
// the container names the unnamed ones; which setters tell the container; Delete; the names
// and records across a saved and reloaded document; and who keeps whom alive among a field
// and its children.
#include <gtest/gtest.h>

#include "contentelements/cnt_container.h"
#include "contentelements/zprint_objects.h"
#include "host/engine.h"
#include "platform/com/codepage.h"
#include "tests/fields/form_support.h"
#include "tests/road/support.h"

namespace form_test {
namespace {

using road::container_of;

std::u16string name_of(IZCntElementFormField* field)
{
    com::Bstr name;
    field->get_Name(name.put());
    return name.get() ? std::u16string(name.get()) : u"<null>";
}

class FormAttach : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(doc.add_page(6000, 8000, 300), S_OK); }

    // Attaches to page 1 of `to` as the engine does.
    HRESULT attach(IUnknown* field, host::document* to = nullptr)
    {
        return road::attach_to_lists(field, to ? *to : doc);
    }

    static LONG count_of(IZCntElementContainer* c)
    {
        LONG n = -1;
        c->get_Count(&n);
        return n;
    }

    host::document doc;
};

TEST_F(FormAttach, EachFieldIsEnteredAtAttachAndUnnamedOnesAreNumbered)
{
    std::vector<ComPtr<IZCntElementFormField>> fields;
    for (const field_class& c : classes) fields.push_back(create(c));
    com::Bstr customer(u"Customer");
    fields[2]->put_Name(customer.get());
    for (auto& f : fields) ASSERT_EQ(attach(f.get()), S_OK);

    auto container = container_of(doc);
    ASSERT_TRUE(container);
    EXPECT_EQ(doc.document_objects().size(), 1u) << "one container for all";
    EXPECT_EQ(count_of(container.get()), 8) << "no page objects are needed to be entered";
    int number = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(classes[i].coclass);
        if (i == 2) {
            EXPECT_EQ(name_of(fields[i].get()), u"Customer");
            continue;
        }
        EXPECT_EQ(name_of(fields[i].get()), u"f" + com::from_ansi(std::to_string(number++)));
        LONG page = 0;
        EXPECT_EQ(as<IZCntElementBase>(fields[i].get())->get_PageID(&page), S_OK);
        EXPECT_EQ(page, doc.page_id(1));
    }
    ASSERT_EQ(attach(fields[0].get()), S_OK);
    EXPECT_EQ(count_of(container.get()), 8) << "a second Attach files nothing new";
}

TEST_F(FormAttach, OnlyPositionDescriptionAndNameTellTheContainer)
{
    struct setter {
        const char* what;
        void (*set)(IZCntElementFormField*);
        bool tells;
    };
    const setter setters[] = {
        {"SetPosition", [](IZCntElementFormField* f) { as<IZCntElementBase>(f)->SetPosition(1, 2, 3, 4); }, true},
        {"Description",
         [](IZCntElementFormField* f) {
             com::Bstr d(u"field");
             as<IZCntElementBase>(f)->put_Description(d.get());
         },
         true},
        {"Name",
         [](IZCntElementFormField* f) {
             com::Bstr n(u"other");
             f->put_Name(n.get());
         },
         true},
        {"MappingName",
         [](IZCntElementFormField* f) {
             com::Bstr n(u"m");
             f->put_MappingName(n.get());
         },
         false},
        {"ReadOnly", [](IZCntElementFormField* f) { f->put_ReadOnly(-1); }, false},
        {"Export", [](IZCntElementFormField* f) { f->put_Export(0); }, false},
        {"CurrentValue",
         [](IZCntElementFormField* f) {
             VARIANT v;
             v.vt = VT_I2;
             v.iVal = 1;
             f->put_CurrentValue(v);
         },
         false},
        {"Appearance",
         [](IZCntElementFormField* f) {
             ComPtr<IZCntFormFieldAppearance> a;
             f->get_Appearance(a.put());
             a->put_FillColor(1);
         },
         false},
    };
    for (const field_class& c : classes) {
        auto field = create(c);
        com::Bstr description(u"field");
        as<IZCntElementBase>(field.get())->put_Description(description.get());
        ASSERT_EQ(attach(field.get()), S_OK);
        auto container = container_of(doc);
        ComPtr<IZCntElementInfo> record;
        ASSERT_EQ(container->get_Item(count_of(container.get()), record.put()), S_OK);
        for (const setter& s : setters) {
            SCOPED_TRACE(std::string(c.coclass) + " " + s.what);
            // A record changed behind the container's back is refreshed only by a report.
            com::Bstr stale(u"stale");
            record->put_Description(stale.get());
            s.set(field.get());
            com::Bstr now;
            record->get_Description(now.put());
            EXPECT_EQ(std::u16string(now.get()), s.tells ? u"field" : u"stale");
        }
    }
}

TEST_F(FormAttach, DeleteTakesTheFieldOutOfTheContainerOnly)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        auto field = create(c);
        ASSERT_EQ(attach(field.get()), S_OK);
        auto container = container_of(doc);
        const LONG before = count_of(container.get());
        auto base = as<IZCntElementBase>(field.get());
        EXPECT_EQ(base->Delete(), S_OK);
        EXPECT_EQ(count_of(container.get()), before - 1);
        EXPECT_EQ(base->Delete(), S_OK) << "again: nothing left to remove";
        EXPECT_EQ(count_of(container.get()), before - 1);
        EXPECT_EQ(name_of(field.get()), u"f" + com::from_ansi(std::to_string(&c - classes + 1)));
    }
}

TEST_F(FormAttach, NamesAndRecordsSurviveASavedAndReloadedDocument)
{
    std::vector<ComPtr<IZCntElementFormField>> fields;
    for (const field_class& c : classes) {
        fields.push_back(create(c));
        ASSERT_EQ(attach(fields.back().get()), S_OK);
    }
    std::vector<BYTE> saved_doc;
    std::string message;
    ASSERT_EQ(doc.save_bytes(&saved_doc, &message), S_OK) << message;

    host::document again;
    ASSERT_EQ(host::document::load_bytes(saved_doc.data(), saved_doc.size(), &again, &message), S_OK)
        << message;
    auto container = container_of(again);
    ASSERT_TRUE(container);
    EXPECT_EQ(count_of(container.get()), 8) << "reattached fields refresh their records";
    std::vector<std::u16string> names;
    for (const auto& e : again.elements(1)) {
        auto field = as<IZCntElementFormField>(e.object.get());
        if (field) names.push_back(name_of(field.get()));
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"f1", u"f2", u"f3", u"f4", u"f5", u"f6", u"f7", u"f8"}));

    auto next = create(classes[0]);
    ASSERT_EQ(attach(next.get(), &again), S_OK);
    EXPECT_EQ(name_of(next.get()), u"f9") << "the container kept its number";
}

TEST(FormChildren, AHeldChildKeepsItsFieldAliveAndIndependentOnesOutliveIt)
{
    ensure_registered();  // the class table's hold on each class object locks the module too
    const LONG locks = com::module_lock_count();
    const long strings = com::bstr_live_count();
    {
        ComPtr<IZCntTextAttributes> attributes;
        ComPtr<IZCntFormFieldAppearance> appearance;
        {
            auto text = create<IZCntElementFieldText>(classes[0]);
            EXPECT_EQ(com::module_lock_count(), locks + 1) << "children lock nothing while only the field holds them";
            text->get_TextAttributes(attributes.put());
            as<IZCntElementFormField>(text.get())->get_Appearance(appearance.put());
            EXPECT_EQ(com::module_lock_count(), locks + 3);
            attributes->AddRef();
            attributes->Release();
            EXPECT_EQ(com::module_lock_count(), locks + 3) << "only a child's second reference locks";
        }
        EXPECT_EQ(com::module_lock_count(), locks + 3) << "the field lives on";
        attributes.reset();
        EXPECT_EQ(com::module_lock_count(), locks + 2);
        EXPECT_EQ(appearance->put_BorderColor(5), S_OK);
    }
    EXPECT_EQ(com::module_lock_count(), locks) << "the last child took the field with it";
    EXPECT_EQ(com::bstr_live_count(), strings);

    for (const field_class* c : {&classes[1], &classes[2]}) {
        SCOPED_TRACE(c->coclass);
        ComPtr<IZCntTextAttributes> attributes;
        ComPtr<IZCntChoiceFieldOptionCollection> items;
        {
            auto base = create<IZCntElementBase>(*c);
            attributes = text_attributes_of(base.get());
            items = choice_items_of(base.get());
            ASSERT_TRUE(attributes && items);
        }
        EXPECT_EQ(com::module_lock_count(), locks + 2) << "the field is gone, its two parts are not";
        ComPtr<IZCntChoiceFieldOption> option;
        EXPECT_EQ(items->Add(option.put()), S_OK);
        EXPECT_EQ(attributes->put_FontSize(90), S_OK);
        option.reset();
        items.reset();
        attributes.reset();
        EXPECT_EQ(com::module_lock_count(), locks);
    }
    EXPECT_EQ(com::bstr_live_count(), strings);
}

}  // namespace
}  // namespace form_test
