// Shared report pieces; see report.h.
#include "tools/zcnt/report.h"

#include <cstdio>
#include <vector>

#include "platform/com/streams.h"
#include "tools/zcnt/dispatch_call.h"

namespace zcnt {
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

nlohmann::json variant_to_json(const VARIANT& in)
{
    const VARIANT* v = &in;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    switch (v->vt) {
    case VT_EMPTY: return nullptr;
    case VT_NULL: return nullptr;
    case VT_BOOL: return v->boolVal != 0;
    case VT_BSTR: return v->bstrVal ? nlohmann::json(utf8_of(com::bstr_view(v->bstrVal))) : nullptr;
    case VT_I1: return v->cVal;
    case VT_UI1: return v->bVal;
    case VT_I2: return v->iVal;
    case VT_UI2: return v->uiVal;
    case VT_I4: case VT_INT: return v->lVal;
    case VT_UI4: case VT_UINT: return v->ulVal;
    case VT_I8: return v->llVal;
    case VT_UI8: return v->ullVal;
    case VT_R4: return v->fltVal;
    case VT_R8: case VT_DATE: return v->dblVal;
    case VT_ERROR: return hex(v->scode);
    case VT_DISPATCH: case VT_UNKNOWN: return v->punkVal ? "<object>" : nullptr;
    default: break;
    }
    com::Variant text;
    if (SUCCEEDED(VariantChangeType(text.get(), v, 0, VT_BSTR)))
        return utf8_of(com::bstr_view(text->bstrVal));
    return "<variant " + std::to_string(v->vt) + ">";
}

nlohmann::json saved_record_hex(IUnknown* object)
{
    com::ComPtr<IPersistStreamInit> persist;
    if (!object || FAILED(object->QueryInterface(IPersistStreamInit::iid, persist.put_void())))
        return nullptr;
    com::ComPtr<IStream> stream;
    if (FAILED(com::create_memory_stream(stream.put()))) return nullptr;
    if (FAILED(persist->Save(stream.get(), FALSE))) return nullptr;
    std::vector<BYTE> bytes;
    com::memory_stream_bytes(stream.get(), &bytes);
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (BYTE b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

nlohmann::json describe_info(IZCntElementInfo* info)
{
    LONG page_id = 0, element_id = 0, l = 0, t = 0, r = 0, b = 0;
    SHORT inclination = 0;
    ZeCntElementType type = zeCntElementTypeUnknown;
    com::Bstr description;
    info->get_PageID(&page_id);
    info->get_ElementID(&element_id);
    info->get_ElementType(&type);
    info->get_Description(description.put());
    info->GetPosition(&l, &t, &r, &b, &inclination);
    return {{"page_id", page_id},
            {"element_id", element_id},
            {"type", static_cast<LONG>(type)},
            {"description", description.is_null() ? nlohmann::json(nullptr)
                                                  : nlohmann::json(utf8_of(description.view()))},
            {"rect", {l, t, r, b}},
            {"inclination", inclination}};
}

nlohmann::json describe_page(const host::document& document, LONG number)
{
    nlohmann::json objects = nlohmann::json::array();
    nlohmann::json resources = nlohmann::json::array();
    for (const auto& view : document.objects(number)) objects.push_back(describe(view));
    for (const auto& view : document.resource_objects(number)) resources.push_back(describe(view));
    return {{"objects", std::move(objects)}, {"resources", std::move(resources)}};
}

nlohmann::json describe_container(IZCntElementContainer* container)
{
    if (!container) return nullptr;
    nlohmann::json records = nlohmann::json::array();
    LONG count = 0;
    container->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
        com::ComPtr<IZCntElementInfo> info;
        if (SUCCEEDED(container->get_Item(i, info.put())) && info)
            records.push_back(describe_info(info.get()));
    }
    return {{"records", records}, {"record", saved_record_hex(container)}};
}

nlohmann::json hit_test(IZCntElementContainer* container, IZPrintContentPage* page,
                        LONG page_number, LONG x, LONG y, LONG hit_width)
{
    nlohmann::json out{{"page", page_number}, {"x", x}, {"y", y}, {"hit_width", hit_width}};
    if (!container) {
        out["hr"] = hex(S_FALSE);
        out["found"] = nullptr;
        return out;
    }
    com::ComPtr<IDispatch> page_dispatch;
    page->QueryInterface(IDispatch::iid, page_dispatch.put_void());
    com::ComPtr<IZCntElementInfo> found;
    const HRESULT hr =
        container->FindElementFromPoint(page_dispatch.get(), hit_width, x, y, found.put());
    out["hr"] = hex(hr);
    out["found"] = found ? describe_info(found.get()) : nlohmann::json(nullptr);
    return out;
}

}  // namespace zcnt
