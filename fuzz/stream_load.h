// Loading a fuzz input into an object that persists to streams, from a memory stream: read in
// place, or through a stream that only passes the calls on, so that a target can check that
// the two ways agree.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace fuzz {

// Load's result (E_OUTOFMEMORY when no stream can be made); `stop`, when given, gets where the
// load left the bytes.
inline HRESULT load_from_bytes(IUnknown* object, const void* data, std::size_t size,
                               bool through_calls = false, ULONGLONG* stop = nullptr)
{
    com::ComPtr<IPersistStreamInit> persist;
    object->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    if (!persist) std::abort();
    com::ComPtr<IStream> in, through;
    if (FAILED(com::create_memory_stream(data, size, in.put()))) return E_OUTOFMEMORY;
    through = in;
    if (through_calls) {
        through = nullptr;
        if (FAILED(com::create_fault_stream(in.get(), {}, through.put()))) std::abort();
    }
    const HRESULT hr = persist->Load(through.get());
    if (stop) {
        ULARGE_INTEGER at{};
        in->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &at);
        *stop = at.QuadPart;
    }
    return hr;
}

}  // namespace fuzz
