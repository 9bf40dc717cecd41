// Fuzz target: arbitrary bytes as a run of variant records and as an option collection record.
// Reading must return a result code; every variant read must write a record that reads back
// and writes the same bytes again; the collection, whatever it loaded, must save, and a
// complete load must save a record that reloads to the same bytes. Everything is freed.
// Build with -DZCNT_FUZZ_REPLAY_MAIN to replay files without libFuzzer.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fields/parts/parts.h"
#include "fields/parts/variant_record.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace {

using bytes = std::vector<BYTE>;

com::ComPtr<IStream> stream_over(const void* data, std::size_t size)
{
    com::ComPtr<IStream> s;
    if (FAILED(com::create_memory_stream(data, size, s.put()))) std::abort();
    return s;
}

bytes contents(IStream* s)
{
    bytes b;
    com::memory_stream_bytes(s, &b);
    return b;
}

// The bytes a variant writes, or false when it cannot be written (a type without a text form).
bool written(const VARIANT& v, bytes* out)
{
    com::ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    if (FAILED(cnt::fields::write_variant(s.get(), v))) return false;
    *out = contents(s.get());
    return true;
}

void check_variants(const std::uint8_t* data, std::size_t size)
{
    const auto in = stream_over(data, size);
    // Each record read moves on by at least three bytes, and the first failure ends the run.
    for (;;) {
        com::Variant v;
        if (FAILED(cnt::fields::read_variant(in.get(), v.get()))) break;
        bytes first;
        if (!written(*v.get(), &first)) continue;
        com::Variant again;
        const auto back = stream_over(first.data(), first.size());
        if (FAILED(cnt::fields::read_variant(back.get(), again.get()))) std::abort();
        bytes second;
        if (!written(*again.get(), &second) || second != first) std::abort();
    }
}

bytes saved(IZCntChoiceFieldOptionCollection* c)
{
    com::ComPtr<IPersistStreamInit> persist;
    c->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> out;
    com::create_memory_stream(out.put());
    if (FAILED(persist->Save(out.get(), TRUE))) std::abort();
    return contents(out.get());
}

HRESULT loaded(IZCntChoiceFieldOptionCollection* c, const void* data, std::size_t size)
{
    com::ComPtr<IPersistStreamInit> persist;
    c->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    return persist->Load(stream_over(data, size).get());
}

void check_collection(const std::uint8_t* data, std::size_t size)
{
    com::ComPtr<IZCntChoiceFieldOptionCollection> c;
    if (FAILED(cnt::fields::create_option_collection(c.put()))) return;
    const HRESULT hr = loaded(c.get(), data, size);
    LONG count = -1;
    if (FAILED(c->get_Count(&count)) || count < 0) std::abort();
    const bytes first = saved(c.get());
    if (first.size() < 8 + 12 * static_cast<std::size_t>(count)) std::abort();
    if (SUCCEEDED(hr)) {
        com::ComPtr<IZCntChoiceFieldOptionCollection> again;
        if (FAILED(cnt::fields::create_option_collection(again.put()))) return;
        if (FAILED(loaded(again.get(), first.data(), first.size()))) std::abort();
        if (saved(again.get()) != first) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    check_variants(data, size);
    check_collection(data, size);
    return 0;
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif
