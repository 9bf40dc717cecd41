// What the element tests share: the record helpers, the ids an element keeps, counting
// allocations and what lives, a scratch directory, and a host document with a page to attach
// elements to.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "contentelements/cnt_container.h"
#include "core/element_state.h"
#include "host/engine.h"
#include "platform/com/com.h"
#include "platform/com/fault_switch.h"
#include "platform/com/streams.h"
#include "tests/core/record_faults.h"
#include "tests/road/support.h"
#include "tests/shell/temp_tree.h"

namespace element_test {

using namespace record_faults;
using com::fault::failing_allocation;

// How many counted allocations `run` makes.
template <typename Run>
std::uint64_t allocations_of(Run run)
{
    failing_allocation counting(com::fault::never);
    run();
    return com::fault::allocations_counted();
}

// What lives now, to see that a walk gave everything back.
struct live {
    LONG objects = com::module_lock_count();
    long strings = com::bstr_live_count();
};
inline void expect_all_freed(const live& before)
{
    EXPECT_EQ(com::module_lock_count(), before.objects);
    EXPECT_EQ(com::bstr_live_count(), before.strings);
}

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

// A new element of the class `create` makes, asked for its interface I.
template <typename I>
com::ComPtr<I> made_by(HRESULT (*create)(IUnknown*, REFIID, void**) noexcept)
{
    com::ComPtr<I> element;
    EXPECT_EQ(create(nullptr, I::iid, element.put_void()), S_OK);
    return element;
}
inline std::u16string description_of(IZCntElementBase* element)
{
    com::Bstr text;
    EXPECT_EQ(element->get_Description(text.put()), S_OK);
    return std::u16string(text.view());
}
// Left, top, width and height.
inline std::vector<LONG> position(IZCntElementBase* element)
{
    LONG l = 7, t = 7, w = 7, h = 7;
    EXPECT_EQ(element->GetPosition(&l, &t, &w, &h), S_OK);
    return {l, t, w, h};
}

using road::kinds;
using road::property;

// A scratch directory, removed with its contents; files may go into folders not made yet.
class scratch : public shell_test::TempTree {
public:
    std::string path(const std::string& relative) const { return root() + "/" + relative; }
    void write(const std::string& relative, const std::string& contents) const
    {
        std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
        file(relative, contents);
    }
};

// A host document with one page of 6000 × 8000 units at 300 per inch.
class page_fixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(doc.add_page(6000, 8000, 300), S_OK); }

    // Attaches to the page's lists and the document, as the engine does.
    HRESULT attach(IUnknown* element, LONG page = 1) { return road::attach_to_lists(element, doc, page); }

    // How many records the document's element container holds; 0 before there is one.
    LONG container_count()
    {
        LONG count = 0;
        if (auto container = road::container_of(doc)) container->get_Count(&count);
        return count;
    }

    host::document doc;
};

}  // namespace element_test
