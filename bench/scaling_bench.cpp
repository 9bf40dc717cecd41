// How the costs grow with the size of a document: links on one page, empty pages, removing
// from a long page object list, finding an object the pages pass on, filing, refreshing and
// removing container records of one page, reading the container by index, and loading a .pjd
// of many links, each at 1 000, 10 000 and 100 000 items. The per_item counter is the time of one item: it should
// stay about the same from one size to the next.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "container/element_container.h"
#include "contentelements/cnt_container.h"
#include "contentelements/cnt_link.h"
#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "module/class_map.h"
#include "platform/com/com.h"
#include "tests/container/doubles.h"

namespace {

struct registered {
    registered() { cnt::module::register_classes(); }
    ~registered() { cnt::module::revoke_classes(); }
};

void per_item(benchmark::State& state)
{
    state.counters["per_item"] = benchmark::Counter(
        static_cast<double>(state.range(0)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// N bordered links on page 1, each attached, placed and given a target.
void add_links(const host::document& doc, LONG count,
               std::vector<com::ComPtr<IZCntElementLink>>* links)
{
    CLSID clsid{};
    CLSIDFromProgID(u"Orvane.ZCntElementLink.1", &clsid);
    com::ComPtr<IDispatch> objects, resources, document;
    doc.page_objects(1, objects.put());
    doc.resources(1, resources.put());
    doc.dispatch(document.put());
    com::Bstr url(u"https://example.org/a/page");
    for (LONG i = 0; i < count; ++i) {
        com::ComPtr<IZCntElementLink> link;
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZCntElementLink::iid,
                         link.put_void());
        com::ComPtr<IZElement> element;
        link->QueryInterface(IZElement::iid, element.put_void());
        element->Attach(objects.get(), resources.get(), document.get());
        link->SetPosition((i * 7) % 5000, (i * 13) % 8000, 100, 50);
        link->SetLinkData(url.get(), 0xFF, 0);
        links->push_back(std::move(link));
    }
}

void BM_Scaling_LinksOnOnePage(benchmark::State& state)
{
    registered classes;
    for (auto _ : state) {
        host::document doc;
        doc.add_page(5950, 8420, 720);
        std::vector<com::ComPtr<IZCntElementLink>> links;
        add_links(doc, static_cast<LONG>(state.range(0)), &links);
        benchmark::DoNotOptimize(links.data());
    }
    per_item(state);
}
BENCHMARK(BM_Scaling_LinksOnOnePage)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

void BM_Scaling_AddPages(benchmark::State& state)
{
    for (auto _ : state) {
        host::document doc;
        for (int64_t i = 0; i < state.range(0); ++i) doc.add_page(5950, 8420, 720);
        benchmark::DoNotOptimize(doc.page_count());
    }
    per_item(state);
}
BENCHMARK(BM_Scaling_AddPages)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

// N pages with one shape each under the same id; the id then leaves one page after another and
// the document is asked each time where it is now (on the next page).
void BM_Scaling_LookUp(benchmark::State& state)
{
    const auto count = static_cast<LONG>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        host::document doc;
        std::vector<com::ComPtr<IZPageObjectList>> lists;
        LONG id = 0;
        for (LONG p = 1; p <= count; ++p) {
            doc.add_page(100, 100, 72);
            com::ComPtr<IDispatch> d;
            doc.page_objects(p, d.put());
            com::ComPtr<IZPageObjectList> objects;
            d->QueryInterface(IZPageObjectList::iid, objects.put_void());
            com::ComPtr<IDispatch> shape;
            objects->Create(zeKindShape, shape.put());
            auto v = com::Variant::from_dispatch(shape.get());
            objects->Add(*v.get(), &id);
            lists.push_back(std::move(objects));
        }
        com::ComPtr<IDispatch> d;
        doc.dispatch(d.put());
        com::ComPtr<IZDocument> document;
        d->QueryInterface(IZDocument::iid, document.put_void());
        state.ResumeTiming();
        for (LONG p = 0; p + 1 < count; ++p) {
            lists[static_cast<std::size_t>(p)]->Remove(id);
            com::ComPtr<IDispatch> found;
            document->LookUp(id, found.put());
            benchmark::DoNotOptimize(found.get());
        }
    }
    per_item(state);
}
BENCHMARK(BM_Scaling_LookUp)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

// N shapes in page 1's object list, then every one removed in random order.
void BM_Scaling_PageObjectRemove(benchmark::State& state)
{
    const auto count = static_cast<LONG>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        host::document doc;
        doc.add_page(5950, 8420, 720);
        com::ComPtr<IDispatch> d;
        doc.page_objects(1, d.put());
        com::ComPtr<IZPageObjectList> objects;
        d->QueryInterface(IZPageObjectList::iid, objects.put_void());
        std::vector<LONG> ids;
        for (LONG i = 0; i < count; ++i) {
            com::ComPtr<IDispatch> shape;
            objects->Create(zeKindShape, shape.put());
            auto v = com::Variant::from_dispatch(shape.get());
            LONG id = 0;
            objects->Add(*v.get(), &id);
            ids.push_back(id);
        }
        std::shuffle(ids.begin(), ids.end(), std::mt19937(5));
        state.ResumeTiming();
        for (LONG id : ids) objects->Remove(id);
        state.PauseTiming();
        objects = nullptr;
        d = nullptr;
        state.ResumeTiming();
    }
    per_item(state);
}
BENCHMARK(BM_Scaling_PageObjectRemove)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

com::ComPtr<IZCntElementContainer> new_container()
{
    com::ComPtr<IZCntElementContainer> c;
    cnt::create_element_container(nullptr, IZCntElementContainer::iid, c.put_void());
    return c;
}

// Every record on page 1, under element ids 1 … N.
void file_all(IZCntElementContainer* c, IZCntElementBase* element, LONG count)
{
    for (LONG id = 1; id <= count; ++id) c->AddElement(1, id, element);
}

std::vector<LONG> shuffled_ids(LONG count)
{
    std::vector<LONG> ids(static_cast<std::size_t>(count));
    std::iota(ids.begin(), ids.end(), 1);
    std::shuffle(ids.begin(), ids.end(), std::mt19937(11));
    return ids;
}

void BM_Scaling_ContainerAddElement(benchmark::State& state)
{
    auto element = container_test::make_element({});
    for (auto _ : state) {
        auto c = new_container();
        file_all(c.get(), element->base(), static_cast<LONG>(state.range(0)));
        benchmark::DoNotOptimize(c.get());
    }
    per_item(state);
}
BENCHMARK(BM_Scaling_ContainerAddElement)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

// Every record refreshed once, in random order.
void BM_Scaling_ContainerUpdateElement(benchmark::State& state)
{
    auto element = container_test::make_element({});
    const auto count = static_cast<LONG>(state.range(0));
    auto c = new_container();
    file_all(c.get(), element->base(), count);
    const std::vector<LONG> ids = shuffled_ids(count);
    for (auto _ : state)
        for (LONG id : ids) c->UpdateElement(1, id, element->base());
    per_item(state);
}
BENCHMARK(BM_Scaling_ContainerUpdateElement)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

// Every record removed, in random order (filing them again is not timed).
void BM_Scaling_ContainerRemoveElement(benchmark::State& state)
{
    auto element = container_test::make_element({});
    const auto count = static_cast<LONG>(state.range(0));
    const std::vector<LONG> ids = shuffled_ids(count);
    for (auto _ : state) {
        state.PauseTiming();
        auto c = new_container();
        file_all(c.get(), element->base(), count);
        state.ResumeTiming();
        for (LONG id : ids) c->RemoveElement(1, id);
        state.PauseTiming();
        c = nullptr;
        state.ResumeTiming();
    }
    per_item(state);
}
BENCHMARK(BM_Scaling_ContainerRemoveElement)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

// Every record read by index, Item(1) … Item(N), with the records spread over pages of eight
// and every third one removed again, so that the walk crosses pages and empty slots.
void BM_Scaling_ContainerItems(benchmark::State& state)
{
    auto element = container_test::make_element({});
    const auto filed = static_cast<LONG>(state.range(0) + state.range(0) / 2);
    auto c = new_container();
    for (LONG id = 1; id <= filed; ++id) c->AddElement(1 + id / 8, id, element->base());
    for (LONG id = 3; id <= filed; id += 3) c->RemoveElement(1 + id / 8, id);
    LONG held = 0;
    c->get_Count(&held);
    for (auto _ : state)
        for (LONG i = 1; i <= held; ++i) {
            com::ComPtr<IZCntElementInfo> info;
            c->get_Item(i, info.put());
            benchmark::DoNotOptimize(info.get());
        }
    per_item(state);
}
BENCHMARK(BM_Scaling_ContainerItems)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

// Loading a document of N links on one page (its elements attach to the container again).
void BM_Scaling_PjdLoad(benchmark::State& state)
{
    registered classes;
    std::vector<BYTE> bytes;
    {
        host::document doc;
        doc.add_page(5950, 8420, 720);
        std::vector<com::ComPtr<IZCntElementLink>> links;
        add_links(doc, static_cast<LONG>(state.range(0)), &links);
        doc.save_bytes(&bytes);
    }
    for (auto _ : state) {
        host::document loaded;
        benchmark::DoNotOptimize(host::document::load_bytes(bytes.data(), bytes.size(), &loaded));
    }
    per_item(state);
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_Scaling_PjdLoad)->RangeMultiplier(10)->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
