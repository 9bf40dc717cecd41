// The document: its object collection, its pages and the page list, and closing it.
#include <new>
#include <utility>

#include "host/kinds/factory.h"
#include "host/model/document_object.h"

namespace host {

namespace {
const char* const kDocument = "document";
const char* const kPages = "pages";
}

HRESULT make_document(com::ComPtr<document_object>* out) noexcept
{
    out->reset();
    // The classes an image element makes by class id come with the first document.
    register_engine_classes();
    std::shared_ptr<context> ctx;
    try {
        ctx = std::make_shared<context>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    com::ComPtr<document_object> doc;
    RETURN_IF_FAILED(com::make<document_object>(doc.put()));
    doc->init(std::move(ctx));
    *out = std::move(doc);
    return S_OK;
}

void document_object::init(std::shared_ptr<context> ctx) noexcept
{
    ctx_ = std::move(ctx);
    ctx_->set_name(identity(), "document");
    ctx_->set_name(page_list_.unknown(), "pages");
}

HRESULT document_object::new_page(LONG width, LONG height, LONG resolution, LONG id,
                                  page** out) noexcept
{
    if (width < 0 || height < 0 || resolution <= 0 || id < 0) return E_INVALIDARG;
    if (id == 0) id = ctx_->next_page_id;
    if (id == 0x7FFFFFFF) return E_OUTOFMEMORY;
    if (numbers_.count(id)) return E_INVALIDARG;
    com::ComPtr<page> made;
    RETURN_IF_FAILED(com::make<page>(made.put()));
    try {
        numbers_.emplace(id, static_cast<LONG>(pages_.size() + 1));
        try {
            pages_.push_back(made);
        } catch (const std::bad_alloc&) {
            numbers_.erase(id);
            throw;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    made->init(ctx_, this, id, width, height, resolution);
    const auto number = static_cast<LONG>(pages_.size());
    made->objects().set_owner(number, 0);
    made->resources().set_owner(number, 1);
    if (id >= ctx_->next_page_id) ctx_->next_page_id = id + 1;
    if (out) *out = made.detach();
    return S_OK;
}

HRESULT document_object::add_item(IDispatch* object) noexcept
{
    if (!object) return E_POINTER;
    for (const auto& item : items_)
        if (com::same_object(item.get(), object)) return S_OK;
    try {
        items_.emplace_back(object);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    com::ComPtr<IUnknown> identity;
    object->QueryInterface(IID_IUnknown, identity.put_void());
    if (identity && !host_object_of(identity.get()))
        ctx_->set_name(identity.get(), "item", static_cast<LONG>(items_.size()));
    return S_OK;
}

LONG document_object::number_of_id(LONG page_id) const noexcept
{
    const auto it = numbers_.find(page_id);
    return it == numbers_.end() ? 0 : it->second;
}

LONG document_object::number_of(const page* p) const noexcept
{
    const LONG number = p ? number_of_id(p->id()) : 0;
    return number != 0 && pages_[static_cast<std::size_t>(number - 1)].get() == p ? number : 0;
}

void document_object::close() noexcept
{
    // Everything is held while the links are cut, and let go of at the end.
    std::vector<com::ComPtr<page>> pages = std::move(pages_);
    std::vector<com::ComPtr<IDispatch>> items = std::move(items_);
    pages_.clear();
    numbers_.clear();
    items_.clear();
    std::vector<std::pair<com::ComPtr<IUnknown>, host_object*>> objects;
    try {
        objects.reserve(ctx_->live_count);
        for (host_object* h = ctx_->first_live; h; h = h->next_live())
            objects.emplace_back(h->unknown(), h);
    } catch (const std::bad_alloc&) {
    }
    // No page is left to look ids up on: the notes go at once, not an id at a time.
    for (context::id_holders& holders : ctx_->holders) holders.pages.clear();
    for (auto& p : pages) p->close();
    // Each is held above, so each is still alive.
    for (auto& [held, h] : objects) h->drop_references();
    for (const auto& item : items) {
        com::ComPtr<IUnknown> identity;
        item->QueryInterface(IID_IUnknown, identity.put_void());
        ctx_->forget_name(identity.get());
    }
}

HRESULT document_object::get_Item(LONG index, IDispatch** object) noexcept
{
    auto rec = record(kDocument, "get_Item", index);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    if (index < 1 || index > static_cast<LONG>(items_.size())) return rec(E_INVALIDARG);
    items_[static_cast<std::size_t>(index - 1)].copy_to(object);
    return rec(S_OK, ref(*object));
}

HRESULT document_object::get_Count(LONG* count) noexcept
{
    auto rec = record(kDocument, "get_Count");
    if (!count) return rec(E_POINTER);
    *count = static_cast<LONG>(items_.size());
    return rec(S_OK, *count);
}

HRESULT document_object::Add(IDispatch* object) noexcept
{
    auto rec = record(kDocument, "Add", ref(object));
    return rec(add_item(object));
}

HRESULT document_object::LookUp(LONG id, IDispatch** object) noexcept
{
    auto rec = record(kDocument, "LookUp", id);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    if (id == 0 || id == LONG(0x80000000)) return rec(E_INVALIDARG);
    // A positive id is looked for among the page objects first, a negative one (a linked
    // resource) among the resources first.
    const LONG wanted = id < 0 ? -id : id;
    auto found_on = [&](page& p, bool resources) {
        const list_entry* e = resources ? p.resources().find(wanted) : p.objects().find(wanted);
        return e && SUCCEEDED(e->identity->QueryInterface(IDispatch::iid,
                                                          reinterpret_cast<void**>(object)));
    };
    for (int pass = 0; pass < 2; ++pass) {
        const bool resources = (pass == 0) == (id < 0);
        const context::id_holders& holders = ctx_->holders[resources ? 1 : 0];
        if (holders.complete) {
            // The pages that list the id, in page order.
            const auto it = holders.pages.find(wanted);
            if (it == holders.pages.end()) continue;
            if (it->second.any_of([&](LONG number) {
                    return static_cast<std::size_t>(number) <= pages_.size() &&
                           found_on(*pages_[static_cast<std::size_t>(number - 1)], resources);
                }))
                return rec(S_OK, ref(*object));
            continue;
        }
        for (const auto& p : pages_)
            if (found_on(*p, resources)) return rec(S_OK, ref(*object));
    }
    return rec(E_INVALIDARG);
}

HRESULT document_object::get_Pages(IZPageList** pages) noexcept
{
    auto rec = record(kDocument, "get_Pages");
    if (!pages) return rec(E_POINTER);
    *pages = &page_list_;
    AddRef();
    return rec(S_OK, std::string("pages"));
}

HRESULT document_object::AddPage(LONG width, LONG height, LONG resolution,
                                 IZPrintContentPage** out) noexcept
{
    auto rec = record(kDocument, "AddPage", width, height, resolution);
    if (!out) return rec(E_POINTER);
    *out = nullptr;
    page* made = nullptr;
    HRESULT hr = new_page(width, height, resolution, 0, &made);
    *out = made;
    return rec(hr, std::string("page"));
}

HRESULT page_list::get_Count(LONG* count) noexcept
{
    auto rec = owner_->record(kPages, "get_Count");
    if (!count) return rec(E_POINTER);
    *count = static_cast<LONG>(owner_->pages().size());
    return rec(S_OK, *count);
}

HRESULT page_list::PageNumberOf(LONG page_id, LONG* number) noexcept
{
    auto rec = owner_->record(kPages, "PageNumberOf", page_id);
    if (!number) return rec(E_POINTER);
    *number = 0;
    *number = owner_->number_of_id(page_id);
    if (*number != 0) return rec(S_OK, *number);
    return rec(E_INVALIDARG);
}

HRESULT page_list::get_Item(LONG number, IZPrintContentPage** p) noexcept
{
    auto rec = owner_->record(kPages, "get_Item", number);
    if (!p) return rec(E_POINTER);
    *p = nullptr;
    const auto& all = owner_->pages();
    if (number < 1 || number > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    *p = all[static_cast<std::size_t>(number - 1)].get();
    (*p)->AddRef();
    return rec(S_OK, std::string("page"));
}

}  // namespace host
