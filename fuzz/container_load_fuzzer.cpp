// Fuzz target: arbitrary bytes as a container stream. Load must return a result code and
// leave a container that enumerates, hit tests every record it holds, saves a stream that
// reloads to the same bytes, and frees everything. A memory stream's records are decoded in
// place; the same bytes read through the stream's calls must load to the same code, stop at
// the same byte and keep the same records.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "container/element_container.h"
#include "container/wrapping.h"
#include "fuzz/stream_load.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"
#include "tests/container/doubles.h"

namespace {

std::vector<BYTE> save(IZCntElementContainer* c)
{
    com::ComPtr<IPersistStreamInit> persist;
    c->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> out;
    com::create_memory_stream(out.put());
    if (FAILED(persist->Save(out.get(), TRUE))) std::abort();
    std::vector<BYTE> bytes;
    com::memory_stream_bytes(out.get(), &bytes);
    return bytes;
}

HRESULT load(IZCntElementContainer* c, const void* data, std::size_t size,
             bool through_calls = false, ULONGLONG* stop = nullptr)
{
    return fuzz::load_from_bytes(c, data, size, through_calls, stop);
}

com::ComPtr<IZCntElementContainer> new_container()
{
    com::ComPtr<IZCntElementContainer> c;
    cnt::create_element_container(nullptr, IZCntElementContainer::iid, c.put_void());
    return c;
}

// Hit tests each record's page at its corners and centre, with a band as wide as the record.
void hit_every_record(IZCntElementContainer* c)
{
    LONG count = 0;
    c->get_Count(&count);
    for (LONG i = 1; i <= count && i <= 64; ++i) {
        com::ComPtr<IZCntElementInfo> info;
        if (c->get_Item(i, info.put()) != S_OK || !info) std::abort();
        LONG page_id = 0, l = 0, t = 0, r = 0, b = 0;
        SHORT inclination = 0;
        info->get_PageID(&page_id);
        info->GetPosition(&l, &t, &r, &b, &inclination);
        const auto page = container_test::make_page(page_id);
        if (!page) return;
        const LONG mid_x = static_cast<LONG>((static_cast<LONGLONG>(l) + r) / 2);
        const LONG mid_y = static_cast<LONG>((static_cast<LONGLONG>(t) + b) / 2);
        for (auto [x, y] : {std::pair{l, t}, {r, b}, {mid_x, mid_y}}) {
            com::ComPtr<IZCntElementInfo> found;
            const LONG band = cnt::wrapping_sub(r, l);
            const HRESULT hr = c->FindElementFromPoint(page->dispatch(), band, x, y, found.put());
            if ((hr == S_OK) != (found != nullptr)) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto c = new_container(), read_by_calls = new_container();
    if (!c || !read_by_calls) return 0;
    ULONGLONG stop = 0, stop_by_calls = 0;
    const HRESULT loaded = load(c.get(), data, size, false, &stop);
    hit_every_record(c.get());

    const std::vector<BYTE> first = save(c.get());
    if (load(read_by_calls.get(), data, size, true, &stop_by_calls) != loaded ||
        stop_by_calls != stop || save(read_by_calls.get()) != first)
        std::abort();
    if (SUCCEEDED(loaded)) {
        const auto again = new_container();
        if (FAILED(load(again.get(), first.data(), first.size()))) std::abort();
        if (save(again.get()) != first) std::abort();
    }

    // Removing what was loaded leaves an empty, consistent container.
    for (;;) {
        com::ComPtr<IZCntElementInfo> info;
        if (FAILED(c->get_Item(1, info.put()))) break;
        LONG page_id = 0, element_id = 0;
        info->get_PageID(&page_id);
        info->get_ElementID(&element_id);
        if (FAILED(c->RemoveElement(page_id, element_id))) std::abort();
    }
    LONG count = -1;
    c->get_Count(&count);
    if (count != 0) std::abort();
    return 0;
}
