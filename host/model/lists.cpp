// The page object list and the resource list interfaces: adding, creation by kind, removal,
// order and items, over the ids and order their list_core keeps (list_core.cpp).
#include <new>

#include "host/model/lists.h"

#include "host/kinds/factory.h"
#include "host/model/document_object.h"
#include "platform/com/fault_switch.h"

namespace host {

namespace {

// The object a VARIANT carries (VT_UNKNOWN or VT_DISPATCH, also by reference); null otherwise.
IUnknown* object_of(const VARIANT& v) noexcept
{
    switch (v.vt) {
    case VT_UNKNOWN: return v.punkVal;
    case VT_DISPATCH: return v.pdispVal;
    case VT_UNKNOWN | VT_BYREF: return v.ppunkVal ? *v.ppunkVal : nullptr;
    case VT_DISPATCH | VT_BYREF: return v.ppdispVal ? *v.ppdispVal : nullptr;
    case VT_VARIANT | VT_BYREF: return v.pvarVal ? object_of(*v.pvarVal) : nullptr;
    default: return nullptr;
    }
}

HRESULT item_out(const list_entry* e, IDispatch** out) noexcept
{
    *out = nullptr;
    return e->identity->QueryInterface(IDispatch::iid, reinterpret_cast<void**>(out));
}

}  // namespace

// ---- page object list -----------------------------------------------------------------------

static const char* const kObjects = "page_objects";
static const char* const kResources = "resources";

HRESULT page_object_list::AddElement(IZElement* element) noexcept
{
    auto rec = owner_->record(kObjects, "AddElement", ref(element));
    if (!element) return rec(E_POINTER);
    if (owner_->knows_element(element)) return rec(S_OK);
    try {
        if (com::fault::allocation_fails()) throw std::bad_alloc();
        owner_->elements().emplace_back(element);
    } catch (const std::bad_alloc&) {
        return rec(E_OUTOFMEMORY);
    }
    return rec(S_OK);
}

HRESULT page_object_list::Add(VARIANT object, LONG* id) noexcept
{
    IUnknown* p = object_of(object);
    auto rec = owner_->record(kObjects, "Add", ref(p));
    if (!id) return rec(E_POINTER);
    *id = 0;
    if (host_object* h = host_object_of(p)) {
        if (!lists_as_page_object(h->kind())) return rec(E_INVALIDARG);
        h->adopt(owner_->shared_ctx(), owner_->id());
    }
    HRESULT hr = owner_->objects().add(owner_->ctx(), p, placement::page_objects, "element", id);
    return rec(hr, *id);
}

HRESULT page_object_list::Create(LONG kind, IDispatch** object) noexcept
{
    auto rec = owner_->record(kObjects, "Create", kind);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    if (!is_page_object_kind(kind)) return rec(E_INVALIDARG);
    HRESULT hr = create_host_object(owner_->shared_ctx(), kind, owner_->id(), object);
    return rec(hr, ref(*object));
}

HRESULT page_object_list::get_Page(IZPrintContentPage** p) noexcept
{
    auto rec = owner_->record(kObjects, "get_Page");
    if (!p) return rec(E_POINTER);
    *p = owner_;
    owner_->AddRef();
    return rec(S_OK, std::string("page"));
}

HRESULT page_object_list::Remove(LONG id) noexcept
{
    auto rec = owner_->record(kObjects, "Remove", id);
    return rec(owner_->objects().remove(owner_->ctx(), id));
}

HRESULT page_object_list::Order(LONG id, LONG after, LONG flags) noexcept
{
    auto rec = owner_->record(kObjects, "Order", id, after, flags);
    if (flags != 0) return rec(E_INVALIDARG);
    return rec(owner_->objects().order(id, after));
}

HRESULT page_object_list::get_Count(LONG* count) noexcept
{
    auto rec = owner_->record(kObjects, "get_Count");
    if (!count) return rec(E_POINTER);
    *count = static_cast<LONG>(owner_->objects().size());
    return rec(S_OK, *count);
}

HRESULT page_object_list::get_Item(LONG index, IDispatch** object) noexcept
{
    auto rec = owner_->record(kObjects, "get_Item", index);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    const auto& all = owner_->objects().entries();
    if (index < 1 || index > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    HRESULT hr = item_out(&all[static_cast<std::size_t>(index - 1)], object);
    return rec(hr, ref(*object));
}

HRESULT page_object_list::get_ItemID(LONG index, LONG* id) noexcept
{
    auto rec = owner_->record(kObjects, "get_ItemID", index);
    if (!id) return rec(E_POINTER);
    *id = 0;
    const auto& all = owner_->objects().entries();
    if (index < 1 || index > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    *id = all[static_cast<std::size_t>(index - 1)].id;
    return rec(S_OK, *id);
}

HRESULT page_object_list::ItemFromID(LONG id, IDispatch** object) noexcept
{
    auto rec = owner_->record(kObjects, "ItemFromID", id);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    const list_entry* e = owner_->objects().find(id);
    if (!e) return rec(E_INVALIDARG);
    HRESULT hr = item_out(e, object);
    return rec(hr, ref(*object));
}

// ---- resource list --------------------------------------------------------------------------

HRESULT resource_list::AddObject(IZObject* object) noexcept
{
    auto rec = owner_->record(kResources, "AddObject", ref(object));
    if (!object) return rec(E_POINTER);
    if (host_object* h = host_object_of(object)) h->adopt(owner_->shared_ctx(), owner_->id());
    return rec(owner_->resources().keep(object, placement::resources_unlisted));
}

HRESULT resource_list::Add(VARIANT object, LONG* id) noexcept
{
    IUnknown* p = object_of(object);
    auto rec = owner_->record(kResources, "Add", ref(p));
    if (!id) return rec(E_POINTER);
    *id = 0;
    if (host_object* h = host_object_of(p)) {
        if (!lists_as_resource(h->kind())) return rec(E_INVALIDARG);
        h->adopt(owner_->shared_ctx(), owner_->id());
    }
    HRESULT hr = owner_->resources().add(owner_->ctx(), p, placement::resources, "resource", id);
    return rec(hr, *id);
}

HRESULT resource_list::Create(LONG kind, IDispatch** object) noexcept
{
    auto rec = owner_->record(kResources, "Create", kind);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    if (!is_resource_kind(kind)) return rec(E_INVALIDARG);
    HRESULT hr = create_host_object(owner_->shared_ctx(), kind, owner_->id(), object);
    return rec(hr, ref(*object));
}

HRESULT resource_list::AddWithoutID(VARIANT object) noexcept
{
    IUnknown* p = object_of(object);
    auto rec = owner_->record(kResources, "AddWithoutID", ref(p));
    if (!p) return rec(E_INVALIDARG);
    if (host_object* h = host_object_of(p)) h->adopt(owner_->shared_ctx(), owner_->id());
    return rec(owner_->resources().keep(p, placement::resources_unlisted));
}

HRESULT resource_list::Remove(LONG id) noexcept
{
    auto rec = owner_->record(kResources, "Remove", id);
    return rec(owner_->resources().remove(owner_->ctx(), id));
}

HRESULT resource_list::get_Count(LONG* count) noexcept
{
    auto rec = owner_->record(kResources, "get_Count");
    if (!count) return rec(E_POINTER);
    *count = static_cast<LONG>(owner_->resources().size());
    return rec(S_OK, *count);
}

HRESULT resource_list::get_Item(LONG index, IDispatch** object) noexcept
{
    auto rec = owner_->record(kResources, "get_Item", index);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    const auto& all = owner_->resources().entries();
    if (index < 1 || index > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    HRESULT hr = item_out(&all[static_cast<std::size_t>(index - 1)], object);
    return rec(hr, ref(*object));
}

HRESULT resource_list::get_ItemID(LONG index, LONG* id) noexcept
{
    auto rec = owner_->record(kResources, "get_ItemID", index);
    if (!id) return rec(E_POINTER);
    *id = 0;
    const auto& all = owner_->resources().entries();
    if (index < 1 || index > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    *id = all[static_cast<std::size_t>(index - 1)].id;
    return rec(S_OK, *id);
}

HRESULT resource_list::ItemFromID(LONG id, IDispatch** object) noexcept
{
    auto rec = owner_->record(kResources, "ItemFromID", id);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    const list_entry* e = owner_->resources().find(id);
    if (!e) return rec(E_INVALIDARG);
    HRESULT hr = item_out(e, object);
    return rec(hr, ref(*object));
}

}  // namespace host
