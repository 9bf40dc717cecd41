// IZCntElementStamp: a rubber stamp with a header line above a content line, fitted to the
// stamp, turnable about its bottom-left corner; and its style enumeration.
#pragma once

#include "contentelements/cnt_element.h"

#define ZE_CNT_STAMP_STYLES(X)     \
    X(zeCntStampStyleRectangle, 0) \
    X(zeCntStampStyleOval, 1)
ZCNT_AUTOMATION_ENUM(ZeCntStampStyle, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A005}", ZE_CNT_STAMP_STYLES)
#undef ZE_CNT_STAMP_STYLES

struct IZCntElementStamp : IZCntElementBase {
    static constexpr IID iid = com::make_guid("{DC39F967-4C6E-4B92-AF36-CDDD6810620B}");
    using base = IZCntElementBase;
    virtual HRESULT get_HeaderText(BSTR* text) noexcept = 0;
    virtual HRESULT put_HeaderText(BSTR text) noexcept = 0;
    virtual HRESULT get_HeaderTextColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_HeaderTextColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT get_HeaderSize(SHORT* percent) noexcept = 0;
    virtual HRESULT put_HeaderSize(SHORT percent) noexcept = 0;
    virtual HRESULT get_HeaderFontName(BSTR* name) noexcept = 0;
    virtual HRESULT put_HeaderFontName(BSTR name) noexcept = 0;
    virtual HRESULT get_HeaderFontBold(VARIANT_BOOL* bold) noexcept = 0;
    virtual HRESULT put_HeaderFontBold(VARIANT_BOOL bold) noexcept = 0;
    virtual HRESULT get_HeaderFontItalic(VARIANT_BOOL* italic) noexcept = 0;
    virtual HRESULT put_HeaderFontItalic(VARIANT_BOOL italic) noexcept = 0;
    virtual HRESULT get_BorderColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_BorderColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT get_FillColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_FillColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT SetStampData(BSTR header_text, OLE_COLOR header_colour, BSTR header_font,
                                 SHORT header_size, VARIANT_BOOL header_bold,
                                 VARIANT_BOOL header_italic, BSTR content_text,
                                 OLE_COLOR content_colour, BSTR content_font,
                                 VARIANT_BOOL content_bold, VARIANT_BOOL content_italic,
                                 OLE_COLOR fill_colour, OLE_COLOR border_colour,
                                 ZeCntStampStyle style, VARIANT_BOOL shadow, SHORT transparency,
                                 SHORT inclination) noexcept = 0;
    virtual HRESULT get_StampStyle(ZeCntStampStyle* style) noexcept = 0;
    virtual HRESULT put_StampStyle(ZeCntStampStyle style) noexcept = 0;
    virtual HRESULT get_Shadow(VARIANT_BOOL* shadow) noexcept = 0;
    virtual HRESULT put_Shadow(VARIANT_BOOL shadow) noexcept = 0;
    virtual HRESULT get_Transparency(SHORT* percent) noexcept = 0;
    virtual HRESULT put_Transparency(SHORT percent) noexcept = 0;
    virtual HRESULT get_ContentText(BSTR* text) noexcept = 0;
    virtual HRESULT put_ContentText(BSTR text) noexcept = 0;
    virtual HRESULT get_ContentTextColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_ContentTextColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT get_ContentFontName(BSTR* name) noexcept = 0;
    virtual HRESULT put_ContentFontName(BSTR name) noexcept = 0;
    virtual HRESULT get_ContentFontBold(VARIANT_BOOL* bold) noexcept = 0;
    virtual HRESULT put_ContentFontBold(VARIANT_BOOL bold) noexcept = 0;
    virtual HRESULT get_ContentFontItalic(VARIANT_BOOL* italic) noexcept = 0;
    virtual HRESULT put_ContentFontItalic(VARIANT_BOOL italic) noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementStamp> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementStamp";
    static constexpr const char16_t* doc = u"A rubber stamp";
    using I = IZCntElementStamp;
    static constexpr auto members = member_table(
        property(u"HeaderText", 0x15, &I::get_HeaderText, &I::put_HeaderText),
        property(u"HeaderTextColor", 0x16, &I::get_HeaderTextColor, &I::put_HeaderTextColor,
                 as_color<>),
        property(u"HeaderSize", 0x17, &I::get_HeaderSize, &I::put_HeaderSize),
        property(u"HeaderFontName", 0x18, &I::get_HeaderFontName, &I::put_HeaderFontName),
        property(u"HeaderFontBold", 0x19, &I::get_HeaderFontBold, &I::put_HeaderFontBold,
                 as_bool<>),
        property(u"HeaderFontItalic", 0x1A, &I::get_HeaderFontItalic, &I::put_HeaderFontItalic,
                 as_bool<>),
        property(u"BorderColor", 0x1B, &I::get_BorderColor, &I::put_BorderColor, as_color<>),
        property(u"FillColor", 0x1C, &I::get_FillColor, &I::put_FillColor, as_color<>),
        method(u"SetStampData", 0x1D, &I::SetStampData,
               {u"HeaderText", u"HeaderTextColor", u"HeaderFontName", u"HeaderSize",
                u"HeaderFontBold", u"HeaderFontItalic", u"ContentText", u"ContentTextColor",
                u"ContentFontName", u"ContentFontBold", u"ContentFontItalic", u"FillColor",
                u"BorderColor", u"StampStyle", u"Shadow", u"Transparency", u"Inclination"},
               as_color<1>, as_bool<4>, as_bool<5>, as_color<7>, as_bool<9>, as_bool<10>,
               as_color<11>, as_color<12>, as_bool<14>),
        property(u"StampStyle", 0x1E, &I::get_StampStyle, &I::put_StampStyle),
        property(u"Shadow", 0x1F, &I::get_Shadow, &I::put_Shadow, as_bool<>),
        property(u"Transparency", 0x20, &I::get_Transparency, &I::put_Transparency),
        property(u"ContentText", 0x21, &I::get_ContentText, &I::put_ContentText),
        property(u"ContentTextColor", 0x22, &I::get_ContentTextColor, &I::put_ContentTextColor,
                 as_color<>),
        property(u"ContentFontName", 0x23, &I::get_ContentFontName, &I::put_ContentFontName),
        property(u"ContentFontBold", 0x24, &I::get_ContentFontBold, &I::put_ContentFontBold,
                 as_bool<>),
        property(u"ContentFontItalic", 0x25, &I::get_ContentFontItalic, &I::put_ContentFontItalic,
                 as_bool<>));
};
