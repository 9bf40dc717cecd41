// Shared steps of the road tests: the library's classes in the class table, elements created
// by ProgID and attached to a page of a host document, and the journal of what they did.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_element.h"
#include "contentelements/cnt_link.h"
#include "contentelements/zprint_objects.h"
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

// Attach(page objects, resources, document) of page `number`.
inline HRESULT attach(IUnknown* element, const host::document& doc, LONG number = 1)
{
    com::ComPtr<IZElement> e;
    if (FAILED(element->QueryInterface(IZElement::iid, e.put_void()))) return E_NOINTERFACE;
    com::ComPtr<IDispatch> objects, resources, document;
    doc.page_objects(number, objects.put());
    doc.resources(number, resources.put());
    doc.dispatch(document.put());
    return e->Attach(objects.get(), resources.get(), document.get());
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

}  // namespace road

namespace road {
inline com::ComPtr<IZCntElementLink> as_link(IUnknown* object)
{
    com::ComPtr<IZCntElementLink> out;
    if (object) object->QueryInterface(IZCntElementLink::iid, out.put_void());
    return out;
}
}  // namespace road

namespace road {
// The element id the page object list gave the element at its Attach; 0 without one.
inline LONG element_id(IUnknown* element)
{
    com::ComPtr<IZCntElementIds> ids;
    LONG id = 0;
    if (element && SUCCEEDED(element->QueryInterface(IZCntElementIds::iid, ids.put_void())))
        ids->GetElementID(&id);
    return id;
}
}  // namespace road
