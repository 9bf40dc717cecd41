// Class ids in streams, and objects saved behind their class id: ReadClassStm, WriteClassStm,
// OleSaveToStream and OleLoadFromStream.
#include "platform/com/objidl.h"

#include "platform/com/class_table.h"
#include "platform/com/com_ptr.h"
#include "platform/com/little_endian.h"

namespace {

constexpr ULONG clsid_bytes = 16;

// The stream form is little-endian field by field, whatever the machine's byte order.
void encode(REFCLSID clsid, BYTE* out) noexcept
{
    com::le::store32(out, clsid.Data1);
    com::le::store16(out + 4, clsid.Data2);
    com::le::store16(out + 6, clsid.Data3);
    for (int i = 0; i < 8; ++i) out[8 + i] = clsid.Data4[i];
}

CLSID decode(const BYTE* in) noexcept
{
    CLSID clsid{};
    clsid.Data1 = com::le::load32(in);
    clsid.Data2 = com::le::load16(in + 4);
    clsid.Data3 = com::le::load16(in + 6);
    for (int i = 0; i < 8; ++i) clsid.Data4[i] = in[8 + i];
    return clsid;
}

}  // namespace

// *clsid is written only when all 16 bytes came: a short or failed read leaves it as it was.
HRESULT ReadClassStm(IStream* stream, CLSID* clsid) noexcept
{
    if (!stream || !clsid) return E_INVALIDARG;
    BYTE bytes[clsid_bytes];
    ULONG got = 0;
    HRESULT hr = stream->Read(bytes, clsid_bytes, &got);
    if (FAILED(hr)) return hr;
    if (got != clsid_bytes) return STG_E_READFAULT;
    *clsid = decode(bytes);
    return S_OK;
}

HRESULT WriteClassStm(IStream* stream, REFCLSID clsid) noexcept
{
    if (!stream) return E_INVALIDARG;
    BYTE bytes[clsid_bytes];
    encode(clsid, bytes);
    ULONG put = 0;
    HRESULT hr = stream->Write(bytes, clsid_bytes, &put);
    if (FAILED(hr)) return hr;
    // A stream that reports success without writing everything has still lost the record.
    return put == clsid_bytes ? S_OK : STG_E_WRITEFAULT;
}

// A null object is saved as CLSID_NULL alone, which OleLoadFromStream then refuses as an
// unregistered class.
HRESULT OleSaveToStream(IPersistStream* object, IStream* stream) noexcept
{
    if (!stream) return E_INVALIDARG;
    if (!object) return WriteClassStm(stream, CLSID_NULL);
    CLSID clsid;
    HRESULT hr = object->GetClassID(&clsid);
    if (FAILED(hr)) return hr;
    hr = WriteClassStm(stream, clsid);
    if (FAILED(hr)) return hr;
    return object->Save(stream, TRUE);
}

HRESULT OleLoadFromStream(IStream* stream, REFIID riid, void** object) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    CLSID clsid;
    HRESULT hr = ReadClassStm(stream, &clsid);
    if (FAILED(hr)) return hr;

    // Held as IUnknown for releasing; CoCreateInstance handed out the riid pointer, which is
    // what the caller gets.
    void* created = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, &created);
    if (FAILED(hr)) return hr;
    if (!created) return E_UNEXPECTED;  // a factory that claims success and hands out nothing
    com::ComPtr<IUnknown> owner;
    owner.attach(static_cast<IUnknown*>(created));

    com::ComPtr<IPersistStream> persist;
    hr = owner->QueryInterface(IPersistStream::iid, persist.put_void());
    if (FAILED(hr)) return hr;
    hr = persist->Load(stream);
    if (FAILED(hr)) return hr;
    *object = owner.detach();
    return S_OK;
}
