// IZCntElementPageBreak: a design-time marker of a region of flowing text and the height at
// which it breaks to the next page.
#pragma once

#include "contentelements/cnt_element.h"

struct IZCntElementPageBreak : IZCntElementBase {
    static constexpr IID iid = com::make_guid("{80953DD4-94F5-4324-924B-6F7278DF45DF}");
    using base = IZCntElementBase;
    virtual HRESULT get_PageBreakPosY(LONG* y) noexcept = 0;
    virtual HRESULT put_PageBreakPosY(LONG y) noexcept = 0;
    virtual HRESULT put_LabelFlowRegion(BSTR label) noexcept = 0;
    virtual HRESULT put_LabelPageBreak(BSTR label) noexcept = 0;
    virtual HRESULT ShowPageBreakElements() noexcept = 0;
    virtual HRESULT HidePageBreakElements() noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementPageBreak> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementPageBreak";
    static constexpr const char16_t* doc = u"A page break marker";
    using I = IZCntElementPageBreak;
    static constexpr auto members = member_table(
        property(u"PageBreakPosY", 0x15, &I::get_PageBreakPosY, &I::put_PageBreakPosY),
        propput(u"LabelFlowRegion", 0x16, &I::put_LabelFlowRegion),
        propput(u"LabelPageBreak", 0x17, &I::put_LabelPageBreak),
        method(u"ShowPageBreakElements", 0x18, &I::ShowPageBreakElements),
        method(u"HidePageBreakElements", 0x19, &I::HidePageBreakElements));
};
