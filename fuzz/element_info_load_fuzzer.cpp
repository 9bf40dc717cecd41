// Fuzz target: arbitrary bytes as an element info record. Load must return a result code and
// leave a record that saves a whole record, reloads it to the same bytes, and frees everything.
// A memory stream's record is decoded in place; the same bytes read through the stream's calls
// must load to the same code, stop at the same byte and save the same record.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "container/element_info.h"
#include "fuzz/stream_load.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace {

com::ComPtr<IZCntElementInfo> new_info()
{
    cnt::CZCntElementInfo* raw = nullptr;
    com::ComPtr<IZCntElementInfo> info;
    if (SUCCEEDED(cnt::create_element_info(&raw))) info.attach(raw->info_interface());
    return info;
}

std::vector<BYTE> save(IZCntElementInfo* info)
{
    com::ComPtr<IPersistStreamInit> persist;
    info->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> out;
    com::create_memory_stream(out.put());
    if (FAILED(persist->Save(out.get(), TRUE))) std::abort();
    std::vector<BYTE> bytes;
    com::memory_stream_bytes(out.get(), &bytes);
    return bytes;
}

HRESULT load(IZCntElementInfo* info, const void* data, std::size_t size,
             bool through_calls = false, ULONGLONG* stop = nullptr)
{
    return fuzz::load_from_bytes(info, data, size, through_calls, stop);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto info = new_info(), read_by_calls = new_info();
    if (!info || !read_by_calls) return 0;
    ULONGLONG stop = 0, stop_by_calls = 0;
    const HRESULT loaded = load(info.get(), data, size, false, &stop);
    if (load(read_by_calls.get(), data, size, true, &stop_by_calls) != loaded || stop_by_calls != stop ||
        save(read_by_calls.get()) != save(info.get()))
        std::abort();

    LONG l, t, r, b;
    SHORT inclination;
    info->GetPosition(&l, &t, &r, &b, &inclination);
    BSTR text = nullptr;
    info->get_Description(&text);
    SysFreeString(text);

    const std::vector<BYTE> first = save(info.get());
    if (first.size() < 38) std::abort();
    if (SUCCEEDED(loaded)) {
        const auto again = new_info();
        if (FAILED(load(again.get(), first.data(), first.size()))) std::abort();
        if (save(again.get()) != first) std::abort();
    }
    return 0;
}
