// Listing an object's properties through its type information; see properties.h.
#include "tools/zcnt/properties.h"

#include <set>

#include "tools/zcnt/dispatch_call.h"
#include "tools/zcnt/report.h"

namespace zcnt {
namespace {

using nlohmann::json;

// Objects inside objects are listed this deep; the fields' children are one or two levels down.
constexpr int max_depth = 3;

struct getter {
    std::string name;
    DISPID id = 0;
    UINT index_params = 0;  // parameters besides the result
};

std::string name_of(ITypeInfo* info, MEMBERID id)
{
    com::Bstr name;
    if (FAILED(info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr))) return {};
    return utf8_of(name.view());
}

// The property gets of one type and of the types it derives from.
void collect_getters(ITypeInfo* info, std::vector<getter>* out, std::set<std::string>* seen)
{
    for_each_function(info, [&](ITypeInfo* holder, const FUNCDESC& desc) {
        if (desc.invkind != INVOKE_PROPERTYGET ||
            (desc.wFuncFlags & (FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN)))
            return;
        UINT index_params = 0;
        for (SHORT p = 0; p < desc.cParams; ++p)
            if (!(desc.lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
                ++index_params;
        getter g{name_of(holder, desc.memid), desc.memid, index_params};
        if (!g.name.empty() && seen->insert(g.name).second) out->push_back(std::move(g));
    });
}

struct facet {
    com::ComPtr<IDispatch> dispatch;
    std::vector<getter> getters;
};

std::vector<facet> facets_of(IDispatch* object)
{
    std::vector<facet> out;
    std::set<std::string> seen;
    std::vector<com::ComPtr<IDispatch>> candidates{com::ComPtr<IDispatch>(object)};
    for (const IID& iid : element_interfaces()) {
        com::ComPtr<IDispatch> other;
        if (SUCCEEDED(object->QueryInterface(iid, other.put_void())) && other)
            candidates.push_back(std::move(other));
    }
    for (const auto& dispatch : candidates) {
        com::ComPtr<ITypeInfo> info;
        if (FAILED(dispatch->GetTypeInfo(0, 0, info.put())) || !info) continue;
        facet f{dispatch, {}};
        collect_getters(info.get(), &f.getters, &seen);
        if (!f.getters.empty()) out.push_back(std::move(f));
    }
    return out;
}

json describe_at(IDispatch* object, int depth);

// False for a value the object cannot give now (a page id before it is attached): such a
// property is left out.
bool get_value(IDispatch* owner, DISPID id, const LONG* index, int depth, json* out)
{
    com::Variant argument = index ? com::Variant::from_i4(*index) : com::Variant();
    DISPPARAMS params{index ? argument.get() : nullptr, nullptr, index ? 1u : 0u, 0};
    com::Variant value;
    EXCEPINFO exception{};
    const HRESULT hr = owner->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, value.get(),
                                     &exception, nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr)) return false;
    if (value.vt() == VT_DISPATCH && value->pdispVal)
        *out = depth < max_depth ? describe_at(value->pdispVal, depth + 1) : json("<object>");
    else
        *out = variant_to_json(*value.get());
    return true;
}

json describe_at(IDispatch* object, int depth)
{
    json out = json::object();
    const getter* item = nullptr;
    IDispatch* item_owner = nullptr;
    const std::vector<facet> facets = facets_of(object);
    for (const facet& f : facets)
        for (const getter& g : f.getters) {
            if (g.index_params == 1 && g.id == DISPID_VALUE) {
                item = &g;
                item_owner = f.dispatch.get();
            }
            if (g.index_params != 0) continue;
            json value;
            if (get_value(f.dispatch.get(), g.id, nullptr, depth, &value))
                out[g.name] = std::move(value);
        }
    // A collection: its items by index, from 1.
    if (item && out.contains("Count") && out["Count"].is_number_integer()) {
        json items = json::array();
        const LONG count = out["Count"].get<LONG>();
        for (LONG i = 1; i <= count && i <= 1000; ++i) {
            json value;
            get_value(item_owner, item->id, &i, depth, &value);
            items.push_back(std::move(value));
        }
        out[item->name] = std::move(items);
    }
    return out;
}

void add_lines(const json& value, const std::string& prefix, std::vector<std::string>* out)
{
    if (value.is_object()) {
        for (const auto& [key, inner] : value.items())
            add_lines(inner, prefix.empty() ? key : prefix + "." + key, out);
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i)
            add_lines(value[i], prefix + "(" + std::to_string(i + 1) + ")", out);
    } else {
        out->push_back(prefix + " = " + value.dump());
    }
}

}  // namespace

json describe_properties(IDispatch* object)
{
    return object ? describe_at(object, 0) : json::object();
}

std::vector<std::string> property_lines(const json& properties)
{
    std::vector<std::string> out;
    add_lines(properties, "", &out);
    return out;
}

}  // namespace zcnt
