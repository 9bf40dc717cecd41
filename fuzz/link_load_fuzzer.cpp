// Fuzz target: arbitrary bytes as a link element's record. Load must return a result code and
// leave a link that still saves a whole record, reloads it, and frees everything.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "elements/link/link.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    com::ComPtr<IPersistStreamInit> link;
    if (FAILED(cnt::create_link(nullptr, IPersistStreamInit::iid, link.put_void()))) return 0;
    com::ComPtr<IStream> input;
    if (FAILED(com::create_memory_stream(data, size, input.put()))) return 0;
    const HRESULT loaded = link->Load(input.get());

    com::ComPtr<IStream> output;
    com::create_memory_stream(output.put());
    if (FAILED(link->Save(output.get(), TRUE))) std::abort();
    if (SUCCEEDED(loaded)) {
        // A record that loaded saves back to a record that loads to the same bytes.
        output->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        com::ComPtr<IPersistStreamInit> again;
        cnt::create_link(nullptr, IPersistStreamInit::iid, again.put_void());
        if (FAILED(again->Load(output.get()))) std::abort();
        com::ComPtr<IStream> second;
        com::create_memory_stream(second.put());
        again->Save(second.get(), TRUE);
        std::vector<BYTE> a, b;
        com::memory_stream_bytes(output.get(), &a);
        com::memory_stream_bytes(second.get(), &b);
        if (a != b) std::abort();
    }
    return 0;
}
