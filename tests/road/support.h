// Shared steps of the road and PDF tests: the library's classes in the class table, elements
// created by ProgID and attached to a page of a host document, host objects made through a
// page's lists, and what a page holds.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_element.h"
#include "contentelements/cnt_link.h"
#include "contentelements/cnt_textmark.h"
#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "core/element_state.h"
#include "host/engine.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace road {

// Registers the library's classes for the lifetime of a test.
class classes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(cnt::module::register_classes(), S_OK); }
    void TearDown() override { cnt::module::revoke_classes(); }
};

template <typename I>
com::ComPtr<I> create(const char16_t* progid)
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(progid, &clsid), S_OK);
    com::ComPtr<I> out;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, out.put_void()),
              S_OK);
    return out;
}

// The classes registered and a document of `pages` equal pages, where elements made by ProgID
// are attached as the tool attaches them.
class on_pages : public classes {
protected:
    explicit on_pages(int pages = 1, LONG width = 5950, LONG height = 8420, LONG resolution = 720)
        : pages_(pages), width_(width), height_(height), resolution_(resolution)
    {
    }
    void SetUp() override
    {
        classes::SetUp();
        for (int i = 0; i < pages_; ++i) ASSERT_EQ(doc.add_page(width_, height_, resolution_), S_OK);
    }
    template <typename I>
    com::ComPtr<I> attached(const char16_t* progid, LONG page = 1, const host::document* on = nullptr);

    host::document doc;

private:
    int pages_;
    LONG width_, height_, resolution_;
};

// Attach(page objects, resources, document) of page `number`, through the engine's view that
// notes what the element makes, as the tool attaches.
inline HRESULT attach(IUnknown* element, const host::document& doc, LONG number = 1)
{
    com::ComPtr<IZElement> e;
    if (FAILED(element->QueryInterface(IZElement::iid, e.put_void()))) return E_NOINTERFACE;
    return doc.attach(number, e.get());
}

// Attach(page objects, resources, document) of page `number` straight from the document's
// lists, without the engine's view: what the element makes is not noted as its own.
inline HRESULT attach_to_lists(IUnknown* element, const host::document& doc, LONG number = 1)
{
    com::ComPtr<IZElement> e;
    if (FAILED(element->QueryInterface(IZElement::iid, e.put_void()))) return E_NOINTERFACE;
    com::ComPtr<IDispatch> objects, resources, document;
    doc.page_objects(number, objects.put());
    doc.resources(number, resources.put());
    doc.dispatch(document.put());
    return e->Attach(objects.get(), resources.get(), document.get());
}

template <typename I>
com::ComPtr<I> on_pages::attached(const char16_t* progid, LONG page, const host::document* on)
{
    auto element = create<I>(progid);
    EXPECT_EQ(attach(element.get(), on ? *on : doc, page), S_OK);
    return element;
}

// An object of `kind` made by page `page`'s object list (or, for kinds above 100, its resource
// list) and added to that list.
template <typename I>
com::ComPtr<I> make(const host::document& doc, LONG kind, LONG page = 1)
{
    com::ComPtr<IDispatch> list, made;
    const bool resource = kind > 100;
    EXPECT_EQ(resource ? doc.resources(page, list.put()) : doc.page_objects(page, list.put()), S_OK)
        << "page " << page;
    com::ComPtr<I> out;
    if (!list) return out;
    auto create_and_add = [&](auto l) {
        LONG id = 0;
        EXPECT_EQ(l->Create(kind, made.put()), S_OK) << kind;
        EXPECT_EQ(l->Add(*com::Variant::from_dispatch(made.get()).get(), &id), S_OK) << kind;
    };
    com::ComPtr<IZResourceList> resources;
    com::ComPtr<IZPageObjectList> objects;
    if (resource && SUCCEEDED(list->QueryInterface(IZResourceList::iid, resources.put_void())))
        create_and_add(resources.get());
    else if (!resource && SUCCEEDED(list->QueryInterface(IZPageObjectList::iid, objects.put_void())))
        create_and_add(objects.get());
    EXPECT_TRUE(made && SUCCEEDED(made->QueryInterface(I::iid, out.put_void()))) << kind;
    return out;
}

inline void set_rect(IZRect* r, LONG left, LONG top, LONG right, LONG bottom)
{
    ASSERT_TRUE(r);
    r->put_Left(left);
    r->put_Top(top);
    r->put_Right(right);
    r->put_Bottom(bottom);
}

inline com::ComPtr<IZPath> path_of(IZShape* s)
{
    com::ComPtr<IZPath> p;
    if (s) s->get_Path(p.put());
    return p;
}

inline com::ComPtr<IZShape> shape(const host::document& doc, ZeShapePaintMode mode, OLE_COLOR fill,
                                  OLE_COLOR stroke, LONG page = 1)
{
    auto s = make<IZShape>(doc, zeKindShape, page);
    if (!s) return s;
    s->put_PaintMode(mode);
    s->put_FillColor(fill);
    s->put_StrokeColor(stroke);
    return s;
}

inline com::ComPtr<IZShape> filled_rect(const host::document& doc, LONG l, LONG t, LONG r, LONG b,
                                        OLE_COLOR fill, LONG page = 1)
{
    auto s = shape(doc, zeShapePaintFill, fill, 0xFFFFFFFF, page);
    EXPECT_TRUE(s && path_of(s.get())->Rectangle(l, t, r, b) == S_OK);
    return s;
}

inline com::ComPtr<IZFont> font(const host::document& doc, const char16_t* face, LONG size,
                                bool bold = false, double angle = 0, LONG page = 1)
{
    auto f = make<IZFont>(doc, zeKindFont, page);
    if (!f) return f;
    com::Bstr name(face);
    f->put_FaceName(name.get());
    f->put_Size(size);
    f->put_Bold(bold ? VARIANT_TRUE : VARIANT_FALSE);
    f->put_Angle(angle);
    return f;
}

inline com::ComPtr<IZTextObject> text(const host::document& doc, std::u16string_view body, LONG x,
                                      LONG y, IZFont* f, OLE_COLOR colour = 0, LONG page = 1)
{
    auto t = make<IZTextObject>(doc, zeKindTextObject, page);
    if (!t) return t;
    com::Bstr b(body);
    t->put_Text(b.get());
    t->put_X(x);
    t->put_Y(y);
    t->putref_Font(f);
    t->put_Color(colour);
    return t;
}

// The document's element container, if an element made one.
inline com::ComPtr<IZCntElementContainer> container_of(const host::document& doc)
{
    for (const auto& item : doc.document_objects()) {
        com::ComPtr<IZCntElementContainer> c;
        if (SUCCEEDED(item->QueryInterface(IZCntElementContainer::iid, c.put_void()))) return c;
    }
    return {};
}

inline std::string property(const host::object_view& v, const std::string& name)
{
    for (const auto& [key, value] : v.properties)
        if (key == name) return value;
    return "<missing " + name + ">";
}

inline std::vector<std::string> kinds(const std::vector<host::object_view>& views)
{
    std::vector<std::string> out;
    for (const auto& v : views) out.push_back(v.kind);
    return out;
}

// `object` as I; null (and a failure) if it is not one.
template <typename I>
com::ComPtr<I> as(IUnknown* object)
{
    com::ComPtr<I> out;
    EXPECT_TRUE(object && SUCCEEDED(object->QueryInterface(I::iid, out.put_void())));
    return out;
}

// The element id the page object list gave the element at its Attach; 0 without one.
inline LONG element_id(IUnknown* element)
{
    com::ComPtr<IZCntElementIds> ids;
    LONG id = 0;
    if (element && SUCCEEDED(element->QueryInterface(IZCntElementIds::iid, ids.put_void())))
        ids->GetElementID(&id);
    return id;
}

// `doc` saved and loaded into `loaded`; its only element on `page`, attached again.
inline com::ComPtr<IUnknown> reloaded(const host::document& doc, LONG page, host::document* loaded,
                                      std::vector<BYTE>* file)
{
    std::string message;
    EXPECT_EQ(doc.save_bytes(file, &message), S_OK) << message;
    EXPECT_EQ(host::document::load_bytes(file->data(), file->size(), loaded, &message), S_OK) << message;
    const auto elements = loaded->elements(page);
    EXPECT_EQ(elements.size(), 1u);
    if (elements.empty()) return {};
    EXPECT_EQ(attach(elements[0].object.get(), *loaded, page), S_OK);
    return elements[0].object;
}

// What the document's container finds at (x, y) on `page`: S_OK with the element, or S_FALSE.
inline HRESULT hit(const host::document& doc, LONG page, LONG x, LONG y,
                   com::ComPtr<IZCntElementInfo>* found)
{
    auto container = container_of(doc);
    if (!container) return E_FAIL;
    com::ComPtr<IDispatch> p;
    doc.page(page, p.put());
    return container->FindElementFromPoint(p.get(), 0, x, y, found->put());
}

// A text mark made by its ProgID over `count` words of page 1 from word `first`.
inline void mark_words(const host::document& doc, LONG first, LONG count, ZeCntMarkTextStyle style,
                       OLE_COLOR colour)
{
    auto m = create<IZCntElementTextMark>(u"Orvane.ZCntElementTextMark.1");
    ASSERT_TRUE(m);
    ASSERT_EQ(attach(m.get(), doc), S_OK);
    com::ComPtr<IDispatch> p, view, range;
    ASSERT_EQ(doc.page(1, p.put()), S_OK);
    auto page = road::as<IZPrintContentPage>(p.get());
    ASSERT_EQ(page->get_DocumentView(view.put()), S_OK);
    ASSERT_EQ(page->CreateTextRange(first, count, range.put()), S_OK);
    ASSERT_EQ(m->MarkText(view.get(), range.get(), style, colour), S_OK);
}

}  // namespace road
