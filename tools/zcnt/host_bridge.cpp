// The tool's view of the host engine; see host_bridge.h.
#include "tools/zcnt/host_bridge.h"

#include <cstdio>

namespace zcnt::bridge {
namespace {

std::string hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

}  // namespace

com::ComPtr<IZDocument> interface_of(const host::document& document)
{
    com::ComPtr<IDispatch> dispatch;
    com::ComPtr<IZDocument> out;
    if (SUCCEEDED(document.dispatch(dispatch.put())) && dispatch)
        dispatch->QueryInterface(IZDocument::iid, out.put_void());
    return out;
}

HRESULT save_document(const host::document& document, const std::string& path,
                      std::string* error)
{
    std::string message;
    const HRESULT hr = document.save(path, &message);
    if (FAILED(hr))
        *error = path + ": " + (message.empty() ? "cannot be saved (" + hex(hr) + ")" : message);
    return hr;
}

HRESULT load_document(const std::string& path, host::document* out, std::string* error)
{
    std::string message;
    const HRESULT hr = host::document::load(path, out, &message);
    if (FAILED(hr))
        *error = path + ": " + (message.empty() ? "cannot be loaded (" + hex(hr) + ")" : message);
    return hr;
}

}  // namespace zcnt::bridge
