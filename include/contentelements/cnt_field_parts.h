// The objects a form field hands out: its appearance (border and fill colour), its text
// attributes (text colour, font, alignment) and, for combo and list boxes, the choice options
// and their collection. None of them has a class id: only the fields make them.
#pragma once

#include "contentelements/cnt_types.h"
#include "contentelements/libraries.h"
#include "platform/automation/dispatch_impl.h"

struct IZCntFormFieldAppearance : IDispatch {
    static constexpr IID iid = com::make_guid("{34A17402-ECAF-4AF9-B41D-9A6DBBC42828}");
    using base = IDispatch;
    virtual HRESULT get_BorderColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_BorderColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT get_FillColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_FillColor(OLE_COLOR colour) noexcept = 0;
};

struct IZCntTextAttributes : IDispatch {
    static constexpr IID iid = com::make_guid("{EA5EEFB3-E79C-4BBF-B05E-8BE9057BE352}");
    using base = IDispatch;
    virtual HRESULT get_TextColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_TextColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT get_FontSize(SHORT* tenths_pt) noexcept = 0;
    virtual HRESULT put_FontSize(SHORT tenths_pt) noexcept = 0;
    virtual HRESULT get_FontName(BSTR* name) noexcept = 0;
    virtual HRESULT put_FontName(BSTR name) noexcept = 0;
    virtual HRESULT get_FontBold(VARIANT_BOOL* bold) noexcept = 0;
    virtual HRESULT put_FontBold(VARIANT_BOOL bold) noexcept = 0;
    virtual HRESULT get_FontItalic(VARIANT_BOOL* italic) noexcept = 0;
    virtual HRESULT put_FontItalic(VARIANT_BOOL italic) noexcept = 0;
    virtual HRESULT get_TextHorizontalAlignment(ZeCntHorizontalAlignmentType* value) noexcept = 0;
    virtual HRESULT put_TextHorizontalAlignment(ZeCntHorizontalAlignmentType value) noexcept = 0;
    virtual HRESULT get_TextVerticalAlignment(ZeCntVerticalAlignmentType* value) noexcept = 0;
    virtual HRESULT put_TextVerticalAlignment(ZeCntVerticalAlignmentType value) noexcept = 0;
};

struct IZCntChoiceFieldOption : IDispatch {
    static constexpr IID iid = com::make_guid("{5436C0D3-CB15-4B7A-8AAA-9A489E201117}");
    using base = IDispatch;
    virtual HRESULT get_DisplayName(BSTR* text) noexcept = 0;
    virtual HRESULT put_DisplayName(BSTR text) noexcept = 0;
    virtual HRESULT get_ExportValue(BSTR* text) noexcept = 0;
    virtual HRESULT put_ExportValue(BSTR text) noexcept = 0;
};

// Positions count from 1.
struct IZCntChoiceFieldOptionCollection : IDispatch {
    static constexpr IID iid = com::make_guid("{D0846827-F5B2-4F99-8961-DE79B30F4A29}");
    using base = IDispatch;
    virtual HRESULT get__NewEnum(IUnknown** enumerator) noexcept = 0;
    virtual HRESULT get_Item(LONG index, IZCntChoiceFieldOption** option) noexcept = 0;
    virtual HRESULT get_Count(LONG* count) noexcept = 0;
    virtual HRESULT Add(IZCntChoiceFieldOption** option) noexcept = 0;
    virtual HRESULT Remove(LONG index) noexcept = 0;
    virtual HRESULT Clear() noexcept = 0;
    virtual HRESULT MoveItemUp(LONG index) noexcept = 0;
    virtual HRESULT MoveItemDown(LONG index) noexcept = 0;
};

namespace com::automation {

template <>
struct interface_traits<IZCntFormFieldAppearance> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntFormFieldAppearance";
    static constexpr const char16_t* doc = u"The border and fill colour of a form field";
    using I = IZCntFormFieldAppearance;
    static constexpr auto members = member_table(
        property(u"BorderColor", 1, &I::get_BorderColor, &I::put_BorderColor, as_color<>),
        property(u"FillColor", 2, &I::get_FillColor, &I::put_FillColor, as_color<>));
};

template <>
struct interface_traits<IZCntTextAttributes> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntTextAttributes";
    static constexpr const char16_t* doc = u"The text colour, font and alignment of a form field";
    using I = IZCntTextAttributes;
    static constexpr auto members = member_table(
        property(u"TextColor", 1, &I::get_TextColor, &I::put_TextColor, as_color<>),
        property(u"FontSize", 2, &I::get_FontSize, &I::put_FontSize),
        property(u"FontName", 3, &I::get_FontName, &I::put_FontName),
        property(u"FontBold", 4, &I::get_FontBold, &I::put_FontBold, as_bool<>),
        property(u"FontItalic", 5, &I::get_FontItalic, &I::put_FontItalic, as_bool<>),
        property(u"TextHorizontalAlignment", 6, &I::get_TextHorizontalAlignment,
                 &I::put_TextHorizontalAlignment),
        property(u"TextVerticalAlignment", 7, &I::get_TextVerticalAlignment,
                 &I::put_TextVerticalAlignment));
};

template <>
struct interface_traits<IZCntChoiceFieldOption> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntChoiceFieldOption";
    static constexpr const char16_t* doc = u"One choice of a combo or list box";
    using I = IZCntChoiceFieldOption;
    static constexpr auto members = member_table(
        property(u"DisplayName", 1, &I::get_DisplayName, &I::put_DisplayName),
        property(u"ExportValue", 2, &I::get_ExportValue, &I::put_ExportValue));
};

template <>
struct interface_traits<IZCntChoiceFieldOptionCollection> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntChoiceFieldOptionCollection";
    static constexpr const char16_t* doc = u"The choices of a combo or list box, counted from 1";
    using I = IZCntChoiceFieldOptionCollection;
    static constexpr auto members = member_table(
        read_only_property(u"_NewEnum", DISPID_NEWENUM, &I::get__NewEnum, restricted, hidden),
        read_only_property(u"Item", DISPID_VALUE, &I::get_Item, {u"Index"}),
        read_only_property(u"Count", 1, &I::get_Count),
        method(u"Add", 2, &I::Add, {u"Option"}, retval),
        method(u"Remove", 3, &I::Remove, {u"Index"}),
        method(u"Clear", 4, &I::Clear),
        method(u"MoveItemUp", 5, &I::MoveItemUp, {u"Index"}),
        method(u"MoveItemDown", 6, &I::MoveItemDown, {u"Index"}));
};

}  // namespace com::automation
