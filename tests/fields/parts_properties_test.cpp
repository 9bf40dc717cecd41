// The appearance and the text attributes through their interfaces: defaults, the setters'
// same-value rule, the records byte by byte, the dirty flag and what QueryInterface answers.
#include <gtest/gtest.h>

#include <functional>
#include <string>

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

// The text attributes record with every field given.
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

bytes appearance_record(ULONG border, ULONG fill, ULONG version = 1)
{
    bytes b;
    put_u32(b, version);
    put_u32(b, border);
    put_u32(b, fill);
    return b;
}

TEST(PartsPersistence, BothClassesAnswerTheSameInterfacesAndPersistenceMembers)
{
    const ComPtr<IUnknown> objects[] = {ComPtr<IUnknown>(new_appearance().get()),
                                        ComPtr<IUnknown>(new_attributes().get())};
    const IID own[] = {IZCntFormFieldAppearance::iid, IZCntTextAttributes::iid};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        IUnknown* o = objects[i].get();
        for (const IID& iid : {own[i], IDispatch::iid, IPersist::iid, IPersistStreamInit::iid}) {
            ComPtr<IUnknown> answer;
            EXPECT_EQ(o->QueryInterface(iid, answer.put_void()), S_OK);
        }
        ComPtr<IUnknown> mine, dispatch, stream;
        o->QueryInterface(own[i], mine.put_void());
        o->QueryInterface(IDispatch::iid, dispatch.put_void());
        EXPECT_EQ(mine.get(), dispatch.get()) << "IDispatch is the own interface's";
        EXPECT_EQ(o->QueryInterface(IPersistStream::iid, stream.put_void()), E_NOINTERFACE);

        auto persist = persist_of(o);
        EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
        CLSID id = com::make_guid("{11111111-1111-1111-1111-111111111111}");
        EXPECT_EQ(persist->GetClassID(&id), S_OK);
        EXPECT_EQ(id, CLSID_NULL);
        ULARGE_INTEGER size{};
        EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);
        EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size.QuadPart, 4u);

        EXPECT_TRUE(is_dirty(o)) << "new objects are dirty";
        saved(o, FALSE);
        EXPECT_TRUE(is_dirty(o)) << "a save without clearing keeps the flag";
        saved(o, TRUE);
        EXPECT_FALSE(is_dirty(o));
        EXPECT_EQ(persist->InitNew(), S_OK);
        EXPECT_TRUE(is_dirty(o));
    }
}

TEST(PartsPersistence, NewObjectsHoldTheirDefaultsAndRefuseNullOutPointers)
{
    auto a = new_appearance();
    OLE_COLOR colour = 7;
    EXPECT_EQ(a->get_BorderColor(&colour), S_OK);
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(a->get_FillColor(&colour), S_OK);
    EXPECT_EQ(colour, 0xFFFFFFu);
    EXPECT_EQ(a->get_BorderColor(nullptr), E_POINTER);
    EXPECT_EQ(a->get_FillColor(nullptr), E_POINTER);

    auto t = new_attributes();
    SHORT size = 0;
    VARIANT_BOOL flag = 1;
    ZeCntHorizontalAlignmentType h = ZeCntHorizontalAlignmentType(5);
    ZeCntVerticalAlignmentType v = ZeCntVerticalAlignmentType(5);
    com::Bstr font;
    colour = 9;
    EXPECT_EQ(t->get_TextColor(&colour), S_OK);
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(t->get_FontSize(&size), S_OK);
    EXPECT_EQ(size, 100);
    EXPECT_EQ(t->get_FontName(font.put()), S_OK);
    EXPECT_FALSE(font.is_null()) << "an empty string, not null";
    EXPECT_EQ(font.length(), 0u);
    EXPECT_EQ(t->get_FontBold(&flag), S_OK);
    EXPECT_EQ(flag, 0);
    flag = 1;
    EXPECT_EQ(t->get_FontItalic(&flag), S_OK);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(t->get_TextHorizontalAlignment(&h), S_OK);
    EXPECT_EQ(h, zeCntHorizontalAlignmentLeft);
    EXPECT_EQ(t->get_TextVerticalAlignment(&v), S_OK);
    EXPECT_EQ(v, zeCntVerticalAlignmentTop);
    for (HRESULT hr : {t->get_TextColor(nullptr), t->get_FontSize(nullptr),
                       t->get_FontName(nullptr), t->get_FontBold(nullptr),
                       t->get_FontItalic(nullptr), t->get_TextHorizontalAlignment(nullptr),
                       t->get_TextVerticalAlignment(nullptr)})
        EXPECT_EQ(hr, E_POINTER);
}

// Each setter twice on a clean object: with the value the object holds (dirty only for the
// font name) and with another one (always dirty).
TEST(PartsPersistence, SettersMarkDirtyUnlessAScalarIsUnchanged)
{
    auto a = new_appearance();
    auto t = new_attributes();
    com::Bstr empty(u""), arial(u"Arial");
    struct setter {
        const char* name;
        bool on_appearance;
        std::function<HRESULT()> same, other;
        bool same_marks_dirty;
    };
    const setter setters[] = {
        {"BorderColor", true, [&] { return a->put_BorderColor(0); },
         [&] { return a->put_BorderColor(0x123456); }, false},
        {"FillColor", true, [&] { return a->put_FillColor(0xFFFFFF); },
         [&] { return a->put_FillColor(0); }, false},
        {"TextColor", false, [&] { return t->put_TextColor(0); },
         [&] { return t->put_TextColor(0xFF); }, false},
        {"FontSize", false, [&] { return t->put_FontSize(100); },
         [&] { return t->put_FontSize(-3); }, false},
        {"FontName", false, [&] { return t->put_FontName(empty.get()); },
         [&] { return t->put_FontName(arial.get()); }, true},
        {"FontBold", false, [&] { return t->put_FontBold(0); },
         [&] { return t->put_FontBold(-1); }, false},
        {"FontItalic", false, [&] { return t->put_FontItalic(0); },
         [&] { return t->put_FontItalic(1); }, false},
        {"TextHorizontalAlignment", false,
         [&] { return t->put_TextHorizontalAlignment(zeCntHorizontalAlignmentLeft); },
         [&] { return t->put_TextHorizontalAlignment(ZeCntHorizontalAlignmentType(77)); }, false},
        {"TextVerticalAlignment", false,
         [&] { return t->put_TextVerticalAlignment(zeCntVerticalAlignmentTop); },
         [&] { return t->put_TextVerticalAlignment(ZeCntVerticalAlignmentType(-1)); }, false},
    };
    for (const setter& s : setters) {
        SCOPED_TRACE(s.name);
        // Fresh objects each time, so that "same" is the default value.
        a = new_appearance();
        t = new_attributes();
        IUnknown* o = s.on_appearance ? static_cast<IUnknown*>(a.get())
                                      : static_cast<IUnknown*>(t.get());
        saved(o);
        EXPECT_EQ(s.same(), S_OK);
        EXPECT_EQ(is_dirty(o), s.same_marks_dirty);
        saved(o);
        EXPECT_EQ(s.other(), S_OK);
        EXPECT_TRUE(is_dirty(o));
    }
}

TEST(PartsPersistence, RecordsAreWrittenFieldByFieldAndReadBack)
{
    auto a = new_appearance();
    EXPECT_EQ(saved(a.get()), appearance_record(0, 0xFFFFFF));
    EXPECT_EQ(saved(a.get()).size(), 12u);
    EXPECT_EQ(load(a.get(), appearance_record(0x0A0B0C, 0xFFFFFFFF)), S_OK);
    EXPECT_FALSE(is_dirty(a.get()));
    EXPECT_EQ(saved(a.get()), appearance_record(0x0A0B0C, 0xFFFFFFFF));

    auto t = new_attributes();
    const bytes fresh = attributes_record(0, 100, u"", 0, 0, 0, 0);
    EXPECT_EQ(fresh.size(), 28u);
    EXPECT_EQ(saved(t.get()), fresh);

    // Values the interfaces never check are written as stored.
    com::Bstr font(u"Arial");
    t->put_TextColor(0x00FF8040);
    t->put_FontSize(-12);
    t->put_FontName(font.get());
    t->put_FontBold(1);
    t->put_FontItalic(-1);
    t->put_TextHorizontalAlignment(ZeCntHorizontalAlignmentType(2));
    t->put_TextVerticalAlignment(ZeCntVerticalAlignmentType(-7));
    const bytes set = attributes_record(0x00FF8040, -12, u"Arial", 1, -1, 2, -7);
    EXPECT_EQ(set.size(), 28u + 10u);
    EXPECT_EQ(saved(t.get()), set);

    auto back = new_attributes();
    EXPECT_EQ(load(back.get(), set), S_OK);
    EXPECT_FALSE(is_dirty(back.get()));
    EXPECT_EQ(saved(back.get()), set);

    // A null font name is count 0, and stays null.
    t->put_FontName(nullptr);
    bytes null_font = attributes_record(0x00FF8040, -12, u"", 1, -1, 2, -7);
    null_font.erase(null_font.begin() + 10, null_font.begin() + 16);
    null_font.insert(null_font.begin() + 10, {0, 0, 0, 0});
    EXPECT_EQ(saved(t.get()), null_font);
    EXPECT_EQ(load(back.get(), null_font), S_OK);
    com::Bstr name(u"x");
    EXPECT_EQ(back->get_FontName(name.put()), S_OK);
    EXPECT_TRUE(name.is_null());
}

TEST(PartsPersistence, NewerVersionsAndBrokenStreamsAreRefused)
{
    auto a = new_appearance();
    auto t = new_attributes();
    EXPECT_EQ(load(a.get(), appearance_record(1, 2, 2)), E_UNEXPECTED);
    EXPECT_EQ(load(t.get(), attributes_record(0, 1, u"", 0, 0, 0, 0, 0x80000000u)), E_UNEXPECTED);
    EXPECT_TRUE(is_dirty(a.get())) << "a refused record leaves the flag";
    SHORT size = 0;
    t->get_FontSize(&size);
    EXPECT_EQ(size, 100) << "nothing read after the version";
    EXPECT_EQ(load(a.get(), appearance_record(0, 0, 0)), S_OK) << "older versions are read";

    expect_every_failing_read_reported([] { return new_appearance(); },
                                       appearance_record(0x10, 0x20));
    expect_every_failing_read_reported([] { return new_attributes(); },
                                       attributes_record(3, 4, u"Font", -1, 0, 1, 2));
    a->put_BorderColor(5);
    a->put_FillColor(6);
    expect_every_failing_write_reported(a.get(), appearance_record(5, 6),
                                        [&] { persist_of(a.get())->InitNew(); });
    com::Bstr font(u"Font");
    t->put_FontName(font.get());
    expect_every_failing_write_reported(t.get(), attributes_record(0, 100, u"Font", 0, 0, 0, 0),
                                        [&] { persist_of(t.get())->InitNew(); });
}

}  // namespace
