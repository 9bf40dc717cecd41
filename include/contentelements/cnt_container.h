// The element container's interfaces: IZCntElementInfo, the record kept per element, and
// IZCntElementContainer, the per-document index with its hit test.
#pragma once

#include "contentelements/cnt_element.h"

struct IZCntElementInfo : IDispatch {
    static constexpr IID iid = com::make_guid("{3434B368-9125-4035-AC0D-9DDF6DDF347C}");
    using base = IDispatch;
    virtual HRESULT get_PageID(LONG* id) noexcept = 0;
    virtual HRESULT put_PageID(LONG id) noexcept = 0;
    virtual HRESULT get_ElementID(LONG* id) noexcept = 0;
    virtual HRESULT put_ElementID(LONG id) noexcept = 0;
    virtual HRESULT get_ElementType(ZeCntElementType* type) noexcept = 0;
    virtual HRESULT get_Description(BSTR* text) noexcept = 0;
    virtual HRESULT put_Description(BSTR text) noexcept = 0;
    virtual HRESULT SetInfo(LONG page_id, LONG element_id, IZCntElementBase* element) noexcept = 0;
    virtual HRESULT GetPosition(LONG* left, LONG* top, LONG* right, LONG* bottom,
                                SHORT* inclination) noexcept = 0;
};

struct IZCntElementContainer : IDispatch {
    static constexpr IID iid = com::make_guid("{CBB8FD3A-4FD8-4D48-87A9-F937DDD57F18}");
    using base = IDispatch;
    virtual HRESULT AddElement(LONG page_id, LONG element_id, IZCntElementBase* element) noexcept = 0;
    virtual HRESULT RemoveElement(LONG page_id, LONG element_id) noexcept = 0;
    virtual HRESULT get_Count(LONG* count) noexcept = 0;
    virtual HRESULT get_Item(LONG index, IZCntElementInfo** info) noexcept = 0;
    virtual HRESULT FindElementFromPoint(IDispatch* page, LONG hit_width, LONG x, LONG y,
                                         IZCntElementInfo** found) noexcept = 0;
    virtual HRESULT UpdateElement(LONG page_id, LONG element_id,
                                  IZCntElementBase* element) noexcept = 0;
    virtual HRESULT get_ItemFromID(LONG page_id, LONG element_id,
                                   IZCntElementInfo** info) noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementInfo> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementInfo";
    static constexpr const char16_t* doc = u"The container's record of one element";
    using I = IZCntElementInfo;
    static constexpr auto members = member_table(
        property(u"PageID", 1, &I::get_PageID, &I::put_PageID),
        property(u"ElementID", 2, &I::get_ElementID, &I::put_ElementID),
        read_only_property(u"ElementType", 3, &I::get_ElementType),
        property(u"Description", 4, &I::get_Description, &I::put_Description),
        method(u"SetInfo", 5, &I::SetInfo, {u"PageID", u"ElementID", u"Element"}),
        method(u"GetPosition", 6, &I::GetPosition,
               {u"Left", u"Top", u"Right", u"Bottom", u"Inclination"}));
};

template <>
struct com::automation::interface_traits<IZCntElementContainer> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementContainer";
    static constexpr const char16_t* doc = u"The elements of a document";
    using I = IZCntElementContainer;
    static constexpr auto members = member_table(
        method(u"AddElement", 1, &I::AddElement, {u"PageID", u"ElementID", u"Element"}),
        method(u"RemoveElement", 2, &I::RemoveElement, {u"PageID", u"ElementID"}),
        read_only_property(u"Count", 3, &I::get_Count),
        read_only_property(u"Item", 4, &I::get_Item, {u"Index"}),
        method(u"FindElementFromPoint", 5, &I::FindElementFromPoint,
               {u"PrintContentPage", u"HitWidth", u"X", u"Y", u"FoundElement"}),
        method(u"UpdateElement", 6, &I::UpdateElement, {u"PageID", u"ElementID", u"Element"}),
        read_only_property(u"ItemFromID", 7, &I::get_ItemFromID, {u"PageID", u"ElementID"}));
};
