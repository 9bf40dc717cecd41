// The eight form-field classes' own interfaces: what each kind adds to IZCntElementFormField
// (the text field its text attributes and format, the combo and list boxes their attributes,
// choices and one flag each; the other five nothing but their identity), and the text format
// enumeration.
#pragma once

#include "contentelements/cnt_field_parts.h"
#include "contentelements/cnt_formfield.h"

#define ZE_CNT_FIELD_TEXT_FORMATS(X)            \
    X(zeCntFieldTextFormatUnknown, 0)           \
    X(zeCntFieldTextFormatNumeric, 1)           \
    X(zeCntFieldTextFormatNumericInteger, 2)    \
    X(zeCntFieldTextFormatNumericFloat, 3)      \
    X(zeCntFieldTextFormatCurrency, 4)          \
    X(zeCntFieldTextFormatDate, 5)              \
    X(zeCntFieldTextFormatTime, 6)              \
    X(zeCntFieldTextFormatDateTime, 7)          \
    X(zeCntFieldTextFormatPattern, 8)
ZCNT_AUTOMATION_ENUM(ZeCntFieldTextFormat, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A008}",
                     ZE_CNT_FIELD_TEXT_FORMATS)
#undef ZE_CNT_FIELD_TEXT_FORMATS

struct IZCntElementFieldText : IDispatch {
    static constexpr IID iid = com::make_guid("{6D9446C7-C1FC-4502-AAD9-E386007326C0}");
    using base = IDispatch;
    virtual HRESULT get_TextAttributes(IZCntTextAttributes** attributes) noexcept = 0;
    virtual HRESULT get_Format(ZeCntFieldTextFormat* format) noexcept = 0;
    virtual HRESULT put_Format(ZeCntFieldTextFormat format) noexcept = 0;
};

struct IZCntElementFieldCombo : IDispatch {
    static constexpr IID iid = com::make_guid("{DD5848BC-EACF-40A7-ABF8-584489130BDE}");
    using base = IDispatch;
    virtual HRESULT get_EditBox(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT put_EditBox(VARIANT_BOOL value) noexcept = 0;
    virtual HRESULT get_TextAttributes(IZCntTextAttributes** attributes) noexcept = 0;
    virtual HRESULT get_ChoiceItems(IZCntChoiceFieldOptionCollection** items) noexcept = 0;
};

struct IZCntElementFieldList : IDispatch {
    static constexpr IID iid = com::make_guid("{E3685455-22CC-44FE-9E0B-BBC0A58708F8}");
    using base = IDispatch;
    virtual HRESULT get_TextAttributes(IZCntTextAttributes** attributes) noexcept = 0;
    virtual HRESULT get_MultiSelect(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT put_MultiSelect(VARIANT_BOOL value) noexcept = 0;
    virtual HRESULT get_ChoiceItems(IZCntChoiceFieldOptionCollection** items) noexcept = 0;
};

// The five kinds whose interface has only the IDispatch members.
struct IZCntElementFieldCheck : IDispatch {
    static constexpr IID iid = com::make_guid("{7DD278E2-3191-4B89-85DE-2F27E0947096}");
    using base = IDispatch;
};
struct IZCntElementFieldRadio : IDispatch {
    static constexpr IID iid = com::make_guid("{B269653B-E5C6-4574-A071-19DEBBBF9B54}");
    using base = IDispatch;
};
struct IZCntElementFieldButton : IDispatch {
    static constexpr IID iid = com::make_guid("{0BBC69D2-CB3F-4F1D-BC87-AB46AB8BBBBE}");
    using base = IDispatch;
};
struct IZCntElementFieldDateTime : IDispatch {
    static constexpr IID iid = com::make_guid("{44434AAF-E051-44F2-BD0C-F333D9314294}");
    using base = IDispatch;
};
struct IZCntElementFieldGroup : IDispatch {
    static constexpr IID iid = com::make_guid("{D293B62A-F032-4597-A5D1-F8F4B26F01E7}");
    using base = IDispatch;
};

namespace com::automation {

template <>
struct interface_traits<IZCntElementFieldText> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementFieldText";
    static constexpr const char16_t* doc = u"A text form field";
    using I = IZCntElementFieldText;
    static constexpr auto members = member_table(
        read_only_property(u"TextAttributes", 1, &I::get_TextAttributes),
        property(u"Format", 2, &I::get_Format, &I::put_Format));
};

template <>
struct interface_traits<IZCntElementFieldCombo> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementFieldCombo";
    static constexpr const char16_t* doc = u"A combo box form field";
    using I = IZCntElementFieldCombo;
    static constexpr auto members = member_table(
        property(u"EditBox", 1, &I::get_EditBox, &I::put_EditBox, as_bool<>),
        read_only_property(u"TextAttributes", 2, &I::get_TextAttributes),
        read_only_property(u"ChoiceItems", 3, &I::get_ChoiceItems));
};

template <>
struct interface_traits<IZCntElementFieldList> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementFieldList";
    static constexpr const char16_t* doc = u"A list box form field";
    using I = IZCntElementFieldList;
    static constexpr auto members = member_table(
        read_only_property(u"TextAttributes", 1, &I::get_TextAttributes),
        property(u"MultiSelect", 2, &I::get_MultiSelect, &I::put_MultiSelect, as_bool<>),
        read_only_property(u"ChoiceItems", 3, &I::get_ChoiceItems));
};

// Interfaces without members of their own.
#define ZCNT_EMPTY_FIELD_INTERFACE(I_, NAME_, DOC_)             \
    template <>                                                 \
    struct interface_traits<I_> {                               \
        using library = ContentElementsLib;                     \
        static constexpr const char16_t* name = NAME_;          \
        static constexpr const char16_t* doc = DOC_;            \
        static constexpr auto members = member_table();         \
    };
ZCNT_EMPTY_FIELD_INTERFACE(IZCntElementFieldCheck, u"IZCntElementFieldCheck",
                           u"A check box form field")
ZCNT_EMPTY_FIELD_INTERFACE(IZCntElementFieldRadio, u"IZCntElementFieldRadio",
                           u"A radio button form field")
ZCNT_EMPTY_FIELD_INTERFACE(IZCntElementFieldButton, u"IZCntElementFieldButton",
                           u"A push button form field")
ZCNT_EMPTY_FIELD_INTERFACE(IZCntElementFieldDateTime, u"IZCntElementFieldDateTime",
                           u"A date and time form field")
ZCNT_EMPTY_FIELD_INTERFACE(IZCntElementFieldGroup, u"IZCntElementFieldGroup",
                           u"A group of form fields")
#undef ZCNT_EMPTY_FIELD_INTERFACE

}  // namespace com::automation
