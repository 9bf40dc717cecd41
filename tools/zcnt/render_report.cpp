// The render report as JSON; see render_report.h.
#include "tools/zcnt/render_report.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "contentelements/cnt_element_ids.h"
#include "tools/zcnt/report.h"

namespace zcnt {
namespace {

using nlohmann::json;

json describe_element(const made_element& e, std::size_t index, const json& calls)
{
    json out{{"index", index},
             {"class", e.class_text},
             {"clsid", com::format_guid(e.clsid)},
             {"page", e.page}};
    com::ComPtr<IZCntElementIds> ids;
    e.dispatch->QueryInterface(IZCntElementIds::iid, ids.put_void());
    if (ids) {
        LONG element_id = 0;
        std::vector<LONG> page_object_ids, resource_ids;
        ids->GetElementID(&element_id);
        cnt::created_ids(ids.get(), created_list::page_objects, &page_object_ids);
        cnt::created_ids(ids.get(), created_list::resources, &resource_ids);
        out["element_id"] = element_id;
        out["page_object_ids"] = page_object_ids;
        out["resource_ids"] = resource_ids;
    }
    out["calls"] = calls;
    out["record"] = saved_record_hex(e.dispatch.get());
    return out;
}

}  // namespace

std::string hex_of(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

struct render_report::state {
    std::vector<json> calls;  // one array for each element
    json hits = json::array();
    json report;
};

render_report::render_report() : state_(std::make_unique<state>()) {}
render_report::~render_report() = default;

void render_report::add_element()
{
    state_->calls.push_back(json::array());
}

void render_report::add_call(const call_description& call, const call_result& result,
                             std::size_t element)
{
    const json value = result.value.vt() != VT_EMPTY ? variant_to_json(*result.value.get()) : json();
    json entry{{"call", json::parse(call.text)}, {"hr", hex_of(result.hr)}};
    // The member's own failure, which Invoke wraps in DISP_E_EXCEPTION.
    if (result.hr == DISP_E_EXCEPTION) {
        entry["scode"] = hex_of(result.scode);
        if (!result.description.empty()) entry["description"] = result.description;
    }
    if (!value.is_null() || call.kind == call_description::kinds::get) entry["value"] = value;
    if (!result.outs.empty()) {
        json outs = json::array();
        for (const auto& o : result.outs) outs.push_back(variant_to_json(*o.get()));
        entry["out"] = std::move(outs);
    }
    (element < state_->calls.size() ? state_->calls[element] : state_->calls.back())
        .push_back(std::move(entry));
}

void render_report::add_hit(IZCntElementContainer* container, IZPrintContentPage* page,
                            const hit_description& hit)
{
    state_->hits.push_back(hit_test(container, page, hit.page, hit.x, hit.y, hit.width));
}

void render_report::finish(const host::document& document, IZCntElementContainer* container,
                           const std::vector<made_element>& elements,
                           const std::vector<com::ComPtr<IZPrintContentPage>>& pages)
{
    json& out = state_->report;
    out["elements"] = json::array();
    for (std::size_t i = 0; i < elements.size(); ++i)
        out["elements"].push_back(describe_element(elements[i], i + 1, state_->calls[i]));
    out["pages"] = json::array();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        json page = describe_page(document, static_cast<LONG>(i + 1));
        LONG id = 0;
        pages[i]->get_PageID(&id);
        page["number"] = i + 1;
        page["page_id"] = id;
        out["pages"].push_back(std::move(page));
    }
    out["container"] = describe_container(container);
    out["hits"] = std::move(state_->hits);
}

std::string render_report::text() const
{
    return state_->report.dump(2) + "\n";
}

}  // namespace zcnt
