// The shared body of the element Load fuzz targets: arbitrary bytes as an element's record.
// Load returns a result code; a record that loaded saves back to bytes that load again to the
// same record.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

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
    com::ComPtr<IPersistStreamInit> element;
    if (FAILED(create(nullptr, IPersistStreamInit::iid, element.put_void()))) return 0;
    com::ComPtr<IStream> input;
    if (FAILED(com::create_memory_stream(data, size, input.put()))) return 0;
    const HRESULT loaded = element->Load(input.get());
    const std::vector<BYTE> first = save(element.get());
    if (SUCCEEDED(loaded)) {
        com::ComPtr<IPersistStreamInit> again;
        create(nullptr, IPersistStreamInit::iid, again.put_void());
        com::ComPtr<IStream> second;
        com::create_memory_stream(first.data(), first.size(), second.put());
        if (FAILED(again->Load(second.get()))) std::abort();
        if (save(again.get()) != first) std::abort();
    }
    return 0;
}

}  // namespace fuzz
