// IZCntElementFormField: what every form field adds to the element base (its name, values,
// mapping name and appearance). The container reads and sets Name to number unnamed fields.
#pragma once

#include "contentelements/cnt_element.h"
#include "contentelements/cnt_field_parts.h"

struct IZCntElementFormField : IDispatch {
    static constexpr IID iid = com::make_guid("{22F4CF0E-CA35-424B-B6D5-242D8290F423}");
    using base = IDispatch;
    virtual HRESULT get_Name(BSTR* name) noexcept = 0;
    virtual HRESULT put_Name(BSTR name) noexcept = 0;
    virtual HRESULT get_ReadOnly(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT put_ReadOnly(VARIANT_BOOL value) noexcept = 0;
    virtual HRESULT get_DefaultValue(VARIANT* value) noexcept = 0;
    virtual HRESULT put_DefaultValue(VARIANT value) noexcept = 0;
    virtual HRESULT get_CurrentValue(VARIANT* value) noexcept = 0;
    virtual HRESULT put_CurrentValue(VARIANT value) noexcept = 0;
    virtual HRESULT get_MappingName(BSTR* name) noexcept = 0;
    virtual HRESULT put_MappingName(BSTR name) noexcept = 0;
    virtual HRESULT get_Export(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT put_Export(VARIANT_BOOL value) noexcept = 0;
    virtual HRESULT get_Appearance(IZCntFormFieldAppearance** appearance) noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementFormField> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementFormField";
    static constexpr const char16_t* doc = u"An interactive form field";
    using I = IZCntElementFormField;
    static constexpr auto members = member_table(
        property(u"Name", 1, &I::get_Name, &I::put_Name),
        property(u"ReadOnly", 2, &I::get_ReadOnly, &I::put_ReadOnly, as_bool<>),
        property(u"DefaultValue", 3, &I::get_DefaultValue, &I::put_DefaultValue),
        property(u"CurrentValue", 4, &I::get_CurrentValue, &I::put_CurrentValue),
        property(u"MappingName", 5, &I::get_MappingName, &I::put_MappingName),
        property(u"Export", 6, &I::get_Export, &I::put_Export, as_bool<>),
        read_only_property(u"Appearance", 7, &I::get_Appearance));
};
