// IZCntElementLink: a rectangle of a page that links to a URL, optionally outlined.
#pragma once

#include "contentelements/cnt_element.h"

struct IZCntElementLink : IZCntElementBase {
    static constexpr IID iid = com::make_guid("{31D66789-3DA6-4899-9E15-3001F16A46A8}");
    using base = IZCntElementBase;
    virtual HRESULT get_LinkURL(BSTR* url) noexcept = 0;
    virtual HRESULT put_LinkURL(BSTR url) noexcept = 0;
    virtual HRESULT get_BorderColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_BorderColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT get_Shadow(VARIANT_BOOL* shadow) noexcept = 0;
    virtual HRESULT put_Shadow(VARIANT_BOOL shadow) noexcept = 0;
    virtual HRESULT SetLinkData(BSTR url, OLE_COLOR border_colour, VARIANT_BOOL shadow) noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementLink> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementLink";
    static constexpr const char16_t* doc = u"A hyperlink area";
    using I = IZCntElementLink;
    static constexpr auto members = member_table(
        property(u"LinkURL", 0x15, &I::get_LinkURL, &I::put_LinkURL),
        property(u"BorderColor", 0x16, &I::get_BorderColor, &I::put_BorderColor, as_color<>),
        property(u"Shadow", 0x17, &I::get_Shadow, &I::put_Shadow, as_bool<>),
        method(u"SetLinkData", 0x18, &I::SetLinkData, {u"LinkURL", u"BorderColor", u"Shadow"},
               as_color<1>, as_bool<2>));
};
