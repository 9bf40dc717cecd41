// Saving an element's stream record and loading one, for the record tests of every element.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace road {

using bytes = std::vector<BYTE>;

inline bytes saved_record(IUnknown* element)
{
    com::ComPtr<IPersistStreamInit> persist;
    element->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    EXPECT_EQ(persist->Save(s.get(), TRUE), S_OK);
    bytes b;
    com::memory_stream_bytes(s.get(), &b);
    return b;
}

inline HRESULT load_record(IUnknown* element, const bytes& record)
{
    com::ComPtr<IPersistStreamInit> persist;
    element->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> s;
    com::create_memory_stream(record.data(), record.size(), s.put());
    return persist->Load(s.get());
}

inline bool is_dirty(IUnknown* element)
{
    com::ComPtr<IPersistStreamInit> persist;
    element->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    return persist->IsDirty() == S_OK;
}

// Little-endian pieces of a record built by hand.
inline void put_u32(bytes& b, ULONG v)
{
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}
inline void put_u16(bytes& b, USHORT v)
{
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}
inline void put_string(bytes& b, std::u16string_view text)
{
    put_u32(b, static_cast<ULONG>(text.size() * 2 + 2));
    for (char16_t c : text) put_u16(b, c);
    put_u16(b, 0);
}

}  // namespace road
