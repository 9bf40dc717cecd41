// The link element's record: save plus load with a large description (bytes per second of
// record) and with a small one (cost per record).
#include <benchmark/benchmark.h>

#include <string>

#include "elements/link/link.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace {

void save_and_load(benchmark::State& state, std::size_t description_chars)
{
    com::ComPtr<IZCntElementLink> link;
    cnt::create_link(nullptr, IZCntElementLink::iid, link.put_void());
    std::u16string text(description_chars, u'x');
    com::Bstr description(text);
    link->put_Description(description.get());
    com::Bstr url(u"https://example.org/a/page");
    link->SetLinkData(url.get(), 0xFF, 0);
    com::ComPtr<IPersistStreamInit> persist, reader;
    link->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    cnt::create_link(nullptr, IPersistStreamInit::iid, reader.put_void());
    com::ComPtr<IStream> stream;
    com::create_memory_stream(stream.put());
    ULARGE_INTEGER size{};
    for (auto _ : state) {
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        persist->Save(stream.get(), FALSE);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &size);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        benchmark::DoNotOptimize(reader->Load(stream.get()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(size.QuadPart));
}

void BM_LinkRecord_SaveLoadLargeDescription(benchmark::State& state)
{
    save_and_load(state, 256 * 1024);
}
BENCHMARK(BM_LinkRecord_SaveLoadLargeDescription);

void BM_LinkRecord_SaveLoadSmall(benchmark::State& state) { save_and_load(state, 12); }
BENCHMARK(BM_LinkRecord_SaveLoadSmall);

}  // namespace
