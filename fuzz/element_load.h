// The shared body of the element Load fuzz targets: arbitrary bytes as an element's record.
// Load returns a result code; a record that loaded saves back to bytes that load again to the
// same record. A memory stream's record is read in place; the same bytes read through the
// stream's calls must load to the same code, stop at the same byte and save the same record.
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

inline ULONGLONG position_of(IStream* stream)
{
    ULARGE_INTEGER at{};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &at);
    return at.QuadPart;
}

inline int load_record(create_fn create, const std::uint8_t* data, std::size_t size)
{
    com::ComPtr<IPersistStreamInit> element, by_calls;
    if (FAILED(create(nullptr, IPersistStreamInit::iid, element.put_void())) ||
        FAILED(create(nullptr, IPersistStreamInit::iid, by_calls.put_void())))
        return 0;
    com::ComPtr<IStream> input, inner, through;
    if (FAILED(com::create_memory_stream(data, size, input.put())) ||
        FAILED(com::create_memory_stream(data, size, inner.put())))
        return 0;
    if (FAILED(com::create_fault_stream(inner.get(), {}, through.put()))) std::abort();
    const HRESULT loaded = element->Load(input.get());
    const std::vector<BYTE> first = save(element.get());
    if (by_calls->Load(through.get()) != loaded || position_of(inner.get()) != position_of(input.get()) ||
        save(by_calls.get()) != first)
        std::abort();
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
