// The print-content engine's document structure (type library ZPRINTCONTENTLib): the document
// and its page list, a page with its page object list and resource list, and the document view
// and text ranges over the words a page shows. Object kinds are the numbers the lists' Create
// takes and GetObjectKind reports.
#pragma once

#include "contentelements/zprint_objects.h"

enum ZeObjectKind : LONG {
    zeKindTextObject = 1,
    zeKindShape = 2,
    zeKindPlacedImage = 3,
    zeKindLink = 4,
    zeKindPlacedDocumentPage = 5,
    zeKindImageResource = 101,
    zeKindFont = 102,
    zeKindClipFrame = 103,
    zeKindLineStyle = 110,
    zeKindStoredDocument = 111,
    zeKindPlacedPdfPage = 120,
    zeKindPdfDocument = 121,
    // The library's elements report 284 + their element type; the container reports 285 too.
    zeKindElementBase = 284,
};

struct IZPrintContentPage;

// The objects that make up a page, in painting order. Ids are unique in the list and never
// reused. Order(id, after, 0) moves object id right behind object after (0: to the front).
struct IZPageObjectList : IDispatch {
    static constexpr IID iid = com::make_guid("{67F4ED57-F12F-4708-9A4E-52DF53F616E6}");
    using base = IDispatch;
    virtual HRESULT AddElement(IZElement* element) noexcept = 0;
    virtual HRESULT Add(VARIANT object, LONG* id) noexcept = 0;
    virtual HRESULT Create(LONG kind, IDispatch** object) noexcept = 0;
    virtual HRESULT get_Page(IZPrintContentPage** page) noexcept = 0;
    virtual HRESULT Remove(LONG id) noexcept = 0;
    virtual HRESULT Order(LONG id, LONG after, LONG flags) noexcept = 0;
    virtual HRESULT get_Count(LONG* count) noexcept = 0;
    virtual HRESULT get_Item(LONG index, IDispatch** object) noexcept = 0;
    virtual HRESULT get_ItemID(LONG index, LONG* id) noexcept = 0;
    virtual HRESULT ItemFromID(LONG id, IDispatch** object) noexcept = 0;
};

// The resources a page's objects use: fonts, clip frames, line styles, images, documents.
struct IZResourceList : IDispatch {
    static constexpr IID iid = com::make_guid("{1BB42D6E-6540-42F9-99ED-A1B6DCA7C65D}");
    using base = IDispatch;
    virtual HRESULT AddObject(IZObject* object) noexcept = 0;
    virtual HRESULT Add(VARIANT object, LONG* id) noexcept = 0;
    virtual HRESULT Create(LONG kind, IDispatch** object) noexcept = 0;
    virtual HRESULT AddWithoutID(VARIANT object) noexcept = 0;
    virtual HRESULT Remove(LONG id) noexcept = 0;
    virtual HRESULT get_Count(LONG* count) noexcept = 0;
    virtual HRESULT get_Item(LONG index, IDispatch** object) noexcept = 0;
    virtual HRESULT get_ItemID(LONG index, LONG* id) noexcept = 0;
    virtual HRESULT ItemFromID(LONG id, IDispatch** object) noexcept = 0;
};

// The pages of a document; numbers start at 1.
struct IZPageList : IDispatch {
    static constexpr IID iid = com::make_guid("{0D3ACB7F-EF0B-4E6D-9122-858F7B92D4C0}");
    using base = IDispatch;
    virtual HRESULT get_Count(LONG* count) noexcept = 0;
    virtual HRESULT PageNumberOf(LONG page_id, LONG* number) noexcept = 0;
    virtual HRESULT get_Item(LONG number, IZPrintContentPage** page) noexcept = 0;
};

// A page. Sizes are in the page's units; the resolution is units per inch. The page id getter
// is the eighteenth member after IDispatch's seven: callers that only know that slot rely on it.
struct IZPrintContentPage : IDispatch {
    static constexpr IID iid = com::make_guid("{6C2BC13F-547F-11D6-99C7-0004769619A7}");
    using base = IDispatch;
    virtual HRESULT get_PageObjects(IZPageObjectList** list) noexcept = 0;   // 1
    virtual HRESULT get_Resolution(LONG* units_per_inch) noexcept = 0;      // 2
    virtual HRESULT get_Resources(IZResourceList** list) noexcept = 0;      // 3
    virtual HRESULT get_Width(LONG* value) noexcept = 0;                    // 4
    virtual HRESULT put_Width(LONG value) noexcept = 0;                     // 5
    virtual HRESULT get_Height(LONG* value) noexcept = 0;                   // 6
    virtual HRESULT put_Height(LONG value) noexcept = 0;                    // 7
    virtual HRESULT put_Resolution(LONG units_per_inch) noexcept = 0;       // 8
    virtual HRESULT get_Document(IZDocument** document) noexcept = 0;       // 9
    virtual HRESULT get_Title(BSTR* value) noexcept = 0;                    // 10
    virtual HRESULT put_Title(BSTR value) noexcept = 0;                     // 11
    virtual HRESULT get_PageNumber(LONG* number) noexcept = 0;              // 12
    virtual HRESULT AddWord(BSTR text, LONG left, LONG top, LONG right, LONG bottom,
                            LONG object_id) noexcept = 0;                   // 13
    virtual HRESULT get_WordCount(LONG* count) noexcept = 0;                // 14
    virtual HRESULT get_DocumentView(IDispatch** view) noexcept = 0;        // 15
    virtual HRESULT CreateTextRange(LONG first_word, LONG count,
                                    IDispatch** range) noexcept = 0;        // 16
    virtual HRESULT FindText(BSTR text, LONG* first_word) noexcept = 0;     // 17
    virtual HRESULT get_PageID(LONG* id) noexcept = 0;                      // 18
    virtual HRESULT get_PageList(IZPageList** pages) noexcept = 0;          // 19
};

// A document: its pages and its collection of objects (one element container among them).
// Item is one-based; LookUp finds an object of a page's lists by the id it was given.
struct IZDocument : IDispatch {
    static constexpr IID iid = com::make_guid("{BAA22BB4-713E-4CD9-8A68-97ED05909696}");
    using base = IDispatch;
    virtual HRESULT get_Item(LONG index, IDispatch** object) noexcept = 0;
    virtual HRESULT get_Count(LONG* count) noexcept = 0;
    virtual HRESULT Add(IDispatch* object) noexcept = 0;
    virtual HRESULT LookUp(LONG id, IDispatch** object) noexcept = 0;
    virtual HRESULT get_Pages(IZPageList** pages) noexcept = 0;
    virtual HRESULT AddPage(LONG width, LONG height, LONG resolution,
                            IZPrintContentPage** page) noexcept = 0;
};

// The view of the recognised text of a page: an item is a word; its place is its box in page
// units and the ids of the first and last page objects that show it.
struct IZDocumentView : IDispatch {
    static constexpr IID iid = com::make_guid("{66199B9E-5C9F-496C-BEF7-8C6A94806213}");
    using base = IDispatch;
    virtual HRESULT ItemPlace(LONG text, LONG item, LONG* left, LONG* top, LONG* right,
                              LONG* bottom, LONG reserved1, LONG reserved2, LONG* first_id,
                              LONG* last_id) noexcept = 0;
    virtual HRESULT ItemsJoined(LONG text, LONG previous, LONG item,
                                VARIANT_BOOL* joined) noexcept = 0;
};

// A run of words of one page's text.
struct IZTextRange : IDispatch {
    static constexpr IID iid = com::make_guid("{930D4468-85C5-4E2C-8E52-C5C584E4D4CD}");
    using base = IDispatch;
    virtual HRESULT get_TextReference(LONG* text) noexcept = 0;
    virtual HRESULT get_ItemCount(LONG* count) noexcept = 0;
    virtual HRESULT get_Item(LONG index, LONG* item) noexcept = 0;
    virtual HRESULT get_Text(BSTR* value) noexcept = 0;
};

namespace com::automation {

template <>
struct interface_traits<IZPageObjectList> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZPageObjectList";
    using I = IZPageObjectList;
    static constexpr auto members = member_table(
        method(u"AddElement", 1, &I::AddElement, {u"Element"}),
        method(u"Add", 2, &I::Add, {u"Object", u"ID"}, retval),
        method(u"Create", 3, &I::Create, {u"Kind", u"Object"}, retval),
        read_only_property(u"Page", 4, &I::get_Page),
        method(u"Remove", 5, &I::Remove, {u"ID"}),
        method(u"Order", 6, &I::Order, {u"ID", u"After", u"Flags"}),
        read_only_property(u"Count", 7, &I::get_Count),
        read_only_property(u"Item", DISPID_VALUE, &I::get_Item, {u"Index"}),
        read_only_property(u"ItemID", 8, &I::get_ItemID, {u"Index"}),
        method(u"ItemFromID", 9, &I::ItemFromID, {u"ID", u"Object"}, retval));
};

template <>
struct interface_traits<IZResourceList> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZResourceList";
    using I = IZResourceList;
    static constexpr auto members = member_table(
        method(u"AddObject", 1, &I::AddObject, {u"Object"}),
        method(u"Add", 2, &I::Add, {u"Object", u"ID"}, retval),
        method(u"Create", 3, &I::Create, {u"Kind", u"Object"}, retval),
        method(u"AddWithoutID", 4, &I::AddWithoutID, {u"Object"}),
        method(u"Remove", 5, &I::Remove, {u"ID"}),
        read_only_property(u"Count", 6, &I::get_Count),
        read_only_property(u"Item", DISPID_VALUE, &I::get_Item, {u"Index"}),
        read_only_property(u"ItemID", 7, &I::get_ItemID, {u"Index"}),
        method(u"ItemFromID", 8, &I::ItemFromID, {u"ID", u"Object"}, retval));
};

template <>
struct interface_traits<IZPageList> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZPageList";
    using I = IZPageList;
    static constexpr auto members = member_table(
        read_only_property(u"Count", 1, &I::get_Count),
        method(u"PageNumberOf", 2, &I::PageNumberOf, {u"PageID", u"Number"}, retval),
        read_only_property(u"Item", DISPID_VALUE, &I::get_Item, {u"Number"}));
};

// The stored document's table needs the page list, declared here.
template <>
struct interface_traits<IZStoredDocument> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZStoredDocument";
    using I = IZStoredDocument;
    static constexpr auto members = member_table(
        method(u"Load", 0x10, &I::Load, {u"File", u"Flags"}),
        read_only_property(u"Pages", 0x11, &I::get_Pages),
        read_only_property(u"FileName", 0x12, &I::get_FileName));
};

template <>
struct interface_traits<IZPrintContentPage> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZPrintContentPage";
    using I = IZPrintContentPage;
    static constexpr auto members = member_table(
        read_only_property(u"PageObjects", 1, &I::get_PageObjects),
        // Resolution is set further down: the type information lists its put there.
        propget(u"Resolution", 2, &I::get_Resolution),
        read_only_property(u"Resources", 3, &I::get_Resources),
        property(u"Width", 4, &I::get_Width, &I::put_Width),
        property(u"Height", 5, &I::get_Height, &I::put_Height),
        propput(u"Resolution", 2, &I::put_Resolution),
        read_only_property(u"Document", 6, &I::get_Document),
        property(u"Title", 7, &I::get_Title, &I::put_Title),
        read_only_property(u"PageNumber", 8, &I::get_PageNumber),
        method(u"AddWord", 9, &I::AddWord,
               {u"Text", u"Left", u"Top", u"Right", u"Bottom", u"ObjectID"}),
        read_only_property(u"WordCount", 10, &I::get_WordCount),
        read_only_property(u"DocumentView", 11, &I::get_DocumentView),
        method(u"CreateTextRange", 12, &I::CreateTextRange, {u"FirstWord", u"Count", u"Range"},
               retval),
        method(u"FindText", 13, &I::FindText, {u"Text", u"FirstWord"}, retval),
        read_only_property(u"PageID", 14, &I::get_PageID),
        read_only_property(u"PageList", 15, &I::get_PageList));
};

template <>
struct interface_traits<IZDocument> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZDocument";
    using I = IZDocument;
    static constexpr auto members = member_table(
        read_only_property(u"Item", DISPID_VALUE, &I::get_Item, {u"Index"}),
        read_only_property(u"Count", 1, &I::get_Count),
        method(u"Add", 2, &I::Add, {u"Object"}),
        method(u"LookUp", 3, &I::LookUp, {u"ID", u"Object"}, retval),
        read_only_property(u"Pages", 4, &I::get_Pages),
        method(u"AddPage", 5, &I::AddPage, {u"Width", u"Height", u"Resolution", u"Page"},
               retval));
};

template <>
struct interface_traits<IZDocumentView> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZDocumentView";
    using I = IZDocumentView;
    static constexpr auto members = member_table(
        method(u"ItemPlace", 1, &I::ItemPlace,
               {u"Text", u"Item", u"Left", u"Top", u"Right", u"Bottom", u"Reserved1",
                u"Reserved2", u"FirstID", u"LastID"}),
        method(u"ItemsJoined", 2, &I::ItemsJoined, {u"Text", u"Previous", u"Item", u"Joined"},
               as_bool<3>, retval));
};

template <>
struct interface_traits<IZTextRange> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZTextRange";
    using I = IZTextRange;
    static constexpr auto members = member_table(
        read_only_property(u"TextReference", 1, &I::get_TextReference),
        read_only_property(u"ItemCount", 2, &I::get_ItemCount),
        read_only_property(u"Item", DISPID_VALUE, &I::get_Item, {u"Index"}),
        read_only_property(u"Text", 3, &I::get_Text));
};

}  // namespace com::automation
