// The shared body of the element Load fuzz targets: arbitrary bytes as an element's record.
// Load returns a result code; a record that loaded saves back to bytes that load again to the
// same record. A memory stream's record is read in place; the same bytes read through the
// stream's calls must load to the same code, stop at the same byte and save the same record.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/stream_load.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace fuzz {

using create_fn = HRESULT (*)(IUnknown*, REFIID, void**) noexcept;

inline std::vector<BYTE> save(IPersistStreamInit* element)
{
    com::ComPtr<IStream> out;
    com::create_memory_stream(out.put());
    if (FAILED(element->Save(out.get(), TRUE))) std::abort();
    std::vector<BYTE> bytes;
    com::memory_stream_bytes(out.get(), &bytes);
    return bytes;
}

inline int load_record(create_fn create, const std::uint8_t* data, std::size_t size)
{
    com::ComPtr<IPersistStreamInit> element, by_calls;
    if (FAILED(create(nullptr, IPersistStreamInit::iid, element.put_void())) ||
        FAILED(create(nullptr, IPersistStreamInit::iid, by_calls.put_void())))
        return 0;
    ULONGLONG stop = 0, stop_by_calls = 0;
    const HRESULT loaded = load_from_bytes(element.get(), data, size, false, &stop);
    const std::vector<BYTE> first = save(element.get());
    if (load_from_bytes(by_calls.get(), data, size, true, &stop_by_calls) != loaded ||
        stop_by_calls != stop || save(by_calls.get()) != first)
        std::abort();
    if (SUCCEEDED(loaded)) {
        com::ComPtr<IPersistStreamInit> again;
        if (FAILED(create(nullptr, IPersistStreamInit::iid, again.put_void()))) return 0;
        if (FAILED(load_from_bytes(again.get(), first.data(), first.size()))) std::abort();
        if (save(again.get()) != first) std::abort();
    }
    return 0;
}

}  // namespace fuzz
