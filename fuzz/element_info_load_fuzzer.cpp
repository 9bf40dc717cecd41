// Fuzz target: arbitrary bytes as an element info record. Load must return a result code and
// leave a record that saves a whole record, reloads it to the same bytes, and frees everything.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "container/element_info.h"
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

HRESULT load(IZCntElementInfo* info, const void* data, std::size_t size)
{
    com::ComPtr<IPersistStreamInit> persist;
    info->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> in;
    if (FAILED(com::create_memory_stream(data, size, in.put()))) return E_OUTOFMEMORY;
    return persist->Load(in.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto info = new_info();
    if (!info) return 0;
    const HRESULT loaded = load(info.get(), data, size);

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
