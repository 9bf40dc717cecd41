// Child records and class part versions of the form fields; see field_records.h.
#include "fields/field_records.h"

#include "core/record_io.h"

namespace cnt::fields {
namespace {

com::ComPtr<IPersistStreamInit> persistence_of(IUnknown* child) noexcept
{
    com::ComPtr<IPersistStreamInit> persist;
    if (child) child->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    return persist;
}

}  // namespace

HRESULT write_part_version(IStream* stream) noexcept
{
    return record::write_u32(stream, class_part_version);
}

HRESULT read_part_version(IStream* stream) noexcept
{
    ULONG version = 0;
    RETURN_IF_FAILED(record::read_u32(stream, &version));
    return version > class_part_version ? E_UNEXPECTED : S_OK;
}

HRESULT save_child(IUnknown* child, IStream* stream, BOOL clear_dirty) noexcept
{
    com::ComPtr<IPersistStreamInit> persist = persistence_of(child);
    if (!persist) return E_UNEXPECTED;
    return persist->Save(stream, clear_dirty);
}

HRESULT load_child(IUnknown* child, IStream* stream) noexcept
{
    com::ComPtr<IPersistStreamInit> persist = persistence_of(child);
    if (!persist) return E_UNEXPECTED;
    return persist->Load(stream);
}

bool child_dirty(IUnknown* child) noexcept
{
    com::ComPtr<IPersistStreamInit> persist = persistence_of(child);
    return persist && persist->IsDirty() == S_OK;
}

}  // namespace cnt::fields
