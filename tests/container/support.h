// What the container tests share: the container's records built by hand, streams, and a fixture
// that checks every object and string was released.
#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "container/element_container.h"
#include "platform/com/streams.h"
#include "tests/container/doubles.h"
#include "tests/core/record_faults.h"

namespace container_test {

using namespace record_faults;

struct info_fields {
    LONG page_id = 0, element_id = 0;
    std::u16string description;
    bool null_description = false;
    LONG type = 0, left = 0, top = 0, right = 0, bottom = 0;
    SHORT inclination = 0;
};

// The element info record, version 1.
inline bytes info_record(const info_fields& f, ULONG version = 1)
{
    bytes b;
    put_u32(b, version);
    put_i32(b, f.page_id);
    put_i32(b, f.element_id);
    if (f.null_description)
        put_u32(b, 0);
    else
        put_string(b, f.description);
    for (LONG v : {f.type, f.left, f.top, f.right, f.bottom}) put_i32(b, v);
    put_i16(b, f.inclination);
    return b;
}

// The container record: version, count, the records, and for version 2 the field number.
inline bytes container_record(const std::vector<info_fields>& records, LONG next_number,
                              ULONG version = 2)
{
    bytes b;
    put_u32(b, version);
    put_i32(b, static_cast<LONG>(records.size()));
    for (const info_fields& f : records) {
        const bytes r = info_record(f);
        b.insert(b.end(), r.begin(), r.end());
    }
    if (version == 2) put_i32(b, next_number);
    return b;
}

template <typename I>
com::ComPtr<I> query(IUnknown* from)
{
    com::ComPtr<I> out;
    if (from) from->QueryInterface(I::iid, out.put_void());
    return out;
}

inline com::ComPtr<IZCntElementContainer> new_container()
{
    com::ComPtr<IZCntElementContainer> c;
    EXPECT_EQ(cnt::create_element_container(nullptr, IZCntElementContainer::iid, c.put_void()),
              S_OK);
    return c;
}

inline com::ComPtr<IZCntElementInfo> new_info()
{
    cnt::CZCntElementInfo* raw = nullptr;
    EXPECT_EQ(cnt::create_element_info(&raw), S_OK);
    com::ComPtr<IZCntElementInfo> info;
    info.attach(raw->info_interface());
    return info;
}

// An element with the given rectangle (left, top, right, bottom) and description.
inline com::ComPtr<CElement> element_at(LONG l, LONG t, LONG r, LONG b,
                                        std::u16string_view description = u"",
                                        ZeCntElementType type = zeCntElementTypeLink,
                                        SHORT inclination = 0)
{
    element_values v;
    v.left = l, v.top = t, v.width = r - l, v.height = b - t;
    v.description = description;
    v.type = type;
    v.inclination = inclination;
    return make_element(v);
}

inline LONG element_id_of(IZCntElementInfo* info)
{
    LONG id = -1;
    EXPECT_EQ(info->get_ElementID(&id), S_OK);
    return id;
}

inline std::u16string description_of(IZCntElementInfo* info)
{
    com::Bstr text;
    EXPECT_EQ(info->get_Description(text.put()), S_OK);
    return std::u16string(text.view());
}

inline com::ComPtr<IZCntElementInfo> item(IZCntElementContainer* c, LONG index)
{
    com::ComPtr<IZCntElementInfo> info;
    EXPECT_EQ(c->get_Item(index, info.put()), S_OK) << index;
    return info;
}

inline LONG count_of(IZCntElementContainer* c)
{
    LONG n = -1;
    EXPECT_EQ(c->get_Count(&n), S_OK);
    return n;
}

// The element ids of the records in container order.
inline std::vector<LONG> ids_in_order(IZCntElementContainer* c)
{
    std::vector<LONG> ids;
    for (LONG i = 1; i <= count_of(c); ++i) ids.push_back(element_id_of(item(c, i).get()));
    return ids;
}

// Checks at the end of each test that every object and string was let go.
class Released : public ::testing::Test {
protected:
    void SetUp() override
    {
        strings_ = com::bstr_live_count();
    }
    void TearDown() override
    {
        EXPECT_EQ(com::module_lock_count(), 0) << "an object was not released";
        EXPECT_EQ(com::bstr_live_count(), strings_) << "a string was not freed";
    }

private:
    long strings_ = 0;
};

}  // namespace container_test
