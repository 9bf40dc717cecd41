// The appearance and the text attributes through their interfaces: the records byte by byte,
// the setters' same-value rule, the dirty flag and the persistence members.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "fields/parts/parts.h"
#include "tests/core/record_faults.h"

namespace {

using namespace record_faults;
using com::ComPtr;

ComPtr<IZCntFormFieldAppearance> new_appearance()
{
    ComPtr<IZCntFormFieldAppearance> a;
    EXPECT_EQ(cnt::fields::create_appearance_child(nullptr, a.put()), S_OK);
    return a;
}

ComPtr<IZCntTextAttributes> new_attributes()
{
    ComPtr<IZCntTextAttributes> t;
    EXPECT_EQ(cnt::fields::create_text_attributes(nullptr, t.put()), S_OK);
    return t;
}

bytes appearance_record(ULONG border, ULONG fill, ULONG version = 1)
{
    bytes b;
    for (ULONG v : {version, border, fill}) put_u32(b, v);
    return b;
}

// Version, TextColor, FontSize, FontName, FontBold, FontItalic and the two alignments.
bytes attributes_record(ULONG colour, SHORT size, std::u16string_view font, SHORT bold,
                        SHORT italic, LONG horizontal, LONG vertical, ULONG version = 1)
{
    bytes b;
    put_u32(b, version);
    put_u32(b, colour);
    put_i16(b, size);
    put_string(b, font);
    put_i16(b, bold);
    put_i16(b, italic);
    put_i32(b, horizontal);
    put_i32(b, vertical);
    return b;
}

// The appearance, the text attributes and an option alike.
TEST(PartsProperties, EachAnswersItsInterfacesAndPersistsWithoutAClassId)
{
    ComPtr<IZCntChoiceFieldOptionCollection> options;
    ComPtr<IZCntChoiceFieldOption> option;
    ASSERT_EQ(cnt::fields::create_option_collection(options.put()), S_OK);
    ASSERT_EQ(options->Add(option.put()), S_OK);
    for (ComPtr<IUnknown> o : {ComPtr<IUnknown>(new_appearance().get()),
                               ComPtr<IUnknown>(new_attributes().get()),
                               ComPtr<IUnknown>(option.get())}) {
        for (const IID& iid : {IDispatch::iid, IPersist::iid, IPersistStreamInit::iid}) {
            ComPtr<IUnknown> answer;
            EXPECT_EQ(o->QueryInterface(iid, answer.put_void()), S_OK);
        }
        auto persist = persist_of(o.get());
        CLSID id = com::make_guid("{11111111-1111-1111-1111-111111111111}");
        EXPECT_EQ(persist->GetClassID(&id), S_OK);
        EXPECT_EQ(id, CLSID_NULL);
        ULARGE_INTEGER size{};
        EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size.QuadPart, 4u);
        EXPECT_TRUE(is_dirty(o.get())) << "new objects are dirty";
        saved(o.get(), FALSE);
        EXPECT_TRUE(is_dirty(o.get())) << "a save without clearing keeps the flag";
        saved(o.get(), TRUE);
        EXPECT_FALSE(is_dirty(o.get()));
        EXPECT_EQ(persist->InitNew(), S_OK);
        EXPECT_TRUE(is_dirty(o.get()));
    }
}

// A fresh record holds the defaults: BorderColor 0, FillColor white, FontSize 100, an empty
// (not null) FontName; a record with every field set is written as stored and read back.
TEST(PartsProperties, RecordsHoldEveryFieldInOrder)
{
    auto a = new_appearance();
    EXPECT_EQ(saved(a.get()), appearance_record(0, 0xFFFFFF));
    EXPECT_EQ(load(a.get(), appearance_record(0x0A0B0C, 0xFFFFFFFF)), S_OK);
    OLE_COLOR fill = 0;
    EXPECT_EQ(a->get_FillColor(&fill), S_OK);
    EXPECT_EQ(fill, 0xFFFFFFFFu);
    EXPECT_FALSE(is_dirty(a.get()));

    auto t = new_attributes();
    const bytes fresh = attributes_record(0, 100, u"", 0, 0, 0, 0);
    EXPECT_EQ(fresh.size(), 28u);
    EXPECT_EQ(saved(t.get()), fresh);
    com::Bstr font(u"Arial");
    t->put_TextColor(0x00FF8040);
    t->put_FontSize(-12);
    t->put_FontName(font.get());
    t->put_FontBold(1);
    t->put_FontItalic(-1);
    t->put_TextHorizontalAlignment(ZeCntHorizontalAlignmentType(2));
    t->put_TextVerticalAlignment(ZeCntVerticalAlignmentType(-7));
    const bytes set = attributes_record(0x00FF8040, -12, u"Arial", 1, -1, 2, -7);
    EXPECT_EQ(saved(t.get()), set);
    auto back = new_attributes();
    EXPECT_EQ(load(back.get(), set), S_OK);
    EXPECT_EQ(saved(back.get()), set);
    EXPECT_EQ(back->get_FontName(font.put()), S_OK);
    EXPECT_EQ(font.view(), u"Arial");

    EXPECT_EQ(load(a.get(), appearance_record(1, 2, 2)), E_UNEXPECTED);
    EXPECT_EQ(load(t.get(), attributes_record(0, 1, u"", 0, 0, 0, 0, 0x80000000u)), E_UNEXPECTED);
    // A failing read or write within a part: the skeleton's walk over every field record.
    for (HRESULT hr : {a->get_BorderColor(nullptr), t->get_FontName(nullptr),
                       t->get_TextVerticalAlignment(nullptr)})
        EXPECT_EQ(hr, E_POINTER);
}

// Each setter on a clean new object, with the value it holds (dirty only for the font name)
// and with another one (always dirty).
TEST(PartsProperties, SettersMarkDirtyUnlessAScalarIsUnchanged)
{
    ComPtr<IZCntFormFieldAppearance> a;
    ComPtr<IZCntTextAttributes> t;
    com::Bstr empty(u""), arial(u"Arial");
    using HA = ZeCntHorizontalAlignmentType;
    using VA = ZeCntVerticalAlignmentType;
    struct setter {
        bool on_appearance;
        std::function<HRESULT(bool other)> put;
        bool same_marks_dirty;
    };
    const setter setters[] = {
        {true, [&](bool o) { return a->put_BorderColor(o ? 0x123456 : 0); }, false},
        {true, [&](bool o) { return a->put_FillColor(o ? 0 : 0xFFFFFF); }, false},
        {false, [&](bool o) { return t->put_TextColor(o ? 0xFF : 0); }, false},
        {false, [&](bool o) { return t->put_FontSize(o ? -3 : 100); }, false},
        {false, [&](bool o) { return t->put_FontName(o ? arial.get() : empty.get()); }, true},
        {false, [&](bool o) { return t->put_FontBold(o ? -1 : 0); }, false},
        {false, [&](bool o) { return t->put_FontItalic(o ? 1 : 0); }, false},
        {false, [&](bool o) { return t->put_TextHorizontalAlignment(HA(o ? 77 : 0)); }, false},
        {false, [&](bool o) { return t->put_TextVerticalAlignment(VA(o ? -1 : 0)); }, false},
    };
    for (const setter& s : setters) {
        SCOPED_TRACE(&s - setters);
        a = new_appearance();
        t = new_attributes();
        IUnknown* o = s.on_appearance ? static_cast<IUnknown*>(a.get()) : t.get();
        saved(o);
        EXPECT_EQ(s.put(false), S_OK);
        EXPECT_EQ(is_dirty(o), s.same_marks_dirty);
        saved(o);
        EXPECT_EQ(s.put(true), S_OK);
        EXPECT_TRUE(is_dirty(o));
    }
}

}  // namespace
