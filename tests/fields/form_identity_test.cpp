// Every form-field class, walked through one table: its ProgIDs, element type, object kind and
// dispatch names, how a new one starts, its strings and values, CopyTo across the field classes,
// and a field as the inner object of an aggregate.
#include <gtest/gtest.h>

#include <cstring>

#include "contentelements/zprint_objects.h"
#include "tests/fields/form_support.h"

namespace form_test {
namespace {

std::u16string text_of(BSTR s) { return s ? std::u16string(s, SysStringLen(s)) : u"<null>"; }

// What every element shares (null pointers, the persistence members, the position, identity,
// CopyTo's refusals, aggregation rules) is the element skeleton's typed test, the fields among
// its classes; here what is a field's own.
TEST(FormIdentity, EachClassIsCreatableByProgIdAndReportsItsTypeKindAndDispatchNames)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        auto field = create<IZCntElementBase>(c);
        ASSERT_TRUE(field);
        const std::u16string coclass(c.coclass, c.coclass + std::strlen(c.coclass));
        for (const std::u16string& progid : {u"Orvane." + coclass + u".1", u"Orvane." + coclass}) {
            CLSID clsid{};
            ASSERT_EQ(CLSIDFromProgID(progid.c_str(), &clsid), S_OK);
            EXPECT_EQ(clsid, c.clsid);
        }
        ZeCntElementType type{};
        EXPECT_EQ(field->get_ElementType(&type), S_OK);
        EXPECT_EQ(type, c.type);
        LONG kind = 0;
        EXPECT_EQ(as<IZElement>(field.get())->GetObjectKind(&kind), S_OK);
        EXPECT_EQ(kind, c.kind);
        void* none = &none;
        EXPECT_EQ(field->QueryInterface(IZObject::iid, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);

        // The own interface's names answer through IDispatch; the base's do not.
        auto dispatch = as<IDispatch>(field.get());
        DISPID id = 0;
        LPOLESTR base_name = const_cast<LPOLESTR>(u"SetPosition");
        EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &base_name, 1, 0, &id), DISP_E_UNKNOWNNAME);
        if (c.extra != part::plain) {
            LPOLESTR own_name = const_cast<LPOLESTR>(u"TextAttributes");
            EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &own_name, 1, 0, &id), S_OK);
            EXPECT_EQ(id, c.type == zeCntElementTypeFieldCombo ? 2 : 1);
        }
    }
}

TEST(FormIdentity, ANewFieldStartsWithTheDefaultsAndItsGettersRefuseNull)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        auto field = create(c);
        VARIANT_BOOL export_flag = 0, read_only = -1;
        EXPECT_EQ(field->get_Export(&export_flag), S_OK);
        EXPECT_EQ(field->get_ReadOnly(&read_only), S_OK);
        EXPECT_EQ((std::vector<SHORT>{export_flag, read_only}),
                  (std::vector<SHORT>{VARIANT_TRUE, VARIANT_FALSE}));
        for (auto get : {&IZCntElementFormField::get_Name, &IZCntElementFormField::get_MappingName}) {
            com::Bstr s;
            EXPECT_EQ((field.get()->*get)(s.put()), S_OK);
            EXPECT_TRUE(s.get() != nullptr && SysStringLen(s.get()) == 0) << "empty, not null";
        }
        for (auto get : {&IZCntElementFormField::get_DefaultValue, &IZCntElementFormField::get_CurrentValue}) {
            VARIANT v;
            v.vt = VT_I4;
            v.lVal = 3;
            EXPECT_EQ((field.get()->*get)(&v), S_OK);
            EXPECT_EQ(v.vt, VT_EMPTY);
        }
        ComPtr<IZCntFormFieldAppearance> appearance;
        ASSERT_EQ(field->get_Appearance(appearance.put()), S_OK);
        OLE_COLOR border = 1, fill = 1;
        appearance->get_BorderColor(&border);
        appearance->get_FillColor(&fill);
        EXPECT_EQ(border, 0u);
        EXPECT_EQ(fill, 0xFFFFFFu);
        int call = 0;
        for (HRESULT hr : {field->get_Name(nullptr), field->get_ReadOnly(nullptr),
                           field->get_DefaultValue(nullptr), field->get_CurrentValue(nullptr),
                           field->get_MappingName(nullptr), field->get_Export(nullptr),
                           field->get_Appearance(nullptr)})
            EXPECT_EQ(hr, E_POINTER) << "call " << call++;
    }
}

TEST(FormIdentity, TheExtrasOfTextComboAndListStartEmpty)
{
    auto text = create<IZCntElementFieldText>(classes[0]);
    ComPtr<IZCntTextAttributes> attributes;
    ASSERT_EQ(text->get_TextAttributes(attributes.put()), S_OK);
    SHORT size = 0;
    attributes->get_FontSize(&size);
    EXPECT_EQ(size, 100);
    EXPECT_EQ(text->get_TextAttributes(nullptr), E_POINTER);
    ZeCntFieldTextFormat format = zeCntFieldTextFormatTime;
    EXPECT_EQ(text->get_Format(&format), S_OK);
    EXPECT_EQ(format, zeCntFieldTextFormatUnknown);
    EXPECT_EQ(text->put_Format(static_cast<ZeCntFieldTextFormat>(77)), S_OK) << "any value";
    EXPECT_EQ(text->get_Format(&format), S_OK);
    EXPECT_EQ(format, 77) << "kept in the object";

    auto combo = create<IZCntElementFieldCombo>(classes[1]);
    auto list = create<IZCntElementFieldList>(classes[2]);
    VARIANT_BOOL flag = -1;
    EXPECT_EQ(combo->get_EditBox(&flag), S_OK);
    EXPECT_EQ(flag, 0);
    flag = -1;
    EXPECT_EQ(list->get_MultiSelect(&flag), S_OK);
    EXPECT_EQ(flag, 0);
    ComPtr<IZCntChoiceFieldOptionCollection> items[2];
    ASSERT_EQ(combo->get_ChoiceItems(items[0].put()), S_OK);
    ASSERT_EQ(list->get_ChoiceItems(items[1].put()), S_OK);
    for (auto& i : items) {
        LONG count = -1;
        i->get_Count(&count);
        EXPECT_EQ(count, 0);
    }
    EXPECT_EQ(combo->get_ChoiceItems(nullptr), E_POINTER);
    EXPECT_EQ(combo->put_EditBox(5), S_OK);
    EXPECT_EQ(combo->get_EditBox(&flag), S_OK);
    EXPECT_EQ(flag, 5) << "stored unchanged";
}

TEST(FormIdentity, StringsAreStoredUpToTheirFirstNulAndANullNameStaysNull)
{
    auto field = create(classes[3]);
    const OLECHAR with_nul[] = {u'a', u'b', 0, u'c'};
    BSTR s = SysAllocStringLen(with_nul, 4);
    EXPECT_EQ(field->put_Name(s), S_OK);
    EXPECT_EQ(field->put_MappingName(s), S_OK);
    SysFreeString(s);
    for (auto get : {&IZCntElementFormField::get_Name, &IZCntElementFormField::get_MappingName}) {
        com::Bstr out;
        (field.get()->*get)(out.put());
        EXPECT_EQ(text_of(out.get()), u"ab");
    }

    EXPECT_EQ(field->put_Name(nullptr), S_OK);
    EXPECT_EQ(field->put_MappingName(nullptr), S_OK);
    for (auto get : {&IZCntElementFormField::get_Name, &IZCntElementFormField::get_MappingName}) {
        BSTR out = SysAllocString(u"x");
        BSTR before = out;
        EXPECT_EQ((field.get()->*get)(&out), S_OK);
        EXPECT_EQ(out, nullptr) << "null stays null";
        SysFreeString(before);
    }
}

TEST(FormIdentity, ValuesAreCopiesAndTheCallersVariantIsClearedFirst)
{
    auto field = create(classes[0]);
    const long strings = com::bstr_live_count();
    VARIANT five;
    five.vt = VT_I4;
    five.lVal = 5;
    EXPECT_EQ(field->put_DefaultValue(five), S_OK);
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"now");
    EXPECT_EQ(field->put_CurrentValue(text), S_OK);
    VariantClear(&text);
    VARIANT out;
    out.vt = VT_BSTR;
    out.bstrVal = SysAllocString(u"held by the caller");
    EXPECT_EQ(field->get_DefaultValue(&out), S_OK);
    EXPECT_EQ(out.vt, VT_I4);
    EXPECT_EQ(out.lVal, 5);
    EXPECT_EQ(com::bstr_live_count(), strings + 1) << "the caller's string was freed, the field's copy lives";
    EXPECT_EQ(field->get_CurrentValue(&out), S_OK);
    ASSERT_EQ(out.vt, VT_BSTR);
    EXPECT_EQ(text_of(out.bstrVal), u"now");
    VariantClear(&out);
}

// Within the class the skeleton's test covers it; a field of another class takes it alike.
TEST(FormIdentity, CopyToAnotherFieldClassHandsOverTheDescriptionOnly)
{
    for (const field_class& from_class : classes) {
        SCOPED_TRACE(from_class.coclass);
        auto from = create(from_class);
        auto to = create(classes[(&from_class - classes + 3) % std::size(classes)]);
        auto to_base = as<IZCntElementBase>(to.get());
        com::Bstr description(u"copied"), name(u"not copied");
        as<IZCntElementBase>(from.get())->put_Description(description.get());
        from->put_Name(name.get());
        EXPECT_EQ(as<IZCntElementBase>(from.get())->CopyTo(to_base.get()), E_NOTIMPL);
        com::Bstr got_description, got_name;
        to_base->get_Description(got_description.put());
        to->get_Name(got_name.put());
        EXPECT_EQ(text_of(got_description.get()), u"copied");
        EXPECT_EQ(text_of(got_name.get()), u"");
    }
}

TEST(FormIdentity, AFieldCanBeTheInnerObjectOfAnAggregate)
{
    struct outer_unknown : IUnknown {
        ULONG refs = 1;
        HRESULT QueryInterface(REFIID, void** out) noexcept override
        {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        ULONG AddRef() noexcept override { return ++refs; }
        ULONG Release() noexcept override { return --refs; }
    };
    ensure_registered();
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        outer_unknown outer;
        ComPtr<IUnknown> inner;
        ASSERT_EQ(CoCreateInstance(c.clsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, inner.put_void()),
                  S_OK);
        ComPtr<IZCntElementFormField> field;
        ASSERT_EQ(inner->QueryInterface(IZCntElementFormField::iid, field.put_void()), S_OK);
        EXPECT_EQ(outer.refs, 2u) << "the interface's reference goes to the outer object";
        ComPtr<IZCntFormFieldAppearance> appearance;
        field->get_Appearance(appearance.put());
        EXPECT_EQ(outer.refs, 3u) << "a held child keeps the outer object alive";
        appearance.reset();
        field.reset();
        EXPECT_EQ(outer.refs, 1u);
    }
}

}  // namespace
}  // namespace form_test
