// IZCntElementNote: a text annotation, word-wrapped in an outline or a single line of
// automatic text that sizes the note to fit; and its style enumeration.
#pragma once

#include "contentelements/cnt_element.h"

#define ZE_CNT_NOTE_STYLES(X)              \
    X(zeCntNoteStyleRectangle, 0)          \
    X(zeCntNoteStyleRoundedRectangle, 1)   \
    X(zeCntNoteStyleOval, 2)               \
    X(zeCntNoteStyleTextOnly, 3)           \
    X(zeCntNoteStyleAutoTextPageNumber, 4) \
    X(zeCntNoteStyleAutoTextDateTime, 5)   \
    X(zeCntNoteStyleAutoTextUserName, 6)   \
    X(zeCntNoteStyleAutoTextCustom, 7)
ZCNT_AUTOMATION_ENUM(ZeCntNoteStyle, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A004}", ZE_CNT_NOTE_STYLES)
#undef ZE_CNT_NOTE_STYLES

struct IZCntElementNote : IZCntElementBase {
    static constexpr IID iid = com::make_guid("{010618F0-CAEA-46E1-A570-84040923C107}");
    using base = IZCntElementBase;
    virtual HRESULT get_Text(BSTR* text) noexcept = 0;
    virtual HRESULT put_Text(BSTR text) noexcept = 0;
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
    virtual HRESULT get_BorderColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_BorderColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT get_FillColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_FillColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT SetNoteData(BSTR text, OLE_COLOR text_colour, BSTR font_name,
                                SHORT font_size, VARIANT_BOOL bold, VARIANT_BOOL italic,
                                OLE_COLOR fill_colour, OLE_COLOR border_colour,
                                ZeCntNoteStyle style, VARIANT_BOOL shadow, VARIANT_BOOL callout,
                                SHORT fill_transparency) noexcept = 0;
    virtual HRESULT get_NoteStyle(ZeCntNoteStyle* style) noexcept = 0;
    virtual HRESULT put_NoteStyle(ZeCntNoteStyle style) noexcept = 0;
    virtual HRESULT get_Shadow(VARIANT_BOOL* shadow) noexcept = 0;
    virtual HRESULT put_Shadow(VARIANT_BOOL shadow) noexcept = 0;
    virtual HRESULT get_FillTransparency(SHORT* percent) noexcept = 0;
    virtual HRESULT put_FillTransparency(SHORT percent) noexcept = 0;
    virtual HRESULT get_TextHorizontalAlignment(ZeCntHorizontalAlignmentType* align) noexcept = 0;
    virtual HRESULT put_TextHorizontalAlignment(ZeCntHorizontalAlignmentType align) noexcept = 0;
    virtual HRESULT get_TextVerticalAlignment(ZeCntVerticalAlignmentType* align) noexcept = 0;
    virtual HRESULT put_TextVerticalAlignment(ZeCntVerticalAlignmentType align) noexcept = 0;
    virtual HRESULT get_Callout(VARIANT_BOOL* callout) noexcept = 0;
    virtual HRESULT put_Callout(VARIANT_BOOL callout) noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementNote> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementNote";
    static constexpr const char16_t* doc = u"A text note";
    using I = IZCntElementNote;
    static constexpr auto members = member_table(
        property(u"Text", 0x15, &I::get_Text, &I::put_Text),
        property(u"TextColor", 0x16, &I::get_TextColor, &I::put_TextColor, as_color<>),
        property(u"FontSize", 0x17, &I::get_FontSize, &I::put_FontSize),
        property(u"FontName", 0x18, &I::get_FontName, &I::put_FontName),
        property(u"FontBold", 0x19, &I::get_FontBold, &I::put_FontBold, as_bool<>),
        property(u"FontItalic", 0x1A, &I::get_FontItalic, &I::put_FontItalic, as_bool<>),
        property(u"BorderColor", 0x1B, &I::get_BorderColor, &I::put_BorderColor, as_color<>),
        property(u"FillColor", 0x1C, &I::get_FillColor, &I::put_FillColor, as_color<>),
        method(u"SetNoteData", 0x1D, &I::SetNoteData,
               {u"NoteText", u"TextColor", u"FontName", u"FontSize", u"FontBold", u"FontItalic",
                u"FillColor", u"BorderColor", u"NoteStyle", u"Shadow", u"Callout",
                u"FillTransparency"},
               as_color<1>, as_bool<4>, as_bool<5>, as_color<6>, as_color<7>, as_bool<9>,
               as_bool<10>),
        property(u"NoteStyle", 0x1E, &I::get_NoteStyle, &I::put_NoteStyle),
        property(u"Shadow", 0x1F, &I::get_Shadow, &I::put_Shadow, as_bool<>),
        property(u"FillTransparency", 0x20, &I::get_FillTransparency, &I::put_FillTransparency),
        property(u"TextHorizontalAlignment", 0x21, &I::get_TextHorizontalAlignment,
                 &I::put_TextHorizontalAlignment),
        property(u"TextVerticalAlignment", 0x22, &I::get_TextVerticalAlignment,
                 &I::put_TextVerticalAlignment),
        property(u"Callout", 0x23, &I::get_Callout, &I::put_Callout, as_bool<>));
};
