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

nlohmann::json describe(const host::object_view& view)
{
    nlohmann::json properties = nlohmann::json::object();
    for (const auto& [name, value] : view.properties) properties[name] = value;
    return {{"kind", view.kind}, {"id", view.id}, {"properties", std::move(properties)}};
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

nlohmann::json describe_page(const host::document& document, LONG number)
{
    nlohmann::json objects = nlohmann::json::array();
    nlohmann::json resources = nlohmann::json::array();
    for (const auto& view : document.objects(number)) objects.push_back(describe(view));
    for (const auto& view : document.resource_objects(number)) resources.push_back(describe(view));
    return {{"objects", std::move(objects)}, {"resources", std::move(resources)}};
}

}  // namespace zcnt::bridge
