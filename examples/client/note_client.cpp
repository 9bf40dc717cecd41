// A client of the installed library: it creates a note by ProgID through the registry, drives it
// by name through IDispatch, saves it to a memory stream and prints the record as hex.
//
// It needs the library registered first (`zcnt register`); the registry file is the one
// `$ZCNT_REGISTRY` names, or the user's own.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace {

constexpr char16_t kProgId[] = u"Orvane.ZCntElementNote";

bool check(HRESULT hr, const char* step)
{
    if (SUCCEEDED(hr)) return true;
    std::fprintf(stderr, "note_client: %s failed with 0x%08X\n", step, static_cast<unsigned>(hr));
    return false;
}

HRESULT dispid_of(IDispatch* object, const char16_t* name, DISPID* id)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, 0, id);
}

HRESULT put(IDispatch* object, const char16_t* name, com::Variant value)
{
    DISPID id = 0;
    HRESULT hr = dispid_of(object, name, &id);
    if (FAILED(hr)) return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{value.get(), &named, 1, 1};
    return object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT get(IDispatch* object, const char16_t* name, com::Variant* result)
{
    DISPID id = 0;
    HRESULT hr = dispid_of(object, name, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{};
    return object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result->put(), nullptr,
                          nullptr);
}

// The value as text, through the same coercion a script host would use.
std::string text_of(const com::Variant& value)
{
    com::Variant text;
    if (FAILED(VariantChangeType(text.put(), value.get(), 0, VT_BSTR))) return "?";
    std::string out;
    for (char16_t c : com::bstr_view(text.get()->bstrVal))
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// Everything the client holds is released before the libraries are let go.
int run()
{
    CLSID clsid{};
    com::ComPtr<IDispatch> note;
    if (!check(CLSIDFromProgID(kProgId, &clsid), "CLSIDFromProgID") ||
        !check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid,
                                note.put_void()), "CoCreateInstance"))
        return 1;
    std::printf("class %s\n", com::format_guid(clsid).c_str());

    if (!check(put(note.get(), u"Text", com::Variant::from_string(u"Hello from a client")),
               "put Text") ||
        !check(put(note.get(), u"FillTransparency", com::Variant::from_i4(40)),
               "put FillTransparency"))
        return 1;
    for (const char* name : {"Text", "FillTransparency"}) {
        const std::u16string wide(name, name + std::char_traits<char>::length(name));
        com::Variant value;
        if (!check(get(note.get(), wide.c_str(), &value), name)) return 1;
        std::printf("%s = %s\n", name, text_of(value).c_str());
    }

    com::ComPtr<IPersistStreamInit> persist;
    com::ComPtr<IStream> stream;
    std::vector<BYTE> bytes;
    if (!check(note->QueryInterface(IPersistStreamInit::iid, persist.put_void()),
               "QueryInterface(IPersistStreamInit)") ||
        !check(com::create_memory_stream(stream.put()), "create_memory_stream") ||
        !check(persist->Save(stream.get(), TRUE), "Save") ||
        !check(com::memory_stream_bytes(stream.get(), &bytes), "memory_stream_bytes"))
        return 1;
    std::printf("record ");
    for (BYTE b : bytes) std::printf("%02x", b);
    std::printf("\n");
    return 0;
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int status = run();
    CoFreeUnusedLibraries();
    CoUninitialize();
    return status;
}
