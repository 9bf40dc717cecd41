// The variant record: the 16-bit type, then the value by the type's group.
#include "fields/parts/variant_record.h"

#include <cstdint>
#include <cstring>

#include "core/record_io.h"
#include "platform/com/little_endian.h"

namespace cnt::fields {
namespace {

// The bytes of a value written as it is, or 0 for the object and string groups.
ULONG fixed_size(VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_I1:
    case VT_UI1: return 1;
    case VT_I2:
    case VT_BOOL:
    case VT_UI2: return 2;
    case VT_I4:
    case VT_R4:
    case VT_ERROR:
    case VT_UI4:
    case VT_INT:
    case VT_UINT: return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_I8:
    case VT_UI8: return 8;
    default: return 0;
    }
}

bool is_object(VARTYPE vt) noexcept { return vt == VT_UNKNOWN || vt == VT_DISPATCH; }

HRESULT write_fixed(IStream* stream, const VARIANT& value, ULONG size) noexcept
{
    std::uint8_t bytes[8];
    switch (size) {
    case 1: bytes[0] = value.bVal; break;
    case 2: com::le::store16(bytes, value.uiVal); break;
    case 4: com::le::store32(bytes, value.ulVal); break;
    default: com::le::store64(bytes, value.ullVal); break;
    }
    ULONG written = 0;
    return stream->Write(bytes, size, &written);
}

HRESULT read_fixed(IStream* stream, VARIANT* value, ULONG size) noexcept
{
    std::uint8_t bytes[8];
    ULONG got = 0;
    const HRESULT hr = stream->Read(bytes, size, &got);
    if (FAILED(hr)) return hr;
    if (got != size) return E_FAIL;
    switch (size) {
    case 1: value->bVal = bytes[0]; break;
    case 2: value->uiVal = com::le::load16(bytes); break;
    case 4: value->ulVal = com::le::load32(bytes); break;
    default: value->ullVal = com::le::load64(bytes); break;
    }
    return S_OK;
}

// The class id, then the object's own stream, through IPersistStream or else
// IPersistStreamInit; a null object is the null class id alone.
HRESULT write_object(IStream* stream, IUnknown* object) noexcept
{
    if (!object) return WriteClassStm(stream, CLSID_NULL);
    com::ComPtr<IPersistStream> persist;
    if (SUCCEEDED(object->QueryInterface(IPersistStream::iid, persist.put_void())))
        return OleSaveToStream(persist.get(), stream);
    com::ComPtr<IPersistStreamInit> init;
    RETURN_IF_FAILED(object->QueryInterface(IPersistStreamInit::iid, init.put_void()));
    CLSID clsid{};
    RETURN_IF_FAILED(init->GetClassID(&clsid));
    RETURN_IF_FAILED(WriteClassStm(stream, clsid));
    return init->Save(stream, TRUE);
}

// *object stays null for the null class id and for a class that is not registered: the
// object's own bytes then stay unread, as nothing says how long they are.
HRESULT read_object(IStream* stream, REFIID riid, IUnknown** object) noexcept
{
    CLSID clsid{};
    RETURN_IF_FAILED(ReadClassStm(stream, &clsid));
    if (clsid == CLSID_NULL) return S_OK;
    com::ComPtr<IUnknown> created;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, riid, created.put_void());
    if (hr == REGDB_E_CLASSNOTREG) return S_OK;
    RETURN_IF_FAILED(hr);
    if (!created) return E_UNEXPECTED;
    com::ComPtr<IPersistStream> persist;
    RETURN_IF_FAILED(created->QueryInterface(IPersistStream::iid, persist.put_void()));
    RETURN_IF_FAILED(persist->Load(stream));
    *object = created.detach();
    return S_OK;
}

HRESULT back_over_type(IStream* stream) noexcept
{
    return stream->Seek(LARGE_INTEGER{.QuadPart = -static_cast<LONGLONG>(sizeof(VARTYPE))},
                        STREAM_SEEK_CUR, nullptr);
}

}  // namespace

HRESULT write_variant(IStream* stream, const VARIANT& value) noexcept
{
    if (!stream) return E_POINTER;
    const VARTYPE vt = value.vt;
    if (const ULONG size = fixed_size(vt)) {
        RETURN_IF_FAILED(record::write_i16(stream, static_cast<SHORT>(vt)));
        return write_fixed(stream, value, size);
    }
    if (is_object(vt)) {
        RETURN_IF_FAILED(record::write_i16(stream, static_cast<SHORT>(vt)));
        IUnknown* object = vt == VT_DISPATCH ? value.pdispVal : value.punkVal;
        return write_object(stream, object);
    }
    if (vt == VT_BSTR) {
        RETURN_IF_FAILED(record::write_i16(stream, static_cast<SHORT>(vt)));
        return record::write_string(stream, value.bstrVal);
    }
    // Converted before anything is written, so that a value with no text form leaves the
    // stream as it was.
    com::Variant text;
    RETURN_IF_FAILED(VariantChangeType(text.get(), &value, VARIANT_NOVALUEPROP, VT_BSTR));
    RETURN_IF_FAILED(record::write_i16(stream, static_cast<SHORT>(vt)));
    return record::write_string(stream, text.get()->bstrVal);
}

HRESULT read_variant(IStream* stream, VARIANT* value) noexcept
{
    if (!stream || !value) return E_POINTER;
    VariantClear(value);
    std::memset(value, 0, sizeof *value);  // VT_EMPTY, and no stale bytes beside a short value
    SHORT raw = 0;
    RETURN_IF_FAILED(record::read_i16(stream, &raw));
    const auto vt = static_cast<VARTYPE>(raw);

    if (const ULONG size = fixed_size(vt)) {
        RETURN_IF_FAILED(read_fixed(stream, value, size));
        value->vt = vt;
        return S_OK;
    }
    if (is_object(vt)) {
        // A failure after the type leaves a null object of that type.
        value->vt = vt;
        return read_object(stream, vt == VT_DISPATCH ? IDispatch::iid : IID_IUnknown,
                           &value->punkVal);
    }
    BSTR text = nullptr;
    const HRESULT hr = record::read_string(stream, &text);
    if (FAILED(hr)) {
        // The string's reader has gone back to its count; the type is given back too.
        back_over_type(stream);
        return hr;
    }
    value->vt = VT_BSTR;
    value->bstrVal = text;
    if (vt == VT_BSTR) return S_OK;
    // A text that does not convert stays a string, and the conversion's error is returned.
    return VariantChangeType(value, value, 0, vt);
}

}  // namespace cnt::fields
