// IZCntElementBase: the dual interface every element of ContentElementsLib shares, with its
// member table (dispatch ids 1 to 9).
#pragma once

#include "contentelements/cnt_types.h"
#include "platform/automation/dispatch_impl.h"

#include "contentelements/libraries.h"

struct IZCntElementBase : IDispatch {
    static constexpr IID iid = com::make_guid("{13BDD2BA-EC15-49FC-B145-A9E1769ACDE7}");
    using base = IDispatch;
    virtual HRESULT SetPosition(LONG left, LONG top, LONG width, LONG height) noexcept = 0;
    virtual HRESULT GetPosition(LONG* left, LONG* top, LONG* width, LONG* height) noexcept = 0;
    virtual HRESULT Delete() noexcept = 0;
    virtual HRESULT get_Inclination(SHORT* degrees) noexcept = 0;
    virtual HRESULT put_Inclination(SHORT degrees) noexcept = 0;
    virtual HRESULT get_AllowInclination(VARIANT_BOOL* allowed) noexcept = 0;
    virtual HRESULT get_ElementType(ZeCntElementType* type) noexcept = 0;
    virtual HRESULT get_Description(BSTR* text) noexcept = 0;
    virtual HRESULT put_Description(BSTR text) noexcept = 0;
    virtual HRESULT get_PageID(LONG* id) noexcept = 0;
    virtual HRESULT CopyTo(IZCntElementBase* destination) noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementBase> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementBase";
    static constexpr const char16_t* doc = u"An element of a page";
    using I = IZCntElementBase;
    static constexpr auto members = member_table(
        method(u"SetPosition", 1, &I::SetPosition, {u"Left", u"Top", u"Width", u"Height"}),
        method(u"GetPosition", 2, &I::GetPosition, {u"Left", u"Top", u"Width", u"Height"}),
        method(u"Delete", 3, &I::Delete),
        property(u"Inclination", 4, &I::get_Inclination, &I::put_Inclination),
        read_only_property(u"AllowInclination", 5, &I::get_AllowInclination, as_bool<>),
        read_only_property(u"ElementType", 6, &I::get_ElementType),
        property(u"Description", 7, &I::get_Description, &I::put_Description),
        read_only_property(u"PageID", 8, &I::get_PageID),
        method(u"CopyTo", 9, &I::CopyTo, {u"pDestination"}));
};
