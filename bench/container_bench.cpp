// Speed of the element container: the hit test over 100 000 records on 1 000 pages, filing
// elements, saving and loading the whole index, and one element info record's save and load.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "container/element_container.h"
#include "platform/com/streams.h"
#include "tests/container/doubles.h"

namespace {

constexpr LONG kPages = 1000;
constexpr LONG kPerPage = 100;
constexpr LONG kCell = 100;  // records lie in a 10 x 10 grid of 100-unit cells on each page

com::ComPtr<IZCntElementContainer> new_container()
{
    com::ComPtr<IZCntElementContainer> c;
    cnt::create_element_container(nullptr, IZCntElementContainer::iid, c.put_void());
    return c;
}

// Record i of a page sits in cell i of the grid, slightly smaller than the cell.
void fill(IZCntElementContainer* c, LONG pages, LONG per_page)
{
    container_test::element_values v;
    v.description = u"an element of the page";
    auto element = container_test::make_element(v);
    for (LONG page = 1; page <= pages; ++page) {
        for (LONG i = 0; i < per_page; ++i) {
            element->values.left = (i % 10) * kCell + 1;
            element->values.top = (i / 10) * kCell + 1;
            element->values.width = element->values.height = kCell - 2;
            element->values.inclination = static_cast<SHORT>(i % 3 == 0 ? 15 : 0);
            c->AddElement(page, page * 1000 + i, element->base());
        }
    }
}

const com::ComPtr<IZCntElementContainer>& big_container()
{
    static const com::ComPtr<IZCntElementContainer> c = [] {
        auto made = new_container();
        fill(made.get(), kPages, kPerPage);
        return made;
    }();
    return c;
}

// A query on a random page at a random point: most points hit a record part way down the page.
void BM_Container_HitTest(benchmark::State& state)
{
    const auto& c = big_container();
    std::vector<com::ComPtr<container_test::CPage>> pages;
    for (LONG p = 1; p <= kPages; ++p) pages.push_back(container_test::make_page(p));
    std::mt19937 random(7);
    std::uniform_int_distribution<LONG> page_of(0, kPages - 1), coordinate(0, 10 * kCell);
    for (auto _ : state) {
        IDispatch* page = pages[static_cast<std::size_t>(page_of(random))]->dispatch();
        const LONG x = coordinate(random), y = coordinate(random);
        com::ComPtr<IZCntElementInfo> found;
        HRESULT hr = c->FindElementFromPoint(page, 5, x, y, found.put());
        benchmark::DoNotOptimize(hr);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Container_HitTest);

// The slowest query: a point no record covers, so every record of the page is tested.
void BM_Container_HitTestMiss(benchmark::State& state)
{
    const auto& c = big_container();
    auto page = container_test::make_page(kPages / 2);
    for (auto _ : state) {
        com::ComPtr<IZCntElementInfo> found;
        HRESULT hr = c->FindElementFromPoint(page->dispatch(), 5, 5000, 5000, found.put());
        benchmark::DoNotOptimize(hr);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Container_HitTestMiss);

// Filing 100 000 elements, page by page, into an empty container.
void BM_Container_AddElement(benchmark::State& state)
{
    for (auto _ : state) {
        auto c = new_container();
        fill(c.get(), kPages, kPerPage);
        benchmark::DoNotOptimize(c.get());
    }
    state.SetItemsProcessed(state.iterations() * kPages * kPerPage);
}
BENCHMARK(BM_Container_AddElement)->Unit(benchmark::kMillisecond);

// Saving the 100 000-record index to memory and loading it into a fresh container.
void BM_Container_SaveLoad(benchmark::State& state)
{
    const auto& c = big_container();
    com::ComPtr<IPersistStreamInit> source;
    c->QueryInterface(IPersistStreamInit::iid, source.put_void());
    ULONGLONG bytes = 0;
    for (auto _ : state) {
        com::ComPtr<IStream> stream;
        com::create_memory_stream(stream.put());
        source->Save(stream.get(), FALSE);
        ULARGE_INTEGER end{};
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
        bytes = end.QuadPart;
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        auto target = new_container();
        com::ComPtr<IPersistStreamInit> persist;
        target->QueryInterface(IPersistStreamInit::iid, persist.put_void());
        HRESULT hr = persist->Load(stream.get());
        benchmark::DoNotOptimize(hr);
    }
    state.SetItemsProcessed(state.iterations() * kPages * kPerPage);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Container_SaveLoad)->Unit(benchmark::kMillisecond);

// One record saved and loaded again, with a description of state.range(0) characters.
void BM_ElementInfo_SaveLoad(benchmark::State& state)
{
    container_test::element_values v;
    v.description.assign(static_cast<std::size_t>(state.range(0)), u'x');
    v.width = v.height = 10;
    auto element = container_test::make_element(v);
    cnt::CZCntElementInfo* raw = nullptr;
    cnt::create_element_info(&raw);
    com::ComPtr<IZCntElementInfo> info;
    info.attach(raw->info_interface());
    info->SetInfo(1, 1, element->base());
    com::ComPtr<IPersistStreamInit> persist;
    info->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> stream;
    com::create_memory_stream(stream.put());
    const int64_t record_bytes = 38 + 2 * state.range(0) + 2;
    for (auto _ : state) {
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        persist->Save(stream.get(), TRUE);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        HRESULT hr = persist->Load(stream.get());
        benchmark::DoNotOptimize(hr);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * record_bytes);
}
BENCHMARK(BM_ElementInfo_SaveLoad)->Arg(8)->Arg(512 * 1024 - 1);

}  // namespace
