// What the form-field tests share: the table of the eight classes with the identity each must
// report, creation by class id, and the records a new field writes, built by hand from the
// record tables.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contentelements/cnt_fields.h"
#include "contentelements/cnt_types.h"
#include "module/class_map.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"
#include "tests/core/record_faults.h"

namespace form_test {

using namespace record_faults;
using com::ComPtr;

// What the class part after the shared record holds.
enum class part { plain, text, choice };

struct field_class {
    const char* coclass;
    CLSID clsid;
    IID own;
    ZeCntElementType type;
    LONG kind;
    UINT icon;
    part extra;
};

inline const field_class classes[] = {
    {"ZCntElementFieldText", com::make_guid("{097686E5-C0CE-4197-A3EE-4BCDFEDF6B51}"),
     com::make_guid("{6D9446C7-C1FC-4502-AAD9-E386007326C0}"), zeCntElementTypeFieldText, 290, 201,
     part::text},
    {"ZCntElementFieldCombo", com::make_guid("{7BA4FD47-2638-41AD-81F1-6061785257F7}"),
     com::make_guid("{DD5848BC-EACF-40A7-ABF8-584489130BDE}"), zeCntElementTypeFieldCombo, 291, 205,
     part::choice},
    {"ZCntElementFieldList", com::make_guid("{A5DA0663-F3BB-4F21-A75D-99C4383D31E9}"),
     com::make_guid("{E3685455-22CC-44FE-9E0B-BBC0A58708F8}"), zeCntElementTypeFieldList, 292, 207,
     part::choice},
    {"ZCntElementFieldCheck", com::make_guid("{865753D4-277B-4D6E-871B-FD861B631003}"),
     com::make_guid("{7DD278E2-3191-4B89-85DE-2F27E0947096}"), zeCntElementTypeFieldCheck, 293, 204,
     part::plain},
    {"ZCntElementFieldRadio", com::make_guid("{FAC12AEA-5BBB-4038-B958-81D9E831213A}"),
     com::make_guid("{B269653B-E5C6-4574-A071-19DEBBBF9B54}"), zeCntElementTypeFieldRadio, 294, 202,
     part::plain},
    {"ZCntElementFieldButton", com::make_guid("{20FF0333-6AA4-434C-81A2-B9A0B80D967E}"),
     com::make_guid("{0BBC69D2-CB3F-4F1D-BC87-AB46AB8BBBBE}"), zeCntElementTypeFieldButton, 295, 203,
     part::plain},
    {"ZCntElementFieldDateTime", com::make_guid("{072BD3C1-D60B-415D-9F66-21754010F87B}"),
     com::make_guid("{44434AAF-E051-44F2-BD0C-F333D9314294}"), zeCntElementTypeFieldDateTime, 296,
     206, part::plain},
    {"ZCntElementFieldGroup", com::make_guid("{592528F5-1FE4-4228-AF68-DC1D023E98DB}"),
     com::make_guid("{D293B62A-F032-4597-A5D1-F8F4B26F01E7}"), zeCntElementTypeFieldGroup, 298, 0,
     part::plain},
};

// Puts the library's classes into the process's class table, once: the fields are created by
// class id and ProgID, and make their container by class id when they attach.
inline void ensure_registered()
{
    static const HRESULT registered = cnt::module::register_classes();
    EXPECT_EQ(registered, S_OK);
}

// A new field of class c through the process's class table.
template <typename I = IZCntElementFormField>
ComPtr<I> create(const field_class& c)
{
    ensure_registered();
    ComPtr<I> out;
    EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, out.put_void()), S_OK)
        << c.coclass;
    return out;
}

template <typename I, typename From>
ComPtr<I> as(From* from)
{
    ComPtr<I> out;
    if (from) from->QueryInterface(I::iid, out.put_void());
    return out;
}

// The children a field hands out: its appearance, the text attributes of a text, combo or list
// field, and the options of a combo or list; null where the class has none.
inline ComPtr<IZCntFormFieldAppearance> appearance_of(IUnknown* field)
{
    ComPtr<IZCntFormFieldAppearance> a;
    if (auto f = as<IZCntElementFormField>(field)) f->get_Appearance(a.put());
    return a;
}
inline ComPtr<IZCntTextAttributes> text_attributes_of(IUnknown* field)
{
    ComPtr<IZCntTextAttributes> t;
    if (auto text = as<IZCntElementFieldText>(field)) text->get_TextAttributes(t.put());
    if (auto combo = as<IZCntElementFieldCombo>(field)) combo->get_TextAttributes(t.put());
    if (auto list = as<IZCntElementFieldList>(field)) list->get_TextAttributes(t.put());
    return t;
}
inline ComPtr<IZCntChoiceFieldOptionCollection> choice_items_of(IUnknown* field)
{
    ComPtr<IZCntChoiceFieldOptionCollection> items;
    if (auto combo = as<IZCntElementFieldCombo>(field)) combo->get_ChoiceItems(items.put());
    if (auto list = as<IZCntElementFieldList>(field)) list->get_ChoiceItems(items.put());
    return items;
}

// ---- Records as the tables give them --------------------------------------------------------

struct form_values {
    LONG left = 0, top = 0, right = 0, bottom = 0;
    std::u16string description, name;
    SHORT read_only = 0;
    bytes default_value = empty_variant(), current_value = empty_variant();
    std::u16string mapping;
    SHORT export_flag = -1;
    ULONG border = 0, fill = 0xFFFFFF;

    // VT_EMPTY: the type, then the empty text as a counted string.
    static bytes empty_variant()
    {
        bytes b;
        put_u16(b, VT_EMPTY);
        put_string(b, u"");
        return b;
    }
};

inline bytes form_record(const form_values& v = {})
{
    bytes b;
    put_u32(b, 1);
    put_i32(b, v.left);
    put_i32(b, v.top);
    put_i32(b, v.right);
    put_i32(b, v.bottom);
    put_string(b, v.description);
    put_string(b, v.name);
    put_i16(b, v.read_only);
    b.insert(b.end(), v.default_value.begin(), v.default_value.end());
    b.insert(b.end(), v.current_value.begin(), v.current_value.end());
    put_string(b, v.mapping);
    put_i16(b, v.export_flag);
    put_u32(b, 1);  // the appearance
    put_u32(b, v.border);
    put_u32(b, v.fill);
    return b;
}

// New text attributes: colour 0, 10 pt, no face, regular, left and top.
inline bytes text_attributes_record(SHORT font_size = 100)
{
    bytes b;
    put_u32(b, 1);
    put_u32(b, 0);
    put_i16(b, font_size);
    put_string(b, u"");
    put_i16(b, 0);
    put_i16(b, 0);
    put_u32(b, 0);
    put_u32(b, 0);
    return b;
}

// An option collection of `options` (display name, export value).
inline bytes options_record(const std::vector<std::pair<std::u16string, std::u16string>>& options = {})
{
    bytes b;
    put_u32(b, 0x0E00);
    put_u32(b, static_cast<ULONG>(options.size()));
    for (const auto& [display, value] : options) {
        put_u32(b, 1);
        put_string(b, display);
        put_string(b, value);
    }
    return b;
}

// What a new field of class c writes after the shared record.
inline bytes class_part(const field_class& c, SHORT flag = 0)
{
    bytes b;
    put_u32(b, 1);
    if (c.extra == part::text) {
        const bytes t = text_attributes_record();
        b.insert(b.end(), t.begin(), t.end());
    } else if (c.extra == part::choice) {
        const bytes t = text_attributes_record(), o = options_record();
        b.insert(b.end(), t.begin(), t.end());
        b.insert(b.end(), o.begin(), o.end());
        put_u32(b, 1);
        put_i16(b, flag);
    }
    return b;
}

inline bytes join(bytes a, const bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::string name_of(const field_class& c) { return c.coclass; }

}  // namespace form_test
