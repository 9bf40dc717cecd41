// The engine's hot paths: a link element's rebuild (its host calls through the lists), saving
// and loading a document of many pages, and the container's hit test over many records.
#include <benchmark/benchmark.h>

#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_link.h"
#include "contentelements/zprint_objects.h"
#include "host/engine.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace {

struct registered {
    registered() { cnt::module::register_classes(); }
    ~registered() { cnt::module::revoke_classes(); }
};

com::ComPtr<IZCntElementLink> attached_link(const host::document& doc, LONG page)
{
    CLSID clsid{};
    CLSIDFromProgID(u"Orvane.ZCntElementLink.1", &clsid);
    com::ComPtr<IZCntElementLink> link;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZCntElementLink::iid, link.put_void());
    com::ComPtr<IZElement> element;
    link->QueryInterface(IZElement::iid, element.put_void());
    com::ComPtr<IDispatch> objects, resources, document;
    doc.page_objects(page, objects.put());
    doc.resources(page, resources.put());
    doc.dispatch(document.put());
    element->Attach(objects.get(), resources.get(), document.get());
    return link;
}

// One SetPosition of a bordered link: two objects removed, two created and set up, the
// container told.
void BM_LinkRebuild(benchmark::State& state)
{
    registered classes;
    host::document doc;
    doc.add_page(5950, 8420, 720);
    auto link = attached_link(doc, 1);
    com::Bstr url(u"https://example.org/a/page");
    link->SetLinkData(url.get(), 0xFF, 0);
    LONG x = 0;
    for (auto _ : state) {
        link->SetPosition(100 + (x++ & 63), 100, 400, 50);
    }
}
BENCHMARK(BM_LinkRebuild);

// A document of `pages` pages with ten bordered links each; the links are kept alive with it.
struct link_document {
    host::document doc;
    std::vector<com::ComPtr<IZCntElementLink>> links;

    explicit link_document(LONG pages)
    {
        com::Bstr url(u"https://example.org/a/page");
        for (LONG p = 1; p <= pages; ++p) {
            doc.add_page(5950, 8420, 720);
            for (LONG i = 0; i < 10; ++i) {
                auto link = attached_link(doc, p);
                link->SetPosition(100, 100 + 60 * i, 400, 50);
                link->SetLinkData(url.get(), 0xFF, 0);
                links.push_back(link);
            }
        }
    }
};

// Rounds of saving such a document, loading the file, or both; the bytes are the file's.
void pjd_rounds(benchmark::State& state, bool save, bool load)
{
    registered classes;
    link_document source(static_cast<LONG>(state.range(0)));
    std::vector<BYTE> bytes;
    source.doc.save_bytes(&bytes);
    for (auto _ : state) {
        if (save) {
            bytes.clear();
            benchmark::DoNotOptimize(source.doc.save_bytes(&bytes));
        }
        if (load) {
            host::document loaded;  // its teardown is part of the round: a load implies it
            benchmark::DoNotOptimize(host::document::load_bytes(bytes.data(), bytes.size(), &loaded));
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

// Save then load, checked whole: the figure the speed goal is about. The halves apart tell
// which one a change moves.
void BM_PjdSaveLoad(benchmark::State& state) { pjd_rounds(state, true, true); }
BENCHMARK(BM_PjdSaveLoad)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
void BM_PjdSave(benchmark::State& state) { pjd_rounds(state, true, false); }
BENCHMARK(BM_PjdSave)->Arg(100)->Unit(benchmark::kMillisecond);
void BM_PjdLoad(benchmark::State& state) { pjd_rounds(state, false, true); }
BENCHMARK(BM_PjdLoad)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
