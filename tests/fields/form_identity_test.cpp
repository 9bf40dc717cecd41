// Every form-field class, walked through one table: what it is (class id, ProgIDs, element
// type, object kind, interfaces in their order), how a new one starts, and the result codes of
// the members it shares with the others.
#include <gtest/gtest.h>

#include <cstring>

#include "contentelements/cnt_note.h"
#include "contentelements/zprint_objects.h"
#include "module/class_map.h"
#include "tests/fields/form_support.h"

namespace form_test {
namespace {

std::u16string text_of(BSTR s) { return s ? std::u16string(s, SysStringLen(s)) : u"<null>"; }

TEST(FormIdentity, EachClassIsCreatableByProgIdAndReportsItsIdentity)
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
            ComPtr<IUnknown> by_progid;
            EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                       by_progid.put_void()),
                      S_OK);
        }
        ZeCntElementType type{};
        EXPECT_EQ(field->get_ElementType(&type), S_OK);
        EXPECT_EQ(type, c.type);
        LONG kind = 0;
        EXPECT_EQ(as<IZElement>(field.get())->GetObjectKind(&kind), S_OK);
        EXPECT_EQ(kind, c.kind);
        CLSID clsid{};
        EXPECT_EQ(as<IPersistStreamInit>(field.get())->GetClassID(&clsid), S_OK);
        EXPECT_EQ(clsid, c.clsid);
    }
}

TEST(FormIdentity, InterfacesShareTheirPointersAsListedAndIDispatchIsTheOwnInterface)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        auto field = create<IUnknown>(c);
        void* p[8] = {};
        const IID order[] = {IID_IUnknown, IZCntElementBase::iid, IZCntElementFormField::iid, c.own,
                             IDispatch::iid, IZElement::iid, IPersist::iid, IPersistStreamInit::iid};
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(field->QueryInterface(order[i], &p[i]), S_OK) << i;
            static_cast<IUnknown*>(p[i])->Release();
        }
        EXPECT_EQ(p[0], p[1]) << "the base interface is the identity";
        EXPECT_EQ(p[3], p[4]) << "IDispatch is the class's own interface";
        EXPECT_EQ(p[6], p[7]);
        EXPECT_NE(p[1], p[2]);
        EXPECT_NE(p[2], p[3]);
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

TEST(FormIdentity, ANewFieldStartsWithTheDefaults)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        auto field = create(c);
        auto base = as<IZCntElementBase>(field.get());
        SHORT inclination = 7;
        VARIANT_BOOL allowed = -1, export_flag = 0, read_only = -1;
        for (HRESULT hr : {base->get_Inclination(&inclination), base->get_AllowInclination(&allowed),
                           field->get_Export(&export_flag), field->get_ReadOnly(&read_only)})
            EXPECT_EQ(hr, S_OK);
        EXPECT_EQ((std::vector<SHORT>{inclination, allowed, export_flag, read_only}),
                  (std::vector<SHORT>{0, VARIANT_FALSE, VARIANT_TRUE, VARIANT_FALSE}));
        for (auto get : {&IZCntElementFormField::get_Name, &IZCntElementFormField::get_MappingName}) {
            com::Bstr s;
            EXPECT_EQ((field.get()->*get)(s.put()), S_OK);
            EXPECT_TRUE(s.get() != nullptr && SysStringLen(s.get()) == 0) << "empty, not null";
        }
        com::Bstr description;
        EXPECT_EQ(base->get_Description(description.put()), S_OK);
        EXPECT_EQ(text_of(description.get()), u"");
        for (auto get : {&IZCntElementFormField::get_DefaultValue, &IZCntElementFormField::get_CurrentValue}) {
            VARIANT v;
            v.vt = VT_I4;
            v.lVal = 3;
            EXPECT_EQ((field.get()->*get)(&v), S_OK);
            EXPECT_EQ(v.vt, VT_EMPTY);
        }
        LONG l = 1, t = 1, w = 1, h = 1;
        EXPECT_EQ(base->GetPosition(&l, &t, &w, &h), S_OK);
        EXPECT_EQ(std::vector<LONG>({l, t, w, h}), std::vector<LONG>(4, 0));
        ComPtr<IZCntFormFieldAppearance> appearance;
        ASSERT_EQ(field->get_Appearance(appearance.put()), S_OK);
        OLE_COLOR border = 1, fill = 1;
        appearance->get_BorderColor(&border);
        appearance->get_FillColor(&fill);
        EXPECT_EQ(border, 0u);
        EXPECT_EQ(fill, 0xFFFFFFu);
        auto persist = as<IPersistStreamInit>(field.get());
        EXPECT_EQ(persist->IsDirty(), S_OK);
        ULARGE_INTEGER size{};
        EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size.QuadPart, 4u);
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

TEST(FormIdentity, SharedMembersGiveTheirResultCodes)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        auto field = create(c);
        auto base = as<IZCntElementBase>(field.get());
        LONG v = 0;
        EXPECT_EQ(base->put_Inclination(10), E_NOTIMPL);
        EXPECT_EQ(base->put_Description(nullptr), E_INVALIDARG);
        LONG page = 9;
        EXPECT_EQ(base->get_PageID(&page), E_UNEXPECTED);
        EXPECT_EQ(page, 0);
        EXPECT_EQ(base->Delete(), S_OK) << "before Attach there is nothing to remove";
        int call = 0;
        for (HRESULT hr : {base->get_Inclination(nullptr), base->get_AllowInclination(nullptr),
                           base->GetPosition(&v, &v, nullptr, &v),
                           as<IZElement>(field.get())->GetBounds(&v, nullptr, &v, &v),
                           base->get_Description(nullptr), base->get_PageID(nullptr),
                           base->get_ElementType(nullptr),
                           as<IZElement>(field.get())->GetObjectKind(nullptr), field->get_Name(nullptr),
                           field->get_ReadOnly(nullptr), field->get_DefaultValue(nullptr),
                           field->get_CurrentValue(nullptr), field->get_MappingName(nullptr),
                           field->get_Export(nullptr), field->get_Appearance(nullptr)})
            EXPECT_EQ(hr, E_POINTER) << "call " << call++;

        ASSERT_EQ(base->SetPosition(10, 20, 30, 40), S_OK);
        LONG l = 0, t = 0, r = 0, b = 0;
        EXPECT_EQ(as<IZElement>(field.get())->GetBounds(&l, &t, &r, &b), S_OK);
        EXPECT_EQ(std::vector<LONG>({l, t, r, b}), std::vector<LONG>({10, 20, 40, 60}));
        ASSERT_EQ(base->SetPosition(100, 100, -50, -20), S_OK);
        EXPECT_EQ(base->GetPosition(&l, &t, &r, &b), S_OK);
        EXPECT_EQ(std::vector<LONG>({l, t, r, b}), std::vector<LONG>({100, 100, -50, -20}))
            << "not normalised";
    }
}

TEST(FormIdentity, StringsAreStoredUpToTheirFirstNulAndANullNameStaysNull)
{
    auto field = create(classes[3]);
    auto base = as<IZCntElementBase>(field.get());
    const OLECHAR with_nul[] = {u'a', u'b', 0, u'c'};
    BSTR s = SysAllocStringLen(with_nul, 4);
    EXPECT_EQ(base->put_Description(s), S_OK);
    EXPECT_EQ(field->put_Name(s), S_OK);
    EXPECT_EQ(field->put_MappingName(s), S_OK);
    SysFreeString(s);
    for (auto get : {&IZCntElementFormField::get_Name, &IZCntElementFormField::get_MappingName}) {
        com::Bstr out;
        (field.get()->*get)(out.put());
        EXPECT_EQ(text_of(out.get()), u"ab");
    }
    com::Bstr description;
    base->get_Description(description.put());
    EXPECT_EQ(text_of(description.get()), u"ab");

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

TEST(FormIdentity, CopyToHandsOverTheDescriptionOnlyAndSaysItCannotDoMore)
{
    for (const field_class& from_class : classes) {
        SCOPED_TRACE(from_class.coclass);
        auto from = create(from_class);
        auto to = create(classes[(&from_class - classes + 3) % std::size(classes)]);
        auto from_base = as<IZCntElementBase>(from.get());
        auto to_base = as<IZCntElementBase>(to.get());
        com::Bstr description(u"copied"), name(u"not copied");
        from_base->put_Description(description.get());
        from->put_Name(name.get());
        from_base->SetPosition(1, 2, 3, 4);
        EXPECT_EQ(from_base->CopyTo(to_base.get()), E_NOTIMPL);
        com::Bstr got_description, got_name;
        to_base->get_Description(got_description.put());
        to->get_Name(got_name.put());
        EXPECT_EQ(text_of(got_description.get()), u"copied");
        EXPECT_EQ(text_of(got_name.get()), u"");
        LONG l = 9, t = 9, w = 9, h = 9;
        to_base->GetPosition(&l, &t, &w, &h);
        EXPECT_EQ(l + t + w + h, 0);

        EXPECT_EQ(from_base->CopyTo(nullptr), E_INVALIDARG);
        ComPtr<IZCntElementBase> note;
        ASSERT_EQ(CoCreateInstance(CLSID_ZCntElementNote, nullptr, CLSCTX_INPROC_SERVER,
                                   IZCntElementBase::iid, note.put_void()),
                  S_OK);
        EXPECT_EQ(from_base->CopyTo(note.get()), E_INVALIDARG);
        com::Bstr note_description;
        note->get_Description(note_description.put());
        EXPECT_EQ(text_of(note_description.get()), u"") << "nothing reaches another kind";
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

TEST(FormIdentity, TheClassMapListsTheFifteenClassesInRegistrationOrder)
{
    std::vector<std::u16string> names;
    for (const cnt::module::class_entry& e : cnt::module::class_map()) names.push_back(e.coclass);
    EXPECT_EQ(names, (std::vector<std::u16string>{
                         u"ZCntElementContainer", u"ZCntElementFieldButton", u"ZCntElementFieldCheck",
                         u"ZCntElementFieldCombo", u"ZCntElementFieldDateTime", u"ZCntElementFieldGroup",
                         u"ZCntElementFieldList", u"ZCntElementFieldRadio", u"ZCntElementFieldText",
                         u"ZCntElementImage", u"ZCntElementLink", u"ZCntElementNote",
                         u"ZCntElementPageBreak", u"ZCntElementStamp", u"ZCntElementTextMark"}));
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(cnt::module::get_class_object(c.clsid, IClassFactory::iid, factory.put_void()), S_OK);
        ComPtr<IClassFactory> again;
        cnt::module::get_class_object(c.clsid, IClassFactory::iid, again.put_void());
        EXPECT_EQ(factory.get(), again.get()) << "made once, then cached";
        ComPtr<IZCntElementFormField> field;
        ASSERT_EQ(factory->CreateInstance(nullptr, IZCntElementFormField::iid, field.put_void()), S_OK);
    }
}

}  // namespace
}  // namespace form_test
