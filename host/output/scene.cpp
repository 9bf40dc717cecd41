// The scene of a document's pages for the output writers.
#include "host/output/scene.h"

#include "host/kinds/host_object.h"
#include "host/model/document_object.h"

namespace host {

LONG page_count(document_object* doc) noexcept
{
    return doc ? static_cast<LONG>(doc->pages().size()) : 0;
}

page_frame frame_of(document_object* doc, LONG index) noexcept
{
    if (index < 0 || index >= page_count(doc)) return {};
    const page& p = *doc->pages()[static_cast<std::size_t>(index)];
    return {p.width(), p.height(), p.resolution()};
}

void paint_page(document_object* doc, LONG index, painter& to)
{
    if (index < 0 || index >= page_count(doc)) return;
    page& p = *doc->pages()[static_cast<std::size_t>(index)];
    for (const list_entry& e : p.objects().entries())
        if (host_object* h = host_object_of(e.identity.get())) h->paint(to);
}

}  // namespace host
