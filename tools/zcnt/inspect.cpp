// zcnt inspect and zcnt hit: what a .pjd file holds, and which element lies under a point.
#include "tools/zcnt/inspect.h"

#include <nlohmann/json.hpp>

#include <limits>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_document.h"
#include "module/class_map.h"
#include "tools/zcnt/dispatch_call.h"
#include "tools/zcnt/element_classes.h"
#include "tools/zcnt/host_bridge.h"
#include "tools/zcnt/properties.h"
#include "tools/zcnt/report.h"

namespace zcnt {
namespace {

using nlohmann::json;

com::ComPtr<IZCntElementContainer> container_of(IZDocument* document)
{
    com::ComPtr<IZCntElementContainer> container;
    FindElementContainer(document, container.put());
    return container;
}

// The elements of a page: the objects of its list that persist themselves under a class id.
json elements_of(IZPrintContentPage* page)
{
    json out = json::array();
    com::ComPtr<IZPageObjectList> list;
    page->get_PageObjects(list.put());
    if (!list) return out;
    LONG count = 0;
    list->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
        com::ComPtr<IDispatch> object;
        LONG id = 0;
        if (FAILED(list->get_Item(i, object.put())) || !object) continue;
        list->get_ItemID(i, &id);
        com::ComPtr<IZElement> element;
        com::ComPtr<IPersist> persist;
        if (FAILED(object->QueryInterface(IZElement::iid, element.put_void())) ||
            FAILED(object->QueryInterface(IPersist::iid, persist.put_void())))
            continue;
        CLSID clsid{};
        persist->GetClassID(&clsid);
        LONG kind = 0;
        element->GetObjectKind(&kind);
        out.push_back({{"id", id},
                       {"kind", kind},
                       {"clsid", com::format_guid(clsid)},
                       {"record", saved_record_hex(object.get())},
                       {"properties", describe_properties(object.get())}});
    }
    return out;
}

bool open(const std::string& path, host::document* loaded, com::ComPtr<IZDocument>* document,
          std::FILE* err)
{
    std::string error;
    if (FAILED(use_element_classes(nullptr))) {
        std::fprintf(err, "zcnt: the library's classes cannot be registered\n");
        return false;
    }
    if (FAILED(bridge::load_document(path, loaded, &error)) ||
        !(*document = bridge::interface_of(*loaded))) {
        std::fprintf(err, "zcnt: %s\n", error.c_str());
        return false;
    }
    return true;
}

com::ComPtr<IZPrintContentPage> page_number(IZDocument* document, LONG number)
{
    com::ComPtr<IZPageList> pages;
    com::ComPtr<IZPrintContentPage> page;
    document->get_Pages(pages.put());
    if (pages) pages->get_Item(number, page.put());
    return page;
}

}  // namespace

int run_inspect(const std::string& path, bool as_json, std::FILE* out, std::FILE* err)
{
    host::document loaded;
    com::ComPtr<IZDocument> document;
    if (!open(path, &loaded, &document, err)) return 2;
    json report;
    report["pages"] = json::array();
    com::ComPtr<IZPageList> pages;
    document->get_Pages(pages.put());
    LONG count = 0;
    if (pages) pages->get_Count(&count);
    for (LONG n = 1; n <= count; ++n) {
        com::ComPtr<IZPrintContentPage> page = page_number(document.get(), n);
        if (!page) continue;
        json p = describe_page(loaded, n);
        LONG id = 0, width = 0, height = 0, resolution = 0;
        page->get_PageID(&id);
        page->get_Width(&width);
        page->get_Height(&height);
        page->get_Resolution(&resolution);
        p["number"] = n;
        p["page_id"] = id;
        p["width"] = width;
        p["height"] = height;
        p["resolution"] = resolution;
        p["elements"] = elements_of(page.get());
        report["pages"].push_back(std::move(p));
    }
    report["container"] = describe_container(container_of(document.get()).get());
    if (as_json) {
        std::fprintf(out, "%s\n", report.dump(2).c_str());
    } else {
        for (const json& p : report["pages"]) {
            std::fprintf(out, "page %d (id %d): %d x %d at %d units per inch, %zu objects, %zu resources, %zu elements\n",
                         p["number"].get<int>(), p["page_id"].get<int>(), p["width"].get<int>(),
                         p["height"].get<int>(), p["resolution"].get<int>(),
                         p.value("objects", json::array()).size(),
                         p.value("resources", json::array()).size(), p["elements"].size());
            for (const json& e : p["elements"]) {
                std::fprintf(out, "  element %d: kind %d, class %s, record %zu bytes\n",
                             e["id"].get<int>(), e["kind"].get<int>(),
                             e["clsid"].get<std::string>().c_str(),
                             e["record"].is_string() ? e["record"].get<std::string>().size() / 2 : 0);
                for (const std::string& line : property_lines(e["properties"]))
                    std::fprintf(out, "    %s\n", line.c_str());
            }
        }
        const json& c = report["container"];
        if (c.is_null()) {
            std::fprintf(out, "no element container\n");
        } else {
            std::fprintf(out, "container: %zu records\n", c["records"].size());
            for (const json& r : c["records"])
                std::fprintf(out, "  page %d element %d: type %d, rect %s, inclination %d, \"%s\"\n",
                             r["page_id"].get<int>(), r["element_id"].get<int>(),
                             r["type"].get<int>(), r["rect"].dump().c_str(),
                             r["inclination"].get<int>(),
                             r["description"].is_string() ? r["description"].get<std::string>().c_str() : "");
        }
    }
    cnt::module::revoke_classes();
    return 0;
}

int run_hit(const std::string& path, long long page, long long x, long long y,
            long long hit_width, std::FILE* out, std::FILE* err)
{
    constexpr long long lo = std::numeric_limits<LONG>::min(), hi = std::numeric_limits<LONG>::max();
    if (x < lo || x > hi || y < lo || y > hi || hit_width < lo || hit_width > hi || page < 1 ||
        page > hi) {
        std::fprintf(err, "zcnt: page, x, y and the hit width must be 32-bit integers, the page from 1\n");
        return 2;
    }
    host::document loaded;
    com::ComPtr<IZDocument> document;
    if (!open(path, &loaded, &document, err)) return 2;
    com::ComPtr<IZPrintContentPage> p = page_number(document.get(), static_cast<LONG>(page));
    if (!p) {
        std::fprintf(err, "zcnt: %s has no page %lld\n", path.c_str(), page);
        cnt::module::revoke_classes();
        return 2;
    }
    const json result = hit_test(container_of(document.get()).get(), p.get(),
                                 static_cast<LONG>(page), static_cast<LONG>(x),
                                 static_cast<LONG>(y), static_cast<LONG>(hit_width));
    std::fprintf(out, "%s\n", result.dump(2).c_str());
    cnt::module::revoke_classes();
    return 0;
}

}  // namespace zcnt
