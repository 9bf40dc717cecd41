// The pages and elements of a saved document, for a run that goes on with it.
#include "tools/zcnt/saved_document.h"

namespace zcnt {
namespace {

com::ComPtr<IZPrintContentPage> page_of(const host::document& doc, LONG number)
{
    com::ComPtr<IDispatch> p;
    com::ComPtr<IZPrintContentPage> page;
    if (SUCCEEDED(doc.page(number, p.put())) && p)
        p->QueryInterface(IZPrintContentPage::iid, page.put_void());
    return page;
}

}  // namespace

nlohmann::json page_sizes(const host::document& doc)
{
    nlohmann::json out = nlohmann::json::array();
    for (LONG n = 1; n <= doc.page_count(); ++n) {
        LONG width = 0, height = 0, resolution = 0;
        if (com::ComPtr<IZPrintContentPage> page = page_of(doc, n)) {
            page->get_Width(&width);
            page->get_Height(&height);
            page->get_Resolution(&resolution);
        }
        out.push_back({{"resolution", resolution}, {"width", width}, {"height", height}});
    }
    return out;
}

bool saved_pages_and_elements(const host::document& doc,
                              std::vector<com::ComPtr<IZPrintContentPage>>* pages,
                              std::vector<made_element>* elements, std::string* error)
{
    for (LONG n = 1; n <= doc.page_count(); ++n) {
        com::ComPtr<IZPrintContentPage> page = page_of(doc, n);
        if (!page) {
            *error = "page " + std::to_string(n) + ": the engine has no page";
            return false;
        }
        pages->push_back(page);
        for (const host::element_view& e : doc.elements(n)) {
            made_element made;
            made.page = n;
            com::ComPtr<IPersist> persist;
            e.object->QueryInterface(IPersist::iid, persist.put_void());
            if (persist) persist->GetClassID(&made.clsid);
            made.class_text = com::format_guid(made.clsid);
            e.object->QueryInterface(IDispatch::iid, made.dispatch.put_void());
            if (made.dispatch) elements->push_back(std::move(made));
        }
    }
    return true;
}

}  // namespace zcnt
