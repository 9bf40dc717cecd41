// What the element tests share: records built by hand byte by byte, saving and loading an
// element's record, its dirty flag and the ids it keeps, and a host document with a page to
// attach elements to.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/element_state.h"
#include "host/engine.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"
#include "tests/core/record_faults.h"

namespace element_test {

using bytes = std::vector<BYTE>;

inline void put_u16(bytes& b, USHORT v)
{
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}
inline void put_u32(bytes& b, ULONG v)
{
    put_u16(b, static_cast<USHORT>(v));
    put_u16(b, static_cast<USHORT>(v >> 16));
}
// The counted string: byte count, UTF-16LE text, a 16-bit zero.
inline void put_string(bytes& b, std::u16string_view text)
{
    put_u32(b, static_cast<ULONG>(text.size() * 2 + 2));
    for (char16_t c : text) put_u16(b, c);
    put_u16(b, 0);
}
inline void put_ids(bytes& b, const std::vector<LONG>& ids)
{
    put_u32(b, static_cast<ULONG>(ids.size()));
    for (LONG id : ids) put_u32(b, static_cast<ULONG>(id));
}

inline com::ComPtr<IPersistStreamInit> persist_of(IUnknown* element)
{
    com::ComPtr<IPersistStreamInit> persist;
    element->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    return persist;
}

inline bytes saved(IUnknown* element, BOOL clear_dirty = TRUE)
{
    com::ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    EXPECT_EQ(persist_of(element)->Save(s.get(), clear_dirty), S_OK);
    bytes b;
    com::memory_stream_bytes(s.get(), &b);
    return b;
}

inline HRESULT load(IUnknown* element, const bytes& record)
{
    com::ComPtr<IStream> s;
    com::create_memory_stream(record.data(), record.size(), s.put());
    return persist_of(element)->Load(s.get());
}

inline bool is_dirty(IUnknown* element) { return persist_of(element)->IsDirty() == S_OK; }

inline std::vector<LONG> created(IUnknown* element, created_list list)
{
    com::ComPtr<IZCntElementIds> ids;
    std::vector<LONG> out;
    if (SUCCEEDED(element->QueryInterface(IZCntElementIds::iid, ids.put_void())))
        cnt::created_ids(ids.get(), list, &out);
    return out;
}
inline std::vector<LONG> page_object_ids(IUnknown* element)
{
    return created(element, created_list::page_objects);
}
inline std::vector<LONG> resource_ids(IUnknown* element)
{
    return created(element, created_list::resources);
}

using record_faults::expect_every_failing_read_reported;
using record_faults::expect_every_failing_write_reported;

inline std::string property(const host::object_view& v, const std::string& name)
{
    for (const auto& [key, value] : v.properties)
        if (key == name) return value;
    return "<missing " + name + ">";
}

// A host document with one page of 6000 × 8000 units at 300 per inch.
class page_fixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(doc.add_page(6000, 8000, 300), S_OK); }

    // Attaches to the page's lists and the document, as the engine does.
    HRESULT attach(IUnknown* element, LONG page = 1)
    {
        com::ComPtr<IZElement> e;
        element->QueryInterface(IZElement::iid, e.put_void());
        com::ComPtr<IDispatch> objects, resources, document;
        doc.page_objects(page, objects.put());
        doc.resources(page, resources.put());
        doc.dispatch(document.put());
        return e->Attach(objects.get(), resources.get(), document.get());
    }

    host::document doc;
};

}  // namespace element_test
