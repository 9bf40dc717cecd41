// IZCntElementTextMark: a highlight, underline or strikethrough over a run of text the host has
// laid out on a page; and its style enumeration.
#pragma once

#include "contentelements/cnt_element.h"

#define ZE_CNT_MARK_TEXT_STYLES(X)   \
    X(zeCntMarkTextHighlight, 0)     \
    X(zeCntMarkTextUnderline, 1)     \
    X(zeCntMarkTextStrikethrough, 2)
ZCNT_AUTOMATION_ENUM(ZeCntMarkTextStyle, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A007}",
                     ZE_CNT_MARK_TEXT_STYLES)
#undef ZE_CNT_MARK_TEXT_STYLES

// The interface id is this library's own; no other component defines it.
struct IZCntElementTextMark : IZCntElementBase {
    static constexpr IID iid = com::make_guid("{B3E6F1D2-7A4C-4E59-9C1B-2D8F6A0E5C37}");
    using base = IZCntElementBase;
    // view: the host's document view; range: a text range of that document.
    virtual HRESULT MarkText(IDispatch* view, IDispatch* range, ZeCntMarkTextStyle style,
                             OLE_COLOR colour) noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementTextMark> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementTextMark";
    static constexpr const char16_t* doc = u"A mark over text of a page";
    using I = IZCntElementTextMark;
    static constexpr auto members = member_table(
        method(u"MarkText", 0x15, &I::MarkText,
               {u"pZXMLDocumentView", u"pZXMLDocumentTextRange", u"Style", u"MarkColor"},
               as_color<3>));
};
