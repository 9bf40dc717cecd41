// Fuzz target: arbitrary bytes as a form field's record. The first byte picks one of the eight
// field classes, the rest is the record, so that one target covers the shared record and every
// class part. Load returns a result code; a field whose values it can write saves bytes that
// load again to the same record. Unlike the annotation elements, a field may hold a value it
// cannot write back (a variant of type VT_NULL has no text form), so a refused Save is an
// answer, not a fault. Build with -DZCNT_FUZZ_REPLAY_MAIN to replay files without libFuzzer.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fields/field_classes.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace {

using cnt::fields::create_field;
using create_fn = HRESULT (*)(IUnknown*, REFIID, void**) noexcept;

constexpr std::array<create_fn, 8> field_classes{
    &create_field<zeCntElementTypeFieldText>,     &create_field<zeCntElementTypeFieldCombo>,
    &create_field<zeCntElementTypeFieldList>,     &create_field<zeCntElementTypeFieldCheck>,
    &create_field<zeCntElementTypeFieldRadio>,    &create_field<zeCntElementTypeFieldButton>,
    &create_field<zeCntElementTypeFieldDateTime>, &create_field<zeCntElementTypeFieldGroup>,
};

HRESULT load(create_fn create, const void* data, std::size_t size,
             com::ComPtr<IPersistStreamInit>* field)
{
    if (FAILED(create(nullptr, IPersistStreamInit::iid, field->put_void()))) std::abort();
    com::ComPtr<IStream> input;
    if (FAILED(com::create_memory_stream(data, size, input.put()))) std::abort();
    return (*field)->Load(input.get());
}

HRESULT save(IPersistStreamInit* field, std::vector<BYTE>* bytes)
{
    com::ComPtr<IStream> out;
    com::create_memory_stream(out.put());
    const HRESULT hr = field->Save(out.get(), TRUE);
    com::memory_stream_bytes(out.get(), bytes);
    return hr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const create_fn create = field_classes[data[0] % field_classes.size()];
    com::ComPtr<IPersistStreamInit> field;
    const HRESULT loaded = load(create, data + 1, size - 1, &field);
    std::vector<BYTE> first;
    if (FAILED(save(field.get(), &first)) || FAILED(loaded)) return 0;
    com::ComPtr<IPersistStreamInit> again;
    if (FAILED(load(create, first.data(), first.size(), &again))) std::abort();
    std::vector<BYTE> second;
    if (FAILED(save(again.get(), &second)) || second != first) std::abort();
    return 0;
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif
